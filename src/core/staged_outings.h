// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace kvr {

// A batch of outings that changes both play.dat and history.dat at once
// (kvr::AddOutings, core/outing_import.h) writes both new files beside the
// old ones first, then the mark whose presence says that they are to be put
// in place.
inline constexpr const char* kStagedPlay = "play.staged";
inline constexpr const char* kStagedHistory = "history.staged";
inline constexpr const char* kOutingsCommitMark = "outings.commit";

// Removes staged files of a batch that was not marked; false when one could
// not be removed.
bool DropStagedOutings();

// Finishes or drops a batch of outings that a crash interrupted: with the
// mark, the staged files are put in place; without it, they are dropped. 1
// finished, 0 nothing to do (or a cut-short batch dropped), -1 it could not
// be finished. Run at start-up by KVR_PlayData::RecoverInterruptedGoalPeriod.
int RecoverInterruptedOutings();

} // namespace kvr
