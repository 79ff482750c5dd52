// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"

#include "app/application.h"
#include "app/client.h"
#include "app/command_table.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

TKvrFrame::TKvrFrame(TKvrWinApp& app) : client_(nullptr) {
    setObjectName(QStringLiteral("mainFrame"));
    setWindowTitle(app.Title());
    setWindowIcon(QApplication::windowIcon());
    client_ = new KvrClient(app, this);
    client_->setWindowIcon(windowIcon());
    setCentralWidget(client_);
    BuildMenu();
    UpdateCommands();
    move(10, 5);
    resize(600, 550);
}

TKvrFrame::~TKvrFrame() = default;

QAction* TKvrFrame::Action(int commandId) const {
    auto found = actions_.find(commandId);
    return found == actions_.end() ? nullptr : found->second;
}

void TKvrFrame::UpdateCommands() {
    for (auto& [id, action] : actions_) {
        const kui::CommandRow* row = client_->Commands().Find(id);
        action->setEnabled(row && row->Enabled());
    }
}

void TKvrFrame::AddCommand(QMenu* menu, const kui::CommandRow& row) {
    QAction* action = menu->addAction(row.text);
    const int commandId = row.id;
    action->setData(commandId);
    action->setObjectName(QStringLiteral("command%1").arg(commandId));
    if (!row.shortcut.isEmpty())
        action->setShortcut(row.shortcut);
    connect(action, &QAction::triggered, client_,
            [this, commandId] { client_->Command(commandId); });
    actions_[commandId] = action;
}

void TKvrFrame::FillMenu(QMenu* menu, const kui::CommandTable& table, const QStringList& path) {
    for (const kui::CommandTable::Entry& entry : table.Entries(path)) {
        if (entry.menu)
            FillMenu(menu->addMenu(entry.menu->path.last()), table, entry.menu->path);
        else
            AddCommand(menu, *entry.command);
    }
}

void TKvrFrame::BuildMenu() {
    const kui::CommandTable& table = client_->Commands();
    for (const kui::CommandTable::Entry& entry : table.Entries({}))
        if (entry.menu)
            FillMenu(menuBar()->addMenu(entry.menu->path.last()), table, entry.menu->path);
}
