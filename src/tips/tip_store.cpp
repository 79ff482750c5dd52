#include "tips/tip_store.h"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>

namespace {

std::string numberField(int value) {
    return '"' + std::to_string(value) + '"';
}

struct StrokeFile {
    const char* lower;
    const char* capitalised;
    const char* file;
};

constexpr std::array<StrokeFile, 6> kStrokeFiles{{
    {"forehand", "Forehand", "forehand.tip"},
    {"backhand", "Backhand", "backhand.tip"},
    {"serve", "Serve", "serve.tip"},
    {"volley", "Volley", "volley.tip"},
    {"approach", "Approach", "approach.tip"},
    {"return", "Return", "return.tip"},
}};

// What a new store has selected: a file name, not a stroke name, so the store
// starts bound to no file.
constexpr const char* kInitialSelection = "forehand.tip";

} // namespace

void TipRecord::Assign(const TipRecord& other) {
    *this = other;
}

std::string TipRecord::ToLine() const {
    return kvr::QuotedField(stroke) + ',' + kvr::QuotedField(kind) + ',' + numberField(level) +
           ',' + numberField(frequencyRating) + ',' + kvr::QuotedField(tipText);
}

void TipRecord::FromLine(const std::string& line) {
    ZBD_Record fields(line, ',');
    stroke = fields.Field(1);
    kind = fields.Field(2);
    level = fields.FieldInt(3);
    frequencyRating = fields.FieldInt(4);
    tipText = fields.Field(5);
}

bool TipRecord::Equals(const TipRecord& other) const {
    return tipText == other.tipText;
}

TipClass::TipClass() : ZBD_Data<TipRecord>("", 2.0f, ','), selectedStroke_(kInitialSelection) {}

std::string TipClass::FileNameFor(const std::string& strokeText) {
    for (const StrokeFile& entry : kStrokeFiles)
        if (strokeText == entry.lower || strokeText == entry.capitalised)
            return entry.file;
    return {};
}

void TipClass::Select(const std::string& strokeText) {
    if (strokeText == selectedStroke_)
        return;
    selectedStroke_ = strokeText;
    SetFileName(FileNameFor(strokeText));
    Clear();
}

int TipClass::CountAtLevel(int level) const {
    int count = 0;
    for (const auto& tip : records_)
        if (tip->level == level)
            ++count;
    return count;
}

int TipClass::MaxRatingAtLevel(int level) const {
    int highest = 0;
    for (const auto& tip : records_)
        if (tip->level == level)
            highest = std::max(highest, tip->frequencyRating);
    return highest;
}

// A headerless tip file: the count line, then three lines per tip (level,
// frequency rating, text). The tips take the selected stroke and kind "T".
int TipClass::Upgrade(float fileVersion) {
    if (fileVersion != 0.0f)
        return -1;
    ZBD_File file(FileName(), 'r', Separator(), true);
    if (file.Status() <= 0)
        return -1;
    // Opening read the first line as the count. A first line that is not a
    // count means a damaged file rather than an old one: it is left alone
    // instead of being rewritten without its tips.
    if (!kvr::IsCountLine(file.LastLine()))
        return -1;
    Clear();
    // The count only limits the reading: the file's end stops it. A tip whose
    // text line is missing has nothing worth keeping.
    for (int i = 0; i < file.RecordCount(); ++i) {
        auto level = file.NextLine();
        auto rating = level ? file.NextLine() : std::nullopt;
        auto text = rating ? file.NextLine() : std::nullopt;
        if (!text)
            break;
        auto tip = std::make_unique<TipRecord>();
        tip->stroke = selectedStroke_;
        tip->kind = "T";
        tip->level = kvr::LeadingInt(*level);
        tip->frequencyRating = kvr::LeadingInt(*rating);
        tip->tipText = std::move(*text);
        Add(std::move(tip));
    }
    bool readError = file.Status() < 0;
    file.Close();
    if (readError) {
        Clear();
        return -1;
    }
    return Save() == 1 ? 1 : -1;
}
