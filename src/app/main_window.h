// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>

#include <QList>
#include <QMainWindow>
#include <QMargins>
#include <QPointer>
#include <QRect>

class KvrClient;
class QAction;
class QMenu;
class TKvrWinApp;

namespace kui {
struct CommandRow;
class CommandTable;

// Where the main window opens the first time: 600 by 550, its frame at
// (10, 5).
inline constexpr QRect kFirstWindowPlace(10, 5, 600, 550);

// What a window manager's frame adds around a window that has not been shown
// yet (a title bar and thin edges), in the screen's logical pixels.
inline constexpr QMargins kFrameAllowance(4, 30, 4, 4);

// `window` (a window's area without its frame) moved and, where it must be,
// made smaller, so that with `frame` around it it lies inside `available`:
// a window never opens larger than the screen or off it.
QRect FitInside(QRect window, QMargins frame, QRect available);
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
    // Keeps the window's size, place and whether it is maximised in the
    // player's settings (the user's config folder, not the data folder), for
    // the next start.
    void SaveWindowPlace() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    // Alt and a letter: the active view's button that underlines it, or
    // else the menu bar's menu. Ctrl+F4: closes the active view.
    bool event(QEvent* event) override;

private:
    // Opens where the window was last closed, or at the first place; either
    // way inside the screen the place is on (or the primary screen).
    void RestoreWindowPlace();

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
