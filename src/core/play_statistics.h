// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/date.h"
#include "core/past_records.h"
#include "core/play_store.h"

#include <optional>
#include <vector>

// The statistics pass: a function of the current goal period, the past
// records and today that returns the statistics block. The play store keeps
// a block of its own for the model's callers, filled by computeStatistics;
// the views take theirs from statisticsOf into their own snapshots. It lives
// beside the store, which runs it after converting an old play.dat. The rest
// of the program reaches it through play/statistics.h.

// Sums of a record's ratings by stroke, by level and in all.
void computeRecordTotals(PlayRecord& record);

// The statistics block of the goal period in `store` and the past records
// `past`, as of `today`. It reads no file and changes nothing: the record
// totals it needs are summed on the side. When the month span starts after
// today's month every figure is 0; `hasHistory` always tells whether `past`
// holds a record.
PlayStatistics statisticsOf(const KVR_PlayData& store, const kvr::PastRecords& past,
                            const ZBD_Date& today);
// Calendar months from the start date's month to today's, both included,
// for the same records.
int monthsCovered(const KVR_PlayData& store, const kvr::PastRecords& past, const ZBD_Date& today);
// The date from which the monthly figures count: the oldest past record, else
// the oldest current one, else today.
ZBD_Date statisticsStartDate(KVR_PlayData& store);
// Calendar months from the start date's month to today's, both included.
int monthsCovered(KVR_PlayData& store);
// Fills the play store's statistics block (statisticsOf as of today) and
// every current record's totals. When the month span starts after today's
// month, `hasHistory` keeps the value it had. The history is taken from the
// store's copy of it, so a pass reads no file unless history.dat changed.
void computeStatistics(KVR_PlayData& store);
// The same pass over the given past records.
void computeStatistics(KVR_PlayData& store, const kvr::PastRecords& past);
// Progress through the goal period from the totals of the last statistics
// pass, 0 to 1; nullopt when it holds no records.
std::optional<float> goalProgress(const KVR_PlayData& store);
// The same from the records' grand totals, in any order.
std::optional<float> goalProgress(const std::vector<int>& grandTotals);
