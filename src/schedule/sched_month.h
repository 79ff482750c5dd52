// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "schedule/calendar.h"
#include "ui/view_text.h"

#include <array>

#include <QSize>
#include <QString>
#include <QStringList>

class QPainter;
struct SchedRecord;

namespace kui {

// What the scheduler's month shows: the title, the grid laid out for the
// size drawn, which cells carry an event mark and which one is pressed in.
struct SchedMonthData {
    QString title; // e.g. "March 2001"
    std::array<CalRect, CalendarBase::kCellCount> cells{};
    std::array<int, CalendarBase::kCellCount> cellDay{}; // 0: blank cell
    std::array<bool, CalendarBase::kCellCount> marked{}; // a match or practice
    // A tournament (an event whose Who begins with "Tourn"): a mark of its own.
    std::array<bool, CalendarBase::kCellCount> tournament{};
    // The cell that shows today (-1: today is not in the month shown).
    int todayCell = -1;
    // The events on each cell's day, as a screen reader names them ("Ann
    // Lee at 6:00 PM, City Courts"), tournaments included.
    std::array<QStringList, CalendarBase::kCellCount> events{};
    int pressedCell = -1;
    // The cell the keyboard acts on, framed (-1: none, the view has no
    // keyboard focus).
    int focusedCell = -1;
    // The least height of the view's buttons (0: none): the title box grows
    // to hold the page-turn buttons beside it.
    int buttonHeight = 0;
};

// The scheduler's month: the title in its box, the weekday letters, the day
// cells with their numbers, a yellow round mark on each day with a match or
// practice, a red diamond on each day with a tournament, and today framed
// in blue with its number in bold. The marks differ in shape and place, not
// in colour alone.
void DrawSchedulerMonth(QPainter& painter, QSize size, const SchedMonthData& data);

// An event in words: who, at what time, where ("Ann Lee at 6:00 PM, City
// Courts").
QString EventText(const SchedRecord& event);

// The month as a table: a column a weekday (Sunday first), a row a week, each
// cell naming its day and its events; the title as its caption.
ViewTable SchedulerMonthTable(const SchedMonthData& data);

// Where the view lays out its grid at `size`: the frame below the weekday
// strip, between one hundredth of the width from either side.
CalRect SchedulerGridFrame(QSize size, int buttonHeight = 0);
// The bottom of the title box: 0.1 of the height, or lower when the
// page-turn buttons beside it, `buttonHeight` high at least, need more room.
int SchedulerHeaderBottom(QSize size, int buttonHeight = 0);

} // namespace kui
