// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/history.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Entries = std::vector<KVR_History::SortEntry>;

// The exchange sort as plainly as it can be written: for each entry, swap it
// with every later entry whose day is later.
Entries ReferenceSort(Entries entries) {
    for (size_t i = 0; i < entries.size(); ++i)
        for (size_t j = i + 1; j < entries.size(); ++j)
            if (entries[i].day < entries[j].day)
                std::swap(entries[i], entries[j]);
    return entries;
}

std::vector<std::string> Lines(const Entries& entries) {
    std::vector<std::string> lines;
    for (const auto& entry : entries)
        lines.push_back(entry.line);
    return lines;
}

void ExpectSameOrderAsReference(const Entries& input) {
    Entries expected = ReferenceSort(input);
    Entries sorted = input;
    bool changed = KVR_History::ExchangeSort(sorted);
    EXPECT_EQ(Lines(sorted), Lines(expected));
    EXPECT_EQ(changed, Lines(expected) != Lines(input));
}

Entries Make(const std::vector<int>& days) {
    Entries entries;
    for (size_t i = 0; i < days.size(); ++i)
        entries.push_back({"line " + std::to_string(i), days[i]});
    return entries;
}

// Equal days are where an exchange sort's order is easy to get wrong, so the
// cases are full of them.
TEST(HistoryExchangeSortTest, KeepsTheExactOrderOfTheExchangeSort) {
    ExpectSameOrderAsReference(Make({}));
    ExpectSameOrderAsReference(Make({5}));
    ExpectSameOrderAsReference(Make({1, 2, 2, 3, 3, 3, 4, 5, 5}));
    ExpectSameOrderAsReference(Make({7, 7, 7, 7}));
    ExpectSameOrderAsReference(Make({INT_MIN, INT_MAX, -1, 0, INT_MAX, INT_MIN, -1}));

    uint64_t state = 12345;
    auto next = [&state] {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<int>(state >> 33);
    };
    for (int round = 0; round < 300; ++round) {
        const int count = next() % 120;
        const int spread = 1 + next() % (round % 3 == 0 ? 4 : 60);
        std::vector<int> days;
        for (int i = 0; i < count; ++i)
            days.push_back(next() % spread - (round % 5 == 0 ? spread / 2 : 0));
        if (round % 4 == 1)
            std::sort(days.begin(), days.end()); // oldest first
        SCOPED_TRACE(round);
        ExpectSameOrderAsReference(Make(days));
    }
}

// Long inputs with few days, so that each day's entries are pulled through
// many passes: the regime where the exchange sort's mixing of equal days
// runs deepest.
TEST(HistoryExchangeSortTest, KeepsTheExchangeSortsOrderOnLongInputs) {
    uint64_t state = 777;
    auto next = [&state] {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<int>(state >> 33);
    };
    for (int round = 0; round < 40; ++round) {
        const int count = 200 + next() % 1800;
        const int spread = 1 + next() % (round % 2 ? 6 : 200);
        std::vector<int> days;
        for (int i = 0; i < count; ++i)
            days.push_back(next() % spread);
        if (round % 5 == 0) // a long ordered history behind a few new ones
            std::sort(days.begin() + count / 50, days.end(), std::greater<>());
        SCOPED_TRACE(round);
        ExpectSameOrderAsReference(Make(days));
    }
}

class HistorySortFileTest : public kvrtest::TempDirTest {};

// Through the file: dates that are not valid (a month 13, text, nothing, a
// year out of range) sort by the day numbers they give, and the result is
// the reference's.
TEST_F(HistorySortFileTest, InvalidDatesSortAsTheReferenceDoes) {
    const std::vector<std::string> dates = {"1/5/2020",  "13/45/2020", "",         "abc",
                                            "2/30/2001", "1/5/20",     "7/7/1890", "0/0/0",
                                            "1/5/2020",  "12/31/2089"};
    uint64_t state = 5;
    Entries entries;
    std::string file = std::string(KVR_History::kHeader) + "\r\n";
    for (int i = 0; i < 300; ++i) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        std::string line = "\"" + dates[(state >> 33) % dates.size()] + "\",\"S\",\"\",\"P" +
                           std::to_string(i) + "\",\"\",\"1\",\"P\",\"\",\"\",\"\",\"\",\"\",\"\"";
        entries.push_back({line, KVR_History::SortDay(line)});
        file += line + "\r\n";
    }
    kvrtest::WriteFile("history.dat", file);
    KVR_History history;
    ASSERT_EQ(history.SortByDate(), 1);
    std::string expected = std::string(KVR_History::kHeader) + "\r\n";
    for (const auto& line : Lines(ReferenceSort(entries)))
        expected += line + "\r\n";
    EXPECT_EQ(kvrtest::ReadFile("history.dat"), expected);
}

// The exchange sort is not stable: of two records of one day, the one that
// stood later can come first.
TEST_F(HistorySortFileTest, SortsAnOldestFirstFileNewestFirst) {
    kvrtest::WriteFile("history.dat",
                       kvrtest::Lines({"KVR History Data Format 2.0",
                                       R"("1/5/2020","S","","Ann","","1","P","","","","","","a")",
                                       R"("1/6/2020","S","","Bob","","1","P","","","","","","b")",
                                       R"("1/5/2020","S","","Cy","","1","P","","","","","","c")",
                                       R"("2/1/2021","S","","Di","","1","P","","","","","","d")"}));
    KVR_History history;
    EXPECT_EQ(history.SortByDate(), 1);
    EXPECT_EQ(kvrtest::ReadFile("history.dat"),
              kvrtest::Lines({"KVR History Data Format 2.0",
                              R"("2/1/2021","S","","Di","","1","P","","","","","","d")",
                              R"("1/6/2020","S","","Bob","","1","P","","","","","","b")",
                              R"("1/5/2020","S","","Cy","","1","P","","","","","","c")",
                              R"("1/5/2020","S","","Ann","","1","P","","","","","","a")"}));
}

} // namespace
