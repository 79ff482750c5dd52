// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/file_formats.h"
#include "core/import_report.h"
#include "core/play_store.h"
#include "phonebook/phone_store.h"
#include "play/outings_csv.h"
#include "schedule/sched_store.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QString>
#include <QStringList>

namespace kui {

// `kavora --export notes|ratings|calendar|contacts --out FILE`: writes the
// file the menu's export writes, from the stores of the working folder
// loaded directly (no window, no application object). The data folder is
// only read (kvr::ReadOnlyData, which lets the --out file alone be
// written): no lock, so it may run beside the program, and a data file of
// an older layout is converted in memory only. Exit code 0 written, 1 the
// data or the file failed, 2 a bad command line.
int ExportFromCommandLine(int argc, char** argv);

// `kavora --import FILE [--dry-run] [--dates mdy|dmy]`: imports FILE into
// the data folder of the working folder, as the menus' imports do, choosing
// the reader by the file's suffix (ImportKinds, from kvr::ImportFormats).
// FILE is read first, before the folder's lock is taken
// (kvr::ReadImportFile: a FIFO, a device or a file over 64 MiB is refused
// at once). Refused while the program runs on the folder (its lock).
// Prints the preview's lines (kvr::DescribeImport) on stdout. With
// --dry-run the folder is only read, as --export reads it: no lock,
// nothing stored or converted. Exit code 0 imported (or, with
// --dry-run, something to import), 1 nothing could be imported, 2 a bad
// command line, 3 imported (or would be) with rows skipped.
int ImportFromCommandLine(int argc, char** argv);

// The stores of the working folder, loaded directly from their files.
struct FolderStores {
    KVR_PlayData play;
    KVR_PhoneData phones;
    SchedClass schedule;
};

// What importing one file would do, and how to store it.
struct ImportPlan {
    kvr::ImportReport report;
    // Not empty: nothing can be imported from the file (it is no file of
    // this kind, or cannot be read), and why.
    QString error;
    // Stores what the report says, once the backup is made. True when
    // stored; `said` gets lines to print after the report's (on stdout when
    // stored, else on stderr, where they say what failed).
    std::function<bool(QStringList& said)> store;
};

// What the command line says of how to read the file: the order of an
// outings file's slash dates, when the file leaves it open.
struct ImportOptions {
    std::optional<kvr::DateOrder> dates;
};

// One kind of file --import reads, by its suffix (".csv" outings, ".ics"
// events, ".vcf" phone book entries): its row of kvr::ImportFormats gives
// the suffixes, the noun and the data files. A row reads the file's contents
// (read already, through kvr::ReadImportFile) against the loaded stores and
// returns its plan.
struct ImportKind {
    using Reader = ImportPlan (*)(const QString& path, const std::string& contents,
                                  FolderStores& stores, const ImportOptions& options);

    kvr::FileFormat format;         // its row: the suffixes it is known by
    const char* noun;               // the plural of what it imports: "outings"
    std::vector<std::string> files; // the data files it changes, kept in a backup first
    Reader read;

    ImportKind(kvr::FileFormat kind, Reader reader)
        : format(kind), noun(kvr::FormatRow(kind).name), files(kvr::FormatRow(kind).files),
          read(reader) {}
};

// The kinds of file --import reads.
const std::vector<ImportKind>& ImportKinds();

} // namespace kui
