// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QLineEdit;

// Asks a new player for his name on the first run.
class TWelcomeDlg : public QDialog {
    Q_OBJECT
public:
    explicit TWelcomeDlg(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TWelcomeDlg)

    // The name typed, without surrounding blanks, at most 24 characters.
    QString PlayerName() const;

private:
    QLineEdit* name_;
};
