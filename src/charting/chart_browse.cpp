// SPDX-License-Identifier: GPL-3.0-or-later
#include "charting/chart_browse.h"

#include "app/application.h"
#include "app/client.h"
#include "ui/drawing.h"
#include "ui/message.h"

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

QString FromStored(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

void DrawChartPage(QPainter& painter, QSize size, const ChartPageData& data) {
    const int w = size.width();
    const int h = size.height();
    painter.save();
    if (!data.page.isNull())
        painter.drawImage(QRect(0, 0, w, h), data.page);
    const int pageTop = Frac(h, 0.3);

    painter.setPen(Qt::black);
    UseScaledFont(painter, size, 25, 55);
    DrawText(painter, Frac(w, 0.5), pageTop, QStringLiteral("Match Charting Notes"), Align::Center);
    if (data.empty) {
        painter.restore();
        return;
    }

    const int row = UseScaledFont(painter, size, 30, 65);
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
        UseScaledFont(painter, size, 30, 65);
        const auto values = Values(chart);
        for (size_t i = 0; i < values.size(); ++i) {
            const int y = pageTop + kCounterRows[i].row * row;
            DrawText(painter, Frac(w, 0.4), y, values[i].first);
            DrawText(painter, Frac(w, 0.8), y, values[i].second);
        }
    }

    // The page number in a grey box between the page-turn buttons.
    const int boxTop = Frac(h, 0.95);
    RaisedPanel(painter, Frac(w, 0.45), boxTop, Frac(w, 0.55), boxTop + Frac(h, 0.05), LightGrey());
    painter.setPen(Qt::black);
    UseScaledFont(painter, size, 30, 80);
    DrawText(painter, Frac(w, 0.5), boxTop + 3, QStringLiteral("pg %1").arg(data.pageNumber),
             Align::Center);
    painter.restore();
}

} // namespace kui

TKvrChartBrowse::TKvrChartBrowse(KvrClient& client, int childId)
    : TKvrChild(client, childId, QStringLiteral("Browse Charting Notes")),
      next_(new QPushButton(QStringLiteral("&>>"), this)),
      previous_(new QPushButton(QStringLiteral("&<<"), this)),
      edit_(new QPushButton(QStringLiteral("&Edit"), this)),
      delete_(new QPushButton(QStringLiteral("&Delete"), this)),
      find_(new QPushButton(QStringLiteral("&Find"), this)) {
    next_->setObjectName(QStringLiteral("next"));
    previous_->setObjectName(QStringLiteral("previous"));
    edit_->setObjectName(QStringLiteral("edit"));
    delete_->setObjectName(QStringLiteral("delete"));
    find_->setObjectName(QStringLiteral("find"));
    next_->setDefault(true);
    // Charts are edited nowhere yet: the button is there, greyed.
    edit_->setEnabled(false);
    connect(next_, &QPushButton::clicked, this, &TKvrChartBrowse::NextPage);
    connect(previous_, &QPushButton::clicked, this, &TKvrChartBrowse::PreviousPage);
    connect(delete_, &QPushButton::clicked, this, &TKvrChartBrowse::DeletePage);
    connect(find_, &QPushButton::clicked, this, &TKvrChartBrowse::Find);
    setFocusPolicy(Qt::StrongFocus);
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
    ChartRecord removed = *shown;
    charts.RemoveAt(index_);
    if (charts.Save() != 1) {
        // chart.dat still holds the chart: keep it on the page as well.
        charts.AddCopy(removed);
        kui::Tell(this, QStringLiteral("Error saving data!"), {}, kui::Icon::Warning);
    }
    // The last page gone: show the new last page rather than a page past the end.
    const int count = static_cast<int>(charts.Count());
    if (index_ >= count)
        index_ = count > 0 ? count - 1 : 0;
    // The charting graphs count the charts too.
    Client().RefreshAll();
    PageChanged();
}

void TKvrChartBrowse::Find() {
    kui::Tell(this, QStringLiteral("Not ready yet"), QStringLiteral("chart find"));
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

void TKvrChartBrowse::Render(QPainter& painter, QSize size) {
    kui::DrawChartPage(painter, size, Snapshot());
}

void TKvrChartBrowse::resizeEvent(QResizeEvent* event) {
    TKvrChild::resizeEvent(event);
    const int w = width();
    const int h = height();
    const int top = kui::Frac(h, 0.95);
    const int buttonWidth = kui::Frac(w, 0.1);
    const int buttonHeight = kui::Frac(h, 0.05);
    previous_->setGeometry(kui::Frac(w, 0.35), top, buttonWidth, buttonHeight);
    next_->setGeometry(kui::Frac(w, 0.55), top, buttonWidth, buttonHeight);
    // The other three stand in a row at the right of the page-turn buttons.
    edit_->setGeometry(kui::Frac(w, 0.69), top, buttonWidth, buttonHeight);
    delete_->setGeometry(kui::Frac(w, 0.79), top, buttonWidth, buttonHeight);
    find_->setGeometry(kui::Frac(w, 0.89), top, buttonWidth, buttonHeight);
}

void TKvrChartBrowse::PageChanged() {
    update();
    setFocus();
}
