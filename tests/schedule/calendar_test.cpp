#include "schedule/calendar.h"

#include <climits>

#include <gtest/gtest.h>

namespace {

class CalendarTest : public ::testing::Test {
protected:
    void TearDown() override { ZBD_Date::UseSystemClock(); }

    // A calendar showing the month of `month`/`year`, laid out in a
    // 701 by 601 frame (cells 100.5 by 100.5).
    CalendarBase Showing(int month, int year) {
        ZBD_Date::FixToday(month, 17, year);
        CalendarBase calendar;
        calendar.SetLayout(0, 0, 701, 601);
        return calendar;
    }

    static std::vector<int> Days(const CalendarBase& calendar) {
        std::vector<int> days;
        for (int i = 0; i < CalendarBase::kCellCount; ++i)
            days.push_back(calendar.CellDay(i));
        return days;
    }

    static std::vector<int> Expected(int firstCell, int daysInMonth) {
        std::vector<int> days(CalendarBase::kCellCount, 0);
        for (int d = 1; d <= daysInMonth; ++d)
            days[static_cast<size_t>(firstCell + d - 1)] = d;
        return days;
    }
};

TEST_F(CalendarTest, StartsEmptyOnTheFirstOfTheCurrentMonth) {
    ZBD_Date::FixToday(3, 17, 2001);
    CalendarBase calendar;
    EXPECT_EQ(calendar.ShownMonth().Text(), "3/1/2001");
    for (int i = 0; i < CalendarBase::kCellCount; ++i) {
        CalRect rect{1, 2, 3, 4};
        calendar.CellRect(i, rect);
        EXPECT_EQ(rect.left + rect.top + rect.right + rect.bottom, 0);
        EXPECT_EQ(calendar.CellDay(i), 0);
    }
    EXPECT_EQ(calendar.HitTest(0, 0), -1);
}

TEST_F(CalendarTest, DaysFollowTheWeekdayOfTheFirst) {
    EXPECT_EQ(Days(Showing(4, 2001)), Expected(0, 30));  // April 2001 starts on a Sunday
    EXPECT_EQ(Days(Showing(12, 2001)), Expected(6, 31)); // December 2001 on a Saturday
    EXPECT_EQ(Showing(12, 2001).CellDay(36), 31);
    EXPECT_EQ(Days(Showing(2, 2001)), Expected(4, 28)); // a Thursday: cells 4 to 31
    EXPECT_EQ(Days(Showing(2, 2004)), Expected(0, 29)); // leap February from a Sunday
    EXPECT_EQ(Showing(2, 2001).CellDay(-1), 0);
    EXPECT_EQ(Showing(2, 2001).CellDay(38), 0);
}

TEST_F(CalendarTest, CellsSpreadTheHalfPixel) {
    ZBD_Date::FixToday(2, 1, 2001);
    CalendarBase calendar;
    calendar.SetLayout(10, 20, 711, 621);
    const int lefts[] = {0, 100, 201, 301, 402, 502, 603};
    for (int c = 0; c < 7; ++c) {
        CalRect rect;
        calendar.CellRect(c, rect);
        EXPECT_EQ(rect.left, 10 + lefts[c]) << c;
        EXPECT_EQ(rect.right, static_cast<int>(rect.left + 100.5)) << c;
        EXPECT_EQ(rect.top, 20);
        EXPECT_EQ(rect.bottom, 120);
    }
    CalRect last;
    calendar.CellRect(37, last);
    EXPECT_EQ(last.left, 10 + 201);
    EXPECT_EQ(last.top, 20 + 502);
    EXPECT_EQ(last.bottom, 20 + 602);
    EXPECT_EQ(calendar.Frame().right, 711);

    CalRect untouched{7, 8, 9, 10};
    calendar.CellRect(38, untouched);
    calendar.CellRect(-1, untouched);
    EXPECT_EQ(untouched.left, 7);
    EXPECT_EQ(untouched.bottom, 10);
}

TEST_F(CalendarTest, HitsOnlyDayCellsStrictlyInside) {
    CalendarBase calendar = Showing(2, 2001); // cells 4 to 31 hold days
    // Cell 4 spans x 402..502, y 0..100; cell 5 starts at 502.
    EXPECT_EQ(calendar.HitTest(403, 1), 4);
    EXPECT_EQ(calendar.HitTest(501, 99), 4);
    EXPECT_EQ(calendar.HitTest(402, 50), -1);
    EXPECT_EQ(calendar.HitTest(502, 50), -1); // the line between cells 4 and 5
    EXPECT_EQ(calendar.HitTest(450, 0), -1);
    EXPECT_EQ(calendar.HitTest(450, 100), -1);
    EXPECT_EQ(calendar.HitTest(503, 50), 5);
    EXPECT_EQ(calendar.HitTest(450, 101), 11); // next row starts at 100, day 8
    EXPECT_EQ(calendar.CellDay(11), 8);
    EXPECT_EQ(calendar.HitTest(50, 50), -1);   // blank leading cell
    EXPECT_EQ(calendar.HitTest(450, 550), -1); // blank cell 39 area (free row end)
    EXPECT_EQ(calendar.HitTest(50, 550), -1);  // cell 35: blank in February
    EXPECT_EQ(calendar.HitTest(-5, -5), -1);
    EXPECT_EQ(calendar.HitTest(INT_MAX, INT_MIN), -1);

    CalendarBase december = Showing(12, 2001);
    EXPECT_EQ(december.HitTest(50, 550), 35); // day 30
    EXPECT_EQ(december.HitTest(150, 550), 36);
    EXPECT_EQ(december.HitTest(250, 550), -1); // cell 37 is blank
}

TEST_F(CalendarTest, StepsMonthsAcrossYears) {
    ZBD_Date::FixToday(12, 31, 2001);
    CalendarBase calendar;
    calendar.NextMonth();
    EXPECT_EQ(calendar.ShownMonth().Text(), "1/1/2002");
    calendar.PrevMonth();
    EXPECT_EQ(calendar.ShownMonth().Text(), "12/1/2001");
    calendar.PrevMonth();
    EXPECT_EQ(calendar.ShownMonth().Text(), "11/1/2001");

    // Cells follow only at the next layout.
    calendar.SetLayout(0, 0, 701, 601);
    EXPECT_EQ(calendar.CellDay(4), 1); // November 2001 starts on a Thursday
    calendar.NextMonth();
    EXPECT_EQ(calendar.CellDay(4), 1);
    calendar.SetLayout(0, 0, 701, 601);
    EXPECT_EQ(calendar.CellDay(6), 1);
}

TEST_F(CalendarTest, SurvivesDegenerateFrames) {
    CalendarBase calendar = Showing(5, 2001);
    calendar.SetLayout(100, 100, 0, 0);
    EXPECT_EQ(calendar.HitTest(50, 50), -1);
    calendar.SetLayout(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    calendar.SetLayout(INT_MAX, INT_MAX, INT_MIN, INT_MIN);
    calendar.SetLayout(0, 0, 0, 0);
    EXPECT_EQ(calendar.HitTest(0, 0), -1);
}

} // namespace
