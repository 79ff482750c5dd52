// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/ical_read.h"
#include "schedule/sched_store.h"

#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace kvrtest {
namespace {

kui::CalendarImport Read(const std::string& event, const ZBD_Date& today) {
    return kui::ReadCalendarText("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\n" + event +
                                     "END:VEVENT\r\nEND:VCALENDAR\r\n",
                                 QStringLiteral("club.ics"), SchedClass(), today);
}

// A series that began years ago is followed from the coming months, not
// step by step from its first date: eleven rules repeating every minute
// since 2001 are read at once (the fuzzer found them taking most of a
// minute), and a series every other week keeps its weeks.
TEST(CalendarReadTest, OldSeriesAreFollowedFromTheComingMonths) {
    std::string minutely;
    for (int i = 1; i <= 11; ++i)
        minutely += "BEGIN:VEVENT\r\nUID:" + std::to_string(i) +
                    "\r\nDTSTART:20011216T000000\r\nRRULE:FREQ=MINUTELY\r\nSUMMARY:Ball machine " +
                    std::to_string(i) + "\r\nEND:VEVENT\r\n";
    const auto started = std::chrono::steady_clock::now();
    const kui::CalendarImport busy =
        kui::ReadCalendarText("BEGIN:VCALENDAR\r\nVERSION:2.0\r\n" + minutely + "END:VCALENDAR\r\n",
                              QStringLiteral("busy.ics"), SchedClass(), ZBD_Date(3, 1, 2026));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    ASSERT_EQ(busy.events.size(), 10'000u);
    EXPECT_EQ(busy.events.front().date, "3/1/2026");
    EXPECT_EQ(busy.events.front().time, "12:00 am");

    const kui::CalendarImport fortnightly =
        Read("DTSTART;VALUE=DATE:20250106\r\nRRULE:FREQ=WEEKLY;INTERVAL=2\r\nSUMMARY:Ladder\r\n",
             ZBD_Date(3, 1, 2026));
    ASSERT_EQ(fortnightly.events.size(), 26u);
    std::vector<std::string> first;
    for (std::size_t i = 0; i < 3; ++i)
        first.push_back(fortnightly.events[i].date);
    EXPECT_EQ(first, (std::vector<std::string>{"3/2/2026", "3/16/2026", "3/30/2026"}));

    // A series that ended before the coming months brings nothing.
    const kui::CalendarImport ended = Read(
        "DTSTART:20050101T100000\r\nRRULE:FREQ=DAILY;UNTIL=20060101T000000Z\r\nSUMMARY:Old\r\n",
        ZBD_Date(3, 1, 2026));
    EXPECT_TRUE(ended.events.empty());
}

} // namespace
} // namespace kvrtest
