// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench_support.h"
#include "core/history.h"
#include "core/play_store.h"
#include "core/safe_file.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>

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

// Files of a history of a given length, made once per run: history.dat,
// and two goal periods to close over it, one dated wholly after the history
// and one with a record older than the history's newest.
struct SizedFiles {
    int records = 0;
    std::string history;
    std::string orderedPlay;
    std::string unorderedPlay;
};

std::string PlayFileOf(const std::vector<PlayRecord>& records) {
    WorkingFolder folder;
    KVR_PlayData store;
    for (const PlayRecord& record : records)
        store.AddCopy(record);
    if (!folder.Ok() || store.Save() != 1)
        return {};
    return kvr::ReadWholeFile("play.dat").value_or(std::string());
}

const SizedFiles& FilesOfSize(int records) {
    static std::map<int, std::unique_ptr<SizedFiles>> made;
    auto& files = made[records];
    if (!files) {
        kvrbench::DataSetSize size;
        size.historyRecords = records;
        kvrbench::DataSet data(size);
        files = std::make_unique<SizedFiles>();
        files->records = records;
        files->history = data.HistoryFile();
        auto period = data.GoalPeriod();
        files->orderedPlay = PlayFileOf(period);
        // One outing logged late: dated in the middle of the history.
        period.front().date = data.History()[data.History().size() / 2].date;
        files->unorderedPlay = PlayFileOf(period);
    }
    return *files;
}

bool PutFiles(const std::string& history, const std::string& play) {
    return kvr::WriteFileAtomically(KVR_History::kFileName, history) &&
           (play.empty() || kvr::WriteFileAtomically("play.dat", play));
}

// Closing a goal period over a long history: whole StartNewGoalPeriod, its
// writes and syncs included. Argument 0: the period lies after the history;
// 1: one of its records is older than the history's newest, so the new
// history must be sorted.
void BM_Rollover(benchmark::State& state) {
    const SizedFiles& files = FilesOfSize(static_cast<int>(state.range(0)));
    const std::string& play = state.range(1) ? files.unorderedPlay : files.orderedPlay;
    WorkingFolder folder;
    if (!folder.Ok() || play.empty()) {
        state.SkipWithError("cannot make the files");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        auto store = std::make_unique<KVR_PlayData>();
        bool restored = PutFiles(files.history, play) && store->Load() == 1;
        state.ResumeTiming();
        if (!restored) {
            state.SkipWithError("cannot restore the data files");
            break;
        }
        if (store->StartNewGoalPeriod() != 1) {
            state.SkipWithError("StartNewGoalPeriod failed");
            break;
        }
        state.PauseTiming();
        store.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Rollover)
    ->ArgNames({"past", "unordered"})
    ->ArgsProduct({{10'000, 100'000}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

// The first full read of the history by a fresh reader, as a view or the
// statistics do it: open, header, every record built.
void BM_HistoryColdRead(benchmark::State& state) {
    const SizedFiles& files = FilesOfSize(static_cast<int>(state.range(0)));
    WorkingFolder folder;
    if (!folder.Ok() || !PutFiles(files.history, {})) {
        state.SkipWithError("cannot write history.dat");
        return;
    }
    for (auto _ : state) {
        KVR_History history;
        int records = 0;
        while (history.ReadNext() == 1)
            ++records;
        if (records != files.records) {
            state.SkipWithError("history read short");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * files.records);
}
BENCHMARK(BM_HistoryColdRead)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

// The floor for reading the history: the same file read line by line and
// each line split at its commas once, with nothing copied or converted.
void BM_HistoryReadFloor(benchmark::State& state) {
    const SizedFiles& files = FilesOfSize(static_cast<int>(state.range(0)));
    WorkingFolder folder;
    if (!folder.Ok() || !PutFiles(files.history, {})) {
        state.SkipWithError("cannot write history.dat");
        return;
    }
    for (auto _ : state) {
        std::FILE* input = std::fopen(KVR_History::kFileName, "rb");
        if (!input) {
            state.SkipWithError("cannot open history.dat");
            break;
        }
        char* line = nullptr;
        size_t capacity = 0;
        ssize_t length = ::getline(&line, &capacity, input); // the header
        int records = 0;
        size_t fields = 0;
        const char* commas[64];
        while ((length = ::getline(&line, &capacity, input)) > 2) {
            const char* end = line + length;
            size_t count = 0;
            for (const char* p = line; count < 64;) {
                p = static_cast<const char*>(std::memchr(p, ',', static_cast<size_t>(end - p)));
                if (!p)
                    break;
                commas[count++] = p++;
            }
            benchmark::DoNotOptimize(commas);
            fields += count + 1;
            ++records;
        }
        std::free(line);
        std::fclose(input);
        benchmark::DoNotOptimize(fields);
        if (records != files.records) {
            state.SkipWithError("history read short");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * files.records);
}
BENCHMARK(BM_HistoryReadFloor)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

} // namespace
