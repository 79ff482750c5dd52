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

// Sets history.dat's modification time, whole `seconds` from now.
void SetModified(long seconds) {
    timespec when{};
    clock_gettime(CLOCK_REALTIME, &when);
    when.tv_sec += seconds;
    when.tv_nsec = 0;
    SetModifiedTo(when);
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

// The copy is read again when the file's size, inode or modification time
// (to the nanosecond) changes, and only then.
TEST_F(PastRecordsTest, ReadAgainWhenTheFileOnDiskChanges) {
    WriteFile("history.dat", HistoryFile({{"2/2/2020", "Ann"}, {"1/1/2020", "Bob"}}));
    SetModified(-3600);
    KVR_PlayData store;
    EXPECT_EQ(Dates(store), (DateList{"2/2/2020", "1/1/2020"}));

    // Another program rewrites the file in place, same size, and puts the
    // time back: nothing tells, so the copy stays.
    const timespec old = Modified();
    WriteFile("history.dat", HistoryFile({{"3/3/2020", "Ann"}, {"1/1/2020", "Bob"}}));
    SetModifiedTo(old);
    EXPECT_EQ(Dates(store), (DateList{"2/2/2020", "1/1/2020"}));

    // One nanosecond later is a change.
    SetModifiedTo({old.tv_sec, old.tv_nsec + 1});
    EXPECT_EQ(Dates(store), (DateList{"3/3/2020", "1/1/2020"}));

    // Another file put in its place, same size and time.
    const timespec now = Modified();
    WriteFile("history.new", HistoryFile({{"4/4/2020", "Ann"}, {"1/1/2020", "Bob"}}));
    ASSERT_EQ(std::rename("history.new", KVR_History::kFileName), 0);
    SetModifiedTo(now);
    EXPECT_EQ(Dates(store), (DateList{"4/4/2020", "1/1/2020"}));

    // A record added at the end, the time put back.
    WriteFile("history.dat",
              HistoryFile({{"4/4/2020", "Ann"}, {"1/1/2020", "Bob"}, {"12/1/2019", "Cy"}}));
    SetModifiedTo(now);
    EXPECT_EQ(Dates(store), (DateList{"4/4/2020", "1/1/2020", "12/1/2019"}));

    std::remove(KVR_History::kFileName);
    EXPECT_TRUE(Dates(store).empty());
    EXPECT_FALSE(store.Past().HasHistory());
}

// A file changed in the clock tick in which it was read cannot be told from
// the file that was read by its time: such a copy is read again each time
// until the file is older than the read.
TEST_F(PastRecordsTest, FileChangedAsItWasReadIsReadAgain) {
    WriteFile("history.dat", HistoryFile({{"2/2/2020", "Ann"}}));
    SetModified(3600); // a time not yet past counts as the tick of the read
    KVR_PlayData store;
    EXPECT_EQ(Dates(store), (DateList{"2/2/2020"}));
    const timespec stamp = Modified();
    WriteFile("history.dat", HistoryFile({{"3/3/2020", "Ann"}}));
    SetModifiedTo(stamp);
    EXPECT_EQ(Dates(store), (DateList{"3/3/2020"}));
}

// A sort by any history reader of the program, and a goal period closed by
// the store, are in the copy at once, whatever the file's time.
TEST_F(PastRecordsTest, ProgramsOwnRewritesAreSeen) {
    WriteFile("history.dat", HistoryFile({{"1/1/2020", "Ann"}, {"2/2/2020", "Bob"}}));
    SetModified(-3600);
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
