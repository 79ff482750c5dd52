// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/history.h"
#include "core/play_store.h"
#include "play/statistics.h"
#include "support/temp_dir.h"

#include <array>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Ratings = std::array<std::array<int, 4>, 6>; // [stroke row][level]

struct Outing {
    Outing(std::string date_, std::string kind_, std::string time_, std::string result_ = "")
        : date(std::move(date_)), kind(std::move(kind_)), time(std::move(time_)),
          result(std::move(result_)) {}
    std::string date, kind, time, result, who, partner, second, score;
    Ratings ratings{};
};

Ratings allRatings(int value) {
    Ratings ratings;
    for (auto& row : ratings)
        row.fill(value);
    return ratings;
}

std::string quoted(const std::string& text) {
    return '"' + text + '"';
}

// The thirteen text fields, as history.dat holds them.
std::string historyLine(const Outing& o) {
    std::string line;
    for (const std::string& field :
         {o.date, std::string(o.second.empty() ? "S" : "D"), o.partner, o.who, o.second, o.time,
          o.kind, o.result, o.score, std::string(), std::string(), std::string("match notes"),
          std::string()}) {
        if (!line.empty())
            line += ',';
        line += quoted(field);
    }
    return line;
}

// A play.dat line: the text fields, then the ratings level by level with the
// strokes in the file's order Forehand, Backhand, Serve, Volley, Return,
// Approach.
std::string playLine(const Outing& o) {
    std::string line = historyLine(o);
    for (int level = 0; level < 4; ++level)
        for (int row : {0, 1, 2, 4, 3, 5})
            line += ',' + quoted(std::to_string(o.ratings[row][level]));
    return line;
}

void writePlay(const std::vector<Outing>& outings) {
    std::string text = "ZBD Data File Format 2.0\r\n" + std::to_string(outings.size()) + "\r\n";
    for (const Outing& o : outings)
        text += playLine(o) + "\r\n";
    kvrtest::WriteFile("play.dat", text);
}

// Past outings, newest first.
void writeHistory(const std::vector<Outing>& outings) {
    std::string text = "KVR History Data Format 2.0\r\n";
    for (const Outing& o : outings)
        text += historyLine(o) + "\r\n";
    kvrtest::WriteFile("history.dat", text);
}

class StatisticsTest : public kvrtest::TempDirTest {
protected:
    // A store loaded from the files of the test folder, statistics computed.
    KVR_PlayData& Loaded() {
        store_ = std::make_unique<KVR_PlayData>();
        EXPECT_GE(store_->Load(), 0);
        computeStatistics(*store_);
        return *store_;
    }

    std::unique_ptr<KVR_PlayData> store_;
};

TEST_F(StatisticsTest, NothingLoggedGivesTodayOneMonthAndZeros) {
    ZBD_Date::FixToday(3, 15, 2026);
    KVR_PlayData& store = Loaded();
    EXPECT_EQ(statisticsStartDate(store).Text(), "3/15/2026");
    EXPECT_EQ(monthsCovered(store), 1);
    const PlayStatistics& s = store.Stats();
    EXPECT_EQ(s.allWins + s.allLosses + s.allUndecided, 0);
    EXPECT_EQ(s.allTime, 0.0f);
    EXPECT_EQ(s.totalGameRating, 0.0f);
    for (float month : s.monthlyTime)
        EXPECT_EQ(month, 0.0f);
    EXPECT_FALSE(s.hasHistory);
    EXPECT_FALSE(goalProgress(store).has_value());
}

// Hours and results by kind and period, the year boundary and the month
// index, from current and past records.
TEST_F(StatisticsTest, TimesResultsYearsAndMonths) {
    ZBD_Date::FixToday(3, 15, 2026);
    writePlay({
        {"1/10/2025", "M", "1.5", "W"},
        {"12/20/2025", "P", "1.25", ""},
        {"2/3/2026", "Match", "2", "L"},
        {"3/1/2026", "L", "0.75", ""},
        {"3/10/2026", "Drill", " 0.5 hours", "u"}, // no known kind: total only
        {"3/12/2026", "m", "abc", "w"},            // hours that are no number count 0
    });
    writeHistory({
        {"1/5/2026", "M", "1", "Won"},
        {"12/31/2025", "L", "0.5", ""},
        {"11/2/2024", "p", "2", ""},
        {"6/1/2023", "M", "1.5", "L"},
    });
    KVR_PlayData& store = Loaded();
    const PlayStatistics& s = store.Stats();

    EXPECT_EQ(s.currentWins, 2);
    EXPECT_EQ(s.currentLosses, 1);
    EXPECT_EQ(s.currentUndecided, 1);
    EXPECT_EQ(s.currentTime, 6.0f);
    EXPECT_EQ(s.currentMatchTime, 3.5f);
    EXPECT_EQ(s.currentPracticeTime, 1.25f);
    EXPECT_EQ(s.currentLessonTime, 0.75f);

    // 2026 only: three current records, then one past one.
    EXPECT_EQ(s.yearWins, 2);
    EXPECT_EQ(s.yearLosses, 1);
    EXPECT_EQ(s.yearUndecided, 1);
    EXPECT_EQ(s.yearTime, 4.25f);
    EXPECT_EQ(s.yearMatchTime, 3.0f);
    EXPECT_EQ(s.yearPracticeTime, 0.0f);
    EXPECT_EQ(s.yearLessonTime, 0.75f);

    EXPECT_EQ(s.allWins, 3);
    EXPECT_EQ(s.allLosses, 2);
    EXPECT_EQ(s.allUndecided, 1);
    EXPECT_EQ(s.allTime, 11.0f);
    EXPECT_EQ(s.allMatchTime, 6.0f);
    EXPECT_EQ(s.allPracticeTime, 3.25f);
    EXPECT_EQ(s.allLessonTime, 1.25f);
    EXPECT_TRUE(s.hasHistory);

    // From 6/2023 to 3/2026: 34 months; index 33 is March 2026.
    EXPECT_EQ(statisticsStartDate(store).Text(), "6/1/2023");
    EXPECT_EQ(monthsCovered(store), 34);
    std::array<float, 60> expected{};
    expected[33] = 1.25f; // 3/2026: 0.75 + 0.5 + 0
    expected[32] = 2.0f;  // 2/2026
    expected[31] = 1.0f;  // 1/2026
    expected[30] = 1.75f; // 12/2025: 1.25 current, then 0.5 past
    expected[19] = 1.5f;  // 1/2025
    expected[17] = 2.0f;  // 11/2024
    expected[0] = 1.5f;   // 6/2023
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(s.monthlyTime[i], expected[i]) << "month index " << i;
}

// Hours are summed as single-precision floats, current records in store
// order and then past records newest first.
TEST_F(StatisticsTest, HoursAddUpInSinglePrecisionInRecordOrder) {
    ZBD_Date::FixToday(3, 15, 2026);
    // Near a million hours a float steps by 1/16: each 0.02 is lost, while
    // 0.04 first and the million after would give 1000000.0625.
    writePlay({{"3/1/2026", "P", "1000000"}, {"3/2/2026", "P", "0.02"}, {"3/3/2026", "P", "0.02"}});
    std::vector<Outing> past;
    for (int day = 10; day >= 1; --day)
        past.push_back({"2/" + std::to_string(day) + "/2026", "P", "0.1"});
    writeHistory(past);
    const PlayStatistics& s = Loaded().Stats();
    EXPECT_EQ(s.currentTime, 1000000.0f);
    // Each 0.1 adds 0.125 to the million (in double it would be 1000001.04).
    EXPECT_EQ(s.allTime, 1000001.25f);
    EXPECT_EQ(s.monthlyTime[1], 1000000.0f);
    // Ten times 0.1 in single precision, not 1 as a double sum would give.
    EXPECT_EQ(s.monthlyTime[0], 1.00000012f);
}

// Only the newest five current records count; the strokes come out in the
// order Forehand, Backhand, Volley, Approach, Serve, Return.
TEST_F(StatisticsTest, AveragesOverTheNewestFiveRecords) {
    ZBD_Date::FixToday(3, 15, 2026);
    Ratings byRow;
    for (int row = 0; row < 6; ++row)
        byRow[row].fill(row + 1); // stroke totals 4, 8, 12, 16, 20, 24
    Ratings newest = byRow;
    newest[0][3] = 10; // Forehand power
    std::vector<Outing> outings;
    outings.push_back({"1/1/2026", "P", "1", ""});
    outings.back().ratings = allRatings(10);
    outings.push_back({"1/2/2026", "P", "1", ""});
    outings.back().ratings = allRatings(10);
    for (int day = 3; day <= 6; ++day) {
        outings.push_back({"1/" + std::to_string(day) + "/2026", "P", "1", ""});
        outings.back().ratings = byRow;
    }
    outings.push_back({"1/7/2026", "P", "1", ""});
    outings.back().ratings = newest;
    writePlay(outings);

    KVR_PlayData& store = Loaded();
    const PlayStatistics& s = store.Stats();
    EXPECT_FLOAT_EQ(s.strokeAverage[0], 5.8f); // (4 x 4 + 13) / 5
    EXPECT_EQ(s.strokeAverage[1], 8.0f);
    EXPECT_EQ(s.strokeAverage[2], 20.0f); // Volley
    EXPECT_EQ(s.strokeAverage[3], 24.0f); // Approach
    EXPECT_EQ(s.strokeAverage[4], 12.0f); // Serve
    EXPECT_EQ(s.strokeAverage[5], 16.0f); // Return
    EXPECT_FLOAT_EQ(s.totalGameRating, 85.8f);
    EXPECT_EQ(s.levelAverage[0], 21.0f);
    EXPECT_EQ(s.levelAverage[2], 21.0f);
    EXPECT_FLOAT_EQ(s.levelAverage[3], 22.8f); // (4 x 21 + 30) / 5

    // The totals of every record are filled, the oldest ones included.
    EXPECT_EQ(store.At(0)->grandTotal, 240);
    EXPECT_EQ(store.At(6)->strokeTotal[0], 13);
    EXPECT_EQ(store.At(6)->levelTotal[3], 30);
    EXPECT_EQ(store.At(6)->grandTotal, 93);
    // (240 + 240 + 4 x 84 + 93) / (7 x 240)
    EXPECT_FLOAT_EQ(*goalProgress(store), 909.0f / 1680.0f);
}

// Outings stored without ratings (empty rating fields, as an import of a
// file without them stores them) change no rating figure: the averages and
// the goal progress are those of the rated outings alone, and the line is
// written back with its rating fields empty.
TEST_F(StatisticsTest, OutingsWithoutRatingsChangeNoRatingFigure) {
    ZBD_Date::FixToday(3, 15, 2026);
    std::vector<Outing> outings;
    for (int day = 1; day <= 3; ++day) {
        outings.push_back({"1/" + std::to_string(day) + "/2026", "P", "1", ""});
        outings.back().ratings = allRatings(day + 4);
    }
    std::string text = "ZBD Data File Format 2.0\r\n5\r\n";
    for (const Outing& o : outings)
        text += playLine(o) + "\r\n";
    std::string unrated = historyLine({"1/9/2026", "M", "2", "U"});
    for (int field = 0; field < 24; ++field)
        unrated += ",\"\"";
    text += unrated + "\r\n" + unrated + "\r\n";
    kvrtest::WriteFile("play.dat", text);

    KVR_PlayData& store = Loaded();
    ASSERT_EQ(store.Count(), 5u);
    EXPECT_FALSE(store.At(4)->rated);
    EXPECT_EQ(store.At(4)->ToLine(), unrated);
    const PlayStatistics& s = store.Stats();
    EXPECT_FLOAT_EQ(s.strokeAverage[0], 24.0f); // (20 + 24 + 28) / 3
    EXPECT_FLOAT_EQ(s.levelAverage[0], 36.0f);
    EXPECT_FLOAT_EQ(*goalProgress(store), 432.0f / 720.0f);
    EXPECT_FLOAT_EQ(s.currentTime, 7.0f); // the hours count all the same
}

TEST_F(StatisticsTest, FewerRecordsAverageOverThoseAndFullMarksGiveTheMaximum) {
    ZBD_Date::FixToday(3, 15, 2026);
    std::vector<Outing> outings{{"3/1/2026", "M", "1", "W"}, {"3/2/2026", "M", "1", "L"}};
    outings[0].ratings = allRatings(10);
    outings[1].ratings = allRatings(10);
    writePlay(outings);
    KVR_PlayData& store = Loaded();
    for (float average : store.Stats().strokeAverage)
        EXPECT_EQ(average, 40.0f);
    for (float average : store.Stats().levelAverage)
        EXPECT_EQ(average, 60.0f);
    EXPECT_EQ(store.Stats().totalGameRating, 240.0f);
    EXPECT_EQ(goalProgress(store), 1.0f);

    outings[1].ratings = allRatings(4);
    writePlay(outings);
    KVR_PlayData& mixed = Loaded();
    EXPECT_EQ(mixed.Stats().strokeAverage[0], 28.0f); // (40 + 16) / 2
    EXPECT_EQ(mixed.Stats().levelAverage[1], 42.0f);  // (60 + 24) / 2
    EXPECT_EQ(goalProgress(mixed), 0.7f);             // 336 / 480
}

// A record dated next month and nothing older: the span is empty and every
// figure stays 0, hasHistory keeps its value. Two months ahead, everything
// but the monthly figures is computed.
TEST_F(StatisticsTest, RecordsDatedAheadOfToday) {
    ZBD_Date::FixToday(3, 15, 2026);
    std::vector<Outing> outings{{"4/2/2026", "M", "2", "W"}};
    outings[0].ratings = allRatings(5);
    writePlay(outings);
    store_ = std::make_unique<KVR_PlayData>();
    ASSERT_EQ(store_->Load(), 1);
    store_->Stats().hasHistory = true;
    store_->Stats().currentWins = 7;
    computeStatistics(*store_);
    EXPECT_EQ(monthsCovered(*store_), 0);
    EXPECT_EQ(store_->Stats().currentWins, 0);
    EXPECT_EQ(store_->Stats().currentTime, 0.0f);
    EXPECT_EQ(store_->Stats().strokeAverage[0], 0.0f);
    EXPECT_TRUE(store_->Stats().hasHistory);
    // The record's own totals are still known.
    EXPECT_EQ(goalProgress(*store_), 0.5f);

    outings[0].date = "5/2/2026";
    writePlay(outings);
    KVR_PlayData& ahead = Loaded();
    EXPECT_EQ(monthsCovered(ahead), -1);
    EXPECT_EQ(ahead.Stats().currentWins, 1);
    EXPECT_EQ(ahead.Stats().yearTime, 2.0f);
    EXPECT_EQ(ahead.Stats().strokeAverage[0], 20.0f);
    for (float month : ahead.Stats().monthlyTime)
        EXPECT_EQ(month, 0.0f);
}

TEST_F(StatisticsTest, OnlyTheNewestSixtyMonthsHaveAMonthlyFigure) {
    ZBD_Date::FixToday(3, 15, 2026);
    writePlay({{"3/1/2026", "P", "1", ""}});
    writeHistory({{"4/30/2021", "P", "2", ""}, {"3/1/2021", "P", "4", ""}});
    KVR_PlayData& store = Loaded();
    EXPECT_EQ(monthsCovered(store), 61);
    EXPECT_EQ(store.Stats().allTime, 7.0f);
    EXPECT_EQ(store.Stats().monthlyTime[59], 1.0f);
    EXPECT_EQ(store.Stats().monthlyTime[0], 2.0f); // April 2021; March 2021 falls out
    float months = 0;
    for (float month : store.Stats().monthlyTime)
        months += month;
    EXPECT_EQ(months, 3.0f);
}

TEST_F(StatisticsTest, StartDateWithoutHistoryIsTheOlderEndOfTheStore) {
    ZBD_Date::FixToday(3, 15, 2026);
    writePlay({{"11/20/2025", "P", "1", ""}, {"2/1/2026", "P", "1", ""}});
    KVR_PlayData& store = Loaded();
    EXPECT_EQ(statisticsStartDate(store).Text(), "11/20/2025");
    EXPECT_EQ(monthsCovered(store), 5);
    EXPECT_EQ(store.Stats().monthlyTime[0], 1.0f);
    EXPECT_EQ(store.Stats().monthlyTime[3], 1.0f);

    // An edit leaves a record out of place until the next load: the older
    // of the two ends is taken.
    PlayRecord edited;
    edited.Assign(*store.At(0));
    edited.date = "3/2/2026";
    store.Update(*store.At(0), edited);
    EXPECT_EQ(statisticsStartDate(store).Text(), "2/1/2026");
}

// Absurd numbers in an edited file: no overflow, no infinity.
TEST_F(StatisticsTest, AbsurdNumbersStayFinite) {
    ZBD_Date::FixToday(3, 15, 2026);
    std::vector<Outing> outings{{"3/1/2026", "M", "3e38", "W"},
                                {"3/2/2026", "M", "3e38", "W"},
                                {"3/3/2026", "M", "9999999999999999999999999999999999999999", ""},
                                {"3/4/2026", "M", "-2", ""}};
    writePlay(outings);
    // Ratings far outside 0 to 10.
    std::string text = kvrtest::ReadFile("play.dat");
    size_t last = text.rfind("\"0\"");
    text.replace(last, 3, "\"99999999999999999999\"");
    kvrtest::WriteFile("play.dat", text);

    KVR_PlayData& store = Loaded();
    const PlayStatistics& s = store.Stats();
    EXPECT_TRUE(std::isfinite(s.currentTime));
    EXPECT_EQ(s.currentTime, 1.0e6f + 1.0e6f - 2.0f);
    EXPECT_EQ(store.At(3)->grandTotal, 2147483647);
    EXPECT_TRUE(std::isfinite(s.totalGameRating));
    EXPECT_EQ(goalProgress(store), 1.0f);
}

} // namespace
