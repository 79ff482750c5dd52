// SPDX-License-Identifier: GPL-3.0-or-later
#include "play/add_play_dialog.h"

#include "app/application.h"
#include "charting/charting_dialog.h"
#include "core/date.h"
#include "core/record_store.h"
#include "phonebook/phone_store.h"
#include "play/play_commands.h"
#include "play/rating_dialog.h"
#include "ui/message.h"
#include "ui/player_list.h"
#include "ui/text.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

namespace {

// A notes field: Tab moves on and Enter presses OK, as in the one-line
// fields, and no more than `limit` characters can be typed or pasted.
class NotesEdit : public QPlainTextEdit {
public:
    NotesEdit(int limit, QWidget* parent) : QPlainTextEdit(parent), limit_(limit) {
        setTabChangesFocus(true);
        setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        connect(this, &QPlainTextEdit::textChanged, this, &NotesEdit::Limit);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            event->ignore(); // the dialog takes it: its default button
            return;
        }
        QPlainTextEdit::keyPressEvent(event);
    }

private:
    void Limit() {
        const QString text = toPlainText();
        if (text.size() <= limit_)
            return;
        const QSignalBlocker quiet(this);
        setPlainText(kui::LeftCharacters(text, limit_));
        moveCursor(QTextCursor::End);
    }

    int limit_;
};

QComboBox* MakeChoice(QWidget* parent, const char* name, std::initializer_list<const char*> items) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    for (const char* item : items)
        box->addItem(QString::fromLatin1(item));
    box->setCurrentIndex(-1);
    return box;
}

// Selects the first item that begins with a record's letter, regardless of
// case ("s" selects "Singles"); none when the letter is missing.
void SelectLetter(QComboBox* box, const std::string& letter) {
    const QString start = kui::FromStored(letter).left(1);
    box->setCurrentIndex(-1);
    if (start.isEmpty())
        return;
    for (int i = 0; i < box->count(); ++i)
        if (box->itemText(i).startsWith(start, Qt::CaseInsensitive)) {
            box->setCurrentIndex(i);
            return;
        }
}

// A choice as stored: the first letter of the item, upper-cased; the first
// item is chosen when none is.
std::string ReadChoice(QComboBox* box) {
    if (box->currentIndex() < 0)
        box->setCurrentIndex(0);
    return kui::ToStored(box->currentText().left(1).toUpper());
}

// Typed text as it may be stored: cut at its limit, on one line, with no
// double quote (the file format cannot hold one inside a field).
std::string Storable(const QString& text, int limit) {
    return kvr::StorableText(kui::ToStored(kui::LeftCharacters(text, limit)));
}

// Names capitalised; no partner or second opponent for singles, no result
// or score but for a match. (The three choices are capital letters already.)
void Clean(PlayRecord& record) {
    KVR_PlayData::CapitalizeWords(record.who);
    KVR_PlayData::CapitalizeWords(record.secondOpponent);
    KVR_PlayData::CapitalizeWords(record.partner);
    if (record.singlesDoubles == "S") {
        record.secondOpponent.clear();
        record.partner.clear();
    }
    if (record.kind != "M") {
        record.result.clear();
        record.score.clear();
    }
}

} // namespace

TAddPlayRecordDlg::TAddPlayRecordDlg(QWidget* parent, TKvrWinApp& app, PlayRecord* edited)
    : QDialog(parent), app_(app), edited_(edited) {
    setWindowTitle(QStringLiteral("Add Play Record"));
    auto* layout = new QVBoxLayout(this);
    form_ = new QFormLayout;
    form_->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form_->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    layout->addLayout(form_);

    const KVR_PhoneData& phones = app.PhoneStore();
    auto makePlayers = [&](const char* name) {
        auto* list = new TPlayerList(this);
        list->setObjectName(QString::fromLatin1(name));
        list->lineEdit()->setMaxLength(kNameLength);
        // As wide as the form, like the other text fields.
        list->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        list->FillPlayers(phones, QString());
        return list;
    };
    auto makeLine = [&](const char* name, int limit) {
        auto* line = new QLineEdit(this);
        line->setObjectName(QString::fromLatin1(name));
        line->setMaxLength(limit);
        return line;
    };

    date_ = makeLine("date", kDateLength);
    date_->setText(kui::FromStored(ZBD_Date().Text()));
    date_->installEventFilter(this);
    singlesDoubles_ = MakeChoice(this, "singlesDoubles", {"Singles", "Doubles"});
    who_ = makePlayers("who");
    secondOpponent_ = makePlayers("secondOpponent");
    partner_ = makePlayers("partner");
    // The second opponent's list stands under the first, without a label.
    secondOpponent_->setAccessibleName(QStringLiteral("2nd Opponent"));
    kind_ = MakeChoice(this, "kind", {"Match", "Practice", "Lesson"});
    result_ = MakeChoice(this, "result", {"Win", "Loss", "Undecided"});
    score_ = makeLine("score", kScoreLength);
    time_ = makeLine("time", kTimeLength);
    time_->setPlaceholderText(QStringLiteral("hours, e.g. 1.5"));
    matchNotes_ = new NotesEdit(kNotesLength, this);
    matchNotes_->setObjectName(QStringLiteral("matchNotes"));
    practiceNotes_ = new NotesEdit(kNotesLength, this);
    practiceNotes_->setObjectName(QStringLiteral("practiceNotes"));
    for (QPlainTextEdit* notes : {matchNotes_, practiceNotes_})
        notes->setFixedHeight(notes->fontMetrics().lineSpacing() * 4 + 2 * notes->frameWidth() + 8);

    form_->addRow(QStringLiteral("&Date:"), date_);
    form_->addRow(QStringLiteral("&S/D:"), singlesDoubles_);
    form_->addRow(QStringLiteral("&Who:"), who_);
    form_->addRow(QString(), secondOpponent_);
    form_->addRow(QStringLiteral("My &Partner:"), partner_);
    form_->addRow(QStringLiteral("&M/P/L:"), kind_);
    form_->addRow(QStringLiteral("W/&L:"), result_);
    form_->addRow(QStringLiteral("Sco&re:"), score_);
    form_->addRow(QStringLiteral("T&ime:"), time_);
    form_->addRow(QStringLiteral("Match &Notes:"), matchNotes_);
    form_->addRow(QStringLiteral("Pr&actice Notes:"), practiceNotes_);

    layout->addWidget(kui::OkCancelButtons(*this, [this] { Ok(); }));

    if (edited_) {
        date_->setText(kui::FromStored(edited_->date));
        SelectLetter(singlesDoubles_, edited_->singlesDoubles);
        SelectLetter(kind_, edited_->kind);
        SelectLetter(result_, edited_->result);
        who_->FillPlayers(phones, kui::FromStored(edited_->who));
        secondOpponent_->FillPlayers(phones, kui::FromStored(edited_->secondOpponent));
        partner_->FillPlayers(phones, kui::FromStored(edited_->partner));
        time_->setText(kui::FromStored(edited_->time));
        score_->setText(kui::FromStored(edited_->score));
        matchNotes_->setPlainText(kui::FromStored(edited_->matchNotes));
        practiceNotes_->setPlainText(kui::FromStored(edited_->practiceNotes));
        ShowFieldsForKind();
    }
    // A new record shows every field until the player chooses or leaves the
    // date.
    connect(singlesDoubles_, &QComboBox::currentIndexChanged, this,
            &TAddPlayRecordDlg::ShowFieldsForKind);
    connect(kind_, &QComboBox::currentIndexChanged, this, &TAddPlayRecordDlg::ShowFieldsForKind);
    date_->setFocus();
    date_->selectAll();
}

bool TAddPlayRecordDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == date_ && event->type() == QEvent::FocusOut)
        ShowFieldsForKind();
    return QDialog::eventFilter(watched, event);
}

// Score, result and match notes for a match only; the second opponent and
// the partner for doubles only. No choice counts as a singles match.
void TAddPlayRecordDlg::ShowFieldsForKind() {
    const bool match = kind_->currentIndex() <= 0;
    form_->setRowVisible(result_, match);
    form_->setRowVisible(score_, match);
    form_->setRowVisible(matchNotes_, match);
    const bool doubles = singlesDoubles_->currentIndex() == 1;
    form_->setRowVisible(secondOpponent_, doubles);
    form_->setRowVisible(partner_, doubles);
}

void TAddPlayRecordDlg::Ok() {
    // An edit starts from the stored record, so that its ratings and every
    // field the dialog does not show are kept.
    if (edited_)
        record_.Assign(*edited_);
    ReadFields();
    if (!Validate())
        return;
    if (edited_) {
        SaveEdit();
        accept();
        return;
    }
    KVR_PlayData& play = app_.PlayStore();
    if (play.Count() >= KVR_PlayData::kGoalPeriodLength) {
        kui::ShowCongratulations(this);
        // A period that could not be closed takes no more records: the
        // dialog stays open with everything typed.
        if (!kui::CloseGoalPeriod(this, app_, QString()))
            return;
    }
    SaveNew();
    if (play.Count() == KVR_PlayData::kGoalPeriodLength)
        kui::ShowCongratulations(this);
    accept();
}

void TAddPlayRecordDlg::ReadFields() {
    record_.date = Storable(date_->text().trimmed(), kDateLength);
    // A comma is read as the decimal mark, as many players type it.
    record_.time =
        Storable(time_->text().trimmed().replace(QLatin1Char(','), QLatin1Char('.')), kTimeLength);
    record_.score = Storable(score_->text(), kScoreLength);
    record_.matchNotes = Storable(matchNotes_->toPlainText(), kNotesLength);
    record_.practiceNotes = Storable(practiceNotes_->toPlainText(), kNotesLength);
    record_.who = Storable(who_->currentText().trimmed(), kNameLength);
    record_.secondOpponent = Storable(secondOpponent_->currentText().trimmed(), kNameLength);
    record_.partner = Storable(partner_->currentText().trimmed(), kNameLength);
    record_.singlesDoubles = ReadChoice(singlesDoubles_);
    record_.kind = ReadChoice(kind_);
    record_.result = ReadChoice(result_);
}

bool TAddPlayRecordDlg::Refuse(const char* caption, const char* text, QWidget* field) {
    kui::Tell(this, QString::fromLatin1(text), QString::fromLatin1(caption));
    field->setFocus();
    return false;
}

bool TAddPlayRecordDlg::Validate() {
    const char* missing = "Missing Data Field";
    if (record_.date.empty())
        return Refuse(missing, "Please enter a date", date_);
    const ZBD_Date date(record_.date);
    if (!date.IsValid())
        return Refuse("Invalid Date", "Please enter the play date", date_);
    record_.date = date.Text();
    if (record_.who.empty())
        return Refuse(missing, "Who did you play?", who_);
    if (record_.time.empty())
        return Refuse(missing, "How long did you play?", time_);
    const float hours = kvr::LeadingFloat(record_.time);
    if (hours > 12 || !(hours > 0))
        return Refuse(missing,
                      "Invalid Time Value, input hours played (ie: 1.25 = an hour and 15 minutes)",
                      time_);
    const bool match = record_.kind == "M";
    if (match && record_.matchNotes.empty())
        return Refuse(missing, "Don't forget your Match Notes", matchNotes_);
    if (match && record_.score.empty())
        return Refuse(missing, "Don't forget the score", score_);
    const bool doubles = record_.singlesDoubles == "D";
    if (doubles && record_.secondOpponent.empty())
        return Refuse(missing, "Don't forget the other player.", secondOpponent_);
    if (doubles && record_.partner.empty())
        return Refuse(missing, "Don't forget your partner.", partner_);
    if (record_.practiceNotes.empty())
        return Refuse(missing, "Don't forget your Practice Notes", practiceNotes_);
    return true;
}

void TAddPlayRecordDlg::SaveNew() {
    Clean(record_);
    KVR_PlayData& play = app_.PlayStore();
    kui::AskStrokeRatings(this, record_, kui::RatingReference(play, ZBD_Date(record_.date)));
    play.AddCopy(record_);
    if (play.Save() != 1) {
        // The record stays in memory, where the next save that works writes it.
        kui::Tell(this, QStringLiteral("Error saving data!"));
        app_.PlayRecordsChanged();
        return;
    }
    if (record_.kind == "M" && kui::AskYesNo(this, QStringLiteral("Continue with Match Charting?"),
                                             QStringLiteral("Charting")))
        kui::RunChartingDialog(this, app_, record_);
    app_.PlayRecordsChanged();
}

void TAddPlayRecordDlg::SaveEdit() {
    Clean(record_);
    KVR_PlayData& play = app_.PlayStore();
    play.Update(*edited_, record_);
    if (play.Save() != 1)
        kui::Tell(this, QStringLiteral("Error saving data!"));
    app_.PlayRecordsChanged();
}

namespace kui {

void ShowCongratulations(QWidget* parent) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Congratulations !"));
    auto* layout = new QVBoxLayout(&dialog);
    auto addText = [&](const QString& text, bool large) {
        auto* label = new QLabel(text, &dialog);
        label->setAlignment(Qt::AlignCenter);
        label->setWordWrap(true);
        if (large) {
            QFont font = label->font();
            font.setBold(true);
            font.setPointSizeF(font.pointSizeF() * 1.4);
            label->setFont(font);
        }
        layout->addWidget(label);
    };
    addText(QStringLiteral("Congratulations"), true);
    addText(QStringLiteral("You've completed your current Goal Period.  Now restart your ratings "
                           "at 4's and 5's and climb back up to 9's and 10's! "),
            false);
    addText(QStringLiteral("Good Luck and Remember to"), false);
    addText(QStringLiteral("HAVE FUN ON THE COURTS"), true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    buttons->setCenterButtons(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    layout->addWidget(buttons);
    dialog.setMinimumWidth(380);
    RunModal(dialog);
}

} // namespace kui
