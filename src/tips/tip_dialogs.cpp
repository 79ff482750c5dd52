// SPDX-License-Identifier: GPL-3.0-or-later
#include "tips/tip_dialogs.h"

#include "ui/characters_left.h"
#include "ui/form_checks.h"
#include "ui/message.h"
#include "ui/text.h"

#include <algorithm>

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kui {

QString LevelName(int level) {
    switch (level) {
    case 1:
        return QStringLiteral("Consistency");
    case 2:
        return QStringLiteral("Placement");
    case 3:
        return QStringLiteral("Spin");
    case 4:
        return QStringLiteral("Power");
    default:
        return {};
    }
}

} // namespace kui

namespace {

// A tip text as typed, with its own spacing, on one line (a line break
// becomes a blank) and of at most the length kept; empty when it holds
// nothing but blanks.
std::string TypedTip(const QPlainTextEdit& edit) {
    QString text = kui::LeftCharacters(edit.toPlainText(), kui::kTipTextLength);
    if (text.trimmed().isEmpty())
        return {};
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return kui::ToStored(text);
}

// Holds a tip to its length; Enter presses OK, as in every notes field.
QPlainTextEdit* TipTextEdit(QWidget* parent) {
    auto* edit = new kui::NotesEdit(kui::kTipTextLength, parent);
    edit->setObjectName(QStringLiteral("tipText"));
    kui::WrapWithoutScrolling(*edit);
    edit->setMinimumWidth(360);
    edit->setFixedHeight(edit->fontMetrics().lineSpacing() * 5 + 12);
    return edit;
}

} // namespace

TTipsSelectDlg::TTipsSelectDlg(QWidget* parent, const QString& stroke, int level)
    : QDialog(parent), strokes_(new QButtonGroup(this)), levels_(new QButtonGroup(this)) {
    setWindowTitle(QStringLiteral("Tips"));
    auto* strokeBox = new QGroupBox(QStringLiteral("Stroke"), this);
    strokeBox->setObjectName(QStringLiteral("stroke"));
    auto* strokeGrid = new QVBoxLayout(strokeBox);
    const char* strokes[] = {"Forehand", "Backhand", "Volley", "Return", "Serve", "Approach"};
    for (const char* name : strokes) {
        auto* button = new QRadioButton(QString::fromLatin1(name), strokeBox);
        button->setObjectName(QString::fromLatin1(name));
        button->setChecked(button->text() == stroke);
        strokes_->addButton(button);
        strokeGrid->addWidget(button);
    }
    auto* levelBox = new QGroupBox(QStringLiteral("Level"), this);
    levelBox->setObjectName(QStringLiteral("level"));
    auto* levelGrid = new QVBoxLayout(levelBox);
    for (int each = 1; each <= 4; ++each) {
        auto* button = new QRadioButton(kui::LevelName(each), levelBox);
        button->setObjectName(kui::LevelName(each));
        button->setChecked(each == level);
        levels_->addButton(button, each);
        levelGrid->addWidget(button);
    }
    levelGrid->addStretch();
    auto* boxes = new QHBoxLayout;
    boxes->addWidget(strokeBox);
    boxes->addWidget(levelBox);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(boxes);
    layout->addWidget(kui::OkCancelButtons(*this));
}

QString TTipsSelectDlg::Stroke() const {
    const QAbstractButton* chosen = strokes_->checkedButton();
    return chosen ? chosen->text() : QString();
}

int TTipsSelectDlg::Level() const {
    return std::max(levels_->checkedId(), 0);
}

void TTipsSelectDlg::accept() {
    if (Level() == 0 || Stroke().isEmpty()) {
        kui::Tell(this, QStringLiteral("Please select stroke and level"));
        // On the first choice still to make.
        QButtonGroup* open = Stroke().isEmpty() ? strokes_ : levels_;
        open->buttons().front()->setFocus();
        return;
    }
    QDialog::accept();
}

TTipsAddDlg::TTipsAddDlg(QWidget* parent)
    : FormDialog(parent), stroke_(new QComboBox(this)), level_(new QComboBox(this)),
      text_(TipTextEdit(this)) {
    setWindowTitle(QStringLiteral("Add Tips"));
    stroke_->setObjectName(QStringLiteral("stroke"));
    stroke_->addItems({QStringLiteral("Forehand"), QStringLiteral("Backhand"),
                       QStringLiteral("Serve"), QStringLiteral("Return"),
                       QStringLiteral("Approach"), QStringLiteral("Volley")});
    stroke_->setCurrentIndex(-1);
    level_->setObjectName(QStringLiteral("level"));
    for (int level = 1; level <= 4; ++level)
        level_->addItem(QStringLiteral("%1 %2").arg(level).arg(kui::LevelName(level)));
    level_->setCurrentIndex(-1);
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("&Stroke:"), stroke_);
    form->addRow(QStringLiteral("&Level:"), level_);
    form->addRow(QStringLiteral("&Tip:"), kui::WithCharactersLeft(text_, kui::kTipTextLength));
    form->addRow(kui::OkCancelButtons(*this));
    kui::NameFieldsByTheirLabels(*this);
}

void TTipsAddDlg::accept() {
    const std::string stroke = kui::ToStored(kui::LeftCharacters(stroke_->currentText(), 14));
    const int level = level_->currentIndex() + 1;
    const std::string text = TypedTip(*text_);
    if (text.empty() || stroke.empty() || level == 0) {
        kui::Tell(this, QStringLiteral("Missing Data, please enter all fields"));
        // On the first field still empty.
        QWidget* empty = stroke.empty() ? static_cast<QWidget*>(stroke_)
                         : level == 0   ? static_cast<QWidget*>(level_)
                                        : static_cast<QWidget*>(text_);
        empty->setFocus();
        return;
    }
    tip_ = TipRecord{};
    tip_.stroke = stroke;
    tip_.kind.assign(1, 'T'); // every tip made here is a "T" tip
    tip_.frequencyRating = 10;
    tip_.level = level;
    tip_.tipText = text;
    Submit();
}

TTipEditDlg::TTipEditDlg(QWidget* parent, const TipRecord& tip)
    : FormDialog(parent), tip_(tip), text_(TipTextEdit(this)) {
    setWindowTitle(QStringLiteral("EDIT TIP"));
    // The field stands alone, without a label to name it.
    text_->setAccessibleName(QStringLiteral("Tip"));
    text_->setPlainText(kui::FromStored(tip.tipText));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(kui::WithCharactersLeft(text_, kui::kTipTextLength));
    layout->addWidget(kui::OkCancelButtons(*this));
    opened_ = text_->toPlainText();
}

void TTipEditDlg::accept() {
    // OK on the text as it opened is no change: a text longer than the
    // field keeps, or spaced otherwise than typed text is, stays as stored.
    changed_ = text_->toPlainText() != opened_;
    if (changed_) {
        const std::string text = TypedTip(*text_);
        if (text.empty()) {
            kui::Tell(this, QStringLiteral("Missing Data, please enter all fields"));
            text_->setFocus();
            return;
        }
        tip_.tipText = text;
    }
    Submit();
}
