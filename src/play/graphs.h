// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/play_store.h"

#include <array>
#include <optional>
#include <vector>

#include <QSize>
#include <QString>

class KVR_ChartClass;
class QPainter;

namespace kui {

// The seven graphs, in the order of the Graphs menu.
enum class GraphKind {
    TimeSummary,
    TimeByMonth,
    GameRatings,
    StrokeRatings,
    Goal,
    ChartingGame,
    ChartingStrokes
};
inline constexpr int kGraphKindCount = 7;

// The window title of a graph.
QString GraphTitle(GraphKind kind);

// The four figures of one charted match that the charting game summary shows.
struct ChartFigures {
    float firstServePercent = 0, returnPercent = 0, totalWinners = 0, totalErrors = 0;
};

// The counters of the charted matches added up, for the two stroke pies.
struct ChartSums {
    int forehandWinners = 0, backhandWinners = 0, aces = 0, volleysWon = 0, returnWinners = 0;
    int forehandErrors = 0, backhandErrors = 0, doubleFaults = 0, volleyErrors = 0,
        returnErrors = 0, approachErrors = 0;
    float totalWinners = 0, totalErrors = 0;
};

// What a graph shows, taken from the play store, the past records and the
// chart store.
struct GraphData {
    GraphKind kind = GraphKind::TimeSummary;
    PlayStatistics stats;
    int monthsCovered = 1;       // bars of the monthly graph (capped at 60 when drawn)
    int currentMonth = 1;        // today's month, 1 to 12: the last monthly bar
    int currentYear = 2000;      // and its year
    int currentRecords = 0;      // outings of the goal period
    std::vector<int> grandTotal; // per rated current record, in store order
    std::vector<std::array<int, kvr::kStrokeCount>> strokeTotal; // the same, by rating row
    std::optional<float> goalProgress;                           // none without rated records
    int chartCount = 0;                                          // charts in the store
    std::vector<ChartFigures> charts; // the newest 30 (or fewer), oldest first
    ChartSums chartSums;              // over the same charts
};

// Takes what graph `kind` shows from the stores: the statistics over the
// play store and the past records `past` as of today, the records' totals and
// the charts. Reads no file and changes nothing.
GraphData TakeGraphData(GraphKind kind, const KVR_PlayData& play, const kvr::PastRecords& past,
                        const KVR_ChartClass& charts);
// The same with the statistics block already taken (statisticsOf over the
// same records as of today), as the views share it.
GraphData TakeGraphData(GraphKind kind, const KVR_PlayData& play, const kvr::PastRecords& past,
                        const PlayStatistics& stats, const KVR_ChartClass& charts);

// Draws the graph over the whole of `size`; a graph with nothing to show
// says what to do instead (EmptyGraphText).
void DrawGraph(QPainter& painter, QSize size, const GraphData& data);

// What a graph with nothing to show says: where the notes or ratings it
// draws are recorded. Empty when it has something to show.
QString EmptyGraphText(const GraphData& data);

// Which bar labels a bar chart shows, from its bars' width in pixels: every
// bar when they are wide, every 2nd, 3rd, ... as they narrow.
int LabelStep(double barWidth);

} // namespace kui
