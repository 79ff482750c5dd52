// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/past_records.h"
#include "core/play_statistics.h"
#include "core/play_store.h"

#include <string>
#include <vector>

// The statistics over the play records: the pass that fills the play store's
// statistics block (core/play_statistics.h) and the opponent figures of the
// phone book.

// What the phone book shows about a person from the play records.
struct OpponentStats {
    std::string lastPlayed, lastOuting, winLossRecord;
};
// Last outing with a person (as opponent or partner) and the win/loss record
// against that person. Always returns true.
bool ComputeOpponentStats(KVR_PlayData& store, const std::string& name, OpponentStats& stats);

namespace kvr {

// The same for many people with a single pass over the records: element i is
// what ComputeOpponentStats gives for names[i].
std::vector<OpponentStats> ComputeOpponentStatsForAll(KVR_PlayData& store,
                                                      const std::vector<std::string>& names);
// The same over the given past records instead of the store's copy of them.
std::vector<OpponentStats> ComputeOpponentStatsForAll(KVR_PlayData& store,
                                                      const std::vector<std::string>& names,
                                                      const PastRecords& past);

} // namespace kvr
