// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

// A change that rewrites play.dat and history.dat together (a new goal
// period, outings imported or merged) is staged beside the two files, then
// decided by writing one mark, then put in place file by file. Whatever stops
// it, the folder then holds either the state before the change (no mark: the
// staged files are dropped) or a decided change that the next start finishes
// (the mark: every staged file still there is put in place, then the mark is
// removed). Nothing else decides: not what play.dat or history.dat hold.
//
// While the mark is there, nothing but the change itself may write play.dat
// or history.dat: a save would be overwritten by the staged file at the next
// start.
namespace kvr {

// The mark. Its first line names the change (a PlayChangeKind).
inline constexpr const char* kPlayChangeMark = "play.commit";

// The staged files of a change and the files they replace, in the order
// they are put in place.
struct StagedFile {
    const char* staged;
    const char* target;
};
inline constexpr StagedFile kStagedPlayFiles[] = {
    {"history.staged", "history.dat"},
    {"play.staged", "play.dat"},
    {"play.old.staged", "play.old"},
    {"history.old.staged", "history.old"},
};

// What a change does, as its mark names it.
enum class PlayChangeKind { GoalPeriod, Import, Merge, Unknown };
const char* MarkName(PlayChangeKind kind);

// Whether a decided change waits to be finished: the mark is there (or its
// presence cannot be told).
bool PlayChangePending();

// The change that waits to be finished, for telling the player: its kind
// and the staged files still there with the files they are to replace.
struct PendingPlayChange {
    PlayChangeKind kind = PlayChangeKind::Unknown;
    std::vector<StagedFile> waiting;
};
std::optional<PendingPlayChange> FindPendingPlayChange();

// Removes the staged files of a change that was not decided (no mark). False
// when one could not be removed.
bool DropStagedPlayFiles();

// Run once at start-up, before the play store is loaded: finishes a change
// that was decided, drops one that was not, and removes the temporary files
// of interrupted saves. 1 a change was finished, 0 nothing was waiting, -1
// a decided change could not be finished (it still waits, and
// PlayChangePending() holds every save of play.dat and history.dat), or
// whether one was decided could not be told, or the staged files of one
// that was not could not be removed (harmless: the next change removes
// them first).
int FinishInterruptedPlayChange();

} // namespace kvr
