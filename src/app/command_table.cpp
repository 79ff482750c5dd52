// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_table.h"

#include <algorithm>

#include <QtGlobal>

namespace kui {

bool CommandTable::HasMenu(const QStringList& path) const {
    return std::any_of(menus_.begin(), menus_.end(),
                       [&](const MenuRow& menu) { return menu.path == path; });
}

void CommandTable::AddMenu(QStringList path, int place) {
    if (path.isEmpty() || HasMenu(path) ||
        (path.size() > 1 && !HasMenu(path.mid(0, path.size() - 1))))
        qFatal("CommandTable: menu '%s' is a duplicate or has no parent",
               qPrintable(path.join(QStringLiteral(" > "))));
    menus_.push_back({std::move(path), place});
}

void CommandTable::Add(CommandRow row) {
    if (Find(row.id))
        qFatal("CommandTable: command %d is added twice", row.id);
    if (!HasMenu(row.menu))
        qFatal("CommandTable: command %d names the unknown menu '%s'", row.id,
               qPrintable(row.menu.join(QStringLiteral(" > "))));
    rows_.push_back(std::move(row));
}

void CommandTable::AddView(ViewRow view) {
    if (view.name.isEmpty() || FindView(view.name) || !view.make || !view.picture)
        qFatal("CommandTable: view '%s' is added twice or has no maker", qPrintable(view.name));
    views_.push_back(std::move(view));
}

const ViewRow* CommandTable::FindView(const QString& name) const {
    auto found = std::find_if(views_.begin(), views_.end(),
                              [&](const ViewRow& view) { return view.name == name; });
    return found == views_.end() ? nullptr : &*found;
}

const CommandRow* CommandTable::Find(int id) const {
    auto found = std::find_if(rows_.begin(), rows_.end(),
                              [id](const CommandRow& row) { return row.id == id; });
    return found == rows_.end() ? nullptr : &*found;
}

std::vector<CommandTable::Entry> CommandTable::Entries(const QStringList& menu) const {
    struct Placed {
        int place;
        Entry entry;
    };
    std::vector<Placed> placed;
    for (const MenuRow& sub : menus_)
        if (sub.path.size() == menu.size() + 1 && sub.path.mid(0, menu.size()) == menu)
            placed.push_back({sub.place, {&sub, nullptr}});
    for (const CommandRow& row : rows_)
        if (row.menu == menu)
            placed.push_back({row.place, {nullptr, &row}});
    std::stable_sort(placed.begin(), placed.end(),
                     [](const Placed& a, const Placed& b) { return a.place < b.place; });
    std::vector<Entry> entries;
    for (const Placed& p : placed)
        entries.push_back(p.entry);
    return entries;
}

} // namespace kui
