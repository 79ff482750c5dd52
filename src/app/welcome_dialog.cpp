// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/welcome_dialog.h"

#include "app/application.h"
#include "ui/characters_left.h"
#include "ui/text.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TWelcomeDlg::TWelcomeDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Welcome"));
    setObjectName(QStringLiteral("welcomeDialog"));

    auto* greeting = new QLabel(
        QStringLiteral("Welcome to The Kavora.  This program is designed to help you maximize "
                       "your tennis workouts and focus you on becoming a better player.  The "
                       "better you become, the more you'll enjoy playing."),
        this);
    greeting->setObjectName(QStringLiteral("greeting"));
    greeting->setWordWrap(true);

    auto* prompt = new QLabel(QStringLiteral("Please type your name in the field below."), this);
    prompt->setObjectName(QStringLiteral("prompt"));

    name_ = new QLineEdit(this);
    name_->setObjectName(QStringLiteral("playerName"));
    name_->setMaxLength(TKvrWinApp::kMaxNameLength);
    prompt->setBuddy(name_);

    auto* play = new QPushButton(QStringLiteral("Let's Play Tennis"), this);
    play->setObjectName(QStringLiteral("okButton"));
    play->setDefault(true);
    connect(play, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(greeting);
    layout->addSpacing(8);
    layout->addWidget(prompt);
    layout->addWidget(kui::WithCharactersLeft(name_, TKvrWinApp::kMaxNameLength));
    layout->addSpacing(8);
    layout->addWidget(play, 0, Qt::AlignHCenter);
    kui::NameFieldsByTheirLabels(*this);
    setMinimumWidth(360);
}

QString TWelcomeDlg::PlayerName() const {
    return kui::LeftCharacters(name_->text().trimmed(), TKvrWinApp::kMaxNameLength);
}
