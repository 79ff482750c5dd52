// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/file_formats.h"

#include <QString>

class QWidget;

namespace kui {

// The folder the file dialogs of imports and exports open in: the last one a
// file was chosen in during this run, else the home folder (never the data
// folder the program runs in). Remember() notes the folder of a file chosen.
QString FileDialogFolder();
void RememberFileDialogFolder(const QString& chosenFile);

// Asks where an export goes: a save dialog titled `caption` that offers
// `filter` and suggests `name` (with `suffix` added to a name typed
// without one). A file of the data folder, or the folder itself, is never
// written over: the player is told so. The path chosen, or empty.
QString AskFileToExport(QWidget* parent, const QString& caption, const QString& filter,
                        const QString& name, const QString& suffix);
// The same for a file of `format`: its row of kvr::ExportFormats gives the
// filter, the suggested name and the suffix.
QString AskFileToExport(QWidget* parent, const QString& caption, kvr::FileFormat format);

// Whether `path` may take an export; when it names a file of the data
// folder (or the folder itself), false, and the player is told so.
bool MayExportTo(QWidget* parent, const QString& caption, const QString& path);

} // namespace kui
