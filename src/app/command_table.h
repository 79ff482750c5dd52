// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/image_export.h"

#include <functional>
#include <optional>
#include <vector>

#include <QKeySequence>
#include <QString>
#include <QStringList>

class KvrClient;
class TKvrChild;

namespace kui {

class DataStores;

// What a menu command does, given the client area it was chosen in (through
// which it reaches the application object, its stores and the open views).
using CommandHandler = std::function<void(KvrClient&)>;

// One menu command: where it stands in the menu, whether it clicks, and
// what it does. A command without a handler is shown disabled.
struct CommandRow {
    int id = 0;               // the command identifier, also the action's data
    QStringList menu;         // the menu titles from the bar down, e.g. {"&Analyze", "&Graphs"}
    int place = 0;            // its position in that menu: smaller places come first
    QString text;             // the item's text
    bool clicks = false;      // plays the click sound before the handler runs
    CommandHandler handler{}; // empty: the command does not work yet
    QKeySequence shortcut{};  // none by default

    bool Enabled() const { return static_cast<bool>(handler); }
};

// What a view is drawn from without a window: stores loaded on their own
// (no application object) and the player's name.
struct ViewSources {
    DataStores& stores;
    QString playerName;
};

// A view drawn as it opens, without a window, a client or an application
// object: its snapshot taken from `sources` and handed to its renderer, the
// same snapshot and renderer the view's Render uses. Nothing when the view
// cannot be drawn (the reason told through ui/message.h).
using ViewPicture = std::function<std::optional<Picture>(const ViewSources& sources)>;

// A view that can be drawn by name (the command line's --render): `make`
// builds the view over the client, `picture` draws it without one.
struct ViewRow {
    QString name; // the command-line name, e.g. "notes"
    std::function<TKvrChild*(KvrClient&)> make;
    ViewPicture picture;
};

// A menu of the bar (one title) or a submenu (its parent's titles, then its own).
struct MenuRow {
    QStringList path;
    int place = 0; // its position among its parent's entries
};

// Every menu and command of the main window. Each subsystem adds its own
// rows from its own folder; the main window builds its menu from the table
// and the client carries the commands out through it.
class CommandTable {
public:
    // A menu must be added before the menus and commands inside it. A
    // duplicate command identifier or an unknown menu ends the program: it
    // is a mistake in the table, found the first time the window is made.
    void AddMenu(QStringList path, int place);
    void Add(CommandRow row);
    // A duplicate view name ends the program, as a duplicate command does.
    void AddView(ViewRow view);

    // The command with this identifier, or null.
    const CommandRow* Find(int id) const;
    const std::vector<CommandRow>& Rows() const { return rows_; }
    // The view with this name, or null; every view in the order added.
    const ViewRow* FindView(const QString& name) const;
    const std::vector<ViewRow>& Views() const { return views_; }

    // An entry of a menu: a submenu or a command.
    struct Entry {
        const MenuRow* menu = nullptr;
        const CommandRow* command = nullptr;
    };
    // The entries directly inside `menu` (the bar's menus for an empty
    // path), by place; at the same place submenus come first, then the
    // commands in the order they were added.
    std::vector<Entry> Entries(const QStringList& menu) const;

private:
    bool HasMenu(const QStringList& path) const;

    std::vector<MenuRow> menus_;
    std::vector<CommandRow> rows_;
    std::vector<ViewRow> views_;
};

} // namespace kui
