// SPDX-License-Identifier: GPL-3.0-or-later
#include "phonebook/phonebook_commands.h"

#include "app/application.h"
#include "app/client.h"
#include "app/command_table.h"
#include "app/data_stores.h"
#include "phonebook/phone_dialogs.h"
#include "phonebook/phone_view.h"
#include "phonebook/vcard_import.h"
#include "ui/button_row.h"
#include "ui/drawing.h"
#include "ui/import_preview.h"
#include "ui/message.h"

namespace kui {

namespace {

// The phone book as it opens: the first entry, with its figures.
std::optional<Picture> PhonebookPicture(const ViewSources& sources) {
    KVR_PhoneData& phones = sources.stores.Phones();
    phones.ComputeAllStats(sources.stores.Play());
    PhonePageData page;
    if (const PhoneRecord* entry = phones.At(0))
        page.entry = *entry;
    return [page](QPainter& painter, QSize size) mutable {
        page.buttonTop = PhoneButtonTop(size, ButtonRowHeight(Frac(size.height(), 0.06)));
        DrawPhonePage(painter, size, page);
    };
}

} // namespace

bool ImportContactsFile(QWidget* parent, TKvrWinApp& app) {
    const QString path =
        AskFileToImport(parent, QStringLiteral("Import Contacts"), kvr::FileFormat::Entries);
    KVR_PhoneData& phones = app.PhoneStore();
    if (path.isEmpty() || !ImportContacts(parent, path, phones))
        return false;
    // The figures of the new and changed entries, in one pass.
    phones.ComputeAllStats(app.PlayStore());
    app.RecordsChanged(Store::Phone);
    return true;
}

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
                   .make = [](KvrClient& client) { return new TKvrPhoneWin(client); },
                   .picture = PhonebookPicture});
    table.Add({.id = CmUstaRatings,
               .menu = utilities,
               .place = 30,
               .text = QStringLiteral("&USTA Rating System"),
               .handler = [](KvrClient& client) {
                   TUSTA_Ratings dialog(&client);
                   RunModal(dialog);
               }});
    // Beside Import Outings, where a player looks for imports.
    table.Add({.id = CmImportContacts,
               .menu = {QStringLiteral("&Data")},
               .place = 54,
               .text = QStringLiteral("Import C&ontacts..."),
               .handler = [](KvrClient& client) { ImportContactsFile(&client, client.App()); }});
}

} // namespace kui
