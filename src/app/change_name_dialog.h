// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/form_dialog.h"

#include <QString>

class QLineEdit;

// "Change Name": the player's name, opened on the name in use. OK refuses a
// name of blanks; the command that runs it then keeps Name() in coach.dat.
// The name follows the first run's rules: without surrounding blanks, at
// most TKvrWinApp::kMaxNameLength characters.
class TChangeNameDlg : public kui::FormDialog {
    Q_OBJECT
public:
    TChangeNameDlg(QWidget* parent, const QString& current);
    Q_DISABLE_COPY_MOVE(TChangeNameDlg)

    // The name as typed at the last OK that passed the check.
    const QString& Name() const { return name_; }

    void accept() override;

private:
    QString name_;
    QLineEdit* field_;
};
