// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench_support.h"
#include "core/play_store.h"

#include <benchmark/benchmark.h>

namespace {

using kvrbench::DataFile;
using kvrbench::RestoreFiles;
using kvrbench::SharedData;
using kvrbench::WorkingFolder;

unsigned PeriodLength() {
    return static_cast<unsigned>(SharedData().GoalPeriod().size());
}

// Closing a full goal period into a long history.
void BM_StartNewGoalPeriod(benchmark::State& state) {
    WorkingFolder folder;
    if (!folder.Ok()) {
        state.SkipWithError("cannot make a working folder");
        return;
    }
    KVR_PlayData store;
    for (auto _ : state) {
        state.PauseTiming();
        bool restored = RestoreFiles({DataFile::History, DataFile::Play}) && store.Load() == 1 &&
                        store.Count() == PeriodLength();
        state.ResumeTiming();
        if (!restored) {
            state.SkipWithError("cannot restore the data files");
            break;
        }
        if (store.StartNewGoalPeriod() != 1) {
            state.SkipWithError("StartNewGoalPeriod failed");
            break;
        }
    }
}
BENCHMARK(BM_StartNewGoalPeriod)->Unit(benchmark::kMillisecond);

void BM_PlayDataLoadSave(benchmark::State& state) {
    WorkingFolder folder;
    if (!folder.Ok() || !RestoreFiles({DataFile::Play})) {
        state.SkipWithError("cannot write play.dat");
        return;
    }
    KVR_PlayData store;
    for (auto _ : state) {
        if (store.Load() != 1 || store.Count() != PeriodLength() || store.Save() != 1) {
            state.SkipWithError("play.dat load or save failed");
            break;
        }
    }
}
BENCHMARK(BM_PlayDataLoadSave)->Unit(benchmark::kMillisecond);

} // namespace
