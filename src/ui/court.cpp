// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/court.h"

#include "ui/drawing.h"

#include <algorithm>

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>

namespace kui {

namespace {

// The rectangle from (left, top) up to, but not including, (right, bottom),
// filled with the brush and outlined with the pen.
void Box(QPainter& painter, int left, int top, int right, int bottom) {
    if (right - left >= 1 && bottom - top >= 1)
        painter.drawRect(left, top, right - left - 1, bottom - top - 1);
}

// The name's font: the font given, enlarged until its text is half the
// plate's height, and made smaller again (never below the font given) while
// the name is wider than `width`.
QFont NameFont(const QPainter& painter, const CourtData& data, int plateHeight, int width) {
    const QPaintDevice* device = painter.device();
    const int least = QFontMetrics(data.nameFont, device).height();
    const int wanted = plateHeight / 2;
    if (wanted <= least)
        return data.nameFont;
    QFont font = data.nameFont;
    font.setPixelSize(wanted);
    auto fits = [&](const QFont& tried) {
        const QFontMetrics metrics(tried, device);
        return metrics.height() <= wanted && metrics.horizontalAdvance(data.playerName) <= width;
    };
    while (font.pixelSize() > 1 && !fits(font)) {
        QFont smaller = font;
        smaller.setPixelSize(font.pixelSize() - 1);
        if (QFontMetrics(smaller, device).height() < least)
            break;
        font = smaller;
    }
    return QFontMetrics(font, device).height() < least ? data.nameFont : font;
}

} // namespace

void DrawCourt(QPainter& painter, QSize size, const CourtData& data) {
    const int W = size.width();
    const int H = size.height();
    const QColor clay(court::kClay);
    const QColor green(court::kGreen);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    QPen black(Qt::black, 0);
    QPen white(Qt::white, 0);
    painter.setPen(black);

    // Ground, sky and the clay in front.
    painter.setBrush(clay);
    Box(painter, 0, 0, W, H);
    painter.setBrush(QColor(court::kSky));
    Box(painter, 0, 0, W, 4 * H / 15);
    painter.setBrush(clay);
    Box(painter, 0, 4 * H / 15, W, H);

    // The screens behind and beside the court.
    const int screenLeft = Frac(W, 0.2);
    const int screenRight = W - Frac(W, 0.2);
    painter.setBrush(green);
    Box(painter, screenLeft, H / 5, Frac(W, 0.8) + 2, 4 * H / 15);
    painter.drawPolygon(QPolygon({QPoint(0, Frac(H, 0.3)), QPoint(screenLeft, H / 5),
                                  QPoint(screenLeft, 4 * H / 15), QPoint(0, Frac(H, 0.65))}));
    painter.drawPolygon(QPolygon({QPoint(W, Frac(H, 0.3)), QPoint(screenRight, H / 5),
                                  QPoint(screenRight, 4 * H / 15), QPoint(W, Frac(H, 0.65))}));
    painter.drawLine(screenLeft, H / 5, screenLeft, 4 * H / 15);
    painter.drawLine(screenRight, H / 5, screenRight, 4 * H / 15);

    // The court, outlined in white.
    const QPoint topLeft(W / 6 + W / 50 + W / 10, H / 3 + H / 50);
    const QPoint topRight(5 * W / 6 - W / 10, H / 3 + H / 50);
    const QPoint bottomRight(5 * W / 6 + W / 10, Frac(H, 0.95));
    const QPoint bottomLeft(W / 6 + W / 50 - W / 10, Frac(H, 0.95));
    painter.setPen(white);
    painter.setBrush(green);
    painter.drawPolygon(QPolygon({topLeft, topRight, bottomRight, bottomLeft}));

    // Singles sidelines, the service lines and the centre service line.
    painter.drawLine(topLeft + QPoint(W / 25, 0), bottomLeft + QPoint(2 * W / 25, 0));
    painter.drawLine(topRight - QPoint(W / 25, 0), bottomRight - QPoint(2 * W / 25, 0));
    painter.drawLine(W / 2, Frac(H, 0.45), W / 2, 3 * H / 4);
    painter.drawLine(bottomLeft.x() + Frac(W, 0.132), 3 * H / 4, bottomRight.x() - Frac(W, 0.132),
                     3 * H / 4);
    painter.drawLine(topLeft.x() + W / 50, Frac(H, 0.45), topRight.x() - W / 50, Frac(H, 0.45));

    // Net posts, the net and the white band along its top.
    painter.setPen(black);
    painter.setBrush(QColor(court::kPost));
    Box(painter, W / 6 + W / 50, H / 2, W / 6 + W / 25, 6 * H / 10);
    Box(painter, 5 * W / 6 - W / 50, H / 2, 5 * W / 6, 6 * H / 10);
    const QRect net(QPoint(W / 6 + 2 * (W / 50), H / 2 + H / 50),
                    QPoint(5 * W / 6 - W / 50 - 1, 6 * H / 10 - 1));
    painter.setPen(white);
    Box(painter, net.left(), net.top(), net.right() + 1, net.bottom() + 1);
    if (net.width() > 2 && net.height() > 2) {
        const int band = std::max(2, H / 120);
        painter.fillRect(QRect(net.left(), net.top(), net.width(), std::min(band, net.height())),
                         Qt::white);
        // The mesh: faint vertical and horizontal cords.
        painter.setPen(QPen(QColor(150, 60, 60), 0));
        const int step = std::max(4, W / 60);
        for (int x = net.left() + step; x < net.right(); x += step)
            painter.drawLine(x, net.top() + band, x, net.bottom() - 1);
        for (int y = net.top() + band + step / 2; y < net.bottom(); y += step / 2 + 1)
            painter.drawLine(net.left() + 1, y, net.right() - 1, y);
    }

    // The player's name on a raised panel.
    RaisedPanel(painter, Frac(W, 0.3), Frac(H, 0.92), Frac(W, 0.7), Frac(H, 0.98), LightGrey());
    painter.setPen(Qt::black);
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setFont(
        NameFont(painter, data, Frac(H, 0.98) - Frac(H, 0.92), Frac(W, 0.7) - Frac(W, 0.3) - 4));
    DrawText(painter, Frac(W, 0.5), Frac(H, 0.93), data.playerName, Align::Center);
    painter.restore();
}

} // namespace kui
