// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

#include <QString>

class TKvrWinApp;

namespace kui {

// `kavora --render VIEW --size WIDTHxHEIGHT --out FILE`: draws one view from
// the data in the working folder into FILE (PNG, SVG or PDF by its suffix)
// without a window and without writing to the data files. Returns the exit
// code: 0 done, 1 the data or the file failed, 2 a bad command line (told in
// one line on stderr, with the names of the views).
int RenderFromCommandLine(int argc, char** argv);

// What the command-line modes that draw from the data folder share.

// Says `text` on stderr as one line, after "kavora: ".
void SayOnStderr(const QString& text);

// Loads the data of the working folder without a window and without
// writing to it (from a scratch copy, read-only, on the offscreen platform,
// with every message on stderr and every question answered No), then runs
// `work` over the application object and returns its exit code; 1 when the
// data could not be loaded. File names given on the command line must be
// absolute: the working folder is the scratch copy while `work` runs.
int RunOnDataCopy(int argc, char** argv, const std::function<int(TKvrWinApp&)>& work);

} // namespace kui
