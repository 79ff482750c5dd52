// SPDX-License-Identifier: GPL-3.0-or-later
// Outings added in a batch: placed in the history or the current goal
// period, both files changed together or not at all.

#include "core/history.h"
#include "core/outing_import.h"
#include "core/play_store.h"
#include "support/records.h"
#include "support/temp_dir.h"

#include <filesystem>

#include <gtest/gtest.h>

namespace {

using kvrtest::Exists;
using kvrtest::ReadFile;
using kvrtest::WriteFile;
using Result = kvr::PlacedOutings::Result;

PlayRecord Outing(const std::string& date, const std::string& who) {
    PlayRecord record = kvrtest::MakePlay(ZBD_Date(date).Text(), who);
    record.Rating(kvr::Stroke::Serve, kvr::Level::Spin) = 7;
    return record;
}

// The whos of history.dat, newest first.
std::vector<std::string> HistoryWhos() {
    KVR_History history;
    std::vector<std::string> whos;
    while (history.ReadNext() == 1)
        whos.push_back(history.Current().who);
    return whos;
}

std::vector<std::string> PeriodWhos(const KVR_PlayData& play) {
    std::vector<std::string> whos;
    for (unsigned i = 0; i < play.Count(); ++i)
        whos.push_back(play.At(static_cast<int>(i))->who);
    return whos;
}

class OutingImportTest : public kvrtest::TempDirTest {};

// A period of 28 outings in March and a history of two: the older outings
// of a batch go into the history in date order, the newer ones into the
// period, which then passes thirty and closes one period of its thirty
// oldest into the history. play.dat and the store hold the same three.
TEST_F(OutingImportTest, PlacesOlderOutingsInTheHistoryAndClosesFullPeriods) {
    std::vector<PlayRecord> period;
    for (int day = 1; day <= 28; ++day)
        period.push_back(Outing("3/" + std::to_string(day) + "/2026", "P" + std::to_string(day)));
    kvrtest::WritePlayFiles(period, {Outing("2/10/2026", "H2"), Outing("1/10/2026", "H1")});
    KVR_PlayData play;
    ASSERT_EQ(play.Load(), 1);

    kvr::StoredOutings stored;
    ASSERT_TRUE(stored.Read(play));
    EXPECT_TRUE(stored.Contains(Outing("1/10/2026", "H1")));
    EXPECT_TRUE(stored.Contains(Outing("03/05/2026", "P5"))); // the date as typed
    PlayRecord longer = Outing("3/5/2026", "P5");
    longer.time = "2";
    EXPECT_FALSE(stored.Contains(longer));

    const std::vector<PlayRecord> batch = {
        Outing("4/2/2026", "New2"),   Outing("2/1/2026", "Old2"), Outing("3/15/2026", "New1"),
        Outing("12/25/2025", "Old1"), Outing("4/3/2026", "New3"),
    };
    const kvr::PlacedOutings placed = kvr::AddOutings(play, batch);
    EXPECT_EQ(placed.result, Result::Stored);
    EXPECT_EQ(placed.toHistory, 2u);
    EXPECT_EQ(placed.toPeriod, 3u);
    EXPECT_EQ(placed.periodsClosed, 1);
    EXPECT_FALSE(placed.periodComplete);

    // 31 in the period: the thirty oldest (P1..P14, New1 before P15, ...,
    // P28, New2) closed, New3 remains, as recording them one by one would.
    EXPECT_EQ(PeriodWhos(play), (std::vector<std::string>{"New3"}));
    KVR_PlayData reread;
    ASSERT_EQ(reread.Load(), 1);
    ASSERT_EQ(reread.Count(), 1u);
    EXPECT_EQ(reread.At(0)->ToLine(), play.At(0)->ToLine());
    std::vector<std::string> history = HistoryWhos();
    ASSERT_EQ(history.size(), 34u);
    EXPECT_EQ(history[0], "New2");
    EXPECT_EQ(history[1], "P28");
    EXPECT_EQ(history[14], "P15");
    EXPECT_EQ(history[15], "New1"); // added before the outings of its day
    EXPECT_EQ(history[16], "P14");
    EXPECT_EQ(std::vector<std::string>(history.end() - 4, history.end()),
              (std::vector<std::string>{"H2", "Old2", "H1", "Old1"}));
    EXPECT_FALSE(Exists("play.staged"));
    EXPECT_FALSE(Exists("history.staged"));
    EXPECT_FALSE(Exists("outings.commit"));
}

// An empty folder takes a whole log: the outings before the day the source
// counts as current go to the history, the rest make the period; without
// that day, the period is whatever thirty-at-a-time leaves.
TEST_F(OutingImportTest, AnEmptyFolderTakesTheSourcesOwnPeriod) {
    std::vector<PlayRecord> batch;
    for (int day = 1; day <= 40; ++day)
        batch.push_back(
            Outing("5/" + std::to_string(day % 31 + 1) + "/20" + (day > 30 ? "26" : "25"),
                   "W" + std::to_string(day)));
    KVR_PlayData play;
    const kvr::PlacedOutings placed =
        kvr::AddOutings(play, batch, ZBD_Date("5/1/2026").DayNumber());
    EXPECT_EQ(placed.result, Result::Stored);
    EXPECT_EQ(placed.toHistory, 30u);
    EXPECT_EQ(play.Count(), 10u);
    EXPECT_EQ(play.At(0)->Rating(kvr::Stroke::Serve, kvr::Level::Spin), 7);
    EXPECT_EQ(HistoryWhos().size(), 30u);

    std::filesystem::remove("play.dat");
    std::filesystem::remove("history.dat");
    KVR_PlayData fresh;
    EXPECT_EQ(kvr::AddOutings(fresh, batch).result, Result::Stored);
    EXPECT_EQ(fresh.Count(), 10u); // forty: one period of thirty closed
}

// A save that fails leaves both files byte for byte and the store with the
// same records; a change cut short before its mark is dropped at the next
// start, one past its mark is finished.
TEST_F(OutingImportTest, AFailedSaveLeavesFilesAndStoreAsTheyWere) {
    kvrtest::WritePlayFiles({Outing("3/1/2026", "Ann"), Outing("3/2/2026", "Bo")},
                            {Outing("1/1/2026", "Cy")});
    const std::string playFile = ReadFile("play.dat");
    const std::string historyFile = ReadFile("history.dat");
    KVR_PlayData play;
    ASSERT_EQ(play.Load(), 1);
    const PlayRecord* first = play.At(0);

    // The period's outings move into the history: the staged history
    // cannot be written.
    std::vector<PlayRecord> month;
    for (int day = 1; day <= 30; ++day)
        month.push_back(Outing("4/" + std::to_string(day) + "/2026", "New"));
    std::filesystem::create_directory("history.staged");
    std::filesystem::create_directory("history.staged/x");
    EXPECT_EQ(kvr::AddOutings(play, month).result, Result::Failed);
    // play.dat cannot be replaced: with an older outing (the history
    // written, then put back) and without.
    std::filesystem::rename("play.dat", "play.keep");
    std::filesystem::create_directory("play.dat");
    EXPECT_EQ(kvr::AddOutings(play, {Outing("2/1/2025", "Old"), Outing("3/3/2026", "New")}).result,
              Result::Failed);
    EXPECT_EQ(kvr::AddOutings(play, {Outing("3/3/2026", "New")}).result, Result::Failed);
    std::filesystem::remove("play.dat");
    std::filesystem::rename("play.keep", "play.dat");
    ASSERT_EQ(play.Count(), 2u);
    EXPECT_EQ(play.At(0), first);
    EXPECT_EQ(ReadFile("play.dat"), playFile);
    EXPECT_EQ(ReadFile("history.dat"), historyFile);
    EXPECT_FALSE(Exists("play.staged"));

    std::filesystem::remove_all("history.staged");
    WriteFile("history.staged", "staged");
    WriteFile("play.staged", "staged");
    EXPECT_EQ(KVR_PlayData::RecoverInterruptedChange(), 0);
    EXPECT_FALSE(Exists("play.staged"));
    EXPECT_FALSE(Exists("history.staged"));
    EXPECT_EQ(ReadFile("play.dat"), playFile);

    WriteFile("history.staged", "new history");
    WriteFile("play.staged", "new play");
    WriteFile("outings.commit", "");
    EXPECT_EQ(KVR_PlayData::RecoverInterruptedChange(), 1);
    EXPECT_EQ(ReadFile("history.dat"), "new history");
    EXPECT_EQ(ReadFile("play.dat"), "new play");
    EXPECT_FALSE(Exists("outings.commit"));
}

} // namespace
