// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/renderer.h"

#include <QFont>
#include <QRgb>
#include <QSize>
#include <QString>

namespace kui {

// Colours of the court drawing.
namespace court {
inline constexpr QRgb kClay = qRgb(207, 68, 48);
inline constexpr QRgb kSky = qRgb(0, 60, 255);
inline constexpr QRgb kGreen = qRgb(60, 220, 60);
inline constexpr QRgb kPost = qRgb(99, 0, 0);
} // namespace court

// What the court shows: the player's name and the font it is written in, at
// the least size it takes (the name grows with its plate).
struct CourtData {
    QString playerName;
    QFont nameFont;
};

// The main window's background: a tennis court seen from behind the
// baseline, scaled to `size`, with the player's name on a panel below it,
// its text half the panel's height (never smaller than the font given) and
// narrower where the panel is too short for it.
void DrawCourt(QPainter& painter, QSize size, const CourtData& data);

} // namespace kui
