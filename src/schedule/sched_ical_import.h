// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "formats/ical_read.h"
#include "schedule/sched_store.h"

#include <QString>

class QWidget;

namespace kui {

// Imports the calendar at `path` into `schedule`: a file that cannot be read
// is told, the preview shows what comes in, sched.dat is kept in the day's
// backup (nothing is imported when it cannot be), and the events are stored with one save (all or
// nothing). True when events were stored; the caller then raises the schedule's change signal.
bool ImportCalendar(QWidget* parent, const QString& path, SchedClass& schedule);

} // namespace kui
