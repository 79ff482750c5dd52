// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/import_file.h"

#include "core/data_file.h"
#include "core/safe_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace kvr {

namespace {

std::string TooLarge(std::size_t most) {
    return "larger than " + std::to_string(most >> 20) + " MiB, the most an import reads";
}

} // namespace

ImportFile ReadImportFile(const std::string& path, std::size_t most) {
    ImportFile file;
    const int fd = OpenRegularFile(path);
    if (fd < 0) {
        file.problem = ErrorText(errno);
        return file;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        file.problem = ErrorText(errno);
        ::close(fd);
        return file;
    }
    if (static_cast<unsigned long long>(info.st_size) > most) {
        file.problem = TooLarge(most);
        ::close(fd);
        return file;
    }
    // Read to the end, but never past the limit: a file that grows while it
    // is read is refused like a large one.
    std::string contents;
    contents.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            file.problem = ErrorText(errno);
            ::close(fd);
            return file;
        }
        if (got == 0)
            break;
        if (contents.size() + static_cast<std::size_t>(got) > most) {
            file.problem = TooLarge(most);
            ::close(fd);
            return file;
        }
        contents.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    file.contents = std::move(contents);
    return file;
}

} // namespace kvr
