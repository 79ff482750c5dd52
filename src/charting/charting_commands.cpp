// SPDX-License-Identifier: GPL-3.0-or-later
#include "charting/charting_commands.h"

#include "app/client.h"
#include "app/command_table.h"
#include "charting/chart_browse.h"

namespace kui {

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
    table.AddView({.name = QStringLiteral("charts"), .make = [](KvrClient& client) {
                       return new TKvrChartBrowse(client, ChartingNotesView);
                   }});
}

} // namespace kui
