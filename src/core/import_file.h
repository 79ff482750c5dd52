// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace kvr {

// The most an import reads: a calendar, contacts or outings file of a player
// is a small fraction of it, and a larger one is no file of theirs.
inline constexpr std::size_t kMostImportBytes = std::size_t{64} << 20;

// The contents of a file an import reads, or why it cannot be read.
struct ImportFile {
    std::optional<std::string> contents;
    // Why not, when there are no contents: "not a regular file", "larger than
    // 64 MiB, the most an import reads", or the system's error text.
    std::string problem;
};

// Reads the file an import was given, at once or not at all: only a regular
// file is read (a FIFO, a device such as /dev/zero, a socket or a folder is
// refused without blocking, opened non-blocking and never read), and only
// up to `most` bytes (a larger file, or one that grows past it while read,
// is refused). Every import reads its file through this, before it takes
// the data folder's lock.
ImportFile ReadImportFile(const std::string& path, std::size_t most = kMostImportBytes);

} // namespace kvr
