// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/date.h"
#include "core/history.h"
#include "core/past_cache.h"
#include "core/past_records.h"
#include "core/play_store.h"
#include "data_generator.h"
#include "play/statistics.h"
#include "support/temp_dir.h"

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/stat.h>
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

// The summary of the past records kept in the user's cache folder: every
// figure read through it is the figure of a full read of history.dat, to the
// last bit, and a summary of any other version of the file is never used.
class PastSummaryTest : public kvrtest::TempDirTest {
protected:
    void SetUp() override {
        kvrtest::TempDirTest::SetUp();
        if (const char* cache = std::getenv("XDG_CACHE_HOME"))
            previousCache_ = cache;
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kavora-summary-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        caches_ = pattern;
        UseCache("kept");
    }
    void TearDown() override {
        ::setenv("XDG_CACHE_HOME", previousCache_.c_str(), 1);
        std::error_code ignored;
        std::filesystem::remove_all(caches_, ignored);
        ZBD_Date::UseSystemClock();
        kvrtest::TempDirTest::TearDown();
    }
    void UseCache(const std::string& name) {
        ::setenv("XDG_CACHE_HOME", (caches_ / name).c_str(), 1);
    }
    // The records read from history.dat itself, through an empty cache
    // folder of their own.
    kvr::PastRecords FullRead() {
        UseCache("fresh" + std::to_string(++fresh_));
        kvr::PastRecords past = kvr::PastRecords::Read();
        EXPECT_FALSE(past.FromSummary());
        UseCache("kept");
        return past;
    }
    std::vector<std::string> KeptFiles() const {
        std::vector<std::string> files;
        std::error_code ignored;
        for (const auto& entry :
             std::filesystem::directory_iterator(caches_ / "kept" / "kavora", ignored))
            files.push_back(entry.path().filename().string());
        return files;
    }
    std::string SummaryPath() const {
        auto version = kvr::CurrentHistoryVersion();
        return version ? kvr::PastCachePath(version->folder) : std::string();
    }

    std::filesystem::path caches_;

private:
    std::string previousCache_;
    int fresh_ = 0;
};

void ExpectSamePast(const kvr::PastRecords& a, const kvr::PastRecords& b,
                    const std::vector<std::string>& names) {
    ASSERT_EQ(a.Outings().size(), b.Outings().size());
    for (size_t i = 0; i < a.Outings().size(); ++i) {
        const auto& x = a.Outings()[i];
        const auto& y = b.Outings()[i];
        ASSERT_TRUE(x.year == y.year && x.month == y.month &&
                    std::bit_cast<std::uint32_t>(x.hours) ==
                        std::bit_cast<std::uint32_t>(y.hours) &&
                    x.kind == y.kind && x.result == y.result && x.who == y.who &&
                    x.secondOpponent == y.secondOpponent && x.partner == y.partner &&
                    a.Date(x) == b.Date(y) && a.Summary(x) == b.Summary(y))
            << "outing " << i;
    }
    EXPECT_EQ(a.NameCount(), b.NameCount());
    for (const std::string& name : names)
        EXPECT_EQ(a.NameNumber(name), b.NameNumber(name)) << name;
    EXPECT_EQ(a.HasHistory(), b.HasHistory());
    EXPECT_EQ(a.Damaged(), b.Damaged());
    EXPECT_EQ(a.LastDate(), b.LastDate());
}

// The figures and the opponent figures over both, for several todays.
void ExpectSameFigures(KVR_PlayData& store, const kvr::PastRecords& summary,
                       const kvr::PastRecords& full, const std::vector<std::string>& names) {
    for (int year : {2026, 2019, 2011}) {
        ZBD_Date::FixToday(3, 15, year);
        ExpectSameStatistics(statisticsOf(store, summary, ZBD_Date()),
                             statisticsOf(store, full, ZBD_Date()));
    }
    ZBD_Date::UseSystemClock();
    const auto a = kvr::ComputeOpponentStatsForAll(store, names, summary);
    const auto b = kvr::ComputeOpponentStatsForAll(store, names, full);
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].lastPlayed, b[i].lastPlayed) << names[i];
        EXPECT_EQ(a[i].lastOuting, b[i].lastOuting) << names[i];
        EXPECT_EQ(a[i].winLossRecord, b[i].winLossRecord) << names[i];
    }
}

// The first read keeps the summary (in the cache folder, nothing new in the
// data folder), the next takes it, and both give the full read's records
// and figures; so does every read after history.dat changed under the
// summary, whichever way it changed.
TEST_F(PastSummaryTest, FiguresThroughTheSummaryAreThoseOfAFullRead) {
    DataSet data;
    ASSERT_EQ(data.WriteAll(), "");
    // Odd records too: a date to normalise, quotes, a comma, fractions.
    std::string history = data.HistoryFile();
    history += "\"03/04/2009\",\"D\",\"Kim\",\"Lee, \"\"Ace\"\"\",\"\",\"1.75h\",\"l\",\"\","
               "\"\",\"\",\"\",\"\",\"\"\r\n";
    kvrtest::WriteFile(KVR_History::kFileName, history);
    kvrtest::SettleFileClock(KVR_History::kFileName);
    KVR_PlayData store;
    ASSERT_EQ(store.Load(), 1);
    std::vector<std::string> names = data.People();
    names.insert(names.end(), {"Kim", "Lee, \"Ace\"", "Nobody Known", ""});
    const auto folderBefore = kvrtest::FolderFiles();

    const kvr::PastRecords first = kvr::PastRecords::Read();
    EXPECT_FALSE(first.FromSummary());
    ASSERT_EQ(KeptFiles().size(), 1u);
    const kvr::PastRecords second = kvr::PastRecords::Read();
    EXPECT_TRUE(second.FromSummary());
    EXPECT_EQ(kvrtest::FolderFiles(), folderBefore);
    const kvr::PastRecords full = FullRead();
    ExpectSamePast(second, full, names);
    ExpectSamePast(first, full, names);
    ExpectSameFigures(store, second, full, names);

    struct Change {
        const char* what;
        std::function<void(std::string&)> edit;
        bool keepModified;
    };
    const Change changes[] = {
        {"a record added",
         [](std::string& text) {
             text +=
                 "\"1/2/"
                 "2008\",\"S\",\"\",\"New\",\"\",\"2\",\"M\",\"W\",\"6-0\",\"\",\"\",\"\",\"\"\r\n";
         },
         false},
        {"a result in the middle, same size and modification time",
         [](std::string& text) {
             const size_t at = text.find("\"W\"", text.size() / 2);
             text[at + 1] = 'L';
         },
         true},
        {"a record removed", [](std::string& text) { text.erase(text.rfind("\"1/2/2008\"")); },
         false},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        struct stat before {};
        ASSERT_EQ(stat(KVR_History::kFileName, &before), 0);
        std::string text = kvrtest::ReadFile(KVR_History::kFileName);
        change.edit(text);
        kvrtest::WriteFile(KVR_History::kFileName, text);
        if (change.keepModified) {
            const timespec times[2] = {before.st_atim, before.st_mtim};
            ASSERT_EQ(utimensat(AT_FDCWD, KVR_History::kFileName, times, 0), 0);
        }
        kvrtest::SettleFileClock(KVR_History::kFileName);
        const kvr::PastRecords changed = kvr::PastRecords::Read();
        EXPECT_FALSE(changed.FromSummary());
        const kvr::PastRecords again = kvr::PastRecords::Read();
        EXPECT_TRUE(again.FromSummary());
        const kvr::PastRecords fresh = FullRead();
        ExpectSamePast(changed, fresh, names);
        ExpectSamePast(again, fresh, names);
        ExpectSameFigures(store, again, fresh, names);
        EXPECT_EQ(KeptFiles().size(), 1u);
    }
}

// A summary that is not whole (cut short, a byte changed, emptied) is not
// used and is made again; one that cannot be kept at all changes nothing.
TEST_F(PastSummaryTest, SummaryThatCannotBeReadOrWrittenIsOnlySlower) {
    DataSet data({.historyRecords = 500});
    ASSERT_EQ(data.WriteAll(), "");
    kvrtest::SettleFileClock(KVR_History::kFileName);
    const kvr::PastRecords full = FullRead();
    ASSERT_FALSE(kvr::PastRecords::Read().FromSummary());
    const std::string path = SummaryPath();
    const std::string kept = kvrtest::ReadFile(path);
    ASSERT_FALSE(kept.empty());

    for (std::string spoilt :
         {kept.substr(0, kept.size() / 2), kept.substr(0, 20), std::string(), kept + "x", kept}) {
        if (spoilt == kept)
            spoilt[spoilt.size() - 100] ^= 0x20;
        kvrtest::WriteFile(path, spoilt);
        const kvr::PastRecords read = kvr::PastRecords::Read();
        EXPECT_FALSE(read.FromSummary()) << spoilt.size();
        ExpectSamePast(read, full, data.People());
        EXPECT_EQ(kvrtest::ReadFile(path), kept); // made again, the same
    }

    // A cache folder that cannot be made (a file stands in its way).
    kvrtest::WriteFile((caches_ / "blocked").string(), "");
    ::setenv("XDG_CACHE_HOME", (caches_ / "blocked").c_str(), 1);
    for (int i = 0; i < 2; ++i) {
        const kvr::PastRecords read = kvr::PastRecords::Read();
        EXPECT_FALSE(read.FromSummary());
        ExpectSamePast(read, full, data.People());
    }
    // A read-only run keeps none.
    UseCache("read-only");
    {
        kvr::ReadOnlyData readOnly;
        ExpectSamePast(kvr::PastRecords::Read(), full, data.People());
    }
    EXPECT_FALSE(std::filesystem::exists(caches_ / "read-only"));
}

// A history with damaged lines is never summarised: every read reads it
// whole and finds the damage, so that every start tells it.
TEST_F(PastSummaryTest, DamagedHistoryIsReadWholeEveryTime) {
    DataSet data({.historyRecords = 200});
    kvrtest::WriteFile(KVR_History::kFileName, data.HistoryFile() + "\"2/1/2019\"\r\n");
    kvrtest::SettleFileClock(KVR_History::kFileName);
    for (int i = 0; i < 2; ++i) {
        const kvr::PastRecords read = kvr::PastRecords::Read();
        EXPECT_TRUE(read.Damaged());
        EXPECT_FALSE(read.FromSummary());
        EXPECT_EQ(read.Outings().size(), data.History().size());
    }
    EXPECT_TRUE(KeptFiles().empty());
}

} // namespace
