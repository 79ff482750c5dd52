// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/renderer.h"

#include <QString>

namespace kui {

// What the courtside notes form shows besides its fixed texts.
struct CourtFormData {
    QString playerName;
};

// The blank courtside notes form, drawn on a square area: the heading, the
// lines for the outing's facts and notes, the serve and return charting
// tables, the winners and unforced errors table and the stroke ratings grid
// (six strokes by four levels).
void DrawCourtForm(QPainter& painter, QSize size, const CourtFormData& data);

} // namespace kui
