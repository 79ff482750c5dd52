// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/application.h"
#include "app/child.h"
#include "app/client.h"
#include "app/command_table.h"
#include "bench_support.h"
#include "core/play_store.h"
#include "play/statistics.h"
#include "root/all_commands.h"
#include "tips/tip_store.h"

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

// The paint of every view that can be drawn by name, at 1920 x 1080, over the
// large data set: 10,000 past records, a full goal period, 1,000 charts,
// 500 forehand tips.
namespace {

const QSize kSize(1920, 1080);

// One view's paint into an image of the screen's size: its snapshot taken
// from the stores and its renderer, as each repaint does.
void PaintView(benchmark::State& state, TKvrChild* view) {
    QImage image(kSize, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        view->Render(painter, kSize);
    }
}

// The statistics pass over the past records and the goal period, which the
// change signal runs before every repaint after a change.
void Statistics(benchmark::State& state, KVR_PlayData* play) {
    for (auto _ : state)
        computeStatistics(*play);
}

// 500 forehand tips, a quarter at each level, for the tips view.
bool WriteTips() {
    TipClass tips;
    tips.Select("Forehand");
    for (int i = 0; i < 500; ++i) {
        TipRecord tip;
        tip.stroke = "Forehand";
        tip.kind = "T";
        tip.level = i % 4 + 1;
        tip.frequencyRating = i % 11;
        tip.tipText =
            "Turn the shoulders early and meet the ball in front, tip " + std::to_string(i);
        tips.AddCopy(tip);
    }
    return tips.Save() == 1;
}

// Opening the tips view's store: selecting the stroke and reading its file.
void LoadTips(benchmark::State& state, TipClass* tips) {
    for (auto _ : state) {
        tips->Select("Backhand");
        tips->Select("Forehand");
        tips->Load();
    }
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    kvrbench::WorkingFolder folder;
    if (!folder.Ok() || !kvrbench::SharedData().WriteAll().empty() || !WriteTips()) {
        std::fprintf(stderr, "cannot prepare the data files\n");
        return 1;
    }
    std::ofstream("coach.dat") << "Bench Player\r\n";
    TKvrWinApp app(argc, argv, TKvrWinApp::StartMode::ReadOnly);
    if (!app.Ready())
        return 1;
    kui::CommandTable table;
    kui::AddAllCommands(table);
    KvrClient client(app, table);
    std::vector<std::unique_ptr<TKvrChild>> views;
    for (const kui::ViewRow& row : table.Views()) {
        views.emplace_back(row.make(client));
        views.back()->resize(kSize);
        benchmark::RegisterBenchmark(("BM_Paint/" + row.name).toStdString().c_str(), PaintView,
                                     views.back().get())
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("BM_LoadTips", LoadTips, &app.TipStore())
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_Statistics", Statistics, &app.PlayStore())
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
