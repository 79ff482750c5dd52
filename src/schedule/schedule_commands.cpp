// SPDX-License-Identifier: GPL-3.0-or-later
#include "schedule/schedule_commands.h"

#include "app/application.h"
#include "app/client.h"
#include "app/command_table.h"
#include "app/data_stores.h"
#include "schedule/sched_ical_import.h"
#include "schedule/sched_view.h"
#include "ui/button_row.h"
#include "ui/import_preview.h"

namespace kui {

namespace {

// Opens the scheduler, or brings it forward.
void OpenScheduler(KvrClient& client) {
    client.OpenView(SchedulerView, [&client] { return new TKvrSchedWin(client); });
}

} // namespace

namespace {

// The scheduler as it opens: this month.
std::optional<Picture> SchedulerPicture(const ViewSources& sources) {
    const SchedClass& store = sources.stores.Schedule();
    return [&store](QPainter& painter, QSize size) {
        DrawSchedulerMonth(
            painter, size,
            SchedulerMonth(store, CalendarBase(), size, SmallestButtonHeight(), -1, -1));
    };
}

} // namespace

void ImportCalendarFile(QWidget* parent, TKvrWinApp& app) {
    const QString path =
        AskFileToImport(parent, QStringLiteral("Import Calendar"), kvr::FileFormat::Events);
    if (!path.isEmpty() && ImportCalendar(parent, path, app.SchedStore()))
        app.RecordsChanged(Store::Schedule);
}

void AddScheduleCommands(CommandTable& table) {
    table.Add({.id = CmScheduler,
               .menu = {QStringLiteral("&Utilities")},
               .place = 20,
               .text = QStringLiteral("&Scheduler"),
               .clicks = true,
               .handler = OpenScheduler});
    table.AddView({.name = QStringLiteral("scheduler"),
                   .make = [](KvrClient& client) { return new TKvrSchedWin(client); },
                   .picture = SchedulerPicture});
    // Beside Import Outings, where a player looks for imports.
    table.Add({.id = CmImportCalendar,
               .menu = {QStringLiteral("&Data")},
               .place = 52,
               .text = QStringLiteral("Import Ca&lendar..."),
               .handler = [](KvrClient& client) { ImportCalendarFile(&client, client.App()); }});
}

} // namespace kui
