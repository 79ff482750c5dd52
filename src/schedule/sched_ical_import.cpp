// SPDX-License-Identifier: GPL-3.0-or-later
#include "schedule/sched_ical_import.h"

#include "core/file_formats.h"
#include "ui/import_preview.h"
#include "ui/import_support.h"
#include "ui/message.h"

namespace kui {

bool ImportCalendar(QWidget* parent, const QString& path, SchedClass& schedule) {
    const QString caption = QStringLiteral("Import Calendar");
    const CalendarImport read = ReadCalendarForImport(path, schedule, ZBD_Date());
    if (!read.error.isEmpty()) {
        Tell(parent, read.error, caption, Icon::Warning);
        return false;
    }
    const kvr::FileFormatRow& format = kvr::FormatRow(kvr::FileFormat::Events);
    const QString noun = QString::fromLatin1(format.name);
    if (!ConfirmImport(parent, caption, read.report, noun) || read.events.empty() ||
        !BackUpBeforeImport(parent, format.files, caption, noun))
        return false;
    return CommitAll(parent, schedule, CalendarChanges(read));
}

} // namespace kui
