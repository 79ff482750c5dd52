// SPDX-License-Identifier: GPL-3.0-or-later
#include "play/graph_view.h"

#include "app/application.h"
#include "play/graph_text.h"
#include "play/play_commands.h"

TKvrGraphWin::TKvrGraphWin(KvrClient& client, kui::GraphKind kind)
    : TKvrChild(client, kui::FirstGraphView + static_cast<int>(kind), kui::GraphTitle(kind)),
      kind_(kind) {}

void TKvrGraphWin::Render(QPainter& painter, QSize size) {
    kui::DrawGraph(painter, size, kui::TakeGraphData(kind_, App().PlayStore(), App().ChartStore()));
}

kui::ViewText TKvrGraphWin::Describe() {
    return kui::GraphText(kui::TakeGraphData(kind_, App().PlayStore(), App().ChartStore()));
}
