// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/history.h"

#include "core/name_match.h"
#include "core/pending_change.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

namespace {

constexpr const char* kLineBreak = "\r\n";
constexpr const char* kSortedFile = "history.srt";
constexpr const char* kConvertedFile = "history.new";
constexpr float kCurrentVersion = 2.0f;

std::atomic<unsigned long> rewrites{0};

std::unique_ptr<ZBD_File> openHistory() {
    return std::make_unique<ZBD_File>(KVR_History::kFileName, 'r', ',', false);
}

// What the last read of a current history.dat to its end found: whether lines
// of it are no records, for the version of the file it read. Every reader
// shares it (the past records are read on a thread of their own), so that
// Rewind reads a file for its check only when no reader has read it whole
// since it last changed.
struct LineCheck {
    kvr::FileStamp stamp;
    unsigned long rewrites = 0;
    bool damaged = false;
};
std::mutex lineCheckLock;
std::optional<LineCheck> lastLineCheck;

std::optional<bool> knownDamage(const kvr::FileStamp& stamp, unsigned long rewritten) {
    std::lock_guard lock(lineCheckLock);
    if (lastLineCheck && lastLineCheck->stamp == stamp && lastLineCheck->rewrites == rewritten)
        return lastLineCheck->damaged;
    return std::nullopt;
}

void keepLineCheck(const LineCheck& check) {
    std::lock_guard lock(lineCheckLock);
    lastLineCheck = check;
}

// Counts over places 0..size-1 (a Fenwick tree): add at a place, count the
// places before one, find the place of the nth count.
class CountTree {
public:
    explicit CountTree(size_t size, int initial = 0) : tree_(size + 1, 0) {
        if (initial != 0)
            for (size_t i = 1; i <= size; ++i)
                tree_[i] = initial * static_cast<int>(i & (~i + 1));
    }
    void Add(size_t place, int value) {
        for (size_t i = place + 1; i < tree_.size(); i += i & (~i + 1))
            tree_[i] += value;
    }
    // The sum over the places before `place`.
    size_t CountBefore(size_t place) const {
        int sum = 0;
        for (size_t i = place; i > 0; i -= i & (~i + 1))
            sum += tree_[i];
        return static_cast<size_t>(sum);
    }
    // The place holding the count numbered n (from 0), counts being 0 or 1.
    size_t FindNth(size_t n) const {
        size_t place = 0;
        size_t step = 1;
        while (step * 2 < tree_.size())
            step *= 2;
        auto left = static_cast<int>(n);
        for (; step > 0; step /= 2) {
            if (place + step < tree_.size() && tree_[place + step] <= left) {
                place += step;
                left -= tree_[place];
            }
        }
        return place;
    }

private:
    std::vector<int> tree_;
};

} // namespace

KVR_History::KVR_History() {
    Reopen();
}

KVR_History::~KVR_History() = default;

void KVR_History::Failed(int result, int error) {
    Close();
    loadResult_ = result;
    error_ = error;
}

int KVR_History::Rewind() {
    if (Reopen() != 1)
        return 0;
    if (!checkable_)
        return 1; // an older layout just converted: every line a record
    if (std::optional<bool> damaged = knownDamage(openedStamp_, openedRewrites_)) {
        if (*damaged)
            Failed(kvr::kReadError);
        return *damaged ? 0 : 1;
    }
    // No reader has read this version of the file whole: read it now.
    while (NextRecordLine()) {
    }
    // Damaged lines, or a read error (Error() tells it): reported.
    if (loadResult_ < 0)
        return 0;
    return Reopen();
}

int KVR_History::Reopen() {
    Close();
    error_ = 0;
    checkable_ = false;
    damagedLines_ = false;
    // Taken before the file is opened: what a read of it finds is kept only
    // when the file read is certainly the version stamped here.
    const timespec started = kvr::StampClockNow();
    const unsigned long rewritesBefore = Rewrites();
    const kvr::FileStamp stampBefore = kvr::StampOf(kFileName);
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
        checkable_ = true;
        openedStamp_ = stampBefore;
        openedRewrites_ = rewritesBefore;
        openedAt_ = started;
        return 1;
    }
    Close();
    // A newer layout is left alone; an older one is converted once.
    if (header && version > kCurrentVersion) {
        Failed(kvr::kNewerFormat);
        return 0;
    }
    if (kvr::WritesRefused()) {
        // A read-only run reads the converted history from memory and leaves
        // the file as it is.
        std::string converted;
        if (ConvertedText(converted) != 1) {
            Failed(kvr::kReadError, error_);
            return 0;
        }
        reader_ = ZBD_File::FromText(kFileName, std::move(converted), ',', false);
    } else if (ConvertOld() != 1) {
        Failed(kvr::kReadError, error_);
        return 0;
    } else {
        reader_ = openHistory();
    }
    if (reader_->Status() <= 0 || reader_->Version() != kCurrentVersion) {
        Failed(kvr::kReadError, reader_->Error());
        return 0;
    }
    loadResult_ = kvr::kLoaded;
    return 1;
}

bool KVR_History::NextRecordLine() {
    if (!reader_)
        return false;
    while (reader_->ReadNextLine() == 1) {
        const std::string& line = reader_->LastLine();
        // Empty lines are skipped: a blank line never hides the records
        // after it.
        if (line.empty())
            continue;
        fields_ = ZBD_Record::Borrow(line, ',');
        if (kvr::IsPlayRecordLine(line, fields_))
            return true;
        // Never read as an outing: the line is left for rebuild_file.
        damagedLines_ = true;
        loadResult_ = kvr::kReadError;
    }
    if (reader_->Status() < 0) {
        Failed(kvr::kReadError, reader_->Error());
        return false;
    }
    if (checkable_ && Rewrites() == openedRewrites_ &&
        kvr::ReadOfOneVersion(openedStamp_, kvr::StampOf(kFileName), openedAt_))
        keepLineCheck({openedStamp_, openedRewrites_, damagedLines_});
    Close();
    return false;
}

int KVR_History::ReadNext() {
    if (ReadNextLine() != 1)
        return 0;
    current_.FromLine(reader_->LastLine());
    return 1;
}

int KVR_History::ReadNextLine() {
    return NextRecordLine() ? 1 : 0;
}

const std::string& KVR_History::CurrentLine() const {
    static const std::string none;
    return reader_ ? reader_->LastLine() : none;
}

int KVR_History::SeekTo(int n) {
    if (Reopen() != 1)
        return 0;
    // Records are numbered as ReadNext delivers them.
    for (int skipped = 1; skipped < n; ++skipped)
        if (!NextRecordLine())
            return 0;
    return 1;
}

int KVR_History::Find(int start, const std::string& text) {
    int first = std::max(start, 1);
    auto matches = [&text](const PlayRecord& record) {
        return kvr::NameContains(record.who, text) ||
               kvr::NameContains(record.secondOpponent, text) ||
               kvr::NameContains(record.partner, text);
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
    // A read-only run may hold the history converted in memory only: its
    // records are counted through the reader.
    if (kvr::WritesRefused()) {
        int records = 0;
        if (Reopen() == 1)
            while (records < INT_MAX && NextRecordLine())
                ++records;
        Close();
        return records;
    }
    // The record lines after the header, as every reader delivers them; the
    // reader in use is left where it is.
    ZBD_File file(kFileName, 'r', ',', false);
    if (file.Status() <= 0 || file.FirstLineKind() == ZBD_File::FirstLine::None)
        return 0;
    int records = 0;
    while (file.ReadNextLine() == 1 && records < INT_MAX)
        if (kvr::IsPlayRecordLine(file.LastLine()))
            ++records;
    return records;
}

void KVR_History::Close() {
    reader_.reset();
    fields_ = ZBD_Record::Borrow({}, ',');
}

int KVR_History::SortDay(const std::string& line) {
    // The date as a record read from the line holds it, then its day.
    auto fields = ZBD_Record::Borrow(line, ',');
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

    // The exchange sort's pass i takes the first of the newest remaining
    // entries to place i, and each entry newer than all before it from place
    // i on moves to the place of the next such entry. It orders the days
    // newest first but mixes equal days. Two facts give that mix without the
    // quadratic passes:
    // - the entries older than a day never change the order among the
    //   entries of that day (they are never newer than what passes them), so
    //   a day's order follows from the entries of that day and newer;
    // - seen from the entries of one day, each pass takes the first newer
    //   entry away, and when an entry of the day comes first in that pass it
    //   moves behind the others of its day up to that newer entry.
    // Taken in file order, that is a queue: an entry of the day joins it at
    // the back, and each newer entry met while the queue is not empty moves
    // the queue's front to its back. The day's final order is the queue's.
    // The queue's circular order never changes, so it is built as a circle
    // with a moving front: each arrival's place in the circle is known from
    // the counts alone, and a tree of free places lays the circle out.
    std::vector<size_t> order(n);
    for (size_t i = 0; i < n; ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&entries](size_t a, size_t b) { return entries[a].day > entries[b].day; });

    CountTree newer(n); // the places in the file of the entries of later days
    size_t newerCount = 0;
    std::vector<size_t> result;
    result.reserve(n);
    std::vector<size_t> arrivalPlace, circle;
    for (size_t first = 0; first < n;) {
        size_t last = first + 1;
        while (last < n && entries[order[last]].day == entries[order[first]].day)
            ++last;
        const size_t count = last - first;
        // Where each entry of the day joins the circle, and where the queue's
        // front ends up.
        arrivalPlace.resize(count);
        size_t front = 0;
        size_t newerBefore = 0;
        for (size_t k = 0; k < count; ++k) {
            size_t passed = newer.CountBefore(order[first + k]);
            if (k > 0)
                front = (front + passed - newerBefore) % k;
            arrivalPlace[k] = front;
            front = (front + 1) % (k + 1);
            newerBefore = passed;
        }
        front = (front + newerCount - newerBefore) % count;
        // Later arrivals push earlier ones along the circle, so the places
        // are given out from the last arrival back.
        circle.resize(count);
        CountTree freePlaces(count, 1);
        for (size_t k = count; k-- > 0;) {
            size_t place = freePlaces.FindNth(arrivalPlace[k]);
            freePlaces.Add(place, -1);
            circle[place] = order[first + k];
        }
        result.insert(result.end(), circle.begin() + static_cast<std::ptrdiff_t>(front),
                      circle.end());
        result.insert(result.end(), circle.begin(),
                      circle.begin() + static_cast<std::ptrdiff_t>(front));
        for (size_t k = first; k < last; ++k)
            newer.Add(order[k], 1);
        newerCount += count;
        first = last;
    }

    std::vector<SortEntry> sorted;
    sorted.reserve(n);
    for (size_t index : result)
        sorted.push_back(std::move(entries[index]));
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
    // A change of the play data that waits to be finished puts its own
    // history in place: nothing else writes the file until then.
    if (kvr::PlayChangePending())
        return -1;
    // Brought to the current layout; every line is kept, record or not, so
    // the lines need no check before the sort.
    if (Reopen() != 1)
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
    if (!kvr::WriteFileAtomically(kSortedFile, sorted, kFileName))
        return -1;
    return kvr::RenameDurably(kSortedFile, kFileName) ? 1 : -1;
}

int KVR_History::ConvertOld() {
    CountRewrite();
    if (kvr::PlayChangePending()) {
        error_ = EBUSY;
        return 0;
    }
    std::string converted;
    const int read = ConvertedText(converted);
    if (read != 1)
        return read;
    // The old file is kept under a name that no goal-period change replaces.
    // A step that fails leaves its error, so that the history is reported as
    // a file that could not be converted, never rebuilt as a damaged one.
    errno = 0;
    if (!kvr::KeepOriginal(kFileName) ||
        !kvr::WriteFileAtomically(kConvertedFile, converted, kFileName) ||
        !kvr::RenameDurably(kConvertedFile, kFileName)) {
        error_ = errno != 0 ? errno : EIO;
        return 0;
    }
    return 1;
}

int KVR_History::ConvertedText(std::string& converted) {
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
    converted = std::string(kConvertedHeader) + kLineBreak;
    auto read = kvr::ReadLineGroups(input, {8, 1, kvr::HeaderlessLayout::Start::Title, true},
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
    return 1;
}

int KVR_History::rebuild_file() {
    CountRewrite();
    Close();
    lastRebuild_ = {};
    rebuildError_ = 0;
    // A file that may not be replaced would only gain another pair of copies
    // at every start.
    errno = 0;
    if (kvr::PlayChangePending()) {
        rebuildError_ = EBUSY;
        return -1;
    }
    if (!kvr::MayReplace(kFileName)) {
        rebuildError_ = errno != 0 ? errno : EACCES;
        return -1;
    }
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
    // A history of the old layout (a title line, then eight lines a record,
    // each opening with a date alone on its line) holds no line that reads
    // as a record: rebuilt, it would lose them all.
    bool current = kvr::IsFormatHeader(lines.empty() ? std::string() : lines[0]) &&
                   kvr::HeaderVersion(lines[0]) == kCurrentVersion;
    if (!current && lines.size() > 1 && !lines[1].empty() && lines[1].front() != '"' &&
        ZBD_Date(lines[1]).IsValid())
        return -1;
    std::string rebuilt = std::string(kHeader) + kLineBreak;
    std::string discarded;
    int kept = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.empty() || (i == 0 && kvr::IsFormatHeader(line)))
            continue;
        if (kvr::IsPlayRecordLine(line)) {
            rebuilt += line + kLineBreak;
            ++kept;
        } else {
            discarded += line + kLineBreak;
        }
    }
    kvr::KeptNames names = kvr::FreeKeptNames(kFileName);
    errno = 0;
    if (!kvr::WriteFileAtomically(names.old, *contents, kFileName) ||
        !kvr::WriteFileAtomically(names.dis, discarded, kFileName)) {
        rebuildError_ = errno != 0 ? errno : EIO;
        kvr::RemoveDurably(names.old);
        kvr::RemoveDurably(names.dis);
        return -1;
    }
    if (!kvr::WriteFileAtomically(kFileName, rebuilt, kFileName))
        return -1;
    lastRebuild_ = names;
    // Every line of the rebuilt file is a record: opening it is check enough.
    Reopen();
    Close();
    return kept;
}
