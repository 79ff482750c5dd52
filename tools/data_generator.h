// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/play_store.h"

#include <string>
#include <vector>

// Synthetic but realistic data in Kavora's own file formats, the same bytes
// on every run: a player's log of about fifteen years, a full goal period,
// the phone book of the people in that log, charts, coming dates and tips.
namespace kvrbench {

struct DataSetSize {
    int historyRecords = 10'000;
    int playRecords = KVR_PlayData::kGoalPeriodLength;
    int people = 200;
    int charts = 1'000;
    int events = 1'000;
    int tips = 500;
};

inline constexpr const char* kTipFileName = "forehand.tip";

class DataSet {
public:
    explicit DataSet(const DataSetSize& size = {});

    const DataSetSize& Size() const { return size_; }
    // The phone book's names in its stored order (ascending, byte by byte).
    const std::vector<std::string>& People() const { return people_; }
    // The past goal periods, newest first, as history.dat keeps them.
    const std::vector<PlayRecord>& History() const { return history_; }
    // The current goal period, oldest first; every date lies after the
    // history's newest.
    const std::vector<PlayRecord>& GoalPeriod() const { return goalPeriod_; }

    // Whole file contents, ready to be written as they are.
    std::string HistoryFile() const;
    // The same records oldest first: the worst case for the history's sort.
    std::string ReversedHistoryFile() const;
    std::string PhoneFile() const;
    std::string ChartFile() const;
    std::string SchedFile() const;
    std::string TipFile() const;

    // Writes play.dat through the play store into the working directory.
    // 1 written, 0 failed.
    int WritePlayFile() const;
    // Writes every file into the working directory. Returns the name of the
    // first file that could not be written, or an empty text.
    std::string WriteAll() const;

private:
    void MakePeople();
    void MakeHistory();
    void MakeGoalPeriod();

    DataSetSize size_;
    std::vector<std::string> people_;
    std::vector<PlayRecord> history_;
    std::vector<PlayRecord> goalPeriod_;
};

// Every file name WriteAll writes.
std::vector<std::string> DataFileNames();

} // namespace kvrbench
