// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/backups.h"

#include "core/date.h"
#include "core/pending_change.h"
#include "core/safe_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kvr {
namespace {

// A day's folder before it is complete.
constexpr const char* kPartialSuffix = ".partial";
// Beside a file's place in a day's folder: the file could not be read when
// the backup was made, and a later start of the day copies it.
constexpr const char* kUnreadSuffix = ".unread";

std::string Join(const std::string& folder, const std::string& name) {
    return folder.empty() || folder == "." ? name : folder + "/" + name;
}

std::string Reason(int error) {
    if (error == kNotRegularFile)
        return kNotRegularFileText;
    return std::strerror(error);
}

std::string DayFolderName(const ZBD_Date& day) {
    char name[16];
    std::snprintf(name, sizeof name, "%04d-%02d-%02d", day.Year(), day.Month(), day.Day());
    return name;
}

// "YYYY-MM-DD", digits in every place.
bool IsDayFolderName(const std::string& name) {
    if (name.size() != 10 || name[4] != '-' || name[7] != '-')
        return false;
    for (size_t i = 0; i < name.size(); ++i)
        if (i != 4 && i != 7 && (name[i] < '0' || name[i] > '9'))
            return false;
    return true;
}

bool IsOurFileName(const std::string& name) {
    const auto& names = BackupFileNames();
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Between a data file's name and the time of day of a copy kept before a
// change.
constexpr const char* kBeforeMark = ".before-";

// "183012" or "183012-2": digits, then at most one dash and digits.
bool IsTimeMark(const std::string& text) {
    if (text.empty() || text.front() == '-' || text.back() == '-' ||
        std::count(text.begin(), text.end(), '-') > 1)
        return false;
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return c == '-' || (c >= '0' && c <= '9'); });
}

// A data file's name, its name with the mark of a file left unread, or that
// of a copy kept before a change.
bool IsBackupEntryName(const std::string& name) {
    const std::string suffix = kUnreadSuffix;
    if (name.size() > suffix.size() && name.ends_with(suffix))
        return IsOurFileName(name.substr(0, name.size() - suffix.size()));
    if (const size_t mark = name.find(kBeforeMark); mark != std::string::npos)
        return IsOurFileName(name.substr(0, mark)) &&
               IsTimeMark(name.substr(mark + std::strlen(kBeforeMark)));
    return IsOurFileName(name);
}

// The entries of a folder; false when it cannot be listed.
bool ListFolder(const std::string& folder, std::vector<std::string>& names) {
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return false;
    errno = 0;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(std::move(name));
    }
    bool ok = errno == 0;
    closedir(dir);
    return ok;
}

// A real folder (not a link to one) that holds nothing but regular files
// named as the data files (or as their unread marks): only such a folder is
// ever removed.
bool HoldsOnlyOurFiles(const std::string& folder) {
    struct stat info {};
    if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
    std::vector<std::string> names;
    if (!ListFolder(folder, names))
        return false;
    for (const std::string& name : names) {
        if (!IsBackupEntryName(name) || lstat(Join(folder, name).c_str(), &info) != 0 ||
            !S_ISREG(info.st_mode))
            return false;
    }
    return true;
}

bool RemoveBackupFolder(const std::string& folder) {
    RemoveStaleTemporaries(folder);
    if (!HoldsOnlyOurFiles(folder))
        return false;
    std::vector<std::string> names;
    ListFolder(folder, names);
    for (const std::string& name : names)
        if (unlink(Join(folder, name).c_str()) != 0)
            return false;
    return rmdir(folder.c_str()) == 0;
}

// Copies one data file into `target`; an empty text when done or when the
// file does not exist, else what went wrong.
std::string CopyFile(const std::string& dataFolder, const std::string& name,
                     const std::string& target, bool& copied, bool& writeFailed) {
    const std::string source = Join(dataFolder, name);
    struct stat info {};
    if (stat(source.c_str(), &info) != 0) {
        if (errno == ENOENT)
            return {};
        return "'" + name + "': " + Reason(errno);
    }
    errno = 0;
    auto contents = ReadWholeFile(source);
    if (!contents)
        return "'" + name + "' could not be read: " + Reason(errno ? errno : EIO);
    const std::string copy = Join(target, name);
    errno = 0;
    // The copy is as private as the file it copies.
    if (!WriteFileAtomically(copy, *contents, source)) {
        writeFailed = true;
        return "'" + name + "' could not be written: " + Reason(errno ? errno : EIO);
    }
    copied = true;
    return {};
}

// Removes our backups past the newest kBackupDays, never `today`'s.
void PruneOldBackups(const std::string& backups, const std::string& today) {
    std::vector<std::string> names;
    if (!ListFolder(backups, names))
        return;
    std::vector<std::string> days;
    for (const std::string& name : names)
        if (IsDayFolderName(name) && HoldsOnlyOurFiles(Join(backups, name)))
            days.push_back(name);
    // Names of this shape sort as their dates do.
    std::sort(days.begin(), days.end(), std::greater<>());
    for (size_t i = kBackupDays; i < days.size(); ++i)
        if (days[i] != today)
            RemoveBackupFolder(Join(backups, days[i]));
    SyncFolder(backups);
}

// Copies into today's finished folder the files its first start could not
// read (those marked unread), so that the day's backup is completed as soon
// as they can be read. A file already copied, or gone since, only loses its
// mark.
BackupResult CompleteDayFolder(const std::string& dataFolder, const std::string& folder,
                               BackupResult result) {
    result.outcome = BackupResult::Outcome::AlreadyMade;
    bool completed = false;
    for (const std::string& name : BackupFileNames()) {
        const std::string mark = Join(folder, name + kUnreadSuffix);
        struct stat info {};
        if (lstat(mark.c_str(), &info) != 0)
            continue;
        bool copied = false;
        bool writeFailed = false;
        std::string problem;
        if (lstat(Join(folder, name).c_str(), &info) != 0)
            problem = CopyFile(dataFolder, name, folder, copied, writeFailed);
        if (!problem.empty()) {
            result.outcome = BackupResult::Outcome::Failed;
            result.problems.push_back(problem);
            continue;
        }
        RemoveDurably(mark);
        completed = completed || copied;
    }
    if (completed && result.problems.empty())
        result.outcome = BackupResult::Outcome::Made;
    return result;
}

// "183012": the time of day now, on the local clock.
std::string TimeOfDayMark() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::snprintf(text, sizeof text, "%02d%02d%02d", local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

} // namespace

const std::vector<std::string>& BackupFileNames() {
    static const std::vector<std::string> names = {
        "play.dat",     "history.dat",  "chart.dat", "sched.dat",  "phone.dat",    "coach.dat",
        "forehand.tip", "backhand.tip", "serve.tip", "volley.tip", "approach.tip", "return.tip",
    };
    return names;
}

namespace {

// The path with every link on the way followed; for a file not there yet,
// its folder's, with its own name. Empty when the folder cannot be found.
std::string Resolved(const std::string& path) {
    if (char* full = ::realpath(path.c_str(), nullptr)) {
        std::string resolved(full);
        std::free(full);
        return resolved;
    }
    const std::size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty() || name == "." || name == "..")
        return {};
    char* full = ::realpath(folder.c_str(), nullptr);
    if (!full)
        return {};
    std::string resolved(full);
    std::free(full);
    return resolved + (resolved == "/" ? "" : "/") + name;
}

} // namespace

bool NamesDataFile(const std::string& path, const std::string& dataFolder) {
    const std::string target = Resolved(path);
    if (target.empty())
        return false;
    const std::string folder = Resolved(dataFolder);
    if (target == folder)
        return true;
    std::vector<std::string> names = BackupFileNames();
    for (const char* name : {"play.old", "history.old", kPlayChangeMark, "kavora.lock"})
        names.emplace_back(name);
    for (const StagedFile& file : kStagedPlayFiles)
        names.emplace_back(file.staged);
    return std::any_of(names.begin(), names.end(), [&](const std::string& name) {
        return Resolved(Join(dataFolder, name)) == target;
    });
}

BackupResult MakeDailyBackup(const std::string& dataFolder) {
    BackupResult result;
    const std::string today = DayFolderName(ZBD_Date());
    const std::string backups = Join(dataFolder, kBackupFolder);
    const std::string finalFolder = Join(backups, today);
    result.folder = Join(kBackupFolder, today);

    struct stat info {};
    if (lstat(finalFolder.c_str(), &info) == 0)
        return CompleteDayFolder(dataFolder, finalFolder, result);
    bool anyFile = false;
    for (const std::string& name : BackupFileNames())
        if (FileExists(Join(dataFolder, name)))
            anyFile = true;
    if (!anyFile)
        return result;

    auto fail = [&](const std::string& problem) {
        result.outcome = BackupResult::Outcome::Failed;
        result.problems.push_back(problem);
        return result;
    };
    if (mkdir(backups.c_str(), 0700) == 0) {
        SyncFolder(dataFolder.empty() ? "." : dataFolder);
    } else if (errno != EEXIST) {
        return fail("'" + std::string(kBackupFolder) + "' could not be made: " + Reason(errno));
    }

    // A folder left by a start that was cut short is finished afresh.
    const std::string partial = finalFolder + kPartialSuffix;
    if (lstat(partial.c_str(), &info) == 0 && !RemoveBackupFolder(partial))
        return fail("'" + result.folder + kPartialSuffix + "' is in the way");
    if (mkdir(partial.c_str(), 0700) != 0)
        return fail("'" + result.folder + "' could not be made: " + Reason(errno));

    bool copied = false;
    bool writeFailed = false;
    for (const std::string& name : BackupFileNames()) {
        std::string problem = CopyFile(dataFolder, name, partial, copied, writeFailed);
        if (!problem.empty())
            result.problems.push_back(problem);
        if (writeFailed)
            break;
        // A file that could not be read is marked, for a later start of the
        // day to copy.
        if (!problem.empty())
            WriteFileAtomically(Join(partial, name + kUnreadSuffix), {});
    }
    if (writeFailed || !copied) {
        RemoveBackupFolder(partial);
        SyncFolder(backups);
        result.outcome = BackupResult::Outcome::Failed;
        return result;
    }
    if (!SyncFolder(partial) || !RenameDurably(partial, finalFolder)) {
        int error = errno;
        if (lstat(partial.c_str(), &info) == 0)
            RemoveBackupFolder(partial);
        return fail("'" + result.folder + "' could not be completed: " + Reason(error));
    }
    result.outcome =
        result.problems.empty() ? BackupResult::Outcome::Made : BackupResult::Outcome::Failed;
    PruneOldBackups(backups, today);
    return result;
}

BackupResult BackupBeforeChange(const std::vector<std::string>& names,
                                const std::string& dataFolder) {
    BackupResult daily = MakeDailyBackup(dataFolder);
    BackupResult result;
    result.folder = daily.folder;
    const std::string folder = Join(dataFolder, daily.folder);
    bool kept = daily.outcome == BackupResult::Outcome::Made;
    bool any = false;
    for (const std::string& name : names) {
        const std::string source = Join(dataFolder, name);
        if (!FileExists(source))
            continue;
        any = true;
        errno = 0;
        const auto contents = ReadWholeFile(source);
        if (!contents) {
            result.problems.push_back("'" + name +
                                      "' could not be read: " + Reason(errno ? errno : EIO));
            continue;
        }
        // The day's copy, or one kept since, already holds these bytes.
        std::vector<std::string> copies;
        ListFolder(folder, copies);
        if (std::any_of(copies.begin(), copies.end(), [&](const std::string& copy) {
                return (copy == name || copy.starts_with(name + kBeforeMark)) &&
                       ReadWholeFile(Join(folder, copy)) == contents;
            }))
            continue;
        struct stat info {};
        if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            result.problems.push_back("'" + name + "' could not be kept: '" + daily.folder +
                                      "' could not be made");
            continue;
        }
        const std::string stem = Join(folder, name + kBeforeMark + TimeOfDayMark());
        std::string copy = stem;
        for (int n = 2; lstat(copy.c_str(), &info) == 0; ++n)
            copy = stem + "-" + std::to_string(n);
        errno = 0;
        if (!WriteFileAtomically(copy, *contents, source)) {
            result.problems.push_back("'" + name +
                                      "' could not be written: " + Reason(errno ? errno : EIO));
            continue;
        }
        kept = true;
    }
    if (!result.problems.empty())
        result.outcome = BackupResult::Outcome::Failed;
    else if (kept)
        result.outcome = BackupResult::Outcome::Made;
    else
        result.outcome =
            any ? BackupResult::Outcome::AlreadyMade : BackupResult::Outcome::NothingToCopy;
    return result;
}

std::string BackupResult::FailureText(const std::string& what, bool oneLine) const {
    if (outcome != Outcome::Failed)
        return {};
    std::string text = what + " of your data files in '" + folder + "' could not be made";
    for (std::size_t i = 0; i < problems.size(); ++i)
        text += (oneLine ? (i == 0 ? ": " : "; ") : (i == 0 ? ":\n" : "\n")) + problems[i];
    return text;
}

std::string KeepBeforeChange(const std::vector<std::string>& names, bool oneLine,
                             const std::string& dataFolder) {
    return BackupBeforeChange(names, dataFolder).FailureText("the backup", oneLine);
}

} // namespace kvr
