#include "app/application.h"
#include "bench_support.h"
#include "charting/chart_store.h"
#include "core/play_store.h"
#include "play/graphs.h"

#include <cstdio>
#include <fstream>

#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

namespace {

using kvrbench::DataFile;

TKvrWinApp* g_app = nullptr;

// One paint of a graph at 1920 x 1080 as its window paints it: the
// statistics pass over 30 current and 10,000 past records, the snapshot
// (with the 1,000 charts' newest thirty) and the drawing.
void BM_PaintGraph(benchmark::State& state) {
    const auto kind = static_cast<kui::GraphKind>(state.range(0));
    QImage image(1920, 1080, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&image);
        kui::DrawGraph(painter, image.size(),
                       kui::TakeGraphData(kind, g_app->PlayStore(), g_app->ChartStore()));
    }
    state.SetLabel(kui::GraphTitle(kind).toStdString());
}
BENCHMARK(BM_PaintGraph)->DenseRange(0, kui::kGraphKindCount - 1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    kvrbench::WorkingFolder folder;
    if (!folder.Ok() ||
        !kvrbench::RestoreFiles({DataFile::History, DataFile::Play, DataFile::Chart})) {
        std::fprintf(stderr, "cannot prepare the data files\n");
        return 1;
    }
    std::ofstream("coach.dat") << "Bench Player\r\n";
    TKvrWinApp app(argc, argv);
    if (!app.Ready())
        return 1;
    g_app = &app;
    app.PlayRecordsChanged(); // the figures as start-up leaves them
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
