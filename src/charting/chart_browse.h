// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/child.h"
#include "charting/chart_store.h"
#include "ui/renderer.h"

#include <optional>
#include <utility>

#include <QImage>
#include <QSize>
#include <QStringList>

class QPushButton;

namespace kui {

// What a page of the charting notebook shows.
struct ChartPageData {
    QImage page;                      // the notebook page picture, stretched behind
    bool empty = true;                // no charts at all: only the title
    int pageNumber = 0;               // the page shown, from 1
    std::optional<ChartRecord> chart; // the chart on it, with its totals; none past the end
    // The view's button row, where the page number stands: the page's lines
    // keep above it. A top of -1 puts it at 0.95 of the height, 0.05 high.
    int buttonTop = -1;
    int buttonHeight = 0;
};

// The charting notebook's page: title, the labels of the eighteen counters
// and four derived figures, the chart's values in blue, and the page number.
// The rows are a label font's height apart, the font made smaller when the
// twenty rows would not fit between the page top and the button row.
void DrawChartPage(QPainter& painter, QSize size, const ChartPageData& data);

// The page in words, in reading order: the title, the chart's date,
// opponent and score, then each counter and figure after its label, a line
// of the page at a time, left then right.
QStringList ChartPageLines(const ChartPageData& data);

// Where the notebook's button row of `buttonHeight` starts in a view of
// `size`: the page number's box stands in it.
int ChartButtonTop(QSize size, int buttonHeight);

} // namespace kui

// The charting notebook: the stored charts one per page, in date order.
// The player turns pages (wrapping at both ends), edits or deletes the page
// shown, and finds the next page whose opponent holds a text.
class TKvrChartBrowse : public TKvrChild {
    Q_OBJECT
public:
    TKvrChartBrowse(KvrClient& client, int childId);

    // The page shown, from 0.
    int PageIndex() const { return index_; }
    void NextPage();
    void PreviousPage();
    // Asks, then removes the chart shown and saves chart.dat.
    void DeletePage();
    // The charting dialog on the chart shown.
    void EditPage();
    // Asks for a name and turns to the next page whose opponent holds it.
    void Find();

    kui::ChartPageData Snapshot() const;
    // The top and height of the button row at `size`.
    std::pair<int, int> ButtonRow(QSize size) const;
    void Render(QPainter& painter, QSize size) override;
    kui::ViewText Describe() override;
    void StoresChanged() override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // The page turns, Edit and Delete only with a chart on the page, Find
    // with any chart.
    void ShowButtons();
    void PageChanged();

    int index_ = 0;
    QPushButton* next_;
    QPushButton* previous_;
    QPushButton* edit_;
    QPushButton* delete_;
    QPushButton* find_;
};
