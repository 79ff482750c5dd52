// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/play_change.h"

#include "core/data_file.h"
#include "core/date.h"
#include "core/history.h"
#include "core/safe_file.h"

#include <algorithm>
#include <climits>
#include <optional>

namespace kvr {
namespace {

constexpr const char* kLineBreak = "\r\n";
constexpr const char* kPlayFile = "play.dat";

// One outing on its way to a file, with the day its place is found by.
struct Placed {
    const PlayRecord* record;
    int day;
};

int DayOf(const std::string& date) {
    return ZBD_Date(date).DayNumber();
}

} // namespace

PlayPlan PlanPlayChange(const std::vector<const PlayRecord*>& period,
                        std::vector<std::string> history, const std::vector<PlayRecord>& outings,
                        bool closePeriod, int firstCurrentDay) {
    PlayPlan plan;
    std::vector<KVR_History::SortEntry> past;
    past.reserve(history.size());
    int newestPastDay = 0;
    for (std::string& line : history) {
        const int day = KVR_History::SortDay(line);
        newestPastDay = std::max(newestPastDay, day);
        past.push_back({std::move(line), day});
    }

    // Where the goal period starts.
    int periodStart = INT_MIN;
    if (!period.empty()) {
        periodStart = INT_MAX;
        for (const PlayRecord* record : period)
            periodStart = std::min(periodStart, DayOf(record->date));
    } else if (firstCurrentDay > 0) {
        periodStart = firstCurrentDay;
    } else if (newestPastDay > 0) {
        periodStart = newestPastDay + 1;
    }

    // Every outing as play.dat would hold it had the new ones been added to
    // it one by one (each before those of its date already there): oldest
    // first.
    std::vector<Placed> all;
    all.reserve(outings.size() + period.size());
    for (auto outing = outings.rbegin(); outing != outings.rend(); ++outing)
        all.push_back({&*outing, DayOf(outing->date)});
    for (const PlayRecord* record : period)
        all.push_back({record, DayOf(record->date)});
    std::stable_sort(all.begin(), all.end(),
                     [](const Placed& a, const Placed& b) { return a.day < b.day; });

    // The outings before the period (new ones only, as the period starts at
    // its oldest), then whole periods of thirty while more than thirty
    // remain, or the whole period when it closes.
    const size_t older = static_cast<size_t>(
        std::partition_point(all.begin(), all.end(),
                             [periodStart](const Placed& p) { return p.day < periodStart; }) -
        all.begin());
    const size_t current = all.size() - older;
    const size_t length = static_cast<size_t>(kGoalPeriodLength);
    const size_t closed = current > length ? (current - 1) / length : 0;
    const size_t moving = closePeriod ? all.size() : older + closed * length;
    plan.toHistory = older;
    plan.toPeriod = outings.size() - older;
    plan.periodsClosed = static_cast<int>(closed);
    plan.periodComplete = all.size() - moving == length;
    plan.historyChanges = moving > 0 || closePeriod;
    plan.period.reserve(all.size() - moving);
    for (size_t i = moving; i < all.size(); ++i)
        plan.period.push_back(*all[i].record);

    // The history: the outings it gains newest first, ordered, then the
    // earlier history behind them, the whole ordered again.
    std::vector<KVR_History::SortEntry> entries;
    if (plan.historyChanges) {
        entries.reserve(moving + past.size());
        for (size_t i = moving; i-- > 0;)
            entries.push_back({all[i].record->ToHistoryLine(), all[i].day});
        KVR_History::ExchangeSort(entries);
    }
    entries.insert(entries.end(), std::make_move_iterator(past.begin()),
                   std::make_move_iterator(past.end()));
    if (plan.historyChanges)
        KVR_History::ExchangeSort(entries);
    plan.history.reserve(entries.size());
    for (auto& entry : entries)
        plan.history.push_back(std::move(entry.line));
    return plan;
}

std::string PlayFileText(const PlayPlan& plan, float version) {
    std::string text =
        DataFileHeader(version) + kLineBreak + std::to_string(plan.period.size()) + kLineBreak;
    for (const PlayRecord& record : plan.period) {
        text += record.ToLine();
        text += kLineBreak;
    }
    return text;
}

std::string HistoryFileText(const PlayPlan& plan) {
    size_t size = 64;
    for (const std::string& line : plan.history)
        size += line.size() + 2;
    std::string text;
    text.reserve(size);
    text += KVR_History::kHeader;
    text += kLineBreak;
    for (const std::string& line : plan.history) {
        text += line;
        text += kLineBreak;
    }
    return text;
}

CommitResult CommitPlayChange(PlayChangeKind kind, const std::string& playText,
                              const std::string& historyText, bool keepBackups) {
    if (PlayChangePending())
        return CommitResult::Failed;
    // A file the player made read-only is not replaced: refuse before
    // anything is written.
    for (const char* name : {kPlayFile, KVR_History::kFileName})
        if (!MayReplace(name))
            return CommitResult::Failed;
    if (keepBackups &&
        (!MayReplace(kStagedPlayFiles[2].target) || !MayReplace(kStagedPlayFiles[3].target)))
        return CommitResult::Failed;

    // What each staged file holds, and the file whose permissions it takes:
    // the new files, and with `keepBackups` the files as they are now (an
    // empty or missing one keeps its backup as it is).
    struct Staged {
        const StagedFile& file;
        std::string contents;
        const char* permissionsOf;
    };
    const auto& [history, play, playOld, historyOld] = kStagedPlayFiles;
    std::vector<Staged> staged{{history, historyText, history.target},
                               {play, playText, play.target}};
    if (keepBackups) {
        for (auto [backup, from] :
             {std::pair{&playOld, play.target}, {&historyOld, history.target}}) {
            if (!FileExists(from))
                continue;
            std::optional<std::string> contents = ReadWholeFile(from);
            if (!contents)
                return CommitResult::Failed;
            if (!contents->empty())
                staged.push_back({*backup, std::move(*contents), from});
        }
    }

    // Staged beside the files, each as private as the file it comes from; a
    // staged file left by a change that was never decided goes first.
    if (!DropStagedPlayFiles())
        return CommitResult::Failed;
    for (const Staged& each : staged) {
        if (!WriteFileAtomically(each.file.staged, each.contents, each.permissionsOf)) {
            DropStagedPlayFiles();
            return CommitResult::Failed;
        }
    }

    // The mark decides the change: from the moment it is in place, the
    // change is finished, here or by the next start.
    AtomicFileWriter mark(kPlayChangeMark);
    mark.Append(std::string(MarkName(kind)) + kLineBreak);
    bool synced = mark.Commit();
    if (!mark.Replaced()) {
        DropStagedPlayFiles();
        return CommitResult::Failed;
    }
    size_t placed = 0;
    for (const Staged& each : staged) {
        if (&each.file == &history)
            KVR_History::CountRewrite();
        bool renamed = false;
        synced = RenameDurably(each.file.staged, each.file.target, &renamed) && synced;
        if (!renamed)
            break;
        ++placed;
    }
    if (placed == 0) {
        // Nothing in place yet: the change is undone by removing its mark,
        // unless even that fails, when the next start finishes it.
        RemoveDurably(kPlayChangeMark);
        if (!FileExists(kPlayChangeMark)) {
            DropStagedPlayFiles();
            return CommitResult::Failed;
        }
        return CommitResult::Unfinished;
    }
    if (placed < staged.size())
        return CommitResult::Unfinished;
    synced = RemoveDurably(kPlayChangeMark) && synced;
    return synced ? CommitResult::Done : CommitResult::Unfinished;
}

} // namespace kvr
