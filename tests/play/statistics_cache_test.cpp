// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/date.h"
#include "core/history.h"
#include "core/past_records.h"
#include "core/play_store.h"
#include "data_generator.h"
#include "play/statistics.h"
#include "support/temp_dir.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using kvrbench::DataSet;

// Every field of two statistics blocks, floats to the last bit.
void ExpectSameStatistics(const PlayStatistics& a, const PlayStatistics& b) {
    const int counts[][2] = {{a.currentWins, b.currentWins},
                             {a.currentLosses, b.currentLosses},
                             {a.currentUndecided, b.currentUndecided},
                             {a.yearWins, b.yearWins},
                             {a.yearLosses, b.yearLosses},
                             {a.yearUndecided, b.yearUndecided},
                             {a.allWins, b.allWins},
                             {a.allLosses, b.allLosses},
                             {a.allUndecided, b.allUndecided}};
    for (size_t i = 0; i < std::size(counts); ++i)
        EXPECT_EQ(counts[i][0], counts[i][1]) << "count " << i;
    const float times[][2] = {{a.currentTime, b.currentTime},
                              {a.currentMatchTime, b.currentMatchTime},
                              {a.currentPracticeTime, b.currentPracticeTime},
                              {a.currentLessonTime, b.currentLessonTime},
                              {a.yearTime, b.yearTime},
                              {a.yearMatchTime, b.yearMatchTime},
                              {a.yearPracticeTime, b.yearPracticeTime},
                              {a.yearLessonTime, b.yearLessonTime},
                              {a.allTime, b.allTime},
                              {a.allMatchTime, b.allMatchTime},
                              {a.allPracticeTime, b.allPracticeTime},
                              {a.allLessonTime, b.allLessonTime},
                              {a.totalGameRating, b.totalGameRating}};
    for (size_t i = 0; i < std::size(times); ++i)
        EXPECT_EQ(times[i][0], times[i][1]) << "time " << i;
    EXPECT_EQ(a.strokeAverage, b.strokeAverage);
    EXPECT_EQ(a.levelAverage, b.levelAverage);
    EXPECT_EQ(a.monthlyTime, b.monthlyTime);
    EXPECT_EQ(a.hasHistory, b.hasHistory);
}

class StatisticsCacheTest : public kvrtest::TempDirTest {
protected:
    void TearDown() override {
        ZBD_Date::UseSystemClock();
        kvrtest::TempDirTest::TearDown();
    }
};

// On the generated log (10,000 past records, a full goal period) the pass
// and the opponent figures over the store's copy of the history give what
// the same computations give over history.dat read afresh, for several
// todays with the copy kept between them; the block taken as a value is
// the store's to the last bit.
TEST_F(StatisticsCacheTest, CopyOfTheHistoryGivesTheFiguresOfAFreshRead) {
    DataSet data;
    ASSERT_EQ(data.WriteAll(), "");
    KVR_PlayData store;
    ASSERT_EQ(store.Load(), 1);
    std::vector<std::string> names = data.People();
    names.insert(names.end(), {"Nobody Known", ""});

    struct Today {
        int month, day, year;
    };
    for (Today today : {Today{3, 15, 2026}, Today{6, 30, 2024}, Today{1, 2, 2011}}) {
        SCOPED_TRACE(std::to_string(today.month) + "/" + std::to_string(today.year));
        ZBD_Date::FixToday(today.month, today.day, today.year);
        computeStatistics(store);
        computeStatistics(store); // the second pass from the copy alone
        const PlayStatistics cached = store.Stats();
        const std::vector<OpponentStats> cachedOpponents =
            kvr::ComputeOpponentStatsForAll(store, names);

        const kvr::PastRecords fresh = kvr::PastRecords::Read();
        // The block as a value, as the views take it, is the store's.
        ExpectSameStatistics(cached, statisticsOf(store, fresh, ZBD_Date()));
        computeStatistics(store, fresh);
        ExpectSameStatistics(cached, store.Stats());
        const std::vector<OpponentStats> freshOpponents =
            kvr::ComputeOpponentStatsForAll(store, names, fresh);
        ASSERT_EQ(cachedOpponents.size(), names.size());
        for (size_t i = 0; i < names.size(); ++i) {
            EXPECT_EQ(cachedOpponents[i].lastPlayed, freshOpponents[i].lastPlayed) << names[i];
            EXPECT_EQ(cachedOpponents[i].lastOuting, freshOpponents[i].lastOuting) << names[i];
            EXPECT_EQ(cachedOpponents[i].winLossRecord, freshOpponents[i].winLossRecord)
                << names[i];
            OpponentStats one;
            ComputeOpponentStats(store, names[i], one);
            EXPECT_EQ(one.winLossRecord, cachedOpponents[i].winLossRecord) << names[i];
            EXPECT_EQ(one.lastOuting, cachedOpponents[i].lastOuting) << names[i];
        }
    }

    // The counts follow from the records themselves, whatever the order.
    int wins = 0, losses = 0;
    for (const auto* records : {&data.History(), &data.GoalPeriod()}) {
        for (const PlayRecord& record : *records) {
            wins += record.result == "W";
            losses += record.result == "L";
        }
    }
    EXPECT_EQ(store.Stats().allWins, wins);
    EXPECT_EQ(store.Stats().allLosses, losses);
    EXPECT_TRUE(store.Stats().hasHistory);
    EXPECT_EQ(store.Past().Outings().size(), data.History().size());
}

// A goal period closed through the store is in the next pass, without a
// new store.
TEST_F(StatisticsCacheTest, ClosedGoalPeriodCountsInTheNextPass) {
    DataSet data;
    ASSERT_EQ(data.WriteAll(), "");
    ZBD_Date::FixToday(3, 15, 2026);
    KVR_PlayData store;
    ASSERT_EQ(store.Load(), 1);
    computeStatistics(store);
    const PlayStatistics before = store.Stats();

    ASSERT_EQ(store.StartNewGoalPeriod(), 1);
    computeStatistics(store);
    EXPECT_EQ(store.Past().Outings().size(), data.History().size() + data.GoalPeriod().size());
    EXPECT_EQ(store.Stats().currentWins, 0);
    EXPECT_EQ(store.Stats().allWins, before.allWins);
    EXPECT_EQ(store.Stats().allLosses, before.allLosses);
    const PlayStatistics cached = store.Stats();
    computeStatistics(store, kvr::PastRecords::Read());
    ExpectSameStatistics(cached, store.Stats());
}

// The copy takes from each record of the generated history (and of records
// of odd shapes: a date to normalise, empty fields, quotes inside a field)
// what a play record read from the same line holds; lines that are no
// records (one cut short, one without a date) are in neither, and make the
// history a damaged one.
TEST_F(StatisticsCacheTest, CopyHoldsWhatTheRecordsRead) {
    DataSet data;
    std::string history = data.HistoryFile();
    history += "\"03/04/2019\",\"D\",\"Kim\",\"Lee, \"\"Ace\"\"\",\"\",\"1.75h\",\"l\",\"\",\"\","
               "\"\",\"\",\"\",\"\"\r\n";
    history += "\"2/1/2019\"\r\n";
    history += "\"\",\"S\",\"\",\"Nobody\",\"\",\"2\",\"M\",\"W\",\"6-0\",\"\",\"\",\"\",\"\"\r\n";
    history += "\"1/1/2018\",\"S\",\"\",\"After\",\"\",\"2\",\"M\",\"W\",\"6-0\",\"\",\"\",\"\","
               "\"\"\r\n";
    kvrtest::WriteFile(KVR_History::kFileName, history);

    const kvr::PastRecords past = kvr::PastRecords::Read();
    KVR_History reader;
    size_t i = 0;
    std::string lastDate;
    while (reader.ReadNext() == 1) {
        const PlayRecord& record = reader.Current();
        lastDate = record.date;
        ASSERT_LT(i, past.Outings().size());
        const kvr::PastRecords::Outing& outing = past.Outings()[i++];
        const ZBD_Date date(record.date);
        EXPECT_EQ(outing.year, date.Year()) << i;
        EXPECT_EQ(outing.month, date.Month()) << i;
        EXPECT_EQ(outing.hours, kvr::HoursOf(record.time)) << i;
        EXPECT_EQ(outing.kind, kvr::FirstLetter(record.kind)) << i;
        EXPECT_EQ(outing.result, kvr::FirstLetter(record.result)) << i;
        EXPECT_EQ(past.Date(outing), record.date) << i;
        EXPECT_EQ(past.Summary(outing),
                  kvr::OutingSummary(record.kind, record.score, record.result))
            << i;
        EXPECT_EQ(outing.who, past.NameNumber(record.who)) << i;
        EXPECT_EQ(outing.secondOpponent, past.NameNumber(record.secondOpponent)) << i;
        EXPECT_EQ(outing.partner, past.NameNumber(record.partner)) << i;
    }
    EXPECT_EQ(i, data.History().size() + 2);
    EXPECT_EQ(past.Outings().size(), i);
    EXPECT_EQ(past.LastDate(), lastDate);
    EXPECT_EQ(past.LastDate(), "1/1/2018");
    EXPECT_TRUE(past.HasHistory());
    EXPECT_TRUE(past.Damaged());
    EXPECT_EQ(past.NameNumber("Nobody"), kvr::PastRecords::kNoName);
}

} // namespace
