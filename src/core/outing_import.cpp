// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/outing_import.h"

#include "core/date.h"
#include "core/history.h"

namespace kvr {
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
                         int firstCurrentDay, PlayChangeKind kind) {
    PlacedOutings placed;
    if (outings.empty())
        return placed;
    PlayPlan plan;
    switch (play.ChangePlayData(kind, outings, false, firstCurrentDay, &plan)) {
    case CommitResult::Done:
        placed.result = PlacedOutings::Result::Stored;
        break;
    case CommitResult::Failed:
        placed.result = PlacedOutings::Result::Failed;
        return placed;
    case CommitResult::Unfinished:
        placed.result = PlacedOutings::Result::Unconfirmed;
        break;
    }
    placed.toHistory = plan.toHistory;
    placed.toPeriod = plan.toPeriod;
    placed.periodsClosed = plan.periodsClosed;
    placed.periodComplete = plan.periodComplete;
    return placed;
}

} // namespace kvr
