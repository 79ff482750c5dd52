// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/app_commands.h"
#include "app/help.h"
#include "charting/chart_store.h"
#include "charting/charting_commands.h"
#include "core/date.h"
#include "core/play_store.h"
#include "phonebook/phone_store.h"
#include "phonebook/phonebook_commands.h"
#include "play/graph_view.h"
#include "play/play_commands.h"
#include "play/spreadsheet.h"
#include "printing/printing_commands.h"
#include "schedule/schedule_commands.h"
#include "support/app_fixture.h"
#include "support/render.h"
#include "support/text_recorder.h"
#include "tips/tip_store.h"
#include "tips/tips_commands.h"
#include "ui/contrast.h"
#include "ui/drawing.h"
#include "ui/image_export.h"
#include "ui/notebook_page.h"

#include <algorithm>
#include <map>
#include <set>

#include <QAbstractSlider>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTextBrowser>
#include <QTextEdit>

namespace kvrtest {
namespace {

// The views with buttons, each opened from its menu command with a record
// to show, in the main window at its first size, tiled with others, in a
// tall narrow frame and maximised on a large screen.
class ViewControlsTest : public AppTest {
protected:
    void WriteRecords() {
        WriteFile("coach.dat", Lines({"KVR Coach Data Format 1.0", "Pat Smith"}));
        SaveRecords<KVR_ChartClass>({MakeChart("5/14/2026", "Alex Moreno", "6-4 7-5")});

        PlayRecord note = MakePlay("5/14/2026", "Alex Moreno", "M");
        note.score = "6-4 7-5";
        note.matchNotes = "served well";
        SaveRecords<KVR_PlayData>({note});

        PhoneRecord entry = MakePhone("Alex Moreno", "555-0199", "steady");
        entry.backhandStyle = "2";
        SaveRecords<KVR_PhoneData>({entry});

        TipClass tips;
        tips.Select("Serve");
        tips.AddCopy(MakeTip("Toss the ball a little in front.", 1, 10));
        ASSERT_EQ(tips.Save(), 1);
    }

    void OpenViews() {
        for (int command : {kui::CmBrowseChartingData, kui::CmBrowseNotes, kui::CmPhonebook,
                            kui::CmScheduler, kui::CmSpreadsheet})
            Client().Command(command);
        Responder().QueueDialog([](QDialog& dialog) {
            dialog.findChild<QRadioButton*>(QStringLiteral("Serve"))->setChecked(true);
            dialog.findChild<QRadioButton*>(QStringLiteral("Consistency"))->setChecked(true);
            dialog.accept();
            return dialog.result();
        });
        Client().Command(kui::CmTipsLookup);
        Client().Command(kui::CmTimePlayedSummary);
        Client().Command(kui::CmGoalReached);
    }

    // Every view: no text it draws lies under one of its buttons or outside
    // it; no button covers another; every caption whole, in a font at least
    // kSmallestText high.
    void CheckViews(const char* arrangement) {
        SCOPED_TRACE(arrangement);
        ASSERT_EQ(Client().subWindowList().size(), 8);
        for (QMdiSubWindow* window : Client().subWindowList()) {
            auto* view = qobject_cast<TKvrChild*>(window->widget());
            ASSERT_TRUE(view);
            SCOPED_TRACE(view->windowTitle().toStdString());
            const QSize size = view->size();
            SCOPED_TRACE(::testing::Message() << size.width() << "x" << size.height());
            TextRecorder recorder(size);
            {
                QPainter painter(&recorder);
                view->Render(painter, size);
            }
            std::vector<QPushButton*> buttons;
            for (QPushButton* button : view->findChildren<QPushButton*>())
                if (button->isVisibleTo(view))
                    buttons.push_back(button);
            // A view that scrolls (the spreadsheet kept at its legible
            // size) draws beyond its edges what its scroll bars reach.
            bool scrolls = false;
            for (const char* name : {"across", "down"}) {
                auto* bar = view->findChild<QScrollBar*>(QString::fromLatin1(name));
                scrolls = scrolls || (bar && bar->isVisibleTo(view));
            }
            for (const DrawnText& text : recorder.Texts()) {
                if (text.text.trimmed().isEmpty())
                    continue;
                EXPECT_TRUE(scrolls || QRectF(QPointF(0, 0), size).contains(text.rect))
                    << text.text.toStdString();
                // The sheet and the graphs keep the legible floor.
                if (scrolls || qobject_cast<TKvrSpreadSheet*>(view) ||
                    qobject_cast<TKvrGraphWin*>(view)) {
                    EXPECT_GE(text.rect.height(), kui::kSmallestText - 1)
                        << text.text.toStdString();
                }
                for (QPushButton* button : buttons)
                    EXPECT_FALSE(QRectF(button->geometry()).intersects(text.rect))
                        << text.text.toStdString() << " under " << button->text().toStdString();
            }
            for (QPushButton* button : buttons) {
                SCOPED_TRACE(button->text().toStdString());
                EXPECT_TRUE(view->rect().contains(button->geometry()));
                // The phone book's buttons, a third of the page and a pixel
                // wide each, meet with the few pixels' overlap that gives.
                // A row's captions share one size, also where the row
                // stands in parts either side of a page number.
                for (QPushButton* other : buttons)
                    if (other != button) {
                        EXPECT_LE((button->geometry() & other->geometry()).width(), 3)
                            << other->text().toStdString();
                        if (other->y() == button->y()) {
                            EXPECT_EQ(QFontInfo(other->font()).pixelSize(),
                                      QFontInfo(button->font()).pixelSize())
                                << other->text().toStdString();
                        }
                    }
                QStyleOptionButton option;
                option.initFrom(button);
                option.rect = button->rect();
                option.text = button->text();
                if (button->isDefault())
                    option.features |= QStyleOptionButton::DefaultButton;
                const QRect room =
                    button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
                const QFontMetrics metrics(button->font(), button);
                QString caption = button->text();
                caption.remove(QLatin1Char('&'));
                EXPECT_LE(metrics.horizontalAdvance(caption), room.width());
                EXPECT_LE(metrics.height(), room.height());
                EXPECT_GE(metrics.height(), kui::kSmallestText);
            }
        }
    }
};

TEST_F(ViewControlsTest, NoTextUnderAButtonAndEveryCaptionWhole) {
    WriteRecords();
    StartWindow();
    Frame().resize(600, 550);
    OpenViews();
    CheckViews("each as it opens at 600x550");

    Client().tileSubWindows();
    CheckViews("tiled by eight at 600x550");

    for (QMdiSubWindow* window : Client().subWindowList())
        window->resize(230, 650);
    CheckViews("tall and narrow");

    for (QMdiSubWindow* window : Client().subWindowList())
        window->resize(420, 960);
    CheckViews("a third of 1280 wide");

    Frame().resize(1280, 960);
    Client().tileSubWindows();
    CheckViews("tiled by eight at 1280x960");
    for (QMdiSubWindow* window : Client().subWindowList())
        window->resize(Client().viewport()->size());
    CheckViews("filling 1280x960");

    // There the captions have grown with their buttons, as the pages' text
    // has: half a button's height, give or take the font's rounding.
    for (QMdiSubWindow* window : Client().subWindowList())
        for (QPushButton* button : window->widget()->findChildren<QPushButton*>()) {
            if (!button->isVisibleTo(window->widget()))
                continue;
            SCOPED_TRACE(button->text().toStdString());
            EXPECT_GE(QFontMetrics(button->font(), button).height(), button->height() * 2 / 5);
        }
}

// Every view's commands from the keyboard: Tab from the view reaches each of
// its shown buttons (and the tips' rating) and comes back to the view
// without leaving it; the Menu key opens the view's menu.
TEST_F(ViewControlsTest, TabReachesEveryButtonAndTheMenuKeyOpensTheMenu) {
    WriteRecords();
    StartWindow();
    QApplication::setActiveWindow(&Frame());
    OpenViews();
    for (QMdiSubWindow* window : Client().subWindowList()) {
        auto* view = qobject_cast<TKvrChild*>(window->widget());
        ASSERT_TRUE(view);
        SCOPED_TRACE(view->windowTitle().toStdString());
        Client().setActiveSubWindow(window);
        view->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), view);
        std::set<QWidget*> reached;
        for (int i = 0; i < 12 && !reached.count(QApplication::focusWidget()); ++i) {
            reached.insert(QApplication::focusWidget());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            EXPECT_TRUE(view->isAncestorOf(QApplication::focusWidget()) ||
                        QApplication::focusWidget() == view);
        }
        EXPECT_EQ(QApplication::focusWidget(), view);
        for (QWidget* control : view->findChildren<QWidget*>()) {
            if (control->isVisibleTo(view) && control->isEnabled() &&
                (qobject_cast<QPushButton*>(control) || qobject_cast<QAbstractSlider*>(control))) {
                EXPECT_TRUE(reached.count(control)) << control->objectName().toStdString();
            }
        }

        QTest::keyClick(view, Qt::Key_Menu);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->actions().value(0)->text(), QStringLiteral("&Save Image..."));
        QTest::keyClick(menu, Qt::Key_Escape);
    }
}

// At twice the density (a saved high-density picture, a screen scaled by
// two) the notebook page behind the notes, the charts and the tips is drawn
// at that density, not stretched: its blue ground matches the page drawn at
// twice the size.
TEST_F(ViewControlsTest, NotebookPageIsDrawnAtTheDensityOfThePicture) {
    WriteRecords();
    StartWindow();
    OpenViews();
    int pages = 0;
    for (QMdiSubWindow* window : Client().subWindowList()) {
        auto* view = qobject_cast<TKvrChild*>(window->widget());
        const QString title = view->windowTitle();
        if (title != QStringLiteral("Browse Notes") &&
            title != QStringLiteral("Browse Charting Notes") &&
            title != QStringLiteral("Lookup Tips"))
            continue;
        SCOPED_TRACE(title.toStdString());
        ++pages;
        const QSize size(400, 300);
        const QImage picture = kui::PictureImage(view->Picture(), size, 2);
        ASSERT_EQ(picture.size(), size * 2);
        const QImage page = RenderToImage(
            [](QPainter& painter, QSize area) { kui::DrawNotebookPage(painter, area); }, size * 2);
        // A stretched page blurs the weave by tens of levels; drawing it
        // over the picture rounds by one or two.
        int differing = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < 14; ++x) { // the ground left of the clipboard
                const QColor drawn = picture.pixelColor(x, y);
                const QColor sharp = page.pixelColor(x, y);
                differing += std::abs(drawn.red() - sharp.red()) > 4 ||
                             std::abs(drawn.green() - sharp.green()) > 4 ||
                             std::abs(drawn.blue() - sharp.blue()) > 4;
            }
        EXPECT_EQ(differing, 0);
    }
    EXPECT_EQ(pages, 3);
}

// Under a dark desktop palette (Fusion) every dialog follows it: each
// label, button and field reads on its ground at 4.5:1 or more, a counter
// over its limit too; the manual keeps its light page for its coloured
// headings.
TEST_F(ViewControlsTest, DialogsReadUnderADarkPalette) {
    WriteRecords();
    // An event today whose notes, from an older file, are over the limit the
    // event dialog counts: its counter shows in red.
    WriteFile("sched.dat", Lines({"ZBD Data File Format 2.0", "1",
                                  "\"" + ZBD_Date().Text() + "\",\"Ann Lee\",\"6 pm\",\"Club\",\"" +
                                      std::string(90, 'x') + "\""}));
    // The application (and with it the style and palette) lasts one test.
    StartWindow();
    QApplication::setStyle(QStringLiteral("Fusion"));
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(53, 53, 53));
    dark.setColor(QPalette::WindowText, Qt::white);
    dark.setColor(QPalette::Base, QColor(42, 42, 42));
    dark.setColor(QPalette::AlternateBase, QColor(66, 66, 66));
    dark.setColor(QPalette::Text, Qt::white);
    dark.setColor(QPalette::Button, QColor(53, 53, 53));
    dark.setColor(QPalette::ButtonText, Qt::white);
    dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
    dark.setColor(QPalette::HighlightedText, Qt::black);
    dark.setColor(QPalette::ToolTipBase, QColor(53, 53, 53));
    dark.setColor(QPalette::ToolTipText, Qt::white);
    QApplication::setPalette(dark);

    std::vector<QString> checked;
    auto check = [&checked](QDialog& dialog) {
        dialog.show();
        checked.push_back(dialog.windowTitle());
        const QColor ground = dialog.palette().color(QPalette::Window);
        for (QWidget* widget : dialog.findChildren<QWidget*>()) {
            if (!widget->isVisibleTo(&dialog))
                continue;
            const QPalette colours = widget->palette();
            QColor text;
            QColor behind = ground;
            if (qobject_cast<QLabel*>(widget) || qobject_cast<QRadioButton*>(widget) ||
                qobject_cast<QCheckBox*>(widget)) {
                text = colours.color(QPalette::WindowText);
                if (widget->autoFillBackground())
                    behind = colours.color(QPalette::Window);
            } else if (qobject_cast<QPushButton*>(widget)) {
                text = colours.color(QPalette::ButtonText);
                behind = colours.color(QPalette::Button);
            } else if (qobject_cast<QLineEdit*>(widget) || qobject_cast<QPlainTextEdit*>(widget) ||
                       qobject_cast<QListWidget*>(widget) || qobject_cast<QTextEdit*>(widget)) {
                text = colours.color(QPalette::Text);
                behind = colours.color(QPalette::Base);
            } else {
                continue;
            }
            EXPECT_GE(kui::ContrastRatio(text, behind), 4.5)
                << dialog.windowTitle().toStdString() << ": " << widget->metaObject()->className()
                << " " << widget->objectName().toStdString() << " " << text.name().toStdString()
                << " on " << behind.name().toStdString();
        }
        dialog.reject();
        return dialog.result();
    };
    for (int command : {kui::CmRecordNotes, kui::CmUstaRatings, kui::CmTipsAdd, kui::CmAbout,
                        kui::CmMatchNotes}) {
        Responder().QueueDialog(check);
        Client().Command(command);
    }
    Client().Command(kui::CmScheduler);
    Responder().QueueDialog([&](QDialog& dialog) {
        int over = 0;
        for (QLabel* counter : dialog.findChildren<QLabel*>(QStringLiteral("charactersLeft")))
            over +=
                counter->isVisibleTo(&dialog) && counter->text().endsWith(QStringLiteral("over"));
        EXPECT_EQ(over, 1);
        return check(dialog);
    });
    QTest::keyClick(Client().FindView(kui::SchedulerView), Qt::Key_Return);
    Responder().QueueDialog(check);
    Client()
        .FindView(kui::SchedulerView)
        ->findChild<QPushButton*>(QStringLiteral("schedule"))
        ->click();
    Client().Command(kui::CmPhonebook);
    Responder().QueueDialog(check);
    Client().FindView(kui::PhonebookView)->findChild<QPushButton*>(QStringLiteral("add"))->click();
    EXPECT_EQ(checked.size(), 8u);

    THelpWindow manual;
    const QPalette page = manual.Browser()->palette();
    for (const char* heading : {"#003cff", "#1a6e1a", "#630000"})
        EXPECT_GE(
            kui::ContrastRatio(QColor(QString::fromLatin1(heading)), page.color(QPalette::Base)),
            4.5);
    EXPECT_GE(kui::ContrastRatio(page.color(QPalette::Text), page.color(QPalette::Base)), 4.5);
}

// Every text a view draws reads on what it is drawn on at 4.5:1 or more,
// the graph legends' fixed blue on their fixed grey alone excepted; and no
// text takes its colour or its ground from the desktop's palette (the
// painter starts with a dark palette's white pen on its dark ground here).
TEST_F(ViewControlsTest, ViewTextsReadOnTheirGround) {
    WriteRecords();
    StartWindow();
    OpenViews();
    for (int command : {kui::CmTimePlayedByMonth, kui::CmTotalGameRatings, kui::CmStrokeRatings,
                        kui::CmChartingGameSummary, kui::CmChartingStrokeSummary})
        Client().Command(command);
    const QColor legendBlue(29, 128, 226);
    int texts = 0;
    for (QMdiSubWindow* window : Client().subWindowList()) {
        auto* view = qobject_cast<TKvrChild*>(window->widget());
        SCOPED_TRACE(view->windowTitle().toStdString());
        const QSize size(640, 480);
        QImage image(size, QImage::Format_RGB32);
        image.fill(QColor(53, 53, 53));
        TextRecorder recorder(size);
        for (QPaintDevice* device : std::initializer_list<QPaintDevice*>{&image, &recorder}) {
            QPainter painter(device);
            painter.setPen(Qt::white);
            view->Render(painter, size);
        }
        for (const DrawnText& text : recorder.Texts()) {
            if (text.text.trimmed().isEmpty())
                continue;
            // The ground: the colour most of the text's box shows.
            std::map<QRgb, int> counts;
            const QRect box = text.rect.toAlignedRect().intersected(image.rect());
            for (int y = box.top(); y <= box.bottom(); ++y)
                for (int x = box.left(); x <= box.right(); ++x)
                    ++counts[image.pixel(x, y)];
            const auto ground =
                std::max_element(counts.begin(), counts.end(),
                                 [](const auto& a, const auto& b) { return a.second < b.second; });
            ASSERT_NE(ground, counts.end());
            ++texts;
            if (text.color == legendBlue && QColor(ground->first) == kui::LightGrey())
                continue;
            EXPECT_GE(kui::ContrastRatio(text.color, QColor(ground->first)), 4.5)
                << text.text.toStdString() << ": " << text.color.name().toStdString() << " on "
                << QColor(ground->first).name().toStdString();
        }
    }
    EXPECT_GT(texts, 100);
}
} // namespace
} // namespace kvrtest
