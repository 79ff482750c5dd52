// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace kui {

// `kavora --print match|practice|lesson|form [--opponent TEXT] --out
// FILE.pdf`: writes the pages the Printouts command would print, from the
// data in the working folder, into FILE on the locale's paper, without a
// window and without writing to the data files. Returns the exit code: 0
// done, 1 the data could not be read or the file not written, 2 a bad
// command line (told in one line on stderr).
int PrintFromCommandLine(int argc, char** argv);

} // namespace kui
