#pragma once

#include <QSize>
#include <QWidget>

class KvrClient;
class QPainter;
class QMdiSubWindow;
class TKvrWinApp;

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

    // Draws the whole view at `size`: takes a snapshot of what it shows from
    // the stores and hands it to the view's renderer. The paint, the picture
    // a player saves or copies and the command line's rendering all call it,
    // so they show the same thing.
    virtual void Render(QPainter& painter, QSize size) = 0;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    KvrClient& client_;
    int childId_;
};
