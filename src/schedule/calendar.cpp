// SPDX-License-Identifier: GPL-3.0-or-later
#include "schedule/calendar.h"

#include <algorithm>
#include <climits>

namespace {

// A pixel position with its fraction dropped, kept within the int range so
// that absurd frames cannot overflow.
int toPixel(double value) {
    return static_cast<int>(
        std::clamp(value, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}

bool validIndex(int index) {
    return index >= 0 && index < CalendarBase::kCellCount;
}

} // namespace

CalendarBase::CalendarBase() {
    ZBD_Date today;
    shownMonth_ = ZBD_Date(today.Month(), 1, today.Year());
}

void CalendarBase::SetLayout(int left, int top, int right, int bottom) {
    cells_.fill(CalRect{});
    cellDay_.fill(0);
    frame_ = CalRect{left, top, right, bottom};

    // Whole-pixel cell sizes plus a half, so that the columns spread the
    // rounding over the width (a 701-pixel frame gives 100.5).
    const double width = static_cast<double>((static_cast<long long>(right) - left - 1) / 7) + 0.5;
    const double height = static_cast<double>((static_cast<long long>(bottom) - top - 1) / 6) + 0.5;
    const int firstColumn = shownMonth_.DayOfWeek(); // 1 = Sunday
    const int days = shownMonth_.DaysInMonth();

    for (int i = 0; i < kCellCount; ++i) {
        const int row = i / 7;
        const int column = i % 7;
        CalRect& cell = cells_[static_cast<size_t>(i)];
        cell.left = toPixel(left + column * width);
        cell.top = toPixel(top + row * height);
        cell.right = toPixel(cell.left + width);
        cell.bottom = toPixel(cell.top + height);
        const int day = i - firstColumn + 2;
        cellDay_[static_cast<size_t>(i)] = day < 0 || day > days ? 0 : day;
    }
}

int CalendarBase::HitTest(int x, int y) const {
    const int days = shownMonth_.DaysInMonth();
    for (int i = 0; i < kCellCount; ++i) {
        const CalRect& cell = cells_[static_cast<size_t>(i)];
        const int day = cellDay_[static_cast<size_t>(i)];
        if (cell.left < x && x < cell.right && cell.top < y && y < cell.bottom && day >= 1 &&
            day <= days)
            return i;
    }
    return -1;
}

void CalendarBase::CellRect(int index, CalRect& rect) const {
    if (validIndex(index))
        rect = cells_[static_cast<size_t>(index)];
}

int CalendarBase::CellDay(int index) const {
    return validIndex(index) ? cellDay_[static_cast<size_t>(index)] : 0;
}

void CalendarBase::NextMonth() {
    int month = shownMonth_.Month();
    int year = shownMonth_.Year();
    if (month >= 12) {
        month = 1;
        ++year;
    } else {
        ++month;
    }
    shownMonth_ = ZBD_Date(month, 1, year);
}

void CalendarBase::PrevMonth() {
    int month = shownMonth_.Month();
    int year = shownMonth_.Year();
    if (month <= 1) {
        month = 12;
        --year;
    } else {
        --month;
    }
    shownMonth_ = ZBD_Date(month, 1, year);
}
