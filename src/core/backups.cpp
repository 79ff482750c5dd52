// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/backups.h"

#include "core/date.h"
#include "core/safe_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
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

bool SyncFolder(const std::string& folder) {
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = fsync(fd) == 0;
    return close(fd) == 0 && ok;
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

// A change's folder: "YYYY-MM-DD-HHMMSS", perhaps with "-N" after it.
bool IsChangeFolderName(const std::string& name) {
    auto digits = [&name](size_t from, size_t to) {
        return from < to && std::all_of(name.begin() + static_cast<std::ptrdiff_t>(from),
                                        name.begin() + static_cast<std::ptrdiff_t>(to),
                                        [](char c) { return c >= '0' && c <= '9'; });
    };
    if (name.size() < 17 || !IsDayFolderName(name.substr(0, 10)) || name[10] != '-' ||
        !digits(11, 17))
        return false;
    return name.size() == 17 || (name[17] == '-' && digits(18, name.size()));
}

bool IsOurFileName(const std::string& name) {
    const auto& names = BackupFileNames();
    return std::find(names.begin(), names.end(), name) != names.end();
}

// A data file's name, or its name with the mark of a file left unread.
bool IsBackupEntryName(const std::string& name) {
    const std::string suffix = kUnreadSuffix;
    if (name.size() > suffix.size() && name.ends_with(suffix))
        return IsOurFileName(name.substr(0, name.size() - suffix.size()));
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

// Removes our backups past the newest kBackupDays days (a day's folder
// and the folders of the changes made that day), never `today`'s.
void PruneOldBackups(const std::string& backups, const std::string& today) {
    std::vector<std::string> names;
    if (!ListFolder(backups, names))
        return;
    std::vector<std::string> folders;
    std::vector<std::string> days;
    for (const std::string& name : names) {
        if ((IsDayFolderName(name) || IsChangeFolderName(name)) &&
            HoldsOnlyOurFiles(Join(backups, name))) {
            folders.push_back(name);
            days.push_back(name.substr(0, 10));
        }
    }
    // Names of this shape sort as their dates do.
    std::sort(days.begin(), days.end(), std::greater<>());
    days.erase(std::unique(days.begin(), days.end()), days.end());
    if (days.size() <= static_cast<size_t>(kBackupDays))
        return;
    const std::string oldestKept = days[kBackupDays - 1];
    for (const std::string& folder : folders)
        if (folder.substr(0, 10) < oldestKept && folder.substr(0, 10) != today)
            RemoveBackupFolder(Join(backups, folder));
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

} // namespace

const std::vector<std::string>& BackupFileNames() {
    static const std::vector<std::string> names = {
        "play.dat",     "history.dat",  "chart.dat", "sched.dat",  "phone.dat",    "coach.dat",
        "forehand.tip", "backhand.tip", "serve.tip", "volley.tip", "approach.tip", "return.tip",
    };
    return names;
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

} // namespace kvr

namespace kvr {

BackupResult BackupBeforeChange(const std::vector<std::string>& files,
                                const std::string& dataFolder) {
    BackupResult result = MakeDailyBackup(dataFolder);
    if (result.outcome != BackupResult::Outcome::AlreadyMade)
        return result; // made now (every file as it is), failed, or nothing there
    result = {};
    bool anyFile = false;
    for (const std::string& name : files)
        anyFile = anyFile || FileExists(Join(dataFolder, name));
    if (!anyFile)
        return result;

    const std::string backups = Join(dataFolder, kBackupFolder);
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char time[8];
    std::snprintf(time, sizeof time, "%02d%02d%02d", local.tm_hour, local.tm_min, local.tm_sec);
    const std::string base = DayFolderName(ZBD_Date()) + "-" + time;
    std::string name = base;
    struct stat info {};
    for (int number = 2; lstat(Join(backups, name).c_str(), &info) == 0 ||
                         lstat(Join(backups, name + kPartialSuffix).c_str(), &info) == 0;
         ++number)
        name = base + "-" + std::to_string(number);
    result.folder = Join(kBackupFolder, name);
    const std::string finalFolder = Join(backups, name);
    const std::string partial = finalFolder + kPartialSuffix;
    auto fail = [&](const std::string& problem) {
        result.outcome = BackupResult::Outcome::Failed;
        result.problems.push_back(problem);
        return result;
    };
    if (mkdir(partial.c_str(), 0700) != 0)
        return fail("'" + result.folder + "' could not be made: " + Reason(errno));
    bool copied = false;
    bool writeFailed = false;
    for (const std::string& file : files) {
        std::string problem = CopyFile(dataFolder, file, partial, copied, writeFailed);
        if (!problem.empty()) {
            // A file that cannot be kept now is not changed either.
            RemoveBackupFolder(partial);
            return fail(problem);
        }
    }
    if (!SyncFolder(partial) || !RenameDurably(partial, finalFolder)) {
        int error = errno;
        if (lstat(partial.c_str(), &info) == 0)
            RemoveBackupFolder(partial);
        return fail("'" + result.folder + "' could not be completed: " + Reason(error));
    }
    result.outcome = BackupResult::Outcome::Made;
    return result;
}

} // namespace kvr
