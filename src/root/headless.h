// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

#include <QString>

namespace kui {

class DataStores;

// What the command-line modes that draw from the data folder share.

// The toolkit a mode draws with: the GUI toolkit alone, or with the widget
// style as well (for the views' button rows, whose height the style's button
// frame sets).
enum class Toolkit { Gui, Widgets };

// Loads the stores of the working folder read-only and runs `work` over
// them: under a toolkit object on the offscreen platform (no display is
// needed), with every message on stderr and every question answered No, no
// application object and no window. Nothing in the folder is written, none
// of its files is copied: an old layout is converted in memory only
// (kvr::ReadOnlyData). Returns the exit code of `work`; 1 when the stores
// could not be made.
int RunOnDataFolder(int argc, char** argv, Toolkit toolkit,
                    const std::function<int(DataStores& stores, const QString& playerName)>& work);

} // namespace kui
