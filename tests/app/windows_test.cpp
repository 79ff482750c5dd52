// SPDX-License-Identifier: GPL-3.0-or-later
// The views in the main window as a player drives them with the keyboard:
// where they open and stay, Cascade, the Window menu and its keys, the
// underlined letters of the views' buttons, and the questions that delete.
#include "app/app_commands.h"
#include "charting/chart_store.h"
#include "charting/charting_commands.h"
#include "phonebook/phone_store.h"
#include "phonebook/phonebook_commands.h"
#include "play/play_commands.h"
#include "schedule/sched_dialogs.h"
#include "schedule/sched_store.h"
#include "schedule/schedule_commands.h"
#include "support/app_fixture.h"
#include "tips/tip_store.h"
#include "tips/tips_commands.h"
#include "tips/tips_lookup.h"

#include <ostream>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace kvrtest {
namespace {

const std::string kNote =
    "\"3/4/2026\",\"S\",\"\",\"Ann Lee\",\"\",\"1.5\",\"M\",\"W\",\"6-4\",\"\",\"\",\"\",\"\"";

class WindowsTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        WriteFile("coach.dat", Lines({"Pat Smith"}));
    }
    void Start() {
        StartWindow();
        QApplication::setActiveWindow(&Frame());
    }
    void Choose(Qt::Key menu, std::initializer_list<Qt::Key> items) { ChooseFromMenu(menu, items); }
    QRect Area() { return Client().viewport()->rect(); }
    QList<QMdiSubWindow*> Windows() { return Client().subWindowList(QMdiArea::StackingOrder); }
    void ExpectAllInside() {
        for (QMdiSubWindow* window : Windows())
            EXPECT_TRUE(Area().contains(window->geometry()))
                << window->widget()->windowTitle().toStdString() << " at " << window->geometry().x()
                << "," << window->geometry().y() << " " << window->width() << "x"
                << window->height() << " in " << Area().width() << "x" << Area().height();
    }
    void OpenEveryView() {
        Choose(Qt::Key_U, {Qt::Key_P}); // Phonebook
        Choose(Qt::Key_U, {Qt::Key_S}); // Scheduler
        Choose(Qt::Key_D, {Qt::Key_B}); // Browse Notes
        Choose(Qt::Key_D, {Qt::Key_C}); // Browse Charting Data
        Choose(Qt::Key_A, {Qt::Key_S}); // Spreadsheet
        for (Qt::Key graph :
             {Qt::Key_T, Qt::Key_M, Qt::Key_R, Qt::Key_S, Qt::Key_G, Qt::Key_C, Qt::Key_K})
            Choose(Qt::Key_A, {Qt::Key_G, graph});
    }
};

// At the default size, maximised and shrunk again, every view opens wholly
// inside the client area, each a cascade step from the one before, and a
// smaller main window brings the views left outside back in.
TEST_F(WindowsTest, ViewsOpenAndStayInsideTheArea) {
    Start();
    ASSERT_EQ(Frame().size(), QSize(600, 550));
    Choose(Qt::Key_U, {Qt::Key_P});
    Choose(Qt::Key_U, {Qt::Key_S});
    Choose(Qt::Key_D, {Qt::Key_B});
    const QList<QMdiSubWindow*> three = Client().subWindowList(QMdiArea::CreationOrder);
    ASSERT_EQ(three.size(), 3);
    ExpectAllInside();
    for (QMdiSubWindow* window : three) {
        EXPECT_EQ(window->width(), Area().width() * 3 / 4);
        EXPECT_EQ(window->height(), Area().height() * 3 / 4);
    }
    const QPoint step = three[1]->pos() - three[0]->pos();
    EXPECT_EQ(three[0]->pos(), QPoint(0, 0));
    EXPECT_GT(step.x(), 10);
    EXPECT_EQ(step.y(), step.x());
    EXPECT_EQ(three[2]->pos() - three[1]->pos(), step);

    // Closing the first leaves the others where they are; the next view
    // still opens inside, wrapping to the corner before it would leave.
    QTest::keyClick(&Frame(), Qt::Key_Tab, Qt::ControlModifier); // the phone book
    QTest::keyClick(&Frame(), Qt::Key_F4, Qt::ControlModifier);
    ASSERT_EQ(Windows().size(), 2);
    OpenEveryView();
    EXPECT_EQ(Windows().size(), 12);
    ExpectAllInside();

    Frame().showMaximized();
    QApplication::processEvents();
    ExpectAllInside();
    Frame().showNormal();
    Frame().resize(420, 360);
    QApplication::processEvents();
    ExpectAllInside();
    Frame().resize(600, 550);
    QApplication::setActiveWindow(&Frame());
    Choose(Qt::Key_U, {Qt::Key_P});
    ExpectAllInside();
}

// Cascade leaves every view at least half the area (at least 250 by 200 at
// the default size) with its title bar in sight, the active view in front;
// Tile still lays them side by side.
TEST_F(WindowsTest, CascadeKeepsEveryViewUsableWithItsTitleShown) {
    Start();
    for (int views : {3, 12}) {
        SCOPED_TRACE(views);
        if (views == 3) {
            Choose(Qt::Key_U, {Qt::Key_P});
            Choose(Qt::Key_U, {Qt::Key_S});
            Choose(Qt::Key_D, {Qt::Key_B});
        } else {
            OpenEveryView();
        }
        ASSERT_EQ(Windows().size(), views);
        QMdiSubWindow* active = Client().activeSubWindow();
        Choose(Qt::Key_W, {Qt::Key_C});
        const QList<QMdiSubWindow*> stack = Windows();
        EXPECT_EQ(stack.last(), active);
        EXPECT_EQ(Client().activeSubWindow(), active);
        for (qsizetype i = 0; i < stack.size(); ++i) {
            const QRect frame = stack[i]->geometry();
            EXPECT_TRUE(Area().contains(frame));
            EXPECT_GE(frame.width(), std::max(250, Area().width() / 2));
            EXPECT_GE(frame.height(), std::max(200, Area().height() / 2));
            // The title bar: the frame above the view. Every view in front
            // of it leaves at least the height of its text showing.
            const int titleHeight = stack[i]->widget()->geometry().top();
            const int textHeight = stack[i]->fontMetrics().height();
            for (qsizetype above = i + 1; above < stack.size(); ++above)
                EXPECT_GE(stack[above]->geometry().top() - frame.top(),
                          std::min(titleHeight, textHeight + 2));
        }
    }
    Choose(Qt::Key_W, {Qt::Key_T});
    const QList<QMdiSubWindow*> tiled = Windows();
    for (qsizetype i = 0; i < tiled.size(); ++i)
        for (qsizetype j = i + 1; j < tiled.size(); ++j)
            EXPECT_FALSE(tiled[i]->geometry().intersects(tiled[j]->geometry()));
}

// The Window menu lists the open views under its commands, numbered, the
// active one checked, and its items bring a view forward; Ctrl+Tab and
// Ctrl+Shift+Tab step through the views, Ctrl+F4 closes the active one,
// Ctrl+Q leaves.
TEST_F(WindowsTest, WindowMenuListsTheViewsAndTheKeysStepAndClose) {
    Start();
    Choose(Qt::Key_U, {Qt::Key_P});
    Choose(Qt::Key_U, {Qt::Key_S});
    Choose(Qt::Key_D, {Qt::Key_B});
    auto listed = [this] {
        QTest::keyClick(&Frame(), Qt::Key_W, Qt::AltModifier);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QStringList items;
        if (menu)
            for (QAction* action : menu->actions())
                items << (action->isSeparator()
                              ? QStringLiteral("-")
                              : action->text() + (action->isChecked() ? "*" : ""));
        return items.join(QStringLiteral(", ")).toStdString();
    };
    EXPECT_EQ(listed(), "&Cascade, &Tile, Arrange &Icons, -, &1 Phonebook, &2 Scheduler, "
                        "&3 Browse Notes*");
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_2);
    EXPECT_EQ(Client().ActiveView()->windowTitle(), QStringLiteral("Scheduler"));

    QTest::keyClick(&Frame(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(Client().ActiveView()->windowTitle(), QStringLiteral("Browse Notes"));
    QTest::keyClick(&Frame(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Client().ActiveView()->windowTitle(), QStringLiteral("Scheduler"));
    QTest::keyClick(&Frame(), Qt::Key_F4, Qt::ControlModifier);
    QApplication::processEvents();
    EXPECT_EQ(Client().FindView(kui::SchedulerView), nullptr);
    // The offscreen platform hands the activation to the menu closed last
    // when a view closes; a desktop gives it back to the main window.
    QApplication::setActiveWindow(&Frame());
    EXPECT_EQ(listed(), "&Cascade, &Tile, Arrange &Icons, -, &1 Phonebook, &2 Browse Notes*");
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);

    ASSERT_TRUE(Frame().isVisible());
    QTest::keyClick(&Frame(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(Frame().isVisible());
}

// Alt and a letter underlined on a button of the active view press that
// button; a letter no shown button of the active view underlines opens the
// menu bar's menu as before, and the buttons of the views behind do not
// answer.
TEST_F(WindowsTest, AltLetterPressesTheActiveViewsButtonElseOpensTheMenu) {
    KVR_PhoneData phones;
    PhoneRecord entry;
    entry.name = "Ann Lee";
    phones.AddCopy(entry);
    ASSERT_EQ(phones.Save(), 1);
    const std::string book = ReadFile("phone.dat");
    Start();

    // No view: Alt+A opens Analyze.
    QTest::keyClick(&Frame(), Qt::Key_A, Qt::AltModifier);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->title(), QStringLiteral("&Analyze"));
    QTest::keyClick(menu, Qt::Key_Escape);
    QTest::keyClick(Frame().menuBar(), Qt::Key_Escape);

    Choose(Qt::Key_U, {Qt::Key_P});
    Responder().QueueDialog([](QDialog& dialog) { return dialog.result(); });
    QTest::keyClick(&Frame(), Qt::Key_E, Qt::AltModifier);
    EXPECT_EQ(Responder().DialogsRun(),
              std::vector<QString>{QStringLiteral("Edit Player PhoneBook/Profile")});
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    QTest::keyClick(&Frame(), Qt::Key_L, Qt::AltModifier);
    ASSERT_EQ(Responder().Shown().size(), 1u);
    EXPECT_EQ(Responder().Shown()[0].caption, QStringLiteral("Delete?"));
    EXPECT_EQ(ReadFile("phone.dat"), book);

    // The scheduler in front: its own Alt+S schedules; Alt+E and Alt+L are
    // no buttons of it, so the phone book behind does not edit or delete,
    // and Alt+D opens the Data menu.
    Choose(Qt::Key_U, {Qt::Key_S});
    Responder().Clear();
    Responder().QueueDialog([](QDialog& dialog) { return dialog.result(); });
    QTest::keyClick(&Frame(), Qt::Key_S, Qt::AltModifier);
    EXPECT_EQ(Responder().DialogsRun(), std::vector<QString>{QStringLiteral("Schedule Tennis")});
    QTest::keyClick(&Frame(), Qt::Key_E, Qt::AltModifier);
    QTest::keyClick(&Frame(), Qt::Key_L, Qt::AltModifier);
    QTest::keyClick(&Frame(), Qt::Key_D, Qt::AltModifier);
    menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->title(), QStringLiteral("&Data"));
    EXPECT_EQ(Responder().DialogsRun().size(), 1u);
    EXPECT_TRUE(Responder().Shown().empty());
}

// Enter on each question that deletes a record or closes the goal period
// answers No: nothing changes. Each asks with its own text first and names
// the record after it.
TEST_F(WindowsTest, EnterOnEveryDestructiveQuestionChangesNothing) {
    WriteFile("play.dat", Lines({"ZBD Data File Format 2.0", "1", kNote}));
    SaveRecords<KVR_PhoneData>({MakePhone("Ann Lee")});
    SaveRecords<KVR_ChartClass>({MakeChart("3/4/2026", "Ann Lee", "6-4")});
    SaveServeTips({MakeTip(
        "Toss the ball a little in front of you and reach up to hit it at full stretch", 2, 5)});
    SaveRecords<SchedClass>({MakeEvent("3/9/2026", "Ann Lee")});
    const std::vector<std::string> files{"play.dat", "phone.dat", "chart.dat", "serve.tip",
                                         "sched.dat"};
    std::vector<std::string> before;
    for (const std::string& file : files)
        before.push_back(ReadFile(file));
    Start();
    kui::SetTipDraw([] { return 0; });
    for (int question = 0; question < 6; ++question)
        Responder().QueueEnter();

    // Alt+L presses each view's delete button (so the views are opened by
    // their menu items).
    Choose(Qt::Key_D, {Qt::Key_S}); // Set New Goals
    Frame().Action(kui::CmBrowseNotes)->trigger();
    QTest::keyClick(&Frame(), Qt::Key_L, Qt::AltModifier);
    Frame().Action(kui::CmBrowseChartingData)->trigger();
    QTest::keyClick(&Frame(), Qt::Key_L, Qt::AltModifier);
    Frame().Action(kui::CmPhonebook)->trigger();
    QTest::keyClick(&Frame(), Qt::Key_L, Qt::AltModifier);
    Responder().QueueDialog([](QDialog& dialog) {
        dialog.findChild<QRadioButton*>(QStringLiteral("Serve"))->setChecked(true);
        dialog.findChild<QRadioButton*>(QStringLiteral("Placement"))->setChecked(true);
        dialog.accept();
        return dialog.result();
    });
    Frame().Action(kui::CmTipsLookup)->trigger();
    QTest::keyClick(&Frame(), Qt::Key_L, Qt::AltModifier);
    TSchedAddDlg eventDialog(&Client(), app_->PhoneStore().Names(), *app_->SchedStore().At(0));
    eventDialog.findChild<QPushButton*>(QStringLiteral("delete"))->click();

    const QStringList expected{
        "Setup New Goals",
        "Delete Notes?: Are you sure you want to Delete this Page?\n\n3/4/2026, Ann Lee",
        "Delete Charting Notes?: Are you sure you want to Delete this Page?\n\n3/4/2026, Ann Lee, "
        "6-4",
        "Delete?:  Delete this Page from PhoneBook?\n\nAnn Lee",
        "Delete Tip: Do you really want to delete this tip?\n\n\"Toss the ball a little in front "
        "of "
        "you and reach up to hit...\"",
        "Delete?: Delete Event?\n\n3/9/2026, 6 pm, Ann Lee"};
    QStringList asked;
    for (const kui::Message& question : Responder().Shown()) {
        EXPECT_EQ(question.byDefault, kui::Default::No) << question.text.toStdString();
        asked << (question.caption == "Setup New Goals" ? question.caption
                                                        : question.caption + ": " + question.text);
    }
    EXPECT_EQ(asked.join('|').toStdString(), expected.join('|').toStdString());
    for (std::size_t i = 0; i < files.size(); ++i)
        EXPECT_EQ(ReadFile(files[i]), before[i]) << files[i];
    EXPECT_EQ(app_->PlayStore().Count(), 1u);
    kui::SetTipDraw(nullptr);
}

} // namespace
} // namespace kvrtest
