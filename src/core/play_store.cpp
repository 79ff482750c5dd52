// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/play_store.h"

#include "core/history.h"
#include "core/safe_file.h"

#include <system_error>

namespace {

constexpr const char* kPlayFile = "play.dat";

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
    const kvr::CommitResult result = ChangePlayData(kvr::PlayChangeKind::GoalPeriod, {}, true);
    if (result == kvr::CommitResult::Done)
        return 1;
    // A history of a newer layout is left alone: nothing was done.
    return history_->LoadResult() == kvr::kNewerFormat ? 0 : -1;
}

kvr::CommitResult KVR_PlayData::ChangePlayData(kvr::PlayChangeKind kind,
                                               const std::vector<PlayRecord>& outings,
                                               bool closePeriod, int firstCurrentDay,
                                               kvr::PlayPlan* planned) {
    using kvr::CommitResult;
    // Never while a change waits.
    if (kvr::PlayChangePending())
        return CommitResult::Failed;
    std::optional<kvr::PlayPlan> planning = PlanChange(outings, closePeriod, firstCurrentDay);
    if (!planning)
        return CommitResult::Failed;
    kvr::PlayPlan& plan = *planning;
    CommitResult result = CommitResult::Done;
    if (!plan.historyChanges) {
        // Only play.dat changes: the store's own write path.
        std::vector<kvr::Change<PlayRecord>> changes;
        changes.reserve(outings.size());
        for (const PlayRecord& outing : outings)
            changes.push_back(kvr::Added(outing));
        if (!changes.empty() && CommitAll(changes) != 1)
            result = CommitResult::Failed;
    } else {
        result = kvr::CommitPlayChange(kind, kvr::PlayFileText(plan, Version()),
                                       kvr::HistoryFileText(plan),
                                       kind == kvr::PlayChangeKind::GoalPeriod);
        if (result != CommitResult::Failed) {
            // The store takes the new period in the file's order.
            Clear();
            for (const PlayRecord& record : plan.period)
                AddLoaded(std::make_unique<PlayRecord>(record));
        }
    }
    if (planned)
        *planned = std::move(plan);
    return result;
}

std::optional<kvr::PlayPlan> KVR_PlayData::PlanChange(const std::vector<PlayRecord>& outings,
                                                      bool closePeriod, int firstCurrentDay) {
    // Never plan over a play.dat or a history that could not be read whole:
    // their records would be lost.
    if (!KeepUnreadFile() || (history_->Rewind() == 0 && history_->LoadResult() < 0)) {
        history_->Close();
        return std::nullopt;
    }
    history_->Close();
    // The history's record lines (Rewind brought an old layout up to date),
    // kept byte for byte.
    std::vector<std::string> past;
    if (kvr::FileExists(KVR_History::kFileName)) {
        auto contents = kvr::ReadWholeFile(KVR_History::kFileName);
        if (!contents)
            return std::nullopt;
        auto lines = kvr::SplitLines(*contents);
        if (!lines.empty() && kvr::HeaderVersion(lines.front()) != 2.0f)
            return std::nullopt; // a newer layout, or one that could not be converted
        for (size_t i = 1; i < lines.size(); ++i)
            if (!lines[i].empty())
                past.push_back(std::move(lines[i]));
    }
    std::vector<const PlayRecord*> period;
    period.reserve(records_.size());
    for (const auto& record : records_)
        period.push_back(record.get());
    return kvr::PlanPlayChange(period, std::move(past), outings, closePeriod, firstCurrentDay);
}

int KVR_PlayData::RecoverInterruptedChange() {
    const int result = kvr::FinishInterruptedPlayChange();
    if (result != 0)
        KVR_History::CountRewrite(); // copies of the history in memory read it again
    return result;
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
