// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/play_record.h"
#include "core/record_store.h"

#include <memory>
#include <string>
#include <vector>

// The past goal periods: history.dat, newest date first, read one record at a
// time into a single buffer.
//
// Every reader delivers the record lines only (kvr::IsPlayRecordLine: the
// thirteen text fields, or with the 24 ratings, on a valid date). Empty lines
// are skipped harmlessly; any other line that is no record (cut short,
// garbage, NUL bytes, extra fields) is skipped too and makes the history a
// damaged one, as a store's load reports one, for rebuild_file to recover.
class KVR_History {
public:
    static constexpr const char* kFileName = "history.dat";
    static constexpr const char* kHeader = "KVR History Data Format 2.0";
    static constexpr const char* kConvertedHeader = "KVR History Data File Format 2.0";

    // Opens history.dat as Reopen does.
    KVR_History();
    ~KVR_History();

    // Reopens history.dat at its first record, converting an older layout
    // first, and checks that every line of a current history is a record.
    // 1 when the history can be read whole, else 0; LoadResult() then tells
    // why (-1 with Error() 0 for a damaged one). The lines are read for the
    // check once per version of the file: a version that a reader of this
    // program read to its end (the past records' read at start-up, say) is
    // not read again.
    int Rewind();
    // Reopens history.dat at its first record, converting an older layout
    // first, without reading on: damage among the lines is found as they are
    // read. 1 when the history can be opened, else 0; LoadResult() then
    // tells why.
    int Reopen();
    // 1 and the next record in Current(); 0 at the end of the history (or
    // on a read error, which LoadResult() reports).
    int ReadNext();
    // The same, but the record is left in CurrentLine() and CurrentFields()
    // only: Current() is not filled, for a reader that takes a few fields
    // itself.
    int ReadNextLine();
    // What the last Rewind, Reopen or read found: 1 read; 0 no history
    // (missing or empty file); -1 could not be read (Error() tells why) or
    // damaged (a file that is neither current nor of the old layout, or a
    // line passed since the history was opened that is no record); -2 a
    // newer format.
    int LoadResult() const { return loadResult_; }
    int Error() const { return error_; }
    // Recovers a damaged history.dat as the stores' rebuild does: the
    // original kept under a free ".old" name, every line that reads as a
    // history record kept (in its order), every other line in the ".dis"
    // file. The number of records kept, or -1 when nothing was done (also
    // for a history of the old layout, which holds no record line).
    int rebuild_file();
    const kvr::KeptNames& LastRebuild() const { return lastRebuild_; }
    // The system's error number when the last rebuild could not replace the
    // file or write its copies; 0 otherwise.
    int RebuildError() const { return rebuildError_; }
    // Positions the reader so that the next ReadNext delivers record n
    // (numbered from 1), the history reopened first (Reopen). 1 done, 0 when
    // there is no such record.
    int SeekTo(int n);
    // The number of the first record from `start` on whose opponents or
    // partner contain `text`, ignoring case and accents (kvr::NameContains),
    // or -1.
    int Find(int start, const std::string& text);
    // The number of records every reader delivers.
    int CountRecords();
    void Close();
    // Orders history.dat from the newest date to the oldest. 1 rewritten,
    // 0 already in order or empty, -1 could not be written.
    int SortByDate();
    // Rewrites a history.dat of an older layout in the current one, keeping
    // the old file under a free ".old" name. 1 done; 0 failed; -1 the file is
    // not of the old layout (damaged) and was left as it is.
    int ConvertOld();
    // The current-layout text of a history.dat of an older layout, in
    // `converted`, without writing anything; the results of ConvertOld.
    int ConvertedText(std::string& converted);

    const PlayRecord& Current() const { return current_; }
    // Whether the reader reads a history of the current layout from the file
    // on disk (not a conversion of an older one held in memory).
    bool ReadsCurrentFile() const { return checkable_; }
    // The text of the record line read last.
    const std::string& CurrentLine() const;
    // Its fields, valid until the next read.
    const ZBD_Record& CurrentFields() const { return fields_; }

    // A history line and the day number its sort uses.
    struct SortEntry {
        std::string line;
        int day;
    };
    // Orders entries from the newest date to the oldest exactly as an
    // exchange sort does (equal dates included), in O(n log n). Returns
    // false when the entries were already in order.
    static bool ExchangeSort(std::vector<SortEntry>& entries);
    static int SortDay(const std::string& line);

    // How many times this program set out to rewrite history.dat (a sort, a
    // conversion, a rebuild, a goal-period change), so that copies of it kept
    // in memory know when to read it again.
    static unsigned long Rewrites();
    static void CountRewrite();

private:
    void Failed(int result, int error = 0);
    // Reads on to the next record line, skipping empty lines and marking the
    // history damaged for any other line that is no record. At the end of a
    // history read from its first line, what was found is kept for the
    // version of the file read (see Rewind).
    bool NextRecordLine();

    std::unique_ptr<ZBD_File> reader_;
    PlayRecord current_;
    ZBD_Record fields_ = ZBD_Record::Borrow({}, ',');
    int loadResult_ = kvr::kMissing;
    int error_ = 0;
    int rebuildError_ = 0;
    kvr::KeptNames lastRebuild_;
    // Of the file the reader opened, when it is a current history on disk:
    // its stamp and the rewrites counted when it was opened, and when.
    bool checkable_ = false;
    kvr::FileStamp openedStamp_;
    unsigned long openedRewrites_ = 0;
    timespec openedAt_{};
    bool damagedLines_ = false;
};
