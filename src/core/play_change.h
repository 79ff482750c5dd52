// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/pending_change.h"
#include "core/play_record.h"

#include <cstddef>
#include <string>
#include <vector>

// Every change that moves outings into history.dat (a new goal period,
// outings imported or merged) is planned here without touching a file, then
// written as one commit (core/pending_change.h).
namespace kvr {

// A goal period is complete with thirty outings.
inline constexpr int kGoalPeriodLength = 30;

// The play data after a change: what play.dat and history.dat will hold.
struct PlayPlan {
    // The goal period, in play.dat's order (oldest first).
    std::vector<PlayRecord> period;
    // history.dat's record lines, newest first, as the file will hold them.
    std::vector<std::string> history;
    // Whether history.dat changes at all (when it does not, only play.dat is
    // written, through the store's own save).
    bool historyChanges = false;

    std::size_t toHistory = 0; // new outings older than the goal period, into the history
    std::size_t toPeriod = 0;  // new outings at or after the start of the goal period
    // Goal periods of thirty outings closed because the current one passed
    // thirty: its oldest outings went into the history with them.
    int periodsClosed = 0;
    // The goal period holds exactly thirty outings afterwards.
    bool periodComplete = false;
};

// Plans a change of the play data:
// - `period`: the goal period's outings, in play.dat's order;
// - `history`: history.dat's record lines as they stand, kept byte for byte;
// - `outings`: new outings, none of them stored yet (an import, a merge);
// - `closePeriod`: the whole goal period goes into the history afterwards (a
//   new goal period), else only full periods of thirty close.
// An outing dated before the goal period goes into the history; the others
// join the period, each before those of its date already there, as recording
// them one by one would. When the period then holds more than thirty, its
// oldest move into the history thirty at a time, so that one to thirty
// remain. The goal period starts at its oldest outing; when it holds none,
// at `firstCurrentDay` when given (a ZBD_Date day number: the oldest outing
// the source itself counts as current), else after the newest outing of the
// history. The history is kept newest first, in the order the exchange sort
// of the goal-period change gives (KVR_History::ExchangeSort).
PlayPlan PlanPlayChange(const std::vector<const PlayRecord*>& period,
                        std::vector<std::string> history, const std::vector<PlayRecord>& outings,
                        bool closePeriod, int firstCurrentDay = 0);

// The texts of the two files as the plan has them.
std::string PlayFileText(const PlayPlan& plan, float version);
std::string HistoryFileText(const PlayPlan& plan);

// What became of a commit.
enum class CommitResult {
    Done,       // both files are the plan's, for good
    Failed,     // nothing changed: the files are as they were
    Unfinished, // decided, but not all in place (or not confirmed on disk):
                // the next start finishes it, and until then the files are
                // held (PlayChangePending)
};

// Writes a plan's two files as one change: each staged beside the file it
// replaces (with that file's permissions), the mark naming `kind`, then each
// put in place, then the mark removed. With `keepBackups` the files as they
// were become play.old and history.old, as a new goal period keeps them.
// Refuses (Failed, nothing written) while another change is pending, or when
// a file it replaces may not be replaced.
CommitResult CommitPlayChange(PlayChangeKind kind, const std::string& playText,
                              const std::string& historyText, bool keepBackups);

} // namespace kvr
