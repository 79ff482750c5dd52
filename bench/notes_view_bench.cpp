// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/application.h"
#include "app/client.h"
#include "bench_support.h"
#include "core/play_store.h"
#include "play/notes_notebook.h"
#include "play/play_commands.h"
#include "root/all_commands.h"
#include "ui/message.h"

#include <cstdio>
#include <fstream>

#include <QDialog>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

namespace {

using kvrbench::DataFile;

TKvrBrowseWin* g_view = nullptr;

// Answers Yes to every question and closes every dialog at once.
class YesResponder : public kui::Responder {
public:
    void Told(const kui::Message&) override {}
    bool Answer(const kui::Message&) override { return true; }
    int Run(QDialog& dialog) override {
        dialog.reject();
        return dialog.result();
    }
};

// A paint of a past page at 1920 x 1080, with 10,000 past records behind
// it (the current page is measured with every other view in view_bench).
void BM_PaintPastPage(benchmark::State& state) {
    YesResponder responder;
    kui::SetResponder(&responder);
    while (!g_view->BrowsingPast())
        g_view->Older();
    QImage image(1920, 1080, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        g_view->Render(painter, image.size());
    }
    kui::SetResponder(nullptr);
}
BENCHMARK(BM_PaintPastPage)->Unit(benchmark::kMillisecond);

// "&>>" through the past notes: each click reads the next record (the
// end of the history goes back to the current notes and in again).
void BM_TurnPastPage(benchmark::State& state) {
    YesResponder responder;
    kui::SetResponder(&responder);
    for (auto _ : state)
        g_view->Older();
    kui::SetResponder(nullptr);
}
BENCHMARK(BM_TurnPastPage)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    kvrbench::WorkingFolder folder;
    if (!folder.Ok() ||
        !kvrbench::RestoreFiles({DataFile::History, DataFile::Phone, DataFile::Play})) {
        std::fprintf(stderr, "cannot prepare the data files\n");
        return 1;
    }
    std::ofstream("coach.dat") << "Bench Player\r\n";
    TKvrWinApp app(argc, argv);
    if (!app.Ready())
        return 1;
    kui::CommandTable commands;
    kui::AddAllCommands(commands);
    app.InitMainWindow(std::move(commands));
    app.RecordsChanged(kui::Store::Play);
    g_view = qobject_cast<TKvrBrowseWin*>(app.Client()->OpenView(
        kui::BrowseNotesView, [&app] { return new TKvrBrowseWin(*app.Client()); }));
    if (!g_view)
        return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
