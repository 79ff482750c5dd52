// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/backups.h"
#include "core/import_report.h"
#include "core/outing_import.h"
#include "core/play_store.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Outings read from a CSV file: the notes CSV this program writes, or a
// spreadsheet's with any of the same column names in any order (Date,
// Opponent and Kind are enough). UTF-8 (with or without a byte order mark),
// UTF-16 with its byte order mark, or Windows-1252 where a field is not
// valid UTF-8 (stored as UTF-8); comma or semicolon separated, quoted as
// RFC 4180 quotes (a quoted field may hold the separator, doubled quotes and
// line breaks), any line ends. Each row is checked and cleaned as the
// add-play dialog checks and cleans what is typed: a valid date in its normal
// form, names capitalised, the fields a kind or singles does not keep
// emptied, hours above 0 and at most 12, every text cut to its field's limit
// (and said). A cell that an export wrote with a leading ' so that a
// spreadsheet does not run it ('=, '+, '-, '@) is read as it was written.
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

// How slash dates are read: month first (3/4/2026 is March 4), day first
// (3 April), or as the file tells (FromFile): a date whose first number
// can only be a day (13/4/2026) makes the whole file day first, one whose
// second number can only be a day (4/13/2026) month first. Dotted dates
// (3.4.2026) are always day first, ISO dates (2026-04-03) year first.
enum class DateOrder { FromFile, MonthFirst, DayFirst };

// The forms of date, hours, kind, result and singles or doubles a file may
// use, as the reasons for a skipped row name them.
inline constexpr const char* kDateForms = "M/D/YYYY, D/M/YYYY, D.M.YYYY or YYYY-MM-DD";
inline constexpr const char* kHoursForms = "above 0 and at most 12, as 1.5, 1,5 or 1:30";
inline constexpr const char* kKindWords =
    "Match, Singles match, Doubles match, M, Practice, Training, Drill, P, Lesson, Coaching, L";
inline constexpr const char* kResultWords = "Win, Won, W, Loss, Lost, L, Undecided, Draw, Tie, U";
inline constexpr const char* kSinglesDoublesWords = "Singles, S, Doubles, D";

// Hours written as a clock ("1:30", "0:45") in the form they are stored
// ("1.5", "0.75": at most two decimals); nothing when the text is no h:mm.
std::optional<std::string> ClockHours(std::string_view text);

// What the reader filled in or left out of an outing because the file did
// not give it or the outing's kind does not keep it (OutingsCsv::applied).
enum OutingDefault : unsigned {
    kStoredUndecided = 1u << 0,  // a match without a result
    kStoredUnrated = 1u << 1,    // no ratings
    kStoredSingles = 1u << 2,    // no singles or doubles
    kDroppedResult = 1u << 3,    // a result or score for a practice or lesson
    kDroppedPartners = 1u << 4,  // a partner or second opponent for singles
    kReadAsWindows1252 = 1u << 5 // a field that was not UTF-8
};

struct OutingsCsv {
    // Not empty when the text is no CSV of outings (empty, or no header row
    // naming Date, Opponent and Kind): nothing of it can be imported.
    std::string error;
    std::vector<PlayRecord> outings; // the rows read, in the file's order
    std::vector<std::size_t> lines;  // the line each of them starts on
    std::vector<unsigned> applied;   // the OutingDefault flags of each of them
    std::vector<ImportProblem> problems;
    // The day (ZBD_Date::DayNumber) of the oldest outing the file's Period
    // column marks "Current"; 0 when none does.
    int firstCurrentDay = 0;
    // The file leaves the order of its slash dates open (each of them reads
    // as month/day and as day/month, or it has dates of both orders) and
    // none was given: nothing was read, and `error` says why. The player
    // chooses, and the file is read again in that order.
    bool dateOrderOpen = false;
};

// Reads a CSV file's whole contents.
OutingsCsv ReadOutingsCsv(std::string_view contents, DateOrder order = DateOrder::FromFile);

// What importing a CSV into the play data would do: the report for the
// preview, and the outings to hand to AddOutings (those already stored
// left out).
struct OutingImport {
    std::string error; // not empty: nothing can be imported (and why)
    // As OutingsCsv::dateOrderOpen: the import waits for the order of the dates.
    bool dateOrderOpen = false;
    ImportReport report;
    std::vector<PlayRecord> outings;
    std::vector<std::size_t> lines; // the line of the file each outing starts on
    std::vector<unsigned> applied;  // the OutingDefault flags of each outing
    // Where each outing goes (kvr::PlanPlayChange, nothing stored): true
    // into the history, false into the goal period.
    std::vector<bool> intoHistory;
    std::size_t toHistory = 0;
    std::size_t toPeriod = 0;
    int periodsClosed = 0;       // goal periods of thirty the import closes
    bool periodComplete = false; // the goal period holds thirty afterwards
    int firstCurrentDay = 0;
};

// Reads `contents` and compares it with the stored outings of `play` (and
// of history.dat, through a reader of its own), then plans where each new
// outing goes as KVR_PlayData::ChangePlayData would place it.
OutingImport PrepareOutingImport(std::string_view contents, const KVR_PlayData& play,
                                 DateOrder order = DateOrder::FromFile);

// What the import decides besides adding outings, one line each: the goal
// periods it closes, then every default it applies ("2 matches without a
// result: stored as undecided"). Empty when it decides nothing.
std::vector<std::string> DescribeOutingDecisions(const OutingImport& import);

// The kind of an outing as a word ("Match", "Practice", "Lesson").
std::string KindWord(const PlayRecord& outing);

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
