// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/past_cache.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kvr {

namespace {

constexpr const char* kHistoryFile = "history.dat";
// The layout of a summary file; a new layout takes a new mark.
constexpr std::string_view kMark = "KVRPAST1";
// Tells a file written on a machine of the other byte order.
constexpr std::uint32_t kByteOrder = 0x01020304;

template <typename T> void Put(std::string& out, T value) {
    char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    out.append(bytes, sizeof(T));
}

// The part of a summary file that names its version of history.dat.
std::string HeaderOf(const HistoryVersion& version) {
    std::string header(kMark);
    Put(header, kByteOrder);
    Put(header, static_cast<std::uint32_t>(version.folder.size()));
    header += version.folder;
    const FileStamp& stamp = version.stamp;
    Put(header, static_cast<std::uint64_t>(stamp.device));
    Put(header, static_cast<std::uint64_t>(stamp.inode));
    Put(header, static_cast<std::int64_t>(stamp.size));
    for (const timespec& time : {stamp.modified, stamp.changed}) {
        Put(header, static_cast<std::int64_t>(time.tv_sec));
        Put(header, static_cast<std::int64_t>(time.tv_nsec));
    }
    Put(header, version.ends);
    return header;
}

// Reads up to `length` bytes at `offset`; false on any error.
bool ReadAt(int fd, off_t offset, std::size_t length, std::string& out) {
    out.resize(length);
    std::size_t done = 0;
    while (done < length) {
        ssize_t got = ::pread(fd, out.data() + done, length - done, offset + done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

std::string HexOf(std::uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

} // namespace

bool HistoryVersion::operator==(const HistoryVersion& other) const {
    return folder == other.folder && stamp == other.stamp && ends == other.ends;
}

std::uint64_t QuickChecksum(std::string_view bytes, std::uint64_t seed) {
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
    std::uint64_t sum = seed ^ (bytes.size() * kMultiplier);
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + i, 8);
        sum = (sum ^ word) * kMultiplier;
        sum ^= sum >> 29;
    }
    std::uint64_t rest = 0;
    if (i < bytes.size())
        std::memcpy(&rest, bytes.data() + i, bytes.size() - i);
    sum = (sum ^ rest) * kMultiplier;
    sum ^= sum >> 32;
    return sum;
}

std::optional<HistoryVersion> CurrentHistoryVersion() {
    HistoryVersion version;
    char* folder = ::realpath(".", nullptr);
    if (!folder)
        return std::nullopt;
    version.folder = folder;
    std::free(folder);

    version.stamp = StampOf(kHistoryFile);
    if (!version.stamp.exists)
        return std::nullopt;
    const int fd = OpenRegularFile(kHistoryFile);
    if (fd < 0)
        return std::nullopt;
    const auto size = static_cast<std::size_t>(version.stamp.size);
    const std::size_t length = size < kEndBytes ? size : kEndBytes;
    std::string head, tail;
    const bool read =
        ReadAt(fd, 0, length, head) && ReadAt(fd, static_cast<off_t>(size - length), length, tail);
    ::close(fd);
    // The ends read must be those of the version stamped.
    if (!read || !(StampOf(kHistoryFile) == version.stamp))
        return std::nullopt;
    version.ends = QuickChecksum(tail, QuickChecksum(head));
    return version;
}

std::string PastCacheFolder() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache && cache[0] == '/')
        return std::string(cache) + "/kavora";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/')
        return std::string(home) + "/.cache/kavora";
    return {};
}

std::string PastCachePath(const std::string& folder) {
    const std::string cacheFolder = PastCacheFolder();
    if (cacheFolder.empty())
        return {};
    return cacheFolder + "/past-" + HexOf(QuickChecksum(folder)) + ".summary";
}

KeptSummary::~KeptSummary() {
    if (map_)
        ::munmap(map_, mapped_);
}

bool ReadPastCache(const HistoryVersion& version, KeptSummary& kept) {
    const std::string path = PastCachePath(version.folder);
    if (path.empty() || kept.map_)
        return false;
    const int fd = OpenRegularFile(path);
    if (fd < 0)
        return false;
    struct stat info {};
    const bool sized = ::fstat(fd, &info) == 0 && info.st_size > 0;
    void* map = sized ? ::mmap(nullptr, static_cast<std::size_t>(info.st_size), PROT_READ,
                               MAP_PRIVATE, fd, 0)
                      : MAP_FAILED;
    ::close(fd);
    if (map == MAP_FAILED)
        return false;
    kept.map_ = map;
    kept.mapped_ = static_cast<std::size_t>(info.st_size);
    const std::string_view file(static_cast<const char*>(map), kept.mapped_);

    const std::string header = HeaderOf(version);
    std::uint64_t length = 0, checksum = 0;
    const std::size_t start = header.size() + 2 * sizeof(std::uint64_t);
    if (file.size() < start || file.substr(0, header.size()) != header)
        return false;
    std::memcpy(&length, file.data() + header.size(), sizeof length);
    std::memcpy(&checksum, file.data() + header.size() + sizeof length, sizeof checksum);
    if (length != file.size() - start)
        return false;
    const std::string_view contents = file.substr(start);
    if (QuickChecksum(contents) != checksum)
        return false;
    kept.contents_ = contents;
    return true;
}

bool WritePastCache(const HistoryVersion& version, std::string_view contents) {
    // A read-only run leaves every file as it found it.
    if (WritesRefused())
        return false;
    const std::string path = PastCachePath(version.folder);
    if (path.empty())
        return false;
    const std::string folder = PastCacheFolder();
    // The folder and its parents, private to the user as the cache folder is.
    for (std::size_t slash = 1; slash != std::string::npos;) {
        slash = folder.find('/', slash + 1);
        const std::string part = folder.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }

    std::string data = HeaderOf(version);
    Put(data, static_cast<std::uint64_t>(contents.size()));
    Put(data, QuickChecksum(contents));
    data += contents;

    std::string temp = folder + "/.past-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t wrote = ::write(fd, data.data() + done, data.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            break;
        done += static_cast<std::size_t>(wrote);
    }
    // Not synced: a summary cut short by a crash fails its checksum and is
    // made again.
    const bool written = ::close(fd) == 0 && done == data.size();
    if (!written || ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

} // namespace kvr
