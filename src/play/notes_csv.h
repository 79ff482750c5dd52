// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class KVR_PlayData;

namespace kui {

// Writes every note to `path` as CSV (UTF-8, comma-separated, CRLF line
// ends, a field holding a comma, a quote or a line break quoted with its
// quotes doubled, a text a spreadsheet would run as a formula as TextCell
// writes it): a header row, then one row per record, the current goal
// period newest first, then the past periods newest first; each row's 24
// stroke ratings follow its notes ("Forehand Consistency" ... "Approach
// Power"), so that the file imports back whole (kvr::ReadOutingsCsv). The history is
// read through a reader of its own. False when the history could not be
// read or the file could not be written (an existing file is then left as
// it was).
bool ExportNotesCsv(const QString& path, KVR_PlayData& play);

// One CSV field as written.
QString CsvField(const QString& text);

// A text cell as an export writes it: one that a spreadsheet would run as a
// formula (beginning with =, +, - or @) behind a ' that makes it text. The
// outings import drops that ' again (kvr::ReadOutingsCsv). Number cells are
// written as they are.
QString TextCell(const QString& text);

} // namespace kui
