// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include <QString>

namespace kui {

// Stored text as shown: UTF-8, or Windows-1252 when the bytes are not valid
// UTF-8 (files written by older Windows programs). Never yields replacement
// characters; a NUL byte ends the text.
QString FromStored(const std::string& bytes);

// Typed text as stored: UTF-8.
std::string ToStored(const QString& text);

// A text read from a file as a record field stores it: line breaks become
// blanks, blanks around it go, double quotes become single quotes (the data
// files cannot hold them). Nothing else changes: the text is kept as written,
// in its case and whole, also when it is longer than the field of the form
// that edits it (the form shows it cut but keeps it whole). The stored bytes
// (UTF-8).
std::string StorableField(const QString& text);

} // namespace kui
