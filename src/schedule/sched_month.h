// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "schedule/calendar.h"

#include <array>

#include <QSize>
#include <QString>

class QPainter;

namespace kui {

// What the scheduler's month shows: the title, the grid laid out for the
// size drawn, which cells carry an event mark and which one is pressed in.
struct SchedMonthData {
    QString title; // e.g. "March 2001"
    std::array<CalRect, CalendarBase::kCellCount> cells{};
    std::array<int, CalendarBase::kCellCount> cellDay{}; // 0: blank cell
    std::array<bool, CalendarBase::kCellCount> marked{};
    int pressedCell = -1;
};

// The scheduler's month: the title in its box, the weekday letters, the day
// cells with their numbers, and a yellow mark on each day with an event.
void DrawSchedulerMonth(QPainter& painter, QSize size, const SchedMonthData& data);

// Where the view lays out its grid at `size`: the frame below the weekday
// strip, between one hundredth of the width from either side.
CalRect SchedulerGridFrame(QSize size);
// The bottom of the title box.
int SchedulerHeaderBottom(QSize size);

} // namespace kui
