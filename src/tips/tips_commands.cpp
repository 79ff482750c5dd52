#include "tips/tips_commands.h"

#include "app/command_table.h"

namespace kui {

void AddTipsCommands(CommandTable& table) {
    const QStringList tips{QStringLiteral("&Tips/Drills")};
    table.Add({.id = CmTipsLookup,
               .menu = tips,
               .place = 10,
               .text = QStringLiteral("&Lookup"),
               .clicks = true});
    table.Add({.id = CmTipsAdd,
               .menu = tips,
               .place = 20,
               .text = QStringLiteral("&Add"),
               .clicks = true});
}

} // namespace kui
