#pragma once

#include <QWidget>

class KvrClient;
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

private:
    KvrClient& client_;
    int childId_;
};
