// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/date.h"
#include "core/history.h"
#include "core/play_store.h"
#include "core/record_store.h"
#include "data_generator.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using kvrbench::DataSet;

class DataGeneratorTest : public kvrtest::TempDirTest {};

// The record lines of a store file, after checking its header and count line.
std::vector<ZBD_Record> StoreLines(const std::string& text, float version, size_t count) {
    auto lines = kvr::SplitLines(text);
    EXPECT_GE(lines.size(), 2u);
    if (lines.size() < 2)
        return {};
    EXPECT_EQ(lines[0], kvr::DataFileHeader(version));
    EXPECT_EQ(lines[1], std::to_string(count));
    EXPECT_EQ(lines.size(), count + 2);
    std::vector<ZBD_Record> records;
    for (size_t i = 2; i < lines.size(); ++i)
        records.emplace_back(lines[i], ',');
    return records;
}

int Day(const std::string& date) {
    return ZBD_Date(date).DayNumber();
}

TEST_F(DataGeneratorTest, SameBytesOnEveryRun) {
    DataSet first, second;
    EXPECT_EQ(first.HistoryFile(), second.HistoryFile());
    EXPECT_EQ(first.PhoneFile(), second.PhoneFile());
    EXPECT_EQ(first.ChartFile(), second.ChartFile());
    EXPECT_EQ(first.SchedFile(), second.SchedFile());
    EXPECT_EQ(first.TipFile(), second.TipFile());
    ASSERT_EQ(first.WritePlayFile(), 1);
    std::string play = kvrtest::ReadFile("play.dat");
    ASSERT_EQ(second.WritePlayFile(), 1);
    EXPECT_EQ(kvrtest::ReadFile("play.dat"), play);
}

TEST_F(DataGeneratorTest, HistoryAndGoalPeriodReadBackThroughTheModel) {
    DataSet data;
    ASSERT_EQ(data.WriteAll(), "");
    for (const auto& name : kvrbench::DataFileNames())
        EXPECT_TRUE(kvrtest::Exists(name)) << name;

    // Ten thousand past records, newest first, over about fifteen years.
    KVR_History history;
    ASSERT_EQ(history.Rewind(), 1);
    std::vector<PlayRecord> past;
    while (history.ReadNext() == 1)
        past.push_back(history.Current());
    ASSERT_EQ(past.size(), 10'000u);
    for (size_t i = 0; i < past.size(); ++i)
        EXPECT_TRUE(past[i].Equals(data.History()[i])) << i;
    for (size_t i = 1; i < past.size(); ++i)
        ASSERT_GE(Day(past[i - 1].date), Day(past[i].date)) << past[i].date;
    int years = ZBD_Date(past.front().date).Year() - ZBD_Date(past.back().date).Year();
    EXPECT_GE(years, 14);
    EXPECT_LE(years, 16);
    EXPECT_EQ(history.SortByDate(), 0); // already in order
    for (const auto& record : past) {
        ASSERT_TRUE(ZBD_Date(record.date).IsValid()) << record.date;
        ASSERT_TRUE(record.kind == "M" || record.kind == "P" || record.kind == "L");
        ASSERT_EQ(record.result.empty(), record.kind != "M") << record.date;
        ASSERT_EQ(record.score.empty(), record.kind != "M") << record.date;
        ASSERT_GT(kvr::LeadingFloat(record.time), 0.0f) << record.date;
    }

    // A full goal period, after the history.
    KVR_PlayData store;
    ASSERT_EQ(store.Load(), 1);
    ASSERT_EQ(store.Count(), 30u);
    for (int i = 0; i < 30; ++i) {
        const PlayRecord& expected = data.GoalPeriod()[static_cast<size_t>(i)];
        EXPECT_TRUE(store.At(i)->Equals(expected)) << i;
        EXPECT_EQ(store.At(i)->ratings, expected.ratings) << i;
        EXPECT_GT(Day(store.At(i)->date), Day(past.front().date));
    }
}

TEST_F(DataGeneratorTest, PhoneBookHoldsEveryoneInTheRecords) {
    DataSet data;
    auto entries = StoreLines(data.PhoneFile(), 2.5f, 200);
    std::vector<std::string> names;
    for (const auto& entry : entries) {
        ASSERT_EQ(entry.FieldCount(), 7);
        ASSERT_LE(entry.Field(1).size(), 24u);
        std::string rating = entry.Field(3);
        EXPECT_TRUE(rating.empty() || (rating.size() == 3 && rating[1] == '.')) << rating;
        names.push_back(entry.Field(1));
    }
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());
    EXPECT_EQ(names, data.People());

    std::set<std::string> book(names.begin(), names.end()), met;
    for (const auto& record : data.History()) {
        for (const std::string* person : {&record.who, &record.partner, &record.secondOpponent}) {
            if (!person->empty()) {
                EXPECT_TRUE(book.count(*person)) << *person;
                met.insert(*person);
            }
        }
    }
    EXPECT_EQ(met, book);
}

TEST_F(DataGeneratorTest, ChartsSchedulesAndTipsFollowTheirLayouts) {
    DataSet data;

    // Charts of singles matches from the log, counters that pass the
    // charting dialog's rules, oldest first.
    auto charts = StoreLines(data.ChartFile(), 2.0f, 1000);
    int previous = 0;
    for (const auto& chart : charts) {
        ASSERT_EQ(chart.FieldCount(), 21);
        int day = Day(chart.Field(1));
        EXPECT_GE(day, previous);
        previous = day;
        auto match = std::find_if(
            data.History().begin(), data.History().end(), [&](const PlayRecord& record) {
                return record.date == chart.Field(1) && record.who == chart.Field(2) &&
                       record.score == chart.Field(3);
            });
        EXPECT_NE(match, data.History().end()) << chart.Field(1);
        auto n = [&](int field) { return chart.FieldInt(field); };
        int serves = n(4), servesIn = n(5), aces = n(6), doubleFaults = n(7);
        int returns = n(13), returnsIn = n(14), returnWinners = n(15), returnErrors = n(16);
        EXPECT_GT(servesIn, 0);
        EXPECT_LE(servesIn, serves);
        EXPECT_LE(aces + doubleFaults, serves);
        EXPECT_GT(returnsIn, 0);
        EXPECT_LE(returnsIn, returns);
        EXPECT_LE(returnWinners + returnErrors, returns);
        EXPECT_LE(n(12), n(11));                                   // volley errors
        EXPECT_LE(std::max(n(20), n(21)), n(19));                  // approaches
        int winners = aces + n(8) + n(10) + returnWinners + n(17); // volleys won count
        int errors = doubleFaults + n(9) + n(12) + returnErrors + n(18) + n(21);
        EXPECT_LE(winners + errors, serves + returns);
    }

    auto events = StoreLines(data.SchedFile(), 2.0f, 1000);
    previous = 0;
    for (const auto& event : events) {
        ASSERT_EQ(event.FieldCount(), 5);
        ASSERT_TRUE(ZBD_Date(event.Field(1)).IsValid());
        EXPECT_GE(Day(event.Field(1)), previous);
        previous = Day(event.Field(1));
        EXPECT_LE(event.Field(2).size(), 24u);
        EXPECT_LE(event.Field(3).size(), 9u);
        EXPECT_LE(event.Field(4).size(), 28u);
        EXPECT_LE(event.Field(5).size(), 74u);
    }

    auto tips = StoreLines(data.TipFile(), 2.0f, 500);
    for (const auto& tip : tips) {
        ASSERT_EQ(tip.FieldCount(), 5);
        EXPECT_EQ(tip.Field(1), "Forehand");
        EXPECT_EQ(tip.Field(2), "T");
        EXPECT_GE(tip.FieldInt(3), 1);
        EXPECT_LE(tip.FieldInt(3), 4);
        EXPECT_GE(tip.FieldInt(4), 0);
        EXPECT_LE(tip.FieldInt(4), 10);
        EXPECT_LE(tip.Field(5).size(), 219u);
    }
}

} // namespace
