// SPDX-License-Identifier: GPL-3.0-or-later
// Outings imported from CSV: a generated log exported and imported back
// whole, a spreadsheet's file with the rows it cannot take, and the command
// in the Data menu.

#include "core/history.h"
#include "data_generator.h"
#include "play/import_outings.h"
#include "play/notes_csv.h"
#include "play/outings_csv.h"
#include "play/spreadsheet.h"
#include "support/app_fixture.h"
#include "support/records.h"

#include <algorithm>
#include <filesystem>

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

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
// quotes and a line break, a name in Windows-1252. Each bad row is named
// with its line and reason (and the forms accepted) and nothing of it is
// stored; a text over its limit is cut and said.
TEST_F(OutingsCsvTest, ReadsASpreadsheetsFileAndNamesEveryBadRow) {
    const std::string longName(30, 'z');
    const std::string csv =
        "\xEF\xBB\xBF\"Kind\";Opponent;Date;Hours;Practice Notes;Score;Result\r\n"
        "Practice;ann lee;3/2/2026;1,5;\"serve; then \"\"kick\"\"\";;\r\n"
        "match;Bo Park;2026-03-04;2;\"line one\r\nline two\";6-4 6-4;loss\r\n"
        "Lesson;Cy Young;2/30/2026;1;x;;\r\n"
        "Practice;Di Ross;3/5/2026;-1;x;;\r\n"
        "Tournament;Ed Fox;3/16/2026;1;x;;\r\n"
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
    ASSERT_EQ(read.outings.size(), 6u);
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
    EXPECT_EQ(read.lines, (std::vector<std::size_t>{2, 3, 8, 9, 11, 12}));
    EXPECT_EQ(read.outings[3].who, "Gus\u00FF");
    EXPECT_EQ(read.applied[3] & kvr::kReadAsWindows1252, kvr::kReadAsWindows1252);
    EXPECT_EQ(read.outings[5].who, ",jo");
    EXPECT_EQ(read.outings[5].practiceNotes, ",again");
    EXPECT_TRUE(KVR_PlayData::IsPlayRecordLine(read.outings[5].ToLine()));

    std::vector<std::string> problems;
    for (const kvr::ImportProblem& problem : read.problems)
        problems.push_back(std::to_string(problem.line) + (problem.skipped ? " skip " : " keep ") +
                           problem.reason);
    EXPECT_EQ(problems, (std::vector<std::string>{
                            "5 skip bad date \"2/30/2026\" (accepted: M/D/YYYY, D/M/YYYY, "
                            "D.M.YYYY or YYYY-MM-DD)",
                            "6 skip hours out of range \"-1\" (above 0 and at most 12, as 1.5, "
                            "1,5 or 1:30)",
                            "7 skip unknown kind \"Tournament\" (accepted: Match, Singles match, "
                            "Doubles match, M, Practice, Training, Drill, P, Lesson, Coaching, L)",
                            "8 keep Opponent cut to 24 characters",
                            "8 keep Practice Notes cut to 219 characters",
                            "10 skip row longer than 65536 bytes",
                        }));

    const kvr::StoredOutingImport stored = ImportHere(csv);
    EXPECT_EQ(stored.placed.result, kvr::PlacedOutings::Result::Stored);
    KVR_PlayData play;
    ASSERT_EQ(play.Load(), 1);
    std::vector<std::string> whos;
    for (unsigned i = 0; i < play.Count(); ++i)
        whos.push_back(play.At(static_cast<int>(i))->who);
    EXPECT_EQ(whos, (std::vector<std::string>{"Ann Lee", "Bo Park",
                                              std::string(1, 'Z') + std::string(23, 'z'),
                                              "Gus\u00FF", "Ida", ",jo"}));

    // A single "Notes" column holds the notes of each outing's kind.
    read = kvr::ReadOutingsCsv("Date,Who,Kind,Notes\n3/1/2026,Ann,M,deep\n3/2/2026,Bo,P,lobs\n",
                               kvr::DateOrder::MonthFirst);
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
    read = kvr::ReadOutingsCsv("Date,Who,Kind,Forehand Consistency\n3/1/2026,Ann,P,7\n",
                               kvr::DateOrder::MonthFirst);
    EXPECT_TRUE(read.outings.empty());
    ASSERT_EQ(read.problems.size(), 1u);
    EXPECT_EQ(read.problems[0].reason, "23 of the 24 ratings missing");
    EXPECT_NE(kvr::ReadOutingsCsv("Date,Who\r\n3/1/2026,Ann\r\n").error, "");
    EXPECT_EQ(kvr::ReadOutingsCsv("").error, "the file is empty");
}

// The dates of each outing's row, as stored, or the reason it was skipped.
std::vector<std::string> DatesRead(const std::string& csv, kvr::DateOrder order) {
    const kvr::OutingsCsv read = kvr::ReadOutingsCsv(csv, order);
    std::vector<std::string> dates;
    for (const PlayRecord& outing : read.outings)
        dates.push_back(outing.date);
    for (const kvr::ImportProblem& problem : read.problems)
        dates.push_back(problem.reason);
    return dates;
}

// Dates as spreadsheets write them: the file's own dates tell the order of
// its slash dates; a file that leaves it open is not read until an order is
// given, and a date that fits neither order is refused naming the forms.
TEST_F(OutingsCsvTest, ReadsSlashDatesInTheOrderTheFileTells) {
    using kvr::DateOrder;
    const std::string dayFirst = "Date;Opponent;Kind\r\n13/4/2026;Ann;P\r\n3/4/2026;Bo;P\r\n"
                                 "5.4.26;Cy;P\r\n2026-04-06;Di;P\r\n31/2/2026;Ed;P\r\n";
    EXPECT_EQ(DatesRead(dayFirst, DateOrder::FromFile),
              (std::vector<std::string>{"4/13/2026", "4/3/2026", "4/5/2026", "4/6/2026",
                                        "bad date \"31/2/2026\" (accepted: M/D/YYYY, D/M/YYYY, "
                                        "D.M.YYYY or YYYY-MM-DD)"}));
    EXPECT_EQ(DatesRead("Date,Opponent,Kind\n4/13/26,Ann,P\n3/4/2026,Bo,P\n", DateOrder::FromFile),
              (std::vector<std::string>{"4/13/2026", "3/4/2026"}));

    // Every date could be either: nothing is read until the order is given.
    const std::string open = "Date,Opponent,Kind\n3/4/2026,Ann,P\n5/5/2026,Bo,P\n";
    kvr::OutingsCsv read = kvr::ReadOutingsCsv(open);
    EXPECT_TRUE(read.dateOrderOpen);
    EXPECT_TRUE(read.outings.empty());
    EXPECT_EQ(read.error,
              "its dates (such as \"3/4/2026\") may be month/day or day/month, and none of them "
              "tells which");
    EXPECT_EQ(DatesRead(open, DateOrder::DayFirst),
              (std::vector<std::string>{"4/3/2026", "5/5/2026"}));
    EXPECT_EQ(DatesRead(open, DateOrder::MonthFirst),
              (std::vector<std::string>{"3/4/2026", "5/5/2026"}));
    // Dates of both orders leave it open too; in the order chosen the
    // others are bad dates.
    const std::string both = "Date,Opponent,Kind\n13/4/2026,Ann,P\n4/14/2026,Bo,P\n";
    read = kvr::ReadOutingsCsv(both);
    EXPECT_TRUE(read.dateOrderOpen);
    EXPECT_EQ(read.error,
              "its dates are written both month/day (\"4/14/2026\") and day/month (\"13/4/2026\")");
    EXPECT_EQ(DatesRead(both, DateOrder::DayFirst),
              (std::vector<std::string>{"4/13/2026", "bad date \"4/14/2026\" as day/month, the "
                                                     "order of the file's dates"}));
    // The import waits for the order as the reader does.
    KVR_PlayData play;
    play.Load();
    EXPECT_TRUE(kvr::PrepareOutingImport(open, play).dateOrderOpen);
    EXPECT_EQ(kvr::PrepareOutingImport(open, play, DateOrder::DayFirst).outings.size(), 2u);
}

// A European spreadsheet's other habits: UTF-16 and Windows-1252 text, the
// words of kinds and results in any case with blanks around them, hours as
// 1,5 or h:mm, and cells an export guarded against formulas read back as
// written.
TEST_F(OutingsCsvTest, ReadsEncodingsWordsHoursAndGuardedCells) {
    // UTF-16 with its byte order mark.
    const std::u16string wide = u"Date,Opponent,Kind\r\n3/14/2026,Zo\u00EB,M\r\n";
    std::string utf16 = "\xFF\xFE";
    for (char16_t c : wide) {
        utf16 += static_cast<char>(c & 0xFF);
        utf16 += static_cast<char>(c >> 8);
    }
    kvr::OutingsCsv read = kvr::ReadOutingsCsv(utf16);
    ASSERT_EQ(read.outings.size(), 1u);
    EXPECT_EQ(read.outings[0].who, "Zo\u00EB");
    EXPECT_EQ(read.applied[0], kvr::kStoredUndecided | kvr::kStoredUnrated | kvr::kStoredSingles);

    const std::string csv =
        "Date;Opponent;Kind;Result;Time;S/D;Score;Partner;Match Notes\r\n"
        "3/14/2026;Ren\xE9;Match;Won;1:30;;;;\r\n" // Windows-1252
        "3/15/2026;Ann; Singles match ; tie ;0:45;;'-;;'=1+2\r\n"
        "3/16/2026;Bo;DOUBLES MATCH;LOST;1,5;;;Cy;'x\r\n"
        "3/17/2026;Di;l;l;2;Singles;6-0;Ed;\r\n" // a lesson: no result, no partner
        "3/18/2026;Fay;Training;W;1;;;;\r\n"
        "3/19/2026;Gil;Coaching;;1;;;;\r\n"
        "3/20/2026;Hu;drill;;1;;;;\r\n"
        "3/21/2026;Ivy;M;maybe;1;;;;\r\n"
        "3/22/2026;Jo;Match;L;1:75;;;;\r\n"
        "3/23/2026;Kim;Doubles match;W;1;S;;;\r\n";
    read = kvr::ReadOutingsCsv(csv);
    ASSERT_EQ(read.error, "");
    std::vector<std::string> got;
    for (const PlayRecord& outing : read.outings)
        got.push_back(outing.who + " " + outing.kind + outing.result + outing.singlesDoubles + " " +
                      outing.time + " " + outing.score + " " + outing.partner + " " +
                      outing.matchNotes);
    EXPECT_EQ(got, (std::vector<std::string>{
                       "Ren\u00E9 MWS 1.5   ",      // the Windows-1252 name in UTF-8
                       "Ann MUS 0.75 -  =1+2",      // the guard's ' dropped
                       "Bo MLD 1.5  Cy 'x",         // a ' before other text kept
                       "Di LS 2   ", "Fay PS 1   ", // a lesson is no loss; a practice no win
                       "Gil LS 1   ", "Hu PS 1   "}));
    EXPECT_EQ(read.applied[0] & kvr::kReadAsWindows1252, kvr::kReadAsWindows1252);
    EXPECT_EQ(read.applied[3] & (kvr::kDroppedResult | kvr::kDroppedPartners),
              kvr::kDroppedResult | kvr::kDroppedPartners);
    std::vector<std::string> problems;
    for (const kvr::ImportProblem& problem : read.problems)
        problems.push_back(problem.reason);
    EXPECT_EQ(problems,
              (std::vector<std::string>{
                  "unknown result \"maybe\" (accepted: Win, Won, W, Loss, Lost, L, Undecided, "
                  "Draw, Tie, U)",
                  "bad hours \"1:75\" (above 0 and at most 12, as 1.5, 1,5 or 1:30)",
                  "kind \"Doubles match\" but \"S\""}));
    EXPECT_EQ(kvr::ClockHours("12:00"), "12");
    EXPECT_EQ(kvr::ClockHours("0:20"), "0.33");
    EXPECT_EQ(kvr::ClockHours("1:3"), std::nullopt);

    // The exports guard the texts a spreadsheet would run, and the import
    // reads them back as they were stored.
    PlayRecord risky = MakePlay("3/14/2026", "=Sum", "M");
    risky.result = "W";
    risky.score = "-";
    risky.matchNotes = "+1 at the net";
    risky.practiceNotes = "@home";
    WritePlayFiles({risky}, {});
    KVR_PlayData play;
    ASSERT_EQ(play.Load(), 1);
    ASSERT_TRUE(kui::ExportNotesCsv(QStringLiteral("notes.csv"), play));
    ASSERT_TRUE(kui::ExportSpreadsheetCsv(QStringLiteral("sheet.csv"), play));
    EXPECT_NE(ReadFile("notes.csv").find(",'=Sum,"), std::string::npos);
    EXPECT_NE(ReadFile("notes.csv").find(",'-,'+1 at the net,'@home,"), std::string::npos);
    EXPECT_NE(ReadFile("sheet.csv").find("3/14/2026,M,'=Sum,1.5,W,"), std::string::npos);
    read = kvr::ReadOutingsCsv(ReadFile("notes.csv"));
    ASSERT_EQ(read.outings.size(), 1u);
    EXPECT_EQ(read.outings[0].who, "=Sum");
    EXPECT_EQ(read.outings[0].score, "-");
    EXPECT_EQ(read.outings[0].matchNotes, "+1 at the net");
    EXPECT_EQ(read.outings[0].practiceNotes, "@home");
}

class ImportOutingsCommandTest : public AppTest {};

// Whether a message said `text`.
bool Told(const ScriptedResponder& responder, const QString& text) {
    const std::vector<QString> texts = responder.Texts();
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// Import Outings from the Data menu over a period of 29: the preview counts
// what comes in and what is there, lists each outing with where it goes and
// says what the import decides; Enter imports, the backup is kept first,
// what was stored is said, the thirty-first outing closes the period with
// the congratulations, and the change signal reaches the views.
TEST_F(ImportOutingsCommandTest, PreviewsThenStoresAndClosesTheFullPeriod) {
    WriteCoach();
    WritePlayFiles(MakePeriod(29, 3), {});
    WriteFile("outings.csv", "Date,Opponent,Kind,Time\r\n"
                             "3/1/2026,Ann Lee,Practice,1.5\r\n"
                             "4/1/2026,Bo Park,Practice,1\r\n"
                             "4/20/2026,Cy Young,Lesson,1\r\n");
    StartWindow();
    WaitForFirstPaint(Client());
    int changes = 0;
    QObject::connect(app_.get(), &TKvrWinApp::StoreChanged,
                     [&changes](kui::Store store) { changes += store == kui::Store::Play; });
    QueueFileChoice(QStringLiteral("outings.csv"));
    QString summary;
    QString decisions;
    std::vector<QString> listed;
    Responder().QueueDialog([&](QDialog& dialog) {
        summary = Field<QLabel>(dialog, "summary")->text();
        decisions = Field<QLabel>(dialog, "decisions")->text();
        listed = ListedRows(dialog);
        if (!ShowActive(dialog))
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
    EXPECT_EQ(listed, (std::vector<QString>{"3|April 1, 2026|Bo Park|Practice|1||history",
                                            "4|April 20, 2026|Cy Young|Lesson|1||goal period"}));
    EXPECT_EQ(decisions, "1 outing into the goal period, 1 into the history\n"
                         "1 goal period of 30 outings will close into the history\n"
                         "2 outings without ratings: stored without ratings\n"
                         "2 outings without singles or doubles: stored as singles");
    EXPECT_TRUE(Told(Responder(),
                     "2 outings imported: 1 into the goal period, 1 into the history.\n"
                     "1 goal period of 30 outings closed into the history."));
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

// A file whose every date reads as month/day and as day/month: the preview
// asks, with neither order chosen and nothing to import until the player
// chooses with the keyboard; then each outing shows its date as read. Past
// outings put into the history of a complete goal period get no
// congratulations.
TEST_F(ImportOutingsCommandTest, AsksTheOrderOfDatesTheFileLeavesOpen) {
    WriteCoach();
    WritePlayFiles(MakePeriod(30, 5), {});
    WriteFile("outings.csv", "\xEF\xBB\xBF"
                             "Date;Opponent;Kind;Result\r\n"
                             "3/4/2026;Bo Park;Match;\r\n"
                             "2/3/2026;Cy Young;Lesson;\r\n");
    StartWindow();
    WaitForFirstPaint(Client());
    QueueFileChoice(QStringLiteral("outings.csv"));
    bool waited = false;
    std::vector<QString> listed;
    Responder().QueueDialog([&](QDialog& dialog) {
        if (!ShowActive(dialog))
            return -1;
        auto* monthFirst = Field<QRadioButton>(dialog, "choice0");
        auto* dayFirst = Field<QRadioButton>(dialog, "choice1");
        auto* import = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        waited = !monthFirst->isChecked() && !dayFirst->isChecked() && !import->isEnabled() &&
                 Field<QLabel>(dialog, "summary")->text().startsWith("Choose how the dates");
        // Space on the first choice, where the keyboard starts, chooses it.
        QTest::keyClick(dialog.focusWidget(), Qt::Key_Space);
        if (!QTest::qWaitFor([monthFirst] { return monthFirst->isChecked(); }, 2000))
            return -1;
        listed = ListedRows(dialog);
        QTest::keyClick(dialog.focusWidget() ? dialog.focusWidget() : &dialog, Qt::Key_Return);
        return dialog.result();
    });
    ChooseFromMenu(Qt::Key_D, {Qt::Key_I});

    EXPECT_TRUE(waited);
    EXPECT_EQ(listed, (std::vector<QString>{"2|March 4, 2026|Bo Park|Match||Undecided|history",
                                            "3|February 3, 2026|Cy Young|Lesson|||history"}));
    KVR_History history;
    std::vector<std::string> dates;
    while (history.ReadNext() == 1)
        dates.push_back(history.Current().date + " " + history.Current().result);
    EXPECT_EQ(dates, (std::vector<std::string>{"3/4/2026 U", "2/3/2026 "}));
    EXPECT_EQ(app_->PlayStore().Count(), 30u);
    EXPECT_TRUE(
        Told(Responder(), "2 outings imported: 0 into the goal period, 2 into the history."));
    EXPECT_FALSE(std::count(Responder().DialogsRun().begin(), Responder().DialogsRun().end(),
                            QStringLiteral("Congratulations !")));
}

} // namespace
} // namespace kvrtest
