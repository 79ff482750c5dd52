// SPDX-License-Identifier: GPL-3.0-or-later
// The one write path of a store: a change and its save, undone when the save
// fails.

#include "core/play_store.h"
#include "support/temp_dir.h"

#include <filesystem>

#include <gtest/gtest.h>

namespace {

using kvrtest::Lines;
using kvrtest::ReadFile;
using kvrtest::WriteFile;

class StoreCommitTest : public kvrtest::TempDirTest {};

PlayRecord Outing(const std::string& date, const std::string& who) {
    PlayRecord record;
    record.date = date;
    record.singlesDoubles = "S";
    record.who = who;
    record.time = "1.5";
    record.kind = "P";
    record.practiceNotes = "drills";
    return record;
}

// While the file cannot be replaced, an added, a changed and a removed
// record are each undone: the same record objects in the same places with
// their contents, so that saving memory gives the file back byte for byte.
// Once it can, each change is saved, a changed key keeping its place.
TEST_F(StoreCommitTest, AFailedSaveLeavesMemoryAsTheFile) {
    KVR_PlayData play;
    WriteFile("play.dat",
              Lines({"ZBD Data File Format 2.0", "2", Outing("3/1/2026", "Ann").ToLine(),
                     Outing("3/5/2026", "Bo").ToLine()}));
    ASSERT_EQ(play.Load(), 1);
    const std::string file = ReadFile("play.dat");
    PlayRecord* first = play.At(0);
    PlayRecord* second = play.At(1);

    std::filesystem::rename("play.dat", "play.keep");
    std::filesystem::create_directory("play.dat");
    EXPECT_EQ(play.Commit(kvr::Added(Outing("3/3/2026", "Cy"))), 0);
    EXPECT_EQ(play.Commit(kvr::Updated(*first, Outing("3/9/2026", "Di"))), 0);
    EXPECT_EQ(play.Commit(kvr::Removed(*second)), 0);
    ASSERT_EQ(play.Count(), 2u);
    EXPECT_EQ(play.At(0), first);
    EXPECT_EQ(play.At(1), second);
    EXPECT_EQ(first->who, "Ann");
    // A batch is undone whole, however its changes interleave.
    EXPECT_EQ(play.CommitAll({kvr::Added(Outing("3/2/2026", "Ed")),
                              kvr::Updated(*first, Outing("3/9/2026", "Di")), kvr::Removed(*second),
                              kvr::Added(Outing("3/8/2026", "Fy"))}),
              0);
    ASSERT_EQ(play.Count(), 2u);
    EXPECT_EQ(play.At(0), first);
    EXPECT_EQ(play.At(1), second);
    EXPECT_EQ(first->date, "3/1/2026");
    std::filesystem::remove("play.dat");
    std::filesystem::rename("play.keep", "play.dat");
    ASSERT_EQ(play.Save(), 1);
    EXPECT_EQ(ReadFile("play.dat"), file);

    // A record that is not the store's changes nothing.
    const PlayRecord stranger = Outing("3/1/2026", "Ann");
    EXPECT_EQ(play.Commit(kvr::Removed(stranger)), 0);
    EXPECT_EQ(play.Count(), 2u);

    EXPECT_EQ(play.Commit(kvr::Added(Outing("3/3/2026", "Cy"))), 1);
    EXPECT_EQ(play.Commit(kvr::Updated(*first, Outing("3/9/2026", "Di"))), 1);
    EXPECT_EQ(play.Commit(kvr::Removed(*second)), 1);
    ASSERT_EQ(play.Count(), 2u);
    EXPECT_EQ(play.At(0), first);
    EXPECT_EQ(play.At(1)->who, "Cy");
    KVR_PlayData reread;
    ASSERT_EQ(reread.Load(), 1);
    ASSERT_EQ(reread.Count(), 2u);
    EXPECT_EQ(reread.At(0)->who, "Cy");
    EXPECT_EQ(reread.At(1)->who, "Di");
}

} // namespace
