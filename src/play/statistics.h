#pragma once

#include "core/date.h"
#include "core/play_store.h"

#include <optional>
#include <string>
#include <vector>

// Sums of a record's ratings by stroke, by level and in all.
void computeRecordTotals(PlayRecord& record);
// The date from which the monthly figures count: the oldest past record, else
// the oldest current one, else today.
ZBD_Date statisticsStartDate(KVR_PlayData& store);
// Calendar months from the start date's month to today's, both included.
int monthsCovered(KVR_PlayData& store);
// Fills the play store's statistics block from the current goal period and
// the history, and every current record's totals.
void computeStatistics(KVR_PlayData& store);
// Progress through the goal period from the totals of the last statistics
// pass, 0 to 1; nullopt when it holds no records.
std::optional<float> goalProgress(const KVR_PlayData& store);

// What the phone book shows about a person from the play records.
struct OpponentStats {
    std::string lastPlayed, lastOuting, winLossRecord;
};
// Last outing with a person (as opponent or partner) and the win/loss record
// against that person. Always returns true.
bool ComputeOpponentStats(KVR_PlayData& store, const std::string& name, OpponentStats& stats);
// The same for many people with a single pass over the records: element i is
// what ComputeOpponentStats gives for names[i].
std::vector<OpponentStats> ComputeOpponentStatsForAll(KVR_PlayData& store,
                                                      const std::vector<std::string>& names);
