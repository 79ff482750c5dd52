// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/app_commands.h"

#include "app/about_dialog.h"
#include "app/application.h"
#include "app/change_name_dialog.h"
#include "app/client.h"
#include "app/command_table.h"
#include "core/coach_file.h"
#include "ui/message.h"
#include "ui/text.h"

namespace kui {

namespace {

// Asks for the player's new name, opened on the one in use, and keeps it in
// coach.dat; the name plate and every view that shows it follow. A name
// left as it was stores nothing; a failed save is told and the dialog stays
// open with what was typed.
void ChangeName(KvrClient& client) {
    TKvrWinApp& app = client.App();
    TChangeNameDlg dialog(client.window(), app.PlayerName());
    bool stored = false;
    dialog.Run([&](FormDialog::Request) {
        if (dialog.Name() == app.PlayerName())
            return true;
        if (!kvr::WritePlayerName(ToStored(dialog.Name()))) {
            TellSaveFailed(&dialog);
            return false;
        }
        app.NamedInCoachFile(dialog.Name());
        stored = true;
        return true;
    });
    if (stored)
        app.RecordsChanged(Store::Coach);
}

} // namespace

void AddAppCommands(CommandTable& table) {
    int place = 0;
    for (const char* title : {"&Utilities", "&Data", "&Analyze", "&Tips/Drills", "&Printouts",
                              "&Window", "&Help", "&Quit"})
        table.AddMenu({QString::fromLatin1(title)}, place += 10);

    // Beside the rating system, among the player's own things.
    table.Add({.id = CmChangeName,
               .menu = {QStringLiteral("&Utilities")},
               .place = 40,
               .text = QStringLiteral("Change &Name..."),
               .handler = ChangeName});

    const QStringList window{QStringLiteral("&Window")};
    table.Add({.id = CmCascade,
               .menu = window,
               .place = 10,
               .text = QStringLiteral("&Cascade"),
               .handler = [](KvrClient& client) { client.Cascade(); }});
    table.Add({.id = CmTile,
               .menu = window,
               .place = 20,
               .text = QStringLiteral("&Tile"),
               .handler = [](KvrClient& client) { client.tileSubWindows(); }});
    table.Add({.id = CmArrangeIcons,
               .menu = window,
               .place = 30,
               .text = QStringLiteral("Arrange &Icons"),
               .handler = [](KvrClient& client) { client.ArrangeIcons(); }});

    const QStringList help{QStringLiteral("&Help")};
    table.Add({.id = CmOnlineManual,
               .menu = help,
               .place = 10,
               .text = QStringLiteral("&Online Manual"),
               .handler = [](KvrClient& client) { client.ShowManual(); },
               .shortcut = QKeySequence(Qt::Key_F1)});
    table.Add({.id = CmAbout,
               .menu = help,
               .place = 20,
               .text = QStringLiteral("&About .."),
               .handler = [](KvrClient& client) {
                   TAboutDlg about(&client);
                   RunModal(about);
               }});

    // The same as the window's own close: the main window closes and the
    // program ends.
    table.Add({.id = CmQuit,
               .menu = {QStringLiteral("&Quit")},
               .place = 10,
               .text = QStringLiteral("&Quit"),
               .handler =
                   [](KvrClient& client) {
                       if (client.window())
                           client.window()->close();
                   },
               .shortcut = QKeySequence(Qt::CTRL | Qt::Key_Q)});
}

} // namespace kui
