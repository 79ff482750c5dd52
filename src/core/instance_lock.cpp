// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/instance_lock.h"

#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace kvr {
namespace {

std::string LockPath(const std::string& folder) {
    return folder.empty() || folder == "." ? std::string(kLockFile) : folder + "/" + kLockFile;
}

long ReadPid(int fd) {
    char text[32] = {};
    ssize_t got = pread(fd, text, sizeof text - 1, 0);
    if (got <= 0)
        return 0;
    long pid = std::strtol(text, nullptr, 10);
    return pid > 0 ? pid : 0;
}

void WritePid(int fd) {
    char text[32];
    int length = std::snprintf(text, sizeof text, "%ld\n", static_cast<long>(getpid()));
    // The number is only there for a person who wonders who holds the
    // folder: the lock itself is what counts, so a failed write is let be.
    if (ftruncate(fd, 0) == 0)
        (void)!pwrite(fd, text, static_cast<size_t>(length), 0);
}

// The socket's name: the user and a hash (FNV-1a) of the folder's canonical
// path, so that every start in one folder finds the same name and a name
// never grows past the socket address's limit.
sockaddr_un SocketAddress(const std::string& folder, socklen_t& length) {
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : CanonicalFolder(folder)) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    // A leading NUL puts the name in the abstract namespace.
    int written =
        std::snprintf(address.sun_path + 1, sizeof address.sun_path - 1, "kavora-%lu-%016llx",
                      static_cast<unsigned long>(getuid()), static_cast<unsigned long long>(hash));
    length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + written);
    return address;
}

// Takes an exclusive lock on a descriptor without waiting: 0 taken,
// EWOULDBLOCK held by another, or the error that kept it from being taken.
int TryLock(int fd) {
    int result;
    do
        result = flock(fd, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    return result == 0 ? 0 : errno;
}

// The lock file, opened without ever blocking and only when it is a regular
// file; -1 when it cannot be used. With `create` it is made when missing and
// opened for writing where it may be; `writable` tells whether the
// descriptor may write the process id.
int OpenLockFile(const std::string& path, bool create, bool& writable) {
    int fd = create ? open(path.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0644) : -1;
    writable = fd >= 0;
    // A lock file another user made (or a read-only folder) can still be
    // locked through a read-only descriptor.
    if (fd < 0)
        fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat info {};
    if (fd >= 0 && (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        close(fd);
        fd = -1;
    }
    return fd;
}

} // namespace

InstanceLock::InstanceLock(const std::string& folder) {
    // The folder itself is locked, and the lock file in it as well: a lock
    // file that cannot be opened (another user's, a dangling link) then
    // still leaves the folder locked, and a program that holds only the
    // file (an earlier version) is still seen.
    folderFd_ = open(folder.empty() ? "." : folder.c_str(),
                     O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
    bool folderLocked = false;
    if (folderFd_ >= 0) {
        int error = TryLock(folderFd_);
        if (error == EWOULDBLOCK)
            state_ = State::HeldElsewhere;
        folderLocked = error == 0;
    }
    bool writable = false;
    // A folder held elsewhere is only read: the holder's number, if any.
    fd_ = OpenLockFile(LockPath(folder), state_ != State::HeldElsewhere, writable);
    bool fileLocked = false;
    if (fd_ >= 0 && state_ != State::HeldElsewhere) {
        int error = TryLock(fd_);
        if (error == EWOULDBLOCK)
            state_ = State::HeldElsewhere;
        fileLocked = error == 0;
    }
    if (state_ == State::HeldElsewhere) {
        if (fd_ >= 0)
            ownerPid_ = ReadPid(fd_);
    } else if (folderLocked || fileLocked) {
        state_ = State::Held;
        if (fileLocked && writable)
            WritePid(fd_);
        ownerPid_ = static_cast<long>(getpid());
        return;
    }
    // Held elsewhere or not lockable at all: keep nothing open.
    if (fd_ >= 0)
        close(fd_);
    if (folderFd_ >= 0)
        close(folderFd_);
    fd_ = folderFd_ = -1;
}

InstanceLock::~InstanceLock() {
    // Closing the last descriptor of the file frees the lock. The file stays:
    // removing it could let two starts lock two different files.
    if (fd_ >= 0)
        close(fd_);
    if (folderFd_ >= 0)
        close(folderFd_);
}

std::string CanonicalFolder(const std::string& folder) {
    char resolved[PATH_MAX];
    if (!realpath(folder.empty() ? "." : folder.c_str(), resolved))
        return folder;
    return resolved;
}

InstanceListener::InstanceListener(const std::string& folder) {
    socklen_t length = 0;
    sockaddr_un address = SocketAddress(folder, length);
    fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd_ < 0)
        return;
    if (bind(fd_, reinterpret_cast<const sockaddr*>(&address), length) != 0 ||
        listen(fd_, 4) != 0) {
        close(fd_);
        fd_ = -1;
    }
}

InstanceListener::~InstanceListener() {
    if (fd_ >= 0)
        close(fd_);
}

bool InstanceListener::AcceptCall() {
    if (fd_ < 0)
        return false;
    int call = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (call < 0)
        return false;
    ucred peer{};
    socklen_t size = sizeof peer;
    bool sameUser =
        getsockopt(call, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == getuid();
    close(call);
    return sameUser;
}

bool CallRunningInstance(const std::string& folder) {
    socklen_t length = 0;
    sockaddr_un address = SocketAddress(folder, length);
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    // The connection itself is the call: the holder needs nothing more.
    bool reached = connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0;
    close(fd);
    return reached;
}

} // namespace kvr
