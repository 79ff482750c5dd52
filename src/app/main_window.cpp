// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"

#include "app/app_commands.h"
#include "app/application.h"
#include "app/child.h"
#include "app/client.h"
#include "app/command_table.h"

#include <algorithm>

#include <QAbstractButton>
#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>

namespace {

// The settings file of the main window's place: kavora/kavora.conf in the
// user's config folder ($XDG_CONFIG_HOME, else ~/.config).
QSettings WindowSettings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("kavora"),
                     QStringLiteral("kavora"));
}

const QString kGeometryKey = QStringLiteral("MainWindow/geometry");
const QString kMaximizedKey = QStringLiteral("MainWindow/maximized");

} // namespace

QRect kui::FitInside(QRect window, QMargins frame, QRect available) {
    const QRect room = available.marginsRemoved(frame);
    if (room.isEmpty())
        return {available.topLeft(), window.size().boundedTo(available.size())};
    window.setSize(window.size().boundedTo(room.size()));
    window.moveLeft(std::clamp(window.left(), room.left(), room.right() + 1 - window.width()));
    window.moveTop(std::clamp(window.top(), room.top(), room.bottom() + 1 - window.height()));
    return window;
}

TKvrFrame::TKvrFrame(TKvrWinApp& app, kui::CommandTable commands) : client_(nullptr) {
    setObjectName(QStringLiteral("mainFrame"));
    setWindowTitle(app.Title());
    setWindowIcon(QApplication::windowIcon());
    client_ = new KvrClient(app, std::move(commands), this);
    client_->setWindowIcon(windowIcon());
    setCentralWidget(client_);
    BuildMenu();
    UpdateCommands();
    AddViewKeys();
    RestoreWindowPlace();
}

void TKvrFrame::RestoreWindowPlace() {
    QSettings settings = WindowSettings();
    QRect place = settings.value(kGeometryKey).toRect();
    if (!place.isValid()) // the first place is the frame's, as the window moves
        place = kui::kFirstWindowPlace.translated(kui::kFrameAllowance.left(),
                                                  kui::kFrameAllowance.top());
    // The screen the place is on; one that is no longer there gives way to
    // the primary screen, and the window comes back onto it.
    QScreen* screen = QGuiApplication::screenAt(place.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen)
        place = kui::FitInside(place, kui::kFrameAllowance, screen->availableGeometry());
    setGeometry(place);
    if (settings.value(kMaximizedKey, false).toBool())
        setWindowState(windowState() | Qt::WindowMaximized);
}

void TKvrFrame::SaveWindowPlace() const {
    QSettings settings = WindowSettings();
    // The size it has when not maximised, so that it comes back to it.
    settings.setValue(kGeometryKey, normalGeometry().isValid() ? normalGeometry() : geometry());
    settings.setValue(kMaximizedKey, isMaximized());
    settings.sync();
}

void TKvrFrame::closeEvent(QCloseEvent* event) {
    SaveWindowPlace();
    QMainWindow::closeEvent(event);
}

TKvrFrame::~TKvrFrame() {
    // The views close after the menus are gone: no list to update then.
    disconnect(client_, nullptr, this, nullptr);
}

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

void TKvrFrame::AddViewKeys() {
    auto add = [this](const QKeySequence& keys, auto slot) {
        auto* action = new QAction(this);
        action->setShortcut(keys);
        connect(action, &QAction::triggered, client_, slot);
        addAction(action);
    };
    add(QKeySequence(Qt::CTRL | Qt::Key_Tab), &QMdiArea::activateNextSubWindow);
    add(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), &QMdiArea::activatePreviousSubWindow);
    add(QKeySequence(Qt::CTRL | Qt::Key_Backtab), &QMdiArea::activatePreviousSubWindow);

    if (QAction* cascade = Action(kui::CmCascade))
        windowMenu_ = qobject_cast<QMenu*>(cascade->parent());
    if (windowMenu_) {
        connect(windowMenu_, &QMenu::aboutToShow, this, &TKvrFrame::UpdateWindowList);
        connect(client_, &QMdiArea::subWindowActivated, this, &TKvrFrame::UpdateWindowList);
    }
}

void TKvrFrame::UpdateWindowList() {
    // An item of the list may be the one being chosen right now: it leaves
    // the menu at once and is deleted once its signal is done.
    for (const QPointer<QAction>& item : std::as_const(windowList_)) {
        if (!item)
            continue;
        if (windowMenu_)
            windowMenu_->removeAction(item);
        item->deleteLater();
    }
    windowList_.clear();
    if (!windowMenu_)
        return;
    const QList<QMdiSubWindow*> windows = client_->subWindowList(QMdiArea::CreationOrder);
    if (windows.isEmpty())
        return;
    windowList_ << windowMenu_->addSeparator();
    int number = 0;
    for (QMdiSubWindow* window : windows) {
        ++number;
        QString title = window->widget() ? window->widget()->windowTitle() : QString();
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        // The first nine are chosen by their digit.
        QAction* item =
            windowMenu_->addAction(number < 10 ? QStringLiteral("&%1 %2").arg(number).arg(title)
                                               : QStringLiteral("%1 %2").arg(number).arg(title));
        item->setCheckable(true);
        item->setChecked(window == client_->activeSubWindow());
        connect(item, &QAction::triggered, client_, [this, window = QPointer(window)] {
            if (!window)
                return;
            if (window->isMinimized())
                window->showNormal();
            client_->setActiveSubWindow(window);
        });
        windowList_ << item;
    }
}

bool TKvrFrame::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
        const auto& key = *static_cast<QKeyEvent*>(event);
        // Ctrl+F4 closes the active view. Taken here, before the shortcuts,
        // where each view's frame has one of its own for it.
        if (key.keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_F4) &&
            client_->activeSubWindow()) {
            event->accept();
            if (event->type() == QEvent::KeyPress)
                client_->closeActiveSubWindow();
            return true;
        }
        TKvrChild* view = client_->ActiveView();
        QAbstractButton* button = view ? view->MnemonicButton(key) : nullptr;
        if (button) {
            // Taken before the menu bar's shortcuts see it; the key press
            // that follows presses the button.
            event->accept();
            if (event->type() == QEvent::KeyPress)
                button->click();
            return true;
        }
    }
    return QMainWindow::event(event);
}
