// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include <QString>

class QPlainTextEdit;

namespace kui {

// Stored text as shown: UTF-8, or Windows-1252 when the bytes are not valid
// UTF-8 (files written by older Windows programs). Never yields replacement
// characters; a NUL byte ends the text.
QString FromStored(const std::string& bytes);

// Typed text as stored: UTF-8.
std::string ToStored(const QString& text);

// At most `count` characters of `text` (a surrogate pair counts as one and is
// never split).
QString LeftCharacters(const QString& text, int count);

// A notes box that wraps every line, long words too, so it never needs a
// horizontal scroll bar: the stored text is one line however it is typed.
void WrapWithoutScrolling(QPlainTextEdit& edit);

} // namespace kui
