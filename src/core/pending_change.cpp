// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/pending_change.h"

#include "core/data_file.h"
#include "core/record_line.h"
#include "core/safe_file.h"

#include <cerrno>
#include <string_view>
#include <sys/stat.h>
#include <utility>

namespace kvr {
namespace {

// The names of the version before this one, which a folder may still hold
// when that version was stopped in the middle of a change: outings placed
// in both files had their own mark (and the staged names of today), a new
// goal period staged its history and backups under ".next" names, decided
// by emptying play.dat.
constexpr const char* kEarlierOutingsMark = "outings.commit";
constexpr StagedFile kEarlierGoalPeriodFiles[] = {
    {"history.next", "history.staged"},
    {"play.old.next", "play.old.staged"},
    {"history.old.next", "history.old.staged"},
};

constexpr std::pair<PlayChangeKind, const char*> kKindNames[] = {
    {PlayChangeKind::GoalPeriod, "goal period"},
    {PlayChangeKind::Import, "import"},
    {PlayChangeKind::Merge, "merge"},
};

// Whether a file is there; nullopt when that cannot be told. The mark
// decides a change, so doubt about it must neither finish nor drop one.
std::optional<bool> Present(const char* name) {
    struct stat info {};
    if (::stat(name, &info) == 0)
        return true;
    if (errno == ENOENT || errno == ENOTDIR)
        return false;
    return std::nullopt;
}

// Whether play.dat holds no record: missing, or a header and a count line
// alone. nullopt when it cannot be read.
std::optional<bool> playFileEmpty() {
    if (!FileExists("play.dat"))
        return true;
    auto contents = ReadWholeFile("play.dat");
    if (!contents)
        return std::nullopt;
    auto lines = SplitLines(*contents);
    for (size_t i = 0; i < lines.size(); ++i) {
        const bool header = i == 0 && IsFormatHeader(lines[i]);
        if (!lines[i].empty() && !header && !(i == 1 && IsCountLine(lines[i])))
            return false;
    }
    return true;
}

// Brings a change the earlier version left under its own names into the
// scheme above. Its goal-period change was decided once it had emptied
// play.dat: then its staged files become this scheme's, with the mark. A
// change it had not decided leaves its staged history under a free ".old"
// name, as a copy kept aside, never removed; staged backups without the
// staged history belong to a change whose history is in place, and are put
// in place. 1 something was finished, 0 nothing was left, -1 it could not
// be done (the next start tries again).
int adoptEarlierChange() {
    const std::optional<bool> earlierMark = Present(kEarlierOutingsMark);
    if (!earlierMark)
        return -1;
    if (*earlierMark) {
        const std::optional<bool> marked = Present(kPlayChangeMark);
        if (!marked ||
            (!*marked && !WriteFileAtomically(kPlayChangeMark, MarkName(PlayChangeKind::Import))) ||
            !RemoveDurably(kEarlierOutingsMark))
            return -1;
    }
    const auto& [history, play, past] = kEarlierGoalPeriodFiles;
    if (!FileExists(history.staged)) {
        int finished = 0;
        for (const StagedFile& backup : {play, past}) {
            if (!FileExists(backup.staged))
                continue;
            const char* target =
                std::string_view(backup.staged) == play.staged ? "play.old" : "history.old";
            if (!RenameDurably(backup.staged, target))
                return -1;
            finished = 1;
        }
        return finished;
    }
    const std::optional<bool> decided = playFileEmpty();
    if (!decided)
        return -1;
    // Its staged backups go first, as that version dropped them: found
    // without the staged history, they would be taken for those of a change
    // whose history is in place.
    if (!*decided)
        return RemoveDurably(play.staged) && RemoveDurably(past.staged) &&
                       RenameDurably(history.staged, FreeKeptNames("history.dat").old)
                   ? 0
                   : -1;
    // The mark first: from then on the change is this scheme's, finished
    // whatever stops it while its files take their staged names.
    const std::optional<bool> marked = Present(kPlayChangeMark);
    if (!marked ||
        (!*marked && !WriteFileAtomically(kPlayChangeMark, MarkName(PlayChangeKind::GoalPeriod))))
        return -1;
    for (const StagedFile& file : kEarlierGoalPeriodFiles)
        if (FileExists(file.staged) && !RenameDurably(file.staged, file.target))
            return -1;
    return 0;
}

} // namespace

const char* MarkName(PlayChangeKind kind) {
    for (auto [known, name] : kKindNames)
        if (known == kind)
            return name;
    return "change";
}

bool PlayChangePending() {
    return FileExists(kPlayChangeMark) || FileExists(kEarlierOutingsMark);
}

std::optional<PendingPlayChange> FindPendingPlayChange() {
    if (!PlayChangePending())
        return std::nullopt;
    PendingPlayChange pending;
    if (auto mark = ReadWholeFile(kPlayChangeMark)) {
        auto lines = SplitLines(*mark);
        for (auto [known, name] : kKindNames)
            if (!lines.empty() && lines.front() == name)
                pending.kind = known;
    }
    for (const StagedFile& file : kStagedPlayFiles)
        if (FileExists(file.staged))
            pending.waiting.push_back(file);
    return pending;
}

bool DropStagedPlayFiles() {
    bool dropped = true;
    for (const StagedFile& file : kStagedPlayFiles)
        dropped = RemoveDurably(file.staged) && dropped;
    return dropped;
}

int FinishInterruptedPlayChange() {
    RemoveStaleTemporaries(".");
    const int earlier = adoptEarlierChange();
    if (earlier < 0)
        return -1;
    const std::optional<bool> decided = Present(kPlayChangeMark);
    if (!decided)
        return -1;
    if (!*decided) {
        // Not decided: the files are as they were before it. A staged file
        // that cannot be removed now is harmless, and removed by the next
        // change (or start) first.
        return DropStagedPlayFiles() ? earlier : -1;
    }
    for (const StagedFile& file : kStagedPlayFiles) {
        if (!FileExists(file.staged))
            continue; // put in place before the stop
        if (!RenameDurably(file.staged, file.target))
            return -1;
    }
    return RemoveDurably(kPlayChangeMark) ? 1 : -1;
}

} // namespace kvr
