// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/import_report.h"

#include <cstddef>
#include <string>
#include <vector>

#include <QString>

class QWidget;

namespace kui {

// A text read from a file made fit for a record field: line breaks become
// blanks, blanks around it go, double quotes become single quotes (the data
// files cannot hold them), and a text longer than `limit` characters is cut
// to it, which `report` notes for `line` ("Notes cut to 74 characters"). The
// stored bytes (UTF-8).
std::string FitField(const QString& text, int limit, const QString& label, std::size_t line,
                     kvr::ImportReport& report);

// Keeps a copy of the data files `names` as they are before an import
// changes them (kvr::BackupBeforeChange: today's folder of the daily
// backups). When that fails the player is told why and asked whether to
// import without it (No by default). True to go on.
bool BackUpBeforeImport(QWidget* parent, const std::vector<std::string>& names,
                        const QString& caption);

} // namespace kui
