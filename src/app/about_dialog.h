// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QIcon>

// "About The Kavora": the program's name and motto between two copies of its
// icon, and under them the version and the licence with a link to its text.
class TAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit TAboutDlg(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TAboutDlg)
};

// Where the licence's text is read.
inline constexpr char kLicenceUrl[] = "https://www.gnu.org/licenses/gpl-3.0.html";

// The program's icon: the one the program ships, or a tennis ball drawn
// here when it is not built in.
QIcon ProgramIcon();
