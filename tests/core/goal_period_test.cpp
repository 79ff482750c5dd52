// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/history.h"
#include "core/play_store.h"
#include "support/records.h"
#include "support/temp_dir.h"

#include <filesystem>

#include <gtest/gtest.h>

namespace {

using kvrtest::Exists;
using kvrtest::Lines;
using kvrtest::ReadFile;
using kvrtest::WriteFile;

PlayRecord Outing(const std::string& date, const std::string& who) {
    PlayRecord record = kvrtest::MakePlay(ZBD_Date(date).Text(), who);
    record.time = "1";
    record.Rating(kvr::Stroke::Forehand, kvr::Level::Consistency) = 5;
    return record;
}

void AddOutings(KVR_PlayData& store,
                std::initializer_list<std::pair<const char*, const char*>> outings) {
    for (auto [date, who] : outings)
        store.AddCopy(Outing(date, who));
    ASSERT_EQ(store.Save(), 1);
}

std::vector<std::string> HistoryNames() {
    KVR_History history;
    std::vector<std::string> names;
    for (int more = history.Rewind(); more == 1 && history.ReadNext() == 1;)
        names.push_back(history.Current().who);
    return names;
}

using Strings = std::vector<std::string>;
const std::string kEmptyPlayFile = Lines({"ZBD Data File Format 2.0", "0"});

class GoalPeriodTest : public kvrtest::TempDirTest {};

TEST_F(GoalPeriodTest, FirstPeriodBecomesTheHistory) {
    KVR_PlayData store;
    AddOutings(store, {{"3/1/2001", "March"}, {"1/1/2001", "January"}, {"2/1/2001", "February"}});
    std::string oldPlay = ReadFile("play.dat");

    EXPECT_EQ(store.StartNewGoalPeriod(), 1);
    EXPECT_EQ(store.Count(), 0u);
    EXPECT_EQ(ReadFile("history.dat"),
              Lines({KVR_History::kHeader, Outing("3/1/2001", "March").ToHistoryLine(),
                     Outing("2/1/2001", "February").ToHistoryLine(),
                     Outing("1/1/2001", "January").ToHistoryLine()}));
    EXPECT_EQ(ReadFile("play.dat"), kEmptyPlayFile);
    EXPECT_EQ(ReadFile("play.old"), oldPlay);
    EXPECT_FALSE(Exists("history.old"));
    EXPECT_FALSE(Exists("history.next"));
    EXPECT_FALSE(Exists("history.srt"));
}

TEST_F(GoalPeriodTest, LaterPeriodsKeepTheEarlierHistoryWhateverTheReaderState) {
    KVR_PlayData store;
    AddOutings(store, {{"1/5/2001", "A"}, {"1/1/2001", "B"}});
    ASSERT_EQ(store.StartNewGoalPeriod(), 1);
    std::string firstHistory = ReadFile("history.dat");

    // The reader left at the end of the file, as a statistics pass leaves it.
    while (store.History().ReadNext() == 1) {
    }
    AddOutings(store, {{"1/3/2001", "C"}, {"2/1/2001", "D"}});
    ASSERT_EQ(store.StartNewGoalPeriod(), 1);
    EXPECT_EQ(HistoryNames(), (Strings{"D", "A", "C", "B"}));
    EXPECT_EQ(ReadFile("history.old"), firstHistory);

    // And closed, as a sort leaves it.
    store.History().Close();
    AddOutings(store, {{"1/2/2001", "E"}});
    ASSERT_EQ(store.StartNewGoalPeriod(), 1);
    EXPECT_EQ(HistoryNames(), (Strings{"D", "A", "C", "E", "B"}));
}

TEST_F(GoalPeriodTest, EqualDatesEndInTheOrderOfTheTwoSorts) {
    // The period is written newest first (new2, new1, new3), the earlier
    // history appended (old2, old1) and the whole put through an exchange
    // sort, whose one swap moves old2 into new1's place and new1 into old2's,
    // behind new3.
    WriteFile("history.dat",
              Lines({KVR_History::kHeader, Outing("1/2/2001", "old2").ToHistoryLine(),
                     Outing("1/1/2001", "old1").ToHistoryLine()}));
    KVR_PlayData store;
    AddOutings(store, {{"1/1/2001", "new1"}, {"1/2/2001", "new2"}, {"1/1/2001", "new3"}});
    ASSERT_EQ(store.StartNewGoalPeriod(), 1);
    EXPECT_EQ(ReadFile("history.dat"),
              Lines({"KVR History Data Format 2.0",
                     R"("1/2/2001","S","","new2","","1","P","","","","","","")",
                     R"("1/2/2001","S","","old2","","1","P","","","","","","")",
                     R"("1/1/2001","S","","new3","","1","P","","","","","","")",
                     R"("1/1/2001","S","","new1","","1","P","","","","","","")",
                     R"("1/1/2001","S","","old1","","1","P","","","","","","")"}));
}

TEST_F(GoalPeriodTest, AnEmptyPeriodOnlyReordersTheHistory) {
    KVR_PlayData store;
    ASSERT_EQ(store.StartNewGoalPeriod(), 1);
    EXPECT_EQ(ReadFile("history.dat"), Lines({KVR_History::kHeader}));
    EXPECT_EQ(ReadFile("play.dat"), kEmptyPlayFile);
    EXPECT_FALSE(Exists("play.old"));
}

TEST_F(GoalPeriodTest, HistoryThatCannotBeWrittenLeavesThePeriodInPlace) {
    KVR_PlayData store;
    AddOutings(store, {{"1/1/2001", "A"}, {"1/2/2001", "B"}});
    std::string play = ReadFile("play.dat");
    WriteFile("history.dat",
              Lines({KVR_History::kHeader, Outing("1/1/2000", "past").ToHistoryLine()}));
    std::string history = ReadFile("history.dat");
    std::filesystem::create_directory("history.staged"); // the new history cannot be put there

    EXPECT_LT(store.StartNewGoalPeriod(), 1);
    EXPECT_EQ(store.Count(), 2u);
    EXPECT_EQ(ReadFile("play.dat"), play);
    EXPECT_EQ(ReadFile("history.dat"), history);
    std::filesystem::remove("history.staged");
    EXPECT_EQ(KVR_PlayData::RecoverInterruptedChange(), 0);
    EXPECT_EQ(ReadFile("play.dat"), play);
}

TEST_F(GoalPeriodTest, UnreadableOrNewerHistoryChangesNothing) {
    KVR_PlayData store;
    AddOutings(store, {{"1/1/2001", "A"}});
    std::string play = ReadFile("play.dat");
    std::filesystem::create_directory("history.dat");
    EXPECT_LT(store.StartNewGoalPeriod(), 1);
    std::filesystem::remove("history.dat");

    std::string newer = Lines({"KVR History Data Format 3.0", "future"});
    WriteFile("history.dat", newer);
    EXPECT_LT(store.StartNewGoalPeriod(), 1);
    EXPECT_EQ(store.Count(), 1u);
    EXPECT_EQ(ReadFile("play.dat"), play);
    EXPECT_EQ(ReadFile("history.dat"), newer);
    EXPECT_FALSE(Exists("play.old"));
}

TEST_F(GoalPeriodTest, APlayFileThatCouldNotBeReadIsNeverClosed) {
    std::string newer = Lines({"ZBD Data File Format 3.0", "1", "future record"});
    WriteFile("play.dat", newer);
    KVR_PlayData store;
    ASSERT_EQ(store.Load(), -2);
    EXPECT_LT(store.StartNewGoalPeriod(), 1);
    EXPECT_EQ(ReadFile("play.dat"), newer);
    EXPECT_FALSE(Exists("history.dat"));
    EXPECT_FALSE(Exists("play.old"));
}

TEST_F(GoalPeriodTest, OldHistoryIsConvertedBeforeItIsKept) {
    WriteFile("history.dat", Lines({"old", "1/1/2000", "M", "1", "Ann", "6-0", "W", "", ""}));
    KVR_PlayData store;
    AddOutings(store, {{"1/1/2001", "Bob"}});
    ASSERT_EQ(store.StartNewGoalPeriod(), 1);
    EXPECT_EQ(HistoryNames(), (Strings{"Bob", "Ann"}));
}

// The version before this one staged a goal-period change as history.next
// and decided it by emptying play.dat: a folder it left so is finished (or
// its staged history kept aside) at the first start.
TEST_F(GoalPeriodTest, RecoveryUndoesAChangeThatNeverEmptiedPlayDat) {
    KVR_PlayData store;
    AddOutings(store, {{"1/1/2001", "A"}});
    std::string play = ReadFile("play.dat");
    WriteFile("history.next",
              Lines({KVR_History::kHeader, Outing("1/1/2001", "A").ToHistoryLine()}));
    WriteFile(".play.dat.123-0.kvtmp", "half a file");
    EXPECT_EQ(KVR_PlayData::RecoverInterruptedChange(), 0);
    EXPECT_FALSE(Exists("history.next"));
    EXPECT_TRUE(Exists("history1.old")); // kept aside, never removed
    EXPECT_FALSE(Exists(".play.dat.123-0.kvtmp"));
    EXPECT_FALSE(Exists("history.dat"));
    EXPECT_EQ(ReadFile("play.dat"), play);
}

TEST_F(GoalPeriodTest, RecoveryFinishesAChangeThatEmptiedPlayDat) {
    std::string staged = Lines({KVR_History::kHeader, Outing("1/1/2001", "A").ToHistoryLine()});
    WriteFile("history.next", staged);
    WriteFile("history.dat", Lines({KVR_History::kHeader}));
    WriteFile("play.dat", kEmptyPlayFile);
    EXPECT_EQ(KVR_PlayData::RecoverInterruptedChange(), 1);
    EXPECT_EQ(ReadFile("history.dat"), staged);
    EXPECT_FALSE(Exists("history.next"));
    EXPECT_EQ(KVR_PlayData::RecoverInterruptedChange(), 0);
}

} // namespace
