#pragma once

#include <QImage>
#include <QSize>
#include <QString>

class QPainter;

namespace kvr {

// Colours of the court drawing.
namespace court {
inline constexpr QRgb kClay = qRgb(207, 68, 48);
inline constexpr QRgb kSky = qRgb(0, 60, 255);
inline constexpr QRgb kGreen = qRgb(60, 220, 60);
inline constexpr QRgb kPost = qRgb(99, 0, 0);
} // namespace court

// The main window's background: a tennis court seen from behind the
// baseline, scaled to `size`, with the player's name on a panel below it.
// The name is drawn in the painter's current font.
void DrawCourt(QPainter& painter, QSize size, const QString& playerName);

// The notebook page the notebooks and the tips view stretch over their
// client areas: a clipboard with a yellow writing pad on a blue ground,
// 640 by 480 pixels.
QImage DrawNotebookPage();

} // namespace kvr
