// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/play_store.h"

#include <cstddef>
#include <string>
#include <unordered_set>
#include <vector>

// Outings that come from outside the add-play dialog (an imported CSV, the
// records of a conflict copy that the live files lack) are placed here, as a
// goal-period change would have placed them. Used by the CSV import and by
// the merge of conflict copies: both first drop the outings already stored
// (StoredOutings), then hand the rest to AddOutings in one batch.
namespace kvr {

// What makes two outings the same one for an import or a merge: the date
// (normalised), the kind's letter, who and the time, as stored.
std::string OutingKey(const PlayRecord& outing);

// The keys of every outing in play.dat and history.dat, so that an import
// skips those already there.
class StoredOutings {
public:
    // Reads the play store's records and history.dat (through a reader of
    // its own). False when the history could not be read whole: nothing
    // may then be added, as an outing could be stored twice.
    bool Read(const KVR_PlayData& play);
    bool Contains(const PlayRecord& outing) const { return keys_.count(OutingKey(outing)) > 0; }
    // Counts an outing as stored, so that the same outing twice in one batch
    // is added once.
    void Insert(const PlayRecord& outing) { keys_.insert(OutingKey(outing)); }

private:
    std::unordered_set<std::string> keys_;
};

// What AddOutings did.
struct PlacedOutings {
    enum class Result {
        Stored,      // every outing is in play.dat or history.dat
        Nothing,     // the batch was empty: no file was touched
        Failed,      // nothing stored: the files and the store are as before
        Unconfirmed, // past its point of no return, but the files could not
                     // all be put in place: the next start finishes it
    };
    Result result = Result::Nothing;
    std::size_t toHistory = 0; // outings older than the goal period, put into the history
    std::size_t toPeriod = 0;  // outings added to the current goal period
    // Goal periods of thirty outings closed because the current one passed
    // thirty: its oldest outings went to the history with them. The caller
    // tells the player as a goal-period change does.
    int periodsClosed = 0;
    // The current goal period holds exactly thirty outings afterwards.
    bool periodComplete = false;
};

// Adds a batch of outings (already checked and cleaned, none of them stored
// yet) to the play data:
// - an outing dated before the current goal period goes into history.dat,
//   which stays ordered newest first, as a goal-period change puts records
//   there;
// - an outing dated inside or after it goes into play.dat; when the period
//   then holds more than thirty (KVR_PlayData::kGoalPeriodLength) outings,
//   its oldest move to the history thirty at a time, as recording them one
//   by one would have closed those periods, so that one to thirty remain.
// The current goal period starts at the oldest outing of play.dat; when
// play.dat holds none, at `firstCurrentDay` when given (a ZBD_Date day
// number: the oldest outing that the source itself counts as current, so
// that an exported log comes back with its own goal period), else after
// the newest outing of the history.
//
// No outing is ever lost or stored twice, whatever fails. When outings of
// play.dat move into the history, both files' new versions are staged
// beside them and a commit mark written before either is put in place, and
// KVR_PlayData::RecoverInterruptedGoalPeriod finishes (mark present) or
// drops (no mark) a change that a crash cut short. Otherwise the history
// gains outings of the batch alone: it is replaced first, then play.dat
// through the store's write path (a save that fails puts the history back;
// a crash in between leaves the import partly stored, and importing again
// adds the rest). Nothing is written over a play.dat or a history.dat that
// could not be read whole or may not be replaced. On Failed the files and
// the store are as they were; on Stored the store holds play.dat's records.
// The caller runs the change signal (and keeps a backup first).
PlacedOutings AddOutings(KVR_PlayData& play, const std::vector<PlayRecord>& outings,
                         int firstCurrentDay = 0);

} // namespace kvr
