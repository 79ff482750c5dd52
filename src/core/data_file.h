// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/record_line.h"
#include "core/safe_file.h"

#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The data files themselves: how one is opened, read line by line and
// written in one piece, its header and count line, its older layouts and the
// copies kept of it.

// One data file, opened for reading ('r'), for replacing ('w') or for adding
// lines at its end ('a'). A file opened for reading has its header (and count
// line, when the layout has one) read at once. Reading takes a UTF-8 byte
// order mark or UTF-16 with one as the same text, and lines ending in LF,
// CR LF or CR alone. Writing goes to a temporary
// file that Close() syncs and renames over the target, so a data file is
// never left half written; after Close(), Good() tells whether that worked.
// Only Close() puts the new file in place: one destroyed without it is
// abandoned.
class ZBD_File {
public:
    // What the first line of a file opened for reading was.
    enum class FirstLine {
        None,   // the file is empty
        Header, // a format header ("... Format 2.0")
        Count,  // a plain count: the headerless layout of the earliest files
        Other,  // neither (a free title line, or damage)
    };

    ZBD_File(const std::string& fileName, char mode, char separator, bool hasCountLine);
    // A file's text held in memory (an older layout converted in a read-only
    // run), read as the file `fileName` opened for reading would be.
    static std::unique_ptr<ZBD_File> FromText(const std::string& fileName, std::string text,
                                              char separator, bool hasCountLine);
    ~ZBD_File();
    ZBD_File(const ZBD_File&) = delete;
    ZBD_File& operator=(const ZBD_File&) = delete;

    // The next line without its line break; "" (and Status() 0) at the end of
    // the file; nullopt when the file is not readable or already at its end.
    std::optional<std::string> ReadLine();
    // ReadLine without the copy: 1 and the line in LastLine(); 0 at the end
    // of the file; -1 when the file is not readable or already at its end.
    int ReadNextLine();
    // The next line, or nullopt at the end of the file or on a read error:
    // for readers that take a file line by line until it ends.
    std::optional<std::string> NextLine() {
        auto line = ReadLine();
        if (!line || status_ == 0)
            return std::nullopt;
        return line;
    }
    void WriteLine(const std::string& text);
    // Lines from the start of the file (header included) up to the first
    // empty line or the end; 0 when the file cannot be read.
    int CountLines();
    void Close();
    // Drops what was written so far; the file on disk stays as it was.
    void Abandon();

    int Status() const { return status_; }
    bool Good() const { return good_; }
    // The system's error number of a failed open or read (0 when none). Only
    // a file that does not exist counts as missing (Status() 0); any other
    // failure is an error (Status() -1).
    int Error() const { return error_; }
    FirstLine FirstLineKind() const { return firstLineKind_; }
    // False when the line after a format header was not a count: it was then
    // put back, to be read as the first record line.
    bool HasCountLine() const { return countLineFound_; }
    const std::string& FirstLineText() const { return firstLine_; }
    float Version() const { return version_; }
    int RecordCount() const { return recordCount_; }
    const std::string& HeaderText() const { return headerText_; }
    const std::string& LastLine() const { return lineBuffer_; }

private:
    void OpenForReading();
    void ReadHeader();
    bool NextRawLine(std::string& line);
    void Failed(int error);

    std::string fileName_;
    char mode_;
    char separator_;
    bool hasCountLine_;
    std::string lineBuffer_;
    std::string headerText_;
    int recordCount_ = 0;
    float version_ = 0.0f;
    bool good_ = true;
    int status_ = 1;
    int error_ = 0;
    FirstLine firstLineKind_ = FirstLine::None;
    bool countLineFound_ = false;
    std::string firstLine_;
    std::FILE* input_ = nullptr;
    // A file in UTF-16 is read whole and served from its UTF-8 text.
    std::optional<std::string> decoded_;
    size_t decodedAt_ = 0;
    // Lines already split off a longer piece (CR line ends), or put back.
    std::deque<std::string> pending_;
    std::unique_ptr<kvr::AtomicFileWriter> output_;
};

namespace kvr {

// A file's text as UTF-8: a UTF-8 byte order mark is dropped, and UTF-16
// with a byte order mark (little or big endian) is converted.
std::string DecodeText(std::string contents);

// The lines of a file's contents (decoded as DecodeText does), without their
// line breaks (LF, CR LF or CR alone).
std::vector<std::string> SplitLines(std::string_view contents);

// The format version a header line names: the number after "Format"; 0 when
// the line holds no "Format" (the headerless layout of the earliest files).
float HeaderVersion(std::string_view line);

// True when a line is a format header: "Format" followed by a version number.
bool IsFormatHeader(std::string_view line);

// The result codes of a load (Load() returns them).
inline constexpr int kLoaded = 1;
inline constexpr int kMissing = 0;
inline constexpr int kReadError = -1;   // could not be opened or read, or damaged
inline constexpr int kNewerFormat = -2; // written by a newer version of the program

// The system's text for an error number ("Permission denied").
std::string ErrorText(int error);

// How a headerless file of the earliest versions lays out its records: one
// value a line, a fixed number of lines a record.
struct HeaderlessLayout {
    int linesPerRecord = 1;
    // A record cut short by the end of the file is kept when it has at least
    // this many lines (the missing ones read as empty).
    int fewestLines = 1;
    // What comes before the records.
    enum class Start {
        Count,          // the count line
        TitleThenCount, // a free title line, then the count line (or the count alone)
        Title,          // a free title line (the old history)
    } start = Start::Count;
    // A group whose first line is empty ends the records, whatever follows
    // it (the end mark of the old history's writer).
    bool endsAtEmptyFirstLine = false;
};

enum class GroupsRead { ToTheEnd, Damaged, ReadError };

// Reads the records of a headerless file opened with a count line, in groups
// of lines, up to the end of the file whatever its count line says. A group
// whose lines are all empty makes no record. `take` gets each group with its
// number (from 0); returning false means the group shows that the file is not
// of this layout, which ends the reading with Damaged. A file whose first line
// is not what the layout starts with, or whose first
// record line reads as a quoted record of the current layout, is Damaged too:
// it is a current file with a damaged header, not an old one.
GroupsRead ReadLineGroups(ZBD_File& file, const HeaderlessLayout& layout,
                          const std::function<bool(std::vector<std::string>&, int)>& take);

// True when the lines of a file are of the headerless layout of the earliest
// versions: a plain count first, and no quoted record line after it (that
// would be a current file that lost its header).
bool IsHeaderlessLayout(const std::vector<std::string>& lines);

// Free names beside a data file for a copy of its original bytes and for the
// lines a rebuild could not read: "chart.old" and "chart.dis", or with the
// first number that makes both free ("chart1.old", "chart1.dis", ...).
// play.old and history.old belong to the goal-period change, which replaces
// them each time, so play.dat and history.dat always take a number.
struct KeptNames {
    std::string old, dis;
};
KeptNames FreeKeptNames(const std::string& fileName);

// Copies a file's bytes, as they are, to a free ".old" name beside it before
// anything is written over it. The name used, or nullopt when the copy could
// not be made (or the file could not be read).
std::optional<std::string> KeepOriginal(const std::string& fileName);

// "ZBD Data File Format 2.0" for version 2.0.
std::string DataFileHeader(float version);

} // namespace kvr
