// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

#include <QString>

class KVR_PlayData;
class KVR_PhoneData;
class TipClass;
class SchedClass;
class KVR_ChartClass;

namespace kui {

// The five stores of the data folder, made and loaded together. The
// application owns one for the whole run; the command line's drawing modes
// load one on their own, read-only (kvr::ReadOnlyData), without an
// application object or a window.
class DataStores {
public:
    DataStores();
    ~DataStores();
    DataStores(const DataStores&) = delete;
    DataStores& operator=(const DataStores&) = delete;

    // Makes the stores, empty. False when there is not enough memory (none
    // is then made).
    bool Create();
    // Loads every store and checks the history, telling the player (through
    // ui/message.h) of each file that could not be read whole; with
    // `mayRebuild` a damaged file is rebuilt from the records it still holds
    // and the past records are read ahead on a thread of their own. Without
    // it, the past records are read at once, and a history with lines that
    // are no records is told as damaged.
    void Load(bool mayRebuild);
    // After a Load(true), once the window is up (the statistics then take
    // the past records read ahead): a history whose lines that read found
    // damaged is told and rebuilt as Load does for any other file, so that
    // start-up reads the history whole only once.
    void CheckHistoryLines();
    // How long the last Load took, for the start-up measurements.
    double LoadMilliseconds() const { return loadMilliseconds_; }

    KVR_PlayData& Play() { return *play_; }
    KVR_PhoneData& Phones() { return *phones_; }
    TipClass& Tips() { return *tips_; }
    SchedClass& Schedule() { return *schedule_; }
    KVR_ChartClass& Charts() { return *charts_; }

    // What to tell the player of a load that failed: `result` and `error`
    // are the store's LoadResult() and Error().
    static QString FailedLoadText(const QString& fileName, int result, int error);

private:
    void Destroy();
    // Tells of a history whose lines the past records' read found damaged
    // and, with `mayRebuild`, rebuilds it. True when it was damaged.
    bool ReportDamagedHistoryLines(bool mayRebuild);

    double loadMilliseconds_ = 0;
    std::unique_ptr<KVR_PlayData> play_;
    std::unique_ptr<KVR_PhoneData> phones_;
    std::unique_ptr<TipClass> tips_;
    std::unique_ptr<SchedClass> schedule_;
    std::unique_ptr<KVR_ChartClass> charts_;
};

} // namespace kui
