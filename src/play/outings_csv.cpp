// SPDX-License-Identifier: GPL-3.0-or-later
#include "play/outings_csv.h"

#include "core/date.h"
#include "core/file_formats.h"
#include "core/history.h"
#include "core/name_match.h"
#include "core/outing_import.h"
#include "core/play_change.h"
#include "core/record_store.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <set>

namespace kvr {
namespace {

constexpr const char* kStrokeNames[] = {"Forehand", "Backhand", "Serve",
                                        "Return",   "Volley",   "Approach"};
constexpr const char* kLevelNames[] = {"Consistency", "Placement", "Spin", "Power"};

// One row of the file, its fields unquoted.
struct CsvRow {
    std::vector<std::string> fields;
    std::size_t line = 0; // where it starts
    bool tooLong = false;
    bool unterminated = false; // a quoted field ran to the end of the file
};

// Splits a text into rows as RFC 4180 does, with any line end.
class CsvReader {
public:
    CsvReader(std::string_view text, char separator) : text_(text), separator_(separator) {}

    bool Next(CsvRow& row) {
        row.fields.clear();
        row.tooLong = false;
        row.unterminated = false;
        if (pos_ >= text_.size())
            return false;
        row.line = line_;
        const std::size_t start = pos_;
        std::string field;
        while (true) {
            field.clear();
            if (pos_ < text_.size() && text_[pos_] == '"') {
                ++pos_;
                bool closed = false;
                while (pos_ < text_.size()) {
                    const std::size_t quote = text_.find('"', pos_);
                    const std::size_t end = quote == std::string_view::npos ? text_.size() : quote;
                    Take(field, start, pos_, end, row);
                    CountLines(pos_, end);
                    pos_ = end;
                    if (quote == std::string_view::npos)
                        break;
                    if (quote + 1 < text_.size() && text_[quote + 1] == '"') {
                        Take(field, start, quote, quote + 1, row);
                        pos_ = quote + 2;
                        continue;
                    }
                    pos_ = quote + 1;
                    closed = true;
                    break;
                }
                row.unterminated = row.unterminated || !closed;
            }
            // Unquoted text, or what follows a closing quote, up to the
            // separator or the line end.
            std::size_t end = pos_;
            while (end < text_.size() && text_[end] != separator_ && text_[end] != '\n' &&
                   text_[end] != '\r')
                ++end;
            Take(field, start, pos_, end, row);
            pos_ = end;
            if (!row.tooLong)
                row.fields.push_back(field);
            if (pos_ < text_.size() && text_[pos_] == separator_) {
                ++pos_;
                continue;
            }
            if (pos_ < text_.size()) { // a line end: CR LF, LF or CR
                if (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n')
                    ++pos_;
                ++pos_;
                ++line_;
            }
            if (row.tooLong)
                row.fields.clear();
            return true;
        }
    }

private:
    // Adds text_[from, to) to a field, unless the row has grown too long
    // (it is then only read past).
    void Take(std::string& field, std::size_t rowStart, std::size_t from, std::size_t to,
              CsvRow& row) const {
        if (to - rowStart > kMaxCsvRowBytes) {
            row.tooLong = true;
            row.fields.clear();
            field.clear();
        }
        if (!row.tooLong)
            field.append(text_.substr(from, to - from));
    }

    void CountLines(std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            if (text_[i] == '\n' ||
                (text_[i] == '\r' && (i + 1 >= text_.size() || text_[i + 1] != '\n')))
                ++line_;
        }
    }

    std::string_view text_;
    char separator_;
    std::size_t pos_ = 0;
    std::size_t line_ = 1;
};

// Without the blanks around it: spaces, tabs and the no-break spaces a
// spreadsheet may write (U+00A0 in UTF-8).
std::string Trimmed(std::string_view text) {
    constexpr std::string_view kNoBreak = "\xC2\xA0";
    while (true) {
        if (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
            text.remove_prefix(1);
        else if (text.starts_with(kNoBreak))
            text.remove_prefix(kNoBreak.size());
        else if (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
            text.remove_suffix(1);
        else if (text.ends_with(kNoBreak))
            text.remove_suffix(kNoBreak.size());
        else
            return std::string(text);
    }
}

std::string Lower(std::string_view text) {
    std::string lower = Trimmed(text);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

// Cuts a UTF-8 text to `limit` characters; true when it was longer.
bool CutTo(std::string& text, std::size_t limit) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
            continue;
        if (characters++ == limit) {
            text.resize(i);
            return true;
        }
    }
    return false;
}

// The columns this reader knows, by their names in lower case.
enum Column {
    kPeriod,
    kDate,
    kSinglesDoubles,
    kOpponent,
    kSecondOpponent,
    kPartner,
    kTime,
    kKind,
    kResult,
    kScore,
    kMatchNotes,
    kPracticeNotes,
    kFirstRating, // then the 24 ratings, a stroke's four levels together
    // A spreadsheet's single "Notes" column: the notes of the outing's kind.
    kNotes = kFirstRating + kStrokeCount * kLevelCount,
    kColumnCount,
};
constexpr int kRatingColumns = kStrokeCount * kLevelCount;

std::optional<int> ColumnOf(const std::string& name) {
    const std::string lower = Lower(name);
    for (std::size_t i = 0; i < kNotesCsvColumns.size(); ++i)
        if (lower == Lower(kNotesCsvColumns[i]))
            return static_cast<int>(i);
    // The names a spreadsheet (or the ratings CSV) may give them.
    static const std::pair<const char*, int> kOtherNames[] = {{"who", kOpponent},
                                                              {"hours", kTime},
                                                              {"s/d", kSinglesDoubles},
                                                              {"m/p/l", kKind},
                                                              {"w/l", kResult},
                                                              {"my partner", kPartner},
                                                              {"2nd opponent", kSecondOpponent},
                                                              {"notes", kNotes}};
    for (auto [other, column] : kOtherNames)
        if (lower == other)
            return column;
    for (std::size_t s = 0; s < kCsvStrokeOrder.size(); ++s)
        for (std::size_t l = 0; l < kCsvLevelOrder.size(); ++l)
            if (lower == Lower(RatingColumn(kCsvStrokeOrder[s], kCsvLevelOrder[l])))
                return kFirstRating + static_cast<int>(s * kLevelCount + l);
    return std::nullopt;
}

// Where each known column stands in the file's rows; -1 when absent.
struct Header {
    std::array<int, kColumnCount> place;
    int known = 0;
};

Header ReadHeader(const CsvRow& row) {
    Header header;
    header.place.fill(-1);
    for (std::size_t i = 0; i < row.fields.size(); ++i)
        if (auto column = ColumnOf(row.fields[i]); column && header.place[*column] < 0) {
            header.place[*column] = static_cast<int>(i);
            ++header.known;
        }
    return header;
}

// The words a choice is written with, each with its code.
struct Word {
    const char* word; // in lower case
    const char* code;
};
// The kind: "L" is a lesson here and a loss in the result.
constexpr Word kKinds[] = {{"match", "M"},
                           {"singles match", "M"},
                           {"doubles match", "M"},
                           {"m", "M"},
                           {"practice", "P"},
                           {"training", "P"},
                           {"drill", "P"},
                           {"p", "P"},
                           {"lesson", "L"},
                           {"coaching", "L"},
                           {"l", "L"}};
constexpr Word kResults[] = {{"win", "W"},  {"won", "W"}, {"w", "W"},         {"loss", "L"},
                             {"lost", "L"}, {"l", "L"},   {"undecided", "U"}, {"draw", "U"},
                             {"tie", "U"},  {"u", "U"}};
constexpr Word kPlayedAs[] = {{"singles", "S"}, {"s", "S"}, {"doubles", "D"}, {"d", "D"}};

// The code of a choice from one of its words, in any case, with blanks
// around it or not: "Won", " w " -> "W". Empty when it is none of them.
template <std::size_t N> std::string Choice(const std::string& text, const Word (&words)[N]) {
    const std::string lower = Lower(text);
    for (const Word& word : words)
        if (lower == word.word)
            return word.code;
    return {};
}

// A date cell split into its three numbers as written: "3/4/2026",
// "3.4.26", "2026-04-03" (year, month, day).
struct WrittenDate {
    char mark = 0; // '/', '.' or '-'
    std::array<std::string, 3> parts;
};

std::optional<WrittenDate> SplitDate(const std::string& text) {
    WrittenDate date;
    std::size_t part = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            date.parts[part] += c;
        } else if ((c == '/' || c == '.' || c == '-') && part < 2 &&
                   (date.mark == 0 || date.mark == c)) {
            date.mark = c;
            ++part;
        } else {
            return std::nullopt;
        }
    }
    if (part != 2)
        return std::nullopt;
    // The year four digits or two; a month or a day one or two.
    const std::size_t year = date.mark == '-' ? 0 : 2;
    for (std::size_t i = 0; i < 3; ++i) {
        const std::size_t digits = date.parts[i].size();
        if (i == year ? (digits != 4 && (digits != 2 || date.mark == '-'))
                      : (digits < 1 || digits > 2))
            return std::nullopt;
    }
    return date;
}

// The normal text of month/day/year, read as the date type reads a typed
// date (a two-digit year included); nothing when it is no valid date.
std::optional<std::string> ValidDate(const std::string& month, const std::string& day,
                                     const std::string& year) {
    const ZBD_Date date(month + "/" + day + "/" + year);
    if (!date.IsValid())
        return std::nullopt;
    return date.Text();
}

// What a slash date tells of the file's order.
enum class OrderHint { None, Either, MonthFirst, DayFirst };

OrderHint HintOf(const WrittenDate& date) {
    if (date.mark != '/' || date.parts[0] == date.parts[1])
        return OrderHint::None;
    const bool monthFirst = ValidDate(date.parts[0], date.parts[1], date.parts[2]).has_value();
    const bool dayFirst = ValidDate(date.parts[1], date.parts[0], date.parts[2]).has_value();
    if (monthFirst && dayFirst)
        return OrderHint::Either;
    return monthFirst ? OrderHint::MonthFirst : dayFirst ? OrderHint::DayFirst : OrderHint::None;
}

// A date cell's normal text, its slash date read in `order` (MonthFirst or
// DayFirst); nothing when it is no valid date.
std::optional<std::string> DateText(const std::string& text, DateOrder order) {
    const auto date = SplitDate(text);
    if (!date)
        return std::nullopt;
    const auto& [first, second, third] = date->parts;
    switch (date->mark) {
    case '-':
        return ValidDate(second, third, first);
    case '.':
        return ValidDate(second, first, third);
    default:
        return order == DateOrder::DayFirst ? ValidDate(second, first, third)
                                            : ValidDate(first, second, third);
    }
}

const char* OrderName(DateOrder order) {
    return order == DateOrder::DayFirst ? "day/month" : "month/day";
}

// A cell an export wrote as '=... so that a spreadsheet shows it as text
// rather than running it, as it was written.
void DropFormulaGuard(std::string& cell) {
    if (cell.size() >= 2 && cell[0] == '\'' &&
        std::string_view("=+-@").find(cell[1]) != std::string_view::npos)
        cell.erase(0, 1);
}

// A rating cell: a whole number from 0 to 10.
std::optional<int> Rating(const std::string& value) {
    if (value.empty() || value.size() > 2 ||
        !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const int rating = std::stoi(value);
    if (rating > 10)
        return std::nullopt;
    return rating;
}

std::string Quoted(const std::string& text) {
    std::string shown = text;
    CutTo(shown, 40);
    return "\"" + shown + "\"";
}

class RowReader {
public:
    RowReader(const Header& header, DateOrder order, OutingsCsv& result)
        : header_(header), order_(order), result_(result) {}

    void Read(CsvRow& row) {
        row_ = &row;
        if (row.tooLong)
            return Skip("row longer than " + std::to_string(kMaxCsvRowBytes) + " bytes");
        if (row.unterminated)
            return Skip("a quoted field that never ends");
        if (std::all_of(row.fields.begin(), row.fields.end(),
                        [](const std::string& field) { return Trimmed(field).empty(); }))
            return; // an empty row
        // A field that is not UTF-8 is Windows-1252, as older Windows
        // programs write it: stored as UTF-8, and said.
        unsigned applied = 0;
        for (std::string& field : row.fields) {
            if (!IsUtf8(field)) {
                field = Utf8FromWindows1252(field);
                applied |= kReadAsWindows1252;
            }
            DropFormulaGuard(field);
        }

        PlayRecord outing;
        cuts_.clear();
        const std::string date = Trimmed(Field(kDate));
        if (date.empty())
            return Skip("no date");
        const auto normal = DateText(date, order_);
        if (!normal) {
            const auto written = SplitDate(date);
            if (written && written->mark == '/' && HintOf(*written) != OrderHint::None)
                return Skip("bad date " + Quoted(date) + " as " + OrderName(order_) +
                            ", the order of the file's dates");
            return Skip("bad date " + Quoted(date) + " (accepted: " + kDateForms + ")");
        }
        outing.date = *normal;
        outing.who = Text(kOpponent, kOutingNameLength, true);
        if (outing.who.empty())
            return Skip("no opponent");
        const std::string kind = Trimmed(Field(kKind));
        outing.kind = Choice(kind, kKinds);
        if (outing.kind.empty())
            return Skip(kind.empty()
                            ? "no kind"
                            : "unknown kind " + Quoted(kind) + " (accepted: " + kKindWords + ")");
        // A comma is read as the decimal mark, as the dialog reads it, and
        // h:mm as hours and minutes.
        std::string time = StorableText(Trimmed(Field(kTime)));
        if (time.find(':') != std::string::npos) {
            const auto hours = ClockHours(time);
            if (!hours)
                return Skip("bad hours " + Quoted(time) + " (" + kHoursForms + ")");
            outing.time = *hours;
        } else {
            outing.time = time;
            std::replace(outing.time.begin(), outing.time.end(), ',', '.');
        }
        Cut(outing.time, kOutingTimeLength, kTime);
        if (!outing.time.empty()) {
            const float hours = LeadingFloat(outing.time);
            if (hours > 12 || !(hours > 0))
                return Skip("hours out of range " + Quoted(time) + " (" + kHoursForms + ")");
        }
        // The kind may say singles or doubles ("Doubles match") where the
        // file has no column of its own for it.
        const std::string lowerKind = Lower(kind);
        const std::string kindSays = lowerKind == "singles match"   ? "S"
                                     : lowerKind == "doubles match" ? "D"
                                                                    : "";
        const std::string singlesDoubles = Trimmed(Field(kSinglesDoubles));
        if (singlesDoubles.empty()) {
            outing.singlesDoubles = kindSays.empty() ? "S" : kindSays;
            if (kindSays.empty())
                applied |= kStoredSingles;
        } else {
            outing.singlesDoubles = Choice(singlesDoubles, kPlayedAs);
            if (outing.singlesDoubles.empty())
                return Skip("unknown singles or doubles " + Quoted(singlesDoubles) +
                            " (accepted: " + kSinglesDoublesWords + ")");
            if (!kindSays.empty() && kindSays != outing.singlesDoubles)
                return Skip("kind " + Quoted(kind) + " but " + Quoted(singlesDoubles));
        }
        const std::string result = Trimmed(Field(kResult));
        // A match whose result the file does not give is undecided, never a win.
        outing.result = result.empty() ? "U" : Choice(result, kResults);
        if (outing.kind == "M") {
            if (outing.result.empty())
                return Skip("unknown result " + Quoted(result) + " (accepted: " + kResultWords +
                            ")");
            if (result.empty())
                applied |= kStoredUndecided;
        }
        // All 24 ratings, or none: an outing without them is stored without
        // ratings, never with ratings it was not given.
        int given = 0;
        for (int column = kFirstRating; column < kFirstRating + kRatingColumns; ++column)
            given += Trimmed(Field(column)).empty() ? 0 : 1;
        outing.rated = given > 0;
        if (!outing.rated)
            applied |= kStoredUnrated;
        if (given > 0 && given < kRatingColumns)
            return Skip(std::to_string(kRatingColumns - given) + " of the 24 ratings missing");
        for (std::size_t s = 0; s < kCsvStrokeOrder.size() && outing.rated; ++s) {
            for (std::size_t l = 0; l < kCsvLevelOrder.size(); ++l) {
                const int column = kFirstRating + static_cast<int>(s * kLevelCount + l);
                const std::string value = Trimmed(Field(column));
                const auto rating = Rating(value);
                if (!rating)
                    return Skip("bad rating " + Quoted(value) + " for " +
                                RatingColumn(kCsvStrokeOrder[s], kCsvLevelOrder[l]));
                outing.Rating(kCsvStrokeOrder[s], kCsvLevelOrder[l]) = *rating;
            }
        }
        // Cleaned as a new record is: no partner or second opponent for
        // singles, no result or score but for a match.
        if (outing.singlesDoubles == "D") {
            outing.secondOpponent = Text(kSecondOpponent, kOutingNameLength, true);
            outing.partner = Text(kPartner, kOutingNameLength, true);
        } else if (!Trimmed(Field(kSecondOpponent)).empty() || !Trimmed(Field(kPartner)).empty()) {
            applied |= kDroppedPartners;
        }
        if (outing.kind == "M") {
            outing.score = Text(kScore, kOutingScoreLength, false);
        } else {
            outing.result.clear();
            if (!result.empty() || !Trimmed(Field(kScore)).empty())
                applied |= kDroppedResult;
        }
        outing.matchNotes = Text(kMatchNotes, kOutingNotesLength, false);
        outing.practiceNotes = Text(kPracticeNotes, kOutingNotesLength, false);
        if (std::string& notes = outing.kind == "M" ? outing.matchNotes : outing.practiceNotes;
            notes.empty())
            notes = Text(kNotes, kOutingNotesLength, false);

        for (std::string& cut : cuts_)
            result_.problems.push_back({row.line, std::move(cut), false});
        if (Lower(Field(kPeriod)) == "current") {
            const int day = ZBD_Date(outing.date).DayNumber();
            if (result_.firstCurrentDay == 0 || day < result_.firstCurrentDay)
                result_.firstCurrentDay = day;
        }
        result_.outings.push_back(std::move(outing));
        result_.lines.push_back(row.line);
        result_.applied.push_back(applied);
    }

private:
    const std::string& Field(int column) const {
        static const std::string kNone;
        const int place = header_.place[static_cast<std::size_t>(column)];
        if (place < 0 || static_cast<std::size_t>(place) >= row_->fields.size())
            return kNone;
        return row_->fields[static_cast<std::size_t>(place)];
    }

    void Cut(std::string& text, std::size_t limit, int column) {
        if (CutTo(text, limit))
            cuts_.push_back(
                (column == kNotes
                     ? std::string("Notes")
                     : std::string(kNotesCsvColumns[static_cast<std::size_t>(column)])) +
                " cut to " + std::to_string(limit) + " characters");
    }

    // A text field as it may be stored: on one line, without double quotes,
    // cut to its limit; a name trimmed and capitalised.
    std::string Text(int column, std::size_t limit, bool name) {
        std::string text = StorableText(Field(column));
        if (name)
            text = Trimmed(text);
        Cut(text, limit, column);
        if (name)
            KVR_PlayData::CapitalizeWords(text);
        return text;
    }

    void Skip(const std::string& reason) { result_.problems.push_back({row_->line, reason, true}); }

    const Header& header_;
    DateOrder order_;
    OutingsCsv& result_;
    const CsvRow* row_ = nullptr;
    std::vector<std::string> cuts_;
};

// Where each outing of the import goes, as storing them would place them
// (PlanPlayChange, which writes nothing). Where the goal period starts
// depends on the history only through its newest outing, so only that
// line is handed in.
void PlanPlaces(OutingImport& import, const KVR_PlayData& play) {
    std::vector<const PlayRecord*> period;
    std::multiset<std::string> before;
    for (unsigned i = 0; i < play.Count(); ++i) {
        period.push_back(play.At(static_cast<int>(i)));
        before.insert(period.back()->ToLine());
    }
    std::vector<std::string> newest;
    int newestDay = 0;
    KVR_History history;
    while (history.ReadNext() == 1) {
        const int day = ZBD_Date(history.Current().date).DayNumber();
        if (newest.empty() || day > newestDay) {
            newestDay = day;
            newest = {history.Current().ToHistoryLine()};
        }
    }
    history.Close();
    const PlayPlan plan =
        PlanPlayChange(period, std::move(newest), import.outings, false, import.firstCurrentDay);
    // The new outings left in the goal period are those of its records the
    // period did not hold before: the rest went into the history, as
    // outings older than the period or with a goal period that closed.
    std::multiset<std::string> after;
    for (const PlayRecord& record : plan.period)
        after.insert(record.ToLine());
    for (const std::string& line : before)
        if (auto found = after.find(line); found != after.end())
            after.erase(found);
    import.intoHistory.clear();
    import.toHistory = import.toPeriod = 0;
    for (const PlayRecord& outing : import.outings) {
        const auto found = after.find(outing.ToLine());
        const bool intoHistory = found == after.end();
        if (!intoHistory)
            after.erase(found);
        import.intoHistory.push_back(intoHistory);
        ++(intoHistory ? import.toHistory : import.toPeriod);
    }
    import.periodsClosed = plan.periodsClosed;
    import.periodComplete = plan.periodComplete;
}

} // namespace

std::string RatingColumn(Stroke stroke, Level level) {
    return std::string(kStrokeNames[Index(stroke)]) + " " + kLevelNames[Index(level)];
}

std::optional<std::string> ClockHours(std::string_view text) {
    const std::string trimmed = Trimmed(text);
    const std::size_t colon = trimmed.find(':');
    auto digits = [](std::string_view part) {
        return std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (colon == std::string::npos || colon == 0 || colon > 2 || trimmed.size() != colon + 3 ||
        !digits(trimmed.substr(0, colon)) || !digits(trimmed.substr(colon + 1)))
        return std::nullopt;
    const int minutes = std::stoi(trimmed.substr(colon + 1));
    if (minutes > 59)
        return std::nullopt;
    // Hundredths of an hour, rounded, written without trailing zeros.
    const int hundredths = std::stoi(trimmed.substr(0, colon)) * 100 + (minutes * 100 + 30) / 60;
    std::string hours = std::to_string(hundredths / 100);
    if (const int fraction = hundredths % 100; fraction != 0) {
        hours += '.';
        hours += static_cast<char>('0' + fraction / 10);
        if (fraction % 10 != 0)
            hours += static_cast<char>('0' + fraction % 10);
    }
    return hours;
}

std::string KindWord(const PlayRecord& outing) {
    if (outing.IsMatch())
        return "Match";
    return !outing.kind.empty() && (outing.kind[0] == 'L' || outing.kind[0] == 'l') ? "Lesson"
                                                                                    : "Practice";
}

namespace {

// Whether a header row is the one the notes export writes, column for column.
bool IsNotesExportHeader(const CsvRow& header) {
    std::vector<std::string> expected(kNotesCsvColumns.begin(), kNotesCsvColumns.end());
    for (Stroke stroke : kCsvStrokeOrder)
        for (Level level : kCsvLevelOrder)
            expected.push_back(RatingColumn(stroke, level));
    if (header.fields.size() != expected.size())
        return false;
    for (std::size_t i = 0; i < expected.size(); ++i)
        if (Trimmed(header.fields[i]) != expected[i])
            return false;
    return true;
}

} // namespace

OutingsCsv ReadOutingsCsv(std::string_view contents, DateOrder order) {
    OutingsCsv result;
    const std::string text = DecodeText(std::string(contents));
    // The separator is the one that makes the first row name more of the
    // known columns.
    CsvRow header;
    Header columns;
    char separator = ',';
    for (char candidate : {',', ';'}) {
        CsvReader reader(text, candidate);
        CsvRow row;
        while (reader.Next(row) && !row.tooLong &&
               std::all_of(row.fields.begin(), row.fields.end(),
                           [](const std::string& field) { return Trimmed(field).empty(); })) {
        }
        Header read = ReadHeader(row);
        if (read.known > columns.known) {
            columns = read;
            separator = candidate;
            header = row;
        }
    }
    if (text.find_first_not_of(" \t\r\n") == std::string::npos) {
        result.error = "the file is empty";
        return result;
    }
    std::vector<std::string> missing;
    for (int column : {kDate, kOpponent, kKind})
        if (columns.known == 0 || columns.place[static_cast<std::size_t>(column)] < 0)
            missing.push_back(kNotesCsvColumns[static_cast<std::size_t>(column)]);
    if (!missing.empty()) {
        result.error = "its first row names no ";
        for (std::size_t i = 0; i < missing.size(); ++i)
            result.error += (i == 0 ? "" : i + 1 == missing.size() ? " or " : ", ") + missing[i];
        result.error += " column";
        return result;
    }

    // This program's own notes export names its columns exactly so, and
    // writes its dates month/day: its header tells the order.
    if (order == DateOrder::FromFile && IsNotesExportHeader(header))
        order = DateOrder::MonthFirst;
    // The order of the slash dates, from the dates themselves when it is
    // not given: the file is read in one order, never a guess per row.
    if (order == DateOrder::FromFile) {
        CsvReader reader(text, separator);
        CsvRow row;
        const auto dateColumn = static_cast<std::size_t>(columns.place[kDate]);
        std::string either, monthFirst, dayFirst; // an example of each
        while (reader.Next(row)) {
            if (row.line <= header.line || dateColumn >= row.fields.size())
                continue;
            const std::string date = Trimmed(row.fields[dateColumn]);
            const auto written = SplitDate(date);
            if (!written)
                continue;
            const OrderHint hint = HintOf(*written);
            std::string* example = hint == OrderHint::Either       ? &either
                                   : hint == OrderHint::MonthFirst ? &monthFirst
                                   : hint == OrderHint::DayFirst   ? &dayFirst
                                                                   : nullptr;
            if (example && example->empty())
                *example = date;
        }
        if (!monthFirst.empty() && !dayFirst.empty()) {
            result.error = "its dates are written both month/day (" + Quoted(monthFirst) +
                           ") and day/month (" + Quoted(dayFirst) + ")";
        } else if (monthFirst.empty() && dayFirst.empty() && !either.empty()) {
            result.error = "its dates (such as " + Quoted(either) +
                           ") may be month/day or day/month, and none of them tells which";
        }
        if (!result.error.empty()) {
            result.dateOrderOpen = true;
            return result;
        }
        order = dayFirst.empty() ? DateOrder::MonthFirst : DateOrder::DayFirst;
    }

    CsvReader reader(text, separator);
    CsvRow row;
    while (reader.Next(row) && row.line < header.line) {
    }
    const auto rowsAtMost =
        static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    result.outings.reserve(rowsAtMost);
    result.lines.reserve(rowsAtMost);
    RowReader rows(columns, order, result);
    while (reader.Next(row))
        rows.Read(row);
    return result;
}

OutingImport PrepareOutingImport(std::string_view contents, const KVR_PlayData& play,
                                 DateOrder order) {
    OutingImport import;
    OutingsCsv csv = ReadOutingsCsv(contents, order);
    if (!csv.error.empty()) {
        import.error = std::move(csv.error);
        import.dateOrderOpen = csv.dateOrderOpen;
        return import;
    }
    StoredOutings stored;
    if (!stored.Read(play)) {
        import.error = "'history.dat' could not be read whole";
        return import;
    }
    import.report.problems = std::move(csv.problems);
    import.firstCurrentDay = csv.firstCurrentDay;
    // The outings already stored are dropped in place. Only what is stored
    // counts: two rows of the file alike are two outings of the player's.
    import.outings = std::move(csv.outings);
    import.applied = std::move(csv.applied);
    import.lines = std::move(csv.lines);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < import.outings.size(); ++i) {
        if (stored.Contains(import.outings[i])) {
            ++import.report.present;
            continue;
        }
        if (kept != i) {
            import.outings[kept] = std::move(import.outings[i]);
            import.applied[kept] = import.applied[i];
            import.lines[kept] = import.lines[i];
        }
        ++kept;
    }
    import.outings.erase(import.outings.begin() + static_cast<std::ptrdiff_t>(kept),
                         import.outings.end());
    import.applied.resize(kept);
    import.lines.resize(kept);
    import.report.added = import.outings.size();
    PlanPlaces(import, play);
    // The problems in the order of their lines.
    std::stable_sort(
        import.report.problems.begin(), import.report.problems.end(),
        [](const ImportProblem& a, const ImportProblem& b) { return a.line < b.line; });
    return import;
}

std::vector<std::string> DescribeOutingDecisions(const OutingImport& import) {
    std::vector<std::string> lines;
    auto count = [](std::size_t n, const char* one, const char* many) {
        return std::to_string(n) + " " + (n == 1 ? one : many);
    };
    if (!import.outings.empty())
        lines.push_back(count(import.toPeriod, "outing", "outings") + " into the goal period, " +
                        std::to_string(import.toHistory) + " into the history");
    if (import.periodsClosed > 0)
        lines.push_back(
            count(static_cast<std::size_t>(import.periodsClosed), "goal period", "goal periods") +
            " of " + std::to_string(kGoalPeriodLength) + " outings will close into the history");
    else if (import.periodComplete && import.toPeriod > 0)
        lines.push_back("the goal period will be complete with " +
                        std::to_string(kGoalPeriodLength) + " outings");
    struct Said {
        OutingDefault flag;
        const char *one, *many, *what;
    };
    static const Said kSaid[] = {
        {kStoredUndecided, "match", "matches", "without a result: stored as undecided"},
        {kStoredUnrated, "outing", "outings", "without ratings: stored without ratings"},
        {kStoredSingles, "outing", "outings", "without singles or doubles: stored as singles"},
        {kDroppedResult, "practice or lesson", "practices or lessons",
         "with a result or score: not kept, as only a match keeps them"},
        {kDroppedPartners, "singles outing", "singles outings",
         "with a partner or second opponent: not kept, as only doubles keep them"},
        {kReadAsWindows1252, "outing", "outings", "not in UTF-8: read as Windows-1252 text"},
    };
    for (const Said& said : kSaid) {
        const auto n = static_cast<std::size_t>(
            std::count_if(import.applied.begin(), import.applied.end(),
                          [&said](unsigned applied) { return (applied & said.flag) != 0; }));
        if (n > 0)
            lines.push_back(count(n, said.one, said.many) + " " + said.what);
    }
    return lines;
}

const std::vector<std::string>& OutingFiles() {
    return FormatRow(FileFormat::Outings).files;
}

StoredOutingImport StoreOutingImport(KVR_PlayData& play, const OutingImport& import) {
    StoredOutingImport stored;
    if (import.outings.empty())
        return stored;
    stored.backup = BackupBeforeChange(OutingFiles());
    stored.placed.result = PlacedOutings::Result::Failed;
    if (stored.backup.outcome == BackupResult::Outcome::Failed)
        return stored;
    stored.placed = AddOutings(play, import.outings, import.firstCurrentDay);
    return stored;
}

} // namespace kvr
