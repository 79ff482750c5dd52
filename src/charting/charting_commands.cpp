// SPDX-License-Identifier: GPL-3.0-or-later
#include "charting/charting_commands.h"

#include "app/application.h"
#include "app/client.h"
#include "app/command_table.h"
#include "app/data_stores.h"
#include "charting/chart_browse.h"
#include "charting/chart_store.h"
#include "charting/charting_dialog.h"
#include "core/play_store.h"
#include "ui/button_row.h"
#include "ui/drawing.h"
#include "ui/message.h"
#include "ui/notebook_page.h"

namespace kui {
bool RunChartingDialog(QWidget* parent, TKvrWinApp& app, const PlayRecord& record) {
    TChartingDlg dialog(parent, record.date, record.who, record.score,
                        record.IsDoubles() ? 'D' : 'S');
    KVR_ChartClass& charts = app.ChartStore();
    const int result = dialog.Run([&](FormDialog::Request) {
        // A failed save leaves the store as chart.dat holds it, so another
        // OK cannot store the chart twice, and the dialog keeps its values.
        return Commit(&dialog, charts, kvr::Added(dialog.Chart()));
    });
    if (result != QDialog::Accepted)
        return false;
    app.RecordsChanged(Store::Chart);
    return true;
}

bool RunChartEditDialog(QWidget* parent, TKvrWinApp& app, ChartRecord& chart) {
    // The doubles rules ask less; a chart stored under them may break the
    // singles rules. Its match, when the goal period still holds it, says
    // which it was; otherwise a chart that breaks the singles rules as
    // stored was a doubles one.
    char playKind = 'S';
    const PlayRecord* match = nullptr;
    const KVR_PlayData& play = app.PlayStore();
    for (unsigned i = 0; i < play.Count() && !match; ++i) {
        const PlayRecord* record = play.At(static_cast<int>(i));
        if (record->date == chart.date && record->who == chart.opponent && record->IsMatch())
            match = record;
    }
    if (match) {
        if (match->IsDoubles())
            playKind = 'D';
    } else {
        ChartRecord stored = chart;
        std::string message;
        if (!KVR_ChartClass::Validate(stored, message, 'S'))
            playKind = 'D';
    }
    TChartingDlg dialog(parent, chart, playKind);
    KVR_ChartClass& charts = app.ChartStore();
    const int result = dialog.Run([&](FormDialog::Request) {
        return Commit(&dialog, charts, kvr::Updated(chart, dialog.Chart()));
    });
    if (result != QDialog::Accepted)
        return false;
    app.RecordsChanged(Store::Chart);
    return true;
}

namespace {

// The charting notebook as it opens: the first chart.
std::optional<Picture> ChartsPicture(const ViewSources& sources) {
    const KVR_ChartClass& charts = sources.stores.Charts();
    return [&charts](QPainter& painter, QSize size) {
        ChartPageData page;
        page.page = NotebookPageImage(size, DrawingScale(painter));
        page.empty = charts.Count() == 0;
        page.pageNumber = 1;
        if (const ChartRecord* chart = charts.At(0))
            page.chart = *chart;
        page.buttonHeight = ButtonRowHeight(Frac(size.height(), 0.05));
        page.buttonTop = ChartButtonTop(size, page.buttonHeight);
        DrawChartPage(painter, size, page);
    };
}

} // namespace

void AddChartingCommands(CommandTable& table) {
    table.Add({.id = CmBrowseChartingData,
               .menu = {QStringLiteral("&Data")},
               .place = 30,
               .text = QStringLiteral("Browse &Charting Data"),
               .clicks = true,
               .handler = [](KvrClient& client) {
                   client.OpenView(ChartingNotesView, [&client] {
                       return new TKvrChartBrowse(client, ChartingNotesView);
                   });
               }});
    table.AddView(
        {.name = QStringLiteral("charts"),
         .make = [](KvrClient& client) { return new TKvrChartBrowse(client, ChartingNotesView); },
         .picture = ChartsPicture});
}

} // namespace kui
