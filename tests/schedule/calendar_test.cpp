// SPDX-License-Identifier: GPL-3.0-or-later
#include "schedule/calendar.h"

#include <climits>
#include <vector>

#include <gtest/gtest.h>

namespace {

class CalendarTest : public ::testing::Test {
protected:
    void TearDown() override { ZBD_Date::UseSystemClock(); }

    // The month of month/year in a 701 by 601 frame: cells 100.5 pixels square.
    static CalendarBase Showing(int month, int year) {
        ZBD_Date::FixToday(month, 17, year);
        CalendarBase calendar;
        calendar.SetLayout(0, 0, 701, 601);
        return calendar;
    }

    static std::vector<int> Days(const CalendarBase& calendar) {
        std::vector<int> days;
        for (int i = -1; i <= CalendarBase::kCellCount; ++i)
            days.push_back(calendar.CellDay(i));
        return days;
    }

    // Out-of-range indexes -1 and 38 included, both 0.
    static std::vector<int> Expected(int firstCell, int daysInMonth) {
        std::vector<int> days(CalendarBase::kCellCount + 2, 0);
        for (int d = 1; d <= daysInMonth; ++d)
            days[static_cast<size_t>(firstCell + d)] = d;
        return days;
    }
};

TEST_F(CalendarTest, DaysFollowTheWeekdayOfTheFirst) {
    EXPECT_EQ(Days(Showing(4, 2001)), Expected(0, 30));  // starts on a Sunday
    EXPECT_EQ(Days(Showing(12, 2001)), Expected(6, 31)); // on a Saturday: day 31 in cell 36
    EXPECT_EQ(Days(Showing(2, 2001)), Expected(4, 28));  // a Thursday: cells 4 to 31
    EXPECT_EQ(Days(Showing(2, 2004)), Expected(0, 29));
}

TEST_F(CalendarTest, CellsSpreadTheHalfPixel) {
    ZBD_Date::FixToday(2, 1, 2001);
    CalendarBase calendar;
    CalRect rect{1, 2, 3, 4};
    calendar.CellRect(0, rect);
    EXPECT_EQ(rect.right, 0); // nothing laid out yet
    calendar.SetLayout(10, 20, 711, 621);
    const int lefts[] = {0, 100, 201, 301, 402, 502, 603};
    for (int c = 0; c < 7; ++c) {
        calendar.CellRect(c, rect);
        EXPECT_EQ(rect.left, 10 + lefts[c]);
        EXPECT_EQ(rect.right, static_cast<int>(rect.left + 100.5));
        EXPECT_EQ(rect.bottom, 120);
    }
    calendar.CellRect(37, rect);
    EXPECT_EQ(rect.left, 10 + 201);
    EXPECT_EQ(rect.top, 20 + 502);
    EXPECT_EQ(rect.bottom, 20 + 602);

    CalRect untouched{7, 8, 9, 10};
    calendar.CellRect(38, untouched);
    calendar.CellRect(-1, untouched);
    EXPECT_EQ(untouched.left + untouched.top + untouched.right + untouched.bottom, 34);
}

TEST_F(CalendarTest, HitsOnlyDayCellsStrictlyInside) {
    CalendarBase calendar = Showing(2, 2001); // cell 4 spans x 402..502, y 0..100
    EXPECT_EQ(calendar.HitTest(403, 1), 4);
    EXPECT_EQ(calendar.HitTest(501, 99), 4);
    EXPECT_EQ(calendar.HitTest(402, 50), -1);
    EXPECT_EQ(calendar.HitTest(502, 50), -1); // the line between cells 4 and 5
    EXPECT_EQ(calendar.HitTest(450, 100), -1);
    EXPECT_EQ(calendar.HitTest(503, 50), 5);
    EXPECT_EQ(calendar.HitTest(450, 101), 11);
    EXPECT_EQ(calendar.HitTest(50, 50), -1);   // blank before day 1
    EXPECT_EQ(calendar.HitTest(50, 550), -1);  // blank after day 28
    EXPECT_EQ(calendar.HitTest(450, 550), -1); // the free end of the sixth row
    EXPECT_EQ(calendar.HitTest(INT_MAX, INT_MIN), -1);
    EXPECT_EQ(Showing(12, 2001).HitTest(150, 550), 36);

    // Absurd frames neither crash nor overflow.
    calendar.SetLayout(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    calendar.SetLayout(INT_MAX, INT_MAX, INT_MIN, INT_MIN);
    calendar.SetLayout(0, 0, 0, 0);
    EXPECT_EQ(calendar.HitTest(0, 0), -1);
}

TEST_F(CalendarTest, StepsMonthsAcrossYearsAndLaysOutOnDemand) {
    ZBD_Date::FixToday(12, 31, 2001);
    CalendarBase calendar;
    EXPECT_EQ(calendar.ShownMonth().Text(), "12/1/2001");
    calendar.NextMonth();
    EXPECT_EQ(calendar.ShownMonth().Text(), "1/1/2002");
    calendar.PrevMonth();
    calendar.PrevMonth();
    EXPECT_EQ(calendar.ShownMonth().Text(), "11/1/2001");
    calendar.SetLayout(0, 0, 701, 601);
    EXPECT_EQ(calendar.CellDay(4), 1);
    calendar.NextMonth();
    EXPECT_EQ(calendar.CellDay(4), 1); // cells follow at the next layout
    calendar.SetLayout(0, 0, 701, 601);
    EXPECT_EQ(calendar.CellDay(6), 1);
}

} // namespace
