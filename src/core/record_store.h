// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/date.h"
#include "core/safe_file.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// One line split into numbered fields. Fields that begin with a double quote
// run up to a separator that directly follows a double quote, so a quoted
// field may hold the separator. The line is split once; a field is copied
// only when Field() asks for it.
class ZBD_Record {
public:
    static constexpr int kMaxFields = 100;

    ZBD_Record(const std::string& line, char separator); // keeps a copy of the line
    // A record over a line that the caller keeps alive and unchanged for as
    // long as the record is used: nothing is copied.
    static ZBD_Record Borrow(std::string_view line, char separator) {
        return ZBD_Record(line, separator, nullptr);
    }
    ZBD_Record(const ZBD_Record& other);
    ZBD_Record& operator=(const ZBD_Record& other);

    int FieldCount() const { return count_; }
    std::string Field(int n) const { return std::string(FieldView(n)); } // 1-based; "" out of range
    std::string_view FieldView(int n) const { // points into the line; "" out of range
        if (n < 1 || n > count_)
            return {};
        const Span& field = fields_[static_cast<size_t>(n - 1)];
        return line_.substr(field.from, field.length);
    }
    int FieldInt(int n) const; // the integer at the field's start; 0 if none

private:
    struct Span {
        size_t from;
        size_t length;
    };
    ZBD_Record(std::string_view line, char separator, std::nullptr_t);
    void Split();

    std::string ownLine_; // the copy, when the record keeps one
    std::string_view line_;
    char separator_;
    int count_ = 0;
    std::array<Span, kMaxFields> fields_; // the first count_ are set
};

// The base of every stored record type.
template <class T> class ZBD_DataRecordBase {
public:
    virtual ~ZBD_DataRecordBase() = default;
    char sortKind = 'S'; // 'S' text key, 'D' date key
    char sortOrder = 'A';
    virtual void Assign(const T& other) = 0;
    virtual std::string Key() const = 0;
    virtual std::string ToLine() const = 0;
    virtual void FromLine(const std::string& line) = 0;
    virtual bool Equals(const T& other) const = 0;

protected:
    ZBD_DataRecordBase() = default;
    ZBD_DataRecordBase(const ZBD_DataRecordBase&) = default;
    ZBD_DataRecordBase& operator=(const ZBD_DataRecordBase&) = default;
};

namespace kvr {

// A text field of a record line, in double quotes. A line break becomes a
// blank, so that a record never spills onto a second line, and a double quote
// directly followed by a comma becomes a single quote: the splitter would end
// the field there and shift every later field.
std::string QuotedField(std::string_view text);

// True when a line holds nothing but a whole number (a sign allowed) with
// blanks around it, as the count line of a headerless file does.
bool IsCountLine(std::string_view line);

// Typed text made fit for a data file: line breaks become blanks and double
// quotes (which the file format cannot escape) become single quotes.
std::string StorableText(std::string_view text);

// The decimal integer at the start of a text (leading blanks and a sign
// allowed), clamped to the int range; 0 when there is none.
int LeadingInt(std::string_view text);

// The decimal number at the start of a text, read the same way in every
// locale; 0 when there is none.
float LeadingFloat(std::string_view text);

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

// One field of a record line: a text member, a number member, or neither (a
// field that is always written empty and ignored when read). Every field is
// written in double quotes.
template <class R> struct LineField {
    std::string R::*text = nullptr;
    int R::*number = nullptr;
};

template <class R, size_t N>
std::string JoinFields(const R& record, const std::array<LineField<R>, N>& layout) {
    std::string line;
    for (size_t i = 0; i < N; ++i) {
        if (i > 0)
            line += ',';
        if (layout[i].text)
            line += QuotedField(record.*layout[i].text);
        else if (layout[i].number) {
            line += '"';
            line += std::to_string(record.*layout[i].number);
            line += '"';
        } else
            line += "\"\"";
    }
    return line;
}

// Fills the fields of `layout` from fields 1 to N of a split line; a missing
// field reads as an empty text or 0.
template <class R, size_t N>
void ReadFields(R& record, const ZBD_Record& fields, const std::array<LineField<R>, N>& layout) {
    for (size_t i = 0; i < N; ++i) {
        int n = static_cast<int>(i) + 1;
        if (layout[i].text)
            (record.*layout[i].text).assign(fields.FieldView(n));
        else if (layout[i].number)
            record.*layout[i].number = fields.FieldInt(n);
    }
}

// "ZBD Data File Format 2.0" for version 2.0.
std::string DataFileHeader(float version);

} // namespace kvr

namespace kvr {

// One change of a store's records, for ZBD_Data::Commit: a record added (a
// copy of `record`), the store's record `target` given the contents of
// `record`, or the store's record `target` removed. Made with Added, Updated
// and Removed.
template <class T> struct Change {
    enum class Kind { Add, Update, Remove } kind;
    const T* target = nullptr;
    T record;
};

template <class T> Change<T> Added(const T& record) {
    return {Change<T>::Kind::Add, nullptr, record};
}
template <class T> Change<T> Updated(const T& target, const T& record) {
    return {Change<T>::Kind::Update, &target, record};
}
template <class T> Change<T> Removed(const T& target) {
    return {Change<T>::Kind::Remove, &target, T{}};
}

} // namespace kvr

// A store: the records of one data file, owned and kept in order.
template <class T> class ZBD_Data {
public:
    ZBD_Data(std::string fileName, float version, char separator)
        : fileName_(std::move(fileName)), version_(version), separator_(separator) {}
    virtual ~ZBD_Data() = default;
    ZBD_Data(const ZBD_Data&) = delete;
    ZBD_Data& operator=(const ZBD_Data&) = delete;

    unsigned Count() const { return static_cast<unsigned>(records_.size()); }

    T* At(int index) const {
        if (index < 0 || static_cast<size_t>(index) >= records_.size())
            return nullptr;
        return records_[static_cast<size_t>(index)].get();
    }

    // Inserts in front of the first record that does not precede the new one,
    // so among equal keys the record added last comes first.
    int Add(std::unique_ptr<T> record) {
        if (!record)
            return 0;
        records_.insert(records_.begin() + static_cast<std::ptrdiff_t>(InsertPosition(*record)),
                        std::move(record));
        return 1;
    }

    int AddCopy(const T& record) { return Add(std::make_unique<T>(record)); }

    void RemoveAt(int index) {
        if (index < 0 || static_cast<size_t>(index) >= records_.size())
            return;
        WillRemove(records_[static_cast<size_t>(index)].get());
        records_.erase(records_.begin() + index);
    }

    void Clear() {
        WillRemove(nullptr);
        records_.clear();
        inOrder_ = true;
    }

    // The record keeps its place even when its key changed; the order is
    // restored at the next load. Keys must only change through Update.
    void Update(T& target, const T& source) {
        target.Assign(source);
        inOrder_ = false;
    }

    // The one way the program changes a store's records for good: the
    // change, then a save of the whole file. When the save fails the change
    // is undone, so that the records in memory are again those of the file:
    // the same record objects, in the same places. Returns 1 when saved; 0
    // when not (the save failed, or `target` is not a record of the store),
    // the records then as they were.
    //   store.Commit(kvr::Added(entry));
    //   store.Commit(kvr::Updated(*shown, entry));
    //   store.Commit(kvr::Removed(*shown));
    int Commit(const kvr::Change<T>& change) {
        using Kind = typename kvr::Change<T>::Kind;
        const bool wasInOrder = inOrder_;
        if (change.kind == Kind::Add) {
            auto record = std::make_unique<T>(change.record);
            const T* added = record.get();
            Add(std::move(record));
            if (Save() == 1)
                return 1;
            const size_t index = IndexOf(added);
            records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(index));
            return 0;
        }
        const size_t index = IndexOf(change.target);
        if (index == records_.size())
            return 0;
        if (change.kind == Kind::Update) {
            T& target = *records_[index];
            const T before = target;
            Update(target, change.record);
            if (Save() == 1)
                return 1;
            target = before;
            inOrder_ = wasInOrder;
            return 0;
        }
        std::unique_ptr<T> removed = std::move(records_[index]);
        records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(index));
        if (Save() == 1) {
            WillRemove(removed.get());
            return 1;
        }
        records_.insert(records_.begin() + static_cast<std::ptrdiff_t>(index), std::move(removed));
        return 0;
    }

    // Rewrites the whole file. Returns 1, or 0 when it could not be written
    // (the old file is then left as it was).
    int Save() {
        if (fileName_.empty() || !KeepUnreadFile())
            return 0;
        if (keepOriginal_) {
            if (kvr::FileExists(fileName_) && !kvr::KeepOriginal(fileName_))
                return 0;
            keepOriginal_ = false;
        }
        ZBD_File file(fileName_, 'w', separator_, true);
        if (!file.Good())
            return 0;
        file.WriteLine(kvr::DataFileHeader(version_));
        file.WriteLine(std::to_string(Count()));
        for (const auto& record : records_)
            file.WriteLine(record->ToLine());
        file.Close();
        return file.Good() ? 1 : 0;
    }

    // 1 loaded; 0 no file; -1 could not be read (Error() then tells why) or
    // damaged; -2 newer format; otherwise the result of Upgrade for an older
    // format. After any negative result the store keeps what it read and
    // refuses to write over the file until a load reads it whole or
    // rebuild_file has recovered it.
    int Load() {
        loadError_ = 0;
        keepOriginal_ = false;
        int result = LoadFile();
        unreadFile_ = result < 0;
        loadResult_ = result;
        return result;
    }
    int LoadResult() const { return loadResult_; }
    // The system's error number when the last load or rebuild could not read
    // the file (permission, I/O error...); 0 when the file was read.
    int Error() const { return loadError_; }

    virtual int Upgrade(float fileVersion) = 0;

    static void CapitalizeWords(std::string& text) {
        bool startOfWord = true;
        for (char& c : text) {
            if (startOfWord && c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
            startOfWord = c == ' ';
        }
        size_t end = text.size();
        while (end > 1 && text[end - 1] == ' ')
            --end;
        text.resize(end);
    }

    // Start-up check before the load: damage is found by the load itself.
    int CheckFile() { return 0; }

    // Recovers a file that could not be loaded: its bytes are copied as they
    // are to a free ".old" name, every line that reads as a record of this
    // store (IsRecordLine) becomes a record, every other line goes to the
    // matching ".dis" file, and the store is saved and loaded again. Returns
    // the number of records kept, or -1 when nothing was done: the file is
    // missing or cannot be read (Error() tells why), names a newer format
    // (a later version of the program wrote it, so it is left alone), is of
    // the headerless layout of the earliest versions (its conversion says
    // what failed), or cannot be replaced or its copies cannot be written
    // (RebuildError() tells why; no copy is left behind).
    int rebuild_file() {
        lastRebuild_ = {};
        rebuildError_ = 0;
        keepOriginal_ = false; // the rebuild keeps the original itself
        if (fileName_.empty())
            return -1;
        // A file that may not be replaced (read-only) would only gain another
        // pair of copies at every start.
        errno = 0;
        if (!kvr::MayReplace(fileName_)) {
            rebuildError_ = errno != 0 ? errno : EACCES;
            return -1;
        }
        errno = 0;
        auto contents = kvr::ReadWholeFile(fileName_);
        if (!contents) {
            loadError_ = errno;
            return -1;
        }
        auto lines = kvr::SplitLines(*contents);
        if (!lines.empty() && kvr::IsFormatHeader(lines[0]) &&
            kvr::HeaderVersion(lines[0]) > version_)
            return -1;
        // A file of the headerless layout holds one value a line, none of
        // which reads as a record: rebuilt, it would lose every record.
        if (kvr::IsHeaderlessLayout(lines))
            return -1;
        std::vector<std::unique_ptr<T>> kept;
        std::string discarded;
        for (size_t i = 0; i < lines.size(); ++i) {
            const std::string& line = lines[i];
            // The header and the count line are no records, and no loss.
            bool header = i == 0 && kvr::IsFormatHeader(line);
            bool count = i <= 1 && kvr::IsCountLine(line);
            if (line.empty() || header || count)
                continue;
            if (IsRecordLine(line)) {
                auto record = std::make_unique<T>();
                record->FromLine(line);
                kept.push_back(std::move(record));
            } else {
                discarded += line;
                discarded += "\r\n";
            }
        }
        kvr::KeptNames names = kvr::FreeKeptNames(fileName_);
        // The copies are as private as the file they come from.
        errno = 0;
        if (!kvr::WriteFileAtomically(names.old, *contents, fileName_) ||
            !kvr::WriteFileAtomically(names.dis, discarded, fileName_)) {
            rebuildError_ = errno != 0 ? errno : EIO;
            kvr::RemoveDurably(names.old);
            kvr::RemoveDurably(names.dis);
            return -1;
        }
        Clear();
        for (auto& record : kept)
            AddLoaded(std::move(record));
        unreadFile_ = false;
        if (Save() != 1 || Load() != 1) {
            unreadFile_ = true;
            return -1;
        }
        lastRebuild_ = names;
        return static_cast<int>(std::min<size_t>(Count(), INT_MAX));
    }
    // Where the last successful rebuild kept the original and the lines it
    // could not read.
    const kvr::KeptNames& LastRebuild() const { return lastRebuild_; }
    // The system's error number when the last rebuild could not replace the
    // file or write its copies; 0 otherwise.
    int RebuildError() const { return rebuildError_; }

    // Whether a line reads as a whole record of this store: quoted fields, as
    // many as a record's line holds, and a key that is a valid date (for a
    // store kept in date order) or not empty. Stores with more to check add
    // to it.
    virtual bool IsRecordLine(const std::string& line) const {
        if (line.size() < 2 || line.front() != '"' || line.back() != '"')
            return false;
        if (recordFields_ < 0)
            recordFields_ = ZBD_Record::Borrow(T().ToLine(), separator_).FieldCount();
        if (ZBD_Record::Borrow(line, separator_).FieldCount() != recordFields_)
            return false;
        T record;
        record.FromLine(line);
        if (record.sortKind == 'D')
            return ZBD_Date(record.Key()).IsValid();
        return !record.Key().empty();
    }

    const std::string& FileName() const { return fileName_; }

    // Whether the store may write over its file: false while the last load
    // could not read it whole (damaged, unreadable or newer), so that records
    // the program could not read are never lost to a save. A load that reads
    // the file whole, or a rebuild, allows it again.
    bool KeepUnreadFile() const { return !unreadFile_; }
    float Version() const { return version_; }
    char Separator() const { return separator_; }

protected:
    // Binds the store to another file, which has not been loaded yet.
    void SetFileName(std::string fileName) {
        fileName_ = std::move(fileName);
        unreadFile_ = false;
        loadResult_ = kvr::kMissing;
        loadError_ = 0;
    }
    void SetError(int error) { loadError_ = error; }

    // Called by a conversion that read a file of an older layout: the next
    // save first keeps the file's bytes as they are under a free ".old" name
    // (kvr::KeepOriginal), so the original is never lost to the rewrite.
    void KeepOriginalBeforeNextSave() { keepOriginal_ = true; }

    // Saves what a conversion read. When that fails, the store keeps the
    // system's error (EIO when none was given), so that start-up reports a
    // file it could not convert and never takes it for a damaged one to
    // rebuild. 1 saved, else -1; a file that may not be replaced is left
    // without a copy made. In a read-only run (kvr::ReadOnlyData) the
    // converted records stay in memory only: 1, and the file is untouched.
    int SaveConverted() {
        if (kvr::WritesRefused())
            return 1;
        if (!kvr::MayReplace(fileName_)) {
            loadError_ = EACCES;
            return -1;
        }
        errno = 0;
        if (Save() == 1)
            return 1;
        loadError_ = errno != 0 ? errno : EIO;
        return -1;
    }

    // The records a conversion read from a file of an older layout take the
    // place of the store's, each at its sorted place, and the original file
    // is kept before the next save.
    void TakeConverted(std::vector<std::unique_ptr<T>> converted) {
        Clear();
        for (auto& record : converted)
            Add(std::move(record));
        KeepOriginalBeforeNextSave();
    }

    // Called just before records are destroyed: with the record that goes
    // (RemoveAt), or nullptr when they all go (Clear, and so every load). A
    // store that keeps pointers to its records drops them here.
    virtual void WillRemove(const T* /*record*/) {}

    // Puts a record read from the file at its sorted place, behind the
    // records of equal key read before it, so that a load keeps the order in
    // which the lines stand (Add would reverse equal keys at every start).
    void AddLoaded(std::unique_ptr<T> record) {
        records_.insert(records_.begin() +
                            static_cast<std::ptrdiff_t>(InsertPosition(*record, true)),
                        std::move(record));
    }

    std::vector<std::unique_ptr<T>> records_;

private:
    int LoadFile() {
        if (fileName_.empty()) {
            Clear();
            return 0;
        }
        ZBD_File file(fileName_, 'r', separator_, true);
        if (file.Status() <= 0) {
            loadError_ = file.Error();
            return file.Status();
        }
        if (file.FirstLineKind() == ZBD_File::FirstLine::None) {
            Clear(); // an empty file holds no records
            return 1;
        }
        if (file.Version() < version_) {
            file.Close();
            return Upgrade(file.Version());
        }
        if (file.Version() > version_)
            return kvr::kNewerFormat;
        Clear();
        // Every record line up to the end of the file is read, whatever the
        // count line says, so a wrong count never costs a record. A quoted
        // line in place of the count line is a record: the count line is
        // missing, not the record; anything else there is a damaged count.
        // A line that is no record of this store (IsRecordLine: one cut short
        // by NUL bytes or by the end of the file, text that is no record at
        // all) and a count line that says more than the file holds (a file
        // cut short) make the load a damaged one: the records read are kept,
        // and the file is left for rebuild_file, never rewritten from what
        // could be read.
        bool first = !file.HasCountLine();
        bool damaged = false;
        long long linesAfterCount = 0;
        while (auto line = file.NextLine()) {
            ++linesAfterCount;
            bool damagedCount = first && (line->empty() || line->front() != '"');
            first = false;
            if (line->empty())
                continue;
            if (damagedCount || !IsRecordLine(*line)) {
                damaged = true;
                continue;
            }
            auto record = std::make_unique<T>();
            record->FromLine(*line);
            AddLoaded(std::move(record));
        }
        if (file.Status() < 0) {
            loadError_ = file.Error();
            return kvr::kReadError;
        }
        if (file.HasCountLine() && file.RecordCount() > linesAfterCount)
            damaged = true;
        return damaged ? kvr::kReadError : 1;
    }

    // The place of the record object `record` in the list; Count() when it
    // is not one of the store's.
    size_t IndexOf(const T* record) const {
        auto place = std::find_if(records_.begin(), records_.end(),
                                  [record](const auto& own) { return own.get() == record; });
        return static_cast<size_t>(place - records_.begin());
    }

    static int SortValue(const T& record) { return ZBD_Date(record.Key()).DayNumber(); }

    // Whether `existing` stays in front of a record with the given key; with
    // `afterEqual`, equal keys stay in front too.
    static bool Precedes(const T& existing, int addedDay, const std::string& addedKey,
                         bool afterEqual) {
        int order = 0;
        if (existing.sortKind == 'D') {
            int day = SortValue(existing);
            order = (day > addedDay) - (day < addedDay);
        } else {
            order = existing.Key().compare(addedKey);
        }
        bool before = order < 0;
        bool precedes = existing.sortOrder == 'A' ? before : !before;
        return precedes || (afterEqual && order == 0);
    }

    size_t InsertPosition(const T& added, bool afterEqual = false) const {
        const std::string addedKey = added.Key();
        const int addedDay = ZBD_Date(addedKey).DayNumber();
        auto precedes = [&](const std::unique_ptr<T>& existing) {
            return Precedes(*existing, addedDay, addedKey, afterEqual);
        };
        // While the list is in order, the records that precede the new one
        // form a prefix, so a binary search finds the same place as a walk
        // from the head. A file is saved in order, so while it loads each
        // record belongs after the last one: that is tried first.
        if (inOrder_ && !records_.empty() && precedes(records_.back()))
            return records_.size();
        auto place = inOrder_ ? std::partition_point(records_.begin(), records_.end(), precedes)
                              : std::find_if_not(records_.begin(), records_.end(), precedes);
        return static_cast<size_t>(place - records_.begin());
    }

    std::string fileName_;
    float version_;
    char separator_;
    bool inOrder_ = true;
    bool unreadFile_ = false;
    bool keepOriginal_ = false;
    int loadResult_ = kvr::kMissing;
    int loadError_ = 0;
    int rebuildError_ = 0;
    // The number of fields of a record's line, once IsRecordLine needs it.
    mutable int recordFields_ = -1;
    kvr::KeptNames lastRebuild_;
};
