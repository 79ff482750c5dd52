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

// Every file of the working folder with its bytes.
std::map<std::string, std::string> Folder() {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator("."))
        files[entry.path().filename().string()] = ReadFile(entry.path().filename().string());
    return files;
}

class ReadOnlyTest : public kvrtest::TempDirTest {};

TEST_F(ReadOnlyTest, OldLayoutsAreConvertedInMemoryAndNothingIsWritten) {
    WriteFile("history.dat",
              Lines({"old history", "3/1/2001", "M", "1.5", "Ann", "6-1", "W", "good", "more",
                     "2/1/2001", "P", "2", "Bob", "", "", "drills", "", ""}));
    WriteFile("sched.dat", Lines({"1", "Carla", "5/20/2026", "6 pm", "Club", "Bring balls"}));
    const auto before = Folder();
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
        EXPECT_EQ(Folder(), before);
    }
    EXPECT_EQ(Folder(), before);
    // Out of the read-only run, the same load converts and saves.
    SchedClass schedule;
    EXPECT_EQ(schedule.Load(), 1);
    EXPECT_NE(ReadFile("sched.dat"), before.at("sched.dat"));
}

} // namespace
