// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/image_export.h"
#include "ui/view_text.h"

#include <initializer_list>

#include <QSize>
#include <QWidget>

class KvrClient;
class QAbstractButton;
class QKeyEvent;
class QMenu;
class QPainter;
class QMdiSubWindow;
class TKvrWinApp;
namespace kui {
enum class Store; // app/application.h
} // namespace kui

// The base of every view: a window inside the main window's client area,
// made with a title and a fixed identifier by which the client finds it.
// Closing the window destroys the view.
class TKvrChild : public QWidget {
    Q_OBJECT
public:
    TKvrChild(KvrClient& client, int childId, const QString& title);
    Q_DISABLE_COPY_MOVE(TKvrChild)

    int ChildId() const { return childId_; }
    KvrClient& Client() const { return client_; }
    TKvrWinApp& App() const;
    // The frame around the view in the client area; null until the client
    // has taken the view in.
    QMdiSubWindow* SubWindow() const;
    // Repaints the view whenever the records of one of `stores` change (the
    // application's change signal). Each view names the stores it draws
    // once, in its constructor.
    void RepaintOn(std::initializer_list<kui::Store> stores);

    // Draws the whole view at `size`: takes a snapshot of what it shows from
    // the stores and hands it to the view's renderer. The paint, the picture
    // a player saves or copies and the command line's rendering all call it,
    // so they show the same thing.
    virtual void Render(QPainter& painter, QSize size) = 0;
    // Called by the change signal (RepaintOn) after one of the view's stores
    // changed, before the view is repainted: a view whose snapshot takes work (reading the
    // history's copy, a statistics pass) takes it here, so that a paint only draws.
    virtual void StoresChanged() {}

    // What the view shows, in words for a screen reader, from the same
    // snapshot Render draws (at the view's size). The view's accessible
    // object reads it; nothing by default.
    virtual kui::ViewText Describe();

    // The view's buttons answer Alt and their underlined letter only while
    // the view is active (the main window asks MnemonicButton), not as
    // shortcuts of the whole main window, where they would take the letter
    // from the menu bar and from each other. Called once the view is made.
    void TakeButtonMnemonics();
    // The shown, enabled button whose underlined letter `key` presses with
    // Alt, or null.
    QAbstractButton* MnemonicButton(const QKeyEvent& key) const;

    // The view's context menu (right click, the Menu key or Shift+F10):
    // "Save Image..." and "Copy", then what the view adds.
    void FillContextMenu(QMenu& menu);
    // Opens the context menu at `at` (in the view's coordinates) and
    // returns at once; the menu goes when it closes.
    QMenu* PopUpContextMenu(QPoint at);
    // Asks for a file (PNG, SVG or PDF by its suffix) and a size, the view's
    // own to start with, and saves the picture there; a failure is told.
    void SaveImageAs();
    // Puts the picture, at the view's size, on the clipboard.
    void CopyImage();
    // The view's Render as a picture of any size.
    kui::Picture Picture();

protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // The Menu key and Shift+F10 open the context menu.
    void keyPressEvent(QKeyEvent* event) override;
    // Where a context menu opened from the keyboard stands: the middle of
    // the view, or what the view has in focus.
    virtual QPoint KeyboardMenuPoint() const;
    // Adds the view's own entries to its context menu (e.g. "Export CSV...").
    virtual void AddContextActions(QMenu& menu);

private:
    KvrClient& client_;
    int childId_;
};
