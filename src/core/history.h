#pragma once

#include "core/play_store.h"

#include <memory>
#include <string>
#include <vector>

// The past goal periods: history.dat, newest date first, read one record at a
// time into a single buffer.
class KVR_History {
public:
    static constexpr const char* kFileName = "history.dat";
    static constexpr const char* kHeader = "KVR History Data Format 2.0";
    static constexpr const char* kConvertedHeader = "KVR History Data File Format 2.0";

    KVR_History();
    ~KVR_History();

    // Reopens history.dat at its first record, converting an older layout
    // first. 1 when the history can be read, else 0.
    int Rewind();
    // 1 and the next record in Current(); 0 at the end of the history.
    int ReadNext();
    // Positions the reader so that the next ReadNext delivers record n
    // (numbered from 1). 1 done, 0 when there is no such record.
    int SeekTo(int n);
    // The number of the first record from `start` on whose opponents or
    // partner contain `text`, or -1.
    int Find(int start, const std::string& text);
    int CountRecords();
    void Close();
    // Orders history.dat from the newest date to the oldest. 1 rewritten,
    // 0 already in order or empty, -1 could not be written.
    int SortByDate();
    // Rewrites a history.dat of an older layout in the current one, keeping
    // the old file as history.old. 1 done, 0 failed.
    int ConvertOld();

    const PlayRecord& Current() const { return current_; }
    // The text of the record line read last.
    const std::string& CurrentLine() const;

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

private:
    std::unique_ptr<ZBD_File> reader_;
    PlayRecord current_;
};
