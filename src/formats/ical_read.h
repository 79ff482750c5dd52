// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/date.h"
#include "core/import_report.h"
#include "schedule/sched_store.h"

#include <string>
#include <vector>

#include <QString>

namespace kui {

// What an iCalendar file would bring into the schedule.
struct CalendarImport {
    kvr::ImportReport report;
    // The events to add, in the order the file holds them.
    std::vector<SchedRecord> events;
    // Why nothing could be read: the file is empty, is no calendar or
    // cannot be read. Empty otherwise.
    QString error;
};

// Reads an iCalendar file (RFC 5545) as schedule records, storing nothing.
// The file is read through kvr::ReadImportFile: a regular file of at most
// 64 MiB. Each event becomes one record: its date from DTSTART on the local
// clock, its time as "6:30 pm" (or "All day" for an event of whole days),
// SUMMARY as Who, LOCATION as Where, DESCRIPTION as Notes, each kept as
// written. A zone named under a publisher's prefix without its VTIMEZONE
// ("/mozilla.org/20070129_1/America/New_York") is the zone it ends with. A
// repeating event (RRULE, RDATE, EXDATE) gives one record per occurrence
// from `today` for twelve months, at most 1,000 of them; an occurrence moved
// by an event of its own (RECURRENCE-ID) is replaced by that event, which
// comes in only when it falls in those months too. A file brings at most
// 10,000 records. Events the store already holds (same date, time and who,
// ignoring case) are counted as present, once per stored copy. A calendar
// this program wrote reads back with the times as they were typed.
//
// The report tells what is not read as written: a file that breaks off (no
// END:VCALENDAR, a NUL byte) is read up to there and keeps its complete
// events; a repeat rule that cannot be read, a date that is none, an
// unknown zone, the dates left out by the limits, a cancelled event or a
// series that has no date in the coming months (left out, not counted as
// unreadable), and to-dos, which are no events.
CalendarImport ReadCalendarForImport(const QString& path, const SchedClass& schedule,
                                     const ZBD_Date& today);
// The same for the contents of a file already read; `path` names it in the
// messages.
CalendarImport ReadCalendarText(const std::string& contents, const QString& path,
                                const SchedClass& schedule, const ZBD_Date& today);

// The changes that store what an import read, one save for all
// (SchedClass::CommitAll): the events go in last first, since the store puts
// an event added later in front of those of its day, so that they stand in
// the file's order.
std::vector<kvr::Change<SchedRecord>> CalendarChanges(const CalendarImport& read);

} // namespace kui
