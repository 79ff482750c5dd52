// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/play_record.h"

#include "core/date.h"

namespace {

// The thirteen text fields of a play.dat (and history.dat) line, in order;
// fields 10 and 11 are spares, always written empty and ignored when read.
constexpr std::array<kvr::LineField<PlayRecord>, 13> kTextFields{{
    {&PlayRecord::date},
    {&PlayRecord::singlesDoubles},
    {&PlayRecord::partner},
    {&PlayRecord::who},
    {&PlayRecord::secondOpponent},
    {&PlayRecord::time},
    {&PlayRecord::kind},
    {&PlayRecord::result},
    {&PlayRecord::score},
    {},
    {},
    {&PlayRecord::matchNotes},
    {&PlayRecord::practiceNotes},
}};
constexpr int kRatingFields = kvr::kLevelCount * kvr::kStrokeCount;

} // namespace

std::string PlayRecord::ToHistoryLine() const {
    return kvr::JoinFields(*this, kTextFields);
}

std::string PlayRecord::ToLine() const {
    std::string line = ToHistoryLine();
    for (int level = 0; level < kvr::kLevelCount; ++level) {
        for (kvr::Stroke stroke : kvr::kStrokeFileOrder) {
            line += ",\"";
            if (rated)
                line += std::to_string(ratings[kvr::Index(stroke)][level]);
            line += '"';
        }
    }
    return line;
}

void PlayRecord::FromLine(const std::string& line) {
    auto fields = ZBD_Record::Borrow(line, ',');
    kvr::ReadFields(*this, fields, kTextFields);
    if (!ZBD_Date::IsNormalText(date))
        date = ZBD_Date(date).Text();
    spare1.clear();
    spare2.clear();
    int field = static_cast<int>(kTextFields.size()) + 1;
    ratings = {};
    // A history line keeps no ratings, nor does a line whose rating fields
    // are all empty.
    rated = false;
    for (int level = 0; level < kvr::kLevelCount && fields.FieldCount() >= field; ++level)
        for (kvr::Stroke stroke : kvr::kStrokeFileOrder) {
            rated = rated || !fields.FieldView(field).empty();
            ratings[kvr::Index(stroke)][level] = fields.FieldInt(field++);
        }
    strokeTotal = {};
    levelTotal = {};
    grandTotal = 0;
}

bool PlayRecord::Equals(const PlayRecord& other) const {
    return date == other.date && singlesDoubles == other.singlesDoubles &&
           partner == other.partner && who == other.who && secondOpponent == other.secondOpponent &&
           time == other.time && kind == other.kind && result == other.result &&
           score == other.score && spare1 == other.spare1 && spare2 == other.spare2 &&
           matchNotes == other.matchNotes && practiceNotes == other.practiceNotes;
}

void PlayRecord::Assign(const PlayRecord& other) {
    *this = other;
}

bool PlayRecord::IsMatch() const {
    return kvr::FirstLetter(kind) == 'M';
}

bool PlayRecord::IsDoubles() const {
    return kvr::FirstLetter(singlesDoubles) == 'D';
}

namespace kvr {

bool IsPlayRecordLine(std::string_view line) {
    return IsPlayRecordLine(line, ZBD_Record::Borrow(line, ','));
}

bool IsPlayRecordLine(std::string_view line, const ZBD_Record& fields) {
    if (line.size() < 2 || line.front() != '"' || line.back() != '"')
        return false;
    int count = fields.FieldCount();
    constexpr int kTexts = static_cast<int>(kTextFields.size());
    return (count == kTexts || count == kTexts + kRatingFields) &&
           ZBD_Date(fields.Field(1)).IsValid();
}

} // namespace kvr
