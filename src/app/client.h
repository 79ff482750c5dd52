// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/command_table.h"

#include <functional>
#include <memory>

#include <QImage>
#include <QMdiArea>

class ClickSound;
class HelpViewer;
class QMdiSubWindow;
class TKvrChild;
class TKvrWinApp;

// The client area of the main window. Shows the court behind the views,
// carries out the menu commands and keeps the views, one per identifier. It
// owns the notebook page picture.
class KvrClient : public QMdiArea {
    Q_OBJECT
public:
    // Carries out the commands of `commands` (assembled by main).
    KvrClient(TKvrWinApp& app, kui::CommandTable commands, QWidget* parent = nullptr);
    ~KvrClient() override;
    Q_DISABLE_COPY_MOVE(KvrClient)

    TKvrWinApp& App() const { return app_; }

    // Every menu command, with what it does.
    const kui::CommandTable& Commands() const { return commands_; }
    // Carries out a menu command: the click first for the commands that
    // make it, then the command's handler. A command without a handler (not
    // built yet) does nothing.
    void Command(int commandId);

    // The open view with this identifier, or null.
    TKvrChild* FindView(int childId) const;
    // Brings the view with this identifier forward, restored and focused,
    // or makes it with `make` when none is open. Returns the view, or null
    // when it could not be made.
    TKvrChild* OpenView(int childId, const std::function<TKvrChild*()>& make);
    // Closes the view with this identifier, if one is open.
    void CloseView(int childId);
    // Lines the minimised views up along the bottom of the client area.
    void ArrangeIcons();
    // Lays the views shown (not minimised) over each other, the active one
    // in front, each a title bar's height below and right of the one
    // behind it, so that every title bar shows; each keeps at least half
    // the area's width and height.
    void Cascade();
    // The active view, or null.
    TKvrChild* ActiveView() const;

    // The picture the notebooks and the tips view stretch over their pages.
    const QImage& NotebookPage();
    // That picture drawn for a view of `size` at `scale` device pixels to a
    // pixel, sharp at any screen density (kui::NotebookPageImage). The last
    // few sizes asked for are kept.
    QImage NotebookPage(QSize size, qreal scale);
    void SetClickSound(std::unique_ptr<ClickSound> sound);
    void SetHelpViewer(std::unique_ptr<HelpViewer> help);
    HelpViewer& Help() { return *help_; }

    // Opens the manual at its contents.
    void ShowManual();

signals:
    // After the first paint of the background: the window is on screen.
    void FirstPainted();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The offset from one view to the next in a cascade: a title bar.
    int CascadeStep() const;
    // Gives a new view's window its size and place: three quarters of the
    // area, offset from the view opened last the way a cascade is, back at
    // the top left corner when it would leave the area.
    void PlaceNewWindow(QMdiSubWindow* window);
    // Moves (and if need be shrinks) every view that is not wholly inside
    // the area back into it.
    void KeepViewsInside();

    TKvrWinApp& app_;
    kui::CommandTable commands_;
    std::unique_ptr<ClickSound> sound_;
    std::unique_ptr<HelpViewer> help_;
    QImage notebookPage_;
    struct SizedPage {
        QSize size;
        qreal scale = 1;
        QImage image;
    };
    QList<SizedPage> sizedPages_;
    bool painted_ = false;
};
