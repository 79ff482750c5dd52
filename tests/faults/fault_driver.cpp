// SPDX-License-Identifier: GPL-3.0-or-later
// Drives one save or one goal-period change over a prepared folder, and
// checks afterwards what the next start of the program would find there. The
// fault sweep runs the save and the change under strace, killing them or
// failing one system call at a time, and runs the check after every run.
//
//   fault_driver setup SCENARIO DIR     prepares DIR (not under strace)
//   fault_driver save DIR               loads play.dat, edits, Save()
//   fault_driver rollover DIR           loads play.dat, StartNewGoalPeriod()
//   fault_driver recover DIR            RecoverInterruptedChange()
//   fault_driver import DIR             keeps the backup, then loads
//                                       play.dat and imports five outings
//                                       (AddOutings)
//   fault_driver import-play DIR        the same with the three outings that
//                                       fall inside the goal period
//   fault_driver merge DIR              loads play.dat, merges the outings
//                                       that conflict copies of play.dat
//                                       and history.dat hold (AddOutings)
//   fault_driver recover-save DIR       RecoverInterruptedChange(), then
//                                       loads play.dat and records an
//                                       outing, as the program's run goes on
//                                       after a recovery that failed
//   fault_driver load-save DIR          Load() whatever its result, then
//                                       adds records and Save()s, as a
//                                       session goes on after a failed load
//   fault_driver load-rollover DIR      Load() whatever its result, then
//                                       StartNewGoalPeriod()
//   fault_driver load-convert DIR       loads old-layout play.dat, history.dat,
//                                       phone.dat and sched.dat as start-up
//                                       does: a failed load that names no
//                                       error is rebuilt
//   fault_driver check SCENARIO DIR ok|failed|killed
//   fault_driver check-kept SCENARIO DIR
//
// SCENARIO is save, rollover (over a history of past periods, with the
// backups of an earlier change present), first-rollover (no history yet),
// recover-finish (a change stopped after its mark, with the new history
// already in place), recover-undo (a change stopped before its mark) or
// recover-earlier (recover-finish as the version before this one left it,
// under its ".next" names, decided by an emptied play.dat), with stale
// temporary files of interrupted saves; import-play
// (three outings into a goal period of twenty: play.dat alone changes),
// import-both (two outings older than everything stored, three after the
// period of thirty, which closes), merge (the same five in conflict copies
// of play.dat and history.dat), recover-save (import-both stopped after its
// mark: the recovery, then an outing recorded, which must be refused
// whenever the recovery failed); save-kept and rollover-kept are save
// and rollover with play.dat and history.dat private (mode 0600) links into
// a folder of their own, which must stay links and stay private;
// rollover-countless closes a period of one record whose play.dat has no
// count line (the recovery must read that record as the load does).
//
// check-kept, for the load-save and load-rollover runs, only verifies that
// every record of the setup is still somewhere: in play.dat or history.dat,
// or in a backup or a copy kept aside (.old, .bak, .bad, .dis files). For
// the load-convert runs (scenario convert: the four files in the layouts of
// the earliest versions) it starts again without a fault and verifies that
// every record is in its store exactly once: a failed conversion must leave
// the old file to be converted, never take its records out of use.
//
// save, rollover and recover exit 0 only when the operation reported success
// and 1 when it reported failure. check recovers as start-up does, then verifies
// that every record is present exactly once, intact, and that the folder
// holds either the state before the operation or the state after it (the
// latter whenever the operation reported success). It prints "old" or "new"
// and exits 0, or lists the problems and exits 1.

#include "core/backups.h"
#include "core/conflict_copies.h"
#include "core/date.h"
#include "core/history.h"
#include "core/outing_import.h"
#include "core/play_store.h"
#include "core/safe_file.h"
#include "phonebook/phone_store.h"
#include "schedule/sched_store.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <map>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// Every record carries its identity in the match notes.
constexpr const char* kMarker = "kvfault:";
constexpr int kSaveRecords = 40;
constexpr int kSaveAdded = 5;
constexpr int kPeriodRecords = 30;
constexpr int kHistoryRecords = 300;
// Ids of the history records follow those of the period.
constexpr int kFirstHistoryId = 1000;
// Copies of the files as set up, for comparing play.old and history.old.
constexpr const char* kSetupPlayCopy = "setup-play.copy";
constexpr const char* kSetupHistoryCopy = "setup-history.copy";
constexpr const char* kSetupPlayOldCopy = "setup-play-old.copy";
constexpr const char* kSetupHistoryOldCopy = "setup-history-old.copy";
// The folder the data files of the -kept scenarios are links into.
constexpr const char* kKeptFolder = "kept";
// The file-system calls the fault sweep counts start after this probe.
constexpr const char* kStartProbe = "kavora-fault-sweep-start";

// The outings an import or a merge brings, and the one recover-save records.
constexpr int kFirstNewId = 2000;
constexpr int kNewOutings = 5;
constexpr int kTypedId = 3000;

bool isEdited(int id) {
    return id < kSaveRecords && id % 4 == 0;
}

ZBD_Date dateOf(int id) {
    if (id >= kTypedId)
        return ZBD_Date(12, 30, 2024);
    if (id >= kFirstNewId) {
        // Two older than everything stored, three inside the goal period.
        int n = id - kFirstNewId;
        return n < 2 ? ZBD_Date(3, 1 + n, 2014) : ZBD_Date(12, 1 + n, 2024);
    }
    if (id >= kFirstHistoryId) {
        // Past periods: 2015 to 2023, several records on some days.
        int n = id - kFirstHistoryId;
        return ZBD_Date(1 + (n * 7) % 12, 1 + (n * 13) % 28, 2015 + (n * 5) % 9);
    }
    // The current period: 2024, with every seventh record dated back into
    // the range of the history, so that closing the period has to merge.
    if (id % 7 == 3)
        return ZBD_Date(1 + id % 12, 1 + id % 28, 2016 + id % 7);
    return ZBD_Date(1 + (id * 5) % 12, 1 + (id * 11) % 28, 2024);
}

// The record with the given id, as set up or, with `edited`, as the save
// changes it.
PlayRecord recordFor(int id, bool edited) {
    PlayRecord record;
    record.date = dateOf(id).Text();
    record.singlesDoubles = id % 3 == 0 ? "D" : "S";
    record.partner = id % 3 == 0 ? "Partner " + std::to_string(id % 5) : "";
    record.who = "Opponent " + std::to_string(id % 17);
    record.secondOpponent = id % 3 == 0 ? "Second " + std::to_string(id % 4) : "";
    record.time = std::to_string(1 + id % 3) + ".5";
    record.kind = std::string(1, "MPL"[id % 3]);
    record.result = std::string(1, "WLU"[id % 3]);
    record.score = "6-" + std::to_string(id % 5) + " 7-6";
    record.matchNotes = std::string(kMarker) + std::to_string(id) + " served well, moved late";
    record.practiceNotes = edited ? "edited after the match: more volleys" : "first notes, kept";
    for (int stroke = 0; stroke < kvr::kStrokeCount; ++stroke)
        for (int level = 0; level < kvr::kLevelCount; ++level)
            record.ratings[stroke][level] = (id + stroke * 3 + level) % 11;
    return record;
}

// The id in a record's match notes; -1 when it holds none.
int idOf(const PlayRecord& record) {
    const std::string& notes = record.matchNotes;
    if (notes.rfind(kMarker, 0) != 0)
        return -1;
    size_t pos = std::strlen(kMarker);
    int id = 0;
    size_t digits = 0;
    while (pos < notes.size() && notes[pos] >= '0' && notes[pos] <= '9' && digits < 6) {
        id = id * 10 + (notes[pos++] - '0');
        ++digits;
    }
    return digits == 0 ? -1 : id;
}

bool sameRatings(const PlayRecord& a, const PlayRecord& b) {
    return a.ratings == b.ratings;
}

size_t countOccurrences(const std::string& text, const std::string& what) {
    size_t count = 0;
    for (size_t pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1))
        ++count;
    return count;
}

std::vector<std::string> problems;

void problem(const std::string& text) {
    problems.push_back(text);
}

bool enterFolder(const char* dir) {
    if (::chdir(dir) != 0) {
        std::perror(dir);
        return false;
    }
    return true;
}

// Lets the sweep find where the operation starts in a trace.
void markStart() {
    (void)::access(kStartProbe, F_OK);
}

// Lets the sweep find where the load ends.
void markLoaded() {
    (void)::access("kavora-fault-sweep-loaded", F_OK);
}

bool isCountless(const std::string& scenario) {
    return scenario == "rollover-countless";
}

// The scenarios that add outings to the play data.
bool isImport(const std::string& scenario) {
    return scenario == "import-play" || scenario == "import-both" || scenario == "merge" ||
           scenario == "recover-save";
}

// The records of the goal period a rollover or an import scenario starts from.
int periodRecords(const std::string& scenario) {
    if (isCountless(scenario))
        return 1;
    return scenario == "import-play" ? 20 : kPeriodRecords;
}

// import-play brings only the three that fall inside the goal period, so
// that play.dat alone changes.
std::vector<PlayRecord> newOutings(const std::string& scenario) {
    std::vector<PlayRecord> outings;
    for (int id = kFirstNewId + (scenario == "import-play" ? 2 : 0); id < kFirstNewId + kNewOutings;
         ++id)
        outings.push_back(recordFor(id, false));
    return outings;
}

// The record lines of a file, the header and count line left out.
std::vector<std::string> recordLines(const std::string& name) {
    std::vector<std::string> lines;
    for (std::string& line : kvr::SplitLines(kvr::ReadWholeFile(name).value_or("")))
        if (!line.empty() && line.front() == '"')
            lines.push_back(std::move(line));
    return lines;
}

// The play data after an import scenario's outings were added to the
// files as set up, as the plan of the change has it.
kvr::PlayPlan plannedImport(const std::string& scenario) {
    std::vector<PlayRecord> period;
    for (const std::string& line : recordLines(kSetupPlayCopy)) {
        period.emplace_back();
        period.back().FromLine(line);
    }
    std::vector<const PlayRecord*> current;
    for (const PlayRecord& record : period)
        current.push_back(&record);
    return kvr::PlanPlayChange(current, recordLines(kSetupHistoryCopy), newOutings(scenario),
                               false);
}

bool isKept(const std::string& scenario) {
    return scenario == "save-kept" || scenario == "rollover-kept";
}

// The base scenario a -kept one runs.
std::string baseOf(const std::string& scenario) {
    if (isCountless(scenario))
        return "first-rollover";
    if (isImport(scenario))
        return "rollover";
    return isKept(scenario) ? scenario.substr(0, scenario.size() - 5) : scenario;
}

// Moves a data file into the kept folder, private, with a link to it.
bool keepAside(const char* name) {
    std::string target = std::string(kKeptFolder) + "/" + name;
    return !kvr::FileExists(name) ||
           (::rename(name, target.c_str()) == 0 && ::chmod(target.c_str(), 0600) == 0 &&
            ::symlink(target.c_str(), name) == 0);
}

// Turns the completed goal-period change in the current folder back into
// one cut short, with the temporary files of interrupted writes: staged
// again with its mark and its new history already in place (`decided`), or
// staged without a mark, every file as before the change.
int interruptChange(bool decided) {
    auto newHistory = kvr::ReadWholeFile(KVR_History::kFileName);
    auto newPlay = kvr::ReadWholeFile("play.dat");
    auto earlierHistory = kvr::ReadWholeFile("history.old");
    auto earlierPlay = kvr::ReadWholeFile("play.old");
    auto olderPlay = kvr::ReadWholeFile(kSetupPlayOldCopy);
    auto olderHistory = kvr::ReadWholeFile(kSetupHistoryOldCopy);
    if (!newHistory || !newPlay || !earlierHistory || !earlierPlay || !olderPlay || !olderHistory ||
        !kvr::WriteFileAtomically("play.staged", *newPlay) ||
        !kvr::WriteFileAtomically("play.old.staged", *earlierPlay) ||
        !kvr::WriteFileAtomically("history.old.staged", *earlierHistory) ||
        !kvr::WriteFileAtomically("play.dat", *earlierPlay) ||
        !kvr::WriteFileAtomically("play.old", *olderPlay) ||
        !kvr::WriteFileAtomically("history.old", *olderHistory))
        return 2;
    if (decided ? !kvr::WriteFileAtomically(kvr::kPlayChangeMark, "goal period\r\n")
                : !kvr::WriteFileAtomically("history.staged", *newHistory) ||
                      !kvr::WriteFileAtomically(KVR_History::kFileName, *earlierHistory))
        return 2;
    std::string half = newHistory->substr(0, newHistory->size() / 2);
    if (!kvr::WriteFileAtomically(".history.staged.4242-7.kvtmp", half) ||
        !kvr::WriteFileAtomically(".play.dat.4242-8.kvtmp", earlierPlay->substr(0, 500)))
        return 2;
    return 0;
}

// Turns a decided change staged by interruptChange into the same change as
// the version before this one left it: play.dat already emptied, the new
// history and the backups under ".next" names, no mark.
int asEarlierVersion() {
    auto earlierHistory = kvr::ReadWholeFile("history.old.staged");
    return earlierHistory && kvr::RenameDurably("play.staged", "play.dat") &&
                   kvr::RenameDurably(KVR_History::kFileName, "history.next") &&
                   kvr::WriteFileAtomically(KVR_History::kFileName, *earlierHistory) &&
                   kvr::RenameDurably("play.old.staged", "play.old.next") &&
                   kvr::RenameDurably("history.old.staged", "history.old.next") &&
                   kvr::RemoveDurably(kvr::kPlayChangeMark)
               ? 0
               : 2;
}

// Conflict copies of play.dat and history.dat as a sync tool leaves them:
// the files as set up, with the new outings (the older two in the history).
int writeConflictCopies() {
    const std::vector<PlayRecord> outings = newOutings("merge");
    std::vector<std::string> play = recordLines("play.dat");
    for (size_t i = 2; i < outings.size(); ++i)
        play.push_back(outings[i].ToLine());
    std::string copy = kvr::DataFileHeader(2.0f) + "\r\n" + std::to_string(play.size()) + "\r\n";
    for (const std::string& line : play)
        copy += line + "\r\n";
    std::string history = std::string(KVR_History::kHeader) + "\r\n";
    for (const std::string& line : recordLines(KVR_History::kFileName))
        history += line + "\r\n";
    for (size_t i = 0; i < 2; ++i)
        history += outings[i].ToHistoryLine() + "\r\n";
    return kvr::WriteFileAtomically("play.sync-conflict-20240601-120000-ABCDEFG.dat", copy) &&
                   kvr::WriteFileAtomically("history.sync-conflict-20240601-120000-ABCDEFG.dat",
                                            history)
               ? 0
               : 2;
}

// An import of the new outings stopped right after its mark: the staged
// files and the mark as the change writes them.
int stopImportAtItsMark() {
    const kvr::PlayPlan plan = plannedImport("recover-save");
    return kvr::WriteFileAtomically("history.staged", kvr::HistoryFileText(plan)) &&
                   kvr::WriteFileAtomically("play.staged", kvr::PlayFileText(plan, 2.0f)) &&
                   kvr::WriteFileAtomically(kvr::kPlayChangeMark, "import\r\n")
               ? 0
               : 2;
}

// --- setup ---------------------------------------------------------------

// The earliest, headerless layouts, one value a line: play.dat (an index,
// eight texts and 24 ratings a record), history.dat (a title, then eight
// texts a record), phone.dat and sched.dat (five lines an entry).
constexpr int kConvertPlay = 20, kConvertHistory = 40, kConvertPhone = 15, kConvertSched = 15;

int setupConvert() {
    std::string play = std::to_string(kConvertPlay) + "\r\n";
    for (int id = 0; id < kConvertPlay; ++id) {
        PlayRecord record = recordFor(id, false);
        play += std::to_string(id) + "\r\n";
        for (const std::string* text :
             {&record.date, &record.kind, &record.time, &record.who, &record.score, &record.result,
              &record.matchNotes, &record.practiceNotes})
            play += *text + "\r\n";
        for (int level = 0; level < kvr::kLevelCount; ++level)
            for (kvr::Stroke stroke : kvr::kStrokeFileOrder)
                play += std::to_string(record.ratings[kvr::Index(stroke)][level]) + "\r\n";
    }
    std::string history = "history\r\n";
    for (int id = kFirstHistoryId; id < kFirstHistoryId + kConvertHistory; ++id) {
        PlayRecord record = recordFor(id, false);
        for (const std::string* text :
             {&record.date, &record.kind, &record.time, &record.who, &record.score, &record.result,
              &record.matchNotes, &record.practiceNotes})
            history += *text + "\r\n";
    }
    std::string phone = std::to_string(kConvertPhone) + "\r\n";
    for (int id = 0; id < kConvertPhone; ++id)
        phone += "Person " + std::to_string(id) + "\r\n555 01" + std::to_string(id) + "\r\n" +
                 kMarker + std::to_string(id) + "\r\n\r\n\r\n";
    std::string sched = std::to_string(kConvertSched) + "\r\n";
    for (int id = 0; id < kConvertSched; ++id)
        sched += "Person " + std::to_string(id) + "\r\n" + dateOf(id).Text() + "\r\n6 pm\r\n" +
                 "Club\r\n" + kMarker + std::to_string(id) + "\r\n";
    return kvr::WriteFileAtomically("play.dat", play) &&
                   kvr::WriteFileAtomically(KVR_History::kFileName, history) &&
                   kvr::WriteFileAtomically("phone.dat", phone) &&
                   kvr::WriteFileAtomically("sched.dat", sched)
               ? 0
               : 2;
}

int setup(const std::string& scenario) {
    if (scenario == "convert")
        return setupConvert();
    if (scenario == "recover-finish" || scenario == "recover-undo" ||
        scenario == "recover-earlier") {
        if (setup("rollover") != 0)
            return 2;
        KVR_PlayData store;
        if (store.Load() != 1 || store.StartNewGoalPeriod() != 1)
            return 2;
        if (interruptChange(scenario != "recover-undo") != 0)
            return 2;
        return scenario == "recover-earlier" ? asEarlierVersion() : 0;
    }
    const std::string base = baseOf(scenario);
    KVR_PlayData store;
    int count = base == "save" ? kSaveRecords : periodRecords(scenario);
    for (int id = 0; id < count; ++id)
        store.AddCopy(recordFor(id, false));
    if (store.Save() != 1)
        return 2;
    // A play.dat of the header and its records, without the count line.
    if (isCountless(scenario) &&
        !kvr::WriteFileAtomically("play.dat", kvr::DataFileHeader(2.0f) + "\r\n" +
                                                  recordFor(0, false).ToLine() + "\r\n"))
        return 2;
    if (base == "rollover") {
        // Backups of the change before, which this one replaces.
        if (!kvr::WriteFileAtomically("play.old", "stale backup\r\n") ||
            !kvr::WriteFileAtomically("history.old", "stale backup\r\n"))
            return 2;
        // The history as a goal-period change writes it: newest date first.
        std::vector<KVR_History::SortEntry> entries;
        for (int id = kFirstHistoryId; id < kFirstHistoryId + kHistoryRecords; ++id) {
            std::string line = recordFor(id, false).ToHistoryLine();
            entries.push_back({line, KVR_History::SortDay(line)});
        }
        KVR_History::ExchangeSort(entries);
        std::string text = std::string(KVR_History::kHeader) + "\r\n";
        for (const auto& entry : entries)
            text += entry.line + "\r\n";
        if (!kvr::WriteFileAtomically(KVR_History::kFileName, text))
            return 2;
    }
    auto play = kvr::ReadWholeFile("play.dat");
    auto history = kvr::ReadWholeFile(KVR_History::kFileName);
    if (!play || !kvr::WriteFileAtomically(kSetupPlayCopy, *play))
        return 2;
    if (history && !kvr::WriteFileAtomically(kSetupHistoryCopy, *history))
        return 2;
    for (auto [backup, copy] :
         {std::pair{"play.old", kSetupPlayOldCopy}, std::pair{"history.old", kSetupHistoryOldCopy}})
        if (auto text = kvr::ReadWholeFile(backup); text && !kvr::WriteFileAtomically(copy, *text))
            return 2;
    if (isKept(scenario) && (::mkdir(kKeptFolder, 0755) != 0 || !keepAside("play.dat") ||
                             !keepAside(KVR_History::kFileName)))
        return 2;
    if (scenario == "merge")
        return writeConflictCopies();
    if (scenario == "recover-save")
        return stopImportAtItsMark();
    return 0;
}

// --- the operations under test -----------------------------------------------

int runSave() {
    markStart();
    KVR_PlayData store;
    // A program that could not read its records must not write over them.
    if (store.Load() != 1)
        return 1;
    for (unsigned i = 0; i < store.Count(); ++i) {
        PlayRecord* record = store.At(static_cast<int>(i));
        int id = idOf(*record);
        if (isEdited(id))
            store.Update(*record, recordFor(id, true));
    }
    for (int id = kSaveRecords; id < kSaveRecords + kSaveAdded; ++id)
        store.AddCopy(recordFor(id, false));
    return store.Save() == 1 ? 0 : 1;
}

int runRollover() {
    markStart();
    KVR_PlayData store;
    if (store.Load() != 1)
        return 1;
    return store.StartNewGoalPeriod() == 1 ? 0 : 1;
}

// As a session goes on after a load that failed or read less than the whole
// file: the records added are saved, or the period closed, all the same.
int runLoadThenSave() {
    markStart();
    KVR_PlayData store;
    store.Load();
    markLoaded();
    for (int id = kSaveRecords; id < kSaveRecords + kSaveAdded; ++id)
        store.AddCopy(recordFor(id, false));
    return store.Save() == 1 ? 0 : 1;
}

int runLoadThenRollover() {
    markStart();
    KVR_PlayData store;
    store.Load();
    markLoaded();
    return store.StartNewGoalPeriod() == 1 ? 0 : 1;
}

// Start-up's loading of the four files: a load that failed without naming
// an error (damage) is rebuilt, as the program does.
int runLoadConvert() {
    markStart();
    bool failed = false;
    auto load = [&failed](auto& store, int result) {
        if (result >= 0)
            return;
        failed = true;
        if (store.Error() == 0)
            store.rebuild_file();
    };
    KVR_PlayData play; // its history reader converts history.dat
    load(play, play.Load());
    KVR_History& history = play.History();
    int past = history.Rewind() == 1 ? 1 : history.LoadResult();
    history.Close();
    load(history, past);
    KVR_PhoneData phone;
    load(phone, phone.Load());
    SchedClass sched;
    load(sched, sched.Load());
    markLoaded();
    return failed ? 1 : 0;
}

int runRecover() {
    markStart();
    return KVR_PlayData::RecoverInterruptedChange() >= 0 ? 0 : 1;
}

// The backup an import or a merge keeps first is made before the start
// probe: the sweep is over the change of the play data itself.
bool backUp() {
    return kvr::BackupBeforeChange({"play.dat", KVR_History::kFileName}).outcome !=
           kvr::BackupResult::Outcome::Failed;
}

int runImport(const std::string& scenario) {
    if (!backUp())
        return 2;
    markStart();
    KVR_PlayData store;
    if (store.Load() != 1)
        return 1;
    const kvr::PlacedOutings placed = kvr::AddOutings(store, newOutings(scenario));
    return placed.result == kvr::PlacedOutings::Result::Stored ? 0 : 1;
}

// As the program merges conflict copies: the outings the copies hold and
// the live files lack, backed up first, then added in one batch.
int runMerge() {
    if (!backUp())
        return 2;
    markStart();
    KVR_PlayData store;
    kvr::StoredOutingLines present;
    if (store.Load() != 1 || !present.Read(store))
        return 1;
    std::vector<PlayRecord> outings;
    for (const kvr::ConflictCopy& copy : kvr::FindConflictCopies()) {
        kvr::CopyOutcome outcome;
        std::vector<PlayRecord> missing = kvr::MissingOutings(copy, ".", present, outcome);
        if (!outcome.Readable())
            return 1;
        outings.insert(outings.end(), missing.begin(), missing.end());
    }
    if (outings.size() != kNewOutings)
        return 1;
    const kvr::PlacedOutings placed =
        kvr::AddOutings(store, outings, 0, kvr::PlayChangeKind::Merge);
    return placed.result == kvr::PlacedOutings::Result::Stored ? 0 : 1;
}

// The program's run after the start's recovery: an outing recorded. A save
// that goes through while the change still waits would be lost to the next
// recovery: exit 3.
int runRecoverThenSave() {
    markStart();
    const bool recovered = KVR_PlayData::RecoverInterruptedChange() >= 0;
    KVR_PlayData store;
    if (store.Load() != 1)
        return 1;
    const bool saved = store.Commit(kvr::Added(recordFor(kTypedId, false))) == 1;
    // access() rather than a stat: an error injected here can only hide the
    // mark, never show one that is not there.
    if (saved && ::access(kvr::kPlayChangeMark, F_OK) == 0)
        return 3;
    return recovered && saved ? 0 : 1;
}

// --- check -------------------------------------------------------------------

std::vector<std::string> folderEntries() {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(".")) {
        while (dirent* entry = ::readdir(dir))
            names.emplace_back(entry->d_name);
        ::closedir(dir);
    }
    return names;
}

// The stale temporaries the recover scenarios start with (pid 4242) are not
// the operation's own: removing them is best effort, and the next start's
// recovery removes what is left.
void checkNoWorkingFiles(const char* when) {
    for (const auto& name : folderEntries()) {
        if (name.size() > 6 && name.compare(name.size() - 6, 6, ".kvtmp") == 0 &&
            name.find("4242") == std::string::npos)
            problem(std::string("temporary file ") + name + " left " + when);
        for (const kvr::StagedFile& file : kvr::kStagedPlayFiles)
            if (name == file.staged)
                problem(name + " left " + when);
        if (name == kvr::kPlayChangeMark || name == "history.next" || name == "play.old.next" ||
            name == "history.old.next" || name == "outings.commit")
            problem(name + " left " + when);
    }
}

// The records of play.dat by id; reports unreadable files, unknown and
// garbled records.
std::map<int, PlayRecord> readPlayFile() {
    std::map<int, PlayRecord> records;
    KVR_PlayData store;
    int loaded = store.Load();
    if (loaded != 1) {
        problem("play.dat does not load (result " + std::to_string(loaded) + ")");
        return records;
    }
    ZBD_File file("play.dat", 'r', ',', true);
    if (file.HasCountLine() && file.RecordCount() != static_cast<int>(store.Count()))
        problem("play.dat count line says " + std::to_string(file.RecordCount()) + " but holds " +
                std::to_string(store.Count()) + " records");
    for (unsigned i = 0; i < store.Count(); ++i) {
        const PlayRecord& record = *store.At(static_cast<int>(i));
        int id = idOf(record);
        if (id < 0) {
            problem("play.dat holds a record without identity: " + record.ToLine());
            continue;
        }
        if (!records.emplace(id, record).second)
            problem("play.dat holds record " + std::to_string(id) + " twice");
    }
    auto raw = kvr::ReadWholeFile("play.dat");
    if (raw && countOccurrences(*raw, kMarker) != store.Count())
        problem("play.dat holds record lines that do not load");
    return records;
}

// The records of history.dat in file order, read as the program reads them.
std::vector<PlayRecord> readHistoryFile() {
    std::vector<PlayRecord> records;
    if (!kvr::FileExists(KVR_History::kFileName))
        return records;
    KVR_History history;
    if (history.Rewind() != 1) {
        problem("history.dat cannot be read");
        return records;
    }
    while (history.ReadNext() == 1)
        records.push_back(history.Current());
    if (history.CountRecords() != static_cast<int>(records.size()))
        problem("history.dat: " + std::to_string(records.size()) + " records read, " +
                std::to_string(history.CountRecords()) + " counted");
    auto raw = kvr::ReadWholeFile(KVR_History::kFileName);
    if (raw && countOccurrences(*raw, kMarker) != records.size())
        problem("history.dat holds record lines beyond the readable records");
    for (size_t i = 1; i < records.size(); ++i)
        if (ZBD_Date(records[i - 1].date).DayNumber() < ZBD_Date(records[i].date).DayNumber()) {
            problem("history.dat is not ordered newest first at record " + std::to_string(i + 1));
            break;
        }
    return records;
}

// Compares what was found with one expected state; returns the differences.
std::vector<std::string> differences(const std::map<int, PlayRecord>& found,
                                     const std::map<int, PlayRecord>& expected,
                                     bool compareRatings) {
    std::vector<std::string> diffs;
    for (const auto& [id, record] : expected) {
        auto it = found.find(id);
        if (it == found.end())
            diffs.push_back("record " + std::to_string(id) + " missing");
        else if (!it->second.Equals(record) || (compareRatings && !sameRatings(it->second, record)))
            diffs.push_back("record " + std::to_string(id) + " altered: " + it->second.ToLine());
    }
    for (const auto& entry : found)
        if (!expected.count(entry.first))
            diffs.push_back("unexpected record " + std::to_string(entry.first));
    return diffs;
}

// "old" or "new" when the found records match that state; otherwise reports.
std::string classify(const std::string& what, const std::map<int, PlayRecord>& found,
                     const std::map<int, PlayRecord>& before,
                     const std::map<int, PlayRecord>& after, bool compareRatings) {
    auto toOld = differences(found, before, compareRatings);
    if (toOld.empty())
        return "old";
    auto toNew = differences(found, after, compareRatings);
    if (toNew.empty())
        return "new";
    problem(what + " matches neither the state before nor the state after:");
    auto& shorter = toOld.size() <= toNew.size() ? toOld : toNew;
    for (size_t i = 0; i < shorter.size() && i < 10; ++i)
        problem("  " + shorter[i] +
                (&shorter == &toOld ? " (against before)" : " (against after)"));
    return "mixed";
}

std::string checkSave() {
    auto found = readPlayFile();
    std::map<int, PlayRecord> before, after;
    for (int id = 0; id < kSaveRecords; ++id)
        before.emplace(id, recordFor(id, false));
    for (int id = 0; id < kSaveRecords + kSaveAdded; ++id)
        after.emplace(id, recordFor(id, isEdited(id)));
    if (kvr::FileExists(KVR_History::kFileName))
        problem("a save created history.dat");
    return classify("play.dat", found, before, after, true);
}

// The records of history.dat by id; reports records without identity and
// records held twice.
std::map<int, PlayRecord> historyById() {
    std::map<int, PlayRecord> history;
    for (const auto& record : readHistoryFile()) {
        int id = idOf(record);
        if (id < 0)
            problem("history.dat holds a record without identity: " + record.ToHistoryLine());
        else if (!history.emplace(id, record).second)
            problem("history.dat holds record " + std::to_string(id) + " twice");
    }
    return history;
}

bool sameIds(const std::map<int, PlayRecord>& a, const std::map<int, PlayRecord>& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](const auto& x, const auto& y) { return x.first == y.first; });
}

// An import scenario: play.dat and history.dat both as set up or both as the
// plan of the change has them, play.old and history.old untouched; the
// outing recover-save records at most once, and there whenever its run
// reported success.
std::string checkImport(const std::string& scenario, const std::string& status) {
    auto play = readPlayFile();
    auto history = historyById();
    const bool typed = play.erase(kTypedId) > 0;
    if (history.count(kTypedId))
        problem("the outing recorded after the recovery is in history.dat");
    if (scenario == "recover-save" && status == "ok" && !typed)
        problem("the outing recorded after the recovery was saved, and is lost");

    std::map<int, PlayRecord> playBefore, historyBefore, playAfter, historyAfter;
    for (int id = 0; id < periodRecords(scenario); ++id)
        playBefore.emplace(id, recordFor(id, false));
    for (int id = kFirstHistoryId; id < kFirstHistoryId + kHistoryRecords; ++id)
        historyBefore.emplace(id, recordFor(id, false));
    const kvr::PlayPlan plan = plannedImport(scenario);
    for (const PlayRecord& record : plan.period)
        playAfter.emplace(idOf(record), recordFor(idOf(record), false));
    for (const std::string& line : plan.history) {
        PlayRecord record;
        record.FromLine(line);
        historyAfter.emplace(idOf(record), recordFor(idOf(record), false));
    }
    std::string playState = classify("play.dat", play, playBefore, playAfter, true);
    std::string historyState = classify("history.dat", history, historyBefore, historyAfter, false);
    if (playState == "mixed" || historyState == "mixed")
        return "mixed";
    // A file the change leaves as it was is in either state.
    if (sameIds(historyBefore, historyAfter))
        historyState = playState;
    if (sameIds(playBefore, playAfter))
        playState = historyState;
    if (playState != historyState) {
        problem("play.dat is " + playState + " but history.dat is " + historyState);
        return "mixed";
    }
    if (scenario == "recover-save" && playState == "old")
        problem("the change was decided, but the recovery undid it");
    if (kvr::ReadWholeFile("play.old") != kvr::ReadWholeFile(kSetupPlayOldCopy) ||
        kvr::ReadWholeFile("history.old") != kvr::ReadWholeFile(kSetupHistoryOldCopy))
        problem("an import changed play.old or history.old");
    return playState;
}

std::string checkRollover(bool withHistory, int periodLength) {
    auto play = readPlayFile();
    auto history = historyById();
    int both = 0;
    for (const auto& entry : play)
        both += static_cast<int>(history.count(entry.first));
    if (both > 0)
        problem(std::to_string(both) + " records are both in play.dat and in history.dat");

    std::map<int, PlayRecord> period, past, all;
    for (int id = 0; id < periodLength; ++id)
        period.emplace(id, recordFor(id, false));
    for (int id = kFirstHistoryId; withHistory && id < kFirstHistoryId + kHistoryRecords; ++id)
        past.emplace(id, recordFor(id, false));
    all = past;
    all.insert(period.begin(), period.end());

    std::string playState = classify("play.dat", play, period, {}, true);
    std::string historyState = classify("history.dat", history, past, all, false);
    if (playState == "mixed" || historyState == "mixed")
        return "mixed";
    if (playState != historyState) {
        problem("play.dat is " + playState + " but history.dat is " + historyState +
                (playState == "new" ? ": the goal period was lost" : ": records duplicated"));
        return "mixed";
    }
    if (playState == "old") {
        // A change that did not happen leaves the earlier backups alone.
        if (kvr::ReadWholeFile("play.old") != kvr::ReadWholeFile(kSetupPlayOldCopy))
            problem("play.old changed by a goal-period change that did not happen");
        if (kvr::ReadWholeFile("history.old") != kvr::ReadWholeFile(kSetupHistoryOldCopy))
            problem("history.old changed by a goal-period change that did not happen");
    }
    if (playState == "new") {
        // The backups of a completed change are the files as they were.
        auto playOld = kvr::ReadWholeFile("play.old");
        auto historyOld = kvr::ReadWholeFile("history.old");
        if (playOld != kvr::ReadWholeFile(kSetupPlayCopy))
            problem("play.old is not the earlier play.dat");
        // Without an earlier history there is no history.old either.
        if (historyOld != kvr::ReadWholeFile(kSetupHistoryCopy))
            problem("history.old is not the earlier history.dat");
    }
    return playState;
}

// The data files of the -kept scenarios must still be links into the kept
// folder, and every file there private.
void checkKept() {
    for (const char* name : {"play.dat", KVR_History::kFileName}) {
        struct stat info {};
        std::string target = std::string(kKeptFolder) + "/" + name;
        if (::lstat(name, &info) == 0 && !S_ISLNK(info.st_mode))
            problem(std::string(name) + " is no longer a link");
        if (::stat(target.c_str(), &info) == 0 && (info.st_mode & 0777) != 0600)
            problem(target + " is no longer private");
    }
    for (const char* name : {"play.old", "history.old"}) {
        struct stat info {};
        if (::stat(name, &info) == 0 && (info.st_mode & 0077) != 0 &&
            kvr::ReadWholeFile(name) != std::optional<std::string>("stale backup\r\n"))
            problem(std::string(name) + ", a copy of a private file, is readable by others");
    }
    if (DIR* dir = ::opendir(kKeptFolder)) {
        while (dirent* entry = ::readdir(dir))
            if (std::string(entry->d_name).find(".kvtmp") != std::string::npos)
                problem(std::string("temporary file left in the kept folder: ") + entry->d_name);
        ::closedir(dir);
    }
}

int finish(const std::string& state) {
    if (!problems.empty()) {
        for (const auto& text : problems)
            std::fprintf(stderr, "%s\n", text.c_str());
        return 1;
    }
    std::printf("%s\n", state.c_str());
    return 0;
}

int check(const std::string& scenario, const std::string& status) {
    if (status == "ok")
        checkNoWorkingFiles("by an operation that reported success");
    int recovered = KVR_PlayData::RecoverInterruptedChange();
    if (recovered < 0)
        problem("recovery at start-up failed");
    checkNoWorkingFiles("after recovery");
    const std::string base = baseOf(scenario);
    std::string state = isImport(scenario) ? checkImport(scenario, status)
                        : base == "save"
                            ? checkSave()
                            : checkRollover(base != "first-rollover", periodRecords(scenario));
    if (isKept(scenario))
        checkKept();
    // A recovery that undoes a change succeeds with the state before it.
    std::string wrongOnSuccess = scenario == "recover-undo" ? "new" : "old";
    if (status == "ok" && state == wrongOnSuccess)
        problem("the operation reported success but the folder holds the " +
                std::string(state == "old" ? "state before it" : "completed change"));
    return finish(state);
}

// Every record of the setup somewhere in the folder: loaded from play.dat or
// read from history.dat, or among the lines of a backup or a file kept aside.
int checkKeptRecords(const std::string& scenario) {
    KVR_PlayData::RecoverInterruptedChange();
    std::vector<int> expected;
    const bool rollover = scenario == "rollover";
    for (int id = 0; id < (rollover ? kPeriodRecords : kSaveRecords); ++id)
        expected.push_back(id);
    for (int id = kFirstHistoryId; rollover && id < kFirstHistoryId + kHistoryRecords; ++id)
        expected.push_back(id);

    std::map<int, int> found;
    KVR_PlayData store;
    store.Load();
    for (unsigned i = 0; i < store.Count(); ++i)
        ++found[idOf(*store.At(static_cast<int>(i)))];
    for (const auto& record : readHistoryFile())
        ++found[idOf(record)];
    for (const auto& name : folderEntries()) {
        bool aside = false;
        for (const char* kind : {".old", ".bak", ".bad", ".dis"})
            aside = aside || name.find(kind) != std::string::npos;
        if (!aside || name.rfind("setup-", 0) == 0)
            continue;
        for (const auto& line : kvr::SplitLines(kvr::ReadWholeFile(name).value_or(""))) {
            PlayRecord record;
            record.FromLine(line);
            if (idOf(record) >= 0)
                ++found[idOf(record)];
        }
    }
    int missing = 0;
    for (int id : expected)
        if (!found.count(id) && ++missing <= 10)
            problem("record " + std::to_string(id) + " is nowhere in the folder");
    if (missing > 10)
        problem("... " + std::to_string(missing) + " records missing in all");
    return finish("kept");
}

// The records of the convert scenario at the next start, without a fault:
// every one in its store exactly once.
int checkConverted() {
    std::map<std::string, int> found;
    auto idIn = [](const std::string& text) {
        PlayRecord probe;
        probe.matchNotes = text;
        return idOf(probe);
    };
    KVR_PlayData play;
    if (play.Load() < 0)
        problem("play.dat does not load at the next start");
    for (unsigned i = 0; i < play.Count(); ++i)
        ++found["play " + std::to_string(idOf(*play.At(static_cast<int>(i))))];
    KVR_History history;
    if (history.Rewind() != 1)
        problem("history.dat does not load at the next start");
    while (history.ReadNext() == 1)
        ++found["history " + std::to_string(idOf(history.Current()))];
    KVR_PhoneData phone;
    if (phone.Load() < 0)
        problem("phone.dat does not load at the next start");
    for (unsigned i = 0; i < phone.Count(); ++i)
        ++found["phone " + std::to_string(idIn(phone.At(static_cast<int>(i))->notes))];
    SchedClass sched;
    if (sched.Load() < 0)
        problem("sched.dat does not load at the next start");
    for (unsigned i = 0; i < sched.Count(); ++i)
        ++found["sched " + std::to_string(idIn(sched.At(static_cast<int>(i))->notes))];
    std::vector<std::string> expected;
    for (int id = 0; id < kConvertPlay; ++id)
        expected.push_back("play " + std::to_string(id));
    for (int id = kFirstHistoryId; id < kFirstHistoryId + kConvertHistory; ++id)
        expected.push_back("history " + std::to_string(id));
    for (int id = 0; id < kConvertPhone; ++id)
        expected.push_back("phone " + std::to_string(id));
    for (int id = 0; id < kConvertSched; ++id)
        expected.push_back("sched " + std::to_string(id));
    for (const std::string& record : expected) {
        auto it = found.find(record);
        if (it == found.end())
            problem(record + " is not in its store at the next start");
        else if (it->second != 1)
            problem(record + " is in its store " + std::to_string(it->second) + " times");
    }
    for (const auto& entry : found)
        if (std::find(expected.begin(), expected.end(), entry.first) == expected.end())
            problem("unexpected record: " + entry.first);
    return finish("kept");
}

int usage() {
    std::fprintf(
        stderr,
        "usage: fault_driver setup SCENARIO DIR\n"
        "       fault_driver save|rollover|recover|import|import-play|merge|recover-save DIR\n"
        "       fault_driver load-save|load-rollover|load-convert DIR\n"
        "       fault_driver check SCENARIO DIR ok|failed|killed\n"
        "       fault_driver check-kept save|rollover|convert DIR\n"
        "SCENARIO: save, rollover, first-rollover, recover-finish, "
        "recover-undo, recover-earlier, save-kept, rollover-kept, rollover-countless, "
        "import-play, import-both, merge or recover-save\n");
    return 2;
}

bool isScenario(const std::string& text) {
    return text == "save" || text == "rollover" || text == "first-rollover" ||
           text == "recover-finish" || text == "recover-undo" || text == "recover-earlier" ||
           isKept(text) || isCountless(text) || isImport(text);
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    // Fixed dates: the program never asks for today here, but keep it stable.
    ZBD_Date::FixToday(6, 15, 2024);
    if (args.size() == 3 && args[0] == "setup" && (isScenario(args[1]) || args[1] == "convert"))
        return enterFolder(args[2].c_str()) ? setup(args[1]) : 2;
    if (args.size() == 2 && args[0] == "save")
        return enterFolder(args[1].c_str()) ? runSave() : 2;
    if (args.size() == 2 && args[0] == "rollover")
        return enterFolder(args[1].c_str()) ? runRollover() : 2;
    if (args.size() == 2 && args[0] == "recover")
        return enterFolder(args[1].c_str()) ? runRecover() : 2;
    if (args.size() == 2 && args[0] == "import")
        return enterFolder(args[1].c_str()) ? runImport("import-both") : 2;
    if (args.size() == 2 && args[0] == "import-play")
        return enterFolder(args[1].c_str()) ? runImport("import-play") : 2;
    if (args.size() == 2 && args[0] == "merge")
        return enterFolder(args[1].c_str()) ? runMerge() : 2;
    if (args.size() == 2 && args[0] == "recover-save")
        return enterFolder(args[1].c_str()) ? runRecoverThenSave() : 2;
    if (args.size() == 2 && args[0] == "load-save")
        return enterFolder(args[1].c_str()) ? runLoadThenSave() : 2;
    if (args.size() == 2 && args[0] == "load-rollover")
        return enterFolder(args[1].c_str()) ? runLoadThenRollover() : 2;
    if (args.size() == 2 && args[0] == "load-convert")
        return enterFolder(args[1].c_str()) ? runLoadConvert() : 2;
    if (args.size() == 3 && args[0] == "check-kept" && args[1] == "convert")
        return enterFolder(args[2].c_str()) ? checkConverted() : 2;
    if (args.size() == 3 && args[0] == "check-kept" && (args[1] == "save" || args[1] == "rollover"))
        return enterFolder(args[2].c_str()) ? checkKeptRecords(args[1]) : 2;
    if (args.size() == 4 && args[0] == "check" && isScenario(args[1]) &&
        (args[3] == "ok" || args[3] == "failed" || args[3] == "killed"))
        return enterFolder(args[2].c_str()) ? check(args[1], args[3]) : 2;
    return usage();
}
