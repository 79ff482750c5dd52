// SPDX-License-Identifier: GPL-3.0-or-later
#include "charting/chart_browse.h"
#include "charting/charting_commands.h"
#include "support/app_fixture.h"
#include "support/render.h"
#include "support/text_recorder.h"
#include "ui/drawing.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

namespace kvrtest {
namespace {

ChartRecord MakeChart(const char* date, const char* opponent) {
    ChartRecord chart = kvrtest::MakeChart(date, opponent, "6-4 7-5");
    chart.firstServeAttempts = 40;
    chart.firstServesIn = 25;
    chart.aces = 3;
    chart.doubleFaults = 4;
    chart.forehandWinners = 7;
    chart.forehandErrors = 12;
    chart.backhandWinners = 2;
    chart.backhandErrors = 11;
    chart.volleysWon = 5;
    chart.volleysLost = 6;
    chart.approachesPassed = 9;
    return chart; // no returns: a return percentage of 0.0
}

class ChartBrowseTest : public AppTest {
protected:
    void WriteCharts(std::initializer_list<ChartRecord> charts) {
        SaveRecords<KVR_ChartClass>(charts);
        WriteCoach();
    }
    TKvrChartBrowse& Open() {
        return OpenFromMenu<TKvrChartBrowse>(kui::CmBrowseChartingData, kui::ChartingNotesView);
    }
    static std::string Opponent(TKvrChartBrowse& view) {
        auto page = view.Snapshot();
        return page.chart ? page.chart->opponent : std::string("(none)");
    }
};

// The page at two sizes: the title, every label right-aligned at 0.4 W or
// 0.8 W on its row, the values in blue at the labels' ends, the derived
// figures and the page number in its box.
TEST_F(ChartBrowseTest, PageTextsAndTheirPlacesAtTwoSizes) {
    StartApp();
    kui::ChartPageData data;
    data.empty = false;
    data.pageNumber = 2;
    data.chart = MakeChart("5/14/2026", "Alex Moreno");
    for (QSize size : {QSize(600, 550), QSize(1280, 960)}) {
        SCOPED_TRACE(size.width());
        TextRecorder recorder(size);
        QPainter painter(&recorder);
        kui::DrawChartPage(painter, size, data);
        painter.end();
        // The rows stand a label's height apart (its font at most height /
        // 30 high), and the last one ends above the button row at 0.95 of
        // the height.
        const DrawnText* first = recorder.Find(QStringLiteral("1st Serve Attempts:  "));
        const DrawnText* last = recorder.Find(QStringLiteral("Total Winners:  "));
        ASSERT_TRUE(first && last);
        const int row = static_cast<int>(std::lround((last->rect.top() - first->rect.top()) / 14));
        EXPECT_LE(first->font.pixelSize(), kui::ScaledFont(size, 30, 65, &recorder).pixelSize());
        EXPECT_GE(row, first->rect.height() - 1);
        for (const DrawnText& text : recorder.Texts()) {
            if (!text.text.startsWith(QStringLiteral("pg "))) {
                EXPECT_LE(text.rect.bottom(), static_cast<int>(size.height() * 0.95));
            }
        }
        const int w = size.width();
        const int top = static_cast<int>(size.height() * 0.3);

        const DrawnText* title = recorder.Find(QStringLiteral("Match Charting Notes"));
        ASSERT_TRUE(title);
        EXPECT_NEAR(title->rect.center().x(), w / 2, 1);
        EXPECT_EQ(title->color.rgb(), qRgb(0, 0, 0));

        const DrawnText* identity =
            recorder.Find(QStringLiteral("5/14/2026    Alex Moreno    6-4 7-5"));
        ASSERT_TRUE(identity);
        EXPECT_EQ(identity->color, QColor(0, 0, 255));

        // label, its column's x, its row, the value drawn after it
        const struct {
            const char* label;
            double x;
            int row;
            const char* value;
        } expected[] = {
            {"1st Serve Attempts:  ", 0.4, 5, "40"}, {"Return Attempts:  ", 0.8, 5, " 0"},
            {"Double Faults:  ", 0.4, 8, " 4"},      {"Backhand Errors:  ", 0.8, 11, "11"},
            {"Times Passed:  ", 0.8, 14, " 9"},      {"1st Serve %:  ", 0.4, 18, "62.5"},
            {"Return %:  ", 0.8, 18, "0.0"},         {"Total Winners:  ", 0.4, 19, " 17"},
            {"Total Errors:  ", 0.8, 19, " 27"}};
        const std::vector<DrawnText>& texts = recorder.Texts();
        for (const auto& item : expected) {
            SCOPED_TRACE(item.label);
            const DrawnText* label = recorder.Find(QString::fromLatin1(item.label));
            ASSERT_TRUE(label);
            const int x = static_cast<int>(w * item.x);
            EXPECT_NEAR(label->rect.right(), x, 1);
            const double y = label->rect.top();
            EXPECT_NEAR(y, top + item.row * row, 1);
            auto value = std::find_if(texts.begin(), texts.end(), [&](const DrawnText& text) {
                return text.color == QColor(0, 0, 255) && std::abs(text.rect.left() - x) <= 1 &&
                       std::abs(text.rect.top() - y) <= 1;
            });
            ASSERT_NE(value, texts.end());
            EXPECT_EQ(value->text, QString::fromLatin1(item.value));
        }
        const DrawnText* page = recorder.Find(QStringLiteral("pg 2"));
        ASSERT_TRUE(page);
        EXPECT_NEAR(page->rect.center().x(), w / 2, 1);
        EXPECT_GE(page->rect.top(), size.height() * 0.95);
    }

    // The page box is light grey; with no charts the title and, under it,
    // how a match is charted, and no page number.
    QImage image = RenderToImage(&kui::DrawChartPage, QSize(600, 550), data);
    EXPECT_EQ(image.pixelColor(285, 545), QColor(192, 192, 192));
    kui::ChartPageData empty;
    std::vector<DrawnText> texts = RecordTexts(&kui::DrawChartPage, QSize(600, 550), empty);
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, QStringLiteral("Match Charting Notes"));
    QString said;
    for (std::size_t i = 1; i < texts.size(); ++i) {
        said += (i > 1 ? " " : "") + texts[i].text;
        EXPECT_GT(texts[i].rect.top(), texts[0].rect.bottom());
        EXPECT_FALSE(texts[i].text.startsWith(QStringLiteral("pg ")));
    }
    EXPECT_TRUE(said.startsWith(QStringLiteral("No charted matches yet: Data > Record Notes")))
        << said.toStdString();
}

// The menu command opens one notebook; its pages wrap at both ends; with
// no charts the buttons do nothing and the page turns are not shown.
TEST_F(ChartBrowseTest, PagesWrapAndAnEmptyNotebookIgnoresAndHidesTheButtons) {
    WriteCharts(
        {MakeChart("3/1/2026", "Ann"), MakeChart("4/1/2026", "Bea"), MakeChart("5/1/2026", "Cy")});
    StartWindow();
    TKvrChartBrowse& view = Open();
    EXPECT_EQ(view.windowTitle(), QStringLiteral("Browse Charting Notes"));
    EXPECT_EQ(&Open(), &view);
    EXPECT_EQ(Opponent(view), "Ann");
    Press(view, "previous");
    EXPECT_EQ(view.Snapshot().pageNumber, 3);
    EXPECT_EQ(Opponent(view), "Cy");
    Press(view, "next");
    EXPECT_EQ(Opponent(view), "Ann");
    Press(view, "next");
    EXPECT_EQ(Opponent(view), "Bea");
    for (const char* button : {"next", "previous", "edit", "delete", "find"})
        EXPECT_FALSE(view.findChild<QPushButton*>(button)->isHidden()) << button;

    // The charts go: the buttons follow the store's change.
    while (app_->ChartStore().Count() > 0)
        app_->ChartStore().RemoveAt(0);
    app_->RecordsChanged(kui::Store::Chart);
    EXPECT_TRUE(QTest::qWaitFor([&] { return view.findChild<QPushButton*>("next")->isHidden(); }));
    Responder().Clear();
    Press(view, "next");
    Press(view, "previous");
    Press(view, "delete");
    Press(view, "edit");
    Press(view, "find");
    EXPECT_EQ(view.PageIndex(), 1);
    EXPECT_TRUE(Responder().Shown().empty());
    EXPECT_TRUE(Responder().DialogsRun().empty());
    EXPECT_TRUE(view.Snapshot().empty);
    for (const char* button : {"next", "previous", "edit", "delete"})
        EXPECT_TRUE(view.findChild<QPushButton*>(button)->isHidden()) << button;
    EXPECT_FALSE(view.findChild<QPushButton*>("find")->isEnabled());
}

// Find turns to the next page whose opponent holds the typed name, in any
// case, wrapping once; a name no page holds is told. Edit opens the
// charting dialog on the page's chart: a chart breaking a rule is refused,
// a correction saved in place, Cancel keeps the chart.
TEST_F(ChartBrowseTest, FindTurnsToTheOpponentAndEditSavesAValidChart) {
    ChartRecord valid = MakeChart("4/1/2026", "Bea Lane");
    valid.returnAttempts = 30;
    valid.returnsIn = 20;
    valid.approachAttempts = 12;
    WriteCharts({MakeChart("3/1/2026", "Zoe Hart"), valid, MakeChart("5/1/2026", "Ann Zoellner")});
    StartWindow();
    TKvrChartBrowse& view = Open();
    auto click = [](QWidget& parent, const char* button) {
        QTest::mouseClick(parent.findChild<QPushButton*>(button), Qt::LeftButton);
    };
    std::vector<std::string> found;
    for (const char* typed : {"zoe", "ZOE", "lane", "xyz"}) {
        Responder().QueueDialog([typed](QDialog& dialog) {
            QTest::keyClicks(dialog.findChild<QWidget*>("who"), QString::fromLatin1(typed));
            QTest::mouseClick(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                              Qt::LeftButton);
            return dialog.result();
        });
        click(view, "find");
        found.push_back(Opponent(view));
    }
    EXPECT_EQ(found,
              (std::vector<std::string>{"Ann Zoellner", "Zoe Hart", "Bea Lane", "Bea Lane"}));
    EXPECT_EQ(Responder().Texts(), std::vector<QString>{"Didn't find xyz in Charting Notes"});

    // 50 aces in 40 serves are refused; 5 are saved in place.
    auto typeAces = [](QDialog& dialog, const char* aces) {
        QTest::keyClick(dialog.findChild<QSpinBox*>("aces"), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(dialog.findChild<QSpinBox*>("aces"), QString::fromLatin1(aces));
    };
    Responder().QueueDialog([&](QDialog& dialog) {
        EXPECT_EQ(dialog.findChild<QSpinBox*>("aces")->value(), 3);
        typeAces(dialog, "50");
        click(dialog, "okButton");
        EXPECT_EQ(Responder().Shown().back().caption, QStringLiteral("Check Stats!"));
        typeAces(dialog, "5");
        click(dialog, "okButton");
        return dialog.result();
    });
    click(view, "edit");
    EXPECT_EQ(Responder().DialogsRun().back(), "EDIT CHARTING");
    KVR_ChartClass reread;
    ASSERT_EQ(reread.Load(), 1);
    ASSERT_EQ(reread.Count(), 3u);
    EXPECT_EQ(reread.At(1)->aces, 5);
    EXPECT_EQ(reread.At(1)->firstServesIn, 25);

    const std::string saved = ReadFile("chart.dat");
    Responder().QueueDialog([&](QDialog& dialog) {
        typeAces(dialog, "7");
        click(dialog, "cancelButton");
        return dialog.result();
    });
    click(view, "edit");
    EXPECT_EQ(ReadFile("chart.dat"), saved);
}

// Delete asks first: No keeps store and file; Yes removes the page shown and
// saves; the last page gone, the new last page is shown; a failed save keeps
// the chart and says so.
TEST_F(ChartBrowseTest, DeleteAsksSavesAndStaysOnARealPage) {
    WriteCharts(
        {MakeChart("3/1/2026", "Ann"), MakeChart("4/1/2026", "Bea"), MakeChart("5/1/2026", "Cy")});
    const std::string saved = ReadFile("chart.dat");
    StartWindow();
    TKvrChartBrowse& view = Open();
    Press(view, "previous"); // page 3, Cy

    Responder().QueueAnswer(false);
    Press(view, "delete");
    ASSERT_EQ(Responder().Shown().size(), 1u);
    EXPECT_EQ(Responder().Shown()[0].kind, kui::Message::Kind::YesNo);
    EXPECT_EQ(
        Responder().Shown()[0].text,
        QStringLiteral("Are you sure you want to Delete this Page?\n\n5/1/2026, Cy, 6-4 7-5"));
    EXPECT_EQ(Responder().Shown()[0].byDefault, kui::Default::No);
    EXPECT_EQ(Responder().Shown()[0].caption, QStringLiteral("Delete Charting Notes?"));
    EXPECT_EQ(ReadFile("chart.dat"), saved);

    Responder().QueueAnswer(true);
    Press(view, "delete");
    EXPECT_EQ(app_->ChartStore().Count(), 2u);
    EXPECT_EQ(view.PageIndex(), 1);
    EXPECT_EQ(Opponent(view), "Bea");
    KVR_ChartClass reread;
    ASSERT_EQ(reread.Load(), 1);
    ASSERT_EQ(reread.Count(), 2u);
    EXPECT_EQ(reread.At(1)->opponent, "Bea");

    // chart.dat cannot be replaced: the chart stays, the player is told.
    std::filesystem::remove("chart.dat");
    std::filesystem::create_directory("chart.dat");
    Responder().Clear();
    Responder().QueueAnswer(true);
    Press(view, "delete");
    EXPECT_EQ(app_->ChartStore().Count(), 2u);
    EXPECT_EQ(Opponent(view), "Bea");
    EXPECT_EQ(Responder().Texts().back(), QStringLiteral("Error saving data!"));
}

} // namespace
} // namespace kvrtest
