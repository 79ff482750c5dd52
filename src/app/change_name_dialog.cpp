// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/change_name_dialog.h"

#include "app/application.h"
#include "ui/characters_left.h"
#include "ui/message.h"
#include "ui/text.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

TChangeNameDlg::TChangeNameDlg(QWidget* parent, const QString& current)
    : FormDialog(parent), field_(new QLineEdit(this)) {
    setWindowTitle(QStringLiteral("Change Name"));
    field_->setObjectName(QStringLiteral("playerName"));
    field_->setMaxLength(TKvrWinApp::kMaxNameLength);
    field_->setText(current);
    field_->selectAll();
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("Your &name:"),
                 kui::WithCharactersLeft(field_, TKvrWinApp::kMaxNameLength));
    form->addRow(kui::OkCancelButtons(*this));
    kui::NameFieldsByTheirLabels(*this);
    setMinimumWidth(320);
}

void TChangeNameDlg::accept() {
    const QString name = kui::LeftCharacters(field_->text().trimmed(), TKvrWinApp::kMaxNameLength);
    if (name.isEmpty()) {
        kui::Tell(this, QStringLiteral("Please enter a Name"),
                  QStringLiteral("Missing Data Field"));
        field_->setFocus();
        return;
    }
    name_ = name;
    Submit();
}
