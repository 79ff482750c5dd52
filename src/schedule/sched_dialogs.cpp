// SPDX-License-Identifier: GPL-3.0-or-later
#include "schedule/sched_dialogs.h"

#include "phonebook/phone_store.h"
#include "ui/characters_left.h"
#include "ui/form_checks.h"
#include "ui/message.h"
#include "ui/player_list.h"
#include "ui/text.h"

#include <memory>

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QLineEdit* Edit(QWidget* parent, const char* name, int length) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaxLength(length);
    return edit;
}

TPlayerList* WhoList(QWidget* parent, int length) {
    auto* who = new TPlayerList(parent);
    who->setObjectName(QStringLiteral("who"));
    who->lineEdit()->setMaxLength(length);
    who->setMinimumContentsLength(length);
    who->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return who;
}

} // namespace

TSchedAddDlg::TSchedAddDlg(QWidget* parent, const std::vector<std::string>& players,
                           const ZBD_Date& date)
    : FormDialog(parent) {
    record_.date = date.Text();
    Build(players, false);
}

TSchedAddDlg::TSchedAddDlg(QWidget* parent, const std::vector<std::string>& players,
                           const SchedRecord& event)
    : FormDialog(parent) {
    record_.Assign(event);
    Build(players, true);
}

void TSchedAddDlg::Build(const std::vector<std::string>& players, bool stored) {
    editing_ = stored;
    setWindowTitle(stored ? QStringLiteral("Edit Scheduled Tennis")
                          : QStringLiteral("Schedule Tennis"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    date_ = Edit(this, "date", kDateLength);
    date_->setText(kui::FromStored(record_.date));
    form->addRow(QStringLiteral("&Date:"), date_);
    time_ = Edit(this, "time", kTimeLength);
    time_->setText(kui::FromStored(record_.time));
    form->addRow(QStringLiteral("&Time:"), kui::WithCharactersLeft(time_, kTimeLength));
    who_ = WhoList(this, kWhoLength);
    who_->FillPlayers(players, kui::FromStored(record_.who));
    form->addRow(QStringLiteral("W&ho:"), kui::WithCharactersLeft(who_, kWhoLength));
    where_ = Edit(this, "where", kWhereLength);
    where_->setText(kui::FromStored(record_.where));
    form->addRow(QStringLiteral("&Where:"), kui::WithCharactersLeft(where_, kWhereLength));
    // The notes keep to their limit as they are typed.
    notes_ = new kui::NotesEdit(kNotesLength, this);
    notes_->setObjectName(QStringLiteral("notes"));
    kui::WrapWithoutScrolling(*notes_);
    notes_->setPlainText(kui::FromStored(record_.notes));
    notes_->setFixedHeight(notes_->fontMetrics().lineSpacing() * 4);
    form->addRow(QStringLiteral("&Notes:"), kui::WithCharactersLeft(notes_, kNotesLength));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("ok"));
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancel"));
    delete_ = buttons->addButton(QStringLiteral("De&lete"), QDialogButtonBox::DestructiveRole);
    delete_->setObjectName(QStringLiteral("delete"));
    // Only a stored event with a Who can be deleted.
    delete_->setEnabled(stored && !record_.who.empty());
    connect(buttons, &QDialogButtonBox::accepted, this, &TSchedAddDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(delete_, &QPushButton::clicked, this, &TSchedAddDlg::DeleteEvent);
    layout->addWidget(buttons);
    kui::NameFieldsByTheirLabels(*this);
    who_->setFocus();

    // A stored text longer than its field is shown cut; it is kept whole
    // unless the player changes the field.
    stored_.Remember(time_, record_.time);
    stored_.Remember(who_, record_.who);
    stored_.Remember(where_, record_.where);
    stored_.Remember(notes_, record_.notes);
}

void TSchedAddDlg::Missing(const QString& text, QWidget* field) {
    kui::Tell(this, text, QStringLiteral("Missing Data Field"));
    field->setFocus();
}

void TSchedAddDlg::accept() {
    // An event is planned ahead: a later date is what it usually has.
    const std::optional<ZBD_Date> date =
        kui::CheckedDate(*this, *date_, kui::ToStored(date_->text().trimmed()));
    if (!date)
        return;
    SchedRecord typed;
    typed.date = date->Text();
    typed.who = stored_.Value(who_, kui::ToStored(who_->currentText().left(kWhoLength)));
    typed.time = stored_.Value(time_, kui::ToStored(time_->text()));
    typed.where = stored_.Value(where_, kui::ToStored(where_->text()));
    typed.notes = stored_.Value(notes_, kui::ToStored(notes_->toPlainText().left(kNotesLength)));
    // A stored event may keep a field empty that was empty when the form
    // opened (an imported event without a place or notes); a field the
    // player empties must be filled again.
    auto missing = [&](const std::string& value, const std::string& opened) {
        return value.empty() && !(editing_ && opened.empty());
    };
    if (missing(typed.who, record_.who))
        return Missing(QStringLiteral("Who are you playing?"), who_);
    if (missing(typed.time, record_.time))
        return Missing(QStringLiteral("What Time?"), time_);
    if (missing(typed.where, record_.where))
        return Missing(QStringLiteral("Where?"), where_);
    if (missing(typed.notes, record_.notes))
        return Missing(QStringLiteral("Please enter notes"), notes_);
    changed_ = typed.date != record_.date || typed.who != record_.who ||
               typed.time != record_.time || typed.where != record_.where ||
               typed.notes != record_.notes;
    if (stored_.Touched(who_))
        SchedClass::CapitalizeWords(typed.who);
    typed_ = typed;
    Submit();
}

void TSchedAddDlg::DeleteEvent() {
    if (!delete_->isEnabled() || !kui::AskOkCancel(this,
                                                   kui::AboutWhat(QStringLiteral("Delete Event?"),
                                                                  {kui::FromStored(record_.date),
                                                                   kui::FromStored(record_.time),
                                                                   kui::FromStored(record_.who)}),
                                                   QStringLiteral("Delete?"), kui::Default::No))
        return;
    Submit(Request::Delete);
}

TSchedFindDlg::TSchedFindDlg(QWidget* parent, const KVR_PhoneData& phones, const QString& fromDate)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Scheduler Search"));
    auto* layout = new QVBoxLayout(this);
    auto* question = new QLabel(QStringLiteral("Who do you want to Find?"), this);
    layout->addWidget(question);
    who_ = WhoList(this, TSchedAddDlg::kWhoLength);
    who_->FillPlayers(phones.Names(), QString());
    question->setBuddy(who_);
    layout->addWidget(who_);
    auto* form = new QFormLayout;
    fromDate_ = Edit(this, "fromDate", TSchedAddDlg::kDateLength);
    fromDate_->setText(fromDate);
    form->addRow(QStringLiteral("&From Date:"), fromDate_);
    layout->addLayout(form);
    forward_ = new QRadioButton(QStringLiteral("F&orward"), this);
    forward_->setObjectName(QStringLiteral("forward"));
    forward_->setChecked(true);
    auto* backward = new QRadioButton(QStringLiteral("&Backward"), this);
    backward->setObjectName(QStringLiteral("backward"));
    auto* directions = new QHBoxLayout;
    directions->addWidget(forward_);
    directions->addWidget(backward);
    layout->addLayout(directions);
    layout->addWidget(kui::OkCancelButtons(*this));
    who_->setFocus();
}

void TSchedFindDlg::accept() {
    if (kui::CheckedDate(*this, *fromDate_, kui::ToStored(fromDate_->text().trimmed())))
        QDialog::accept();
}

QString TSchedFindDlg::Who() const {
    return who_->currentText();
}

QString TSchedFindDlg::FromDate() const {
    return fromDate_->text();
}

bool TSchedFindDlg::Forward() const {
    return forward_->isChecked();
}
