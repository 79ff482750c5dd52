// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>

#include <QList>
#include <QMainWindow>
#include <QPointer>

class KvrClient;
class QAction;
class QMenu;
class TKvrWinApp;

namespace kui {
struct CommandRow;
class CommandTable;
} // namespace kui

// The main frame: the program's title, its menu and the client area in
// which the views open. Closing it ends the program.
class TKvrFrame : public QMainWindow {
    Q_OBJECT
public:
    // The menu is built from `commands`, which the client then carries out.
    TKvrFrame(TKvrWinApp& app, kui::CommandTable commands);
    ~TKvrFrame() override;
    Q_DISABLE_COPY_MOVE(TKvrFrame)

    KvrClient* Client() const { return client_; }
    // The menu item of a command, or null.
    QAction* Action(int commandId) const;
    // Enables the items of the commands that have a handler.
    void UpdateCommands();

protected:
    // Alt and a letter: the active view's button that underlines it, or
    // else the menu bar's menu. Ctrl+F4: closes the active view.
    bool event(QEvent* event) override;

private:
    // Ctrl+Tab and Ctrl+Shift+Tab step through the views; the Window
    // menu lists them.
    void AddViewKeys();
    // The Window menu's list of the open views, numbered, the active one
    // checked, under the menu's commands.
    void UpdateWindowList();

    // Builds the menu bar from the client's command table.
    void BuildMenu();
    void FillMenu(QMenu* menu, const kui::CommandTable& table, const QStringList& path);
    void AddCommand(QMenu* menu, const kui::CommandRow& row);

    KvrClient* client_;
    std::map<int, QAction*> actions_;
    QPointer<QMenu> windowMenu_;
    QList<QPointer<QAction>> windowList_;
};
