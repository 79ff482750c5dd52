// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QPlainTextEdit;
class QWidget;

namespace kui {

// The number of characters of `text` as the limits count them: a surrogate
// pair is one character.
int CharacterCount(const QString& text);

// Puts `field` (a QLineEdit, an editable QComboBox or a QPlainTextEdit) in a
// row with a counter beside it that shows how many of its `limit`
// characters are left once the text passes four fifths of the limit, and how
// many are over it when a stored text is longer. Returns the row, to be laid
// out where the field would be; it hands the focus on to the field, so a
// label's accelerator still reaches it.
QWidget* WithCharactersLeft(QWidget* field, int limit);

// Keeps `edit` from growing past `limit` characters: what is typed or pasted
// beyond it is refused where it was put in, and the rest of the text stays
// as it was. A text the program sets is kept whole, and one longer than the
// limit (a stored one) may then shrink but not grow.
void KeepWithin(QPlainTextEdit& edit, int limit);

// Names each field of `dialog` that a label stands for but that sits in a row
// of its own (see WithCharactersLeft) after that label ("Who" for "&Who:"),
// as a screen reader would name it beside its label. Called once the
// dialog's fields are laid out.
void NameFieldsByTheirLabels(QWidget& dialog);

} // namespace kui
