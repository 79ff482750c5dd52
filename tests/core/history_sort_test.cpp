#include "core/history.h"
#include "support/temp_dir.h"

#include <climits>
#include <cstdint>
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

class HistorySortFileTest : public kvrtest::TempDirTest {};

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
