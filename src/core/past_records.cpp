// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/past_records.h"

#include "core/history.h"
#include "core/record_store.h"

#include <algorithm>
#include <climits>

namespace kvr {

namespace {

// Hours of one outing are kept within this bound.
constexpr float kHourLimit = 1.0e6f;

} // namespace

void CountResult(char result, int& wins, int& losses, int& undecided) {
    int* counter = result == 'W'   ? &wins
                   : result == 'L' ? &losses
                   : result == 'U' ? &undecided
                                   : nullptr;
    if (counter && *counter < INT_MAX)
        ++*counter;
}

float HoursOf(std::string_view time) {
    return std::clamp(LeadingFloat(time), -kHourLimit, kHourLimit);
}

std::string OutingSummary(std::string_view kind, std::string_view score, std::string_view result) {
    char letter = FirstLetter(kind);
    const char* word = letter == 'M' ? "Match" : letter == 'L' ? "Lesson" : "Practice";
    std::string summary(word);
    summary += ' ';
    summary += score;
    summary += ' ';
    summary += result;
    return summary;
}

PastRecords PastRecords::Read() {
    PastRecords past;
    past.Load();
    return past;
}

void PastRecords::Refresh() {
    if (trusted_ && rewrites_ == KVR_History::Rewrites() &&
        stamp_ == StampOf(KVR_History::kFileName))
        return;
    Load();
}

void PastRecords::Load() {
    outings_.clear();
    texts_.clear();
    nameNumbers_.clear();
    hasHistory_ = false;
    damaged_ = false;
    lastDate_.clear();

    // A change made after `started` shows change times not before it, so a
    // file whose times are older cannot have changed since it was read.
    const timespec started = StampClockNow();
    ++reads_;
    rewrites_ = KVR_History::Rewrites();
    const FileStamp stampBefore = StampOf(KVR_History::kFileName);
    KVR_History reader; // converts an older layout first
    const bool opened = reader.LoadResult() >= 0;
    // Only the fields the figures need are taken from each record, as
    // PlayRecord::FromLine reads them (the date in its normal text). The
    // reader delivers record lines only: every one has a valid date.
    std::string date;
    while (reader.ReadNextLine() == 1) {
        const ZBD_Record& fields = reader.CurrentFields();
        date.assign(fields.FieldView(1));
        if (!ZBD_Date::IsNormalText(date))
            date = ZBD_Date(date).Text();
        hasHistory_ = true;
        lastDate_ = date;
        Add(fields, date);
    }
    // Lines the reader skipped as no records, rather than a read that
    // failed (Error() then tells why).
    damaged_ = opened && reader.LoadResult() == kReadError && reader.Error() == 0;
    reader.Close();
    stamp_ = StampOf(KVR_History::kFileName);
    // A conversion or a change during the read makes the next Refresh read
    // the file again.
    trusted_ =
        rewrites_ == KVR_History::Rewrites() && ReadOfOneVersion(stampBefore, stamp_, started);
    outings_.shrink_to_fit();
    texts_.shrink_to_fit();
}

void PastRecords::Add(const ZBD_Record& fields, const std::string& date) {
    // The fields of a history line: 1 date, 3 partner, 4 who, 5 second
    // opponent, 6 time, 7 kind, 8 result, 9 score.
    const ZBD_Date day(date);
    Outing outing;
    outing.year = day.Year();
    outing.month = day.Month();
    outing.hours = HoursOf(fields.FieldView(6));
    outing.kind = FirstLetter(fields.FieldView(7));
    outing.result = FirstLetter(fields.FieldView(8));
    outing.who = Keep(std::string(fields.FieldView(4)));
    outing.secondOpponent = Keep(std::string(fields.FieldView(5)));
    outing.partner = Keep(std::string(fields.FieldView(3)));
    outing.date = KeepText(date);
    outing.dateLength = static_cast<std::uint32_t>(date.size());
    const std::string summary =
        OutingSummary(fields.FieldView(7), fields.FieldView(9), fields.FieldView(8));
    outing.outing = KeepText(summary);
    outing.outingLength = static_cast<std::uint32_t>(summary.size());
    outings_.push_back(outing);
}

std::uint32_t PastRecords::Keep(const std::string& name) {
    return nameNumbers_.try_emplace(name, NameCount()).first->second;
}

std::size_t PastRecords::KeepText(std::string_view text) {
    std::size_t start = texts_.size();
    texts_ += text;
    return start;
}

std::uint32_t PastRecords::NameNumber(const std::string& name) const {
    auto found = nameNumbers_.find(name);
    return found == nameNumbers_.end() ? kNoName : found->second;
}

} // namespace kvr
