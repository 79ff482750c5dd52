// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

namespace kui {

// The names of the views --render draws, in the command table's order: the
// one list the help, the usage line and --list-views print.
QStringList RenderViewNames();

// `kavora --render VIEW --size WIDTHxHEIGHT --out FILE`: draws one view as it
// opens, from the data in the working folder, into FILE (PNG, SVG or PDF by
// its suffix), without a window and without writing to the data folder.
// Returns the exit code: 0 done, 1 the data or the file failed, 2 a bad
// command line (told in one line on stderr, with the names of the views).
int RenderFromCommandLine(int argc, char** argv);

} // namespace kui
