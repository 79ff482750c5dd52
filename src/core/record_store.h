// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/data_file.h"
#include "core/date.h"
#include "core/record_line.h"
#include "core/safe_file.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

// The stores: the records of one data file, read, kept in order and written
// back whole. A data file (core/data_file.h) holds one record a line
// (core/record_line.h); a store's record type derives from ZBD_DataRecordBase.

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
    int Commit(const kvr::Change<T>& change) { return CommitAll({change}); }

    // Several changes and one save, all or nothing: an import, a merge. When
    // the save fails every change is undone (the records in memory are again
    // those of the file, the same objects in the same places). Returns 1
    // when saved; 0 when not, or when a change's `target` is not a record of
    // the store (nothing is then changed).
    int CommitAll(const std::vector<kvr::Change<T>>& changes) {
        using Kind = typename kvr::Change<T>::Kind;
        for (const kvr::Change<T>& change : changes) {
            if (change.kind != Kind::Add && IndexOf(change.target) == records_.size())
                return 0;
        }
        const bool wasInOrder = inOrder_;
        std::vector<const T*> before;
        before.reserve(records_.size());
        for (const auto& record : records_)
            before.push_back(record.get());
        std::vector<std::pair<T*, T>> updated;
        std::vector<std::unique_ptr<T>> removed;
        for (const kvr::Change<T>& change : changes) {
            if (change.kind == Kind::Add) {
                Add(std::make_unique<T>(change.record));
                continue;
            }
            const size_t index = IndexOf(change.target);
            if (index == records_.size())
                continue; // removed by an earlier change of the same batch
            if (change.kind == Kind::Update) {
                T& target = *records_[index];
                updated.emplace_back(&target, target);
                Update(target, change.record);
            } else {
                removed.push_back(std::move(records_[index]));
                records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(index));
            }
        }
        if (Save() == 1) {
            for (const auto& record : removed)
                WillRemove(record.get());
            return 1;
        }
        for (auto it = updated.rbegin(); it != updated.rend(); ++it)
            *it->first = it->second;
        // Put the records that were there back in their places; the added
        // ones are dropped.
        std::unordered_map<const T*, std::unique_ptr<T>> kept;
        for (auto& record : records_)
            kept.emplace(record.get(), std::move(record));
        for (auto& record : removed)
            kept.emplace(record.get(), std::move(record));
        records_.clear();
        for (const T* record : before)
            records_.push_back(std::move(kept.at(record)));
        inOrder_ = wasInOrder;
        return 0;
    }

    // Rewrites the whole file. Returns 1, or 0 when it could not be written
    // (the old file is then left as it was).
    int Save() {
        if (fileName_.empty() || !KeepUnreadFile() || WritesHeld())
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
    // Whether the store's file may not be written now, whatever the records:
    // a save is then refused (0). The play store holds play.dat while a
    // change of the play data waits to be finished.
    virtual bool WritesHeld() const { return false; }
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
