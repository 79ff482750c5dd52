#include "core/history.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>

namespace {

constexpr const char* kLineBreak = "\r\n";
constexpr const char* kSortedFile = "history.srt";
constexpr const char* kConvertedFile = "history.new";
constexpr float kCurrentVersion = 2.0f;

std::unique_ptr<ZBD_File> openHistory() {
    return std::make_unique<ZBD_File>(KVR_History::kFileName, 'r', ',', false);
}

} // namespace

KVR_History::KVR_History() {
    Rewind();
}

KVR_History::~KVR_History() = default;

void KVR_History::Failed(int result, int error) {
    Close();
    loadResult_ = result;
    error_ = error;
}

int KVR_History::Rewind() {
    Close();
    error_ = 0;
    reader_ = openHistory();
    if (reader_->Status() <= 0 || !reader_->Good()) {
        Failed(reader_->Status(), reader_->Error());
        return 0;
    }
    if (reader_->FirstLineKind() == ZBD_File::FirstLine::None) {
        Failed(kvr::kMissing); // an empty file holds no history
        return 0;
    }
    float version = reader_->Version();
    bool header = reader_->FirstLineKind() == ZBD_File::FirstLine::Header;
    if (header && version == kCurrentVersion) {
        loadResult_ = kvr::kLoaded;
        return 1;
    }
    Close();
    // A newer layout is left alone; an older one is converted once.
    if (header && version > kCurrentVersion) {
        Failed(kvr::kNewerFormat);
        return 0;
    }
    if (ConvertOld() != 1) {
        Failed(kvr::kReadError, error_);
        return 0;
    }
    reader_ = openHistory();
    if (reader_->Status() <= 0 || reader_->Version() != kCurrentVersion) {
        Failed(kvr::kReadError, reader_->Error());
        return 0;
    }
    loadResult_ = kvr::kLoaded;
    return 1;
}

int KVR_History::ReadNext() {
    if (!reader_)
        return 0;
    auto line = reader_->ReadLine();
    if (!line || line->empty()) {
        // An empty line ends the history for every reader.
        if (reader_->Status() < 0)
            Failed(kvr::kReadError, reader_->Error());
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

int KVR_History::SortByDate() {
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
    Close();
    // The first line of an old history is taken as its header. Each old
    // record is eight lines: date, kind, time, who, score, result, match
    // notes, practice notes; a last record cut short keeps what it has. The
    // file is of this layout only when every record opens with a valid date:
    // current records behind a damaged header are not.
    ZBD_File input(kFileName, 'r', ',', false);
    if (input.Status() <= 0) {
        error_ = input.Error();
        return 0;
    }
    std::string converted = std::string(kConvertedHeader) + kLineBreak;
    auto read = kvr::ReadLineGroups(input, {8, 1, kvr::HeaderlessLayout::Start::Title},
                                    [&converted](std::vector<std::string>& old, int) {
                                        if (!ZBD_Date(old[0]).IsValid())
                                            return false;
                                        const std::string& kind = old[1];
                                        const std::string& time = old[2];
                                        const std::string& who = old[3];
                                        const std::string& score = old[4];
                                        const std::string& result = old[5];
                                        std::string line;
                                        for (const std::string& field :
                                             {old[0], std::string("S"), std::string(), who,
                                              std::string(), time, kind, result, score,
                                              std::string(), std::string(), old[6], old[7]}) {
                                            if (!line.empty())
                                                line += ',';
                                            line += kvr::QuotedField(field);
                                        }
                                        converted += line + kLineBreak;
                                        return true;
                                    });
    if (read == kvr::GroupsRead::ReadError)
        error_ = input.Error();
    input.Close();
    if (read == kvr::GroupsRead::Damaged)
        return -1;
    if (read != kvr::GroupsRead::ToTheEnd)
        return 0;
    // The old file is kept under a name that no goal-period change replaces.
    if (!kvr::KeepOriginal(kFileName) || !kvr::WriteFileAtomically(kConvertedFile, converted))
        return 0;
    return kvr::RenameDurably(kConvertedFile, kFileName) ? 1 : 0;
}

int KVR_History::rebuild_file() {
    Close();
    lastRebuild_ = {};
    errno = 0;
    auto contents = kvr::ReadWholeFile(kFileName);
    if (!contents) {
        error_ = errno;
        return -1;
    }
    auto lines = kvr::SplitLines(*contents);
    if (!lines.empty() && kvr::IsFormatHeader(lines[0]) &&
        kvr::HeaderVersion(lines[0]) > kCurrentVersion)
        return -1;
    std::string rebuilt = std::string(kHeader) + kLineBreak;
    std::string discarded;
    int kept = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.empty() || (i == 0 && kvr::IsFormatHeader(line)))
            continue;
        if (KVR_PlayData::IsPlayRecordLine(line)) {
            rebuilt += line + kLineBreak;
            ++kept;
        } else {
            discarded += line + kLineBreak;
        }
    }
    kvr::KeptNames names = kvr::FreeKeptNames(kFileName);
    if (!kvr::WriteFileAtomically(names.old, *contents) ||
        !kvr::WriteFileAtomically(names.dis, discarded) ||
        !kvr::WriteFileAtomically(kFileName, rebuilt))
        return -1;
    lastRebuild_ = names;
    Rewind();
    Close();
    return kept;
}
