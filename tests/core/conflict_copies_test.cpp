// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/backups.h"
#include "core/conflict_copies.h"
#include "core/date.h"
#include "core/history.h"
#include "core/outing_import.h"
#include "support/records.h"
#include "support/temp_dir.h"

#include <cstdio>
#include <filesystem>
#include <set>

namespace kvrtest {
namespace {

using ConflictCopiesTest = TempDirTest;

// The three names the sync tools give a conflict copy of `dataFile`.
std::vector<std::string> CopyNames(const std::string& dataFile) {
    const size_t dot = dataFile.rfind('.');
    const std::string stem = dataFile.substr(0, dot);
    const std::string extension = dataFile.substr(dot);
    return {stem + ".sync-conflict-20261207-183012-ABCDEFG" + extension,
            stem + " (conflicted copy 2026-12-07 183012)" + extension,
            stem + " (Pat's conflicted copy 2026-12-07)" + extension};
}

// Saves `records` as a whole store file under the name `name`.
template <class Store, class Record>
void SaveAs(const std::string& name, std::initializer_list<Record> records) {
    SaveRecords<Store>(records);
    ASSERT_EQ(std::rename(Store().FileName().c_str(), name.c_str()), 0);
}

TEST_F(ConflictCopiesTest, TheThreeSyncToolNamesOfEveryDataFileAreFoundAndNearMissesAreNot) {
    std::filesystem::create_directory("conflicts");
    for (const std::string& dataFile : kvr::BackupFileNames()) {
        WriteFile(dataFile, "the data file itself");
        for (const std::string& name : CopyNames(dataFile)) {
            EXPECT_EQ(kvr::ConflictCopyOf(name), dataFile) << name;
            WriteFile(name, "a copy");
        }
    }
    for (const char* name :
         {"play.dat.bak", "playlist.dat", "play.dat", "history.old", "xplay.dat",
          "play.sync-conflict-2026127-183012-ABCDEFG.dat",  // a digit short
          "play.sync-conflict-20261207-183012-ABCDEFG.tip", // another extension
          "play (conflicted copy 2026-12-07).dat",          // Nextcloud without time
          "play (conflicted copy 2026-12-07 183012).dat.bak", "play (Pat's copy 2026-12-07).dat",
          "play (conflicted copy Pat 2026-12-07).dat",
          "replay (Pat's conflicted copy 2026-12-07).dat", "play (1).dat"}) {
        EXPECT_EQ(kvr::ConflictCopyOf(name), "") << name;
        WriteFile(name, "not a copy");
    }
    // The newer Nextcloud clients name the user; Dropbox numbers a second
    // copy of the same day.
    EXPECT_EQ(kvr::ConflictCopyOf("sched (conflicted copy Pat Smith 2026-12-07 183012).dat"),
              "sched.dat");
    EXPECT_EQ(kvr::ConflictCopyOf("serve (Zoë’s conflicted copy 2026-12-07 (1)).tip"), "serve.tip");
    // A folder with a copy's name and copies already set aside are no copies.
    std::filesystem::create_directory("chart.sync-conflict-20261207-183012-ZZZZZZZ.dat");
    WriteFile("conflicts/" + CopyNames("chart.dat")[0], "set aside before");

    const auto found = kvr::FindConflictCopies();
    ASSERT_EQ(found.size(), 3 * kvr::BackupFileNames().size());
    for (size_t i = 0; i < found.size(); ++i)
        EXPECT_EQ(found[i].dataFile, kvr::BackupFileNames()[i / 3]) << found[i].name;
    EXPECT_EQ(found[0].name, "play (Pat's conflicted copy 2026-12-07).dat"); // by name
}

TEST_F(ConflictCopiesTest, MergeAddsOnlyTheMissingRecordsAndKeepsTheCopyInConflicts) {
    const std::string name = CopyNames("sched.dat")[0];
    SaveAs<SchedClass>(name, {MakeEvent("3/1/2026", "Ann Lee"), MakeEvent("3/8/2026", "Bob Ray"),
                              MakeEvent("3/8/2026", "Bob Ray", "7 pm")});
    const std::string copyBytes = ReadFile(name);
    SaveRecords<SchedClass>({MakeEvent("3/1/2026", "Ann Lee"), MakeEvent("2/1/2026", "Cy Hall")});

    SchedClass live;
    ASSERT_EQ(live.Load(), 1);
    auto present = kvr::StoredLines(live);
    kvr::CopyOutcome outcome;
    auto changes = kvr::MissingRecords<SchedClass>({name, "sched.dat"}, ".", present, outcome);
    EXPECT_TRUE(outcome.Readable());
    EXPECT_EQ(outcome.report.added, 2u);
    EXPECT_EQ(outcome.report.present, 1u);
    ASSERT_EQ(live.CommitAll(changes), 1);

    SchedClass merged;
    ASSERT_EQ(merged.Load(), 1);
    ASSERT_EQ(merged.Count(), 4u);
    EXPECT_EQ(merged.At(0)->who, "Cy Hall");
    EXPECT_EQ(merged.At(1)->who, "Ann Lee");
    EXPECT_EQ((std::set<std::string>{merged.At(2)->time, merged.At(3)->time}),
              (std::set<std::string>{"6 pm", "7 pm"}));
    // A second copy with the same records adds nothing more.
    kvr::CopyOutcome again;
    EXPECT_TRUE(kvr::MissingRecords<SchedClass>({name, "sched.dat"}, ".", present, again).empty());
    EXPECT_EQ(again.report.present, 3u);

    // Set aside whole, a second copy of the same name beside it.
    EXPECT_EQ(kvr::SetAsideCopy(name), "conflicts/" + name);
    EXPECT_FALSE(Exists(name));
    EXPECT_EQ(ReadFile("conflicts/" + name), copyBytes);
    WriteFile(name, "a later copy");
    EXPECT_EQ(kvr::SetAsideCopy(name),
              "conflicts/sched.sync-conflict-20261207-183012-ABCDEFG.2.dat");
    EXPECT_EQ(ReadFile("conflicts/" + name), copyBytes);
}

TEST_F(ConflictCopiesTest, OutingsOfPlayAndHistoryCopiesAreTheSameWhereverTheyWereStored) {
    PlayRecord current = MakePlay("3/1/2026", "Ann Lee");
    current.Rating(kvr::Stroke::Serve, kvr::Level::Spin) = 7;
    PlayRecord past = MakePlay("1/5/2026", "Bob Ray", "M");
    PlayRecord pastRated = past; // the same outing before its goal period closed
    pastRated.Rating(kvr::Stroke::Volley, kvr::Level::Power) = 4;
    const PlayRecord newCurrent = MakePlay("3/3/2026", "Cy Hall");
    const PlayRecord newPast = MakePlay("1/2/2026", "Dee Fox");
    PlayRecord currentUnrated = current; // as the other side's history keeps it
    currentUnrated.Rating(kvr::Stroke::Serve, kvr::Level::Spin) = 0;

    const std::string playCopy = CopyNames("play.dat")[0];
    const std::string historyCopy = CopyNames("history.dat")[1];
    WritePlayFiles({current, pastRated, newCurrent}, {});
    ASSERT_EQ(std::rename("play.dat", playCopy.c_str()), 0);
    WritePlayFiles({}, {past, currentUnrated, newPast});
    ASSERT_EQ(std::rename("history.dat", historyCopy.c_str()), 0);
    WritePlayFiles({current}, {past});

    KVR_PlayData live;
    ASSERT_EQ(live.Load(), 1);
    kvr::StoredOutingLines present;
    ASSERT_TRUE(present.Read(live));
    kvr::CopyOutcome fromPlay, fromHistory;
    auto outings = kvr::MissingOutings({playCopy, "play.dat"}, ".", present, fromPlay);
    auto more = kvr::MissingOutings({historyCopy, "history.dat"}, ".", present, fromHistory);
    EXPECT_EQ(fromPlay.report.added, 1u);
    EXPECT_EQ(fromPlay.report.present, 2u);
    EXPECT_EQ(fromHistory.report.added, 1u);
    EXPECT_EQ(fromHistory.report.present, 2u);
    outings.insert(outings.end(), more.begin(), more.end());
    ASSERT_EQ(outings.size(), 2u);

    // Placed as a goal period would: the older outing into the history.
    auto placed = kvr::AddOutings(live, outings);
    ASSERT_EQ(placed.result, kvr::PlacedOutings::Result::Stored);
    EXPECT_EQ(placed.toHistory, 1u);
    EXPECT_EQ(placed.toPeriod, 1u);
    EXPECT_EQ(ReadFile("play.dat"),
              Lines({"ZBD Data File Format 2.0", "2", current.ToLine(), newCurrent.ToLine()}));
    EXPECT_EQ(ReadFile("history.dat"),
              Lines({KVR_History::kHeader, past.ToHistoryLine(), newPast.ToHistoryLine()}));
}

TEST_F(ConflictCopiesTest, CopyThatCannotBeReadAddsNothingAndSaysWhy) {
    const std::string damaged = CopyNames("phone.dat")[1];
    const std::string newer = CopyNames("phone.dat")[2];
    const std::string older = CopyNames("chart.dat")[0];
    WriteFile(damaged,
              Lines({"ZBD Data File Format 2.5", "2",
                     "\"Ann Lee\",\"555\",\"\",\"\",\"\",\"\",\"\"", "this is no record"}));
    WriteFile(newer, Lines({"ZBD Data File Format 9.0", "1", "\"Ann Lee\""}));
    WriteFile(older, Lines({"1", "3/1/2026"}));
    std::unordered_set<std::string> present;
    kvr::CopyOutcome outcome;
    EXPECT_TRUE(
        kvr::MissingRecords<KVR_PhoneData>({damaged, "phone.dat"}, ".", present, outcome).empty());
    EXPECT_FALSE(outcome.Readable());
    EXPECT_EQ(kvr::UnreadableReason(outcome.readResult, outcome.error), "damaged");
    EXPECT_TRUE(
        kvr::MissingRecords<KVR_PhoneData>({newer, "phone.dat"}, ".", present, outcome).empty());
    EXPECT_EQ(kvr::UnreadableReason(outcome.readResult, outcome.error),
              "written by a newer version of Kavora");
    // An old layout would be converted, and saved, by its load: not read.
    EXPECT_TRUE(
        kvr::MissingRecords<KVR_ChartClass>({older, "chart.dat"}, ".", present, outcome).empty());
    EXPECT_EQ(outcome.readResult, kvr::kOlderLayout);
    EXPECT_EQ(ReadFile(older), Lines({"1", "3/1/2026"}));
    EXPECT_TRUE(present.empty());
}

TEST_F(ConflictCopiesTest, BackupBeforeAChangeKeepsTheFilesAsTheyAreNowAndTheDaysCopies) {
    ZBD_Date::FixToday(12, 7, 2026);
    WriteFile("play.dat", "at the day's first start");
    ASSERT_EQ(kvr::MakeDailyBackup().outcome, kvr::BackupResult::Outcome::Made);
    WriteFile("sched.dat", "made since");
    auto result = kvr::BackupBeforeChange({"play.dat", "sched.dat"});
    EXPECT_NE(result.outcome, kvr::BackupResult::Outcome::Failed);
    EXPECT_EQ(ReadFile("backups/2026-12-07/play.dat"), "at the day's first start");
    bool kept = false;
    for (const auto& entry : std::filesystem::recursive_directory_iterator("backups"))
        kept = kept || (entry.path().filename().string().starts_with("sched.dat") &&
                        ReadFile(entry.path().string()) == "made since");
    EXPECT_TRUE(kept);
}

} // namespace
} // namespace kvrtest
