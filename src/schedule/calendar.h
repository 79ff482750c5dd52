// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/date.h"

#include <array>

// A rectangle in pixels.
struct CalRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// The month grid behind the scheduler view: lays the shown month's days into
// cells inside a frame, tells which day a cell shows and which cell lies under
// a point. Seven columns, Sunday first, and six rows, of which the last holds
// only three cells: no month needs more than 37 (six blanks and 31 days), and
// the view puts its buttons in the free rest of that row.
class CalendarBase {
public:
    static constexpr int kCellCount = 38;

    CalendarBase(); // shows the current month

    // Computes the cells and their days for the shown month inside the frame.
    void SetLayout(int left, int top, int right, int bottom);
    // The cell strictly inside which the point lies, when it shows a day;
    // -1 otherwise (borders and blank cells are never hit).
    int HitTest(int x, int y) const;
    void CellRect(int index, CalRect& rect) const; // unchanged when out of range
    int CellDay(int index) const;                  // 0: blank or out of range
    ZBD_Date ShownMonth() const { return shownMonth_; }
    const CalRect& Frame() const { return frame_; } // as given to the last SetLayout
    // Cells and days follow at the next SetLayout.
    void NextMonth();
    void PrevMonth();

private:
    std::array<CalRect, kCellCount> cells_{};
    CalRect frame_;
    std::array<int, kCellCount> cellDay_{};
    ZBD_Date shownMonth_;
};
