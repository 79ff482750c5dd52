// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

// coach.dat keeps the player's name between runs: a header line and the name
// on the line after it, as UTF-8. A file without the header holds the name on
// its first line; the installation's file holds the placeholder "Pat Rally",
// which stands for "no name yet".
namespace kvr {

inline constexpr const char* kCoachFile = "coach.dat";
inline constexpr const char* kCoachHeader = "KVR Coach Data Format 1.0";
inline constexpr const char* kPlaceholderName = "Pat Rally";

// The stored name, without surrounding blanks; nullopt when there is none yet:
// the file is missing, unreadable or empty, or holds the placeholder. When
// given, `error` is set to the system's error number of a file that is there
// but cannot be read (0 otherwise): that file holds a name all the same, and
// must not be taken for a first run.
std::optional<std::string> ReadPlayerName(const std::string& path = kCoachFile,
                                          int* error = nullptr);

// Replaces the file with one holding `name`. Returns false, leaving the old
// file as it was, when it cannot be written.
bool WritePlayerName(const std::string& name, const std::string& path = kCoachFile);

} // namespace kvr
