// SPDX-License-Identifier: GPL-3.0-or-later
// Importing outings from CSV: the generated data set (10,000 past outings
// and a goal period of 30) exported as the notes CSV, imported into an empty
// folder, against reading the same CSV once. The import reads the file,
// checks every row, compares it with the stored outings and writes play.dat
// and history.dat durably; the target is at most three times the reading.

#include "bench_support.h"
#include "core/play_store.h"
#include "core/safe_file.h"
#include "play/notes_csv.h"
#include "play/outings_csv.h"

#include <cstdio>
#include <filesystem>

#include <benchmark/benchmark.h>

namespace {

std::string g_csv; // the notes CSV's path

// Reading the file and checking its rows, as the preview does before any
// store is compared.
void BM_ReadOutingsCsv(benchmark::State& state) {
    std::size_t outings = 0;
    for (auto _ : state) {
        const auto contents = kvr::ReadWholeFile(g_csv);
        const kvr::OutingsCsv read = kvr::ReadOutingsCsv(*contents);
        outings = read.outings.size();
        benchmark::DoNotOptimize(read);
    }
    state.counters["outings"] = static_cast<double>(outings);
}
BENCHMARK(BM_ReadOutingsCsv)->Unit(benchmark::kMillisecond);

// The whole import into an empty folder: read, compare, back up (nothing to
// keep yet) and store.
void BM_ImportOutingsIntoEmptyFolder(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all("import");
        std::filesystem::create_directory("import");
        std::filesystem::current_path("import");
        state.ResumeTiming();

        const auto contents = kvr::ReadWholeFile(g_csv);
        KVR_PlayData play;
        play.Load();
        const kvr::OutingImport import = kvr::PrepareOutingImport(*contents, play);
        const kvr::StoredOutingImport stored = kvr::StoreOutingImport(play, import);
        if (stored.placed.result != kvr::PlacedOutings::Result::Stored)
            state.SkipWithError("the import failed");

        state.PauseTiming();
        std::filesystem::current_path("..");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ImportOutingsIntoEmptyFolder)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    kvrbench::WorkingFolder folder;
    if (!folder.Ok())
        return 1;
    std::filesystem::create_directory("source");
    std::filesystem::current_path("source");
    KVR_PlayData play;
    if (!kvrbench::SharedData().WriteAll().empty() || play.Load() != 1 ||
        !kui::ExportNotesCsv(QStringLiteral("../notes.csv"), play)) {
        std::fprintf(stderr, "cannot export the data set\n");
        return 1;
    }
    std::filesystem::current_path("..");
    g_csv = (folder.Path() / "notes.csv").string();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
