#include "bench_support.h"
#include "core/history.h"
#include "core/play_store.h"
#include "core/safe_file.h"

#include <benchmark/benchmark.h>

namespace {

using kvrbench::RestoreFile;
using kvrbench::SharedData;
using kvrbench::WorkingFolder;

// play.dat as the play store writes it for the generated goal period.
const std::string& PlayFile() {
    static const std::string text = [] {
        WorkingFolder folder;
        if (!folder.Ok() || SharedData().WritePlayFile() != 1)
            return std::string();
        return kvr::ReadWholeFile("play.dat").value_or(std::string());
    }();
    return text;
}

// Closing a full goal period into a long history.
void BM_StartNewGoalPeriod(benchmark::State& state) {
    WorkingFolder folder;
    const auto& data = SharedData();
    const std::string history = data.HistoryFile();
    const auto periodLength = static_cast<unsigned>(data.GoalPeriod().size());
    if (!folder.Ok() || PlayFile().empty()) {
        state.SkipWithError("cannot prepare the data files");
        return;
    }
    KVR_PlayData store;
    for (auto _ : state) {
        state.PauseTiming();
        bool restored = RestoreFile(KVR_History::kFileName, history) &&
                        RestoreFile("play.dat", PlayFile()) && store.Load() == 1 &&
                        store.Count() == periodLength;
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
    const auto periodLength = static_cast<unsigned>(SharedData().GoalPeriod().size());
    if (!folder.Ok() || PlayFile().empty() || !RestoreFile("play.dat", PlayFile())) {
        state.SkipWithError("cannot write play.dat");
        return;
    }
    KVR_PlayData store;
    for (auto _ : state) {
        if (store.Load() != 1 || store.Count() != periodLength || store.Save() != 1) {
            state.SkipWithError("play.dat load or save failed");
            break;
        }
    }
}
BENCHMARK(BM_PlayDataLoadSave)->Unit(benchmark::kMillisecond);

} // namespace
