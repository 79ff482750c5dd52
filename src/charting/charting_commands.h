// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

struct ChartRecord;
struct PlayRecord;
class QWidget;
class TKvrWinApp;

namespace kui {

class CommandTable;

// Menu command identifiers.
inline constexpr int CmBrowseChartingData = 11868;

// The charting notebook's fixed identifier.
inline constexpr int ChartingNotesView = 7;

// The charting notebook, in the Data menu.
void AddChartingCommands(CommandTable& table);

// Charts a match just saved: runs the charting dialog for the record's date,
// opponent and score, under the doubles rules for a doubles record, and
// stores the chart. Returns true when a chart was stored; the change signal
// then ran.
bool RunChartingDialog(QWidget* parent, TKvrWinApp& app, const PlayRecord& record);

// Edits the stored chart `chart`, checked under the rules it was stored
// under (those of its match when the goal period still holds it). Returns
// true when the change was saved; the change signal then ran.
bool RunChartEditDialog(QWidget* parent, TKvrWinApp& app, ChartRecord& chart);

} // namespace kui
