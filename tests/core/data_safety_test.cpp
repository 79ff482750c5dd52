// Cases the fault sweep (tests/faults) found: a file whose presence or
// contents cannot be told must never be taken for a missing or empty one.

#include "core/history.h"
#include "core/play_store.h"
#include "core/safe_file.h"
#include "support/temp_dir.h"

#include <filesystem>

#include <gtest/gtest.h>

namespace {

using kvrtest::Exists;
using kvrtest::Lines;
using kvrtest::ReadFile;
using kvrtest::WriteFile;

class DataSafetyTest : public kvrtest::TempDirTest {};

const std::string kPlayLine = "\"3/4/2024\",\"S\",\"\",\"Ann\",\"\",\"1.5\",\"M\",\"W\",\"6-1\","
                              "\"\",\"\",\"kept\",\"\"";

TEST_F(DataSafetyTest, FileExistsIsFalseOnlyWhenCertainlyMissing) {
    WriteFile("plain", "x");
    EXPECT_TRUE(kvr::FileExists("plain"));
    EXPECT_FALSE(kvr::FileExists("missing"));
    EXPECT_FALSE(kvr::FileExists("plain/below")); // a file is no folder
    // A link that loops cannot be resolved: presence unknown, so present.
    std::filesystem::create_symlink("loop", "loop");
    EXPECT_TRUE(kvr::FileExists("loop"));
}

TEST_F(DataSafetyTest, RecoveryLeavesStagedHistoryWhenPlayFileCannotBeRead) {
    // A change was staged, and play.dat cannot be read: neither finishing
    // nor undoing is safe, since undoing deletes the period's only copy
    // when play.dat was already emptied.
    const std::string staged = Lines({KVR_History::kHeader, kPlayLine});
    WriteFile("history.next", staged);
    std::filesystem::create_directory("play.dat");
    EXPECT_EQ(KVR_PlayData::RecoverInterruptedGoalPeriod(), -1);
    EXPECT_EQ(ReadFile("history.next"), staged);
    EXPECT_FALSE(Exists("history.dat"));

    // Once play.dat reads as emptied, the next start finishes the change.
    std::filesystem::remove("play.dat");
    WriteFile("play.dat", Lines({"ZBD Data File Format 2.0", "0"}));
    EXPECT_EQ(KVR_PlayData::RecoverInterruptedGoalPeriod(), 1);
    EXPECT_EQ(ReadFile("history.dat"), staged);
    EXPECT_FALSE(Exists("history.next"));
}

TEST_F(DataSafetyTest, GoalPeriodChangeRefusesHistoryThatCannotBeTold) {
    const std::string play = Lines({"ZBD Data File Format 2.0", "1", kPlayLine});
    WriteFile("play.dat", play);
    std::filesystem::create_symlink("history.dat", "history.dat");
    KVR_PlayData store;
    ASSERT_EQ(store.Load(), 1);
    EXPECT_LT(store.StartNewGoalPeriod(), 1);
    EXPECT_EQ(ReadFile("play.dat"), play);
    EXPECT_TRUE(std::filesystem::is_symlink("history.dat"));
    EXPECT_FALSE(Exists("history.next"));
    EXPECT_EQ(store.Count(), 1u);
}

} // namespace
