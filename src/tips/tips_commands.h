// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace kui {

class CommandTable;

// Menu command identifiers.
inline constexpr int CmTipsLookup = 11863;
inline constexpr int CmTipsAdd = 11864;

// The tips view's fixed identifier, shared by lookup and add: either
// replaces an open tips view.
inline constexpr int TipsView = 5;

// The Tips/Drills menu.
void AddTipsCommands(CommandTable& table);

} // namespace kui
