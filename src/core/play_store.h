// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/past_records.h"
#include "core/record_store.h"

#include <array>
#include <cstddef>
#include <future>
#include <memory>
#include <string>

class KVR_History;

namespace kvr {

// Rating rows and level columns of a play record.
enum class Stroke { Forehand, Backhand, Serve, Return, Volley, Approach };
enum class Level { Consistency, Placement, Spin, Power };
inline constexpr int kStrokeCount = 6;
inline constexpr int kLevelCount = 4;

// The row of a stroke, or the column of a level, in PlayRecord::ratings.
constexpr std::size_t Index(Stroke stroke) {
    return static_cast<std::size_t>(stroke);
}
constexpr std::size_t Index(Level level) {
    return static_cast<std::size_t>(level);
}

// The order of the strokes within a level in a play.dat line.
inline constexpr std::array<Stroke, kStrokeCount> kStrokeFileOrder{
    Stroke::Forehand, Stroke::Backhand, Stroke::Serve,
    Stroke::Volley,   Stroke::Return,   Stroke::Approach};

} // namespace kvr

// One outing on court.
struct PlayRecord : ZBD_DataRecordBase<PlayRecord> {
    std::string date, singlesDoubles, partner, who, secondOpponent, time, kind, result, score,
        spare1, spare2, matchNotes, practiceNotes;
    // ratings[Index(stroke)][Index(level)]
    std::array<std::array<int, kvr::kLevelCount>, kvr::kStrokeCount> ratings{};
    std::array<int, kvr::kStrokeCount> strokeTotal{};
    std::array<int, kvr::kLevelCount> levelTotal{};
    int grandTotal = 0;

    PlayRecord() { sortKind = 'D'; }

    int& Rating(kvr::Stroke stroke, kvr::Level level) {
        return ratings[kvr::Index(stroke)][kvr::Index(level)];
    }
    int Rating(kvr::Stroke stroke, kvr::Level level) const {
        return ratings[kvr::Index(stroke)][kvr::Index(level)];
    }

    void Assign(const PlayRecord& other) override;
    std::string Key() const override { return date; }
    std::string ToLine() const override;
    void FromLine(const std::string& line) override;
    bool Equals(const PlayRecord& other) const override;

    // The thirteen text fields only, as history.dat keeps them.
    std::string ToHistoryLine() const;
};

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
