// SPDX-License-Identifier: GPL-3.0-or-later
// kavora --export and --import as real processes, without a display.

#include "core/instance_lock.h"
#include "phonebook/phone_store.h"
#include "schedule/sched_store.h"
#include "support/process.h"
#include "support/records.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <sys/stat.h>

#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace kvrtest {
namespace {

QProcessEnvironment Headless() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    return environment;
}

ProcessRun Kavora(const QStringList& arguments, const QString& callerFolder = {},
                  QProcessEnvironment environment = Headless()) {
    if (!callerFolder.isEmpty())
        environment.insert(QStringLiteral("KAVORA_CALLER_DIR"), callerFolder);
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
    // Every date could be month/day or day/month: the export's own header
    // says how it writes them.
    PlayRecord match = MakePlay("3/2/2026", "Bo Park", "M");
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
    EXPECT_EQ(run.out, "would add 3 outings\n0 already there (skipped)\n");
    EXPECT_FALSE(Exists("play.dat"));
    EXPECT_FALSE(Exists("kavora.lock")); // a dry run takes no lock

    run = Kavora({"--import", "../notes.csv"});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(ReadFile("play.dat"), play);
    EXPECT_EQ(ReadFile("history.dat"), history);
    run = Kavora({"--import", "../notes.csv"});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.out, "would add 0 outings\n3 already there (skipped)\n");

    EXPECT_EQ(Kavora({"--import", "../play.txt"}).code, 2);
    EXPECT_EQ(Kavora({"--import", "../notes.csv", "--colour"}).code, 2);
    EXPECT_EQ(Kavora({"--export", "notes"}).code, 2);
    // No --out names a data file of the folder (through a link too) or the
    // folder: refused, the file as it was.
    std::filesystem::create_symlink("history.dat", "link.pdf");
    for (QStringList arguments : {QStringList{"--export", "ratings", "--out", "play.dat"},
                                  QStringList{"--export", "notes", "--out", "."},
                                  QStringList{"--print", "form", "--out", "link.pdf"}}) {
        run = Kavora(arguments);
        EXPECT_EQ(run.code, 2) << arguments.join(' ').toStdString();
        EXPECT_NE(run.err.indexOf("data files"), -1) << run.err.toStdString();
    }
    EXPECT_EQ(ReadFile("play.dat"), play);
    EXPECT_EQ(ReadFile("history.dat"), history);

    WriteFile("open.csv", "Date;Opponent;Kind\n4/1/2026;Di Ross;Lesson\n");
    run = Kavora({"--import", "open.csv"});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.indexOf("may be month/day or day/month"), -1) << run.err.toStdString();
    EXPECT_NE(run.err.indexOf("--dates"), -1) << run.err.toStdString();
    EXPECT_EQ(ReadFile("play.dat"), play);
    // --dates says which: 4/1/2026 read day/month is January 4.
    run = Kavora({"--import", "open.csv", "--dates", "dmy", "--dry-run"});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(Kavora({"--import", "open.csv", "--dates", "ymd"}).code, 2);

    WriteFile("more.csv", "Date;Opponent;Kind;Time\n4/1/2026;Di Ross;Lesson;1\n4/20/2026;Ed;x;1\n");
    {
        kvr::InstanceLock running;
        ASSERT_EQ(running.GetState(), kvr::InstanceLock::State::Held);
        run = Kavora({"--import", "more.csv"});
        EXPECT_EQ(run.code, 1);
        EXPECT_NE(run.err.indexOf("Kavora is running in this folder"), -1) << run.err.toStdString();
        EXPECT_EQ(ReadFile("play.dat"), play);
        // A dry run may look while the program runs.
        EXPECT_EQ(Kavora({"--import", "more.csv", "--dry-run"}).code, 3);
    }
    // Some rows skipped: imported all the same, exit code 3.
    run = Kavora({"--import", "more.csv"});
    EXPECT_EQ(run.code, 3) << run.err.toStdString();
    EXPECT_EQ(run.out, "added 1 outing\n0 already there (skipped)\n1 could not be read "
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
    EXPECT_EQ(run.out, "added 2 events\n0 already there (skipped)\n");
    EXPECT_EQ(ReadFile("sched.dat"), events);
    run = Kavora({"--import", "../people.vcf"});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "added 1 entry\n1 already there (skipped)\n");
    KVR_PhoneData phones;
    ASSERT_EQ(phones.Load(), 1);
    ASSERT_EQ(phones.Count(), 2u);
    EXPECT_EQ(phones.At(0)->ToLine(), MakePhone("Ann Lee", "555-0101", "lefty").ToLine());
    EXPECT_EQ(phones.At(1)->phoneNumber, "555-9999");
    EXPECT_EQ(Kavora({"--import", "../dates.ics"}).code, 1);
}

// A file that is no regular file or is too large is refused at once, before
// the folder's lock is taken: the same answer while the program runs in the
// folder, and no wait on a FIFO without a writer or on /dev/zero.
TEST_F(ImportCommandTest, FileThatIsNoRegularFileIsRefusedBeforeTheLock) {
    ASSERT_EQ(mkfifo("pipe.ics", 0600), 0);
    std::filesystem::create_symlink("/dev/zero", "zero.vcf");
    WriteFile("huge.csv", "");
    std::filesystem::resize_file("huge.csv", (std::uintmax_t{64} << 20) + 1);
    kvr::InstanceLock running;
    ASSERT_EQ(running.GetState(), kvr::InstanceLock::State::Held);
    for (auto [name, why] :
         {std::pair{"pipe.ics", "not a regular file"}, std::pair{"zero.vcf", "not a regular file"},
          std::pair{"huge.csv", "larger than 64 MiB, the most an import reads"}}) {
        const ProcessRun run = Kavora({"--import", name});
        EXPECT_EQ(run.code, 1) << name;
        const std::string path = (std::filesystem::current_path() / name).string();
        EXPECT_EQ(run.err.toStdString(), "kavora: unable to read '" + path + "': " + why + "\n");
        EXPECT_TRUE(run.out.isEmpty());
    }
}

// A relative --out is the caller's, as the launcher tells it: every mode
// writes there, never into the data folder.
TEST_F(ImportCommandTest, ARelativeOutIsInTheCallersFolder) {
    std::filesystem::create_directory("caller");
    const QString caller = QString::fromStdString(std::filesystem::absolute("caller").string());
    WritePlayFiles({MakePlay("3/1/2026", "Ann Lee")}, {});
    for (QStringList arguments :
         {QStringList{"--export", "notes", "--out", "notes.csv"},
          QStringList{"--render", "notes", "--size", "300x200", "--out", "notes.png"},
          QStringList{"--print", "form", "--out", "form.pdf"}}) {
        const ProcessRun run = Kavora(arguments, caller);
        EXPECT_EQ(run.code, 0) << run.err.toStdString();
        EXPECT_TRUE(Exists("caller/" + arguments.last().toStdString()))
            << arguments.join(' ').toStdString();
        EXPECT_FALSE(Exists(arguments.last().toStdString()));
    }
}

// Files of the oldest layouts (a headerless history and schedule), which a
// start of the program converts: every export and a dry run read them in
// memory, beside a program that holds the folder's lock, and leave the
// folder byte for byte as it was, no file added.
TEST_F(ImportCommandTest, ReadingModesLeaveAFolderOfOldLayoutsAsItWas) {
    std::filesystem::create_directory("data");
    std::filesystem::create_directory("out");
    const QString out = QString::fromStdString(std::filesystem::absolute("out").string());
    std::filesystem::current_path("data");
    WriteFile("history.dat", Lines({"Kavora history", "5/2/2025", "P", "2", "Ann Smith", "", "", "",
                                    "Old ladder drill"}));
    WriteFile("sched.dat",
              Lines({"1", "Alex Moreno", "5/20/2026", "6:00pm", "City courts", "Bring balls"}));
    SaveRecords<KVR_PlayData>({MakePlay("3/1/2026", "Bo Park")});
    SaveRecords<KVR_PhoneData>({MakePhone("Ann Smith", "555-0101")});
    WriteFile(out.toStdString() + "/new.csv", "Date,Opponent,Kind\n6/14/2026,Cy Young,Lesson\n");
    kvr::InstanceLock running;
    ASSERT_EQ(running.GetState(), kvr::InstanceLock::State::Held);
    const auto before = FolderFiles();

    for (const char* kind : {"notes", "ratings", "calendar", "contacts"}) {
        const ProcessRun run =
            Kavora({"--export", kind, "--out", QStringLiteral("export.") + kind}, out);
        EXPECT_EQ(run.code, 0) << kind << ": " << run.err.toStdString();
        EXPECT_TRUE(run.err.isEmpty()) << kind << ": " << run.err.toStdString();
    }
    EXPECT_NE(ReadFile(out.toStdString() + "/export.notes").find("Old ladder drill"),
              std::string::npos);
    EXPECT_NE(ReadFile(out.toStdString() + "/export.calendar").find("Alex Moreno"),
              std::string::npos);
    const ProcessRun dry = Kavora({"--import", "new.csv", "--dry-run"}, out);
    EXPECT_EQ(dry.code, 0) << dry.err.toStdString();
    EXPECT_EQ(dry.out, "would add 1 outing\n0 already there (skipped)\n");
    EXPECT_EQ(FolderFiles(), before);
}

// With an environment the toolkit complains about (no runtime folder, every
// category of its logging on), every mode says only its own lines on
// stderr: none when it succeeds, else "kavora: " lines; results on stdout.
TEST_F(ImportCommandTest, StderrHoldsOnlyKavoraLines) {
    QProcessEnvironment noisy = Headless();
    noisy.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    noisy.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("*=true"));
    SaveRecords<KVR_PlayData>({MakePlay("3/1/2026", "Bo Park")});
    WriteFile("more.csv", "Date,Opponent,Kind\n4/20/2026,Di Ross,Lesson\n4/21/2026,Ed,x\n");
    struct Case {
        QStringList arguments;
        int code;
    };
    const Case cases[] = {
        {{"--export", "notes", "--out", "notes.csv"}, 0},
        {{"--render", "notes", "--size", "300x200", "--out", "notes.png"}, 0},
        {{"--print", "form", "--out", "form.pdf"}, 0},
        {{"--import", "more.csv", "--dry-run"}, 3},
        {{"--import", "more.csv"}, 3},
        {{"--import", "more.csv"}, 1}, // nothing new
        {{"--import", "missing.csv"}, 1},
        {{"--export", "tips", "--out", "tips.csv"}, 2},
        {{"--render", "notes", "--size", "0x0", "--out", "notes.png"}, 2},
        {{"--print", "form", "--out", "form.txt"}, 2},
        {{"--import", "more.csv", "--dates", "ymd"}, 2},
        {{"--render", "notes", "--print", "form"}, 2},
    };
    for (const Case& test : cases) {
        const std::string what = test.arguments.join(' ').toStdString();
        const ProcessRun run = Kavora(test.arguments, {}, noisy);
        EXPECT_EQ(run.code, test.code) << what << ": " << run.err.toStdString();
        // Rows skipped (3) are part of the result, on stdout.
        if (test.code == 0 || test.code == 3)
            EXPECT_TRUE(run.err.isEmpty()) << what << ": " << run.err.toStdString();
        else
            EXPECT_FALSE(run.err.isEmpty()) << what;
        for (const QByteArray& line : run.err.split('\n'))
            EXPECT_TRUE(line.isEmpty() || line.startsWith("kavora: "))
                << what << ": " << line.toStdString();
        if (test.code == 2) {
            EXPECT_EQ(run.err.count('\n'), 1) << what << ": " << run.err.toStdString();
            EXPECT_TRUE(run.err.contains("usage: kavora") || run.err.contains("kavora --help"))
                << what << ": " << run.err.toStdString();
            EXPECT_TRUE(run.out.isEmpty()) << what;
        }
    }
    // The environment does make the toolkit warn: asked for, its warnings
    // come through, in the same form.
    noisy.insert(QStringLiteral("KAVORA_TOOLKIT_MESSAGES"), QStringLiteral("1"));
    const ProcessRun run =
        Kavora({"--render", "notes", "--size", "300x200", "--out", "notes.png"}, {}, noisy);
    EXPECT_EQ(run.code, 0);
    EXPECT_TRUE(run.err.startsWith("kavora: QStandardPaths: XDG_RUNTIME_DIR not set"))
        << run.err.toStdString();
}

} // namespace
} // namespace kvrtest
