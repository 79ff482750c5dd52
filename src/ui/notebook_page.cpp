// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/notebook_page.h"

#include <algorithm>
#include <cmath>

#include <QPainter>

namespace kui {

void DrawNotebookPage(QPainter& painter, QSize size) {
    painter.save();
    painter.scale(size.width() / double(kNotebookPageSize.width()),
                  size.height() / double(kNotebookPageSize.height()));
    painter.fillRect(QRect(QPoint(0, 0), kNotebookPageSize), QColor(0, 0, 160));
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
    painter.restore();
}

QImage NotebookPageImage(QSize size, qreal scale) {
    scale = scale > 0 ? scale : 1.0;
    QImage page(QSize(std::max(1, qRound(size.width() * scale)),
                      std::max(1, qRound(size.height() * scale))),
                QImage::Format_RGB32);
    page.setDevicePixelRatio(scale);
    QPainter painter(&page);
    DrawNotebookPage(painter, size);
    return page;
}

qreal DrawingScale(const QPainter& painter) {
    const QTransform transform = painter.combinedTransform();
    const qreal own = std::max(std::hypot(transform.m11(), transform.m12()),
                               std::hypot(transform.m21(), transform.m22()));
    const qreal device = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    return own > 0 ? own * device : device;
}

QImage NotebookPageImage() {
    QImage page(kNotebookPageSize, QImage::Format_RGB32);
    QPainter painter(&page);
    DrawNotebookPage(painter, page.size());
    return page;
}

} // namespace kui
