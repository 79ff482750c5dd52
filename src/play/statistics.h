#pragma once

#include "core/date.h"
#include "core/play_store.h"

#include <optional>
#include <string>

// Sums of a record's ratings by stroke, by level and in all.
void computeRecordTotals(PlayRecord& record);
ZBD_Date statisticsStartDate(KVR_PlayData& store);
int monthsCovered(KVR_PlayData& store);
// Fills the play store's statistics block from the current goal period and
// the history.
void computeStatistics(KVR_PlayData& store);
// Progress through the goal period; nullopt when it holds no records.
std::optional<float> goalProgress(const KVR_PlayData& store);

// What the phone book shows about a person from the play records.
struct OpponentStats {
    std::string lastPlayed, lastOuting, winLossRecord;
};
bool ComputeOpponentStats(KVR_PlayData& store, const std::string& name, OpponentStats& stats);
