// SPDX-License-Identifier: GPL-3.0-or-later
#include "schedule/schedule_commands.h"

#include "app/client.h"
#include "app/command_table.h"
#include "schedule/sched_view.h"

namespace kui {

namespace {

// Opens the scheduler, or brings it forward.
void OpenScheduler(KvrClient& client) {
    client.OpenView(SchedulerView, [&client] { return new TKvrSchedWin(client); });
}

} // namespace

void AddScheduleCommands(CommandTable& table) {
    table.Add({.id = CmScheduler,
               .menu = {QStringLiteral("&Utilities")},
               .place = 20,
               .text = QStringLiteral("&Scheduler"),
               .clicks = true,
               .handler = OpenScheduler});
    table.AddView({.name = QStringLiteral("scheduler"),
                   .make = [](KvrClient& client) { return new TKvrSchedWin(client); }});
}

} // namespace kui
