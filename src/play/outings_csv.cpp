// SPDX-License-Identifier: GPL-3.0-or-later
#include "play/outings_csv.h"

#include "core/date.h"
#include "core/outing_import.h"
#include "core/record_store.h"

#include <algorithm>
#include <cctype>
#include <optional>

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

std::string Trimmed(std::string_view text) {
    std::size_t from = 0;
    std::size_t to = text.size();
    while (from < to && (text[from] == ' ' || text[from] == '\t'))
        ++from;
    while (to > from && (text[to - 1] == ' ' || text[to - 1] == '\t'))
        --to;
    return std::string(text.substr(from, to - from));
}

std::string Lower(std::string_view text) {
    std::string lower = Trimmed(text);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

bool IsUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t length = c < 0x80           ? 1
                             : (c >> 5) == 0x6  ? 2
                             : (c >> 4) == 0xE  ? 3
                             : (c >> 3) == 0x1E ? 4
                                                : 0;
        if (length == 0 || i + length > text.size() || (length == 2 && c < 0xC2))
            return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        if (length == 3) {
            const auto next = static_cast<unsigned char>(text[i + 1]);
            if ((c == 0xE0 && next < 0xA0) || (c == 0xED && next >= 0xA0))
                return false; // overlong, or a surrogate
        }
        if (length == 4) {
            const auto next = static_cast<unsigned char>(text[i + 1]);
            if ((c == 0xF0 && next < 0x90) || (c == 0xF4 && next >= 0x90) || c > 0xF4)
                return false;
        }
        i += length;
    }
    return true;
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

// A one-letter choice from its word or its letter, in any case: "Match",
// "m" -> "M". Empty when the text is neither.
std::string Choice(const std::string& text, std::initializer_list<const char*> words) {
    const std::string lower = Lower(text);
    for (const char* word : words) {
        const std::string wordLower = Lower(word);
        if (lower == wordLower || lower == wordLower.substr(0, 1))
            return std::string(1, word[0]);
    }
    return {};
}

bool IsIsoDate(const std::string& text) {
    if (text.size() < 8 || text.size() > 10 || text[4] != '-')
        return false;
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return c == '-' || (c >= '0' && c <= '9'); });
}

// A date as the player types it, or as a spreadsheet writes it
// (2026-03-05): its normal text, or nothing when it is no valid date.
std::optional<std::string> DateText(const std::string& text) {
    std::string typed = text;
    if (IsIsoDate(typed)) {
        const std::size_t second = typed.find('-', 5);
        if (second == std::string::npos)
            return std::nullopt;
        typed =
            typed.substr(5, second - 5) + "/" + typed.substr(second + 1) + "/" + typed.substr(0, 4);
    }
    const ZBD_Date date(typed);
    if (!date.IsValid())
        return std::nullopt;
    return date.Text();
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
    RowReader(const Header& header, OutingsCsv& result) : header_(header), result_(result) {}

    void Read(const CsvRow& row) {
        row_ = &row;
        if (row.tooLong)
            return Skip("row longer than " + std::to_string(kMaxCsvRowBytes) + " bytes");
        if (row.unterminated)
            return Skip("a quoted field that never ends");
        if (std::all_of(row.fields.begin(), row.fields.end(),
                        [](const std::string& field) { return Trimmed(field).empty(); }))
            return; // an empty row
        for (const std::string& field : row.fields)
            if (!IsUtf8(field))
                return Skip("not UTF-8 text");

        PlayRecord outing;
        cuts_.clear();
        const std::string date = Trimmed(Field(kDate));
        if (date.empty())
            return Skip("no date");
        const auto normal = DateText(date);
        if (!normal)
            return Skip("bad date " + Quoted(date));
        outing.date = *normal;
        outing.who = Text(kOpponent, kOutingNameLength, true);
        if (outing.who.empty())
            return Skip("no opponent");
        const std::string kind = Trimmed(Field(kKind));
        outing.kind = Choice(kind, {"Match", "Practice", "Lesson"});
        if (outing.kind.empty())
            return Skip(kind.empty() ? "no kind" : "unknown kind " + Quoted(kind));
        // A comma is read as the decimal mark, as the dialog reads it.
        std::string time = StorableText(Trimmed(Field(kTime)));
        std::replace(time.begin(), time.end(), ',', '.');
        outing.time = time;
        Cut(outing.time, kOutingTimeLength, kTime);
        if (!outing.time.empty()) {
            const float hours = LeadingFloat(outing.time);
            if (hours > 12 || !(hours > 0))
                return Skip("hours out of range " + Quoted(time));
        }
        const std::string singlesDoubles = Trimmed(Field(kSinglesDoubles));
        outing.singlesDoubles =
            singlesDoubles.empty() ? "S" : Choice(singlesDoubles, {"Singles", "Doubles"});
        if (outing.singlesDoubles.empty())
            return Skip("unknown singles or doubles " + Quoted(singlesDoubles));
        const std::string result = Trimmed(Field(kResult));
        // A match whose result the file does not give is undecided, never a win.
        outing.result = result.empty() ? "U" : Choice(result, {"Win", "Loss", "Undecided"});
        if (outing.result.empty() && outing.kind == "M")
            return Skip("unknown result " + Quoted(result));
        // All 24 ratings, or none: an outing without them is stored without
        // ratings, never with ratings it was not given.
        int given = 0;
        for (int column = kFirstRating; column < kFirstRating + kRatingColumns; ++column)
            given += Trimmed(Field(column)).empty() ? 0 : 1;
        outing.rated = given > 0;
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
        }
        if (outing.kind == "M") {
            outing.score = Text(kScore, kOutingScoreLength, false);
        } else {
            outing.result.clear();
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
    OutingsCsv& result_;
    const CsvRow* row_ = nullptr;
    std::vector<std::string> cuts_;
};

} // namespace

std::string RatingColumn(Stroke stroke, Level level) {
    return std::string(kStrokeNames[Index(stroke)]) + " " + kLevelNames[Index(level)];
}

OutingsCsv ReadOutingsCsv(std::string_view contents) {
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

    CsvReader reader(text, separator);
    CsvRow row;
    while (reader.Next(row) && row.line < header.line) {
    }
    const auto rowsAtMost =
        static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    result.outings.reserve(rowsAtMost);
    result.lines.reserve(rowsAtMost);
    RowReader rows(columns, result);
    while (reader.Next(row))
        rows.Read(row);
    return result;
}

OutingImport PrepareOutingImport(std::string_view contents, const KVR_PlayData& play) {
    OutingImport import;
    OutingsCsv csv = ReadOutingsCsv(contents);
    if (!csv.error.empty()) {
        import.error = std::move(csv.error);
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
    std::size_t kept = 0;
    for (std::size_t i = 0; i < import.outings.size(); ++i) {
        if (stored.Contains(import.outings[i])) {
            ++import.report.present;
            continue;
        }
        if (kept != i)
            import.outings[kept] = std::move(import.outings[i]);
        ++kept;
    }
    import.outings.erase(import.outings.begin() + static_cast<std::ptrdiff_t>(kept),
                         import.outings.end());
    import.report.added = import.outings.size();
    // The problems in the order of their lines.
    std::stable_sort(
        import.report.problems.begin(), import.report.problems.end(),
        [](const ImportProblem& a, const ImportProblem& b) { return a.line < b.line; });
    return import;
}

const std::vector<std::string>& OutingFiles() {
    static const std::vector<std::string> files{"play.dat", "history.dat"};
    return files;
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
