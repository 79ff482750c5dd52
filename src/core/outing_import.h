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
        Unconfirmed, // decided, but not all in place or not confirmed on
                     // disk: the store holds it, the next start finishes it
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
// yet) to the play data, as KVR_PlayData::ChangePlayData places them: an
// outing dated before the current goal period goes into history.dat, the
// others into play.dat, whose oldest move to the history thirty at a time
// while the period holds more than thirty (kvr::PlanPlayChange says how).
// When the history changes, both files change as one commit
// (kvr::CommitPlayChange, named `kind` in its mark); otherwise play.dat
// alone through the store's own save. No outing is ever lost or stored
// twice, whatever fails. On Failed the files and the store are as they
// were; otherwise the store holds the new goal period. The caller runs the
// change signal (and keeps a backup first).
PlacedOutings AddOutings(KVR_PlayData& play, const std::vector<PlayRecord>& outings,
                         int firstCurrentDay = 0, PlayChangeKind kind = PlayChangeKind::Import);

} // namespace kvr
