#pragma once

class QWidget;
class TKvrWinApp;
struct PlayRecord;

namespace kui {

// Runs the charting dialog for the match `record` logs (its date, opponents,
// and the doubles rules for a doubles record): on a valid OK one chart is
// added to the chart store and saved. True when a chart was stored.
bool RunChartingDialog(QWidget* parent, TKvrWinApp& app, const PlayRecord& record);

} // namespace kui
