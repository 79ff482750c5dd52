// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/child.h"
#include "play/graphs.h"

// A window of one of the seven graphs. It keeps only its kind and draws
// from the stores each time it is painted.
class TKvrGraphWin : public TKvrChild {
    Q_OBJECT
public:
    TKvrGraphWin(KvrClient& client, kui::GraphKind kind);

    kui::GraphKind Kind() const { return kind_; }
    void Render(QPainter& painter, QSize size) override;
    kui::ViewText Describe() override;

private:
    kui::GraphKind kind_;
};
