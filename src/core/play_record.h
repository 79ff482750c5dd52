// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/record_store.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

// One outing on court as play.dat and history.dat keep it: the record, its
// rating table and its line. The stores and readers of those files (the play
// store, the history, the past records and the statistics pass) build on it.

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
    // Whether the player rated the outing. An outing brought in without
    // ratings (an import, a history line) keeps its rating fields empty in
    // play.dat, and no rating figure counts it.
    bool rated = true;
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

    // Whether the outing was a match ("M..." in any case), and whether it
    // was played in doubles ("D..."): the codes every view and report go by.
    bool IsMatch() const;
    bool IsDoubles() const;
};

namespace kvr {

// Whether a line reads as a record of play.dat or history.dat: the thirteen
// text fields alone (as history.dat keeps them) or with the 24 ratings, all
// quoted, on a valid date.
bool IsPlayRecordLine(std::string_view line);
// The same for a line already split: `fields` split `line` on commas.
bool IsPlayRecordLine(std::string_view line, const ZBD_Record& fields);

} // namespace kvr
