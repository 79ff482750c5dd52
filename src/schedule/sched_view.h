// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/child.h"
#include "core/date.h"
#include "schedule/calendar.h"
#include "schedule/sched_month.h"

class QPushButton;
class SchedClass;
class SchedRecord;

namespace kui {
// The month `calendar` shows, with the events of `store`, laid out for a
// view of `size` whose page-turn buttons need `buttonHeight`; `pressedCell`
// is drawn pressed (-1 none) and the cell of `focusedDay` framed (-1 none).
SchedMonthData SchedulerMonth(const SchedClass& store, const CalendarBase& calendar, QSize size,
                              int buttonHeight, int pressedCell, int focusedDay);
} // namespace kui

// The scheduler: one month as a calendar with a mark on every day that holds
// a match or practice, another on a day with a tournament, and today framed.
// A click on a day opens its events one after another, by their time, until
// one is cancelled; a double click adds an event on that day. The buttons
// page the months, add an event on the day picked last and search by name. From the keyboard
// the arrow keys move a focused day (Page Up and Page Down turn the month),
// Enter opens its events as a click does and Shift+Enter or Insert adds an
// event on it as a double click does.
class TKvrSchedWin : public TKvrChild {
    Q_OBJECT
public:
    explicit TKvrSchedWin(KvrClient& client);

    void Render(QPainter& painter, QSize size) override;
    // What the month shows at `size` (lays the grid out for it).
    kui::SchedMonthData Snapshot(QSize size);
    kui::ViewText Describe() override;

    void PrevMonth();
    void NextMonth();
    // The event dialog for a new event on the day picked last.
    void Schedule();
    // Asks for a name and opens the next event found for it.
    void Find();
    // A click and a double click on cell `cell` of the grid as last laid out.
    void ClickCell(int cell);
    void DoubleClickCell(int cell);
    // Asks for an iCalendar file and imports its events after a preview.
    void ImportCalendar();
    // Asks for a file and writes the events to it as an iCalendar file.
    void ExportCalendar();

    const CalendarBase& Calendar() const { return calendar_; }
    const ZBD_Date& SelectedDate() const { return selectedDate_; }
    // The day the keys act on, always in the shown month.
    ZBD_Date FocusedDay() const;
    // Moves the focused day by `days` (the month follows when it leaves the
    // shown one), or by whole months keeping the day of the month where the
    // month has it.
    void MoveFocusedDay(int days);
    void MoveFocusedMonth(int months);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    QPoint KeyboardMenuPoint() const override;
    // "Import Calendar..." and "Export Calendar..." after the picture's
    // entries.
    void AddContextActions(QMenu& menu) override;

private:
    // Lays the window's grid out for the shown month at the window's size;
    // the frame it used.
    CalRect LayOutGrid();
    // The event dialog on `event`, `place` ("2 of 3") added to its title
    // when not empty; the dialog's result (QDialog::Rejected: cancelled).
    int Edit(SchedRecord* event, const QString& place = {});
    ZBD_Date CellDate(int cell) const;
    // Shows the cell pressed in at once, until the dialogs it opens close.
    void Press(int cell);
    // The cell of the grid as last laid out that shows the focused day.
    int FocusedCell() const;

    CalendarBase calendar_;
    ZBD_Date selectedDate_;
    int pressedCell_ = -1;
    int focusedDay_ = 1; // day of the shown month
    QPushButton* prev_ = nullptr;
    QPushButton* next_ = nullptr;
    QPushButton* schedule_ = nullptr;
    QPushButton* find_ = nullptr;
};
