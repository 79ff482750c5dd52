// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/date.h"
#include "core/past_records.h"
#include "core/play_record.h"
#include "core/record_store.h"

#include <array>
#include <optional>
#include <vector>

// The statistics pass: a function of the current goal period's records, the
// past records and today that returns the statistics block. It knows the
// records only, never the play store: the store (core/play_store.h) keeps a
// block of its own for the model's callers, filled through computeStatistics,
// and runs the pass after converting an old play.dat; the views take theirs
// from statisticsOf into their own snapshots. The rest of the program
// reaches both through play/statistics.h.

// Derived figures over the current goal period and the history; recomputed,
// never stored.
struct PlayStatistics {
    int currentWins = 0, currentLosses = 0, currentUndecided = 0;
    int yearWins = 0, yearLosses = 0, yearUndecided = 0;
    int allWins = 0, allLosses = 0, allUndecided = 0;
    float currentTime = 0, currentMatchTime = 0, currentPracticeTime = 0, currentLessonTime = 0;
    float yearTime = 0, yearMatchTime = 0, yearPracticeTime = 0, yearLessonTime = 0;
    float allTime = 0, allMatchTime = 0, allPracticeTime = 0, allLessonTime = 0;
    std::array<float, 6> strokeAverage{}; // Forehand, Backhand, Volley, Approach, Serve, Return
    float totalGameRating = 0;
    std::array<float, 4> levelAverage{};
    std::array<float, 60> monthlyTime{};
    bool hasHistory = false;
};

// Sums of a record's ratings by stroke, by level and in all.
void computeRecordTotals(PlayRecord& record);

// The statistics block of the goal period `period` (the play store's records)
// and the past records `past`, as of `today`. It reads no file and changes
// nothing: the record totals it needs are summed on the side. When the month
// span starts after today's month every figure is 0; `hasHistory` always
// tells whether `past` holds a record.
PlayStatistics statisticsOf(const ZBD_Data<PlayRecord>& period, const kvr::PastRecords& past,
                            const ZBD_Date& today);
// Calendar months from the start date's month to today's, both included,
// for the same records.
int monthsCovered(const ZBD_Data<PlayRecord>& period, const kvr::PastRecords& past,
                  const ZBD_Date& today);
// The date from which the monthly figures count: the oldest past record, else
// the older of the period's first and last records, else today.
ZBD_Date statisticsStartDate(const ZBD_Data<PlayRecord>& period, const kvr::PastRecords& past);
// Fills `block` (statisticsOf as of today) and every record's totals in
// `period`. When the month span starts after today's month, `hasHistory`
// keeps the value it had.
void computeStatistics(ZBD_Data<PlayRecord>& period, PlayStatistics& block,
                       const kvr::PastRecords& past);
// The same as computeStatistics, from `taken`: the block statisticsOf gave
// for these records as of `today`, taken once and shared with its other
// readers.
void keepStatistics(ZBD_Data<PlayRecord>& period, PlayStatistics& block,
                    const PlayStatistics& taken, const kvr::PastRecords& past,
                    const ZBD_Date& today);
// Progress through the goal period from the rated records' totals of the
// last statistics pass, 0 to 1; nullopt when it holds no rated record.
std::optional<float> goalProgress(const ZBD_Data<PlayRecord>& period);
// The same from the records' grand totals, in any order.
std::optional<float> goalProgress(const std::vector<int>& grandTotals);
