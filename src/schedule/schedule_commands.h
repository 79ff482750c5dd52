// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace kui {

class CommandTable;

// Menu command identifiers.
inline constexpr int CmScheduler = 11843;

// The scheduler view's fixed identifier.
inline constexpr int SchedulerView = 2;

// The scheduler, in the Utilities menu.
void AddScheduleCommands(CommandTable& table);

} // namespace kui
