// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/import_report.h"

#include <cstddef>
#include <string>
#include <vector>

#include <QString>

class QWidget;

namespace kui {

// A text read from a file as a record field stores it: line breaks become
// blanks, blanks around it go, double quotes become single quotes (the data
// files cannot hold them). Nothing else changes: the text is kept as written,
// in its case and whole, also when it is longer than the field of the form
// that edits it (the form shows it cut but keeps it whole). The stored bytes
// (UTF-8).
std::string StorableField(const QString& text);

// Keeps a copy of the data files `names` as they are before an import
// changes them (kvr::BackupBeforeChange: today's folder of the daily
// backups). When that fails the player is told why and asked whether to
// import without it (No by default). True to go on.
bool BackUpBeforeImport(QWidget* parent, const std::vector<std::string>& names,
                        const QString& caption);

} // namespace kui
