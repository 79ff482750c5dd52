// SPDX-License-Identifier: GPL-3.0-or-later
#include "phonebook/phone_dialogs.h"

#include "core/record_store.h"
#include "phonebook/usta_levels.h"
#include "ui/characters_left.h"
#include "ui/form_checks.h"
#include "ui/message.h"
#include "ui/text.h"

#include <algorithm>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

QStringList UstaLevels() {
    QStringList levels;
    for (int tenths = 10; tenths <= 70; tenths += 5)
        levels.push_back(QString::asprintf("%2.1f", tenths / 10.0));
    return levels;
}

TUSTA_Ratings::TUSTA_Ratings(QWidget* parent, QString* level)
    : QDialog(parent), level_(level), list_(new QListWidget(this)),
      description_(new QPlainTextEdit(this)) {
    setWindowTitle(QStringLiteral("USTA Tennis Rating System"));
    list_->setObjectName(QStringLiteral("rating"));
    list_->addItems(UstaLevels());
    list_->setMaximumWidth(list_->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) +
                           list_->frameWidth() * 2 + 24);
    description_->setObjectName(QStringLiteral("description"));
    // Named as their labels: a list and a read-only text take no buddy's name.
    list_->setAccessibleName(QStringLiteral("Rating"));
    description_->setAccessibleName(QStringLiteral("Player Description"));
    description_->setReadOnly(true);
    kui::WrapWithoutScrolling(*description_);
    description_->setMinimumWidth(description_->fontMetrics().averageCharWidth() * 50);

    auto* grid = new QGridLayout(this);
    auto* ratingLabel = new QLabel(QStringLiteral("&Rating"), this);
    ratingLabel->setBuddy(list_);
    grid->addWidget(ratingLabel, 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Player Description"), this), 0, 1);
    grid->addWidget(list_, 1, 0);
    grid->addWidget(description_, 1, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    grid->addWidget(buttons, 2, 0, 1, 2);

    connect(list_, &QListWidget::currentRowChanged, this, &TUSTA_Ratings::Selected);
    // Opened from an entry, the list starts at the entry's level, so that
    // looking at the descriptions does not change it.
    const int start = level ? static_cast<int>(UstaLevels().indexOf(level->trimmed())) : -1;
    list_->setCurrentRow(start >= 0 ? start : 0);
    list_->setFocus();
}

void TUSTA_Ratings::Selected(int row) {
    QListWidgetItem* item = list_->item(row);
    if (!item)
        return;
    if (level_)
        *level_ = item->text().left(3);
    description_->setPlainText(kui::UstaLevelDescription(10 + 5 * row));
}

namespace {

// The lists' texts; each is stored as its first character.
const QStringList kStyles{QStringLiteral("Baseliner"), QStringLiteral("All Court Player"),
                          QStringLiteral("Serve and Volley")};
const QStringList kSides{QStringLiteral("Right Handed"), QStringLiteral("Left Handed")};
const QStringList kBackhands{QStringLiteral("1 Handed"), QStringLiteral("2 Handed")};

QComboBox* MakeList(QWidget* parent, const char* name, const QStringList& texts) {
    auto* list = new QComboBox(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->addItems(texts);
    list->setCurrentIndex(-1);
    return list;
}

// Selects the item whose text begins with the stored code; none for an
// empty or unknown code.
void SelectByCode(QComboBox* list, const std::string& code) {
    list->setCurrentIndex(-1);
    if (code.size() != 1)
        return;
    for (int i = 0; i < list->count(); ++i)
        if (list->itemText(i).startsWith(QLatin1Char(code[0])))
            list->setCurrentIndex(i);
}

std::string Code(const QComboBox* list) {
    return list->currentIndex() < 0 ? std::string() : kui::ToStored(list->currentText().left(1));
}

std::string Typed(const QString& text) {
    return kvr::StorableText(kui::ToStored(text.trimmed()));
}

} // namespace

TPhoneAddDlg::TPhoneAddDlg(QWidget* parent, const PhoneRecord& entry,
                           std::vector<std::string> names)
    : kui::FormDialog(parent), entry_(entry), names_(std::move(names)), name_(new QLineEdit(this)),
      phone_(new QLineEdit(this)), rating_(MakeList(this, "rating", UstaLevels())),
      style_(MakeList(this, "playingStyle", kStyles)), side_(MakeList(this, "playingSide", kSides)),
      backhand_(MakeList(this, "backhandStyle", kBackhands)),
      notes_(new kui::NotesEdit(kNotesLength, this)) {
    setWindowTitle(entry.name.empty() ? QStringLiteral("Player PhoneBook/Profile")
                                      : QStringLiteral("Edit Player PhoneBook/Profile"));
    name_->setObjectName(QStringLiteral("name"));
    name_->setMaxLength(kNameLength);
    name_->setText(kui::FromStored(entry.name));
    phone_->setObjectName(QStringLiteral("phoneNumber"));
    phone_->setMaxLength(kPhoneLength);
    phone_->setText(kui::FromStored(entry.phoneNumber));
    rating_->setCurrentIndex(static_cast<int>(UstaLevels().indexOf(kui::FromStored(entry.rating))));
    SelectByCode(style_, entry.playingStyle);
    SelectByCode(side_, entry.playingSide);
    SelectByCode(backhand_, entry.backhandStyle);
    notes_->setObjectName(QStringLiteral("notes"));
    kui::WrapWithoutScrolling(*notes_);
    notes_->setPlainText(kui::FromStored(entry.notes));
    notes_->setFixedHeight(notes_->fontMetrics().lineSpacing() * 4 +
                           static_cast<int>(notes_->document()->documentMargin() * 2) +
                           notes_->frameWidth() * 2);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Name: "), kui::WithCharactersLeft(name_, kNameLength));
    form->addRow(QStringLiteral("Phone N&umber: "), kui::WithCharactersLeft(phone_, kPhoneLength));
    form->addRow(QStringLiteral("Playing &Level: "), rating_);
    form->addRow(QStringLiteral("Playing St&yle: "), style_);
    form->addRow(QStringLiteral("Playing &Side: "), side_);
    form->addRow(QStringLiteral("&Backhand Style: "), backhand_);
    form->addRow(QStringLiteral("N&otes: "), kui::WithCharactersLeft(notes_, kNotesLength));
    name_->setMinimumWidth(name_->fontMetrics().averageCharWidth() * (kNameLength + 4));

    auto* buttons = kui::OkCancelButtons(*this);
    auto* ratings = buttons->addButton(QStringLiteral("&Ratings"), QDialogButtonBox::ActionRole);
    ratings->setObjectName(QStringLiteral("ratings"));
    connect(ratings, &QPushButton::clicked, this, &TPhoneAddDlg::ShowRatings);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    kui::NameFieldsByTheirLabels(*this);
    name_->setFocus();

    // A stored text longer than its field, or a code the lists do not
    // offer, is kept unless the player changes the field.
    stored_.Remember(name_, entry.name);
    stored_.Remember(phone_, entry.phoneNumber);
    stored_.Remember(rating_, entry.rating);
    stored_.Remember(style_, entry.playingStyle);
    stored_.Remember(side_, entry.playingSide);
    stored_.Remember(backhand_, entry.backhandStyle);
    stored_.Remember(notes_, entry.notes);
}

void TPhoneAddDlg::ShowRatings() {
    QString level = rating_->currentText();
    TUSTA_Ratings dialog(this, &level);
    kui::RunModal(dialog);
    rating_->setCurrentIndex(static_cast<int>(UstaLevels().indexOf(level)));
}

PhoneRecord TPhoneAddDlg::Entry() const {
    PhoneRecord entry;
    entry.stats = entry_.stats;
    entry.name = Typed(name_->text());
    KVR_PhoneData::CapitalizeWords(entry.name);
    entry.name = stored_.Value(name_, entry.name);
    entry.phoneNumber = stored_.Value(phone_, Typed(phone_->text()));
    entry.rating = stored_.Value(rating_, rating_->currentIndex() < 0
                                              ? std::string()
                                              : kui::ToStored(rating_->currentText().left(3)));
    entry.playingStyle = stored_.Value(style_, Code(style_));
    entry.playingSide = stored_.Value(side_, Code(side_));
    entry.backhandStyle = stored_.Value(backhand_, Code(backhand_));
    entry.notes = stored_.Value(notes_, Typed(notes_->toPlainText()));
    return entry;
}

bool TPhoneAddDlg::Changed() const {
    const PhoneRecord entry = Entry();
    return entry.ToLine() != entry_.ToLine();
}

void TPhoneAddDlg::accept() {
    const struct {
        QWidget* field;
        QString text;
        const std::string& opened;
        const char* message;
    } required[] = {{name_, name_->text(), entry_.name, "Please enter a Name"},
                    {phone_, phone_->text(), entry_.phoneNumber, "Please enter a PhoneNumber"},
                    {notes_, notes_->toPlainText(), entry_.notes, "Please enter the Notes"}};
    // A stored entry (one with a name) may keep a field empty that was empty
    // when the form opened (an imported contact without a number or notes);
    // a field the player empties must be filled again.
    const bool editing = !entry_.name.empty();
    for (const auto& field : required) {
        if (field.text.trimmed().isEmpty() && !(editing && field.opened.empty())) {
            kui::Tell(this, QString::fromLatin1(field.message),
                      QStringLiteral("Missing Data Field"));
            field.field->setFocus();
            return;
        }
    }
    if (!SecondEntryConfirmed())
        return;
    Submit();
}

// Two entries of one name are told apart by nothing the player sees: a name
// the book holds already is added again only when the player says so.
bool TPhoneAddDlg::SecondEntryConfirmed() {
    const std::string name = Entry().name;
    const QString typed = kui::FromStored(name);
    auto isTyped = [&](const std::string& held) {
        return kui::FromStored(held).trimmed().compare(typed, Qt::CaseInsensitive) == 0;
    };
    // An edit that keeps the entry's own name, in any case, asks nothing.
    if (name == confirmedName_ || (!entry_.name.empty() && isTyped(entry_.name)))
        return true;
    const auto same = std::find_if(names_.begin(), names_.end(), isTyped);
    if (same == names_.end())
        return true;
    const QString text = QStringLiteral("The phone book already has an entry for %1.\n"
                                        "Add a second entry named %2?")
                             .arg(kui::FromStored(*same), typed);
    if (!kui::AskYesNo(this, text, windowTitle(), kui::Default::No)) {
        name_->setFocus();
        name_->selectAll();
        return false;
    }
    confirmedName_ = name;
    return true;
}
