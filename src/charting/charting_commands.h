// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace kui {

class CommandTable;

// Menu command identifiers.
inline constexpr int CmBrowseChartingData = 11868;

// The charting notebook's fixed identifier.
inline constexpr int ChartingNotesView = 7;

// The charting notebook, in the Data menu.
void AddChartingCommands(CommandTable& table);

} // namespace kui
