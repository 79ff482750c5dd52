// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/date.h"
#include "core/import_report.h"
#include "schedule/sched_store.h"

#include <vector>

#include <QString>

class QWidget;

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
// Each event becomes one record: its date from DTSTART on the local clock,
// its time as "6:30 pm" (or "All day" for an event of whole days), SUMMARY
// as Who (capitalised as typed names are), LOCATION as Where, DESCRIPTION as
// Notes, each cut to its field's limit with a note in the report. A
// repeating event (RRULE, RDATE, EXDATE, and occurrences moved by
// RECURRENCE-ID) gives one record per occurrence from `today` for twelve
// months. Events the store already holds (same date, who and time) are
// counted as present, once per stored copy. A calendar this program wrote
// reads back with the times as they were typed.
CalendarImport ReadCalendarForImport(const QString& path, const SchedClass& schedule,
                                     const ZBD_Date& today);

// The changes that store what an import read, one save for all
// (SchedClass::CommitAll): the events go in last first, since the store puts
// an event added later in front of those of its day, so that they stand in
// the file's order.
std::vector<kvr::Change<SchedRecord>> CalendarChanges(const CalendarImport& read);

// Imports the calendar at `path` into `schedule`: a file that cannot be read
// is told, the preview shows what comes in, sched.dat is backed up, and the
// events are stored with one save (all or nothing). True when events were
// stored; the caller then raises the schedule's change signal.
bool ImportCalendar(QWidget* parent, const QString& path, SchedClass& schedule);

} // namespace kui
