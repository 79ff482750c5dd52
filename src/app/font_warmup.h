// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace kui {

// Reading the font configuration (fontconfig's files and caches, and the
// list of the fonts on the system) is the largest single cost of the first
// paint. StartFontWarmUp begins it on a thread of its own before the
// application object is made (it returns `argc` so that it can run in a
// constructor's initialiser, ahead of the QApplication base);
// ApplicationReadyForFonts lets the thread go on to fill Qt's font database
// once that object exists, while the data files are read and the main window
// is built; FinishFontWarmUp waits for it before the window is first shown (and
// before the application object goes, so that the next one starts afresh).
int& StartFontWarmUp(int& argc);
void ApplicationReadyForFonts();
void FinishFontWarmUp();

} // namespace kui
