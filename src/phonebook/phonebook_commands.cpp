#include "phonebook/phonebook_commands.h"

#include "app/command_table.h"

namespace kui {

void AddPhonebookCommands(CommandTable& table) {
    const QStringList utilities{QStringLiteral("&Utilities")};
    table.Add({.id = CmPhonebook,
               .menu = utilities,
               .place = 10,
               .text = QStringLiteral("&Phonebook"),
               .clicks = true});
    table.Add({.id = CmUstaRatings,
               .menu = utilities,
               .place = 30,
               .text = QStringLiteral("&USTA Rating System")});
}

} // namespace kui
