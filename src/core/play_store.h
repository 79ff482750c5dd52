// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/past_records.h"
#include "core/play_record.h"
#include "core/play_statistics.h"
#include "core/record_store.h"

#include <array>
#include <cstddef>
#include <future>
#include <memory>
#include <string>

class KVR_History;

// The current goal period: play.dat, kept in date order.
class KVR_PlayData : public ZBD_Data<PlayRecord> {
public:
    static constexpr int kGoalPeriodLength = 30;

    KVR_PlayData();
    ~KVR_PlayData() override;

    int Upgrade(float fileVersion) override;
    bool IsRecordLine(const std::string& line) const override;
    // Whether a line reads as a record of play.dat or history.dat.
    static bool IsPlayRecordLine(const std::string& line);

    // Moves the current goal period into history.dat and empties play.dat.
    // Returns 1, or 0 or less when nothing (or not all) could be done; no
    // record is ever lost or duplicated, whatever fails.
    int StartNewGoalPeriod();

    // Finishes or undoes a goal-period change that a crash interrupted and
    // removes temporary files left by interrupted saves. Run once at
    // start-up, before any store is loaded. Returns 1 when it finished a
    // change, 0 when there was nothing to finish, -1 when it could not.
    static int RecoverInterruptedGoalPeriod();

    // The shared history reader, for paging through the past records.
    KVR_History& History() { return *history_; }
    // The past records as the statistics read them, first brought up to
    // date with history.dat.
    const kvr::PastRecords& Past();
    // Starts reading the past records on a thread of their own, so that
    // they are ready when Past() is first called (it waits for the read).
    // For start-up, once the history has been checked: nothing may write
    // history.dat before Past() is called.
    void ReadPastAhead();

    PlayStatistics& Stats() { return stats_; }
    const PlayStatistics& Stats() const { return stats_; }

private:
    static int RecoverGoalPeriodChange();

    std::unique_ptr<KVR_History> history_;
    kvr::PastRecords past_;
    std::future<kvr::PastRecords> pastAhead_;
    PlayStatistics stats_;
};

// The play store's own statistics block, through the pass above
// (core/play_statistics.h) over its records and its copy of the past ones.

// The date from which the monthly figures count (statisticsStartDate over the
// store's past records).
ZBD_Date statisticsStartDate(KVR_PlayData& store);
// Calendar months from the start date's month to today's, both included.
int monthsCovered(KVR_PlayData& store);
// Fills the store's statistics block and every current record's totals. The
// history is taken from the store's copy of it, so a pass reads no file
// unless history.dat changed.
void computeStatistics(KVR_PlayData& store);
// The same pass over the given past records.
void computeStatistics(KVR_PlayData& store, const kvr::PastRecords& past);
