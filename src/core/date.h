// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

// A calendar date as the player types it: month/day/year, normalised to
// "m/d/yyyy". Parsing never fails; IsValid() says whether the result is usable.
class ZBD_Date {
public:
    ZBD_Date(); // today (or the pinned day)
    explicit ZBD_Date(const std::string& text);
    explicit ZBD_Date(const char* text);
    ZBD_Date(int month, int day, int year);

    void SetText(const std::string& text);
    // True when `text` is already in the form SetText gives it (digits
    // without leading zeros, a four-digit year), so a reader of many dates
    // need not parse and rebuild it.
    static bool IsNormalText(std::string_view text);

    int Month() const { return month_; }
    int Day() const { return day_; }
    int Year() const { return year_; }
    const std::string& Text() const { return text_; }

    bool IsValid() const;
    int DaysInMonth() const;
    int DaysInMonth(int month) const;
    int DayOfWeek() const; // 1 = Sunday
    int DayNumber() const; // 1/1/1990 is 1; every year counts 365 days
    int Difference(const ZBD_Date& other, char unit) const;
    bool SameDay(const ZBD_Date& other) const;
    std::string MonthName() const;

    // Pins "today" for tests; UseSystemClock() undoes it.
    static void FixToday(int month, int day, int year);
    static void UseSystemClock();

private:
    int month_ = -1;
    int day_ = -1;
    int year_ = -1;
    std::string text_;
};
