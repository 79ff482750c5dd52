#include "bench_support.h"
#include "core/play_store.h"
#include "play/spreadsheet.h"
#include "play/statistics.h"

#include <cstdio>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

namespace {

using kvrbench::DataFile;

// One paint of the spreadsheet at 1920 x 1080 over a full goal period and
// 10,000 past records, as the view paints: the statistics pass from the
// store's copy of the history, the snapshot, then the drawing.
void BM_PaintSpreadsheet(benchmark::State& state) {
    KVR_PlayData play;
    if (play.Load() != 1) {
        state.SkipWithError("cannot read play.dat");
        return;
    }
    // The first passes read history.dat into the store's copy; paints do not.
    computeStatistics(play);
    computeStatistics(play);
    QImage image(1920, 1080, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&image);
        computeStatistics(play);
        kui::DrawSpreadsheet(painter, image.size(),
                             kui::SpreadsheetSnapshot(play, QStringLiteral("Bench Player")));
    }
    state.counters["records"] = play.Count();
}
BENCHMARK(BM_PaintSpreadsheet)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    kvrbench::WorkingFolder folder;
    if (!folder.Ok() || !kvrbench::RestoreFiles({DataFile::History, DataFile::Play})) {
        std::fprintf(stderr, "cannot prepare the data files\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
