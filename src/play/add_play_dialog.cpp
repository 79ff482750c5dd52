// SPDX-License-Identifier: GPL-3.0-or-later
#include "play/add_play_dialog.h"

#include "core/date.h"
#include "core/record_store.h"
#include "play/outings_csv.h"
#include "play/rating_dialog.h"
#include "ui/characters_left.h"
#include "ui/form_checks.h"
#include "ui/message.h"
#include "ui/player_list.h"
#include "ui/text.h"

#include <chrono>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

namespace {

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

// Whether a stored one-letter code is `letter`: readers test only its first
// letter, in either case (a choice left untouched keeps its stored letter).
bool IsCode(const std::string& code, char letter) {
    return !code.empty() && (code[0] == letter || code[0] == letter - 'A' + 'a');
}

// Typed text as it may be stored: cut at its limit, on one line, with no
// double quote (the file format cannot hold one inside a field).
std::string Storable(const QString& text, int limit) {
    return kvr::StorableText(kui::ToStored(kui::LeftCharacters(text, limit)));
}

} // namespace

TAddPlayRecordDlg::TAddPlayRecordDlg(QWidget* parent, const std::vector<std::string>& players,
                                     const PlayRecord* edited)
    : FormDialog(parent) {
    if (edited)
        edited_ = *edited;
    setWindowTitle(edited_ ? QStringLiteral("Edit Play Record")
                           : QStringLiteral("Add Play Record"));
    auto* layout = new QVBoxLayout(this);
    form_ = new QFormLayout;
    form_->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form_->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    layout->addLayout(form_);

    auto makePlayers = [&](const char* name) {
        auto* list = new TPlayerList(this);
        list->setObjectName(QString::fromLatin1(name));
        list->lineEdit()->setMaxLength(kNameLength);
        // As wide as the form, like the other text fields.
        list->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        list->FillPlayers(players, QString());
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
    matchNotes_ = new kui::NotesEdit(kNotesLength, this);
    matchNotes_->setObjectName(QStringLiteral("matchNotes"));
    practiceNotes_ = new kui::NotesEdit(kNotesLength, this);
    practiceNotes_->setObjectName(QStringLiteral("practiceNotes"));
    for (QPlainTextEdit* notes : {matchNotes_, practiceNotes_}) {
        notes->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        notes->setFixedHeight(notes->fontMetrics().lineSpacing() * 4 + 2 * notes->frameWidth() + 8);
    }

    // Every text field but the date (no date is longer than its limit)
    // shows the characters left as its text nears the limit.
    secondOpponentRow_ = kui::WithCharactersLeft(secondOpponent_, kNameLength);
    partnerRow_ = kui::WithCharactersLeft(partner_, kNameLength);
    scoreRow_ = kui::WithCharactersLeft(score_, kScoreLength);
    matchNotesRow_ = kui::WithCharactersLeft(matchNotes_, kNotesLength);

    form_->addRow(QStringLiteral("&Date:"), date_);
    form_->addRow(QStringLiteral("&S/D:"), singlesDoubles_);
    form_->addRow(QStringLiteral("&Who:"), kui::WithCharactersLeft(who_, kNameLength));
    form_->addRow(QString(), secondOpponentRow_);
    form_->addRow(QStringLiteral("My &Partner:"), partnerRow_);
    form_->addRow(QStringLiteral("&M/P/L:"), kind_);
    form_->addRow(QStringLiteral("W/&L:"), result_);
    form_->addRow(QStringLiteral("Sco&re:"), scoreRow_);
    form_->addRow(QStringLiteral("T&ime:"), kui::WithCharactersLeft(time_, kTimeLength));
    form_->addRow(QStringLiteral("Match &Notes:"), matchNotesRow_);
    form_->addRow(QStringLiteral("Pr&actice Notes:"),
                  kui::WithCharactersLeft(practiceNotes_, kNotesLength));

    QDialogButtonBox* buttons = kui::OkCancelButtons(*this, [this] { Ok(); });
    if (edited_) {
        // The ratings of an outing can be corrected as well.
        QPushButton* ratings =
            buttons->addButton(QStringLiteral("Ra&tings..."), QDialogButtonBox::ActionRole);
        ratings->setObjectName(QStringLiteral("ratings"));
        ratings->setAutoDefault(false);
        connect(ratings, &QPushButton::clicked, this, &TAddPlayRecordDlg::AskRatings);
    }
    layout->addWidget(buttons);
    kui::NameFieldsByTheirLabels(*this);

    if (edited_) {
        date_->setText(kui::FromStored(edited_->date));
        SelectLetter(singlesDoubles_, edited_->singlesDoubles);
        SelectLetter(kind_, edited_->kind);
        SelectLetter(result_, edited_->result);
        who_->FillPlayers(players, kui::FromStored(edited_->who));
        secondOpponent_->FillPlayers(players, kui::FromStored(edited_->secondOpponent));
        partner_->FillPlayers(players, kui::FromStored(edited_->partner));
        time_->setText(kui::FromStored(edited_->time));
        score_->setText(kui::FromStored(edited_->score));
        matchNotes_->setPlainText(kui::FromStored(edited_->matchNotes));
        practiceNotes_->setPlainText(kui::FromStored(edited_->practiceNotes));
        ShowFieldsForKind();
        // A stored text longer than its field, or a letter the lists do not
        // offer, is kept unless the player changes the field.
        stored_.Remember(date_, edited_->date);
        stored_.Remember(singlesDoubles_, edited_->singlesDoubles);
        stored_.Remember(kind_, edited_->kind);
        stored_.Remember(result_, edited_->result);
        stored_.Remember(who_, edited_->who);
        stored_.Remember(secondOpponent_, edited_->secondOpponent);
        stored_.Remember(partner_, edited_->partner);
        stored_.Remember(time_, edited_->time);
        stored_.Remember(score_, edited_->score);
        stored_.Remember(matchNotes_, edited_->matchNotes);
        stored_.Remember(practiceNotes_, edited_->practiceNotes);
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
    form_->setRowVisible(scoreRow_, match);
    form_->setRowVisible(matchNotesRow_, match);
    const bool doubles = singlesDoubles_->currentIndex() == 1;
    form_->setRowVisible(secondOpponentRow_, doubles);
    form_->setRowVisible(partnerRow_, doubles);
    // The form is as tall as its rows: a practice or lesson leaves no empty
    // space where the match's rows were, and a match has room for them again.
    // (Before it is first shown, showing sizes it.)
    if (!isVisible())
        return;
    layout()->activate();
    resize(width(), sizeHint().height());
}

void TAddPlayRecordDlg::Ok() {
    // An edit starts from the stored record, so that its ratings and every
    // field the dialog does not show are kept.
    record_ = edited_ ? *edited_ : PlayRecord{};
    if (edited_ && rated_) {
        record_.ratings = rated_->ratings;
        record_.rated = true;
    }
    ReadFields();
    if (!Validate())
        return;
    Clean();
    Submit();
}

bool TAddPlayRecordDlg::Changed() const {
    return !edited_ || record_.ToLine() != edited_->ToLine();
}

// Each field as typed, or as stored when the player left it as it opened.
void TAddPlayRecordDlg::ReadFields() {
    auto text = [this](QWidget* field, const QString& typed, int limit) {
        return stored_.Value(field, Storable(typed, limit));
    };
    record_.date = text(date_, date_->text().trimmed(), kDateLength);
    // A comma is read as the decimal mark, as many players type it.
    record_.time = text(time_, time_->text().trimmed().replace(QLatin1Char(','), QLatin1Char('.')),
                        kTimeLength);
    record_.score = text(score_, score_->text(), kScoreLength);
    record_.matchNotes = text(matchNotes_, matchNotes_->toPlainText(), kNotesLength);
    record_.practiceNotes = text(practiceNotes_, practiceNotes_->toPlainText(), kNotesLength);
    record_.who = text(who_, who_->currentText().trimmed(), kNameLength);
    record_.secondOpponent =
        text(secondOpponent_, secondOpponent_->currentText().trimmed(), kNameLength);
    record_.partner = text(partner_, partner_->currentText().trimmed(), kNameLength);
    // A choice left empty reads as the first item, unless it was stored so.
    auto choice = [this](QComboBox* box) {
        const bool touched = stored_.Touched(box);
        std::string typed = ReadChoice(box);
        return touched ? typed : stored_.Value(box, {});
    };
    record_.singlesDoubles = choice(singlesDoubles_);
    record_.kind = choice(kind_);
    record_.result = choice(result_);
}

// Names capitalised; no partner or second opponent for singles, no result
// or score but for a match. (The three choices are capital letters already.)
// What the player did not touch is left as stored: a name in its own case,
// and the fields a choice clears while that choice is as it was stored.
void TAddPlayRecordDlg::Clean() {
    for (auto [field, name] :
         {std::pair{who_, &record_.who}, std::pair{secondOpponent_, &record_.secondOpponent},
          std::pair{partner_, &record_.partner}})
        if (stored_.Touched(field))
            KVR_PlayData::CapitalizeWords(*name);
    const bool singles = IsCode(record_.singlesDoubles, 'S');
    for (auto [field, name] : {std::pair{secondOpponent_, &record_.secondOpponent},
                               std::pair{partner_, &record_.partner}})
        if (singles && (stored_.Touched(singlesDoubles_) || stored_.Touched(field)))
            name->clear();
    const bool match = record_.IsMatch();
    if (!match && (stored_.Touched(kind_) || stored_.Touched(result_)))
        record_.result.clear();
    if (!match && (stored_.Touched(kind_) || stored_.Touched(score_)))
        record_.score.clear();
}

bool TAddPlayRecordDlg::Refuse(const char* caption, const char* text, QWidget* field) {
    kui::Tell(this, QString::fromLatin1(text), QString::fromLatin1(caption));
    field->setFocus();
    return false;
}

bool TAddPlayRecordDlg::Validate() {
    const char* missing = "Missing Data Field";
    const std::optional<ZBD_Date> date = kui::CheckedDate(*this, *date_, record_.date);
    if (!date)
        return false;
    if (stored_.Touched(date_)) {
        record_.date = date->Text();
        if (!FutureDateConfirmed(*date))
            return false;
    }
    if (record_.who.empty())
        return Refuse(missing, "Who did you play?", who_);
    if (record_.time.empty())
        return Refuse(missing, "How long did you play?", time_);
    // Hours and minutes (1:30) are stored as hours (1.5).
    if (stored_.Touched(time_) && record_.time.find(':') != std::string::npos) {
        const auto hours = kvr::ClockHours(record_.time);
        if (!hours)
            return Refuse(
                missing,
                "Invalid Time Value, input hours played (ie: 1.25 = an hour and 15 minutes)",
                time_);
        record_.time = *hours;
    }
    const float hours = kvr::LeadingFloat(record_.time);
    if (hours > 12 || !(hours > 0))
        return Refuse(missing,
                      "Invalid Time Value, input hours played (ie: 1.25 = an hour and 15 minutes)",
                      time_);
    const bool match = record_.IsMatch();
    if (match && record_.matchNotes.empty())
        return Refuse(missing, "Don't forget your Match Notes", matchNotes_);
    if (match && record_.score.empty())
        return Refuse(missing, "Don't forget the score", score_);
    const bool doubles = record_.IsDoubles();
    if (doubles && record_.secondOpponent.empty())
        return Refuse(missing, "Don't forget the other player.", secondOpponent_);
    if (doubles && record_.partner.empty())
        return Refuse(missing, "Don't forget your partner.", partner_);
    if (record_.practiceNotes.empty())
        return Refuse(missing, "Don't forget your Practice Notes", practiceNotes_);
    return true;
}

// An outing is played by today: a later date is a slip more often than
// not, so the player says once whether to record it on that day anyway.
bool TAddPlayRecordDlg::FutureDateConfirmed(const ZBD_Date& date) {
    using namespace std::chrono;
    const ZBD_Date today;
    const auto ahead = (sys_days{year{date.Year()} / date.Month() / date.Day()} -
                        sys_days{year{today.Year()} / today.Month() / today.Day()})
                           .count();
    if (ahead <= 0 || confirmedDate_ == date.Text())
        return true;
    const QString text =
        QStringLiteral("%1 is %2 from today.\nRecord this outing on that date anyway?")
            .arg(kui::FromStored(date.Text()),
                 ahead == 1 ? QStringLiteral("1 day") : QStringLiteral("%1 days").arg(ahead));
    if (!kui::AskYesNo(this, text, windowTitle(), kui::Default::No)) {
        date_->setFocus();
        date_->selectAll();
        return false;
    }
    confirmedDate_ = date.Text();
    return true;
}

void TAddPlayRecordDlg::AskRatings() {
    PlayRecord rated = rated_ ? *rated_ : *edited_;
    const PlayRecord reference = rated;
    // An outing stored without ratings is rated from the usual start.
    kui::AskStrokeRatings(this, rated, reference.rated ? &reference : nullptr);
    rated.rated = true;
    rated_ = rated;
}
