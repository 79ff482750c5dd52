// SPDX-License-Identifier: GPL-3.0-or-later
#include "schedule/sched_view.h"

#include "app/application.h"
#include "app/client.h"
#include "schedule/sched_dialogs.h"
#include "schedule/sched_ical.h"
#include "schedule/sched_store.h"
#include "schedule/schedule_commands.h"
#include "ui/drawing.h"
#include "ui/message.h"
#include "ui/text.h"

#include <QFileDialog>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

TKvrSchedWin::TKvrSchedWin(KvrClient& client)
    : TKvrChild(client, kui::SchedulerView, QStringLiteral("Scheduler")) {
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
}

kui::SchedMonthData TKvrSchedWin::Snapshot(QSize size) {
    // The grid laid out for `size` (a picture may be drawn at another size
    // than the window's, whose grid answers the clicks).
    const CalRect frame = kui::SchedulerGridFrame(size);
    CalendarBase grid = calendar_;
    grid.SetLayout(frame.left, frame.top, frame.right, frame.bottom);
    const ZBD_Date month = grid.ShownMonth();
    kui::SchedMonthData monthData;
    monthData.title = kui::FromStored(month.MonthName()) + QStringLiteral(" %1").arg(month.Year());
    // The days of the shown month that hold an event other than a
    // tournament.
    std::array<bool, 32> markedDay{};
    const SchedClass& store = App().SchedStore();
    for (unsigned i = 0; i < store.Count(); ++i) {
        const SchedRecord& event = *store.At(static_cast<int>(i));
        if (event.who.compare(0, 5, "Tourn") == 0)
            continue;
        const ZBD_Date date(event.date);
        if (date.Month() == month.Month() && date.Year() == month.Year() && date.Day() >= 1 &&
            date.Day() <= 31)
            markedDay[static_cast<size_t>(date.Day())] = true;
    }
    for (int i = 0; i < CalendarBase::kCellCount; ++i) {
        const auto index = static_cast<size_t>(i);
        grid.CellRect(i, monthData.cells[index]);
        monthData.cellDay[index] = grid.CellDay(i);
        monthData.marked[index] = markedDay[static_cast<size_t>(monthData.cellDay[index])];
    }
    monthData.pressedCell = pressedCell_;
    return monthData;
}

void TKvrSchedWin::Render(QPainter& painter, QSize size) {
    kui::DrawSchedulerMonth(painter, size, Snapshot(size));
}

void TKvrSchedWin::resizeEvent(QResizeEvent* event) {
    TKvrChild::resizeEvent(event);
    const int w = width();
    const int h = height();
    const int b = kui::SchedulerHeaderBottom(size());
    const CalRect frame = kui::SchedulerGridFrame(size());
    calendar_.SetLayout(frame.left, frame.top, frame.right, frame.bottom);
    const int j = (h - frame.top) / 12;
    // The buttons' captions scale with the buttons.
    const QFont font = kui::ArialFont(std::max(1, j * 3 / 4), 0, this);
    for (QPushButton* pushButton : {find_, schedule_}) {
        pushButton->setFont(font);
        pushButton->resize(kui::Frac(w, 0.2), j);
    }
    find_->move(kui::Frac(w, 0.99) - kui::Frac(w, 0.2), h - 2 * j);
    schedule_->move(kui::Frac(w, 0.99) - kui::Frac(w, 0.4), h - 2 * j);
    const QFont pageFont = kui::ArialFont(std::max(1, (b - 5) / 2), 0, this);
    for (QPushButton* pushButton : {prev_, next_}) {
        pushButton->setFont(pageFont);
        pushButton->resize(kui::Frac(w, 0.15), b - 5);
    }
    next_->move(kui::Frac(w, 0.8), 5);
    prev_->move(kui::Frac(w, 0.2) - kui::Frac(w, 0.15) + 2, 5);
}

void TKvrSchedWin::PrevMonth() {
    calendar_.PrevMonth();
    update();
}

void TKvrSchedWin::NextMonth() {
    calendar_.NextMonth();
    update();
}

void TKvrSchedWin::Schedule() {
    TSchedAddDlg dialog(this, App().SchedStore(), App().PhoneStore(), selectedDate_);
    kui::RunModal(dialog);
    update();
}

void TKvrSchedWin::Edit(SchedRecord* event) {
    TSchedAddDlg dialog(this, App().SchedStore(), App().PhoneStore(), event);
    kui::RunModal(dialog);
    update();
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
    Press(cell);
    const ZBD_Date day = CellDate(cell);
    // Each event of the day in turn. A dialog changes or removes only its
    // own event, so the others stay where they are.
    SchedClass& store = App().SchedStore();
    std::vector<SchedRecord*> events;
    for (unsigned i = 0; i < store.Count(); ++i)
        if (SchedRecord* event = store.At(static_cast<int>(i)); ZBD_Date(event->date).SameDay(day))
            events.push_back(event);
    for (SchedRecord* event : events)
        Edit(event);
    Press(-1);
}

void TKvrSchedWin::DoubleClickCell(int cell) {
    if (calendar_.CellDay(cell) <= 0)
        return;
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
    TSchedFindDlg dialog(this, App().PhoneStore(), kui::FromStored(store.lastDate.Text()));
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
    menu.addAction(QStringLiteral("&Export Calendar..."), this, &TKvrSchedWin::ExportCalendar);
}

void TKvrSchedWin::ExportCalendar() {
    QFileDialog dialog(this, QStringLiteral("Export Calendar"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("iCalendar files (*.ics)"));
    dialog.setDefaultSuffix(QStringLiteral("ics"));
    dialog.selectFile(QStringLiteral("tennis.ics"));
    if (kui::RunModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().constFirst();
    if (!kui::ExportCalendar(path, App().SchedStore()))
        kui::Tell(this, QStringLiteral("Unable to export your schedule to '%1'.").arg(path),
                  QStringLiteral("Export Calendar"), kui::Icon::Warning);
}
