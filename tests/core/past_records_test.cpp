// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/history.h"
#include "core/past_records.h"
#include "core/play_statistics.h"
#include "core/play_store.h"
#include "support/temp_dir.h"

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <vector>

#include <gtest/gtest.h>

namespace {

using kvrtest::WriteFile;

// A history.dat of one match per date, against the named person.
std::string HistoryFile(const std::vector<std::pair<std::string, std::string>>& outings) {
    std::string text = std::string(KVR_History::kHeader) + "\r\n";
    for (const auto& [date, who] : outings)
        text += "\"" + date + "\",\"S\",\"\",\"" + who +
                "\",\"\",\"1.5\",\"M\",\"W\",\"6-4\",\"\",\"\",\"\",\"\"\r\n";
    return text;
}

void SetModifiedTo(const timespec& when) {
    timespec times[2] = {when, when};
    ASSERT_EQ(utimensat(AT_FDCWD, KVR_History::kFileName, times, 0), 0);
}

timespec Modified() {
    struct stat info {};
    EXPECT_EQ(stat(KVR_History::kFileName, &info), 0);
    return info.st_mtim;
}

using DateList = std::vector<std::string>;

// The dates of the store's copy of the history.
DateList Dates(KVR_PlayData& store) {
    const kvr::PastRecords& past = store.Past();
    DateList dates;
    for (const auto& outing : past.Outings())
        dates.emplace_back(past.Date(outing));
    return dates;
}

class PastRecordsTest : public kvrtest::TempDirTest {};

// Passes over an unchanged file read it once; any change to it on disk
// (its inode, size, modification or status change time) is seen.
TEST_F(PastRecordsTest, ReadOnceAndAgainWhenTheFileOnDiskChanges) {
    WriteFile("history.dat", HistoryFile({{"2/2/2020", "Ann"}, {"1/1/2020", "Bob"}}));
    kvrtest::SettleFileClock(KVR_History::kFileName);
    KVR_PlayData store;
    EXPECT_EQ(Dates(store), (DateList{"2/2/2020", "1/1/2020"}));
    computeStatistics(store);
    computeStatistics(store);
    EXPECT_EQ(store.Stats().allWins, 2);
    EXPECT_EQ(store.Past().ReadCount(), 1u);

    // Another program rewrites it in place, same size, and puts its
    // modification time back.
    const timespec modified = Modified();
    WriteFile("history.dat", HistoryFile({{"3/3/2020", "Ann"}, {"1/1/2020", "Bob"}}));
    SetModifiedTo(modified);
    EXPECT_EQ(Dates(store), (DateList{"3/3/2020", "1/1/2020"}));

    // Another file put in its place, same size and time.
    WriteFile("history.new", HistoryFile({{"4/4/2020", "Ann"}, {"1/1/2020", "Bob"}}));
    ASSERT_EQ(std::rename("history.new", KVR_History::kFileName), 0);
    SetModifiedTo(modified);
    EXPECT_EQ(Dates(store), (DateList{"4/4/2020", "1/1/2020"}));

    WriteFile("history.dat",
              HistoryFile({{"4/4/2020", "Ann"}, {"1/1/2020", "Bob"}, {"12/1/2019", "Cy"}}));
    EXPECT_EQ(Dates(store), (DateList{"4/4/2020", "1/1/2020", "12/1/2019"}));
    computeStatistics(store);
    EXPECT_EQ(store.Stats().allWins, 3);

    std::remove(KVR_History::kFileName);
    EXPECT_TRUE(Dates(store).empty());
    EXPECT_FALSE(store.Past().HasHistory());
}

// A file changed in the clock tick in which it was read cannot be told by
// its times from the file that was read: a copy read less than a tick after
// the file's last change is read again at every pass.
TEST_F(PastRecordsTest, FileChangedAsItWasReadIsReadAgain) {
    WriteFile("history.dat", HistoryFile({{"2/2/2020", "Ann"}}));
    timespec ahead = Modified();
    ahead.tv_sec += 3600; // a time not yet past stands for the tick of the read
    SetModifiedTo(ahead);
    KVR_PlayData store;
    const kvr::PastRecords& past = store.Past();
    EXPECT_EQ(past.ReadCount(), 1u);
    store.Past();
    EXPECT_EQ(past.ReadCount(), 2u);
    EXPECT_EQ(Dates(store), (DateList{"2/2/2020"}));
}

// A sort by any history reader of the program, and a goal period closed by
// the store, are in the copy at once, whatever the file's time.
TEST_F(PastRecordsTest, ProgramsOwnRewritesAreSeen) {
    WriteFile("history.dat", HistoryFile({{"1/1/2020", "Ann"}, {"2/2/2020", "Bob"}}));
    KVR_PlayData store;
    EXPECT_EQ(Dates(store), (DateList{"1/1/2020", "2/2/2020"}));
    KVR_History other;
    ASSERT_EQ(other.SortByDate(), 1);
    EXPECT_EQ(Dates(store), (DateList{"2/2/2020", "1/1/2020"}));

    PlayRecord record;
    record.date = "3/3/2021";
    record.who = "Cy";
    store.AddCopy(record);
    ASSERT_EQ(store.StartNewGoalPeriod(), 1);
    EXPECT_EQ(Dates(store), (DateList{"3/3/2021", "2/2/2020", "1/1/2020"}));
    EXPECT_NE(store.Past().NameNumber("Cy"), kvr::PastRecords::kNoName);
}

// The pass leaves the store's shared reader where the notes notebook put it.
TEST_F(PastRecordsTest, StatisticsLeaveTheSharedReaderAlone) {
    WriteFile("history.dat",
              HistoryFile({{"3/3/2020", "Ann"}, {"2/2/2020", "Bob"}, {"1/1/2020", "Cy"}}));
    KVR_PlayData store;
    ASSERT_EQ(store.History().SeekTo(2), 1);
    computeStatistics(store);
    ASSERT_EQ(store.History().ReadNext(), 1);
    EXPECT_EQ(store.History().Current().who, "Bob");
    EXPECT_EQ(store.Stats().allWins, 3);
}

} // namespace
