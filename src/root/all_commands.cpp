// SPDX-License-Identifier: GPL-3.0-or-later
#include "root/all_commands.h"

#include "app/app_commands.h"
#include "app/command_table.h"
#include "charting/charting_commands.h"
#include "phonebook/phonebook_commands.h"
#include "play/play_commands.h"
#include "printing/printing_commands.h"
#include "schedule/schedule_commands.h"
#include "tips/tips_commands.h"

namespace kui {

void AddAllCommands(CommandTable& table) {
    AddAppCommands(table);
    AddPhonebookCommands(table);
    AddScheduleCommands(table);
    AddPlayCommands(table);
    AddChartingCommands(table);
    AddTipsCommands(table);
    AddPrintingCommands(table);
}

} // namespace kui
