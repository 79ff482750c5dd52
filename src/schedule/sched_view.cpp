// SPDX-License-Identifier: GPL-3.0-or-later
#include "schedule/sched_view.h"

#include "app/application.h"
#include "app/client.h"
#include "formats/ical.h"
#include "phonebook/phone_store.h"
#include "schedule/sched_dialogs.h"
#include "schedule/sched_ical_import.h"
#include "schedule/sched_store.h"
#include "schedule/schedule_commands.h"
#include "ui/button_row.h"
#include "ui/drawing.h"
#include "ui/export_file.h"
#include "ui/import_preview.h"
#include "ui/message.h"
#include "ui/text.h"

#include <algorithm>
#include <chrono>

#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

TKvrSchedWin::TKvrSchedWin(KvrClient& client)
    : TKvrChild(client, kui::SchedulerView, QStringLiteral("Scheduler")) {
    RepaintOn({kui::Store::Schedule});
    auto button = [this](const char* name, const QString& text, void (TKvrSchedWin::*command)()) {
        auto* pushButton = new QPushButton(text, this);
        pushButton->setObjectName(QString::fromLatin1(name));
        pushButton->setFocusPolicy(Qt::TabFocus);
        connect(pushButton, &QPushButton::clicked, this, command);
        return pushButton;
    };
    prev_ = button("prev", QStringLiteral("&<<"), &TKvrSchedWin::PrevMonth);
    next_ = button("next", QStringLiteral("&>>"), &TKvrSchedWin::NextMonth);
    schedule_ = button("schedule", QStringLiteral("&Schedule"), &TKvrSchedWin::Schedule);
    find_ = button("find", QStringLiteral("&Find"), &TKvrSchedWin::Find);
    // The keys start on today, the day "&Schedule" adds an event on.
    focusedDay_ = selectedDate_.Day();
    setFocusPolicy(Qt::StrongFocus);
}

ZBD_Date TKvrSchedWin::FocusedDay() const {
    const ZBD_Date month = calendar_.ShownMonth();
    return ZBD_Date(month.Month(), focusedDay_, month.Year());
}

int TKvrSchedWin::FocusedCell() const {
    for (int i = 0; i < CalendarBase::kCellCount; ++i)
        if (calendar_.CellDay(i) == focusedDay_)
            return i;
    return -1;
}

void TKvrSchedWin::MoveFocusedDay(int days) {
    int day = focusedDay_ + days;
    while (day < 1) {
        calendar_.PrevMonth();
        day += calendar_.ShownMonth().DaysInMonth();
    }
    while (day > calendar_.ShownMonth().DaysInMonth()) {
        day -= calendar_.ShownMonth().DaysInMonth();
        calendar_.NextMonth();
    }
    focusedDay_ = day;
    LayOutGrid();
    update();
}

void TKvrSchedWin::MoveFocusedMonth(int months) {
    for (; months > 0; --months)
        calendar_.NextMonth();
    for (; months < 0; ++months)
        calendar_.PrevMonth();
    focusedDay_ = std::min(focusedDay_, calendar_.ShownMonth().DaysInMonth());
    LayOutGrid();
    update();
}

void TKvrSchedWin::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool plain = modifiers == Qt::NoModifier;
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (!plain)
            break;
        MoveFocusedDay(event->key() == Qt::Key_Left    ? -1
                       : event->key() == Qt::Key_Right ? 1
                       : event->key() == Qt::Key_Up    ? -7
                                                       : 7);
        return;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        if (!plain)
            break;
        MoveFocusedMonth(event->key() == Qt::Key_PageUp ? -1 : 1);
        return;
    case Qt::Key_Home:
    case Qt::Key_End:
        if (!plain)
            break;
        MoveFocusedDay((event->key() == Qt::Key_Home ? 1 : calendar_.ShownMonth().DaysInMonth()) -
                       focusedDay_);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (plain) {
            ClickCell(FocusedCell());
            return;
        }
        if (modifiers == Qt::ShiftModifier) {
            DoubleClickCell(FocusedCell());
            return;
        }
        break;
    case Qt::Key_Insert:
        if (!plain)
            break;
        DoubleClickCell(FocusedCell());
        return;
    default:
        break;
    }
    TKvrChild::keyPressEvent(event);
}

// The focus frame shows only while the keys reach the grid.
void TKvrSchedWin::focusInEvent(QFocusEvent* event) {
    TKvrChild::focusInEvent(event);
    update();
}

void TKvrSchedWin::focusOutEvent(QFocusEvent* event) {
    TKvrChild::focusOutEvent(event);
    update();
}

QPoint TKvrSchedWin::KeyboardMenuPoint() const {
    CalRect cell;
    const int focused = FocusedCell();
    if (focused < 0)
        return TKvrChild::KeyboardMenuPoint();
    calendar_.CellRect(focused, cell);
    return {(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
}

kui::SchedMonthData TKvrSchedWin::Snapshot(QSize size) {
    // The frame is the window's own: a saved picture shows none.
    return kui::SchedulerMonth(App().SchedStore(), calendar_, size,
                               kui::SmallestButtonHeight(*prev_), pressedCell_,
                               hasFocus() ? focusedDay_ : -1);
}

kui::SchedMonthData kui::SchedulerMonth(const SchedClass& store, const CalendarBase& calendar,
                                        QSize size, int buttonHeight, int pressedCell,
                                        int focusedDay) {
    // The grid laid out for `size` (a picture may be drawn at another size
    // than the window's, whose grid answers the clicks).
    const CalRect frame = kui::SchedulerGridFrame(size, buttonHeight);
    CalendarBase grid = calendar;
    grid.SetLayout(frame.left, frame.top, frame.right, frame.bottom);
    const ZBD_Date month = grid.ShownMonth();
    kui::SchedMonthData monthData;
    monthData.title = kui::FromStored(month.MonthName()) + QStringLiteral(" %1").arg(month.Year());
    // The days of the shown month that hold an event other than a
    // tournament, those that hold a tournament, and every day's events in
    // words.
    std::array<bool, 32> markedDay{};
    std::array<bool, 32> tournamentDay{};
    std::array<QStringList, 32> dayEvents{};
    // An event of several days ("2 days") is on each of them.
    using namespace std::chrono;
    for (unsigned i = 0; i < store.Count(); ++i) {
        const SchedRecord& event = *store.At(static_cast<int>(i));
        const ZBD_Date date(event.date);
        if (!date.IsValid())
            continue;
        const sys_days first{year{date.Year()} / date.Month() / date.Day()};
        for (int d = 0; d < event.Days(); ++d) {
            const year_month_day day{first + days{d}};
            if (unsigned(day.month()) != static_cast<unsigned>(month.Month()) ||
                int(day.year()) != month.Year())
                continue;
            const auto index = static_cast<size_t>(unsigned(day.day()));
            dayEvents[index] << kui::EventText(event);
            if (event.who.compare(0, 5, "Tourn") != 0)
                markedDay[index] = true;
            else
                tournamentDay[index] = true;
        }
    }
    for (int i = 0; i < CalendarBase::kCellCount; ++i) {
        const auto index = static_cast<size_t>(i);
        grid.CellRect(i, monthData.cells[index]);
        monthData.cellDay[index] = grid.CellDay(i);
        monthData.marked[index] = markedDay[static_cast<size_t>(monthData.cellDay[index])];
        monthData.tournament[index] = tournamentDay[static_cast<size_t>(monthData.cellDay[index])];
        if (monthData.cellDay[index] > 0 &&
            ZBD_Date(month.Month(), monthData.cellDay[index], month.Year()).SameDay(ZBD_Date()))
            monthData.todayCell = i;
        monthData.events[index] = dayEvents[static_cast<size_t>(monthData.cellDay[index])];
    }
    monthData.pressedCell = pressedCell;
    if (focusedDay > 0)
        for (int i = 0; i < CalendarBase::kCellCount; ++i)
            if (grid.CellDay(i) == focusedDay)
                monthData.focusedCell = i;
    monthData.buttonHeight = buttonHeight;
    return monthData;
}

void TKvrSchedWin::Render(QPainter& painter, QSize size) {
    kui::DrawSchedulerMonth(painter, size, Snapshot(size));
}

kui::ViewText TKvrSchedWin::Describe() {
    const kui::SchedMonthData month = Snapshot(size());
    kui::ViewText text;
    text.name = month.title;
    int days = 0;
    for (int i = 0; i < CalendarBase::kCellCount; ++i)
        days += month.cellDay[static_cast<size_t>(i)] > 0 &&
                        !month.events[static_cast<size_t>(i)].isEmpty()
                    ? 1
                    : 0;
    text.lines << (days == 1 ? QStringLiteral("1 day with events")
                             : QStringLiteral("%1 days with events").arg(days));
    text.tables.push_back(kui::SchedulerMonthTable(month));
    return text;
}

void TKvrSchedWin::resizeEvent(QResizeEvent* event) {
    TKvrChild::resizeEvent(event);
    const int w = width();
    const int h = height();
    const int smallest = kui::SmallestButtonHeight(*prev_);
    const int b = kui::SchedulerHeaderBottom(size(), smallest);
    const CalRect frame = LayOutGrid();
    // "&Schedule" and "&Find" in the free part of the sixth row, as high as
    // their captions need within the row; the captions scale with them.
    const int j = (h - frame.top) / 12;
    const int height = std::min(std::max(j, smallest), 2 * j);
    CalRect lastCell;
    calendar_.CellRect(CalendarBase::kCellCount - 1, lastCell);
    auto at = [&](QPushButton* button, int x, double width, int y, int high) {
        return kui::ButtonPlace{button, QRect(x, y, kui::Frac(w, width), high)};
    };
    const int right = kui::Frac(w, 0.99);
    kui::PlaceButtonRow({at(schedule_, right - kui::Frac(w, 0.4), 0.2, h - 2 * j, height),
                         at(find_, right - kui::Frac(w, 0.2), 0.2, h - 2 * j, height)},
                        lastCell.right + 1, right, std::max(1, j * 3 / 4));
    // The page-turn buttons on both sides of the title box; "&<<" reaches
    // two pixels over its edge.
    const int pageCaption = std::max(1, (b - 5) / 2);
    kui::PlaceButtonRow({at(prev_, kui::Frac(w, 0.2) - kui::Frac(w, 0.15) + 2, 0.15, 5, b - 5)}, 0,
                        kui::Frac(w, 0.2) + 2, pageCaption);
    kui::PlaceButtonRow({at(next_, kui::Frac(w, 0.8), 0.15, 5, b - 5)}, kui::Frac(w, 0.8), w,
                        pageCaption);
}

CalRect TKvrSchedWin::LayOutGrid() {
    const CalRect frame = kui::SchedulerGridFrame(size(), kui::SmallestButtonHeight(*prev_));
    calendar_.SetLayout(frame.left, frame.top, frame.right, frame.bottom);
    return frame;
}

// The grid is laid out again for the new month at once, so that a click
// finds the day drawn under the pointer.
void TKvrSchedWin::PrevMonth() {
    MoveFocusedMonth(-1);
}

void TKvrSchedWin::NextMonth() {
    MoveFocusedMonth(1);
}

void TKvrSchedWin::Schedule() {
    SchedClass& store = App().SchedStore();
    TSchedAddDlg dialog(this, App().PhoneStore().Names(), selectedDate_);
    const int result = dialog.Run([&](kui::FormDialog::Request) {
        return kui::Commit(&dialog, store, kvr::Added(dialog.Event()));
    });
    if (result == QDialog::Accepted)
        App().RecordsChanged(kui::Store::Schedule);
}

int TKvrSchedWin::Edit(SchedRecord* event, const QString& place) {
    SchedClass& store = App().SchedStore();
    TSchedAddDlg dialog(this, App().PhoneStore().Names(), *event);
    if (!place.isEmpty())
        dialog.setWindowTitle(QStringLiteral("%1 (%2)").arg(dialog.windowTitle(), place));
    bool stored = false;
    const int result = dialog.Run([&](kui::FormDialog::Request request) {
        // Exactly this event changes or goes, even when another one has the
        // same date, Who and time; a failed save puts it back as sched.dat
        // holds it, and the dialog stays open with what was typed.
        if (request == kui::FormDialog::Request::Delete)
            stored = kui::Commit(&dialog, store, kvr::Removed(*event));
        else if (dialog.Changed())
            stored = kui::Commit(&dialog, store, kvr::Updated(*event, dialog.Event()));
        else
            return true; // nothing changed, nothing saved
        return stored;
    });
    if (stored)
        App().RecordsChanged(kui::Store::Schedule);
    return result;
}

ZBD_Date TKvrSchedWin::CellDate(int cell) const {
    const ZBD_Date month = calendar_.ShownMonth();
    return ZBD_Date(month.Month(), calendar_.CellDay(cell), month.Year());
}

void TKvrSchedWin::Press(int cell) {
    pressedCell_ = cell;
    repaint();
}

void TKvrSchedWin::ClickCell(int cell) {
    if (calendar_.CellDay(cell) <= 0)
        return;
    focusedDay_ = calendar_.CellDay(cell);
    Press(cell);
    const ZBD_Date day = CellDate(cell);
    // Each event of the day in turn, by the time of day (a time that reads
    // as no clock time after those that do, in the order they were added),
    // each titled with its place in the series. A dialog changes or removes
    // only its own event, so the others stay where they are; Cancel ends the
    // series.
    SchedClass& store = App().SchedStore();
    std::vector<SchedRecord*> events;
    for (unsigned i = 0; i < store.Count(); ++i)
        if (SchedRecord* event = store.At(static_cast<int>(i)); ZBD_Date(event->date).SameDay(day))
            events.push_back(event);
    auto minutes = [](const SchedRecord* event) {
        const int clock = kui::ClockMinutes(event->time);
        return clock < 0 ? 24 * 60 : clock;
    };
    std::stable_sort(events.begin(), events.end(), [&](const SchedRecord* a, const SchedRecord* b) {
        return minutes(a) < minutes(b);
    });
    const int count = static_cast<int>(events.size());
    for (int k = 0; k < count; ++k) {
        const QString place =
            count > 1 ? QStringLiteral("%1 of %2").arg(k + 1).arg(count) : QString();
        if (Edit(events[static_cast<size_t>(k)], place) == QDialog::Rejected)
            break;
    }
    Press(-1);
}

void TKvrSchedWin::DoubleClickCell(int cell) {
    if (calendar_.CellDay(cell) <= 0)
        return;
    focusedDay_ = calendar_.CellDay(cell);
    Press(cell);
    selectedDate_ = CellDate(cell);
    Schedule();
    Press(-1);
}

void TKvrSchedWin::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return TKvrChild::mousePressEvent(event);
    const QPoint at = event->position().toPoint();
    const int cell = calendar_.HitTest(at.x(), at.y());
    if (cell >= 0)
        ClickCell(cell);
}

void TKvrSchedWin::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return TKvrChild::mouseDoubleClickEvent(event);
    const QPoint at = event->position().toPoint();
    const int cell = calendar_.HitTest(at.x(), at.y());
    if (cell >= 0)
        DoubleClickCell(cell);
}

void TKvrSchedWin::Find() {
    SchedClass& store = App().SchedStore();
    if (store.Count() == 0) {
        kui::Tell(this, QStringLiteral("No Data to Search!"),
                  QStringLiteral("No Matches Scheduled"));
        return;
    }
    // The search goes on from the event found last; until one is found it
    // starts from today.
    const ZBD_Date offered = store.lastName.empty() ? ZBD_Date() : store.lastDate;
    TSchedFindDlg dialog(this, App().PhoneStore(), kui::FromStored(offered.Text()));
    if (kui::RunModal(dialog) != QDialog::Accepted)
        return;
    std::string name = kui::ToStored(dialog.Who());
    if (name.empty())
        return;
    SchedClass::CapitalizeWords(name);
    const ZBD_Date from(kui::ToStored(dialog.FromDate()));
    SchedRecord* event =
        store.Find(name, from, dialog.Forward() ? SchedClass::kForward : SchedClass::kBackward);
    if (event)
        Edit(event);
    else
        kui::Tell(this, QStringLiteral("Sorry, didn't find %1").arg(kui::FromStored(name)),
                  QStringLiteral("No Match"));
}

void TKvrSchedWin::AddContextActions(QMenu& menu) {
    menu.addAction(QStringLiteral("&Import Calendar..."), this, &TKvrSchedWin::ImportCalendar);
    menu.addAction(QStringLiteral("&Export Calendar..."), this, &TKvrSchedWin::ExportCalendar);
}

void TKvrSchedWin::ImportCalendar() {
    kui::ImportCalendarFile(this, App());
}

void TKvrSchedWin::ExportCalendar() {
    const QString path =
        kui::AskFileToExport(this, QStringLiteral("Export Calendar"), kvr::FileFormat::Calendar);
    if (path.isEmpty())
        return;
    if (!kui::ExportCalendar(path, App().SchedStore()))
        kui::Tell(this, QStringLiteral("Unable to export your schedule to '%1'.").arg(path),
                  QStringLiteral("Export Calendar"), kui::Icon::Warning);
}
