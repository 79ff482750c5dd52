#pragma once

#include <map>

#include <QMainWindow>

class KvrClient;
class QAction;
class TKvrWinApp;

// The main frame: the program's title, its menu and the client area in
// which the views open. Closing it ends the program.
class TKvrFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit TKvrFrame(TKvrWinApp& app);
    ~TKvrFrame() override;
    Q_DISABLE_COPY_MOVE(TKvrFrame)

    KvrClient* Client() const { return client_; }
    // The menu item of a command, or null.
    QAction* Action(int commandId) const;
    // Enables the items of the commands the client can carry out.
    void UpdateCommands();

private:
    void BuildMenu();
    QAction* AddCommand(QMenu* menu, const QString& text, int commandId);

    KvrClient* client_;
    std::map<int, QAction*> actions_;
};
