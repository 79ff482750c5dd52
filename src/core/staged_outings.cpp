// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/staged_outings.h"

#include "core/history.h"
#include "core/safe_file.h"

#include <utility>

namespace kvr {

bool DropStagedOutings() {
    return RemoveDurably(kStagedPlay) && RemoveDurably(kStagedHistory);
}

int RecoverInterruptedOutings() {
    if (!FileExists(kOutingsCommitMark))
        return DropStagedOutings() ? 0 : -1;
    KVR_History::CountRewrite();
    for (auto [staged, target] :
         {std::pair{kStagedHistory, KVR_History::kFileName}, std::pair{kStagedPlay, "play.dat"}})
        if (FileExists(staged) && !RenameDurably(staged, target))
            return -1;
    return RemoveDurably(kOutingsCommitMark) ? 1 : -1;
}

} // namespace kvr
