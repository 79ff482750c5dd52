// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

// The kinds of file the program reads into its data files (imports) and
// writes from them (exports), one row each. The menus' file dialogs and the
// command line (--import, --export) take their suffixes, file-dialog
// filters, suggested names and data files from these rows alone.
namespace kvr {

enum class FileFormat {
    Outings,  // imported from a CSV file into play.dat and history.dat
    Events,   // imported from an iCalendar file into sched.dat
    Entries,  // imported from a vCard file into phone.dat
    Notes,    // the notes of every outing, exported as CSV
    Ratings,  // the spreadsheet's figures, exported as CSV
    Calendar, // the schedule, exported as iCalendar
    Contacts, // the phone book, exported as vCard
};

struct FileFormatRow {
    FileFormat format;
    bool write; // exported (written) rather than imported (read)
    // What it is: an import's plural of what it brings ("events"), an
    // export's name on the command line ("calendar").
    const char* name;
    const char* kind; // the kind of file in a file dialog: "iCalendar files"
    // The suffixes it is known by, in lower case with their dot, the first
    // the one it is written with (".ics", ".ical", ".ifb").
    std::vector<std::string> suffixes;
    const char* defaultName; // the name an export suggests ("tennis.ics"); "" for an import
    // The data files an import changes (kept in a backup first) or an
    // export reads.
    std::vector<std::string> files;

    // The file dialog's filter: "iCalendar files (*.ics *.ical *.ifb)".
    std::string Filter() const;
    // Whether `fileName` ends with one of the suffixes, in any case.
    bool Names(const std::string& fileName) const;
};

// The imports, in the order --import lists them, and the exports, in the
// order --export lists them.
const std::vector<FileFormatRow>& ImportFormats();
const std::vector<FileFormatRow>& ExportFormats();

// The row of `format`.
const FileFormatRow& FormatRow(FileFormat format);

} // namespace kvr
