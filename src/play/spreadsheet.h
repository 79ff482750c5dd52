// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/child.h"
#include "ui/renderer.h"
#include "ui/view_text.h"

#include <array>
#include <vector>

#include <QString>

class KVR_PlayData;
struct PlayStatistics;
class QMenu;
class QScrollBar;

namespace kui {

// One record column of the spreadsheet: the record's rating totals.
struct SpreadsheetColumn {
    std::array<int, 6> strokes{}; // Forehand, Backhand, Serve, Return, Approach, Volley
    std::array<int, 4> levels{};  // Consistency, Placement, Spin, Power
    int grandTotal = 0;
};

// Hours and results of one column of the playing-time table.
struct PlayingTime {
    float match = 0, practice = 0, lessons = 0, total = 0;
    int wins = 0, losses = 0, undecided = 0;
};

// What the spreadsheet shows, taken from the play store and its statistics.
struct SpreadsheetData {
    QString playerName;
    QString firstDate; // the oldest current record's date; empty without records
    std::vector<SpreadsheetColumn> columns;
    std::array<float, 6> strokeAverages{}; // in the order of SpreadsheetColumn::strokes
    std::array<float, 4> levelAverages{};
    float totalGameRating = 0;
    PlayingTime current, year, all;
};

// Which of `count` records (oldest first) the spreadsheet's twelve columns
// show: all of them up to twelve, otherwise twelve spread evenly over the
// period, the last column always the newest record.
std::vector<int> SpreadsheetColumnRecords(int count);

// The snapshot of the current goal period, from the store's records and the
// statistics block `stats` taken over them.
SpreadsheetData SpreadsheetSnapshot(const KVR_PlayData& play, const PlayStatistics& stats,
                                    const QString& playerName);

// The least size the sheet is drawn at: its text (a 27th of the height) stays
// at kSmallestText and its average letter (a 65th of the width) five pixels
// wide. A smaller view shows part of the sheet and scrolls.
QSize SpreadsheetLeastSize();

// The stroke-ratings table with its averages and the playing-time table,
// scaled to `size`, or drawn at SpreadsheetLeastSize from the top left of a
// smaller area.
void DrawSpreadsheet(QPainter& painter, QSize size, const SpreadsheetData& data);

// The two tables the spreadsheet shows, as text: the stroke ratings (a
// column per record column and the averages, a row per stroke, the total
// game and the levels) and the playing time (current period, this year and
// all, by kind, with the wins, losses and undecided outings).
std::vector<ViewTable> SpreadsheetTables(const SpreadsheetData& data);

// Writes every current record's ratings to `path` as comma-separated values
// (UTF-8, a header row, then one row per record, newest first). False when
// the file could not be written; an existing file is then left as it was.
bool ExportSpreadsheetCsv(const QString& path, const KVR_PlayData& play);

} // namespace kui

// The stroke ratings of the current goal period record by record, their
// averages and the hours played: the "Spread Sheet" view. It draws from a
// snapshot taken when it opens and on every change signal, so a paint reads
// no file.
class TKvrSpreadSheet : public TKvrChild {
    Q_OBJECT
public:
    explicit TKvrSpreadSheet(KvrClient& client);

    void Render(QPainter& painter, QSize size) override;
    // Takes the snapshot again: the statistics over the play store and the
    // store's copy of the history.
    void StoresChanged() override;
    kui::ViewText Describe() override;
    // What the sheet shows: the snapshot taken on the last change, with the
    // player's name as it stands.
    kui::SpreadsheetData Snapshot();
    // Asks for a file name and writes the current period's ratings there as
    // comma-separated values; a failure is told.
    void ExportCsv();

protected:
    // "Export CSV..." after the picture's entries.
    void AddContextActions(QMenu& menu) override;
    void resizeEvent(QResizeEvent* event) override;
    // The wheel, the arrow keys, Page Up and Page Down, Home and End scroll
    // a sheet larger than the view.
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Shows the scroll bars the sheet needs at the view's size.
    void PlaceScrollBars();
    // The bar of `orientation`, made when first needed.
    QScrollBar* ScrollBar(Qt::Orientation orientation);
    bool Shows(const QScrollBar* bar) const;

    kui::SpreadsheetData sheet_;
    QScrollBar* across_ = nullptr;
    QScrollBar* down_ = nullptr;
};
