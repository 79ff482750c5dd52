// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/safe_file.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The summary of the past records kept between runs, so that a start reads
// the summary rather than the whole of history.dat. It lives in the user's
// cache folder ($XDG_CACHE_HOME/kavora, by default ~/.cache/kavora), never in
// the data folder, one file per data folder, and is tied to one version of
// history.dat: the data folder's canonical path, the file's stamp (device,
// inode, size, modification and status change times) and a checksum of its
// first and last few KB. A summary that does not match, or cannot be read
// whole, is not used; one that cannot be written is simply not kept.
namespace kvr {

// One version of history.dat in the working folder (the data folder).
struct HistoryVersion {
    std::string folder; // the folder's canonical path
    FileStamp stamp;
    std::uint64_t ends = 0; // checksum of the first and last kEndBytes bytes
    bool operator==(const HistoryVersion& other) const;
};

inline constexpr std::size_t kEndBytes = 4096;

// The version of history.dat as it is now; nullopt when the file is missing
// or cannot be read, or changed while it was looked at.
std::optional<HistoryVersion> CurrentHistoryVersion();

// The folder the summaries are kept in; empty when the environment names
// none ($XDG_CACHE_HOME when it is an absolute path, else $HOME/.cache).
std::string PastCacheFolder();
// The summary file of the data folder `folder` (a canonical path).
std::string PastCachePath(const std::string& folder);

// A summary file mapped into memory for reading, unmapped when it goes.
class KeptSummary {
public:
    KeptSummary() = default;
    ~KeptSummary();
    KeptSummary(const KeptSummary&) = delete;
    KeptSummary& operator=(const KeptSummary&) = delete;
    // The contents kept, valid while this lives.
    std::string_view Contents() const { return contents_; }

private:
    friend bool ReadPastCache(const HistoryVersion& version, KeptSummary& kept);
    void* map_ = nullptr;
    std::size_t mapped_ = 0;
    std::string_view contents_;
};

// Maps the contents kept for `version` into `kept`; false when there are
// none, they belong to another version or they are not whole.
bool ReadPastCache(const HistoryVersion& version, KeptSummary& kept);
// Keeps `contents` for `version`: written beside its place and renamed over
// it, so a reader sees the old summary or the new one. Returns whether it
// was kept; a failure leaves nothing behind and matters to no one.
bool WritePastCache(const HistoryVersion& version, std::string_view contents);

// A quick checksum of bytes, for telling a summary or a file's ends apart.
std::uint64_t QuickChecksum(std::string_view bytes, std::uint64_t seed = 0);

} // namespace kvr
