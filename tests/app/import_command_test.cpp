// SPDX-License-Identifier: GPL-3.0-or-later
// kavora --export and --import as real processes, without a display.

#include "core/instance_lock.h"
#include "phonebook/phone_store.h"
#include "schedule/sched_store.h"
#include "support/process.h"
#include "support/records.h"
#include "support/temp_dir.h"

#include <filesystem>

#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace kvrtest {
namespace {

ProcessRun Kavora(const QStringList& arguments) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    return RunProcess(QStringLiteral(KAVORA_PROGRAM), arguments, environment);
}

class ImportCommandTest : public TempDirTest {};

// The notes exported from one folder and imported into another: --dry-run
// prints the preview's lines and writes nothing, --import stores them (0),
// a second import finds nothing new (1), a file of another kind is a bad
// command line (2), and a folder the program runs on is refused (1), as is
// a file whose dates may be month/day or day/month (1).
TEST_F(ImportCommandTest, ImportsExportedNotesWithPreviewAndExitCodes) {
    std::filesystem::create_directory("from");
    std::filesystem::create_directory("to");
    std::filesystem::current_path("from");
    PlayRecord match = MakePlay("3/20/2026", "Bo Park", "M");
    match.matchNotes = "deep returns";
    match.Rating(kvr::Stroke::Volley, kvr::Level::Power) = 8;
    WritePlayFiles({MakePlay("3/1/2026", "Ann Lee"), match}, {MakePlay("1/5/2026", "Cy Young")});
    const std::string play = ReadFile("play.dat");
    const std::string history = ReadFile("history.dat");
    ProcessRun run = Kavora({"--export", "notes", "--out", "../notes.csv"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_FALSE(Exists("kavora.lock")); // nothing written in the data folder

    std::filesystem::current_path("../to");
    run = Kavora({"--import", "../notes.csv", "--dry-run"});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "3 outings to add\n0 already there (skipped)\n");
    EXPECT_FALSE(Exists("play.dat"));

    run = Kavora({"--import", "../notes.csv"});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(ReadFile("play.dat"), play);
    EXPECT_EQ(ReadFile("history.dat"), history);
    run = Kavora({"--import", "../notes.csv"});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.out, "0 outings to add\n3 already there (skipped)\n");

    EXPECT_EQ(Kavora({"--import", "../play.txt"}).code, 2);
    EXPECT_EQ(Kavora({"--import", "../notes.csv", "--colour"}).code, 2);
    EXPECT_EQ(Kavora({"--export", "notes"}).code, 2);

    WriteFile("open.csv", "Date;Opponent;Kind\n4/1/2026;Di Ross;Lesson\n");
    run = Kavora({"--import", "open.csv"});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.indexOf("may be month/day or day/month"), -1) << run.err.toStdString();
    EXPECT_EQ(ReadFile("play.dat"), play);

    WriteFile("more.csv", "Date;Opponent;Kind;Time\n4/1/2026;Di Ross;Lesson;1\n4/20/2026;Ed;x;1\n");
    {
        kvr::InstanceLock running;
        ASSERT_EQ(running.GetState(), kvr::InstanceLock::State::Held);
        run = Kavora({"--import", "more.csv"});
        EXPECT_EQ(run.code, 1);
        EXPECT_NE(run.err.indexOf("Kavora is running in this folder"), -1) << run.err.toStdString();
        EXPECT_EQ(ReadFile("play.dat"), play);
    }
    run = Kavora({"--import", "more.csv"});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "1 outing to add\n0 already there (skipped)\n1 could not be read "
                       "(skipped)\nline 3: unknown kind \"x\" (accepted: Match, Singles match, "
                       "Doubles match, M, Practice, Training, Drill, P, Lesson, Coaching, L) "
                       "(skipped)\n");
}

// The calendar and the phone book exported from one folder come back whole
// into another through --import; names already in the book stay as they are.
TEST_F(ImportCommandTest, ImportsExportedCalendarAndContacts) {
    std::filesystem::create_directory("from");
    std::filesystem::create_directory("to");
    std::filesystem::current_path("from");
    SaveRecords<SchedClass>({MakeEvent("1/10/2027", "Ann Lee", "6:30 pm", "league"),
                             MakeEvent("2/3/2027", "Bo Park", "All day")});
    SaveRecords<KVR_PhoneData>(
        {MakePhone("Ann Lee", "555-0101", "lefty"), MakePhone("Bo Park", "555-0102")});
    ASSERT_EQ(Kavora({"--export", "calendar", "--out", "../dates.ics"}).code, 0);
    ASSERT_EQ(Kavora({"--export", "contacts", "--out", "../people.vcf"}).code, 0);
    const std::string events = ReadFile("sched.dat");

    std::filesystem::current_path("../to");
    SaveRecords<KVR_PhoneData>({MakePhone("Bo Park", "555-9999")});
    ProcessRun run = Kavora({"--import", "../dates.ics"});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "2 events to add\n0 already there (skipped)\n");
    EXPECT_EQ(ReadFile("sched.dat"), events);
    run = Kavora({"--import", "../people.vcf"});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "1 entry to add\n1 already there (skipped)\n");
    KVR_PhoneData phones;
    ASSERT_EQ(phones.Load(), 1);
    ASSERT_EQ(phones.Count(), 2u);
    EXPECT_EQ(phones.At(0)->ToLine(), MakePhone("Ann Lee", "555-0101", "lefty").ToLine());
    EXPECT_EQ(phones.At(1)->phoneNumber, "555-9999");
    EXPECT_EQ(Kavora({"--import", "../dates.ics"}).code, 1);
}

} // namespace
} // namespace kvrtest
