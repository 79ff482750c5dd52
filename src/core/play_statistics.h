// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/date.h"
#include "core/past_records.h"
#include "core/play_store.h"

#include <optional>

// The statistics pass: it fills the play store's statistics block and lives
// beside the store, which runs it after converting an old play.dat. The rest
// of the program reaches it through play/statistics.h.

// Sums of a record's ratings by stroke, by level and in all.
void computeRecordTotals(PlayRecord& record);
// The date from which the monthly figures count: the oldest past record, else
// the oldest current one, else today.
ZBD_Date statisticsStartDate(KVR_PlayData& store);
// Calendar months from the start date's month to today's, both included.
int monthsCovered(KVR_PlayData& store);
// Fills the play store's statistics block from the current goal period and
// the history, and every current record's totals. The history is taken from
// the store's copy of it, so a pass reads no file unless history.dat changed.
void computeStatistics(KVR_PlayData& store);
// The same pass over the given past records.
void computeStatistics(KVR_PlayData& store, const kvr::PastRecords& past);
// Progress through the goal period from the totals of the last statistics
// pass, 0 to 1; nullopt when it holds no records.
std::optional<float> goalProgress(const KVR_PlayData& store);
