// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include <QString>

class SchedClass;
struct SchedRecord;

namespace kui {

// The scheduled events as an iCalendar file (RFC 5545) that a phone or
// desktop calendar imports: one event per scheduled date, starting at its
// time when the time reads as a clock time (6:30 pm, 18:30) and lasting the
// whole day otherwise, with its place and notes. The file is replaced
// atomically; false when it could not be written.
bool ExportCalendar(const QString& path, const SchedClass& store);
// The calendar's text, as written.
std::string CalendarText(const SchedClass& store);

// The minutes after midnight of a clock time typed as free text, or -1.
int ClockMinutes(const std::string& time);

// The property of an exported event that holds its time as typed.
inline constexpr const char* kTimeProperty = "X-KAVORA-TIME";
// The product identifier of the calendars the program writes.
inline constexpr const char* kCalendarProductId = "-//Kavora//Scheduler//EN";

} // namespace kui
