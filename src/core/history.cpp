#include "core/history.h"

#include <algorithm>
#include <atomic>
#include <cstdint>

namespace {

constexpr const char* kLineBreak = "\r\n";
constexpr const char* kSortedFile = "history.srt";
constexpr const char* kConvertedFile = "history.new";
constexpr const char* kOldFile = "history.old";
constexpr float kCurrentVersion = 2.0f;

std::atomic<unsigned long> rewrites{0};

std::unique_ptr<ZBD_File> openHistory() {
    return std::make_unique<ZBD_File>(KVR_History::kFileName, 'r', ',', false);
}

} // namespace

KVR_History::KVR_History() {
    Rewind();
}

KVR_History::~KVR_History() = default;

int KVR_History::Rewind() {
    Close();
    reader_ = openHistory();
    if (reader_->Status() <= 0 || !reader_->Good()) {
        Close();
        return 0;
    }
    float version = reader_->Version();
    if (version == kCurrentVersion)
        return 1;
    Close();
    // A newer layout is left alone; an older one is converted once.
    if (version > kCurrentVersion || ConvertOld() != 1)
        return 0;
    reader_ = openHistory();
    if (reader_->Status() <= 0 || reader_->Version() != kCurrentVersion) {
        Close();
        return 0;
    }
    return 1;
}

int KVR_History::ReadNext() {
    if (!reader_)
        return 0;
    auto line = reader_->ReadLine();
    if (!line || line->empty()) {
        // An empty line ends the history for every reader.
        Close();
        return 0;
    }
    current_.FromLine(*line);
    return 1;
}

const std::string& KVR_History::CurrentLine() const {
    static const std::string none;
    return reader_ ? reader_->LastLine() : none;
}

int KVR_History::SeekTo(int n) {
    if (Rewind() != 1)
        return 0;
    for (int skipped = 1; skipped < n; ++skipped) {
        auto line = reader_->ReadLine();
        if (!line || line->empty()) {
            Close();
            return 0;
        }
    }
    return 1;
}

int KVR_History::Find(int start, const std::string& text) {
    int first = std::max(start, 1);
    auto matches = [&text](const PlayRecord& record) {
        return record.who.find(text) != std::string::npos ||
               record.secondOpponent.find(text) != std::string::npos ||
               record.partner.find(text) != std::string::npos;
    };
    if (SeekTo(first) == 1) {
        for (int label = first; ReadNext() == 1; ++label)
            if (matches(current_))
                return label;
    }
    // Not found: leave the record the search began with in the buffer.
    if (SeekTo(first) == 1)
        ReadNext();
    return -1;
}

int KVR_History::CountRecords() {
    ZBD_File file(kFileName, 'r', ',', false);
    return std::max(file.CountLines() - 1, 0);
}

void KVR_History::Close() {
    reader_.reset();
}

int KVR_History::SortDay(const std::string& line) {
    ZBD_Record fields(line, ',');
    return ZBD_Date(ZBD_Date(fields.Field(1)).Text()).DayNumber();
}

bool KVR_History::ExchangeSort(std::vector<SortEntry>& entries) {
    const size_t n = entries.size();
    // The exchange sort swaps exactly when a later entry is newer than an
    // earlier one; without such a pair it changes nothing.
    bool ordered = true;
    for (size_t i = 1; i < n && ordered; ++i)
        ordered = entries[i - 1].day >= entries[i].day;
    if (ordered)
        return false;

    // Each entry packed as (day, original index) so that the quadratic pass
    // moves single words. Comparing against the other word with its index
    // bits cleared compares the days alone.
    std::vector<int64_t> packed(n);
    for (size_t i = 0; i < n; ++i)
        packed[i] = (static_cast<int64_t>(entries[i].day) << 32) | static_cast<int64_t>(i);
    constexpr int64_t kDayBits = ~int64_t{0xffffffff};
    // The entry held during a pass carries a mark in bit 31, above every
    // index, so that the larger of it and a later entry is the later one
    // exactly when its day is later: an equal day keeps the held one. Taking
    // that maximum needs no branch; a branch there is mispredicted wherever
    // days repeat, which made the pass twice as slow.
    constexpr int64_t kHeld = int64_t{1} << 31;
    if (n < static_cast<size_t>(kHeld)) {
        int64_t* const values = packed.data();
        for (size_t i = 0; i < n; ++i) {
            int64_t held = values[i] | kHeld;
            for (size_t j = i + 1; j < n; ++j) {
                const int64_t other = values[j];
                const int64_t next = std::max(held, other) | kHeld;
                // The entry given up when they swap, else the later one as it was.
                values[j] = other ^ held ^ next;
                held = next;
            }
            values[i] = held & ~kHeld;
        }
    } else { // too many entries for the mark
        for (size_t i = 0; i < n; ++i) {
            int64_t held = packed[i];
            for (size_t j = i + 1; j < n; ++j) {
                if (held < (packed[j] & kDayBits))
                    std::swap(held, packed[j]);
            }
            packed[i] = held;
        }
    }
    std::vector<SortEntry> sorted;
    sorted.reserve(n);
    for (int64_t value : packed)
        sorted.push_back(std::move(entries[static_cast<size_t>(value & 0xffffffff)]));
    entries = std::move(sorted);
    return true;
}

unsigned long KVR_History::Rewrites() {
    return rewrites.load();
}

void KVR_History::CountRewrite() {
    ++rewrites;
}

int KVR_History::SortByDate() {
    CountRewrite();
    if (Rewind() != 1)
        return 0;
    Close();
    auto contents = kvr::ReadWholeFile(kFileName);
    if (!contents)
        return 0;
    auto lines = kvr::SplitLines(*contents);
    if (lines.empty())
        return 0;
    // Records run up to the first empty line; whatever follows it is kept
    // unchanged behind the sorted records.
    auto end = std::find(lines.begin() + 1, lines.end(), std::string());
    std::vector<SortEntry> entries;
    for (auto line = lines.begin() + 1; line != end; ++line) {
        int day = SortDay(*line);
        entries.push_back({std::move(*line), day});
    }
    if (entries.empty() || !ExchangeSort(entries))
        return 0;

    std::string sorted = std::string(kHeader) + kLineBreak;
    for (const auto& entry : entries)
        sorted += entry.line + kLineBreak;
    for (auto line = end; line != lines.end(); ++line)
        sorted += *line + kLineBreak;
    if (!kvr::WriteFileAtomically(kSortedFile, sorted))
        return -1;
    return kvr::RenameDurably(kSortedFile, kFileName) ? 1 : -1;
}

int KVR_History::ConvertOld() {
    CountRewrite();
    Close();
    // The first line of an old history is taken as its header.
    ZBD_File input(kFileName, 'r', ',', false);
    if (input.Status() <= 0)
        return 0;
    ZBD_File output(kConvertedFile, 'w', ',', true);
    if (!output.Good())
        return 0;
    output.WriteLine(kConvertedHeader);
    // Each old record is eight lines: date, kind, time, who, score, result,
    // match notes, practice notes. An empty date line ends the file.
    for (;;) {
        auto date = input.ReadLine();
        if (!date || date->empty())
            break;
        std::string old[8] = {*date};
        for (int i = 1; i < 8; ++i)
            old[i] = input.ReadLine().value_or(std::string());
        const std::string& kind = old[1];
        const std::string& time = old[2];
        const std::string& who = old[3];
        const std::string& score = old[4];
        const std::string& result = old[5];
        std::string line;
        for (const std::string& field :
             {old[0], std::string("S"), std::string(), who, std::string(), time, kind, result,
              score, std::string(), std::string(), old[6], old[7]}) {
            if (!line.empty())
                line += ',';
            line += kvr::QuotedField(field);
        }
        output.WriteLine(line);
    }
    bool readFailed = input.Status() < 0;
    input.Close();
    if (readFailed) {
        output.Abandon();
        return 0;
    }
    output.Close();
    if (!output.Good())
        return 0;
    // The old file is kept as history.old.
    auto original = kvr::ReadWholeFile(kFileName);
    if (!original || !kvr::WriteFileAtomically(kOldFile, *original))
        return 0;
    return kvr::RenameDurably(kConvertedFile, kFileName) ? 1 : 0;
}
