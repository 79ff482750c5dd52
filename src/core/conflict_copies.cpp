// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/conflict_copies.h"

#include "core/backups.h"
#include "core/history.h"
#include "core/safe_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <regex>
#include <sys/stat.h>
#include <unistd.h>

namespace kvr {
namespace {

std::string Join(const std::string& folder, const std::string& name) {
    return folder.empty() || folder == "." ? name : folder + "/" + name;
}

// What the sync tools put between a file's stem and its extension.
const std::regex& ConflictMark() {
    static const std::regex mark(
        // Syncthing: the date, the time and the first characters of the
        // device's identifier.
        R"(\.sync-conflict-\d{8}-\d{6}-[A-Z0-9]{7})"
        // Nextcloud and ownCloud: the date and time, newer clients with the
        // user's name before them.
        R"(| \(conflicted copy (?:[^()/]+ )?\d{4}-\d{2}-\d{2} \d{6}\))"
        // Dropbox: whose copy and the day, a number when there are several.
        R"(| \([^()/]+(?:'|\xE2\x80\x99)s conflicted copy \d{4}-\d{2}-\d{2}(?: \(\d+\))?\))");
    return mark;
}

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// "name.2.dat" for the second copy of "name.dat" in one place.
std::string NumberedName(const std::string& name, int number) {
    const size_t dot = name.rfind('.');
    const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
    const std::string extension = dot == std::string::npos ? "" : name.substr(dot);
    return stem + "." + std::to_string(number) + extension;
}

} // namespace

std::string ConflictCopyOf(std::string_view name) {
    for (const std::string& dataFile : BackupFileNames()) {
        const size_t dot = dataFile.rfind('.');
        const std::string_view stem = std::string_view(dataFile).substr(0, dot);
        const std::string_view extension = std::string_view(dataFile).substr(dot);
        if (name.size() <= dataFile.size() || !name.starts_with(stem) || !name.ends_with(extension))
            continue;
        const std::string mark(name.substr(stem.size(), name.size() - dataFile.size()));
        if (std::regex_match(mark, ConflictMark()))
            return dataFile;
    }
    return {};
}

std::vector<ConflictCopy> FindConflictCopies(const std::string& folder) {
    std::vector<ConflictCopy> copies;
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return copies;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        std::string dataFile = ConflictCopyOf(name);
        if (!dataFile.empty() && IsRegularFile(Join(folder, name)))
            copies.push_back({std::move(name), std::move(dataFile)});
    }
    closedir(dir);
    const auto& order = BackupFileNames();
    auto place = [&order](const ConflictCopy& copy) {
        return std::find(order.begin(), order.end(), copy.dataFile) - order.begin();
    };
    std::sort(copies.begin(), copies.end(), [&place](const ConflictCopy& a, const ConflictCopy& b) {
        return place(a) != place(b) ? place(a) < place(b) : a.name < b.name;
    });
    return copies;
}

std::optional<std::string> SetAsideCopy(const std::string& name, const std::string& folder) {
    const std::string conflicts = Join(folder, kConflictFolder);
    if (mkdir(conflicts.c_str(), 0700) == 0)
        SyncFolder(folder.empty() ? "." : folder);
    else if (errno != EEXIST)
        return std::nullopt;
    const std::string from = Join(folder, name);
    for (int number = 1; number < 10000; ++number) {
        const std::string kept = number == 1 ? name : NumberedName(name, number);
        const std::string to = Join(conflicts, kept);
        struct stat info {};
        if (lstat(to.c_str(), &info) == 0)
            continue;
        if (errno != ENOENT)
            return std::nullopt;
        if (std::rename(from.c_str(), to.c_str()) != 0)
            return std::nullopt;
        // The copy is in one place or the other after a crash, never lost.
        SyncFolder(conflicts);
        SyncFolder(folder.empty() ? "." : folder);
        return Join(kConflictFolder, kept);
    }
    errno = EEXIST;
    return std::nullopt;
}

bool IsOlderLayout(const std::string& path, char separator, float version) {
    ZBD_File file(path, 'r', separator, true);
    if (file.Status() <= 0 || file.FirstLineKind() == ZBD_File::FirstLine::None)
        return false;
    return file.Version() < version;
}

bool StoredOutingLines::Read(const KVR_PlayData& play) {
    play_.clear();
    playAsHistory_.clear();
    history_.clear();
    for (unsigned i = 0; i < play.Count(); ++i) {
        const PlayRecord& outing = *play.At(static_cast<int>(i));
        play_.insert(outing.ToLine());
        playAsHistory_.insert(outing.ToHistoryLine());
    }
    KVR_History history;
    int read = history.Rewind();
    while (read == 1 && history.ReadNext() == 1)
        history_.insert(history.Current().ToHistoryLine());
    const bool whole = history.LoadResult() >= 0;
    history.Close();
    return whole;
}

bool StoredOutingLines::Insert(const PlayRecord& outing, bool inHistory) {
    const std::string past = outing.ToHistoryLine();
    if (history_.contains(past))
        return false;
    if (inHistory) {
        if (playAsHistory_.contains(past))
            return false;
        history_.insert(past);
        return true;
    }
    if (!play_.insert(outing.ToLine()).second)
        return false;
    playAsHistory_.insert(past);
    return true;
}

std::vector<PlayRecord> MissingOutings(const ConflictCopy& copy, const std::string& folder,
                                       StoredOutingLines& present, CopyOutcome& outcome) {
    std::vector<PlayRecord> outings;
    outcome.copy = copy;
    // The play store reads both layouts: a history line is a play line
    // without the ratings.
    CopyStore<KVR_PlayData> read(Join(folder, copy.name));
    outcome.readResult = read.Read();
    outcome.error = read.Error();
    if (outcome.readResult <= 0) {
        if (outcome.readResult == kMissing)
            outcome.readResult = kReadError;
        return outings;
    }
    const bool inHistory = copy.dataFile == KVR_History::kFileName;
    for (unsigned i = 0; i < read.Count(); ++i) {
        const PlayRecord& outing = *read.At(static_cast<int>(i));
        if (present.Insert(outing, inHistory)) {
            outings.push_back(outing);
            ++outcome.report.added;
        } else {
            ++outcome.report.present;
        }
    }
    return outings;
}

std::string UnreadableReason(int readResult, int error) {
    if (error != 0)
        return ErrorText(error);
    if (readResult == kNewerFormat)
        return "written by a newer version of Kavora";
    if (readResult == kOlderLayout)
        return "written by an older version of Kavora";
    return "damaged";
}

} // namespace kvr
