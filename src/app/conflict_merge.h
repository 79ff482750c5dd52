// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class TKvrWinApp;

namespace kui {

// Looks for conflict copies of the data files in the data folder (left by a
// sync tool, core/conflict_copies.h) and lists them in one message that
// offers to merge them. "Merge" backs up the files it will change, adds the
// records each copy holds that the data file lacks through the one write
// path, raises the change signal of each store it changed, moves each merged
// copy into conflicts/ and tells what was merged and what could not be.
// "Not now" writes nothing, so the next start asks again. A copy that cannot
// be read is named and left where it is. Run once the window is on screen.
void OfferConflictMerge(TKvrWinApp& app);

} // namespace kui
