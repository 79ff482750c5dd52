// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/coach_file.h"

#include "core/record_store.h"
#include "core/safe_file.h"

#include <cerrno>

namespace kvr {

namespace {

std::string Trimmed(std::string text) {
    text = text.substr(0, text.find('\0'));
    const char* blanks = " \t\r\n";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

} // namespace

std::optional<std::string> ReadPlayerName(const std::string& path, int* error) {
    if (error)
        *error = 0;
    errno = 0;
    auto contents = ReadWholeFile(path);
    if (!contents) {
        if (error && errno != ENOENT)
            *error = errno != 0 ? errno : EIO;
        return std::nullopt;
    }
    auto lines = SplitLines(*contents);
    if (lines.empty())
        return std::nullopt;
    std::string name;
    bool headed = Trimmed(lines[0]) == kCoachHeader;
    if (headed)
        name = lines.size() > 1 ? Trimmed(lines[1]) : std::string();
    else
        name = Trimmed(lines[0]);
    if (name.empty() || (!headed && name == kPlaceholderName))
        return std::nullopt;
    return name;
}

bool WritePlayerName(const std::string& name, const std::string& path) {
    std::string line = StorableText(name);
    return WriteFileAtomically(path, std::string(kCoachHeader) + "\r\n" + line + "\r\n");
}

} // namespace kvr
