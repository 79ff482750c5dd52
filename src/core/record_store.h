#pragma once

#include "core/date.h"
#include "core/safe_file.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One data file, opened for reading ('r'), for replacing ('w') or for adding
// lines at its end ('a'). A file opened for reading has its header (and count
// line, when the layout has one) read at once. Writing goes to a temporary
// file that Close() syncs and renames over the target, so a data file is
// never left half written; after Close(), Good() tells whether that worked.
// Only Close() puts the new file in place: one destroyed without it is
// abandoned.
class ZBD_File {
public:
    ZBD_File(const std::string& fileName, char mode, char separator, bool hasCountLine);
    ~ZBD_File();
    ZBD_File(const ZBD_File&) = delete;
    ZBD_File& operator=(const ZBD_File&) = delete;

    // The next line without its line break; "" (and Status() 0) at the end of
    // the file; nullopt when the file is not readable or already at its end.
    std::optional<std::string> ReadLine();
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
    float Version() const { return version_; }
    int RecordCount() const { return recordCount_; }
    const std::string& HeaderText() const { return headerText_; }
    const std::string& LastLine() const { return lineBuffer_; }

private:
    void ReadHeader();

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
    std::FILE* input_ = nullptr;
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
    std::string_view FieldView(int n) const; // points into the line; "" out of range
    int FieldInt(int n) const;               // the integer at the field's start; 0 if none

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

// The lines of a file's contents, without their line breaks (CR LF or LF).
std::vector<std::string> SplitLines(std::string_view contents);

// The format version a header line names: the number after "Format"; 0 when
// the line holds no "Format" (the headerless layout of the earliest files).
float HeaderVersion(std::string_view line);

// "ZBD Data File Format 2.0" for version 2.0.
std::string DataFileHeader(float version);

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
        records_.erase(records_.begin() + index);
    }

    void Clear() {
        records_.clear();
        inOrder_ = true;
    }

    // The record keeps its place even when its key changed; the order is
    // restored at the next load. Keys must only change through Update.
    void Update(T& target, const T& source) {
        target.Assign(source);
        inOrder_ = false;
    }

    // Rewrites the whole file. Returns 1, or 0 when it could not be written
    // (the old file is then left as it was).
    int Save() {
        if (fileName_.empty() || !KeepUnreadFile())
            return 0;
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

    // 1 loaded; 0 no file; -1 unreadable; -2 newer format; otherwise the
    // result of Upgrade for an older format.
    int Load() {
        int result = LoadFile();
        // A file that is there but could not be read (damaged, or written by
        // a newer program) must not be lost to the next save.
        unreadFile_ = result < 0;
        return result;
    }

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

    // Start-up hooks: no damage is ever found and nothing is rebuilt.
    int CheckFile() { return 0; }
    int rebuild_file() { return 0; }

    const std::string& FileName() const { return fileName_; }

    // Before the first save over a file that the last load could not read,
    // that file is kept under a free name beside it ("play.dat.bad", then
    // "play.dat.bad2", ...). Returns false when it could not be kept.
    bool KeepUnreadFile() {
        if (!unreadFile_)
            return true;
        if (auto contents = kvr::ReadWholeFile(fileName_)) {
            std::string keep = fileName_ + ".bad";
            for (int n = 2; kvr::FileExists(keep); ++n)
                keep = fileName_ + ".bad" + std::to_string(n);
            if (!kvr::WriteFileAtomically(keep, *contents))
                return false;
        } else if (kvr::FileExists(fileName_)) {
            return false;
        }
        unreadFile_ = false;
        return true;
    }
    float Version() const { return version_; }
    char Separator() const { return separator_; }

protected:
    void SetFileName(std::string fileName) { fileName_ = std::move(fileName); }

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
        if (file.Status() <= 0)
            return file.Status();
        if (file.Version() < version_) {
            file.Close();
            return Upgrade(file.Version());
        }
        if (file.Version() > version_)
            return -2;
        Clear();
        // Every record line up to the end of the file is read, whatever the
        // count line says, so a wrong count never costs a record.
        while (auto line = file.NextLine()) {
            if (line->empty())
                continue;
            auto record = std::make_unique<T>();
            record->FromLine(*line);
            AddLoaded(std::move(record));
        }
        return file.Status() < 0 ? -1 : 1;
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
        // from the head.
        auto place = inOrder_ ? std::partition_point(records_.begin(), records_.end(), precedes)
                              : std::find_if_not(records_.begin(), records_.end(), precedes);
        return static_cast<size_t>(place - records_.begin());
    }

    std::string fileName_;
    float version_;
    char separator_;
    bool inOrder_ = true;
    bool unreadFile_ = false;
};
