#include "charting/charting_commands.h"

#include "app/command_table.h"

namespace kui {

void AddChartingCommands(CommandTable& table) {
    table.Add({.id = CmBrowseChartingData,
               .menu = {QStringLiteral("&Data")},
               .place = 30,
               .text = QStringLiteral("Browse &Charting Data"),
               .clicks = true});
}

} // namespace kui
