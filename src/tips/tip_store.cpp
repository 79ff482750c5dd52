// SPDX-License-Identifier: GPL-3.0-or-later
#include "tips/tip_store.h"

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

namespace {

// The fields of a tip line, in order (not the order in memory).
constexpr std::array<kvr::LineField<TipRecord>, 5> kLineFields{{
    {&TipRecord::stroke},
    {&TipRecord::kind},
    {nullptr, &TipRecord::level},
    {nullptr, &TipRecord::frequencyRating},
    {&TipRecord::tipText},
}};

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
    return kvr::JoinFields(*this, kLineFields);
}

void TipRecord::FromLine(const std::string& line) {
    kvr::ReadFields(*this, ZBD_Record(line, ','), kLineFields);
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

// A tip line with a level from 1 to 4 besides what every store checks.
bool TipClass::IsRecordLine(const std::string& line) const {
    if (!ZBD_Data<TipRecord>::IsRecordLine(line))
        return false;
    int level = ZBD_Record(line, Separator()).FieldInt(3);
    return level >= 1 && level <= 4;
}

// A headerless tip file: the count line, then three lines per tip (level,
// frequency rating, text), read to the end of the file whatever the count
// says; a tip whose text line is missing has nothing worth keeping. The tips
// take the selected stroke and kind "T"; the file is saved at once in the
// current layout, its original kept under a free ".old" name.
int TipClass::Upgrade(float fileVersion) {
    if (fileVersion != 0.0f)
        return -1;
    ZBD_File file(FileName(), 'r', Separator(), true);
    if (file.Status() <= 0) {
        SetError(file.Error());
        return -1;
    }
    std::vector<std::unique_ptr<TipRecord>> tips;
    auto read = kvr::ReadLineGroups(file, {3, 3, kvr::HeaderlessLayout::Start::Count},
                                    [this, &tips](std::vector<std::string>& lines, int) {
                                        auto tip = std::make_unique<TipRecord>();
                                        tip->stroke = selectedStroke_;
                                        tip->kind.assign(1, 'T');
                                        tip->level = kvr::LeadingInt(lines[0]);
                                        tip->frequencyRating = kvr::LeadingInt(lines[1]);
                                        tip->tipText = std::move(lines[2]);
                                        tips.push_back(std::move(tip));
                                        return true;
                                    });
    if (read == kvr::GroupsRead::ReadError)
        SetError(file.Error());
    file.Close();
    if (read != kvr::GroupsRead::ToTheEnd)
        return -1; // damaged or unreadable: left as it is
    TakeConverted(std::move(tips));
    return SaveConverted();
}
