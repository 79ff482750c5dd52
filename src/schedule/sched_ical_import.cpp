// SPDX-License-Identifier: GPL-3.0-or-later
#include "schedule/sched_ical_import.h"

#include "core/file_formats.h"
#include "ui/import_preview.h"
#include "ui/import_support.h"
#include "ui/message.h"
#include "ui/text.h"

namespace kui {
namespace {

// What the preview shows of a calendar: every event it stores, with its
// date in words, its time, who and where, as they will be stored.
ImportContent ContentOf(const CalendarImport& read) {
    ImportContent content{read.report, {}};
    content.listing.columns = {QStringLiteral("Date"), QStringLiteral("Time"),
                               QStringLiteral("Who"), QStringLiteral("Where")};
    for (const SchedRecord& event : read.events)
        content.listing.rows.push_back({DateInWords(event.date), FromStored(event.time),
                                        FromStored(event.who), FromStored(event.where)});
    return content;
}

} // namespace

bool ImportCalendar(QWidget* parent, const QString& path, SchedClass& schedule) {
    const QString caption = QStringLiteral("Import Calendar");
    const CalendarImport read = ReadCalendarForImport(path, schedule, ZBD_Date());
    if (!read.error.isEmpty()) {
        Tell(parent, read.error, caption, Icon::Warning);
        return false;
    }
    const kvr::FileFormatRow& format = kvr::FormatRow(kvr::FileFormat::Events);
    const QString noun = QString::fromLatin1(format.name);
    if (!ConfirmImport(parent, caption, noun, ContentOf(read)) || read.events.empty() ||
        !BackUpBeforeImport(parent, format.files, caption, noun))
        return false;
    return CommitAll(parent, schedule, CalendarChanges(read));
}

} // namespace kui
