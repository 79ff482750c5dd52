// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/ical.h"
#include "schedule/sched_dialogs.h"
#include "schedule/sched_month.h"
#include "schedule/sched_store.h"
#include "schedule/sched_view.h"
#include "schedule/schedule_commands.h"
#include "support/app_fixture.h"
#include "support/process.h"
#include "support/render.h"
#include "support/typing.h"
#include "ui/drawing.h"
#include "ui/player_list.h"

#include <set>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace kvrtest {
namespace {

std::string Event(const std::string& date, const std::string& who, const std::string& time,
                  const std::string& where, const std::string& notes) {
    return "\"" + date + "\",\"" + who + "\",\"" + time + "\",\"" + where + "\",\"" + notes + "\"";
}

// What a scripted event dialog saw and did.
struct Seen {
    std::vector<std::string> whos;
};

class SchedViewTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        ZBD_Date::FixToday(12, 15, 2001);
    }
    void TearDown() override {
        AppTest::TearDown();
        ZBD_Date::UseSystemClock();
    }
    void WriteEvents(std::initializer_list<std::string> events) {
        std::string text = "ZBD Data File Format 2.0\r\n" + std::to_string(events.size()) + "\r\n";
        for (const std::string& event : events)
            text += event + "\r\n";
        WriteFile("sched.dat", text);
        WriteFile("coach.dat", Lines({"KVR Coach Data Format 1.0", "Pat Smith"}));
    }
    TKvrSchedWin& Open() {
        StartWindow();
        auto& view = OpenFromMenu<TKvrSchedWin>(kui::CmScheduler, kui::SchedulerView);
        view.resize(700, 600);
        return view;
    }
    // The cell of the shown month that holds `day`.
    static int CellOf(TKvrSchedWin& view, int day) {
        for (int i = 0; i < CalendarBase::kCellCount; ++i)
            if (view.Calendar().CellDay(i) == day)
                return i;
        return -1;
    }
    static std::set<int> MarkedDays(TKvrSchedWin& view) {
        const kui::SchedMonthData data = view.Snapshot(QSize(700, 600));
        std::set<int> days;
        for (size_t i = 0; i < data.marked.size(); ++i)
            if (data.marked[i])
                days.insert(data.cellDay[i]);
        return days;
    }
    // Fills the event dialog's fields (the Who by its edit line) and presses OK.
    static int FillAndOk(QDialog& dialog, const QString& date, const QString& who,
                         const QString& time, const QString& where, const QString& notes) {
        Field<QLineEdit>(dialog, "date")->setText(date);
        Field<QComboBox>(dialog, "who")->setEditText(who);
        Field<QLineEdit>(dialog, "time")->setText(time);
        Field<QLineEdit>(dialog, "where")->setText(where);
        Field<QPlainTextEdit>(dialog, "notes")->setPlainText(notes);
        Field<QPushButton>(dialog, "ok")->click();
        return dialog.result();
    }
    // Records the Who of an event dialog and cancels it.
    void QueueLook(Seen& seen) {
        Responder().QueueDialog([&seen](QDialog& dialog) {
            seen.whos.push_back(Field<QComboBox>(dialog, "who")->currentText().toStdString());
            dialog.reject();
            return dialog.result();
        });
    }
    // Queues the search dialog: the From Date typed over (when given), the
    // direction clicked, the name typed and Enter pressed.
    void QueueFind(const QString& who, const QString& from, bool forward,
                   QString* offered = nullptr) {
        Responder().QueueDialog([=](QDialog& dialog) {
            if (offered)
                *offered = Field<QLineEdit>(dialog, "fromDate")->text();
            EXPECT_TRUE(Field<QComboBox>(dialog, "who")->currentText().isEmpty());
            dialog.show();
            if (!QTest::qWaitForWindowExposed(&dialog))
                return -1;
            if (!from.isNull()) {
                auto* date = Field<QLineEdit>(dialog, "fromDate");
                QTest::mouseDClick(date, Qt::LeftButton);
                QTest::keyClick(date, Qt::Key_A, Qt::ControlModifier);
                QTest::keyClicks(date, from);
            }
            QTest::mouseClick(Field<QRadioButton>(dialog, forward ? "forward" : "backward"),
                              Qt::LeftButton);
            return TypeAndEnter(dialog, Field<QComboBox>(dialog, "who"), who);
        });
    }
};

// The month's page-turn buttons on both sides of the title box: "&<<" from
// 0.2 W - 0.15 W + 2, "&>>" from 0.8 W, each 0.15 W wide.
TEST_F(SchedViewTest, PageTurnButtonsBesideTheTitleBox) {
    WriteEvents({});
    TKvrSchedWin& view = Open();
    for (QSize size : {QSize(700, 600), QSize(598, 480), QSize(1270, 900)}) {
        view.resize(size);
        SCOPED_TRACE(size.width());
        const int w = view.width();
        const QPushButton* prev = view.findChild<QPushButton*>(QStringLiteral("prev"));
        const QPushButton* next = view.findChild<QPushButton*>(QStringLiteral("next"));
        EXPECT_EQ(prev->x(), kui::Frac(w, 0.2) - kui::Frac(w, 0.15) + 2);
        EXPECT_EQ(prev->width(), kui::Frac(w, 0.15));
        EXPECT_EQ(next->x(), kui::Frac(w, 0.8));
        EXPECT_EQ(next->width(), kui::Frac(w, 0.15));
    }
}

// An event of several days (a tournament imported with its end, or typed
// "3 days") is on each of its days, into the next month; sched.dat keeps
// its one line.
TEST_F(SchedViewTest, EventOfSeveralDaysShowsOnEachOfThem) {
    WriteEvents({Event("12/20/2001", "Ann Lee", "2 pm", "Park", "serve"),
                 Event("12/30/2001", "Club Open", "3 days", "Club", "draw"),
                 Event("12/26/2001", "Bo Park", "40 days", "Gym", "odd time")});
    const std::string before = ReadFile("sched.dat");
    TKvrSchedWin& view = Open();
    EXPECT_EQ(MarkedDays(view), (std::set<int>{20, 26, 30, 31}));
    const kui::SchedMonthData december = view.Snapshot(QSize(700, 600));
    EXPECT_EQ(december.events[static_cast<size_t>(CellOf(view, 31))],
              QStringList{QStringLiteral("Club Open at 3 days, Club")});
    view.findChild<QPushButton*>(QStringLiteral("next"))->click();
    EXPECT_EQ(MarkedDays(view), (std::set<int>{1}));
    EXPECT_EQ(ReadFile("sched.dat"), before);
}

// The round mark goes on every day with a match or practice, not on one with
// only a tournament; the pages turn across the year; a click opens the day's
// events by time until one is cancelled, a blank cell opens nothing; a double
// click adds an event on its day.
TEST_F(SchedViewTest, MarksPagingClicksAndDoubleClicks) {
    WriteEvents({Event("12/3/2001", "Ann Lee", "6 pm", "Club", "serve"),
                 Event("12/10/2001", "Tournament", "9 am", "Club", "sign in"),
                 Event("12/10/2001", "Bo Park", "5 pm", "Park", "lobs"),
                 Event("12/24/2001", "Tourney Cup", "9 am", "Club", "draw"),
                 Event("1/5/2002", "Cy Young", "10:00", "Gym", "volleys")});
    TKvrSchedWin& view = Open();
    EXPECT_EQ(view.Snapshot(QSize(700, 600)).title, QStringLiteral("December 2001"));
    EXPECT_EQ(MarkedDays(view), (std::set<int>{3, 10}));

    // The mark is yellow where it is drawn; an unmarked day has none.
    const QSize size(700, 600);
    const kui::SchedMonthData data = view.Snapshot(size);
    const QImage image = RenderToImage(kui::DrawSchedulerMonth, size, data);
    auto centre = [&](int day) {
        const CalRect& cell = data.cells[static_cast<size_t>(CellOf(view, day))];
        return QPoint(cell.left + (cell.right - cell.left) * 7 / 10,
                      cell.top + (cell.bottom - cell.top) * 65 / 100);
    };
    EXPECT_EQ(image.pixelColor(centre(3)), QColor(255, 255, 0));
    EXPECT_EQ(image.pixelColor(centre(24)), kui::LightGrey());

    view.findChild<QPushButton*>(QStringLiteral("next"))->click();
    EXPECT_EQ(view.Snapshot(size).title, QStringLiteral("January 2002"));
    EXPECT_EQ(MarkedDays(view), (std::set<int>{5}));
    view.findChild<QPushButton*>(QStringLiteral("prev"))->click();
    view.findChild<QPushButton*>(QStringLiteral("prev"))->click();
    EXPECT_EQ(view.Snapshot(size).title, QStringLiteral("November 2001"));
    EXPECT_TRUE(MarkedDays(view).empty());
    view.NextMonth();

    Seen seen;
    QueueLook(seen);
    CalRect cell;
    view.Calendar().CellRect(CellOf(view, 10), cell);
    QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(cell.left + 10, cell.top + 10));
    EXPECT_EQ(seen.whos, (std::vector<std::string>{"Tournament"}));
    Responder().Clear();
    // A blank cell and a cell border open nothing.
    view.Calendar().CellRect(0, cell);
    ASSERT_EQ(view.Calendar().CellDay(0), 0);
    QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(cell.left + 10, cell.top + 10));
    view.Calendar().CellRect(CellOf(view, 3), cell);
    QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(cell.left, cell.top + 10));
    EXPECT_TRUE(Responder().DialogsRun().empty());

    // A double click on the 20th: a new event there, its Who capitalised.
    Responder().QueueDialog([](QDialog& dialog) {
        EXPECT_EQ(Field<QLineEdit>(dialog, "date")->text(), QStringLiteral("12/20/2001"));
        EXPECT_FALSE(Field<QPushButton>(dialog, "delete")->isEnabled());
        return FillAndOk(dialog, Field<QLineEdit>(dialog, "date")->text(),
                         QStringLiteral("dee kay"), QStringLiteral("7 pm"), QStringLiteral("Hall"),
                         QStringLiteral("returns"));
    });
    view.DoubleClickCell(CellOf(view, 20));
    EXPECT_EQ(view.SelectedDate().Text(), "12/20/2001");
    EXPECT_NE(ReadFile("sched.dat").find(Event("12/20/2001", "Dee Kay", "7 pm", "Hall", "returns")),
              std::string::npos);
    EXPECT_EQ(MarkedDays(view), (std::set<int>{3, 10, 20}));
}

// Today is framed and its number bold; a tournament's day carries a diamond
// of its own beside the round mark, and the screen reader's table names
// today. Both follow the page: another month shows neither.
TEST_F(SchedViewTest, TodayAndTournamentDaysCarryMarksOfTheirOwn) {
    WriteEvents({Event("12/10/2001", "Tournament", "9 am", "Club", "sign in"),
                 Event("12/10/2001", "Bo Park", "5 pm", "Park", "lobs"),
                 Event("12/24/2001", "Tourney Cup", "9 am", "Club", "draw")});
    TKvrSchedWin& view = Open();
    const QSize size(700, 600);
    const kui::SchedMonthData data = view.Snapshot(size);
    EXPECT_EQ(data.todayCell, CellOf(view, 15));
    std::set<int> tournaments;
    for (size_t i = 0; i < data.tournament.size(); ++i)
        if (data.tournament[i])
            tournaments.insert(data.cellDay[i]);
    EXPECT_EQ(tournaments, (std::set<int>{10, 24}));
    EXPECT_EQ(MarkedDays(view), (std::set<int>{10}));

    const QImage image = RenderToImage(kui::DrawSchedulerMonth, size, data);
    auto at = [&](int day, double fx, double fy) {
        const CalRect& cell = data.cells[static_cast<size_t>(CellOf(view, day))];
        return image.pixelColor(cell.left + static_cast<int>((cell.right - cell.left) * fx),
                                cell.top + static_cast<int>((cell.bottom - cell.top) * fy));
    };
    // The diamond left of the round mark; both on the 10th.
    EXPECT_EQ(at(24, 0.3, 0.65), QColor(200, 30, 30));
    EXPECT_EQ(at(24, 0.7, 0.65), kui::LightGrey());
    EXPECT_EQ(at(10, 0.3, 0.65), QColor(200, 30, 30));
    EXPECT_EQ(at(10, 0.7, 0.65), QColor(255, 255, 0));
    // Today's frame runs down the cell's left side; another day has none.
    auto frameBlue = [&](int day) {
        const CalRect& cell = data.cells[static_cast<size_t>(CellOf(view, day))];
        const int y = (cell.top + cell.bottom) / 2;
        for (int x = cell.left; x < cell.left + 8; ++x)
            if (image.pixelColor(x, y) == QColor(0, 0, 192))
                return true;
        return false;
    };
    EXPECT_TRUE(frameBlue(15));
    EXPECT_FALSE(frameBlue(16));

    const kui::ViewText text = view.Describe();
    ASSERT_EQ(text.tables.size(), 1u);
    QStringList cells;
    for (const QStringList& row : text.tables[0].rows)
        cells << row;
    EXPECT_TRUE(cells.contains(QStringLiteral("15, today")));

    view.findChild<QPushButton*>(QStringLiteral("next"))->click();
    const kui::SchedMonthData january = view.Snapshot(size);
    EXPECT_EQ(january.todayCell, -1);
    EXPECT_EQ(std::count(january.tournament.begin(), january.tournament.end(), true), 0);
}

// A day of three events, added out of time order: a click opens them by
// their time, each dialog titled with its place in the series; OK goes on to
// the next, Escape (Cancel) ends the series.
TEST_F(SchedViewTest, ClickOpensADaysEventsByTimeUntilCancel) {
    WriteEvents({Event("12/10/2001", "Ann Lee", "6 pm", "Club", "serve"),
                 Event("12/10/2001", "Bo Park", "9 am", "Park", "lobs"),
                 Event("12/10/2001", "Cy Young", "12:30 pm", "Gym", "volleys"),
                 Event("12/11/2001", "Di Ross", "7 pm", "Hall", "returns")});
    TKvrSchedWin& view = Open();
    const std::string before = ReadFile("sched.dat");
    std::vector<QString> titles;
    std::vector<std::string> whos;
    auto look = [&](QDialog& dialog) {
        titles.push_back(dialog.windowTitle());
        whos.push_back(Field<QComboBox>(dialog, "who")->currentText().toStdString());
        dialog.show();
    };
    Responder().QueueDialog([&](QDialog& dialog) {
        look(dialog);
        QTest::mouseClick(Field<QPushButton>(dialog, "ok"), Qt::LeftButton);
        return dialog.result();
    });
    // A third dialog would find no script.
    Responder().QueueDialog([&](QDialog& dialog) {
        look(dialog);
        QTest::keyClick(&dialog, Qt::Key_Escape);
        return dialog.result();
    });
    CalRect cell;
    view.Calendar().CellRect(CellOf(view, 10), cell);
    QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(cell.left + 10, cell.top + 10));
    EXPECT_EQ(whos, (std::vector<std::string>{"Bo Park", "Cy Young"}));
    ASSERT_EQ(titles.size(), 2u);
    EXPECT_TRUE(titles[0].endsWith(QStringLiteral(" (1 of 3)"))) << titles[0].toStdString();
    EXPECT_TRUE(titles[1].endsWith(QStringLiteral(" (2 of 3)"))) << titles[1].toStdString();
    EXPECT_EQ(ReadFile("sched.dat"), before);

    // A day of one event: its dialog bears its own title alone.
    titles.clear();
    Responder().QueueDialog([&](QDialog& dialog) {
        look(dialog);
        QTest::keyClick(&dialog, Qt::Key_Escape);
        return dialog.result();
    });
    view.Calendar().CellRect(CellOf(view, 11), cell);
    QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(cell.left + 10, cell.top + 10));
    ASSERT_EQ(titles.size(), 1u);
    EXPECT_FALSE(titles[0].contains(QStringLiteral(" of "))) << titles[0].toStdString();
}

// The calendar from the keyboard: the arrows move the focused day across
// the ends of the month and year, Page Up and Page Down turn the month and
// keep the day where the month has it; Enter opens the day's events as a
// click does, Shift+Enter and Insert add an event on it as a double click
// does; the day is framed only while the view has the focus; the Menu key
// and Shift+F10 open the view's menu.
TEST_F(SchedViewTest, KeysMoveTheFocusedDayOpenItAndOpenTheMenu) {
    WriteEvents({Event("12/31/2001", "Ann Lee", "6 pm", "Club", "serve"),
                 Event("1/2/2002", "Bo Park", "5 pm", "Park", "lobs")});
    TKvrSchedWin& view = Open();
    QApplication::setActiveWindow(&Frame());
    view.setFocus();
    ASSERT_TRUE(view.hasFocus());
    EXPECT_EQ(view.FocusedDay().Text(), "12/15/2001");
    auto keys = [&view](std::initializer_list<Qt::Key> presses) {
        for (Qt::Key key : presses)
            QTest::keyClick(&view, key);
        return view.FocusedDay().Text();
    };
    auto title = [&view] { return view.Snapshot(view.size()).title.toStdString(); };
    EXPECT_EQ(keys({Qt::Key_Down, Qt::Key_Down, Qt::Key_Right, Qt::Key_Right}), "12/31/2001");

    // The frame stands on the focused day's cell, and only with the focus.
    const QSize size = view.size();
    const kui::SchedMonthData focused = view.Snapshot(size);
    EXPECT_EQ(focused.focusedCell, CellOf(view, 31));
    kui::SchedMonthData unfocused = focused;
    unfocused.focusedCell = -1;
    const QImage framed = RenderToImage(kui::DrawSchedulerMonth, size, focused);
    const QImage plain = RenderToImage(kui::DrawSchedulerMonth, size, unfocused);
    const CalRect& cell = focused.cells[static_cast<size_t>(focused.focusedCell)];
    int changed = 0;
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            if (framed.pixel(x, y) != plain.pixel(x, y)) {
                ++changed;
                EXPECT_TRUE(x > cell.left && x < cell.right && y > cell.top && y < cell.bottom);
            }
    EXPECT_GT(changed, 20);

    Seen seen;
    QueueLook(seen);
    QTest::keyClick(&view, Qt::Key_Return);
    EXPECT_EQ(seen.whos, std::vector<std::string>{"Ann Lee"});
    EXPECT_EQ(keys({Qt::Key_Right, Qt::Key_Right}), "1/2/2002");
    EXPECT_EQ(title(), "January 2002");
    QueueLook(seen);
    QTest::keyClick(&view, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(seen.whos, (std::vector<std::string>{"Ann Lee", "Bo Park"}));

    // Shift+Enter and Insert: a new event on the focused day.
    std::vector<QString> newDates;
    for (int i = 0; i < 2; ++i)
        Responder().QueueDialog([&newDates](QDialog& dialog) {
            newDates.push_back(Field<QLineEdit>(dialog, "date")->text());
            EXPECT_FALSE(Field<QPushButton>(dialog, "delete")->isEnabled());
            dialog.reject();
            return dialog.result();
        });
    QTest::keyClick(&view, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(keys({Qt::Key_Up}), "12/26/2001");
    QTest::keyClick(&view, Qt::Key_Insert);
    EXPECT_EQ(newDates, (std::vector<QString>{"1/2/2002", "12/26/2001"}));
    EXPECT_EQ(Responder().DialogsRun().size(), 4u);

    EXPECT_EQ(keys({Qt::Key_End, Qt::Key_PageDown}), "1/31/2002");
    EXPECT_EQ(keys({Qt::Key_PageDown}), "2/28/2002");
    EXPECT_EQ(title(), "February 2002");
    EXPECT_EQ(keys({Qt::Key_PageUp, Qt::Key_Home, Qt::Key_Left}), "12/31/2001");
    EXPECT_EQ(title(), "December 2001");

    // The menu, opened from either key, at the focused day; Escape closes it.
    for (auto [key, modifiers] :
         {std::pair{Qt::Key_Menu, Qt::KeyboardModifiers()},
          std::pair{Qt::Key_F10, Qt::KeyboardModifiers(Qt::ShiftModifier)}}) {
        QTest::keyClick(&view, key, modifiers);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        QStringList items;
        for (QAction* action : menu->actions())
            items << action->text();
        EXPECT_TRUE(items.contains(QStringLiteral("&Export Calendar...")))
            << items.join(',').toStdString();
        CalRect day;
        view.Calendar().CellRect(CellOf(view, 31), day);
        EXPECT_EQ(menu->pos(),
                  view.mapToGlobal(QPoint((day.left + day.right) / 2, (day.top + day.bottom) / 2)));
        QTest::keyClick(menu, Qt::Key_Escape);
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    }

    view.clearFocus();
    EXPECT_EQ(view.Snapshot(size).focusedCell, -1);
}

// After the pages turn, a click at a day as drawn opens that day's events
// and a double click a new event on it, across a year's end both ways.
TEST_F(SchedViewTest, ClicksAfterPagingOpenTheDayDrawnUnderThePointer) {
    WriteEvents({Event("1/5/2002", "Cy Young", "10:00", "Gym", "volleys"),
                 Event("11/30/2001", "Di Ross", "9 am", "Park", "lobs")});
    TKvrSchedWin& view = Open();
    // The middle of the cell drawn with `day`, at the window's size.
    auto drawnAt = [&view](int day) {
        const kui::SchedMonthData data = view.Snapshot(view.size());
        for (size_t i = 0; i < data.cells.size(); ++i)
            if (data.cellDay[i] == day)
                return QPoint((data.cells[i].left + data.cells[i].right) / 2,
                              (data.cells[i].top + data.cells[i].bottom) / 2);
        return QPoint(-1, -1);
    };
    QString newDate;
    auto queueNew = [&] {
        Responder().QueueDialog([&newDate](QDialog& dialog) {
            newDate = Field<QLineEdit>(dialog, "date")->text();
            dialog.reject();
            return dialog.result();
        });
    };
    Seen seen;

    QTest::mouseClick(view.findChild<QPushButton*>(QStringLiteral("next")), Qt::LeftButton);
    ASSERT_EQ(view.Snapshot(view.size()).title, QStringLiteral("January 2002"));
    QueueLook(seen);
    QTest::mouseClick(&view, Qt::LeftButton, {}, drawnAt(5));
    EXPECT_EQ(seen.whos, std::vector<std::string>{"Cy Young"});
    queueNew();
    QTest::mouseDClick(&view, Qt::LeftButton, {}, drawnAt(31));
    EXPECT_EQ(newDate, QStringLiteral("1/31/2002"));
    EXPECT_EQ(view.SelectedDate().Text(), "1/31/2002");

    QTest::mouseClick(view.findChild<QPushButton*>(QStringLiteral("prev")), Qt::LeftButton);
    QTest::mouseClick(view.findChild<QPushButton*>(QStringLiteral("prev")), Qt::LeftButton);
    ASSERT_EQ(view.Snapshot(view.size()).title, QStringLiteral("November 2001"));
    QueueLook(seen);
    QTest::mouseClick(&view, Qt::LeftButton, {}, drawnAt(30));
    EXPECT_EQ(seen.whos, (std::vector<std::string>{"Cy Young", "Di Ross"}));
}

// The checks in their order, each keeping the dialog open; a short year is
// stored in full; an event opened and closed with OK untouched is not
// saved; a changed Who is saved capitalised; a failed save says so and keeps
// what was typed.
TEST_F(SchedViewTest, EventDialogChecksChangesAndSaveFailure) {
    WriteEvents({Event("12/3/2001", "Ann Lee", "6 pm", "Club", "serve")});
    TKvrSchedWin& view = Open();
    SchedClass& store = app_->SchedStore();

    Responder().QueueDialog([&](QDialog& dialog) {
        std::vector<int> results;
        results.push_back(FillAndOk(dialog, "", "", "", "", ""));
        results.push_back(FillAndOk(dialog, "3/7/01", "", "", "", ""));
        results.push_back(FillAndOk(dialog, "3/7/01", "eve", "", "", ""));
        results.push_back(FillAndOk(dialog, "3/7/01", "eve", "8 am", "", ""));
        results.push_back(FillAndOk(dialog, "3/7/01", "eve", "8 am", "Court 2", ""));
        EXPECT_EQ(results, std::vector<int>(5, QDialog::Rejected));
        EXPECT_EQ(Responder().Texts(),
                  (std::vector<QString>{"Please enter the date as M/D/YYYY, for example 12/15/2001",
                                        "Who are you playing?", "What Time?", "Where?",
                                        "Please enter notes"}));
        EXPECT_EQ(Responder().Shown().back().caption, QStringLiteral("Missing Data Field"));
        return FillAndOk(dialog, "3/7/01", "eve", "8 am", "Court 2", "footwork");
    });
    view.Schedule();
    ASSERT_EQ(store.Count(), 2u);
    EXPECT_EQ(store.At(0)->date, "3/7/2001");
    EXPECT_EQ(store.At(0)->who, "Eve");

    // OK on an untouched event writes nothing.
    std::filesystem::remove("sched.dat");
    Responder().QueueDialog([](QDialog& dialog) {
        Field<QPushButton>(dialog, "ok")->click();
        return dialog.result();
    });
    view.ClickCell(CellOf(view, 3));
    EXPECT_FALSE(Exists("sched.dat"));
    EXPECT_EQ(Responder().DialogsRun().front(), "Schedule Tennis");
    EXPECT_EQ(Responder().DialogsRun().back(), "Edit Scheduled Tennis");

    // Only the Who changed: saved, capitalised, in its place.
    Responder().QueueDialog([](QDialog& dialog) {
        Field<QComboBox>(dialog, "who")->setEditText(QStringLiteral("ann smith"));
        Field<QPushButton>(dialog, "ok")->click();
        return dialog.result();
    });
    view.ClickCell(CellOf(view, 3));
    EXPECT_NE(ReadFile("sched.dat").find(Event("12/3/2001", "Ann Smith", "6 pm", "Club", "serve")),
              std::string::npos);

    // The file cannot be replaced: the dialog stays with what was typed and
    // the store keeps what the file holds.
    std::filesystem::remove("sched.dat");
    std::filesystem::create_directory("sched.dat");
    Responder().Clear();
    Responder().QueueDialog([&](QDialog& dialog) {
        const int result = FillAndOk(dialog, "12/9/2001", "Fay", "1 pm", "Park", "serve; lob");
        EXPECT_EQ(result, QDialog::Rejected);
        EXPECT_EQ(Field<QComboBox>(dialog, "who")->currentText(), QStringLiteral("Fay"));
        EXPECT_EQ(Responder().Texts(), std::vector<QString>{"Error saving data!"});
        dialog.reject();
        return dialog.result();
    });
    view.Schedule();
    EXPECT_EQ(store.Count(), 2u);
}

// An imported event without a place can be edited: Where, empty when the
// form opened, may stay so. Notes the player empties must be filled again.
TEST_F(SchedViewTest, FieldEmptyWhenOpenedMayStayEmpty) {
    WriteEvents({Event("12/3/2001", "Cy Young", "9 am", "", "bring balls")});
    TKvrSchedWin& view = Open();
    auto retype = [](QDialog& dialog, const char* name, const QString& text) {
        auto* field = Field<QWidget>(dialog, name);
        field->setFocus();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Delete);
        QTest::keyClicks(field, text);
    };
    Responder().QueueDialog([&](QDialog& dialog) {
        dialog.show();
        retype(dialog, "time", QStringLiteral("10 am"));
        QTest::keyClick(Field<QLineEdit>(dialog, "time"), Qt::Key_Return);
        return dialog.result();
    });
    view.ClickCell(CellOf(view, 3));
    EXPECT_TRUE(Responder().Texts().empty());
    EXPECT_NE(
        ReadFile("sched.dat").find(Event("12/3/2001", "Cy Young", "10 am", "", "bring balls")),
        std::string::npos);

    const std::string before = ReadFile("sched.dat");
    Responder().QueueDialog([&](QDialog& dialog) {
        dialog.show();
        retype(dialog, "notes", QString());
        QTest::keyClick(Field<QLineEdit>(dialog, "time"), Qt::Key_Return);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        dialog.reject();
        return dialog.result();
    });
    view.ClickCell(CellOf(view, 3));
    EXPECT_EQ(Responder().Texts(), std::vector<QString>{QStringLiteral("Please enter notes")});
    EXPECT_EQ(ReadFile("sched.dat"), before);
}

// Delete asks first: Cancel keeps the event, OK removes it from the file.
TEST_F(SchedViewTest, DeleteAsksThenRemovesFromTheFile) {
    WriteEvents({Event("12/3/2001", "Ann Lee", "6 pm", "Club", "serve"),
                 Event("12/3/2001", "Bo Park", "8 pm", "Club", "lobs")});
    TKvrSchedWin& view = Open();
    auto pressDelete = [](QDialog& dialog) {
        Field<QPushButton>(dialog, "delete")->click();
        return dialog.result();
    };
    // No keeps the dialog open; its Cancel then ends the day's series.
    Responder().QueueAnswer(false);
    Responder().QueueDialog([&](QDialog& dialog) {
        pressDelete(dialog);
        Field<QPushButton>(dialog, "cancel")->click();
        return dialog.result();
    });
    view.ClickCell(CellOf(view, 3));
    EXPECT_EQ(Responder().Texts(),
              std::vector<QString>{"Delete Event?\n\n12/3/2001, 6 pm, Ann Lee"});
    EXPECT_EQ(Responder().Shown()[0].byDefault, kui::Default::No);
    EXPECT_EQ(app_->SchedStore().Count(), 2u);

    // The first event is deleted; the second still opens after it.
    Responder().QueueAnswer(true);
    Responder().QueueDialog(pressDelete);
    Seen seen;
    QueueLook(seen);
    view.ClickCell(CellOf(view, 3));
    EXPECT_EQ(seen.whos, std::vector<std::string>{"Bo Park"});
    const std::string file = ReadFile("sched.dat");
    EXPECT_EQ(file.find("Ann Lee"), std::string::npos);
    EXPECT_NE(file.find("Bo Park"), std::string::npos);
    EXPECT_EQ(MarkedDays(view), std::set<int>{3});
}

// Texts longer than the fields (a converted or hand-edited file) are shown
// cut but kept whole: OK untouched stores nothing, and a change typed into
// one field stores that field alone.
TEST_F(SchedViewTest, UntouchedFieldsKeepLongStoredTextsWhole) {
    const std::string who = "Tournament: Winter Open Doubles";        // 31 characters
    const std::string time = "6:30 pm sharp";                         // 13
    const std::string where = "City Courts, North Gate, Court Seven"; // 36
    const std::string notes(90, 'n');
    WriteEvents({Event("12/3/2001", who, time, where, notes)});
    TKvrSchedWin& view = Open();
    std::filesystem::remove("sched.dat");
    auto pressOk = [](QDialog& dialog) {
        QTest::mouseClick(Field<QPushButton>(dialog, "ok"), Qt::LeftButton);
        return dialog.result();
    };
    Responder().QueueDialog(pressOk);
    view.ClickCell(CellOf(view, 3));
    EXPECT_EQ(Responder().DialogsRun().size(), 1u);
    EXPECT_FALSE(Exists("sched.dat"));

    Responder().QueueDialog([&](QDialog& dialog) {
        auto* field = Field<QLineEdit>(dialog, "where");
        EXPECT_EQ(field->text().size(), TSchedAddDlg::kWhereLength);
        field->setFocus();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(field, "Gym");
        return pressOk(dialog);
    });
    view.ClickCell(CellOf(view, 3));
    EXPECT_NE(ReadFile("sched.dat").find(Event("12/3/2001", who, time, "Gym", notes)),
              std::string::npos);
}

// Of two events with the same date, Who and time, Delete removes the one
// its dialog shows; a delete that cannot be saved puts back exactly that
// event, in its place.
TEST_F(SchedViewTest, DeleteAndFailedSavesTouchOnlyTheDialogsEvent) {
    WriteEvents({Event("12/3/2001", "Ann Lee", "6 pm", "Club", "first"),
                 Event("12/3/2001", "Ann Lee", "6 pm", "Park", "second")});
    TKvrSchedWin& view = Open();
    SchedClass& store = app_->SchedStore();
    const SchedRecord* first = store.At(0);
    const SchedRecord* second = store.At(1);
    ASSERT_EQ(second->notes, "second");
    // OK on an event left as it was stores nothing and goes on to the next.
    auto skip = [](QDialog& dialog) {
        Field<QPushButton>(dialog, "ok")->click();
        return dialog.result();
    };
    auto pressDelete = [](QDialog& dialog) {
        QTest::mouseClick(Field<QPushButton>(dialog, "delete"), Qt::LeftButton);
        return dialog.result();
    };
    const std::string file = ReadFile("sched.dat");
    std::filesystem::rename("sched.dat", "sched.keep");
    std::filesystem::create_directory("sched.dat");
    Responder().QueueDialog(skip);
    Responder().QueueAnswer(true);
    Responder().QueueDialog(pressDelete);
    view.ClickCell(CellOf(view, 3));
    ASSERT_EQ(Responder().Texts().size(), 2u);
    EXPECT_TRUE(Responder().Texts()[0].startsWith(QStringLiteral("Delete Event?")));
    EXPECT_EQ(Responder().Texts()[1], QStringLiteral("Error saving data!"));
    ASSERT_EQ(store.Count(), 2u);
    EXPECT_EQ(store.At(0), first);
    EXPECT_EQ(store.At(1), second);

    std::filesystem::remove("sched.dat");
    std::filesystem::rename("sched.keep", "sched.dat");
    Responder().QueueDialog(skip);
    Responder().QueueAnswer(true);
    Responder().QueueDialog(pressDelete);
    view.ClickCell(CellOf(view, 3));
    ASSERT_EQ(store.Count(), 1u);
    EXPECT_EQ(store.At(0)->notes, "first");
    EXPECT_NE(ReadFile("sched.dat").find("\"first\""), std::string::npos);
    EXPECT_EQ(ReadFile("sched.dat").find("\"second\""), std::string::npos);
    EXPECT_NE(file.find("\"second\""), std::string::npos);
}

// With no events the search says so at once; a search continues past the
// event found last when its offered date is kept, starts over when the date
// changes, ends silently without a name and tells a name not found.
TEST_F(SchedViewTest, SearchContinuesFromTheEventFoundLast) {
    WriteEvents({});
    {
        TKvrSchedWin& empty = Open();
        empty.Find();
        EXPECT_EQ(Responder().Texts(), std::vector<QString>{"No Data to Search!"});
        EXPECT_TRUE(Responder().DialogsRun().empty());
    }
    app_.reset();
    Responder().Clear();
    WriteEvents({Event("5/1/2001", "Lee Ames", "6 pm", "Club", "a"),
                 Event("5/1/2001", "Leslie Ray", "7 pm", "Club", "b"),
                 Event("6/2/2001", "Dan Lee", "7 pm", "Club", "c"),
                 Event("7/4/2001", "Lee Ames", "1 pm", "Club", "d")});
    TKvrSchedWin& view = Open();
    Seen seen;
    QString offered;
    QueueFind("le", "1/1/2001", true, &offered);
    QueueLook(seen);
    view.Find();
    EXPECT_EQ(offered, QStringLiteral("12/15/2001")); // today before any match
    QueueFind("le", QString(), true, &offered);
    QueueLook(seen);
    view.Find();
    EXPECT_EQ(offered, QStringLiteral("5/1/2001"));
    QueueFind("le", QString(), true);
    QueueLook(seen);
    view.Find();
    // From another date the search starts over; backward from the last
    // event's day goes back in time.
    QueueFind("le", "1/1/2001", true);
    QueueLook(seen);
    view.Find();
    QueueFind("lee", "12/31/2001", false);
    QueueLook(seen);
    view.Find();
    EXPECT_EQ(app_->SchedStore().lastFound, app_->SchedStore().At(3));
    // The name may stand anywhere in the Who, in any case.
    QueueFind("LEE", "6/1/2001", true);
    QueueLook(seen);
    view.Find();
    EXPECT_EQ(seen.whos, (std::vector<std::string>{"Lee Ames", "Leslie Ray", "Lee Ames", "Lee Ames",
                                                   "Lee Ames", "Dan Lee"}));
    EXPECT_EQ(app_->SchedStore().lastFound, app_->SchedStore().At(2));

    QueueFind("", QString(), true);
    view.Find();
    QueueFind("zed", QString(), true);
    view.Find();
    EXPECT_EQ(Responder().Texts(), std::vector<QString>{"Sorry, didn't find Zed"});
    EXPECT_EQ(Responder().Shown().back().caption, QStringLiteral("No Match"));
}

// The export read back by an independent parser: every event with its date,
// clock time, summary, place and notes, commas, semicolons and line breaks
// included; a time that is no clock time makes an all-day event.
TEST_F(SchedViewTest, CalendarExportReadsBackInAnotherParser) {
    WriteEvents({Event("12/3/2001", "Ann Lee", "6:30 pm", "City Courts", "serve, then; volley")});
    TKvrSchedWin& view = Open();
    SchedRecord extra;
    extra.date = "12/24/2001";
    extra.who = "Bo Park";
    extra.time = "evening";
    extra.notes = "first line\nsecond, line; end";
    app_->SchedStore().AddCopy(extra);
    EXPECT_EQ(kui::ClockMinutes("6:30 pm"), 18 * 60 + 30);
    EXPECT_EQ(kui::ClockMinutes("12 am"), 0);
    EXPECT_EQ(kui::ClockMinutes("18.05"), 18 * 60 + 5);
    EXPECT_EQ(kui::ClockMinutes("13 pm"), -1);

    const QString path = QString::fromStdString((Dir() / "tennis.ics").string());
    QueueFileChoice(path);
    view.ExportCalendar();
    ASSERT_TRUE(Exists("tennis.ics"));

    const char* script = R"(
import sys, icalendar
cal = icalendar.Calendar.from_ical(open(sys.argv[1], 'rb').read())
for e in cal.walk('VEVENT'):
    print(repr((e.decoded('DTSTART').isoformat(), str(e['SUMMARY']), str(e.get('LOCATION', '')),
                str(e['DESCRIPTION']), bool(e.get('UID')), bool(e.get('DTSTAMP')))))
)";
    const QString reader = PythonWith(QStringLiteral("icalendar"));
    if (reader.isEmpty())
        GTEST_SKIP() << "python3-icalendar is not available to read the export back";
    const ProcessRun python =
        RunProcess(reader, {QStringLiteral("-c"), QString::fromLatin1(script), path});
    EXPECT_EQ(python.code, 0) << python.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(python.out),
              QStringLiteral("('2001-12-03T18:30:00', 'Ann Lee', 'City Courts', "
                             "'serve, then; volley', True, True)\n"
                             "('2001-12-24', 'Bo Park (evening)', '', "
                             "'first line\\nsecond, line; end', True, True)\n"));
}

} // namespace
} // namespace kvrtest
