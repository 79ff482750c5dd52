// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/import_report.h"
#include "core/play_store.h"
#include "core/record_store.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

// Conflict copies: when the data folder lies in a synced folder and both
// machines changed a data file, the sync tool keeps the other side's version
// beside it under a name of its own:
//   Syncthing            play.sync-conflict-20261207-183012-ABCDEFG.dat
//   Nextcloud, ownCloud  play (conflicted copy 2026-12-07 183012).dat
//   Dropbox              play (Pat's conflicted copy 2026-12-07).dat
// Merging adds the records of a copy that the data file lacks, then moves the
// copy into conflicts/ in the data folder: a copy is never deleted.
namespace kvr {

inline constexpr const char* kConflictFolder = "conflicts";

struct ConflictCopy {
    std::string name;     // the copy's file name in the data folder
    std::string dataFile; // the data file it is a copy of ("play.dat")
};

// The data file (one of BackupFileNames()) of which `name` is a conflict
// copy; empty when it is none ("play.dat.bak", "playlist.dat").
std::string ConflictCopyOf(std::string_view name);

// The conflict copies in `folder` (regular files only), in the order of
// BackupFileNames() and by name within one data file.
std::vector<ConflictCopy> FindConflictCopies(const std::string& folder = ".");

// Moves the copy `name` of `folder` into its conflicts/ folder (made when
// missing) under the same name, or a free one ("name.2.dat", ...) when that
// is taken. The new place relative to `folder` ("conflicts/name"), or
// nullopt (errno telling why) when the copy could not be moved; it is then
// left where it was.
std::optional<std::string> SetAsideCopy(const std::string& name, const std::string& folder = ".");

// The result of reading a copy in the layout of an older version: it is left
// alone, as converting it would write beside it.
inline constexpr int kOlderLayout = -3;

// True when the file at `path` is of an older layout than `version` (a
// header naming an older version, or none).
bool IsOlderLayout(const std::string& path, char separator, float version);

// A store of the type of a data file, bound to a conflict copy instead: it
// reads the copy and is never saved.
template <class Store> class CopyStore : public Store {
public:
    explicit CopyStore(const std::string& path) { this->SetFileName(path); }

    // Loads the copy as Load() does; kOlderLayout, without reading it, for a
    // copy that its load would convert and save.
    int Read() {
        if (IsOlderLayout(this->FileName(), this->Separator(), this->Version()))
            return kOlderLayout;
        return this->Load();
    }
};

// The record type of a store.
template <class Store>
using RecordOf = std::remove_pointer_t<decltype(std::declval<const Store&>().At(0))>;

// What one conflict copy held, or why it could not be read.
struct CopyOutcome {
    ConflictCopy copy;
    int readResult = kLoaded;  // the copy's Load(): below 0 when it could not be read
    int error = 0;             // the system's error number of an unreadable copy
    ImportReport report;       // records to add, and those already there
    std::size_t differing = 0; // records that differ from stored ones of the same key
    bool Readable() const { return readResult > 0; }
};

// The lines of the records a store holds, to tell a copy's records apart.
template <class Store> std::unordered_set<std::string> StoredLines(const Store& store) {
    std::unordered_set<std::string> lines;
    for (unsigned i = 0; i < store.Count(); ++i)
        lines.insert(store.At(static_cast<int>(i))->ToLine());
    return lines;
}

// Reads the copy `copy` of `folder` with the store type of its data file and
// gives its records that are not in `present` (the stored lines, ToLine(),
// of the data file and of the copies read before), adding their lines to
// `present`. The outcome tells how many it adds and how many were there, or
// why the copy could not be read (it then adds nothing).
template <class Store>
std::vector<Change<RecordOf<Store>>>
MissingRecords(const ConflictCopy& copy, const std::string& folder,
               std::unordered_set<std::string>& present, CopyOutcome& outcome) {
    std::vector<Change<RecordOf<Store>>> changes;
    outcome.copy = copy;
    CopyStore<Store> read(folder.empty() || folder == "." ? copy.name : folder + "/" + copy.name);
    outcome.readResult = read.Read();
    outcome.error = read.Error();
    if (outcome.readResult <= 0) {
        // A copy gone since it was found cannot be read either.
        if (outcome.readResult == kMissing)
            outcome.readResult = kReadError;
        return changes;
    }
    for (unsigned i = 0; i < read.Count(); ++i) {
        const auto& record = *read.At(static_cast<int>(i));
        if (present.insert(record.ToLine()).second) {
            changes.push_back(Added(record));
            ++outcome.report.added;
        } else {
            ++outcome.report.present;
        }
    }
    return changes;
}

// A record of a copy that differs from the stored record of the same key (a
// phone entry of the same name with another number): the player chooses
// which to keep, or both. `stored` is the record to replace when the copy's
// is taken; null when it cannot be replaced (an outing of the history).
template <class T> struct Difference {
    T mine;
    T theirs;
    const T* stored = nullptr;
};

// Takes out of `added` (the records a copy adds) those whose key matches
// exactly one record of `mine`, and gives them back as differences: the
// default of a merge adds only what is new. `key` is a record's identity
// whatever else it holds (a phone entry's name), empty for none. The
// outcome counts them apart from the records it adds.
template <class T, class KeyOf>
std::vector<Difference<T>> TakeDifferences(std::vector<T>& added, const std::vector<const T*>& mine,
                                           KeyOf key, CopyOutcome& outcome) {
    std::unordered_map<std::string, const T*> byKey;
    std::unordered_set<std::string> twice;
    for (const T* record : mine) {
        const std::string k = key(*record);
        if (!k.empty() && !byKey.emplace(k, record).second)
            twice.insert(k);
    }
    std::vector<Difference<T>> differences;
    std::vector<T> kept;
    for (T& record : added) {
        const std::string k = key(record);
        auto found = byKey.find(k);
        if (k.empty() || found == byKey.end() || twice.contains(k)) {
            kept.push_back(std::move(record));
            continue;
        }
        differences.push_back({*found->second, std::move(record), found->second});
    }
    added = std::move(kept);
    outcome.report.added -= std::min(outcome.report.added, differences.size());
    outcome.differing += differences.size();
    return differences;
}

// The outings stored, each as the file that holds it keeps it: play.dat's
// lines (ToLine) and the history's (ToHistoryLine, without the ratings), to
// tell apart the outings of a copy of either.
class StoredOutingLines {
public:
    // Reads the play store's records and history.dat (through a reader of
    // its own). False when the history could not be read whole: nothing may
    // then be merged, as an outing could be stored twice.
    bool Read(const KVR_PlayData& play);
    // Whether an outing of a copy of play.dat (`inHistory` false) or of
    // history.dat is stored: the same line in play.dat, or the same history
    // line in the history (or, for a past outing, in play.dat). Adds it when
    // it is not, so that it is merged once.
    bool Insert(const PlayRecord& outing, bool inHistory);

private:
    std::unordered_set<std::string> play_, playAsHistory_, history_;
};

// Reads a copy of play.dat or history.dat and gives its outings that are not
// in `present`, adding them there; the outcome tells how many it adds and
// how many were there, or why the copy could not be read.
std::vector<PlayRecord> MissingOutings(const ConflictCopy& copy, const std::string& folder,
                                       StoredOutingLines& present, CopyOutcome& outcome);

// Why a copy could not be read, in words: "damaged", "written by a newer
// version of Kavora", "written by an older version of Kavora" or the
// system's reason.
std::string UnreadableReason(int readResult, int error);

} // namespace kvr
