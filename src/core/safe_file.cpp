// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/safe_file.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace kvr {
namespace {

constexpr std::string_view kTempSuffix = ".kvtmp";

std::atomic<int> readOnlyRuns{0};
// The one file a read-only run may write, as named and as its links lead;
// empty when it writes none.
std::string readOnlyOutput;
std::string readOnlyOutputTarget;

// Refuses a write in a read-only run, as the system refuses one on a
// read-only file system.
bool refused() {
    if (readOnlyRuns.load() == 0)
        return false;
    errno = EROFS;
    return true;
}

// As refused(), except for the run's own output file.
bool refusedFor(const std::string& path) {
    if (!readOnlyOutput.empty() && (path == readOnlyOutput || path == readOnlyOutputTarget))
        return false;
    return refused();
}

std::string folderOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

bool syncFolder(const std::string& path) {
    return kvr::SyncFolder(folderOf(path));
}

bool writeAll(int fd, const std::string& contents) {
    const char* data = contents.data();
    size_t left = contents.size();
    while (left > 0) {
        ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (written == 0)
            return false;
        data += written;
        left -= static_cast<size_t>(written);
    }
    return true;
}

// Creates a fresh temporary file beside `path`, readable by its owner only
// until it is given its final permissions; returns its descriptor and name.
int createTemporary(const std::string& path, std::string& tempName, mode_t mode) {
    static unsigned counter = 0;
    std::string folder = folderOf(path);
    std::string base =
        path.substr(path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/') + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempName = (folder == "." ? std::string() : folder + "/") + "." + base + "." +
                   std::to_string(::getpid()) + "-" + std::to_string(counter++) +
                   std::string(kTempSuffix);
        int fd = ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Whether the file at `path` exists (links followed), with its status.
bool statusOf(const std::string& path, struct stat& info) {
    return !path.empty() && ::stat(path.c_str(), &info) == 0;
}

bool writable(const std::string& path, const struct stat& info) {
    // Root may write anything; a file that nobody may write is still one the
    // user marked as not to be changed.
    return (info.st_mode & 0222) != 0 && ::access(path.c_str(), W_OK) == 0;
}

// Gives an open file the owner, group and permission bits of `info`. The
// owner may only be changed by root and the group only to one of ours, so
// failing to change them is no error; the permissions must take.
bool takeOwnerAndMode(int fd, const struct stat& info) {
    if (::fchown(fd, info.st_uid, info.st_gid) != 0)
        (void)!::fchown(fd, static_cast<uid_t>(-1), info.st_gid);
    return ::fchmod(fd, info.st_mode & 07777) == 0;
}

} // namespace

std::optional<std::string> FollowLinks(const std::string& path) {
    std::string current = path;
    // As many links as the system itself follows before it gives up.
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0)
            return errno == ENOENT ? std::optional(current) : std::nullopt;
        if (!S_ISLNK(info.st_mode))
            return current;
        std::string target(static_cast<size_t>(info.st_size > 0 ? info.st_size : 255) + 1, '\0');
        ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
        if (length < 0 || static_cast<size_t>(length) >= target.size())
            return std::nullopt;
        target.resize(static_cast<size_t>(length));
        if (target.empty())
            return std::nullopt;
        // A relative link is read from the folder the link is in.
        if (target.front() != '/' && current.find('/') != std::string::npos)
            target = folderOf(current) + "/" + target;
        current = std::move(target);
    }
    return std::nullopt;
}

bool MayReplace(const std::string& path) {
    auto target = FollowLinks(path);
    if (!target)
        return false;
    struct stat info {};
    if (!statusOf(*target, info))
        return errno == ENOENT;
    return writable(*target, info);
}

ReadOnlyData::ReadOnlyData(std::string output) {
    if (!output.empty()) {
        readOnlyOutputTarget = FollowLinks(output).value_or(output);
        readOnlyOutput = std::move(output);
    }
    ++readOnlyRuns;
}

ReadOnlyData::~ReadOnlyData() {
    if (--readOnlyRuns == 0) {
        readOnlyOutput.clear();
        readOnlyOutputTarget.clear();
    }
}

bool WritesRefused() {
    return readOnlyRuns.load() > 0;
}

AtomicFileWriter::AtomicFileWriter(std::string path, const std::string& permissionsOf) {
    if (refusedFor(path))
        return;
    auto target = FollowLinks(path);
    if (!target)
        return;
    path_ = std::move(*target);
    struct stat info {};
    bool replacing = statusOf(path_, info);
    if (replacing && !writable(path_, info))
        return;
    if (!replacing && errno != ENOENT)
        return; // whether a file is there cannot be told
    bool copyMode = replacing || statusOf(permissionsOf, info);
    if (!copyMode && !permissionsOf.empty() && errno != ENOENT)
        return; // the permissions to keep cannot be told
    fd_ = createTemporary(path_, tempName_, copyMode ? 0600 : 0666);
    if (fd_ >= 0 && copyMode && !takeOwnerAndMode(fd_, info))
        Discard();
}

AtomicFileWriter::~AtomicFileWriter() {
    Discard();
}

bool AtomicFileWriter::Commit() {
    if (fd_ < 0 || refusedFor(path_))
        return false;
    // A failed fsync is never retried: the next save writes the whole file
    // again from memory.
    bool ok = writeAll(fd_, contents_) && ::fsync(fd_) == 0;
    ok = ::close(fd_) == 0 && ok;
    fd_ = -1;
    if (ok && ::rename(tempName_.c_str(), path_.c_str()) == 0) {
        replaced_ = true;
        return syncFolder(path_);
    }
    ::unlink(tempName_.c_str());
    return false;
}

void AtomicFileWriter::Discard() {
    if (fd_ < 0)
        return;
    ::close(fd_);
    ::unlink(tempName_.c_str());
    fd_ = -1;
}

bool WriteFileAtomically(const std::string& path, const std::string& contents,
                         const std::string& permissionsOf) {
    AtomicFileWriter writer(path, permissionsOf);
    writer.Append(contents);
    return writer.Commit();
}

bool RenameDurably(const std::string& from, const std::string& to, bool* renamed) {
    if (renamed)
        *renamed = false;
    if (refused())
        return false;
    auto target = FollowLinks(to);
    if (!target)
        return false;
    struct stat info {};
    if (statusOf(*target, info)) {
        if (!writable(*target, info))
            return false;
        // The new file is never readable or writable by more people than the
        // one it replaces.
        struct stat source {};
        if (::stat(from.c_str(), &source) != 0)
            return false;
        mode_t narrowed = source.st_mode & info.st_mode & 07777;
        if (narrowed != (source.st_mode & 07777) && ::chmod(from.c_str(), narrowed) != 0)
            return false;
    } else if (errno != ENOENT) {
        return false;
    }
    if (::rename(from.c_str(), target->c_str()) != 0) {
        if (errno != EXDEV)
            return false;
        // The link leads to another file system: copy, then remove.
        auto contents = ReadWholeFile(from);
        if (!contents || !WriteFileAtomically(*target, *contents))
            return false;
        if (renamed)
            *renamed = true;
        return RemoveDurably(from);
    }
    if (renamed)
        *renamed = true;
    bool synced = syncFolder(*target);
    if (folderOf(*target) != folderOf(from))
        synced = syncFolder(from) && synced;
    return synced;
}

bool RemoveDurably(const std::string& path) {
    if (refused())
        return false;
    if (::unlink(path.c_str()) != 0)
        return errno == ENOENT;
    return syncFolder(path);
}

int OpenRegularFile(const std::string& path) {
    // Opening a FIFO without a writer would wait for one: never block here.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        int error = errno;
        // A socket cannot be opened at all: say what it is.
        struct stat info {};
        if (error != ENOENT && ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
            error = kNotRegularFile;
        errno = error;
        return -1;
    }
    struct stat info {};
    int error = 0;
    if (::fstat(fd, &info) != 0)
        error = errno;
    else if (!S_ISREG(info.st_mode))
        error = kNotRegularFile;
    else if (int flags = ::fcntl(fd, F_GETFL);
             flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        error = errno;
    if (error != 0) {
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    int fd = OpenRegularFile(path);
    if (fd < 0)
        return std::nullopt;
    std::string contents;
    char buffer[65536];
    for (;;) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            int error = errno;
            ::close(fd);
            errno = error;
            return std::nullopt;
        }
        if (got == 0)
            break;
        contents.append(buffer, static_cast<size_t>(got));
    }
    ::close(fd);
    return contents;
}

bool FileExists(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0)
        return true;
    return errno != ENOENT && errno != ENOTDIR;
}

namespace {

bool sameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool earlier(const timespec& a, const timespec& b) {
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

} // namespace

bool FileStamp::operator==(const FileStamp& other) const {
    return exists == other.exists && device == other.device && inode == other.inode &&
           size == other.size && sameTime(modified, other.modified) &&
           sameTime(changed, other.changed);
}

FileStamp StampOf(const std::string& path) {
    FileStamp stamp;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return stamp;
    stamp.exists = true;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.modified = info.st_mtim;
    stamp.changed = info.st_ctim;
    return stamp;
}

timespec StampClockNow() {
    timespec now{};
#ifdef CLOCK_REALTIME_COARSE
    clock_gettime(CLOCK_REALTIME_COARSE, &now);
#else
    clock_gettime(CLOCK_REALTIME, &now);
    now.tv_sec -= 1;
#endif
    return now;
}

bool ReadOfOneVersion(const FileStamp& before, const FileStamp& after, const timespec& started) {
    return before == after &&
           (!after.exists || (earlier(after.modified, started) && earlier(after.changed, started)));
}

void RemoveStaleTemporaries(const std::string& folder) {
    if (refused())
        return;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    std::vector<std::string> linkTargets;
    while (dirent* entry = ::readdir(dir)) {
        std::string_view name = entry->d_name;
        std::string path = folder + "/" + std::string(name);
        if (name.size() > kTempSuffix.size() + 1 && name.front() == '.' &&
            name.substr(name.size() - kTempSuffix.size()) == kTempSuffix) {
            ::unlink(path.c_str());
        } else if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            if (auto target = FollowLinks(path); target && *target != path)
                linkTargets.push_back(std::move(*target));
        }
    }
    ::closedir(dir);
    // A file reached through a link is written beside its target: the
    // temporaries of that file alone are removed there.
    for (const std::string& target : linkTargets) {
        std::string prefix = "." + target.substr(target.find_last_of('/') + 1) + ".";
        DIR* targetDir = ::opendir(folderOf(target).c_str());
        if (!targetDir)
            continue;
        while (dirent* entry = ::readdir(targetDir)) {
            std::string_view name = entry->d_name;
            if (name.size() > prefix.size() + kTempSuffix.size() &&
                name.substr(0, prefix.size()) == prefix &&
                name.substr(name.size() - kTempSuffix.size()) == kTempSuffix)
                ::unlink((folderOf(target) + "/" + std::string(name)).c_str());
        }
        ::closedir(targetDir);
    }
}

bool SyncFolder(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    return ok;
}

} // namespace kvr
