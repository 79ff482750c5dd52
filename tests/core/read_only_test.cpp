// SPDX-License-Identifier: GPL-3.0-or-later
// A read-only run (kvr::ReadOnlyData): files of the oldest layouts are read,
// converted in memory only, and nothing in the folder is written, renamed,
// removed or added; once the run ends, saves work again.
#include "core/history.h"
#include "core/past_records.h"
#include "core/play_store.h"
#include "core/safe_file.h"
#include "schedule/sched_store.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <map>

#include <gtest/gtest.h>

namespace {

using kvrtest::Lines;
using kvrtest::ReadFile;
using kvrtest::WriteFile;

class ReadOnlyTest : public kvrtest::TempDirTest {};

TEST_F(ReadOnlyTest, OldLayoutsAreConvertedInMemoryAndNothingIsWritten) {
    WriteFile("history.dat",
              Lines({"old history", "3/1/2001", "M", "1.5", "Ann", "6-1", "W", "good", "more",
                     "2/1/2001", "P", "2", "Bob", "", "", "drills", "", ""}));
    WriteFile("sched.dat", Lines({"1", "Carla", "5/20/2026", "6 pm", "Club", "Bring balls"}));
    const auto before = kvrtest::FolderFiles();
    {
        const kvr::ReadOnlyData readOnly;
        KVR_PlayData play; // checks the history as it is made
        EXPECT_EQ(play.Load(), 0);
        KVR_History history;
        ASSERT_EQ(history.ReadNext(), 1);
        EXPECT_EQ(history.Current().who, "Ann");
        ASSERT_EQ(history.ReadNext(), 1);
        EXPECT_EQ(history.Current().matchNotes, "drills");
        EXPECT_EQ(history.ReadNext(), 0);
        EXPECT_EQ(history.CountRecords(), 2);
        EXPECT_EQ(kvr::PastRecords::Read().Outings().size(), 2u);

        SchedClass schedule;
        EXPECT_EQ(schedule.Load(), 1);
        ASSERT_EQ(schedule.Count(), 1u);
        EXPECT_EQ(schedule.At(0)->who, "Carla");
        // A save is refused, as on a read-only file system.
        EXPECT_EQ(schedule.Save(), 0);
        EXPECT_FALSE(kvr::WriteFileAtomically("new.dat", "x"));
        EXPECT_EQ(kvrtest::FolderFiles(), before);
    }
    EXPECT_EQ(kvrtest::FolderFiles(), before);
    // Out of the read-only run, the same load converts and saves.
    SchedClass schedule;
    EXPECT_EQ(schedule.Load(), 1);
    EXPECT_NE(ReadFile("sched.dat"), before.at("sched.dat"));
}

// A read-only run that names its output writes that one file, through a
// link too, and still nothing else.
TEST_F(ReadOnlyTest, TheNamedOutputIsTheOneFileWritten) {
    std::filesystem::create_directory("out");
    std::filesystem::create_symlink("out/notes.csv", "link.csv");
    WriteFile("sched.dat", Lines({"1", "Carla", "5/20/2026", "6 pm", "Club", "Bring balls"}));
    const std::string output = (Dir() / "out" / "notes.csv").string();
    {
        const kvr::ReadOnlyData readOnly(output);
        EXPECT_TRUE(kvr::WriteFileAtomically(output, "first"));
        EXPECT_TRUE(kvr::WriteFileAtomically(output, "second")); // replaced as well
        EXPECT_FALSE(kvr::WriteFileAtomically("out/other.csv", "x"));
        SchedClass schedule;
        EXPECT_EQ(schedule.Load(), 1);
        EXPECT_EQ(schedule.Save(), 0);
    }
    EXPECT_EQ(ReadFile(output), "second");
    EXPECT_EQ(kvrtest::FolderFiles("out").size(), 1u);
    {
        const kvr::ReadOnlyData readOnly((Dir() / "link.csv").string());
        EXPECT_TRUE(kvr::WriteFileAtomically((Dir() / "link.csv").string(), "third"));
        EXPECT_TRUE(std::filesystem::is_symlink("link.csv"));
    }
    EXPECT_EQ(ReadFile(output), "third");
    // Once the run ends, nothing is let through on its account.
    const kvr::ReadOnlyData readOnly;
    EXPECT_FALSE(kvr::WriteFileAtomically(output, "fourth"));
    EXPECT_EQ(ReadFile(output), "third");
}

} // namespace
