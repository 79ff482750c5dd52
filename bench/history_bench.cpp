#include "bench_support.h"
#include "core/history.h"

#include <benchmark/benchmark.h>

namespace {

using kvrbench::DataFile;
using kvrbench::RestoreFiles;
using kvrbench::SharedData;
using kvrbench::WorkingFolder;

// Reads every past record once, as the statistics and the notebook do.
void BM_HistoryFullPass(benchmark::State& state) {
    WorkingFolder folder;
    const auto expected = static_cast<int>(SharedData().History().size());
    if (!folder.Ok() || !RestoreFiles({DataFile::History})) {
        state.SkipWithError("cannot write history.dat");
        return;
    }
    KVR_History history;
    for (auto _ : state) {
        int records = 0;
        if (history.Rewind() == 1)
            while (history.ReadNext() == 1)
                ++records;
        benchmark::DoNotOptimize(records);
        if (records != expected) {
            state.SkipWithError("history read short");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * expected);
}
BENCHMARK(BM_HistoryFullPass)->Unit(benchmark::kMillisecond);

// The worst case of the sort: every record oldest first.
void BM_HistorySortByDateReversed(benchmark::State& state) {
    WorkingFolder folder;
    if (!folder.Ok()) {
        state.SkipWithError("cannot make a working folder");
        return;
    }
    KVR_History history;
    for (auto _ : state) {
        state.PauseTiming();
        bool restored = RestoreFiles({DataFile::ReversedHistory});
        state.ResumeTiming();
        if (!restored) {
            state.SkipWithError("cannot write history.dat");
            break;
        }
        if (history.SortByDate() != 1) {
            state.SkipWithError("SortByDate did not sort");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() *
                            static_cast<int64_t>(SharedData().History().size()));
}
BENCHMARK(BM_HistorySortByDateReversed)->Unit(benchmark::kMillisecond);

} // namespace
