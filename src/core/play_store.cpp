// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/play_store.h"

#include "core/history.h"
#include "core/staged_outings.h"

#include <system_error>

namespace {

constexpr const char* kLineBreak = "\r\n";
// The new history while a goal period is being closed. Its presence at
// start-up means a change was interrupted (see RecoverInterruptedGoalPeriod).
constexpr const char* kStagedHistory = "history.next";
constexpr const char* kPlayFile = "play.dat";
constexpr const char* kPlayOld = "play.old";
constexpr const char* kHistoryOld = "history.old";
// The new backups while a goal period is being closed: they replace play.old
// and history.old only once the new history is in place, so that a change
// that fails leaves the backups of the one before as they were. They are
// staged after history.next and discarded before it, so that finding them
// without history.next means the new history is in place.
constexpr const char* kStagedPlayOld = "play.old.next";
constexpr const char* kStagedHistoryOld = "history.old.next";

// Drops a change that did not reach its point of no return: the staged
// backups first, then the staged history. False when something stays.
bool discardStagedChange() {
    return kvr::RemoveDurably(kStagedPlayOld) && kvr::RemoveDurably(kStagedHistoryOld) &&
           kvr::RemoveDurably(kStagedHistory);
}

// Puts the staged backups in place once the new history is.
bool finishStagedBackups() {
    bool done = true;
    for (auto [staged, backup] :
         {std::pair{kStagedPlayOld, kPlayOld}, std::pair{kStagedHistoryOld, kHistoryOld}})
        if (kvr::FileExists(staged))
            done = kvr::RenameDurably(staged, backup) && done;
    return done;
}

enum class PlayFileState { Empty, HoldsRecords, Unknown };

// Empty when play.dat is missing or a current-format file without records
// (a goal-period change empties play.dat only as its point of no return);
// Unknown when it cannot be read, so that start-up neither finishes nor
// undoes a change on a guess.
PlayFileState playFileState() {
    if (!kvr::FileExists(kPlayFile))
        return PlayFileState::Empty;
    auto contents = kvr::ReadWholeFile(kPlayFile);
    if (!contents)
        return PlayFileState::Unknown;
    auto lines = kvr::SplitLines(*contents);
    if (lines.empty())
        return PlayFileState::Empty;
    if (kvr::HeaderVersion(lines[0]) != 2.0f)
        return PlayFileState::HoldsRecords;
    // As the load reads it: the line after the header is the count line only
    // when it holds a count; anything else there may be a record.
    for (size_t i = 1; i < lines.size(); ++i)
        if (!lines[i].empty() && !(i == 1 && kvr::IsCountLine(lines[i])))
            return PlayFileState::HoldsRecords;
    return PlayFileState::Empty;
}

} // namespace

KVR_PlayData::KVR_PlayData()
    : ZBD_Data<PlayRecord>(kPlayFile, 2.0f, ','), history_(std::make_unique<KVR_History>()) {}

KVR_PlayData::~KVR_PlayData() = default;

const kvr::PastRecords& KVR_PlayData::Past() {
    if (pastAhead_.valid())
        past_ = pastAhead_.get();
    past_.Refresh();
    return past_;
}

void KVR_PlayData::ReadPastAhead() {
    if (pastAhead_.valid())
        return;
    try {
        pastAhead_ = std::async(std::launch::async, &kvr::PastRecords::Read);
    } catch (const std::system_error&) {
        // No thread to be had: Past() reads them when first called.
    }
}

bool KVR_PlayData::IsPlayRecordLine(const std::string& line) {
    return kvr::IsPlayRecordLine(line);
}

bool KVR_PlayData::IsRecordLine(const std::string& line) const {
    return IsPlayRecordLine(line);
}

// Converts the headerless play.dat of the earliest versions: after the count
// line, each record is an index line, eight text lines and 24 rating lines.
// Records are read to the end of the file, whatever the count says; a record
// cut short by the end is dropped. An index out of step means the file is
// not of this layout: the records read so far stay in the store and the file
// is left as it is. The original file is kept under a free ".old" name before
// the converted one is saved.
int KVR_PlayData::Upgrade(float fileVersion) {
    if (fileVersion != 0.0f)
        return -1;
    ZBD_File file(FileName(), 'r', Separator(), true);
    if (file.Status() <= 0) {
        SetError(file.Error());
        return file.Status();
    }
    Clear();
    constexpr int kLines = 1 + 8 + kvr::kLevelCount * kvr::kStrokeCount;
    auto read = kvr::ReadLineGroups(
        file, {kLines, kLines, kvr::HeaderlessLayout::Start::Count},
        [this](std::vector<std::string>& lines, int index) {
            if (kvr::LeadingInt(lines[0]) != index)
                return false;
            auto record = std::make_unique<PlayRecord>();
            std::string* texts[] = {&record->date,       &record->kind,         &record->time,
                                    &record->who,        &record->score,        &record->result,
                                    &record->matchNotes, &record->practiceNotes};
            size_t line = 1;
            for (std::string* text : texts)
                *text = kvr::StorableText(lines[line++]);
            for (int level = 0; level < kvr::kLevelCount; ++level)
                for (kvr::Stroke stroke : kvr::kStrokeFileOrder)
                    record->ratings[kvr::Index(stroke)][level] = kvr::LeadingInt(lines[line++]);
            record->date = ZBD_Date(record->date).Text();
            Add(std::move(record));
            return true;
        });
    if (read == kvr::GroupsRead::ReadError)
        SetError(file.Error());
    file.Close();
    if (read != kvr::GroupsRead::ToTheEnd)
        return -1;
    KeepOriginalBeforeNextSave();
    int saved = SaveConverted();
    computeStatistics(*this);
    return saved;
}

int KVR_PlayData::StartNewGoalPeriod() {
    // Never close a period over a play.dat or a history that could not be
    // read whole: their records would be lost.
    if (!KeepUnreadFile() || (history_->Rewind() == 0 && history_->LoadResult() < 0)) {
        history_->Close();
        return -1;
    }
    // The earlier history, brought to the current layout first.
    std::optional<std::string> pastFile;
    std::vector<std::string> pastLines;
    if (kvr::FileExists(KVR_History::kFileName)) {
        history_->Rewind();
        history_->Close();
        pastFile = kvr::ReadWholeFile(KVR_History::kFileName);
        if (!pastFile)
            return -1;
        if (pastFile->empty()) {
            pastFile.reset(); // an empty file holds no history to keep
        } else {
            auto lines = kvr::SplitLines(*pastFile);
            if (kvr::HeaderVersion(lines.front()) != 2.0f)
                return 0; // a newer layout, or one that could not be converted
            for (size_t i = 1; i < lines.size(); ++i)
                if (!lines[i].empty())
                    pastLines.push_back(std::move(lines[i]));
        }
    }

    // The new history: this period's records newest first, ordered, then the
    // earlier history behind them, the whole ordered again.
    std::vector<KVR_History::SortEntry> entries;
    entries.reserve(Count() + pastLines.size());
    for (auto record = records_.rbegin(); record != records_.rend(); ++record) {
        std::string line = (*record)->ToHistoryLine();
        entries.push_back({line, KVR_History::SortDay(line)});
    }
    KVR_History::ExchangeSort(entries);
    for (std::string& line : pastLines) {
        int day = KVR_History::SortDay(line);
        entries.push_back({std::move(line), day});
    }
    KVR_History::ExchangeSort(entries);
    std::string newHistory = std::string(KVR_History::kHeader) + kLineBreak;
    for (const auto& entry : entries) {
        newHistory += entry.line;
        newHistory += kLineBreak;
    }

    // A file the user made read-only is not replaced: refuse before anything
    // is written.
    for (const char* name : {kPlayFile, KVR_History::kFileName, kPlayOld, kHistoryOld})
        if (!kvr::MayReplace(name))
            return -1;
    if (!KeepUnreadFile())
        return -1;
    std::optional<std::string> playFile;
    if (kvr::FileExists(kPlayFile) && !(playFile = kvr::ReadWholeFile(kPlayFile)))
        return -1;

    // The new history, then the new backups (copies of both files as they
    // are, private when the files are), staged beside them.
    if (!kvr::WriteFileAtomically(kStagedHistory, newHistory, KVR_History::kFileName)) {
        kvr::RemoveDurably(kStagedHistory);
        return -1;
    }
    if ((playFile && !kvr::WriteFileAtomically(kStagedPlayOld, *playFile, kPlayFile)) ||
        (pastFile &&
         !kvr::WriteFileAtomically(kStagedHistoryOld, *pastFile, KVR_History::kFileName))) {
        discardStagedChange();
        return -1;
    }
    // Emptying play.dat is the point of no return: from then on the period
    // lives in the staged history, which start-up puts in place if we stop.
    kvr::AtomicFileWriter emptyPlay(kPlayFile);
    emptyPlay.Append(kvr::DataFileHeader(Version()) + kLineBreak + "0" + kLineBreak);
    bool synced = emptyPlay.Commit();
    if (!emptyPlay.Replaced()) {
        discardStagedChange();
        return -1;
    }
    history_->Close();
    KVR_History::CountRewrite();
    bool renamed = false;
    bool moved = kvr::RenameDurably(kStagedHistory, KVR_History::kFileName, &renamed);
    if (!renamed) {
        // Put the period back into play.dat; if even that fails, the staged
        // history stays for start-up to finish the change.
        if (Save() == 1)
            discardStagedChange();
        return -1;
    }
    Clear();
    bool backedUp = finishStagedBackups();
    return moved && synced && backedUp ? 1 : -1;
}

int KVR_PlayData::RecoverInterruptedGoalPeriod() {
    kvr::RemoveStaleTemporaries(".");
    // Outings placed in both files at once are finished (or dropped) first:
    // their change never stages a goal-period change's files.
    const int placed = kvr::RecoverInterruptedOutings();
    if (placed < 0)
        return -1;
    const int closed = RecoverGoalPeriodChange();
    return closed == 0 ? placed : closed;
}

int KVR_PlayData::RecoverGoalPeriodChange() {
    if (!kvr::FileExists(kStagedHistory)) {
        // Staged backups without the staged history: the new history is in
        // place and only the backups were left to do.
        if (!kvr::FileExists(kStagedPlayOld) && !kvr::FileExists(kStagedHistoryOld))
            return 0;
        return finishStagedBackups() ? 1 : -1;
    }
    switch (playFileState()) {
    case PlayFileState::HoldsRecords: // play.dat was never emptied: undo
        return discardStagedChange() ? 0 : -1;
    case PlayFileState::Empty:
        KVR_History::CountRewrite();
        if (!kvr::RenameDurably(kStagedHistory, KVR_History::kFileName))
            return -1;
        return finishStagedBackups() ? 1 : -1;
    case PlayFileState::Unknown:
        break; // the next start tries again
    }
    return -1;
}

ZBD_Date statisticsStartDate(KVR_PlayData& store) {
    return statisticsStartDate(store, store.Past());
}

int monthsCovered(KVR_PlayData& store) {
    return monthsCovered(store, store.Past(), ZBD_Date());
}

void computeStatistics(KVR_PlayData& store) {
    computeStatistics(store, store.Past());
}

void computeStatistics(KVR_PlayData& store, const kvr::PastRecords& past) {
    computeStatistics(store, store.Stats(), past);
}
