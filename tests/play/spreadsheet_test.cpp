#include "app/app_fixture.h"
#include "core/play_store.h"
#include "play/play_commands.h"
#include "play/spreadsheet.h"
#include "play/statistics.h"
#include "support/render.h"
#include "support/temp_dir.h"
#include "support/text_recorder.h"
#include "ui/drawing.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <QDir>
#include <QFileDialog>

#include <gtest/gtest.h>

namespace kvrtest {
namespace {

using kvr::Level;
using kvr::Stroke;

TEST(SpreadsheetColumns, SpreadTwelveColumnsOverLongPeriods) {
    EXPECT_TRUE(kui::SpreadsheetColumnRecords(0).empty());
    EXPECT_EQ(kui::SpreadsheetColumnRecords(5), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(kui::SpreadsheetColumnRecords(12),
              (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    // 13 / 12 per column: column 6 falls exactly on 6.5 and rounds up.
    EXPECT_EQ(kui::SpreadsheetColumnRecords(13),
              (std::vector<int>{0, 1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12}));
    EXPECT_EQ(kui::SpreadsheetColumnRecords(30),
              (std::vector<int>{0, 3, 5, 8, 10, 13, 15, 18, 20, 23, 25, 29}));
}

// The texts a view of `size` shows, with a helper that finds each one.
class SheetTexts {
public:
    SheetTexts(QSize size, const kui::SpreadsheetData& data)
        : texts_(RecordTexts(&kui::DrawSpreadsheet, size, data)) {}

    // Every drawn text that reads `text`.
    std::vector<QRectF> All(const QString& text) const {
        std::vector<QRectF> found;
        for (const DrawnText& drawn : texts_)
            if (drawn.text == text)
                found.push_back(drawn.rect);
        return found;
    }
    QRectF One(const QString& text) const {
        const std::vector<QRectF> found = All(text);
        EXPECT_EQ(found.size(), 1u) << text.toStdString();
        return found.empty() ? QRectF() : found.front();
    }
    const std::vector<DrawnText>& Texts() const { return texts_; }

private:
    std::vector<DrawnText> texts_;
};

class SpreadsheetDrawing : public ::testing::TestWithParam<QSize> {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }
};

// Texts stand where the sheet puts them: tops on whole rows, right ends on
// the columns' lines, centres on the playing-time columns.
TEST_P(SpreadsheetDrawing, TextsSitOnTheirRowsAndColumns) {
    const QSize size = GetParam();
    const int w = size.width();
    kui::SpreadsheetData data;
    data.playerName = QStringLiteral("Pat Smith");
    data.firstDate = QStringLiteral("1/5/2026");
    for (int i = 0; i < 12; ++i) {
        kui::SpreadsheetColumn column;
        for (int row = 0; row < 6; ++row)
            column.strokes[row] = 100 * (row + 1) + i; // row 1: 100..111, row 2: 200..211, ...
        for (int level = 0; level < 4; ++level)
            column.levels[level] = 1000 * (level + 1) + i;
        column.grandTotal = 9000 + i;
        data.columns.push_back(column);
    }
    data.strokeAverages = {31.26f, 2, 3, 4, 5, 6};
    data.levelAverages = {10, 20, 30, 45.5f};
    data.totalGameRating = 123.44f;
    data.current = {2.5f, 1.24f, 0, 3.75f, 3, 1, 0};
    data.year = {12.5f, 4, 1, 17.5f, 9, 4, 1};
    data.all = {125, 40, 10, 175, 90, 40, 2};
    const SheetTexts sheet(size, data);

    // The row unit is the step between two rows; every text's top is its
    // row times the unit, give or take the same offset (the recorder measures
    // from the font's exact ascent, the drawing from a whole pixel).
    const double g =
        sheet.One(QStringLiteral("Backhand")).top() - sheet.One(QStringLiteral("Forehand")).top();
    EXPECT_NEAR(g, size.height() / 27.0, size.height() / 27.0 * 0.25);
    const double offset = sheet.One(QStringLiteral("Forehand")).top() - 4 * g;
    EXPECT_LT(std::abs(offset), g / 2);
    auto top = [&](const QString& text) { return sheet.One(text).top() - offset; };
    auto right = [&](const QString& text) { return sheet.One(text).right(); };
    auto centre = [&](const QString& text) { return sheet.One(text).center().x(); };

    EXPECT_NEAR(centre(QStringLiteral("Stroke Ratings")), kui::Frac(w, 0.55), 1);
    EXPECT_NEAR(centre(QStringLiteral("Pat Smith")), kui::Frac(w, 0.55), 1);
    EXPECT_NEAR(top(QStringLiteral("Pat Smith")), 2 * g, 1);
    const char* const labels[] = {"Forehand",  "Backhand", "Serve",      "Return", "Approach",
                                  "Volley",    "",         "Total Game", "",       "Consistency",
                                  "Placement", "Spin",     "Power"};
    for (int row = 0; row < 13; ++row) {
        if (*labels[row] == '\0')
            continue;
        EXPECT_NEAR(top(QString::fromLatin1(labels[row])), (4 + row) * g, 1) << labels[row];
        EXPECT_NEAR(right(QString::fromLatin1(labels[row])), kui::Frac(w, 0.2), 1) << labels[row];
    }
    EXPECT_NEAR(right(QStringLiteral("1/5/2026")), kui::Frac(w, 0.27), 1);
    EXPECT_NEAR(top(QStringLiteral("1/5/2026")), 3 * g, 1);
    EXPECT_NEAR(right(QStringLiteral("Avg")), kui::Frac(w, 0.95), 1);

    // Column i of row r holds 100 r + i, on the column's right edge.
    for (int i = 0; i < 12; ++i) {
        const double x = kui::Frac(w, 0.27) + i * (w / 18);
        for (int row = 0; row < 6; ++row) {
            const QString value = QString::number(100 * (row + 1) + i);
            EXPECT_NEAR(right(value), x, 1) << value.toStdString();
            EXPECT_NEAR(top(value), (4 + row) * g, 1) << value.toStdString();
        }
        EXPECT_NEAR(top(QString::number(9000 + i)), 11 * g, 1);
        EXPECT_NEAR(top(QString::number(4000 + i)), 16 * g, 1);
        EXPECT_NEAR(right(QString::number(4000 + i)), x, 1);
    }

    // Averages, one decimal, on the Avg column.
    EXPECT_NEAR(top(QStringLiteral("31.3")), 4 * g, 1);
    EXPECT_NEAR(right(QStringLiteral("31.3")), kui::Frac(w, 0.95), 1);
    EXPECT_NEAR(top(QStringLiteral("6.0")), 9 * g, 1); // Volley, the last stroke row
    EXPECT_NEAR(top(QStringLiteral("123.4")), 11 * g, 1);
    EXPECT_NEAR(top(QStringLiteral("45.5")), 16 * g, 1);

    // The playing-time table.
    const double y0 = 19 * g;
    EXPECT_NEAR(top(QStringLiteral("Playing Time")), y0, 1);
    const double columns[] = {kui::Frac(w, 0.35) * 1.0, kui::Frac(w, 0.55) * 1.0,
                              kui::Frac(w, 0.75) * 1.0};
    const char* const headers[] = {"Current", "YTD", "History"};
    for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(centre(QString::fromLatin1(headers[c])), columns[c], 1);
        EXPECT_NEAR(top(QString::fromLatin1(headers[c])), y0 + 2 * g, 1);
    }
    EXPECT_NEAR(right(QStringLiteral("W/L")), kui::Frac(w, 0.2), 1);
    EXPECT_NEAR(top(QStringLiteral("W/L")), y0 + 7 * g, 1);
    // Hours right-justified in four characters, results as wins-losses-undecided.
    EXPECT_NEAR(top(QStringLiteral(" 1.2")), y0 + 4 * g, 1); // current practice
    EXPECT_NEAR(centre(QStringLiteral(" 3.8")), columns[0], 1);
    EXPECT_NEAR(top(QStringLiteral("17.5")), y0 + 6 * g, 1);
    EXPECT_NEAR(centre(QStringLiteral("175.0")), columns[2], 1);
    EXPECT_NEAR(centre(QStringLiteral("3-1-0")), columns[0], 1);
    EXPECT_NEAR(centre(QStringLiteral("9-4-1")), columns[1], 1);
    EXPECT_NEAR(top(QStringLiteral("90-40-2")), y0 + 7 * g, 1);

    // Labels navy, figures black; nothing leaves the view.
    EXPECT_EQ(sheet.Texts().front().color, QColor(0, 0, 128));
    for (const DrawnText& drawn : sheet.Texts()) {
        EXPECT_GE(drawn.rect.left(), 0) << drawn.text.toStdString();
        EXPECT_LE(drawn.rect.right(), w) << drawn.text.toStdString();
        EXPECT_LE(drawn.rect.bottom(), size.height()) << drawn.text.toStdString();
    }
    for (const DrawnText& drawn : sheet.Texts()) {
        if (drawn.text == QStringLiteral("100")) {
            EXPECT_EQ(drawn.color, QColor(Qt::black));
        }
    }
}

TEST_P(SpreadsheetDrawing, EmptyPeriodShowsZeroesAndNoColumns) {
    const QSize size = GetParam();
    kui::SpreadsheetData data;
    data.playerName = QStringLiteral("Pat Smith");
    data.year = {1.5f, 0, 0, 1.5f, 1, 0, 0};
    const SheetTexts sheet(size, data);
    for (const DrawnText& drawn : sheet.Texts())
        EXPECT_FALSE(drawn.text.contains(QLatin1Char('/')) && drawn.text != QStringLiteral("W/L"))
            << "a date: " << drawn.text.toStdString();
    EXPECT_EQ(sheet.All(QStringLiteral("0.0")).size(), 11u);  // ten averages and the total
    EXPECT_EQ(sheet.All(QStringLiteral(" 0.0")).size(), 10u); // all hours but the year's 1.5
    sheet.One(QStringLiteral("1-0-0"));
    EXPECT_EQ(sheet.All(QStringLiteral("0-0-0")).size(), 2u);

    // The panels are drawn: white table, light grey title, the view white.
    const QImage image = RenderToImage(&kui::DrawSpreadsheet, size, data);
    const int w = size.width();
    const int g = static_cast<int>(sheet.One(QStringLiteral("Backhand")).top() -
                                   sheet.One(QStringLiteral("Forehand")).top());
    EXPECT_EQ(image.pixel(kui::Frac(w, 0.4), g / 2 + g), kui::LightGrey().rgb());
    EXPECT_EQ(image.pixel(kui::Frac(w, 0.6), 12 * g + g / 2), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(kui::Frac(w, 0.2), 10 * g), qRgb(255, 255, 255)); // the lit edge
    EXPECT_EQ(image.pixel(2, 2), qRgb(255, 255, 255));
}

INSTANTIATE_TEST_SUITE_P(Sizes, SpreadsheetDrawing,
                         ::testing::Values(QSize(600, 550), QSize(1280, 980)));

// A record with every rating of stroke s at level l equal to (s + l + seed) % 11.
PlayRecord Record(const std::string& date, int seed) {
    PlayRecord record;
    record.date = date;
    record.kind = "M";
    record.time = "1.5";
    record.result = seed % 2 ? "W" : "L";
    for (int s = 0; s < 6; ++s)
        for (int l = 0; l < 4; ++l)
            record.ratings[s][l] = (s + l + seed) % 11;
    return record;
}

class SpreadsheetStoreTest : public AppTest {};

// The snapshot takes each column's record in the sampled order and each
// row's stroke, whatever order the store and the statistics keep them in.
TEST_F(SpreadsheetStoreTest, SnapshotShowsSampledRecordsRowByRow) {
    KVR_PlayData play;
    for (int i = 0; i < 13; ++i)
        play.AddCopy(Record("1/" + std::to_string(i + 1) + "/2025", i));
    computeStatistics(play);
    const kui::SpreadsheetData data = kui::SpreadsheetSnapshot(play, QStringLiteral("Pat"));

    EXPECT_EQ(data.firstDate, QStringLiteral("1/1/2025"));
    ASSERT_EQ(data.columns.size(), 12u);
    const std::vector<int> records = kui::SpreadsheetColumnRecords(13);
    const Stroke rows[] = {Stroke::Forehand, Stroke::Backhand, Stroke::Serve,
                           Stroke::Return,   Stroke::Approach, Stroke::Volley};
    for (int i = 0; i < 12; ++i) {
        const PlayRecord& record = *play.At(records[i]);
        for (int row = 0; row < 6; ++row)
            EXPECT_EQ(data.columns[i].strokes[row], record.strokeTotal[kvr::Index(rows[row])]);
        EXPECT_EQ(data.columns[i].levels[3], record.levelTotal[kvr::Index(Level::Power)]);
        EXPECT_EQ(data.columns[i].grandTotal, record.grandTotal);
    }
    // Averages over the newest five (records 8 to 12), by stroke.
    for (int row = 0; row < 6; ++row) {
        float sum = 0;
        for (int i = 8; i < 13; ++i)
            sum += static_cast<float>(play.At(i)->strokeTotal[kvr::Index(rows[row])]);
        EXPECT_FLOAT_EQ(data.strokeAverages[row], sum / 5) << row;
    }
    EXPECT_EQ(data.current.wins, 6);
    EXPECT_EQ(data.current.losses, 7);
    EXPECT_FLOAT_EQ(data.all.match, 19.5f);
}

// The menu command opens one sheet however often it is chosen, and the
// sheet shows a record added afterwards.
TEST_F(SpreadsheetStoreTest, CommandOpensOneSheetThatFollowsTheRecords) {
    {
        KVR_PlayData play;
        play.AddCopy(Record("3/1/2025", 1));
        ASSERT_EQ(play.Save(), 1);
    }
    WriteFile("coach.dat", Lines({"Pat Smith"}));
    StartWindow();
    const kui::CommandRow* row = Client().Commands().Find(kui::CmSpreadsheet);
    ASSERT_TRUE(row && row->Enabled());
    Client().Command(kui::CmSpreadsheet);
    Client().Command(kui::CmSpreadsheet);
    EXPECT_EQ(Client().subWindowList().size(), 1);
    TKvrChild* view = Client().FindView(kui::SpreadsheetView);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->windowTitle(), QStringLiteral("Spread Sheet"));
    EXPECT_EQ(clicks_, 2);

    auto texts = [&] {
        TextRecorder recorder(QSize(600, 550));
        {
            QPainter painter(&recorder);
            view->Render(painter, QSize(600, 550));
        }
        return recorder.Strings();
    };
    EXPECT_TRUE(texts().contains(QStringLiteral("1-0-0")));
    app_->PlayStore().AddCopy(Record("3/2/2025", 3));
    app_->PlayRecordsChanged();
    EXPECT_TRUE(texts().contains(QStringLiteral("2-0-0")));
    EXPECT_TRUE(texts().contains(QStringLiteral("3/1/2025")));

    ASSERT_NE(Client().Commands().FindView(QStringLiteral("spreadsheet")), nullptr);

    // Exporting asks for a file; a file that cannot be written is told.
    auto chooseFile = [](const QString& path) {
        return [path](QDialog& dialog) {
            static_cast<QFileDialog&>(dialog).selectFile(path);
            return static_cast<int>(QDialog::Accepted);
        };
    };
    auto* sheet = static_cast<TKvrSpreadSheet*>(view);
    Responder().QueueDialog(chooseFile(QDir::current().absoluteFilePath("ratings.csv")));
    sheet->ExportCsvAs();
    EXPECT_TRUE(ReadFile("ratings.csv").starts_with("Date,Kind,Opponent,Hours,Result,"));
    EXPECT_TRUE(Responder().Shown().empty());
    Responder().QueueDialog(chooseFile(QDir::current().absoluteFilePath("missing/ratings.csv")));
    sheet->ExportCsvAs();
    ASSERT_EQ(Responder().Shown().size(), 1u);
    EXPECT_TRUE(Responder().Texts()[0].startsWith(QStringLiteral("Unable to write")));
}

// The export is read back by Python's csv module: every field intact,
// commas, quotes, line breaks and accents included, newest record first.
TEST_F(SpreadsheetStoreTest, CsvExportReadsBackIntact) {
    if (std::system("python3 -c 'import csv' 2>/dev/null") != 0)
        GTEST_SKIP() << "python3 is not available";
    KVR_PlayData play;
    PlayRecord older = Record("4/1/2025", 2);
    older.who = "Smith, \"Ace\" Jo";
    PlayRecord newer = Record("4/2/2025", 5);
    newer.who = "Zoë\nLine Two";
    newer.time = "2,5";
    play.AddCopy(older);
    play.AddCopy(newer);
    ASSERT_TRUE(kui::ExportSpreadsheetCsv(QStringLiteral("sheet.csv"), play));

    // The script prints each field's code points, so the comparison here
    // does not depend on any quoting of its own.
    WriteFile("read.py",
              "import csv\n"
              "with open('sheet.csv', newline='', encoding='utf-8') as f:\n"
              "    for row in csv.reader(f, strict=True):\n"
              "        print('|'.join(' '.join(str(ord(c)) for c in v) for v in row))\n");
    ASSERT_EQ(std::system("python3 read.py > fields.txt"), 0);
    std::ifstream in("fields.txt");
    std::vector<QStringList> rows;
    for (std::string line; std::getline(in, line);) {
        QStringList fields;
        for (const QString& codes : QString::fromStdString(line).split(QLatin1Char('|'))) {
            QString field;
            for (const QString& code : codes.split(QLatin1Char(' '), Qt::SkipEmptyParts))
                field += QChar(code.toInt());
            fields << field;
        }
        rows.push_back(fields);
    }
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].mid(0, 6),
              (QStringList{"Date", "Kind", "Opponent", "Hours", "Result", "Forehand"}));
    EXPECT_EQ(rows[0].size(), 16);
    EXPECT_EQ(rows[1].mid(0, 5),
              (QStringList{"4/2/2025", "M", QString::fromUtf8("Zoë\nLine Two"), "2,5", "W"}));
    EXPECT_EQ(rows[2].mid(0, 5), (QStringList{"4/1/2025", "M", "Smith, \"Ace\" Jo", "1.5", "L"}));
    computeRecordTotals(newer);
    EXPECT_EQ(rows[1][5], QString::number(newer.strokeTotal[kvr::Index(Stroke::Forehand)]));
    EXPECT_EQ(rows[1][10], QString::number(newer.strokeTotal[kvr::Index(Stroke::Volley)]));
    EXPECT_EQ(rows[1][11], QString::number(newer.grandTotal));
    EXPECT_EQ(rows[1].size(), 16);

    // A folder that cannot be written to is reported, not claimed as done.
    EXPECT_FALSE(kui::ExportSpreadsheetCsv(QStringLiteral("no-such-folder/sheet.csv"), play));
}

} // namespace
} // namespace kvrtest
