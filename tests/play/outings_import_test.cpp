// SPDX-License-Identifier: GPL-3.0-or-later
// Outings imported from CSV: a generated log exported and imported back
// whole, a spreadsheet's file with the rows it cannot take, and the command
// in the Data menu.

#include "core/history.h"
#include "data_generator.h"
#include "play/import_outings.h"
#include "play/notes_csv.h"
#include "play/outings_csv.h"
#include "support/app_fixture.h"
#include "support/records.h"

#include <filesystem>

#include <QDialog>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

namespace kvrtest {
namespace {

// Every stored line of the working folder's log: the current period's
// records (ratings included), then the history's.
std::vector<std::string> StoredLines() {
    KVR_PlayData play;
    EXPECT_EQ(play.Load(), 1);
    std::vector<std::string> lines;
    for (unsigned i = 0; i < play.Count(); ++i)
        lines.push_back(play.At(static_cast<int>(i))->ToLine());
    lines.push_back("--");
    KVR_History history;
    while (history.ReadNext() == 1)
        lines.push_back(history.CurrentLine());
    return lines;
}

kvr::StoredOutingImport ImportHere(const std::string& csv) {
    KVR_PlayData play;
    play.Load();
    const kvr::OutingImport import = kvr::PrepareOutingImport(csv, play);
    EXPECT_EQ(import.error, "");
    return kvr::StoreOutingImport(play, import);
}

class OutingsCsvTest : public TempDirTest {};

// The generated log exported as notes CSV comes back into an empty folder
// record by record, ratings and the goal period included; imported again,
// every outing is already there.
TEST_F(OutingsCsvTest, AnExportedLogImportsBackWhole) {
    std::filesystem::create_directory("from");
    std::filesystem::create_directory("to");
    std::filesystem::current_path("from");
    kvrbench::DataSetSize size;
    size.historyRecords = 400;
    ASSERT_EQ(kvrbench::DataSet(size).WriteAll(), "");
    const std::vector<std::string> original = StoredLines();
    KVR_PlayData play;
    ASSERT_EQ(play.Load(), 1);
    ASSERT_TRUE(kui::ExportNotesCsv(QStringLiteral("../notes.csv"), play));

    std::filesystem::current_path("../to");
    const std::string csv = ReadFile("../notes.csv");
    const kvr::StoredOutingImport stored = ImportHere(csv);
    EXPECT_EQ(stored.placed.result, kvr::PlacedOutings::Result::Stored);
    EXPECT_EQ(stored.placed.toHistory, 400u);
    EXPECT_EQ(StoredLines(), original);

    KVR_PlayData again;
    ASSERT_EQ(again.Load(), 1);
    const kvr::OutingImport repeat = kvr::PrepareOutingImport(csv, again);
    EXPECT_EQ(repeat.report.added, 0u);
    EXPECT_EQ(repeat.report.present, 430u);
}

// A spreadsheet's file: a byte order mark, semicolons, Windows line ends,
// its own column names in its own order, quoted fields with the separator,
// quotes and a line break. Each bad row is named with its line and reason
// and nothing of it is stored; a text over its limit is cut and said.
TEST_F(OutingsCsvTest, ReadsASpreadsheetsFileAndNamesEveryBadRow) {
    const std::string longName(30, 'z');
    const std::string csv =
        "\xEF\xBB\xBF\"Kind\";Opponent;Date;Hours;Practice Notes;Score;Result\r\n"
        "Practice;ann lee;3/2/2026;1,5;\"serve; then \"\"kick\"\"\";;\r\n"
        "match;Bo Park;2026-03-04;2;\"line one\r\nline two\";6-4 6-4;loss\r\n"
        "Lesson;Cy Young;2/30/2026;1;x;;\r\n"
        "Practice;Di Ross;3/5/2026;-1;x;;\r\n"
        "Tournament;Ed Fox;3/6/2026;1;x;;\r\n"
        "Practice;" +
        longName + ";3/7/2026;1;" + std::string(300, 'n') +
        ";;\r\n"
        "Practice;Gus\xFF;3/8/2026;1;x;;\r\n"
        "Practice;Hal;3/9/2026;1;" +
        std::string(10 * 1024 * 1024, 'h') +
        ";;\r\n"
        "Lesson;Ida;3/10/2026;1;ok;;\r\n"
        // Texts opening with a comma are kept as written.
        "Practice;\",jo\";3/11/2026;1;\",again\";;\r\n";
    kvr::OutingsCsv read = kvr::ReadOutingsCsv(csv);
    ASSERT_EQ(read.error, "");
    ASSERT_EQ(read.outings.size(), 5u);
    const PlayRecord& practice = read.outings[0];
    EXPECT_EQ(practice.who, "Ann Lee");
    EXPECT_EQ(practice.kind, "P");
    EXPECT_EQ(practice.time, "1.5");
    EXPECT_EQ(practice.practiceNotes, "serve; then 'kick'");
    EXPECT_EQ(practice.result, "");
    const PlayRecord& match = read.outings[1];
    EXPECT_EQ(match.date, "3/4/2026");
    EXPECT_EQ(match.result, "L");
    EXPECT_EQ(match.score, "6-4 6-4");
    EXPECT_EQ(match.practiceNotes.find('\n'), std::string::npos);
    EXPECT_EQ(read.outings[2].who.size(), 24u);
    EXPECT_EQ(read.outings[2].practiceNotes.size(), 219u);
    EXPECT_EQ(read.lines, (std::vector<std::size_t>{2, 3, 8, 11, 12}));
    EXPECT_EQ(read.outings[4].who, ",jo");
    EXPECT_EQ(read.outings[4].practiceNotes, ",again");
    EXPECT_TRUE(KVR_PlayData::IsPlayRecordLine(read.outings[4].ToLine()));

    std::vector<std::string> problems;
    for (const kvr::ImportProblem& problem : read.problems)
        problems.push_back(std::to_string(problem.line) + (problem.skipped ? " skip " : " keep ") +
                           problem.reason);
    EXPECT_EQ(problems, (std::vector<std::string>{
                            "5 skip bad date \"2/30/2026\"",
                            "6 skip hours out of range \"-1\"",
                            "7 skip unknown kind \"Tournament\"",
                            "8 keep Opponent cut to 24 characters",
                            "8 keep Practice Notes cut to 219 characters",
                            "9 skip not UTF-8 text",
                            "10 skip row longer than 65536 bytes",
                        }));

    const kvr::StoredOutingImport stored = ImportHere(csv);
    EXPECT_EQ(stored.placed.result, kvr::PlacedOutings::Result::Stored);
    KVR_PlayData play;
    ASSERT_EQ(play.Load(), 1);
    std::vector<std::string> whos;
    for (unsigned i = 0; i < play.Count(); ++i)
        whos.push_back(play.At(static_cast<int>(i))->who);
    EXPECT_EQ(whos,
              (std::vector<std::string>{"Ann Lee", "Bo Park",
                                        std::string(1, 'Z') + std::string(23, 'z'), "Ida", ",jo"}));

    // A single "Notes" column holds the notes of each outing's kind.
    read = kvr::ReadOutingsCsv("Date,Who,Kind,Notes\n3/1/2026,Ann,M,deep\n3/2/2026,Bo,P,lobs\n");
    ASSERT_EQ(read.outings.size(), 2u);
    EXPECT_EQ(read.outings[0].matchNotes, "deep");
    EXPECT_EQ(read.outings[1].practiceNotes, "lobs");
    // Nothing the file does not give is made up: a match without a result is
    // undecided, an outing without ratings is stored without them, and one
    // with some of its ratings alone is not stored at all.
    EXPECT_EQ(read.outings[0].result, "U");
    EXPECT_FALSE(read.outings[0].rated);
    EXPECT_EQ(read.outings[0].ToLine().substr(read.outings[0].ToHistoryLine().size(), 6),
              ",\"\",\"\"");
    read = kvr::ReadOutingsCsv("Date,Who,Kind,Forehand Consistency\n3/1/2026,Ann,P,7\n");
    EXPECT_TRUE(read.outings.empty());
    ASSERT_EQ(read.problems.size(), 1u);
    EXPECT_EQ(read.problems[0].reason, "23 of the 24 ratings missing");
    EXPECT_NE(kvr::ReadOutingsCsv("Date,Who\r\n3/1/2026,Ann\r\n").error, "");
    EXPECT_EQ(kvr::ReadOutingsCsv("").error, "the file is empty");
}

class ImportOutingsCommandTest : public AppTest {};

// Import Outings from the Data menu over a period of 29: the preview counts
// what comes in and what is there, Enter imports, the backup is kept first,
// the thirty-first outing closes the period with the congratulations, and
// the change signal reaches the views.
TEST_F(ImportOutingsCommandTest, PreviewsThenStoresAndClosesTheFullPeriod) {
    WriteCoach();
    std::vector<PlayRecord> period;
    for (int day = 1; day <= 29; ++day)
        period.push_back(MakePlay("3/" + std::to_string(day) + "/2026", "Ann Lee"));
    WritePlayFiles(period, {});
    WriteFile("outings.csv", "Date,Opponent,Kind,Time\r\n"
                             "3/1/2026,Ann Lee,Practice,1.5\r\n"
                             "4/1/2026,Bo Park,Practice,1\r\n"
                             "4/2/2026,Cy Young,Lesson,1\r\n");
    StartWindow();
    WaitForFirstPaint(Client());
    int changes = 0;
    QObject::connect(app_.get(), &TKvrWinApp::StoreChanged,
                     [&changes](kui::Store store) { changes += store == kui::Store::Play; });
    QueueFileChoice(QStringLiteral("outings.csv"));
    QString summary;
    Responder().QueueDialog([&summary](QDialog& dialog) {
        summary = Field<QLabel>(dialog, "summary")->text();
        dialog.show();
        dialog.activateWindow();
        if (!QTest::qWaitForWindowActive(&dialog))
            return -1;
        // Enter where the dialog has its focus: the menu's popup may not
        // have closed yet.
        QTest::keyClick(dialog.focusWidget() ? dialog.focusWidget() : &dialog, Qt::Key_Return);
        return dialog.result();
    });
    Responder().QueueDialog([](QDialog& dialog) { // the congratulations
        dialog.accept();
        return dialog.result();
    });
    ChooseFromMenu(Qt::Key_D, {Qt::Key_I});

    EXPECT_EQ(summary, "2 outings to add\n1 already there (skipped)");
    ASSERT_GE(Responder().DialogsRun().size(), 3u);
    EXPECT_EQ(Responder().DialogsRun()[2], "Congratulations !");
    EXPECT_EQ(app_->PlayStore().Count(), 1u);
    EXPECT_EQ(app_->PlayStore().At(0)->who, "Cy Young");
    EXPECT_EQ(changes, 1);
    // The files as they were before the import, in the day's backup.
    bool backedUp = false;
    for (const auto& entry : std::filesystem::recursive_directory_iterator("backups"))
        backedUp = backedUp || entry.path().filename() == "play.dat";
    EXPECT_TRUE(backedUp);
}

} // namespace
} // namespace kvrtest
