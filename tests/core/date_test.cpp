// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/date.h"

#include <random>

#include <gtest/gtest.h>

namespace {

TEST(DateTest, ParsesAndNormalisesText) {
    EXPECT_EQ(ZBD_Date("3/7/01").Text(), "3/7/2001");
    EXPECT_EQ(ZBD_Date("12/25/95").Text(), "12/25/1995");
    EXPECT_EQ(ZBD_Date("03/07/2001").Text(), "3/7/2001");
    EXPECT_EQ(ZBD_Date(std::string(" 3/ 7/ 2001")).Text(), "3/7/2001");
    EXPECT_EQ(ZBD_Date(3, 7, 1).Text(), "3/7/2001");
}

TEST(DateTest, TwoDigitYearsSplitAtNinety) {
    EXPECT_EQ(ZBD_Date("1/1/00").Year(), 2000);
    EXPECT_EQ(ZBD_Date("1/1/89").Year(), 2089);
    EXPECT_EQ(ZBD_Date("1/1/90").Year(), 1990);
    EXPECT_EQ(ZBD_Date("1/1/99").Year(), 1999);
    EXPECT_EQ(ZBD_Date("1/1/100").Year(), 100);
}

TEST(DateTest, PartialTextKeepsUnreadPartsAtMinusOne) {
    ZBD_Date partial("7/4");
    EXPECT_EQ(partial.Month(), 7);
    EXPECT_EQ(partial.Day(), 4);
    EXPECT_EQ(partial.Year(), -1);
    EXPECT_EQ(partial.Text(), "7/4/-1");
    EXPECT_FALSE(partial.IsValid());

    ZBD_Date nothing("next tuesday");
    EXPECT_EQ(nothing.Text(), "-1/-1/-1");
    EXPECT_FALSE(nothing.IsValid());
    EXPECT_EQ(ZBD_Date("7-4-2001").Text(), "7/-1/-1");
}

TEST(DateTest, Validity) {
    EXPECT_TRUE(ZBD_Date("2/29/1999").IsValid()); // every February accepts the 29th
    EXPECT_FALSE(ZBD_Date("2/30/2000").IsValid());
    EXPECT_FALSE(ZBD_Date("4/31/2000").IsValid());
    EXPECT_TRUE(ZBD_Date("5/31/2000").IsValid());
    EXPECT_TRUE(ZBD_Date("1/1/1990").IsValid());
    EXPECT_TRUE(ZBD_Date("12/31/2089").IsValid());
    EXPECT_FALSE(ZBD_Date("12/31/1989").IsValid());
    EXPECT_FALSE(ZBD_Date("1/1/2090").IsValid());
    EXPECT_FALSE(ZBD_Date("13/1/2000").IsValid());
    EXPECT_FALSE(ZBD_Date("0/1/2000").IsValid());
    EXPECT_FALSE(ZBD_Date("1/0/2000").IsValid());
}

TEST(DateTest, AbsurdNumbersAreHarmless) {
    ZBD_Date huge("99999999999999999999999999999999/99999999999999/-9999999999999999");
    EXPECT_FALSE(huge.IsValid());
    EXPECT_LE(huge.Text().size(), 11u);
    (void)huge.DayNumber();
    (void)huge.DayOfWeek();
    EXPECT_EQ(huge.Difference(huge, 'D'), 0);
    (void)huge.Difference(ZBD_Date("1/1/2000"), 'D');
    (void)ZBD_Date("1/1/2000").Difference(huge, 'M');
    // A negative year is not a two-digit year.
    EXPECT_FALSE(ZBD_Date("1/1/-5").IsValid());
    EXPECT_FALSE(ZBD_Date(std::string("1/1\0/2000", 10)).IsValid());
    EXPECT_EQ(ZBD_Date(static_cast<const char*>(nullptr)).Text(), "-1/-1/-1");
}

TEST(DateTest, DayNumbersCountEveryYearAs365Days) {
    EXPECT_EQ(ZBD_Date("1/1/1990").DayNumber(), 1);
    EXPECT_EQ(ZBD_Date("1/2/1990").DayNumber(), 2);
    EXPECT_EQ(ZBD_Date("1/1/1991").DayNumber(), 366);
    // Only the date's own February adds a leap day.
    EXPECT_EQ(ZBD_Date("12/31/2000").DayNumber(), ZBD_Date("1/1/2001").DayNumber());
    EXPECT_TRUE(ZBD_Date("12/31/2000").SameDay(ZBD_Date("1/1/2001")));
    EXPECT_FALSE(ZBD_Date("12/30/2000").SameDay(ZBD_Date("1/1/2001")));
    EXPECT_EQ(ZBD_Date("3/1/2000").DayNumber() - ZBD_Date("2/28/2000").DayNumber(), 2);
}

TEST(DateTest, DaysInMonth) {
    EXPECT_EQ(ZBD_Date("2/1/2000").DaysInMonth(), 29);
    EXPECT_EQ(ZBD_Date("2/1/2001").DaysInMonth(), 28);
    EXPECT_EQ(ZBD_Date("1/1/2004").DaysInMonth(2), 29); // no century rule: every fourth year
    EXPECT_EQ(ZBD_Date("1/1/2001").DaysInMonth(4), 30);
    EXPECT_EQ(ZBD_Date("1/1/2001").DaysInMonth(0), 0);
    EXPECT_EQ(ZBD_Date("1/1/2001").DaysInMonth(13), 0);
}

TEST(DateTest, Difference) {
    ZBD_Date march("3/1/2001"), february("2/1/2001");
    EXPECT_EQ(march.Difference(february, 'D'), 28);
    EXPECT_EQ(march.Difference(february, 'd'), 28);
    EXPECT_EQ(march.Difference(february, 'M'), 1);
    EXPECT_EQ(march.Difference(february, 'Y'), 0);
    EXPECT_EQ(march.Difference(february, 'y'), 0);
    EXPECT_EQ(march.Difference(february, 'x'), 0);
    EXPECT_EQ(ZBD_Date("1/31/2002").Difference(ZBD_Date("12/1/2000"), 'm'), 13);
    EXPECT_EQ(ZBD_Date("1/31/2002").Difference(ZBD_Date("12/1/2000"), 'Y'), 2);
}

TEST(DateTest, DayOfWeekAndMonthName) {
    EXPECT_EQ(ZBD_Date("3/7/2001").DayOfWeek(), 4);  // Wednesday
    EXPECT_EQ(ZBD_Date("1/1/2000").DayOfWeek(), 7);  // Saturday
    EXPECT_EQ(ZBD_Date("2/29/2000").DayOfWeek(), 3); // Tuesday
    EXPECT_EQ(ZBD_Date("12/7/2026").DayOfWeek(), 2); // Monday
    EXPECT_EQ(ZBD_Date("9/1/2024").DayOfWeek(), 1);  // Sunday
    EXPECT_EQ(ZBD_Date("3/7/2001").MonthName(), "March");
    EXPECT_EQ(ZBD_Date("12/7/2001").MonthName(), "December");
    EXPECT_EQ(ZBD_Date("13/7/2001").MonthName(), "");
}

TEST(DateTest, TodayCanBePinned) {
    ZBD_Date::FixToday(2, 29, 2004);
    EXPECT_EQ(ZBD_Date().Text(), "2/29/2004");
    ZBD_Date::UseSystemClock();
    EXPECT_TRUE(ZBD_Date().IsValid());
}

} // namespace

// A text taken as already normal must be exactly what parsing would make of
// it; texts that parsing changes must not be taken as normal.
TEST(DateTest, NormalTextIsWhatParsingGives) {
    std::mt19937 random(7);
    const std::string others = " -+x0";
    auto part = [&] {
        std::string digits;
        for (size_t n = random() % 6; n > 0; --n)
            digits += static_cast<char>('0' + random() % 10);
        return digits;
    };
    int normal = 0;
    for (int i = 0; i < 100000; ++i) {
        std::string text = part();
        for (int p = 0; p < 2; ++p)
            text +=
                (random() % 20 ? std::string("/") : std::string(1, others[random() % 5])) + part();
        if (random() % 20 == 0)
            text.insert(random() % (text.size() + 1), 1, others[random() % 5]);
        const bool taken = ZBD_Date::IsNormalText(text);
        normal += taken;
        if (taken) {
            ASSERT_EQ(ZBD_Date(text).Text(), text);
        }
    }
    EXPECT_GT(normal, 1000); // the random texts did reach the fast path
    for (const char* changed : {"01/2/2020", "1/2/20", "1/2/02020", " 1/2/2020", "1/2/2020 ",
                                "+1/2/2020", "1/2", "1//2020", ""})
        EXPECT_FALSE(ZBD_Date::IsNormalText(changed)) << changed;
    EXPECT_TRUE(ZBD_Date::IsNormalText("12/31/1999"));
}
