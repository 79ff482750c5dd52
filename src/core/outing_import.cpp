// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/outing_import.h"

#include "core/date.h"
#include "core/history.h"
#include "core/safe_file.h"
#include "core/staged_outings.h"

#include <algorithm>
#include <climits>
#include <optional>

namespace kvr {
namespace {

constexpr const char* kLineBreak = "\r\n";
constexpr const char* kPlayFile = "play.dat";

int DayOf(const std::string& date) {
    return ZBD_Date(date).DayNumber();
}

// One outing on its way to a file, with the day its place is found by.
struct Placed {
    const PlayRecord* record;
    int day;
    bool fromBatch;
};

// Drops the staged files of a change that did not reach its mark.
} // namespace

std::string OutingKey(const PlayRecord& outing) {
    std::string key =
        ZBD_Date::IsNormalText(outing.date) ? outing.date : ZBD_Date(outing.date).Text();
    key += '\n';
    if (!outing.kind.empty())
        key += static_cast<char>(outing.kind[0] >= 'a' && outing.kind[0] <= 'z'
                                     ? outing.kind[0] - 'a' + 'A'
                                     : outing.kind[0]);
    key += '\n';
    key += outing.who;
    key += '\n';
    key += outing.time;
    return key;
}

bool StoredOutings::Read(const KVR_PlayData& play) {
    keys_.clear();
    for (unsigned i = 0; i < play.Count(); ++i)
        Insert(*play.At(static_cast<int>(i)));
    KVR_History history;
    while (history.ReadNext() == 1)
        Insert(history.Current());
    const bool whole = history.LoadResult() >= 0;
    history.Close();
    return whole;
}

PlacedOutings AddOutings(KVR_PlayData& play, const std::vector<PlayRecord>& outings,
                         int firstCurrentDay) {
    PlacedOutings placed;
    if (outings.empty())
        return placed;
    placed.result = PlacedOutings::Result::Failed;
    // Never write over a play.dat or a history that could not be read
    // whole: their records would be lost.
    KVR_History& reader = play.History();
    if (!play.KeepUnreadFile() || (reader.Rewind() == 0 && reader.LoadResult() < 0)) {
        reader.Close();
        return placed;
    }
    reader.Close();

    // The earlier history (Rewind brought an old layout up to date), and
    // its newest day.
    std::optional<std::string> pastFile;
    std::vector<std::string> pastLines;
    int newestPastDay = 0;
    if (FileExists(KVR_History::kFileName)) {
        pastFile = ReadWholeFile(KVR_History::kFileName);
        if (!pastFile)
            return placed;
        auto lines = SplitLines(*pastFile);
        if (!lines.empty()) {
            if (HeaderVersion(lines.front()) != 2.0f)
                return placed; // a newer layout, or one that could not be converted
            for (size_t i = 1; i < lines.size(); ++i) {
                if (lines[i].empty())
                    continue;
                newestPastDay = std::max(newestPastDay, KVR_History::SortDay(lines[i]));
                pastLines.push_back(std::move(lines[i]));
            }
        }
    }

    // Where the current goal period starts.
    int periodStart = INT_MIN;
    if (play.Count() > 0) {
        periodStart = INT_MAX;
        for (unsigned i = 0; i < play.Count(); ++i)
            periodStart = std::min(periodStart, DayOf(play.At(static_cast<int>(i))->date));
    } else if (firstCurrentDay > 0) {
        periodStart = firstCurrentDay;
    } else if (newestPastDay > 0) {
        periodStart = newestPastDay + 1;
    }

    // Every outing as play.dat would hold it had the batch been added to it
    // record by record (each before those of its date already there):
    // oldest first.
    std::vector<Placed> all;
    all.reserve(outings.size() + play.Count());
    for (auto outing = outings.rbegin(); outing != outings.rend(); ++outing)
        all.push_back({&*outing, DayOf(outing->date), true});
    for (unsigned i = 0; i < play.Count(); ++i) {
        const PlayRecord* record = play.At(static_cast<int>(i));
        all.push_back({record, DayOf(record->date), false});
    }
    std::stable_sort(all.begin(), all.end(),
                     [](const Placed& a, const Placed& b) { return a.day < b.day; });

    // The outings before the period (all of them from the batch, as the
    // period starts at play.dat's oldest), then whole periods of thirty
    // while more than thirty remain.
    const size_t older = static_cast<size_t>(
        std::partition_point(all.begin(), all.end(),
                             [periodStart](const Placed& p) { return p.day < periodStart; }) -
        all.begin());
    const size_t current = all.size() - older;
    const size_t length = KVR_PlayData::kGoalPeriodLength;
    const size_t closed = current > length ? (current - 1) / length : 0;
    const size_t toHistory = older + closed * length;
    placed.toHistory = older;
    placed.toPeriod = outings.size() - older;
    placed.periodsClosed = static_cast<int>(closed);
    placed.periodComplete = all.size() - toHistory == length;

    // Only play.dat changes: the store's own write path.
    if (toHistory == 0) {
        std::vector<Change<PlayRecord>> changes;
        changes.reserve(outings.size());
        for (const PlayRecord& outing : outings)
            changes.push_back(Added(outing));
        placed.result = play.CommitAll(changes) == 1 ? PlacedOutings::Result::Stored
                                                     : PlacedOutings::Result::Failed;
        return placed;
    }

    // The new history: the outings it gains newest first, ordered, then the
    // earlier history behind them, the whole ordered again, as a goal-period
    // change writes it.
    std::vector<KVR_History::SortEntry> entries;
    entries.reserve(toHistory + pastLines.size());
    for (size_t i = toHistory; i-- > 0;) {
        std::string line = all[i].record->ToHistoryLine();
        entries.push_back({std::move(line), all[i].day});
    }
    KVR_History::ExchangeSort(entries);
    for (std::string& line : pastLines) {
        const int day = KVR_History::SortDay(line);
        entries.push_back({std::move(line), day});
    }
    KVR_History::ExchangeSort(entries);
    std::size_t historySize = 64;
    for (const auto& entry : entries)
        historySize += entry.line.size() + 2;
    std::string newHistory;
    newHistory.reserve(historySize);
    newHistory += KVR_History::kHeader;
    newHistory += kLineBreak;
    for (const auto& entry : entries) {
        newHistory += entry.line;
        newHistory += kLineBreak;
    }

    // A file the user made read-only is not replaced: refuse before anything
    // is written.
    for (const char* name : {kPlayFile, KVR_History::kFileName})
        if (!MayReplace(name))
            return placed;

    // No outing of play.dat moves: the history takes outings of the batch
    // alone, so it is replaced first and play.dat then gains the rest
    // through the store's own write path. Cut short between the two, the
    // import is only partly stored, and nothing is lost or stored twice (an
    // import again finds the history's part there); a failed save puts the
    // history back.
    const bool periodMoves =
        std::any_of(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(toHistory),
                    [](const Placed& p) { return !p.fromBatch; });
    if (!periodMoves) {
        KVR_History::CountRewrite();
        if (!WriteFileAtomically(KVR_History::kFileName, newHistory))
            return placed;
        std::vector<Change<PlayRecord>> changes;
        changes.reserve(all.size() - toHistory);
        for (auto outing = outings.begin(); outing != outings.end(); ++outing) {
            const bool kept =
                std::any_of(all.begin() + static_cast<std::ptrdiff_t>(toHistory), all.end(),
                            [&outing](const Placed& p) { return p.record == &*outing; });
            if (kept)
                changes.push_back(Added(*outing));
        }
        if (!changes.empty() && play.CommitAll(changes) != 1) {
            KVR_History::CountRewrite();
            if (pastFile)
                WriteFileAtomically(KVR_History::kFileName, *pastFile);
            else
                RemoveDurably(KVR_History::kFileName);
            return placed;
        }
        placed.result = PlacedOutings::Result::Stored;
        return placed;
    }

    // Both change: the new period, kept as copies for the store.
    std::vector<PlayRecord> period;
    period.reserve(all.size() - toHistory);
    std::string newPlay = DataFileHeader(play.Version()) + kLineBreak +
                          std::to_string(all.size() - toHistory) + kLineBreak;
    for (size_t i = toHistory; i < all.size(); ++i) {
        period.push_back(*all[i].record);
        newPlay += all[i].record->ToLine();
        newPlay += kLineBreak;
    }
    // The store takes the new period in the file's order: added last to
    // first, each goes before those of its date.
    auto takePeriod = [&play, &period] {
        play.Clear();
        for (auto record = period.rbegin(); record != period.rend(); ++record)
            play.AddCopy(*record);
    };

    // Staged beside the files, then the mark: from the mark on, the change
    // is finished, here or by the next start.
    if (!WriteFileAtomically(kStagedHistory, newHistory, KVR_History::kFileName) ||
        !WriteFileAtomically(kStagedPlay, newPlay, kPlayFile)) {
        DropStagedOutings();
        return placed;
    }
    if (!WriteFileAtomically(kOutingsCommitMark, {}) && !FileExists(kOutingsCommitMark)) {
        DropStagedOutings();
        return placed;
    }
    KVR_History::CountRewrite();
    bool renamed = false;
    bool synced = RenameDurably(kStagedHistory, KVR_History::kFileName, &renamed);
    if (!renamed) {
        // Nothing in place yet: the change is dropped, unless its mark
        // cannot be, when the next start finishes it.
        if (RemoveDurably(kOutingsCommitMark) && DropStagedOutings())
            return placed;
        takePeriod();
        placed.result = PlacedOutings::Result::Unconfirmed;
        return placed;
    }
    synced = RenameDurably(kStagedPlay, kPlayFile, &renamed) && synced;
    takePeriod();
    if (!renamed) {
        // The history is in place: play.dat is written as the store writes
        // it, or else left to the next start.
        if (play.Save() != 1 || !RemoveDurably(kStagedPlay)) {
            placed.result = PlacedOutings::Result::Unconfirmed;
            return placed;
        }
    }
    synced = RemoveDurably(kOutingsCommitMark) && synced;
    placed.result = synced ? PlacedOutings::Result::Stored : PlacedOutings::Result::Unconfirmed;
    return placed;
}

} // namespace kvr
