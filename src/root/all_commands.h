// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace kui {

class CommandTable;

// Adds every subsystem's menus and commands: the one place that knows them
// all. A new command is a row in its subsystem's own Add...Commands. main
// builds the table once and hands it to the application.
void AddAllCommands(CommandTable& table);

} // namespace kui
