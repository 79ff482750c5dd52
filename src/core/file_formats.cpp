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
        {FileFormat::Outings,
         false,
         "outings",
         "CSV files",
         {".csv"},
         "",
         {"play.dat", "history.dat"}},
        {FileFormat::Events,
         false,
         "events",
         "iCalendar files",
         {".ics", ".ical", ".ifb"},
         "",
         {"sched.dat"}},
        {FileFormat::Entries,
         false,
         "entries",
         "vCard files",
         {".vcf", ".vcard"},
         "",
         {"phone.dat"}},
    };
    return rows;
}

const std::vector<FileFormatRow>& ExportFormats() {
    static const std::vector<FileFormatRow> rows = {
        {FileFormat::Notes,
         true,
         "notes",
         "CSV files",
         {".csv"},
         "notes.csv",
         {"play.dat", "history.dat"}},
        {FileFormat::Ratings,
         true,
         "ratings",
         "CSV files",
         {".csv"},
         "spreadsheet.csv",
         {"play.dat"}},
        {FileFormat::Calendar,
         true,
         "calendar",
         "iCalendar files",
         {".ics"},
         "tennis.ics",
         {"sched.dat"}},
        {FileFormat::Contacts,
         true,
         "contacts",
         "vCard files",
         {".vcf"},
         "contacts.vcf",
         {"phone.dat"}},
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
