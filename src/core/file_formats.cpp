// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/file_formats.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace kvr {

std::string FileFormatRow::Filter() const {
    std::string filter = std::string(kind) + " (";
    for (const std::string& suffix : suffixes)
        filter += (&suffix == &suffixes.front() ? "*" : " *") + suffix;
    return filter + ")";
}

bool FileFormatRow::Names(const std::string& fileName) const {
    return std::any_of(suffixes.begin(), suffixes.end(), [&](const std::string& suffix) {
        return fileName.size() >= suffix.size() &&
               std::equal(
                   suffix.begin(), suffix.end(), fileName.end() - suffix.size(),
                   [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
    });
}

const std::vector<FileFormatRow>& ImportFormats() {
    static const std::vector<FileFormatRow> rows = {
        {.format = FileFormat::Outings,
         .write = false,
         .name = "outings",
         .kind = "CSV files",
         .suffixes = {".csv"},
         .defaultName = "",
         .files = {"play.dat", "history.dat"}},
        {.format = FileFormat::Events,
         .write = false,
         .name = "events",
         .kind = "iCalendar files",
         .suffixes = {".ics", ".ical", ".ifb"},
         .defaultName = "",
         .files = {"sched.dat"}},
        {.format = FileFormat::Entries,
         .write = false,
         .name = "entries",
         .kind = "vCard files",
         .suffixes = {".vcf", ".vcard"},
         .defaultName = "",
         .files = {"phone.dat"}},
    };
    return rows;
}

const std::vector<FileFormatRow>& ExportFormats() {
    static const std::vector<FileFormatRow> rows = {
        {.format = FileFormat::Notes,
         .write = true,
         .name = "notes",
         .kind = "CSV files",
         .suffixes = {".csv"},
         .defaultName = "notes.csv",
         .files = {"play.dat", "history.dat"}},
        {.format = FileFormat::Ratings,
         .write = true,
         .name = "ratings",
         .kind = "CSV files",
         .suffixes = {".csv"},
         .defaultName = "spreadsheet.csv",
         .files = {"play.dat"}},
        {.format = FileFormat::Calendar,
         .write = true,
         .name = "calendar",
         .kind = "iCalendar files",
         .suffixes = {".ics"},
         .defaultName = "tennis.ics",
         .files = {"sched.dat"}},
        {.format = FileFormat::Contacts,
         .write = true,
         .name = "contacts",
         .kind = "vCard files",
         .suffixes = {".vcf"},
         .defaultName = "contacts.vcf",
         .files = {"phone.dat"}},
    };
    return rows;
}

const FileFormatRow& FormatRow(FileFormat format) {
    for (const auto* rows : {&ImportFormats(), &ExportFormats()})
        for (const FileFormatRow& row : *rows)
            if (row.format == format)
                return row;
    std::abort(); // every format has its row
}

} // namespace kvr
