// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "formats/stored_text.h"

#include <QString>

class QPlainTextEdit;

namespace kui {

// Stored text as shown and typed text as stored (FromStored, ToStored) come
// from formats/stored_text.h, which the file readers share.

// At most `count` characters of `text` (a surrogate pair counts as one and is
// never split).
QString LeftCharacters(const QString& text, int count);

// A notes box that wraps every line, long words too, so it never needs a
// horizontal scroll bar: the stored text is one line however it is typed.
void WrapWithoutScrolling(QPlainTextEdit& edit);

} // namespace kui
