#include "schedule/schedule_commands.h"

#include "app/command_table.h"

namespace kui {

void AddScheduleCommands(CommandTable& table) {
    table.Add({.id = CmScheduler,
               .menu = {QStringLiteral("&Utilities")},
               .place = 20,
               .text = QStringLiteral("&Scheduler"),
               .clicks = true});
}

} // namespace kui
