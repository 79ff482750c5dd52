// SPDX-License-Identifier: GPL-3.0-or-later
#include "charting/chart_browse.h"

#include "app/application.h"
#include "app/client.h"
#include "charting/charting_commands.h"
#include "play/find_dialog.h"
#include "ui/button_row.h"
#include "ui/drawing.h"
#include "ui/message.h"
#include "ui/notebook_page.h"
#include "ui/text.h"

#include <algorithm>
#include <tuple>

#include <QFontMetricsF>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>

namespace kui {
namespace {

const QColor kBlue(0, 0, 255);

// One row of the page: its number in label rows, the left and right labels
// and the values shown after them.
struct PageRow {
    int row;
    const char* left;
    const char* right;
};

constexpr PageRow kCounterRows[] = {
    {5, "1st Serve Attempts:  ", "Return Attempts:  "},
    {6, "1st Serves In:  ", "Returns In:  "},
    {7, "Aces:  ", "Return Winners:  "},
    {8, "Double Faults:  ", "Return Errors:  "},
    {10, "Forehand Winners:  ", "Backhand Winners:  "},
    {11, "Forehand Errors:  ", "Backhand Errors:  "},
    {13, "Volleys Won:  ", "Approach Attempts:  "},
    {14, "Volleys Lost:  ", "Times Passed:  "},
    {15, "Volley Errors:  ", "Approach Errors:  "},
    {18, "1st Serve %:  ", "Return %:  "},
    {19, "Total Winners:  ", "Total Errors:  "},
};

// The values of the rows above, left and right, as the page writes them.
std::vector<std::pair<QString, QString>> Values(const ChartRecord& c) {
    auto counts = [](int left, int right) {
        return std::pair(QString::asprintf("%2d", left), QString::asprintf("%2d", right));
    };
    return {counts(c.firstServeAttempts, c.returnAttempts),
            counts(c.firstServesIn, c.returnsIn),
            counts(c.aces, c.returnWinners),
            counts(c.doubleFaults, c.returnErrors),
            counts(c.forehandWinners, c.backhandWinners),
            counts(c.forehandErrors, c.backhandErrors),
            counts(c.volleysWon, c.approachAttempts),
            counts(c.volleysLost, c.approachesPassed),
            counts(c.volleyErrors, c.approachErrors),
            {QString::asprintf("%2.1f", static_cast<double>(c.firstServePercent)),
             QString::asprintf("%2.1f", static_cast<double>(c.returnPercent))},
            {QString::asprintf("%3.0f", static_cast<double>(c.totalWinners)),
             QString::asprintf("%3.0f", static_cast<double>(c.totalErrors))}};
}

} // namespace

// What an empty charting notebook says: where a match is charted.
const QString kNoChartsText =
    QStringLiteral("No charted matches yet: Data > Record Notes, record a match and answer Yes "
                   "to \"Continue with Match Charting?\"");

void DrawChartPage(QPainter& painter, QSize size, const ChartPageData& data) {
    const int w = size.width();
    const int h = size.height();
    painter.save();
    if (!data.page.isNull()) {
        // Pixel for pixel when the picture was drawn for this size.
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter.drawImage(QRect(0, 0, w, h), data.page);
    }
    const int pageTop = Frac(h, 0.3);

    painter.setPen(Qt::black);
    UseScaledFont(painter, size, 25, 55);
    DrawText(painter, Frac(w, 0.5), pageTop, QStringLiteral("Match Charting Notes"), Align::Center);
    if (data.empty) {
        UseScaledFont(painter, size, 30, 65);
        DrawWrappedText(painter, Frac(w, 0.1), pageTop + 2 * RowUnit(painter), Frac(w, 0.9),
                        Frac(h, 0.9), kNoChartsText);
        painter.restore();
        return;
    }

    // Each row a label's height below the last, down to the last summary
    // line: the whole table keeps clear of the buttons.
    const int buttonTop = data.buttonTop >= 0 ? data.buttonTop : Frac(h, 0.95);
    const int rowRoom = std::max(1, (buttonTop - pageTop) / 20);
    int labelCell = std::min(h / 30, rowRoom);
    QFont font = ArialFont(labelCell, w / 65, painter.device());
    while (labelCell > 1 && QFontMetricsF(font, painter.device()).height() > rowRoom)
        font = ArialFont(--labelCell, w / 65, painter.device());
    painter.setFont(font);
    const int row = std::min(RowUnit(painter), rowRoom);
    const QFont labelFont = painter.font();
    for (const PageRow& line : kCounterRows) {
        DrawText(painter, Frac(w, 0.4), pageTop + line.row * row, QString::fromLatin1(line.left),
                 Align::Right);
        DrawText(painter, Frac(w, 0.8), pageTop + line.row * row, QString::fromLatin1(line.right),
                 Align::Right);
    }

    if (data.chart) {
        ChartRecord chart = *data.chart;
        chart.ComputeTotals();
        painter.setPen(kBlue);
        UseScaledFont(painter, size, 25, 55);
        DrawText(painter, Frac(w, 0.5), pageTop + static_cast<int>(2.5 * row),
                 FromStored(chart.date) + QStringLiteral("    ") + FromStored(chart.opponent) +
                     QStringLiteral("    ") + FromStored(chart.score),
                 Align::Center);
        painter.setFont(labelFont);
        const auto values = Values(chart);
        for (size_t i = 0; i < values.size(); ++i) {
            const int y = pageTop + kCounterRows[i].row * row;
            DrawText(painter, Frac(w, 0.4), y, values[i].first);
            DrawText(painter, Frac(w, 0.8), y, values[i].second);
        }
    }

    // The page number in a grey box between the page-turn buttons.
    const int boxTop = buttonTop;
    const int boxHeight = data.buttonTop >= 0 ? data.buttonHeight : Frac(h, 0.05);
    RaisedPanel(painter, Frac(w, 0.45), boxTop, Frac(w, 0.55), boxTop + boxHeight, LightGrey());
    // The number legible in the box of a small window, and within it.
    painter.setPen(Qt::black);
    const QString number = QStringLiteral("pg %1").arg(data.pageNumber);
    const int cell = std::min(std::max(h / 30, kSmallestText), boxHeight - 4);
    painter.setFont(ArialFont(cell, cell == h / 30 ? w / 80 : 0, painter.device()));
    NarrowToFit(painter, {number}, Frac(w, 0.55) - Frac(w, 0.45) - 4);
    DrawText(painter, Frac(w, 0.5), boxTop + 3, number, Align::Center);
    painter.restore();
}

QStringList ChartPageLines(const ChartPageData& data) {
    QStringList lines{QStringLiteral("Match Charting Notes")};
    if (data.empty)
        return lines << kNoChartsText;
    if (!data.chart) {
        for (const PageRow& line : kCounterRows)
            lines << QString::fromLatin1(line.left).trimmed()
                  << QString::fromLatin1(line.right).trimmed();
        return lines;
    }
    ChartRecord chart = *data.chart;
    chart.ComputeTotals();
    lines << QStringLiteral("Date: ") + FromStored(chart.date)
          << QStringLiteral("Opponent: ") + FromStored(chart.opponent)
          << QStringLiteral("Score: ") + FromStored(chart.score);
    const auto values = Values(chart);
    for (std::size_t i = 0; i < values.size(); ++i)
        lines << QString::fromLatin1(kCounterRows[i].left).trimmed() + QLatin1Char(' ') +
                     values[i].first.trimmed()
              << QString::fromLatin1(kCounterRows[i].right).trimmed() + QLatin1Char(' ') +
                     values[i].second.trimmed();
    return lines;
}

} // namespace kui

TKvrChartBrowse::TKvrChartBrowse(KvrClient& client, int childId)
    : TKvrChild(client, childId, QStringLiteral("Browse Charting Notes")),
      next_(new QPushButton(QStringLiteral("&>>"), this)),
      previous_(new QPushButton(QStringLiteral("&<<"), this)),
      edit_(new QPushButton(QStringLiteral("&Edit"), this)),
      delete_(new QPushButton(QStringLiteral("De&lete"), this)),
      find_(new QPushButton(QStringLiteral("&Find"), this)) {
    next_->setObjectName(QStringLiteral("next"));
    previous_->setObjectName(QStringLiteral("previous"));
    edit_->setObjectName(QStringLiteral("edit"));
    delete_->setObjectName(QStringLiteral("delete"));
    find_->setObjectName(QStringLiteral("find"));
    next_->setDefault(true);
    connect(next_, &QPushButton::clicked, this, &TKvrChartBrowse::NextPage);
    connect(previous_, &QPushButton::clicked, this, &TKvrChartBrowse::PreviousPage);
    connect(edit_, &QPushButton::clicked, this, &TKvrChartBrowse::EditPage);
    connect(delete_, &QPushButton::clicked, this, &TKvrChartBrowse::DeletePage);
    connect(find_, &QPushButton::clicked, this, &TKvrChartBrowse::Find);
    setFocusPolicy(Qt::StrongFocus);
    // Tab goes through the buttons from left to right, as they stand.
    setTabOrder(delete_, edit_);
    setTabOrder(edit_, previous_);
    setTabOrder(previous_, next_);
    setTabOrder(next_, find_);
    ShowButtons();
    RepaintOn({kui::Store::Chart});
}

void TKvrChartBrowse::NextPage() {
    const int count = static_cast<int>(App().ChartStore().Count());
    if (count == 0)
        return;
    index_ = index_ + 1 >= count ? 0 : index_ + 1;
    PageChanged();
}

void TKvrChartBrowse::PreviousPage() {
    const int count = static_cast<int>(App().ChartStore().Count());
    if (count == 0)
        return;
    index_ = index_ <= 0 || index_ > count ? count - 1 : index_ - 1;
    PageChanged();
}

void TKvrChartBrowse::DeletePage() {
    KVR_ChartClass& charts = App().ChartStore();
    const ChartRecord* shown = charts.At(index_);
    if (!shown || delete_->isHidden())
        return;
    const QString question =
        kui::AboutWhat(QStringLiteral("Are you sure you want to Delete this Page?"),
                       {kui::FromStored(shown->date), kui::FromStored(shown->opponent),
                        kui::FromStored(shown->score)});
    if (!kui::AskYesNo(this, question, QStringLiteral("Delete Charting Notes?"), kui::Default::No))
        return;
    // A delete that cannot be saved keeps the chart on the page.
    if (kui::Commit(this, charts, kvr::Removed(*shown)))
        App().RecordsChanged(kui::Store::Chart);
    // The last page gone: show the new last page rather than a page past the end.
    const int count = static_cast<int>(charts.Count());
    if (index_ >= count)
        index_ = count > 0 ? count - 1 : 0;
    PageChanged();
}

void TKvrChartBrowse::EditPage() {
    ChartRecord* shown = App().ChartStore().At(index_);
    if (!shown || edit_->isHidden())
        return;
    kui::RunChartEditDialog(this, App(), *shown);
    PageChanged();
}

void TKvrChartBrowse::Find() {
    KVR_ChartClass& charts = App().ChartStore();
    if (charts.Count() == 0)
        return;
    TFindDlg dialog(this, App().PhoneStore());
    if (kui::RunModal(dialog) != QDialog::Accepted)
        return;
    const QString text = dialog.Text().trimmed();
    if (!text.isEmpty()) {
        const int found = charts.FindOpponent(kui::ToStored(text), index_);
        if (found >= 0)
            index_ = found;
        else
            kui::Tell(this, QStringLiteral("Didn't find %1 in Charting Notes").arg(text),
                      QStringLiteral("Find"));
    }
    PageChanged();
}

kui::ViewText TKvrChartBrowse::Describe() {
    const kui::ChartPageData page = Snapshot();
    kui::ViewText text;
    text.name = page.empty
                    ? QStringLiteral("No charts")
                    : kui::PageOf(page.pageNumber, static_cast<int>(App().ChartStore().Count()));
    text.lines = kui::ChartPageLines(page);
    return text;
}

kui::ChartPageData TKvrChartBrowse::Snapshot() const {
    kui::ChartPageData page;
    page.page = Client().NotebookPage();
    const KVR_ChartClass& charts = App().ChartStore();
    page.empty = charts.Count() == 0;
    page.pageNumber = index_ + 1;
    if (const ChartRecord* chart = charts.At(index_))
        page.chart = *chart;
    return page;
}

std::pair<int, int> TKvrChartBrowse::ButtonRow(QSize size) const {
    const int height = kui::ButtonRowHeight(*next_, kui::Frac(size.height(), 0.05));
    return {kui::ChartButtonTop(size, height), height};
}

int kui::ChartButtonTop(QSize size, int buttonHeight) {
    // 0.05 of the height at 0.95, or as high as a caption at the smallest
    // legible font needs, on the bottom edge.
    return std::min(kui::Frac(size.height(), 0.95), size.height() - buttonHeight);
}

void TKvrChartBrowse::Render(QPainter& painter, QSize size) {
    kui::ChartPageData page = Snapshot();
    page.page = Client().NotebookPage(size, kui::DrawingScale(painter));
    std::tie(page.buttonTop, page.buttonHeight) = ButtonRow(size);
    kui::DrawChartPage(painter, size, page);
}

// The charts may have changed under the page (a match charted from the
// menu): the buttons follow them.
void TKvrChartBrowse::StoresChanged() {
    ShowButtons();
}

void TKvrChartBrowse::ShowButtons() {
    const KVR_ChartClass& charts = App().ChartStore();
    const bool any = charts.Count() > 0;
    const bool onPage = charts.At(index_) != nullptr;
    previous_->setVisible(any);
    next_->setVisible(any);
    edit_->setVisible(onPage);
    delete_->setVisible(onPage);
    find_->setEnabled(any);
}

void TKvrChartBrowse::resizeEvent(QResizeEvent* event) {
    TKvrChild::resizeEvent(event);
    const int w = width();
    const auto [top, height] = ButtonRow(size());
    auto at = [&](QPushButton* button, double x) {
        return kui::ButtonPlace{button, QRect(kui::Frac(w, x), top, kui::Frac(w, 0.1), height)};
    };
    // The page-turn buttons beside the page number's box; "&Delete" and
    // "&Edit" on the left, "&Find" on the right, all in the row under the
    // page.
    const std::vector<kui::ButtonPlace> before{at(delete_, 0.11), at(edit_, 0.23),
                                               at(previous_, 0.35)};
    const std::vector<kui::ButtonPlace> after{at(next_, 0.55), at(find_, 0.77)};
    std::vector<kui::ButtonPlace> row = before;
    row.insert(row.end(), after.begin(), after.end());
    const int caption = kui::RowCaptionCell(row);
    kui::PlaceButtonRow(before, 0, kui::Frac(w, 0.45), caption);
    kui::PlaceButtonRow(after, kui::Frac(w, 0.55), w, caption);
}

void TKvrChartBrowse::PageChanged() {
    ShowButtons();
    update();
    setFocus();
}
