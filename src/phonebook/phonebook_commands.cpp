// SPDX-License-Identifier: GPL-3.0-or-later
#include "phonebook/phonebook_commands.h"

#include "app/client.h"
#include "app/command_table.h"
#include "phonebook/phone_dialogs.h"
#include "phonebook/phone_view.h"
#include "ui/message.h"

namespace kui {

void AddPhonebookCommands(CommandTable& table) {
    const QStringList utilities{QStringLiteral("&Utilities")};
    table.Add({.id = CmPhonebook,
               .menu = utilities,
               .place = 10,
               .text = QStringLiteral("&Phonebook"),
               .clicks = true,
               .handler = [](KvrClient& client) {
                   client.OpenView(PhonebookView, [&client] { return new TKvrPhoneWin(client); });
               }});
    table.AddView({.name = QStringLiteral("phonebook"),
                   .make = [](KvrClient& client) { return new TKvrPhoneWin(client); }});
    table.Add({.id = CmUstaRatings,
               .menu = utilities,
               .place = 30,
               .text = QStringLiteral("&USTA Rating System"),
               .handler = [](KvrClient& client) {
                   TUSTA_Ratings dialog(&client);
                   RunModal(dialog);
               }});
}

} // namespace kui
