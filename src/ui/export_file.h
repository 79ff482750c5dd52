// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

namespace kui {

// Asks where an export goes: a save dialog titled `caption` that offers
// `filter` and suggests `name` (with `suffix` added to a name typed
// without one). A file of the data folder, or the folder itself, is never
// written over: the player is told so. The path chosen, or empty.
QString AskFileToExport(QWidget* parent, const QString& caption, const QString& filter,
                        const QString& name, const QString& suffix);

// Whether `path` may take an export; when it names a file of the data
// folder (or the folder itself), false, and the player is told so.
bool MayExportTo(QWidget* parent, const QString& caption, const QString& path);

} // namespace kui
