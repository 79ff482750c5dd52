// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/history.h"
#include "core/play_store.h"
#include "play/graph_text.h"
#include "play/graph_view.h"
#include "play/play_commands.h"
#include "play/spreadsheet.h"
#include "play/statistics.h"
#include "support/app_fixture.h"
#include "support/process.h"
#include "support/render.h"
#include "support/text_recorder.h"
#include "ui/drawing.h"

#include <QDir>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScrollBar>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace kvrtest {
namespace {

using kvr::Stroke;

TEST(SpreadsheetColumns, SpreadTwelveColumnsOverLongPeriods) {
    EXPECT_EQ(kui::SpreadsheetColumnRecords(5), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(kui::SpreadsheetColumnRecords(13), // column 6 falls on 6.5 exactly
              (std::vector<int>{0, 1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12}));
    EXPECT_EQ(kui::SpreadsheetColumnRecords(30),
              (std::vector<int>{0, 3, 5, 8, 10, 13, 15, 18, 20, 23, 25, 29}));
}

class SpreadsheetDrawing : public ::testing::TestWithParam<QSize> {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }
};

// Every text stands on its row (a whole number of row units down) and on its
// column: right ends on the ratings columns, centres on the time columns.
TEST_P(SpreadsheetDrawing, TextsSitOnTheirRowsAndColumns) {
    const QSize size = GetParam();
    const int w = size.width();
    kui::SpreadsheetData data;
    data.playerName = QStringLiteral("Pat Smith");
    data.firstDate = QStringLiteral("1/5/2026");
    for (int i = 0; i < 12; ++i) { // row r of column i holds 100 r + i
        kui::SpreadsheetColumn column;
        for (int row = 0; row < 6; ++row)
            column.strokes[row] = 100 * (row + 1) + i;
        column.levels = {1000 + i, 2000 + i, 3000 + i, 4000 + i};
        column.grandTotal = 9000 + i;
        data.columns.push_back(column);
    }
    data.strokeAverages = {31.26f, 2, 3, 4, 5, 6};
    data.levelAverages = {10, 20, 30, 45.5f};
    data.totalGameRating = 123.44f;
    data.current = {2.5f, 1.24f, 0, 3.75f, 3, 1, 0};
    data.year = {12.5f, 4, 1, 17.5f, 9, 4, 1};
    data.all = {125, 40, 10, 175, 90, 40, 2};
    TextRecorder sheet(size);
    QPainter painter(&sheet);
    kui::DrawSpreadsheet(painter, size, data);
    painter.end();
    auto find = [&](const char* text) {
        const DrawnText* found = sheet.Find(QString::fromUtf8(text));
        EXPECT_NE(found, nullptr) << text;
        return found ? found->rect : QRectF();
    };
    // The row unit is the step between two rows; the recorder measures tops
    // from the font's exact ascent, so every top is off by the same fraction.
    const double g = find("Backhand").top() - find("Forehand").top();
    EXPECT_NEAR(g, size.height() / 27.0, size.height() / 27.0 * 0.1);
    const double offset = find("Forehand").top() - 4 * g;
    enum Anchor { Right, Centre };
    auto expect = [&](const char* text, double row, double x, Anchor anchor) {
        const QRectF rect = find(text);
        EXPECT_NEAR(rect.top() - offset, row * g, 1) << text;
        EXPECT_NEAR(anchor == Right ? rect.right() : rect.center().x(), x, 1) << text;
    };
    const double labels = kui::Frac(w, 0.2), avg = kui::Frac(w, 0.95);
    expect("Stroke Ratings", 1, kui::Frac(w, 0.55), Centre);
    expect("Pat Smith", 2, kui::Frac(w, 0.55), Centre);
    expect("1/5/2026", 3, kui::Frac(w, 0.27), Right);
    expect("Avg", 3, avg, Right);
    expect("Total Game", 11, labels, Right);
    expect("Power", 16, labels, Right);
    for (int i = 0; i < 12; ++i) {
        const double x = kui::Frac(w, 0.27) + i * (w / 18);
        expect(std::to_string(100 + i).c_str(), 4, x, Right);
        expect(std::to_string(600 + i).c_str(), 9, x, Right);
        expect(std::to_string(9000 + i).c_str(), 11, x, Right);
        expect(std::to_string(4000 + i).c_str(), 16, x, Right);
    }
    expect("31.3", 4, avg, Right);
    expect("123.4", 11, avg, Right);
    expect("45.5", 16, avg, Right);

    const double current = kui::Frac(w, 0.35), ytd = kui::Frac(w, 0.55), all = kui::Frac(w, 0.75);
    expect("Playing Time", 19, ytd, Centre);
    expect("W/L", 26, labels, Right);
    expect(" 1.2", 23, current, Centre); // hours as "%4.1f"
    expect("17.5", 25, ytd, Centre);
    expect("175.0", 25, all, Centre);
    expect("3-1-0", 26, current, Centre);
    expect("90-40-2", 26, all, Centre);
    for (const DrawnText& drawn : sheet.Texts()) // the last row too stays in view
        EXPECT_LE(drawn.rect.bottom(), size.height()) << drawn.text.toStdString();

    // Without rated records: no date, no columns and no averages of nothing,
    // but where ratings are given, inside the ratings table.
    QStringList empty;
    QRectF said;
    for (const DrawnText& drawn :
         RecordTexts(&kui::DrawSpreadsheet, size, kui::SpreadsheetData{})) {
        empty << drawn.text;
        if (drawn.text.startsWith(QStringLiteral("No rated notes")))
            said = drawn.rect;
    }
    EXPECT_EQ(empty.count(QStringLiteral("0.0")), 0);
    EXPECT_TRUE(
        empty.contains(QStringLiteral("No rated notes this goal period: Data > Record Notes")));
    EXPECT_GE(said.left(), kui::Frac(w, 0.27) - 1);
    EXPECT_LE(said.right(), avg + 1);
    EXPECT_EQ(empty.size(), 1 + 1 + 11 + 1 + 1 + 3 + 5 + 15); // no name, date, columns, averages
}

INSTANTIATE_TEST_SUITE_P(Sizes, SpreadsheetDrawing,
                         ::testing::Values(QSize(600, 550), QSize(1280, 980)));

PlayRecord Record(const std::string& date, int seed) {
    PlayRecord record;
    record.date = date;
    record.kind = "M";
    record.time = "1.5";
    record.result = seed % 2 ? "W" : "L";
    for (int s = 0; s < 6; ++s)
        for (int l = 0; l < 4; ++l)
            record.ratings[s][l] = (s * 3 + l + seed) % 11;
    return record;
}

class SpreadsheetStoreTest : public AppTest {};

// The spreadsheet and the graphs read one statistics block, taken once per
// change of the play records however many of them are open, and what each
// shows is what it shows from a pass of its own: after a change, and on a
// later day (a view opened or changed then takes that day's figures).
TEST_F(SpreadsheetStoreTest, ViewsShareOneStatisticsPassPerChange) {
    {
        KVR_PlayData play;
        for (int i = 0; i < 6; ++i)
            play.AddCopy(Record("1/" + std::to_string(i + 3) + "/2025", i));
        ASSERT_EQ(play.Save(), 1);
    }
    WriteFile("history.dat",
              Lines({KVR_History::kHeader, "\"12/1/2024\",\"S\",\"\",\"Cy\",\"\",\"2\",\"M\","
                                           "\"W\",\"6-0\",\"\",\"\",\"\",\"\""}));
    WriteFile("coach.dat", Lines({"Pat Smith"}));
    ZBD_Date::FixToday(2, 10, 2025);
    StartWindow();
    Client().Command(kui::CmSpreadsheet);
    Client().Command(kui::CmTimePlayedByMonth);
    Client().Command(kui::CmTimePlayedSummary);
    auto* sheet = static_cast<TKvrSpreadSheet*>(Client().FindView(kui::SpreadsheetView));
    ASSERT_NE(sheet, nullptr);
    const kui::GraphKind kinds[] = {kui::GraphKind::TimeByMonth, kui::GraphKind::TimeSummary};
    auto sheetTexts = [&](const kui::SpreadsheetData& data) {
        TextRecorder recorder(QSize(600, 550));
        QPainter painter(&recorder);
        kui::DrawSpreadsheet(painter, QSize(600, 550), data);
        return recorder.Strings();
    };
    // What every view shows against what a pass of its own gives.
    auto expectOwnFigures = [&] {
        KVR_PlayData& play = app_->PlayStore();
        const PlayStatistics own = statisticsOf(play, play.Past(), ZBD_Date());
        EXPECT_EQ(sheetTexts(sheet->Snapshot()),
                  sheetTexts(kui::SpreadsheetSnapshot(play, own, app_->PlayerName())));
        for (kui::GraphKind kind : kinds) {
            auto* graph = Client().FindView(kui::FirstGraphView + static_cast<int>(kind));
            ASSERT_NE(graph, nullptr);
            EXPECT_EQ(graph->Describe(), kui::GraphText(kui::TakeGraphData(kind, play, play.Past(),
                                                                           app_->ChartStore())));
        }
    };
    expectOwnFigures();

    const unsigned long taken = app_->PlayFiguresTaken();
    PlayRecord newer = Record("2/9/2025", 9);
    newer.time = "3.25";
    app_->PlayStore().AddCopy(newer);
    app_->RecordsChanged(kui::Store::Play);
    EXPECT_EQ(app_->PlayFiguresTaken(), taken + 1);
    expectOwnFigures();

    ZBD_Date::FixToday(4, 1, 2025);
    app_->RecordsChanged(kui::Store::Schedule); // no pass for another store
    EXPECT_EQ(app_->PlayFiguresTaken(), taken + 1);
    app_->RecordsChanged(kui::Store::Play);
    EXPECT_EQ(app_->PlayFiguresTaken(), taken + 2);
    expectOwnFigures();
    // Opened on a later day, a view takes that day's figures.
    ZBD_Date::FixToday(6, 1, 2025);
    Client().Command(kui::CmTimePlayedSummary + 2);
    auto* opened = Client().FindView(kui::FirstGraphView + 2);
    ASSERT_NE(opened, nullptr);
    KVR_PlayData& play = app_->PlayStore();
    EXPECT_EQ(opened->Describe(),
              kui::GraphText(kui::TakeGraphData(static_cast<kui::GraphKind>(2), play, play.Past(),
                                                app_->ChartStore())));
    EXPECT_EQ(app_->PlayFiguresTaken(), taken + 3);
}

// The snapshot puts each row's stroke in its row, whatever order the store
// and the statistics block keep the strokes in.
TEST_F(SpreadsheetStoreTest, SnapshotShowsEachStrokeInItsRow) {
    KVR_PlayData play;
    for (int i = 0; i < 13; ++i)
        play.AddCopy(Record("1/" + std::to_string(i + 1) + "/2025", i));
    computeStatistics(play);
    const kui::SpreadsheetData data =
        kui::SpreadsheetSnapshot(play, play.Stats(), QStringLiteral("Pat"));
    const Stroke rows[] = {Stroke::Forehand, Stroke::Backhand, Stroke::Serve,
                           Stroke::Return,   Stroke::Approach, Stroke::Volley};
    ASSERT_EQ(data.columns.size(), 12u);
    for (int row = 0; row < 6; ++row) {
        const std::size_t stroke = kvr::Index(rows[row]);
        EXPECT_EQ(data.columns[6].strokes[row], play.At(7)->strokeTotal[stroke]);
        EXPECT_EQ(data.columns[11].strokes[row], play.At(12)->strokeTotal[stroke]);
        float sum = 0; // over the newest five
        for (int i = 8; i < 13; ++i)
            sum += static_cast<float>(play.At(i)->strokeTotal[stroke]);
        EXPECT_FLOAT_EQ(data.strokeAverages[row], sum / 5) << row;
    }
    EXPECT_EQ(data.firstDate, QStringLiteral("1/1/2025"));
    EXPECT_EQ(data.current.wins, 6);
}

// A sheet tiled small keeps its text at the legible floor and scrolls to
// the rest: the keys and the wheel move it, and at the view's full size the
// bars go.
TEST_F(SpreadsheetStoreTest, SmallSheetKeepsItsTextAndScrolls) {
    WriteFile("coach.dat", Lines({"Pat Smith"}));
    StartWindow();
    Client().Command(kui::CmSpreadsheet);
    auto* sheet = static_cast<TKvrSpreadSheet*>(Client().FindView(kui::SpreadsheetView));
    ASSERT_NE(sheet, nullptr);
    sheet->SubWindow()->resize(260, 200);
    auto* down = sheet->findChild<QScrollBar*>(QStringLiteral("down"));
    auto* across = sheet->findChild<QScrollBar*>(QStringLiteral("across"));
    ASSERT_TRUE(down && across);
    ASSERT_TRUE(down->isVisible());
    EXPECT_TRUE(across->isVisible());

    TextRecorder recorder(sheet->size());
    {
        QPainter painter(&recorder);
        sheet->Render(painter, sheet->size());
    }
    ASSERT_NE(recorder.Find(QStringLiteral("W/L")), nullptr);
    for (const DrawnText& text : recorder.Texts())
        EXPECT_GE(text.rect.height(), kui::kSmallestText - 1) << text.text.toStdString();
    // The results' row lies below the view until it is scrolled to.
    EXPECT_GT(recorder.Find(QStringLiteral("W/L"))->rect.bottom(), sheet->height());

    const QImage top = sheet->grab().toImage();
    sheet->setFocus();
    QTest::keyClick(sheet, Qt::Key_End);
    EXPECT_EQ(down->value(), down->maximum());
    EXPECT_NE(sheet->grab().toImage(), top);
    QTest::keyClick(sheet, Qt::Key_Home);
    EXPECT_EQ(down->value(), 0);
    EXPECT_EQ(sheet->grab().toImage(), top);
    QTest::keyClick(sheet, Qt::Key_Right);
    EXPECT_GT(across->value(), 0);
    QWheelEvent wheel(QPointF(50, 50), sheet->mapToGlobal(QPointF(50, 50)), QPoint(),
                      QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(sheet, &wheel);
    EXPECT_GT(down->value(), 0);

    sheet->SubWindow()->resize(600, 500);
    EXPECT_FALSE(down->isVisible());
    EXPECT_FALSE(across->isVisible());
}

// The menu command opens one sheet however often it is chosen; the sheet
// follows the records, and its Export CSV... writes a file that Python's csv
// module reads back with every field intact, newest record first.
TEST_F(SpreadsheetStoreTest, CommandOpensOneSheetThatFollowsAndExportsTheRecords) {
    const QString python = PythonWith(QStringLiteral("csv"));
    if (python.isEmpty())
        GTEST_SKIP() << "python3 is not available";
    {
        KVR_PlayData play;
        PlayRecord older = Record("3/1/2025", 1);
        older.who = "Smith, \"Ace\" Jo";
        play.AddCopy(older);
        ASSERT_EQ(play.Save(), 1);
    }
    WriteFile("coach.dat", Lines({"Pat Smith"}));
    StartWindow();
    Client().Command(kui::CmSpreadsheet);
    Client().Command(kui::CmSpreadsheet);
    EXPECT_EQ(Client().subWindowList().size(), 1);
    auto* sheet = static_cast<TKvrSpreadSheet*>(Client().FindView(kui::SpreadsheetView));
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->windowTitle(), QStringLiteral("Spread Sheet"));
    auto texts = [&] {
        TextRecorder recorder(QSize(600, 550));
        QPainter painter(&recorder);
        sheet->Render(painter, QSize(600, 550));
        return recorder.Strings();
    };
    EXPECT_TRUE(texts().contains(QStringLiteral("1-0-0")));
    PlayRecord newer = Record("3/2/2025", 4);
    newer.who = "Zoë\r\nLine Two";
    newer.time = "2,5";
    app_->PlayStore().AddCopy(newer);
    app_->RecordsChanged(kui::Store::Play);
    EXPECT_TRUE(texts().contains(QStringLiteral("1-1-0")));

    auto chooseFile = [](const char* name) {
        return [path = QDir::current().absoluteFilePath(QString::fromUtf8(name))](QDialog& files) {
            static_cast<QFileDialog&>(files).selectFile(path);
            return static_cast<int>(QDialog::Accepted);
        };
    };
    QMenu menu;
    sheet->FillContextMenu(menu);
    ASSERT_EQ(menu.actions().size(), 3);
    EXPECT_EQ(menu.actions()[2]->text(), QStringLiteral("&Export CSV..."));
    Responder().QueueDialog(chooseFile("sheet.csv"));
    menu.actions()[2]->trigger();
    WriteFile("read.py", "import csv, json\n"
                         "f = open('sheet.csv', newline='', encoding='utf-8')\n"
                         "print(json.dumps(list(csv.reader(f, strict=True))))\n");
    const ProcessRun read = RunProcess(python, {QStringLiteral("read.py")});
    ASSERT_EQ(read.code, 0) << read.err.toStdString();
    std::vector<QStringList> rows;
    for (const QJsonValue row : QJsonDocument::fromJson(read.out).array())
        rows.push_back(row.toVariant().toStringList());
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].join(QLatin1Char(',')),
              QStringLiteral("Date,Kind,Opponent,Hours,Result,Forehand,Backhand,Serve,Return,"
                             "Approach,Volley,Total Game,Consistency,Placement,Spin,Power"));
    EXPECT_EQ(rows[1].mid(0, 5),
              (QStringList{"3/2/2025", "M", QString::fromUtf8("Zoë\r\nLine Two"), "2,5", "L"}));
    EXPECT_EQ(rows[2].mid(0, 5), (QStringList{"3/1/2025", "M", "Smith, \"Ace\" Jo", "1.5", "W"}));
    computeRecordTotals(newer);
    EXPECT_EQ(rows[1][10], QString::number(newer.strokeTotal[kvr::Index(Stroke::Volley)]));
    EXPECT_EQ(rows[1][11], QString::number(newer.grandTotal));

    // A file that cannot be written is told, not claimed as done.
    EXPECT_TRUE(Responder().Shown().empty());
    Responder().QueueDialog(chooseFile("missing/sheet.csv"));
    sheet->ExportCsv();
    ASSERT_EQ(Responder().Texts().size(), 1u);
    EXPECT_TRUE(
        Responder().Texts()[0].startsWith(QStringLiteral("Unable to export the spreadsheet")));
}

} // namespace
} // namespace kvrtest
