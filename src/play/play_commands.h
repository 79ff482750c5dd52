// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QString;
class QWidget;
class TKvrWinApp;

namespace kui {

class CommandTable;

// The play commands' identifiers. The seven graphs' follow one another in
// the order of the graphs' kinds.
inline constexpr int CmBrowseNotes = 11845;
inline constexpr int CmRecordNotes = 11846;
inline constexpr int CmSpreadsheet = 11848;
inline constexpr int CmTimePlayedSummary =
    11849; // the seven graphs follow in the order of their kinds
inline constexpr int CmTimePlayedByMonth = 11850;
inline constexpr int CmTotalGameRatings = 11851;
inline constexpr int CmStrokeRatings = 11852;
inline constexpr int CmGoalReached = 11853;
inline constexpr int CmChartingGameSummary = 11854;
inline constexpr int CmChartingStrokeSummary = 11855;
inline constexpr int CmSetNewGoals = 11869;
inline constexpr int CmImportOutings = 11870;

// The fixed identifiers of the play views. A graph takes FirstGraphView plus
// its kind (0 to 6), so graphs of different kinds can be open together.
inline constexpr int BrowseNotesView = 3;
inline constexpr int SpreadsheetView = 6;
inline constexpr int FirstGraphView = 20;

// Closes the current goal period into the history and runs the change
// signal, telling the player (under `caption`) when that did not fully work.
// True when the period was closed, even if the data folder could not be
// confirmed on disk afterwards; false when its records are still current.
bool CloseGoalPeriod(QWidget* parent, TKvrWinApp& app, const QString& caption);

// The notes commands in the Data menu, the spreadsheet and the Graphs
// submenu of the Analyze menu.
void AddPlayCommands(CommandTable& table);

} // namespace kui
