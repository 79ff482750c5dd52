// SPDX-License-Identifier: GPL-3.0-or-later
// Cases the fault sweep (tests/faults) found: a file whose presence or
// contents cannot be told must never be taken for a missing or empty one.

#include "core/history.h"
#include "core/play_store.h"
#include "core/safe_file.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

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
    EXPECT_EQ(KVR_PlayData::RecoverInterruptedChange(), -1);
    EXPECT_EQ(ReadFile("history.next"), staged);
    EXPECT_FALSE(Exists("history.dat"));

    // Once play.dat reads as emptied, the next start finishes the change.
    std::filesystem::remove("play.dat");
    WriteFile("play.dat", Lines({"ZBD Data File Format 2.0", "0"}));
    EXPECT_EQ(KVR_PlayData::RecoverInterruptedChange(), 1);
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
    EXPECT_FALSE(Exists("history.staged"));
    EXPECT_EQ(store.Count(), 1u);
}

unsigned ModeOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

const std::string kPlayFile = Lines({"ZBD Data File Format 2.0", "1", kPlayLine});

// The file a save replaces keeps its permissions and, where we may set them,
// its owner and group; a copy of it made as a backup is as private as it is.
TEST_F(DataSafetyTest, SavesKeepPermissionsAndOwner) {
    WriteFile("play.dat", kPlayFile);
    ASSERT_EQ(::chmod("play.dat", 0600), 0);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown("play.dat", 4321, 4322), 0);
    }
    KVR_PlayData store;
    ASSERT_EQ(store.Load(), 1);
    store.AddCopy(*store.At(0));
    ASSERT_EQ(store.Save(), 1);
    EXPECT_EQ(ModeOf("play.dat"), 0600u);
    struct stat info {};
    ASSERT_EQ(::stat("play.dat", &info), 0);
    if (root) {
        EXPECT_EQ(info.st_uid, 4321u);
        EXPECT_EQ(info.st_gid, 4322u);
    }

    // A group-shared history stays shared through a sort; the backups of a
    // goal-period change are as private as the files they copy.
    WriteFile("history.dat", Lines({KVR_History::kHeader, kPlayLine,
                                    R"("5/6/2024","S","","Bo","","1","P","","","","","","")"}));
    ASSERT_EQ(::chmod("history.dat", 0660), 0);
    EXPECT_EQ(store.History().SortByDate(), 1);
    EXPECT_EQ(ModeOf("history.dat"), 0660u);
    ASSERT_EQ(store.StartNewGoalPeriod(), 1);
    EXPECT_EQ(ModeOf("play.dat"), 0600u);
    EXPECT_EQ(ModeOf("play.old"), 0600u);
    EXPECT_EQ(ModeOf("history.dat"), 0660u);
    EXPECT_EQ(ModeOf("history.old"), 0660u);
}

// A data file that is a link (to a synced folder, say) stays a link: the file
// it leads to is replaced beside itself, through a chain of links too.
TEST_F(DataSafetyTest, SavesFollowLinksAndKeepThem) {
    std::filesystem::create_directories("sync/deeper");
    WriteFile("sync/deeper/play.dat", kPlayFile);
    std::filesystem::create_symlink("deeper/play.dat", "sync/link.dat");
    std::filesystem::create_symlink("sync/link.dat", "play.dat");
    KVR_PlayData store;
    ASSERT_EQ(store.Load(), 1);
    store.AddCopy(*store.At(0));
    ASSERT_EQ(store.Save(), 1);
    EXPECT_TRUE(std::filesystem::is_symlink("play.dat"));
    EXPECT_TRUE(std::filesystem::is_symlink("sync/link.dat"));
    const std::string line = store.At(0)->ToLine();
    EXPECT_EQ(ReadFile("sync/deeper/play.dat"),
              Lines({"ZBD Data File Format 2.0", "2", line, line}));

    // The goal-period change writes through the links as well, and start-up
    // clears what an interrupted save left beside a link's target.
    std::filesystem::create_symlink("sync/history.dat", "history.dat");
    ASSERT_EQ(store.StartNewGoalPeriod(), 1);
    EXPECT_TRUE(std::filesystem::is_symlink("play.dat"));
    EXPECT_TRUE(std::filesystem::is_symlink("history.dat"));
    EXPECT_EQ(ReadFile("sync/history.dat"), Lines({KVR_History::kHeader, kPlayLine, kPlayLine}));
    WriteFile("sync/deeper/.play.dat.77-1.kvtmp", "half");
    WriteFile("sync/deeper/.other.dat.77-2.kvtmp", "not ours");
    EXPECT_EQ(KVR_PlayData::RecoverInterruptedChange(), 0);
    EXPECT_FALSE(Exists("sync/deeper/.play.dat.77-1.kvtmp"));
    EXPECT_TRUE(Exists("sync/deeper/.other.dat.77-2.kvtmp"));
    for (const auto& entry : std::filesystem::directory_iterator("sync"))
        EXPECT_EQ(entry.path().string().find(".kvtmp"), std::string::npos) << entry.path();
}

// A file the user made read-only is not replaced, even by root: the save and
// the goal-period change fail and leave every file as it was.
TEST_F(DataSafetyTest, ReadOnlyFilesAreNotReplaced) {
    WriteFile("play.dat", kPlayFile);
    ASSERT_EQ(::chmod("play.dat", 0444), 0);
    KVR_PlayData store;
    ASSERT_EQ(store.Load(), 1);
    store.AddCopy(*store.At(0));
    EXPECT_EQ(store.Save(), 0);
    EXPECT_LT(store.StartNewGoalPeriod(), 1);
    EXPECT_EQ(ReadFile("play.dat"), kPlayFile);
    EXPECT_FALSE(Exists("play.old"));
    EXPECT_FALSE(Exists("history.dat"));

    ASSERT_EQ(::chmod("play.dat", 0644), 0);
    const std::string history = Lines({KVR_History::kHeader, kPlayLine});
    WriteFile("history.dat", history);
    ASSERT_EQ(::chmod("history.dat", 0400), 0);
    EXPECT_LT(store.StartNewGoalPeriod(), 1);
    EXPECT_EQ(ReadFile("play.dat"), kPlayFile);
    EXPECT_EQ(ReadFile("history.dat"), history);
    EXPECT_EQ(store.Count(), 2u);
    for (const char* left : {"history.staged", "play.old", "history.old", "play.old.staged"})
        EXPECT_FALSE(Exists(left)) << left;
}

// Only Close() puts a written file in place; one dropped without it (an
// early return) leaves the file on disk as it was, and no temporary.
TEST_F(DataSafetyTest, AnUnclosedFileIsAbandoned) {
    WriteFile("play.dat", kPlayFile);
    {
        ZBD_File out("play.dat", 'w', ',', true);
        ASSERT_TRUE(out.Good());
        out.WriteLine("half a save");
    }
    EXPECT_EQ(ReadFile("play.dat"), kPlayFile);
    for (const auto& entry : std::filesystem::directory_iterator("."))
        EXPECT_EQ(entry.path().string().find(".kvtmp"), std::string::npos) << entry.path();
}

// A goal-period change that fails at any step before its new history is in
// place leaves the backups of the change before it as they were.
TEST_F(DataSafetyTest, AFailedGoalPeriodChangeKeepsTheEarlierBackups) {
    const std::string history = Lines({KVR_History::kHeader, kPlayLine});
    for (const char* blocked : {"history.staged", "play.staged", "play.old.staged",
                                "history.old.staged", "play.commit"}) {
        SCOPED_TRACE(blocked);
        WriteFile("play.dat", kPlayFile);
        WriteFile("history.dat", history);
        WriteFile("play.old", "the period before");
        WriteFile("history.old", "the history before");
        std::filesystem::create_directory(blocked); // nothing can be staged there
        KVR_PlayData store;
        ASSERT_EQ(store.Load(), 1);
        EXPECT_LT(store.StartNewGoalPeriod(), 1);
        EXPECT_EQ(store.Count(), 1u);
        EXPECT_EQ(ReadFile("play.dat"), kPlayFile);
        EXPECT_EQ(ReadFile("history.dat"), history);
        EXPECT_EQ(ReadFile("play.old"), "the period before");
        EXPECT_EQ(ReadFile("history.old"), "the history before");
        // What could not be removed goes at the next start.
        std::filesystem::remove(blocked);
        EXPECT_EQ(KVR_PlayData::RecoverInterruptedChange(), 0);
        EXPECT_EQ(ReadFile("play.dat"), kPlayFile);
        EXPECT_EQ(ReadFile("play.old"), "the period before");
        for (const char* left : {"history.staged", "play.old.staged", "history.old.staged"})
            EXPECT_FALSE(Exists(left)) << left;
    }
}

// A change stopped after its new history was put in place, before the new
// backups were: start-up puts them in place.
TEST_F(DataSafetyTest, RecoveryFinishesTheBackupsOfACompletedChange) {
    WriteFile("play.old.next", kPlayFile);
    WriteFile("history.old.next", "the history before");
    WriteFile("play.old", "older");
    EXPECT_EQ(KVR_PlayData::RecoverInterruptedChange(), 1);
    EXPECT_EQ(ReadFile("play.old"), kPlayFile);
    EXPECT_EQ(ReadFile("history.old"), "the history before");
    EXPECT_FALSE(Exists("play.old.next"));
    EXPECT_FALSE(Exists("history.old.next"));
}

} // namespace
