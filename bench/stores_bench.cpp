// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench_support.h"
#include "charting/chart_store.h"
#include "schedule/sched_store.h"
#include "tips/tip_store.h"

#include <benchmark/benchmark.h>

namespace {

using kvrbench::DataFile;
using kvrbench::RestoreFiles;
using kvrbench::WorkingFolder;

// Loads one store's file again and again; the file is written once.
template <class Store> void LoadRepeatedly(benchmark::State& state, DataFile file, Store& store) {
    WorkingFolder folder;
    if (!folder.Ok() || !RestoreFiles({file})) {
        state.SkipWithError("cannot write the data file");
        return;
    }
    for (auto _ : state) {
        if (store.Load() != 1) {
            state.SkipWithError("load failed");
            break;
        }
    }
    state.counters["records"] = store.Count();
}

void BM_ChartLoad(benchmark::State& state) {
    KVR_ChartClass store;
    LoadRepeatedly(state, DataFile::Chart, store);
}
BENCHMARK(BM_ChartLoad)->Unit(benchmark::kMillisecond);

void BM_SchedLoad(benchmark::State& state) {
    SchedClass store;
    LoadRepeatedly(state, DataFile::Sched, store);
}
BENCHMARK(BM_SchedLoad)->Unit(benchmark::kMillisecond);

void BM_TipLoad(benchmark::State& state) {
    TipClass store;
    store.Select("Forehand");
    LoadRepeatedly(state, DataFile::Tips, store);
}
BENCHMARK(BM_TipLoad)->Unit(benchmark::kMillisecond);

} // namespace
