// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "formats/stored_text.h"

#include <string>
#include <vector>

#include <QString>

class QWidget;

namespace kui {

// Keeps the data files `names` as they are before an import changes them
// (kvr::KeepBeforeChange: today's folder of the daily backups). When that
// fails nothing is imported, and the player is told why (TellImportNotBackedUp).
// True to go on.
bool BackUpBeforeImport(QWidget* parent, const std::vector<std::string>& names,
                        const QString& caption, const QString& noun);

// Tells that no `noun` ("outings") were imported because the backup before
// the import failed (`failure`, kvr::BackupResult::FailureText). True, and
// nothing told, when `failure` is empty.
bool TellImportNotBackedUp(QWidget* parent, const std::string& failure, const QString& caption,
                           const QString& noun);

} // namespace kui
