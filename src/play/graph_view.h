// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/child.h"
#include "play/graphs.h"

// A window of one of the seven graphs. It draws from a snapshot taken when
// it opens and on every change signal (play records or charts), so a paint
// reads no file.
class TKvrGraphWin : public TKvrChild {
    Q_OBJECT
public:
    TKvrGraphWin(KvrClient& client, kui::GraphKind kind);

    kui::GraphKind Kind() const { return kind_; }
    void Render(QPainter& painter, QSize size) override;
    void StoresChanged() override;
    kui::ViewText Describe() override;

private:
    kui::GraphKind kind_;
    kui::GraphData data_;
};
