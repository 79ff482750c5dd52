// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/backups.h"
#include "core/import_report.h"
#include "core/outing_import.h"
#include "core/play_store.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Outings read from a CSV file: the notes CSV this program writes, or a
// spreadsheet's with any of the same column names in any order (Date,
// Opponent and Kind are enough). UTF-8 with or without a byte order mark,
// comma or semicolon separated, quoted as RFC 4180 quotes (a quoted field
// may hold the separator, doubled quotes and line breaks), any line ends.
// Each row is checked and cleaned as the add-play dialog checks and cleans
// what is typed: a valid date in its normal form, names capitalised, the
// fields a kind or singles does not keep emptied, hours above 0 and at most
// 12, every text cut to its field's limit (and said).
namespace kvr {

// The notes CSV's columns, in the order it writes them; the 24 ratings
// follow, a stroke's four levels together (RatingColumn).
inline constexpr std::array<const char*, 12> kNotesCsvColumns{
    "Period", "Date", "Singles/Doubles", "Opponent", "Second Opponent", "Partner",
    "Time",   "Kind", "Result",          "Score",    "Match Notes",     "Practice Notes"};
inline constexpr std::array<Stroke, kStrokeCount> kCsvStrokeOrder{
    Stroke::Forehand, Stroke::Backhand, Stroke::Serve,
    Stroke::Return,   Stroke::Volley,   Stroke::Approach};
inline constexpr std::array<Level, kLevelCount> kCsvLevelOrder{Level::Consistency, Level::Placement,
                                                               Level::Spin, Level::Power};
// "Forehand Consistency" ... "Approach Power".
std::string RatingColumn(Stroke stroke, Level level);

// The most characters kept of each field, as the add-play dialog keeps them.
inline constexpr std::size_t kOutingNameLength = 24;
inline constexpr std::size_t kOutingScoreLength = 24;
inline constexpr std::size_t kOutingTimeLength = 9;
inline constexpr std::size_t kOutingNotesLength = 219;
// A row longer than this is no row of outings (a file that is not what it
// seems): it is skipped without being kept in memory.
inline constexpr std::size_t kMaxCsvRowBytes = 64 * 1024;

struct OutingsCsv {
    // Not empty when the text is no CSV of outings (empty, or no header row
    // naming Date, Opponent and Kind): nothing of it can be imported.
    std::string error;
    std::vector<PlayRecord> outings; // the rows read, in the file's order
    std::vector<std::size_t> lines;  // the line each of them starts on
    std::vector<ImportProblem> problems;
    // The day (ZBD_Date::DayNumber) of the oldest outing the file's Period
    // column marks "Current"; 0 when none does.
    int firstCurrentDay = 0;
};

// Reads a CSV file's whole contents.
OutingsCsv ReadOutingsCsv(std::string_view contents);

// What importing a CSV into the play data would do: the report for the
// preview, and the outings to hand to AddOutings (those already stored
// left out).
struct OutingImport {
    std::string error; // not empty: nothing can be imported (and why)
    ImportReport report;
    std::vector<PlayRecord> outings;
    int firstCurrentDay = 0;
};

// Reads `contents` and compares it with the stored outings of `play` (and
// of history.dat, through a reader of its own).
OutingImport PrepareOutingImport(std::string_view contents, const KVR_PlayData& play);

// The data files an import of outings may change.
const std::vector<std::string>& OutingFiles();

// Stores what PrepareOutingImport found: a backup of play.dat and
// history.dat first (BackupBeforeChange), then the outings (AddOutings).
// Nothing is stored when the backup could not be made whole.
struct StoredOutingImport {
    BackupResult backup;
    PlacedOutings placed;
};
StoredOutingImport StoreOutingImport(KVR_PlayData& play, const OutingImport& import);

} // namespace kvr
