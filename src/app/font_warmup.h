// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace kui {

// Reading the font configuration (fontconfig's files and caches, and the
// list of the fonts on the system) is the largest single cost of the first
// paint. StartFontWarmUp, called once the application object exists, builds
// Qt's font database on a thread of its own while the data files are read
// and the main window is made; FinishFontWarmUp waits for it before the
// window is first shown. Calls after the first do nothing.
void StartFontWarmUp();
void FinishFontWarmUp();

} // namespace kui
