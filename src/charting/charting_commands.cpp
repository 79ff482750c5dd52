// SPDX-License-Identifier: GPL-3.0-or-later
#include "charting/charting_commands.h"

#include "app/client.h"
#include "app/command_table.h"
#include "app/data_stores.h"
#include "charting/chart_browse.h"
#include "ui/button_row.h"
#include "ui/drawing.h"
#include "ui/notebook_page.h"

namespace kui {

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
