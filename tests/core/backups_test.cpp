// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/backups.h"
#include "core/date.h"
#include "support/temp_dir.h"

#include <csignal>
#include <cstdio>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>

namespace kvrtest {
namespace {

namespace fs = std::filesystem;
using Outcome = kvr::BackupResult::Outcome;

class BackupsTest : public TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        ZBD_Date::FixToday(3, 5, 2026);
    }

    static std::set<std::string> Entries(const std::string& folder) {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.insert(entry.path().filename().string());
        return names;
    }

    static void MakeBackupOn(int day) {
        ZBD_Date::FixToday(1, day, 2026);
        ASSERT_EQ(kvr::MakeDailyBackup().outcome, Outcome::Made) << day;
    }
};

TEST_F(BackupsTest, FirstStartOfTheDayCopiesEveryDataFileOnce) {
    EXPECT_EQ(kvr::MakeDailyBackup().outcome, Outcome::NothingToCopy);
    EXPECT_FALSE(Exists("backups"));

    const std::string history = Lines({"KVR History", std::string(100000, 'h')});
    WriteFile("play.dat", Lines({"ZBD Data File Format 2.0", "0"}));
    WriteFile("history.dat", history);
    WriteFile("phone.dat", "private");
    fs::permissions("phone.dat", fs::perms::owner_read | fs::perms::owner_write);
    WriteFile("return.tip", "tips");
    WriteFile("notes.txt", "not ours");

    kvr::BackupResult result = kvr::MakeDailyBackup();
    EXPECT_EQ(result.outcome, Outcome::Made);
    EXPECT_TRUE(result.problems.empty());
    EXPECT_EQ(result.folder, "backups/2026-03-05");
    EXPECT_EQ(Entries("backups"), (std::set<std::string>{"2026-03-05"}));
    EXPECT_EQ(Entries("backups/2026-03-05"),
              (std::set<std::string>{"play.dat", "history.dat", "phone.dat", "return.tip"}));
    EXPECT_EQ(ReadFile("backups/2026-03-05/history.dat"), history);
    EXPECT_EQ(ReadFile("backups/2026-03-05/phone.dat"), "private");
    EXPECT_EQ(fs::status("backups/2026-03-05/phone.dat").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    // Later starts that day leave the morning's copy as it was.
    WriteFile("play.dat", "changed");
    EXPECT_EQ(kvr::MakeDailyBackup().outcome, Outcome::AlreadyMade);
    EXPECT_EQ(ReadFile("backups/2026-03-05/play.dat"), Lines({"ZBD Data File Format 2.0", "0"}));
}

TEST_F(BackupsTest, KeepsTheNewestFourteenAndRemovesNothingElse) {
    WriteFile("play.dat", "play");
    fs::create_directories("backups/2025-12-01");
    WriteFile("backups/2025-12-01/mine.txt", "the player's own");
    fs::create_directories("backups/2025-12-02");
    WriteFile("backups/2025-12-02/play.dat", "old");
    fs::create_directory("backups/2025-12-02/sub");
    fs::create_directories("backups/keep/2025-12-03");
    WriteFile("backups/keep/2025-12-03/play.dat", "linked");
    fs::create_directory_symlink("keep/2025-12-03", "backups/2025-12-03");
    WriteFile("backups/2025-12-04", "a file of that name");
    fs::create_directories("backups/2025-1-05");
    WriteFile("backups/2025-1-05/play.dat", "not a day's name");

    for (int day = 1; day <= 20; ++day)
        MakeBackupOn(day);

    std::set<std::string> expected = {"2025-12-01", "2025-12-02", "2025-12-03",
                                      "2025-12-04", "2025-1-05",  "keep"};
    for (int day = 7; day <= 20; ++day) {
        char name[16];
        std::snprintf(name, sizeof name, "2026-01-%02d", day);
        expected.insert(name);
    }
    EXPECT_EQ(Entries("backups"), expected);
    EXPECT_EQ(ReadFile("backups/keep/2025-12-03/play.dat"), "linked");
}

TEST_F(BackupsTest, UnreadableFileIsReportedAndTheOthersAreStillCopied) {
    WriteFile("play.dat", "play");
    fs::create_directory("phone.dat"); // cannot be read as a file
    // A FIFO without a writer would block a reader for good: it is skipped.
    ASSERT_EQ(::mkfifo("forehand.tip", 0600), 0);
    kvr::BackupResult result = kvr::MakeDailyBackup();
    EXPECT_EQ(result.outcome, Outcome::Failed);
    EXPECT_EQ(result.problems,
              (std::vector<std::string>{"'phone.dat' could not be read: not a regular file",
                                        "'forehand.tip' could not be read: not a regular file"}));
    EXPECT_EQ(Entries("backups"), (std::set<std::string>{"2026-03-05"}));
    EXPECT_EQ(Entries("backups/2026-03-05"),
              (std::set<std::string>{"play.dat", "phone.dat.unread", "forehand.tip.unread"}));

    // Later starts of the day try again, and complete the day's folder once
    // the files can be read; what was copied stays as it was.
    const std::vector<std::string> problems = result.problems;
    result = kvr::MakeDailyBackup();
    EXPECT_EQ(result.outcome, Outcome::Failed);
    EXPECT_EQ(result.problems, problems);
    fs::remove("phone.dat");
    fs::remove("forehand.tip");
    WriteFile("phone.dat", "phone");
    WriteFile("forehand.tip", "tip");
    WriteFile("play.dat", "changed");
    EXPECT_EQ(kvr::MakeDailyBackup().outcome, Outcome::Made);
    EXPECT_EQ(Entries("backups/2026-03-05"),
              (std::set<std::string>{"play.dat", "phone.dat", "forehand.tip"}));
    EXPECT_EQ(ReadFile("backups/2026-03-05/phone.dat"), "phone");
    EXPECT_EQ(ReadFile("backups/2026-03-05/forehand.tip"), "tip");
    EXPECT_EQ(ReadFile("backups/2026-03-05/play.dat"), "play");
    EXPECT_EQ(kvr::MakeDailyBackup().outcome, Outcome::AlreadyMade);

    // A day's folder with a mark is still one of ours, pruned in its turn.
    fs::create_directory("phone");
    fs::rename("phone.dat", "phone/x");
    fs::create_directory("phone.dat");
    for (int day = 6; day <= 20; ++day) {
        ZBD_Date::FixToday(3, day, 2026);
        kvr::MakeDailyBackup();
    }
    EXPECT_FALSE(Exists("backups/2026-03-05"));
    EXPECT_FALSE(Exists("backups/2026-03-06"));
    EXPECT_TRUE(Exists("backups/2026-03-07/phone.dat.unread"));
}

TEST_F(BackupsTest, FailedWriteLeavesNoBackupAndALeftoverIsFinishedAfresh) {
    WriteFile("play.dat", "play");
    WriteFile("history.dat", std::string(100000, 'h'));
    // A file size limit makes the copy of history.dat fail part-way.
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit small = previous;
    small.rlim_cur = 50000;
    auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    kvr::BackupResult result = kvr::MakeDailyBackup();
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(result.outcome, Outcome::Failed);
    ASSERT_EQ(result.problems.size(), 1u);
    EXPECT_EQ(result.problems[0].rfind("'history.dat' could not be written: ", 0), 0u);
    EXPECT_TRUE(Entries("backups").empty());
    EXPECT_EQ(ReadFile("history.dat"), std::string(100000, 'h'));

    // A start cut short leaves an unfinished folder: the next start replaces it.
    fs::create_directory("backups/2026-03-05.partial");
    WriteFile("backups/2026-03-05.partial/play.dat", "half");
    EXPECT_EQ(kvr::MakeDailyBackup().outcome, Outcome::Made);
    EXPECT_EQ(Entries("backups"), (std::set<std::string>{"2026-03-05"}));
    EXPECT_EQ(ReadFile("backups/2026-03-05/play.dat"), "play");

    // One that holds anything else is never removed.
    ZBD_Date::FixToday(3, 6, 2026);
    fs::create_directory("backups/2026-03-06.partial");
    WriteFile("backups/2026-03-06.partial/mine.txt", "the player's own");
    EXPECT_EQ(kvr::MakeDailyBackup().outcome, Outcome::Failed);
    EXPECT_EQ(ReadFile("backups/2026-03-06.partial/mine.txt"), "the player's own");
}

// Before an import: today's backup is made when there is none; a file
// changed since then gets a copy of its own beside it (a second one a name
// of its own), one already kept none; those copies go with their day.
TEST_F(BackupsTest, CopyBeforeAChangeKeepsEachFileAsItIsNow) {
    EXPECT_EQ(kvr::BackupBeforeChange({"sched.dat"}).outcome, Outcome::NothingToCopy);
    WriteFile("sched.dat", "one");
    kvr::BackupResult result = kvr::BackupBeforeChange({"sched.dat", "phone.dat"});
    EXPECT_EQ(result.outcome, Outcome::Made);
    EXPECT_EQ(result.folder, "backups/2026-03-05");
    EXPECT_EQ(Entries("backups/2026-03-05"), std::set<std::string>{"sched.dat"});
    EXPECT_EQ(kvr::BackupBeforeChange({"sched.dat"}).outcome, Outcome::AlreadyMade);

    for (const char* contents : {"two", "three"}) {
        WriteFile("sched.dat", contents);
        EXPECT_EQ(kvr::BackupBeforeChange({"sched.dat"}).outcome, Outcome::Made);
    }
    std::set<std::string> kept;
    for (const std::string& name : Entries("backups/2026-03-05"))
        if (name != "sched.dat")
            kept.insert(ReadFile("backups/2026-03-05/" + name));
    EXPECT_EQ(kept, (std::set<std::string>{"two", "three"}));
    EXPECT_EQ(ReadFile("backups/2026-03-05/sched.dat"), "one");
    EXPECT_EQ(kvr::BackupBeforeChange({"sched.dat"}).outcome, Outcome::AlreadyMade);

    for (int day = 6; day <= 19; ++day) {
        ZBD_Date::FixToday(3, day, 2026);
        ASSERT_EQ(kvr::MakeDailyBackup().outcome, Outcome::Made) << day;
    }
    EXPECT_FALSE(Exists("backups/2026-03-05"));
}

// A change refused for its backup says so in the same words everywhere:
// the folder, then each problem on a line of its own, or after "; " on the
// command line's one line. A backup that worked says nothing.
TEST_F(BackupsTest, FailedBackupIsWordedOnce) {
    WriteFile("sched.dat", "one");
    EXPECT_EQ(kvr::KeepBeforeChange({"sched.dat"}), "");
    kvr::BackupResult failed;
    failed.outcome = Outcome::Failed;
    failed.folder = "backups/2026-03-05";
    failed.problems = {"sched.dat: No space left on device", "phone.dat: Permission denied"};
    EXPECT_EQ(failed.FailureText(),
              "the backup of your data files in 'backups/2026-03-05' could not be made:\n"
              "sched.dat: No space left on device\nphone.dat: Permission denied");
    EXPECT_EQ(failed.FailureText("Today's backup", true),
              "Today's backup of your data files in 'backups/2026-03-05' could not be made: "
              "sched.dat: No space left on device; phone.dat: Permission denied");

    fs::remove_all("backups");
    WriteFile("backups", "a file where the folder should be");
    const std::string refused = kvr::KeepBeforeChange({"sched.dat"}, true);
    EXPECT_TRUE(refused.starts_with("the backup of your data files in 'backups/2026-03-05' could "
                                    "not be made: "))
        << refused;
    EXPECT_EQ(refused.find('\n'), std::string::npos);
}

} // namespace
} // namespace kvrtest
