// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/past_records.h"

#include "core/history.h"
#include "core/past_cache.h"
#include "core/record_store.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace kvr {

namespace {

// Hours of one outing are kept within this bound.
constexpr float kHourLimit = 1.0e6f;

template <typename T> void Put(std::string& out, T value) {
    char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    out.append(bytes, sizeof(T));
}

// Reads the summary's bytes in the order Put wrote them.
class Taker {
public:
    explicit Taker(std::string_view bytes) : bytes_(bytes) {}
    template <typename T> bool Take(T& value) {
        if (bytes_.size() < sizeof(T))
            return false;
        std::memcpy(&value, bytes_.data(), sizeof(T));
        bytes_.remove_prefix(sizeof(T));
        return true;
    }
    bool Take(std::string& text, std::uint64_t length) {
        if (bytes_.size() < length)
            return false;
        text.assign(bytes_.data(), static_cast<std::size_t>(length));
        bytes_.remove_prefix(static_cast<std::size_t>(length));
        return true;
    }
    bool AtEnd() const { return bytes_.empty(); }

private:
    std::string_view bytes_;
};

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

void PastRecords::Clear() {
    outings_.clear();
    texts_.clear();
    nameNumbers_.clear();
    hasHistory_ = false;
    damaged_ = false;
    lastDate_.clear();
}

void PastRecords::Load() {
    Clear();
    fromSummary_ = false;

    // A change made after `started` shows change times not before it, so a
    // file whose times are older cannot have changed since it was read.
    const timespec started = StampClockNow();
    ++reads_;
    rewrites_ = KVR_History::Rewrites();
    // The summary kept for this very version of the file, when there is one:
    // it was made from a read of every line that found none damaged.
    const std::optional<HistoryVersion> version = CurrentHistoryVersion();
    if (version) {
        KeptSummary kept;
        if (ReadPastCache(*version, kept) && TakeSummary(kept.Contents())) {
            fromSummary_ = true;
            stamp_ = version->stamp;
            trusted_ = rewrites_ == KVR_History::Rewrites();
            return;
        }
        Clear();
    }
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
    // Read to its end, of the current layout, from the file on disk.
    const bool wholeCurrentFile = opened && reader.LoadResult() >= 0 && reader.ReadsCurrentFile();
    reader.Close();
    stamp_ = StampOf(KVR_History::kFileName);
    // A conversion or a change during the read makes the next Refresh read
    // the file again.
    trusted_ =
        rewrites_ == KVR_History::Rewrites() && ReadOfOneVersion(stampBefore, stamp_, started);
    outings_.shrink_to_fit();
    texts_.shrink_to_fit();
    // Kept for the next start only when this read was of the version looked
    // at before it, whole (no read error, no damaged line, which must be told
    // at every start) and of the current layout (no conversion counted a
    // rewrite).
    if (version && wholeCurrentFile && trusted_ && !damaged_ && version->stamp == stamp_)
        WritePastCache(*version, Summarised());
}

std::string PastRecords::Summarised() const {
    std::string out;
    out.reserve(outings_.size() * 52 + texts_.size() + lastDate_.size() + 64);
    Put(out, static_cast<std::uint64_t>(outings_.size()));
    for (const Outing& outing : outings_) {
        Put(out, static_cast<std::int32_t>(outing.year));
        Put(out, static_cast<std::int32_t>(outing.month));
        Put(out, outing.hours);
        Put(out, outing.kind);
        Put(out, outing.result);
        Put(out, outing.who);
        Put(out, outing.secondOpponent);
        Put(out, outing.partner);
        Put(out, static_cast<std::uint64_t>(outing.date));
        Put(out, static_cast<std::uint64_t>(outing.outing));
        Put(out, outing.dateLength);
        Put(out, outing.outingLength);
    }
    Put(out, static_cast<std::uint64_t>(texts_.size()));
    out += texts_;
    Put(out, static_cast<std::uint64_t>(nameNumbers_.size()));
    for (const auto& [name, number] : nameNumbers_) {
        Put(out, number);
        Put(out, static_cast<std::uint64_t>(name.size()));
        out += name;
    }
    Put(out, static_cast<std::uint8_t>(hasHistory_));
    Put(out, static_cast<std::uint64_t>(lastDate_.size()));
    out += lastDate_;
    return out;
}

bool PastRecords::TakeSummary(std::string_view bytes) {
    Taker taker(bytes);
    std::uint64_t count = 0;
    // Each outing takes 50 bytes: a count beyond the bytes is no summary.
    if (!taker.Take(count) || count > bytes.size() / 50)
        return false;
    outings_.resize(static_cast<std::size_t>(count));
    for (Outing& outing : outings_) {
        std::int32_t year = 0, month = 0;
        std::uint64_t date = 0, summary = 0;
        if (!taker.Take(year) || !taker.Take(month) || !taker.Take(outing.hours) ||
            !taker.Take(outing.kind) || !taker.Take(outing.result) || !taker.Take(outing.who) ||
            !taker.Take(outing.secondOpponent) || !taker.Take(outing.partner) ||
            !taker.Take(date) || !taker.Take(summary) || !taker.Take(outing.dateLength) ||
            !taker.Take(outing.outingLength))
            return false;
        outing.year = year;
        outing.month = month;
        outing.date = static_cast<std::size_t>(date);
        outing.outing = static_cast<std::size_t>(summary);
    }
    std::uint64_t length = 0, names = 0;
    if (!taker.Take(length) || !taker.Take(texts_, length) || !taker.Take(names) ||
        names >= kNoName)
        return false;
    std::string name;
    for (std::uint64_t i = 0; i < names; ++i) {
        std::uint32_t number = 0;
        if (!taker.Take(number) || !taker.Take(length) || !taker.Take(name, length) ||
            number >= names || !nameNumbers_.try_emplace(name, number).second)
            return false;
    }
    std::uint8_t hasHistory = 0;
    if (!taker.Take(hasHistory) || !taker.Take(length) || !taker.Take(lastDate_, length) ||
        !taker.AtEnd())
        return false;
    hasHistory_ = hasHistory != 0;
    // Every text and name an outing refers to is there.
    for (const Outing& outing : outings_) {
        if (outing.date > texts_.size() || outing.dateLength > texts_.size() - outing.date ||
            outing.outing > texts_.size() || outing.outingLength > texts_.size() - outing.outing ||
            outing.who >= names || outing.secondOpponent >= names || outing.partner >= names)
            return false;
    }
    return true;
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
