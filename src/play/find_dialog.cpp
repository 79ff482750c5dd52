// SPDX-License-Identifier: GPL-3.0-or-later
#include "play/find_dialog.h"

#include "phonebook/phone_store.h"
#include "ui/message.h"
#include "ui/player_list.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFindDlg::TFindDlg(QWidget* parent, const KVR_PhoneData& phones) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Search"));
    auto* layout = new QVBoxLayout(this);
    auto* question = new QLabel(QStringLiteral("Who do you want to Find?"), this);
    layout->addWidget(question);
    who_ = new TPlayerList(this);
    who_->setObjectName(QStringLiteral("who"));
    who_->FillPlayers(phones.Names(), QString());
    who_->lineEdit()->setMaxLength(kNameLength);
    who_->setMinimumContentsLength(kNameLength);
    who_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    question->setBuddy(who_);
    layout->addWidget(who_);
    layout->addWidget(kui::OkCancelButtons(*this));
    who_->setFocus();
}

QString TFindDlg::Text() const {
    return who_->currentText();
}
