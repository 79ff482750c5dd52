#include "bench_support.h"
#include "core/play_store.h"
#include "phonebook/phone_store.h"
#include "play/statistics.h"

#include <benchmark/benchmark.h>

namespace {

using kvrbench::DataFile;
using kvrbench::RestoreFiles;
using kvrbench::WorkingFolder;

// The statistics pass over a full goal period and 10,000 past records.
void BM_ComputeStatistics(benchmark::State& state) {
    WorkingFolder folder;
    KVR_PlayData store;
    if (!folder.Ok() || !RestoreFiles({DataFile::History, DataFile::Play}) || store.Load() != 1) {
        state.SkipWithError("cannot prepare the data files");
        return;
    }
    for (auto _ : state) {
        computeStatistics(store);
        benchmark::DoNotOptimize(store.Stats().allTime);
    }
}
BENCHMARK(BM_ComputeStatistics)->Unit(benchmark::kMillisecond);

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
    for (auto _ : state) {
        phone.ComputeAllStats(play);
        benchmark::DoNotOptimize(phone.At(0)->stats.winLossRecord.data());
    }
    state.counters["people"] = phone.Count();
}
BENCHMARK(BM_ComputeAllStats)->Unit(benchmark::kMillisecond);

} // namespace
