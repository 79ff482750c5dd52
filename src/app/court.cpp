#include "app/court.h"

#include "ui/drawing.h"

#include <algorithm>

#include <QPainter>
#include <QPolygon>

namespace kvr {

using kui::Frac;

namespace {

// The rectangle from (left, top) up to, but not including, (right, bottom),
// filled with the brush and outlined with the pen.
void Box(QPainter& painter, int left, int top, int right, int bottom) {
    if (right - left >= 1 && bottom - top >= 1)
        painter.drawRect(left, top, right - left - 1, bottom - top - 1);
}

} // namespace

void DrawCourt(QPainter& painter, QSize size, const QString& playerName) {
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
    kui::RaisedPanel(painter, Frac(W, 0.3), Frac(H, 0.92), Frac(W, 0.7), Frac(H, 0.98),
                     kui::LightGrey());
    painter.setPen(Qt::black);
    painter.setBackgroundMode(Qt::TransparentMode);
    kui::DrawText(painter, Frac(W, 0.5), Frac(H, 0.93), playerName, kui::Align::Center);
    painter.restore();
}

QImage DrawNotebookPage() {
    QImage page(640, 480, QImage::Format_RGB32);
    page.fill(QColor(0, 0, 160));
    QPainter painter(&page);
    painter.setRenderHint(QPainter::Antialiasing, true);

    // A slightly lighter blue weave on the ground.
    painter.setPen(QPen(QColor(20, 20, 185), 1));
    for (int x = -480; x < 640; x += 12)
        painter.drawLine(x, 480, x + 480, 0);

    // The hardboard clipboard with its shadow.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 60, 140));
    painter.drawRoundedRect(QRectF(30, 14, 596, 474), 18, 18);
    painter.setBrush(QColor(150, 98, 48));
    painter.drawRoundedRect(QRectF(22, 6, 596, 474), 18, 18);
    painter.setBrush(QColor(170, 116, 62));
    painter.drawRoundedRect(QRectF(28, 12, 584, 462), 14, 14);

    // The yellow writing pad: blue rules and a red margin.
    const QRectF pad(44, 96, 552, 384);
    painter.setBrush(QColor(90, 70, 30, 120));
    painter.drawRect(pad.translated(4, 4));
    painter.setBrush(QColor(255, 245, 130));
    painter.drawRect(pad);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(QColor(120, 160, 230), 1));
    for (int y = 150; y < 478; y += 20)
        painter.drawLine(int(pad.left()) + 1, y, int(pad.right()) - 1, y);
    painter.setPen(QPen(QColor(230, 80, 80), 1));
    painter.drawLine(46, 97, 46, 479);
    painter.drawLine(49, 97, 49, 479);

    // The metal clip that holds the pad.
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(QColor(90, 90, 100), 2));
    painter.setBrush(QColor(200, 200, 210));
    painter.drawRoundedRect(QRectF(220, 20, 200, 96), 14, 14);
    painter.setBrush(QColor(160, 160, 172));
    painter.drawRoundedRect(QRectF(250, 72, 140, 36), 8, 8);
    painter.setBrush(QColor(230, 230, 238));
    painter.drawEllipse(QPointF(320, 44), 16, 12);
    painter.setBrush(QColor(0, 0, 160));
    painter.drawEllipse(QPointF(320, 44), 8, 6);
    return page;
}

} // namespace kvr
