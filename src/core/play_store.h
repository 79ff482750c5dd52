// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/past_records.h"
#include "core/play_change.h"
#include "core/play_record.h"
#include "core/play_statistics.h"
#include "core/record_store.h"

#include <array>
#include <cstddef>
#include <future>
#include <memory>
#include <optional>
#include <string>

class KVR_History;

// The current goal period: play.dat, kept in date order.
class KVR_PlayData : public ZBD_Data<PlayRecord> {
public:
    static constexpr int kGoalPeriodLength = kvr::kGoalPeriodLength;

    KVR_PlayData();
    ~KVR_PlayData() override;

    int Upgrade(float fileVersion) override;
    bool IsRecordLine(const std::string& line) const override;
    // Whether a line reads as a record of play.dat or history.dat.
    static bool IsPlayRecordLine(const std::string& line);

    // Moves the current goal period into history.dat and empties play.dat,
    // keeping both files as they were in play.old and history.old. Returns
    // 1, or -1 when it could not be done (the files and the store are then
    // as they were) or not be confirmed on disk (the change is then in the
    // store and finished at the latest by the next start); no record is
    // ever lost or duplicated, whatever fails.
    int StartNewGoalPeriod();

    // Changes play.dat and history.dat together (kvr::PlanPlayChange, then
    // kvr::CommitPlayChange when the history changes, else the store's own
    // save): new outings placed (an import, a merge) and, with
    // `closePeriod`, the whole goal period closed. Refused (Failed, nothing
    // written) over a play.dat or a history.dat that could not be read
    // whole, and while an earlier change waits to be finished. On Done and
    // Unfinished the store holds the new goal period; on Failed it is as it
    // was. `plan`, when given, receives the plan and its figures.
    kvr::CommitResult ChangePlayData(kvr::PlayChangeKind kind,
                                     const std::vector<PlayRecord>& outings, bool closePeriod,
                                     int firstCurrentDay = 0, kvr::PlayPlan* plan = nullptr);

    // What ChangePlayData would do, from the files as they are, changing
    // nothing; nullopt when play.dat or history.dat could not be read whole.
    std::optional<kvr::PlayPlan> PlanChange(const std::vector<PlayRecord>& outings,
                                            bool closePeriod, int firstCurrentDay = 0);

    // Finishes or drops a change of play.dat and history.dat that was cut
    // short, and removes temporary files left by interrupted saves
    // (kvr::FinishInterruptedPlayChange). Run once at start-up, before any
    // store is loaded. 1 a change was finished, 0 nothing waited, -1 a
    // change waits that could not be finished: play.dat and history.dat
    // are then held for the whole run.
    static int RecoverInterruptedChange();

    // No save writes play.dat while a change of the play data waits to be
    // finished: the next start would put its staged play.dat over it.
    bool WritesHeld() const override { return kvr::PlayChangePending(); }

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
