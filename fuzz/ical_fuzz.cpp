// SPDX-License-Identifier: GPL-3.0-or-later
// Reads arbitrary bytes as an iCalendar file against a schedule that holds
// one event: every event read must be one sched.dat can keep (a valid date,
// a who, a line that reads back as itself), counted once in the report.
// "Today" is a fixed date and the clock is UTC, so a run does not depend on
// the day or the machine.
#include "core/date.h"
#include "formats/ical_read.h"
#include "schedule/sched_store.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>

namespace {

SchedClass schedule; // in memory only: never loaded nor saved

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    SchedRecord event;
    event.date = "03/14/2026";
    event.time = "6:30 pm";
    event.who = "Club night";
    schedule.AddCopy(event);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string contents(reinterpret_cast<const char*>(data), size);
    const kui::CalendarImport read =
        kui::ReadCalendarText(contents, QStringLiteral("fuzz.ics"), schedule, ZBD_Date(3, 1, 2026));
    if (!read.error.isEmpty() && !read.events.empty())
        std::abort();
    if (read.report.added != read.events.size())
        std::abort();
    for (const SchedRecord& event : read.events) {
        if (!ZBD_Date(event.date).IsValid() || event.who.empty())
            std::abort();
        SchedRecord back;
        back.FromLine(event.ToLine());
        if (back.ToLine() != event.ToLine())
            std::abort();
    }
    for (const kvr::ImportProblem& problem : read.report.problems)
        if (problem.reason.empty())
            std::abort();
    (void)kui::CalendarChanges(read);
    return 0;
}
