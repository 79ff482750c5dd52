#pragma once

#include <QDialog>
#include <QIcon>

// "About The Kavora": the program's name and motto between two copies of its
// icon.
class TAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit TAboutDlg(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TAboutDlg)
};

// The program's icon: the one the program ships, or a tennis ball drawn
// here when it is not built in.
QIcon ProgramIcon();
