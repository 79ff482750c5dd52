// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace kui {

class CommandTable;

// The commands of the main window itself: arranging the views, help,
// changing the player's name and leaving the program.
inline constexpr int CmOnlineManual = 11860;
inline constexpr int CmAbout = 11861;
inline constexpr int CmQuit = 11862;
inline constexpr int CmCascade = 11865;
inline constexpr int CmTile = 11866;
inline constexpr int CmArrangeIcons = 11867;
inline constexpr int CmChangeName = 11873;

// The menu bar's menus, in the bar's order, and the main window's own
// commands.
void AddAppCommands(CommandTable& table);

} // namespace kui
