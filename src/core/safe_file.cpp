#include "core/safe_file.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace kvr {
namespace {

constexpr std::string_view kTempSuffix = ".kvtmp";

std::string folderOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

bool syncFolder(const std::string& path) {
    int fd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    return ok;
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

// Creates a fresh temporary file beside `path`; returns its descriptor and name.
int createTemporary(const std::string& path, std::string& tempName) {
    static unsigned counter = 0;
    std::string folder = folderOf(path);
    std::string base =
        path.substr(path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/') + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempName = (folder == "." ? std::string() : folder + "/") + "." + base + "." +
                   std::to_string(::getpid()) + "-" + std::to_string(counter++) +
                   std::string(kTempSuffix);
        int fd = ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

} // namespace

AtomicFileWriter::AtomicFileWriter(std::string path) : path_(std::move(path)) {
    fd_ = createTemporary(path_, tempName_);
}

AtomicFileWriter::~AtomicFileWriter() {
    Discard();
}

bool AtomicFileWriter::Commit() {
    if (fd_ < 0)
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

bool WriteFileAtomically(const std::string& path, const std::string& contents) {
    AtomicFileWriter writer(path);
    writer.Append(contents);
    return writer.Commit();
}

bool RenameDurably(const std::string& from, const std::string& to, bool* renamed) {
    bool moved = ::rename(from.c_str(), to.c_str()) == 0;
    if (renamed)
        *renamed = moved;
    return moved && syncFolder(to);
}

bool RemoveDurably(const std::string& path) {
    if (::unlink(path.c_str()) != 0)
        return errno == ENOENT;
    return syncFolder(path);
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::string contents;
    char buffer[65536];
    for (;;) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            ::close(fd);
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

void RemoveStaleTemporaries(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    while (dirent* entry = ::readdir(dir)) {
        std::string_view name = entry->d_name;
        if (name.size() > kTempSuffix.size() + 1 && name.front() == '.' &&
            name.substr(name.size() - kTempSuffix.size()) == kTempSuffix)
            ::unlink((folder + "/" + std::string(name)).c_str());
    }
    ::closedir(dir);
}

} // namespace kvr
