// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench_support.h"
#include "core/past_records.h"
#include "core/play_store.h"
#include "phonebook/phone_store.h"
#include "play/statistics.h"

#include <benchmark/benchmark.h>

namespace {

using kvrbench::DataFile;
using kvrbench::RestoreFiles;
using kvrbench::WorkingFolder;

// The statistics pass over a full goal period and 10,000 past records, as a
// view runs it: from the store's copy of the history, read by a first pass.
void BM_ComputeStatistics(benchmark::State& state) {
    WorkingFolder folder;
    KVR_PlayData store;
    if (!folder.Ok() || !RestoreFiles({DataFile::History, DataFile::Play}) || store.Load() != 1) {
        state.SkipWithError("cannot prepare the data files");
        return;
    }
    // A copy read in the clock tick of the file's last change is read once
    // more by the next pass; after that the passes read no file.
    computeStatistics(store);
    computeStatistics(store);
    for (auto _ : state) {
        computeStatistics(store);
        benchmark::DoNotOptimize(store.Stats().allTime);
    }
    // Reads of history.dat in all, the two above included.
    state.counters["reads"] = static_cast<double>(store.Past().ReadCount());
}
BENCHMARK(BM_ComputeStatistics)->Unit(benchmark::kMicrosecond);

// The same pass with history.dat read afresh each time, as every pass did
// before the copy was kept (and as the first pass still does).
void BM_ComputeStatisticsReadingTheHistory(benchmark::State& state) {
    WorkingFolder folder;
    KVR_PlayData store;
    if (!folder.Ok() || !RestoreFiles({DataFile::History, DataFile::Play}) || store.Load() != 1) {
        state.SkipWithError("cannot prepare the data files");
        return;
    }
    for (auto _ : state) {
        computeStatistics(store, kvr::PastRecords::Read());
        benchmark::DoNotOptimize(store.Stats().allTime);
    }
}
BENCHMARK(BM_ComputeStatisticsReadingTheHistory)->Unit(benchmark::kMillisecond);

// Every phone-book entry's opponent figures, 200 people over the same records.
void BM_ComputeAllStats(benchmark::State& state) {
    WorkingFolder folder;
    KVR_PlayData play;
    KVR_PhoneData phone;
    if (!folder.Ok() || !RestoreFiles({DataFile::History, DataFile::Play, DataFile::Phone}) ||
        play.Load() != 1 || phone.Load() != 1) {
        state.SkipWithError("cannot prepare the data files");
        return;
    }
    phone.ComputeAllStats(play); // reads the history into the store's copy
    for (auto _ : state) {
        phone.ComputeAllStats(play);
        benchmark::DoNotOptimize(phone.At(0)->stats.winLossRecord.data());
    }
    state.counters["people"] = phone.Count();
}
BENCHMARK(BM_ComputeAllStats)->Unit(benchmark::kMillisecond);

} // namespace
