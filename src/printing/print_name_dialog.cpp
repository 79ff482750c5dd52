// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing/print_name_dialog.h"

#include "phonebook/phone_store.h"
#include "ui/message.h"
#include "ui/player_list.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

MPrintNameDlg::MPrintNameDlg(QWidget* parent, const KVR_PhoneData& phones) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Printout - Match Notes"));
    auto* layout = new QVBoxLayout(this);
    auto* criteria = new QGroupBox(QStringLiteral("Report Criteria"), this);
    auto* choices = new QVBoxLayout(criteria);
    allMatches_ = new QRadioButton(QStringLiteral("&All Matches"), criteria);
    allMatches_->setObjectName(QStringLiteral("allMatches"));
    specificOpponent_ = new QRadioButton(QStringLiteral("&Specific Opponent"), criteria);
    specificOpponent_->setObjectName(QStringLiteral("specificOpponent"));
    opponent_ = new TPlayerList(criteria);
    opponent_->setObjectName(QStringLiteral("opponentFilter"));
    opponent_->FillPlayers(phones.Names(), QString());
    opponent_->lineEdit()->setMaxLength(kNameLength);
    opponent_->setMinimumContentsLength(kNameLength);
    opponent_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    choices->addWidget(allMatches_);
    choices->addWidget(specificOpponent_);
    choices->addWidget(opponent_);
    layout->addWidget(criteria);

    // The list of names shows only while a specific opponent is asked for.
    allMatches_->setChecked(true);
    opponent_->setVisible(false);
    connect(specificOpponent_, &QRadioButton::toggled, this, [this](bool on) {
        opponent_->setVisible(on);
        if (on)
            opponent_->setFocus();
    });

    QDialogButtonBox* buttons = kui::OkCancelButtons(*this);
    QPushButton* preview =
        buttons->addButton(QStringLiteral("Pre&view"), QDialogButtonBox::ActionRole);
    preview->setObjectName(QStringLiteral("preview"));
    connect(preview, &QPushButton::clicked, this, [this] { done(kPreview); });
    layout->addWidget(buttons);
}

QString MPrintNameDlg::OpponentFilter() const {
    // A name left in the hidden list after "All Matches" was chosen again
    // does not narrow the report.
    if (!specificOpponent_->isChecked())
        return {};
    return opponent_->currentText().trimmed();
}
