// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;
class TKvrWinApp;

namespace kui {

class CommandTable;

// Menu command identifiers.
inline constexpr int CmScheduler = 11843;
inline constexpr int CmImportCalendar = 11871;

// The scheduler view's fixed identifier.
inline constexpr int SchedulerView = 2;

// The scheduler, in the Utilities menu, and Import Calendar in the Data menu.
void AddScheduleCommands(CommandTable& table);

// Import Calendar: asks for the file, previews and stores its events, and
// raises the change signal when it stored any. The menu's and the
// scheduler's right-click menu's.
void ImportCalendarFile(QWidget* parent, TKvrWinApp& app);

} // namespace kui
