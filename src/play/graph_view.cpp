// SPDX-License-Identifier: GPL-3.0-or-later
#include "play/graph_view.h"

#include "app/application.h"
#include "core/play_store.h"
#include "play/graph_text.h"
#include "play/play_commands.h"

TKvrGraphWin::TKvrGraphWin(KvrClient& client, kui::GraphKind kind)
    : TKvrChild(client, kui::FirstGraphView + static_cast<int>(kind), kui::GraphTitle(kind)),
      kind_(kind) {
    RepaintOn({kui::Store::Play, kui::Store::Chart});
    StoresChanged();
}

void TKvrGraphWin::StoresChanged() {
    KVR_PlayData& play = App().PlayStore();
    const PlayStatistics& figures = App().PlayFigures();
    data_ = kui::TakeGraphData(kind_, play, play.Past(), figures, App().ChartStore());
}

void TKvrGraphWin::Render(QPainter& painter, QSize size) {
    kui::DrawGraph(painter, size, data_);
}

kui::ViewText TKvrGraphWin::Describe() {
    return kui::GraphText(data_);
}
