// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/drawing.h"

#include <algorithm>
#include <cmath>

#include <QFontMetrics>
#include <QPainter>

namespace kui {

namespace {

// The edges of a panel. Lines leave out their end point and the outline
// covers the rectangle up to, but not including, its right and bottom
// coordinates, so the black outline shows inside the lighter edges on the
// right and bottom.
void Panel(QPainter& painter, int left, int top, int right, int bottom, const QColor& fill,
           const QColor& topLeft, const QColor& bottomRight) {
    if (right < left)
        std::swap(left, right);
    if (bottom < top)
        std::swap(top, bottom);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    QPen pen(Qt::black, 0);
    painter.setPen(pen);
    painter.setBrush(fill);
    if (right - left >= 1 && bottom - top >= 1)
        painter.drawRect(left, top, right - left - 1, bottom - top - 1);

    pen.setColor(topLeft);
    painter.setPen(pen);
    if (bottom > top) // (left, bottom) to (left, top)
        painter.drawLine(left, bottom, left, top + 1);
    if (right > left) // to (right, top)
        painter.drawLine(left, top, right - 1, top);

    pen.setColor(bottomRight);
    painter.setPen(pen);
    if (bottom > top + 1) // (right, top + 1) to (right, bottom)
        painter.drawLine(right, top + 1, right, bottom - 1);
    if (right > left + 1) // to (left + 1, bottom)
        painter.drawLine(right, bottom, left + 2, bottom);
    painter.restore();
}

} // namespace

QFont ArialFont(int height, int averageWidth, const QPaintDevice* device) {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(QFont::Normal);
    height = std::max(height, 1);
    // The cell height (ascent plus descent) is what the divisors give; the
    // pixel size Qt asks for is the em height, a little smaller.
    font.setPixelSize(height);
    QFontMetricsF metrics(font, device);
    if (metrics.height() > 0) {
        int em = static_cast<int>(std::lround(height * height / metrics.height()));
        font.setPixelSize(std::max(em, 1));
    }
    if (averageWidth > 0) {
        QFontMetricsF natural(font, device);
        double average = natural.averageCharWidth();
        if (average > 0) {
            int stretch = static_cast<int>(std::lround(100.0 * averageWidth / average));
            font.setStretch(std::clamp(stretch, 1, 4000));
        }
    }
    return font;
}

QFont ScaledFont(QSize area, int heightDivisor, int widthDivisor, const QPaintDevice* device) {
    int height = heightDivisor > 0 ? area.height() / heightDivisor : 0;
    int width = widthDivisor > 0 ? area.width() / widthDivisor : 0;
    return ArialFont(height, width, device);
}

int UseScaledFont(QPainter& painter, QSize area, int heightDivisor, int widthDivisor) {
    painter.setFont(ScaledFont(area, heightDivisor, widthDivisor, painter.device()));
    return RowUnit(painter);
}

int RowUnit(const QPainter& painter) {
    return painter.fontMetrics().size(Qt::TextSingleLine, QStringLiteral("Test")).height();
}

void DrawText(QPainter& painter, int x, int y, const QString& text, Align align) {
    QFontMetrics metrics = painter.fontMetrics();
    int width = metrics.horizontalAdvance(text);
    int left = x;
    if (align == Align::Center)
        left = x - width / 2;
    else if (align == Align::Right)
        left = x - width;
    painter.drawText(left, y + metrics.ascent(), text);
}

void DrawWrappedText(QPainter& painter, int left, int top, int right, int bottom,
                     const QString& text) {
    QRect rect(QPoint(std::min(left, right), std::min(top, bottom)),
               QPoint(std::max(left, right) - 1, std::max(top, bottom) - 1));
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    painter.drawText(rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
    painter.restore();
}

int Widest(const QPainter& painter, std::initializer_list<QString> texts) {
    int widest = 0;
    for (const QString& text : texts)
        widest = std::max(widest, painter.fontMetrics().horizontalAdvance(text));
    return widest;
}

void NarrowToFit(QPainter& painter, std::initializer_list<QString> texts, int room) {
    const int widest = Widest(painter, texts);
    if (widest <= room || widest <= 0)
        return;
    QFont font = painter.font();
    const int stretch = font.stretch() > 0 ? font.stretch() : 100;
    font.setStretch(std::max(1, stretch * std::max(room, 1) / widest));
    painter.setFont(font);
    // Stretches are whole percents: a step further while rounding leaves a
    // text a pixel too wide.
    while (font.stretch() > 1 && Widest(painter, texts) > room) {
        font.setStretch(font.stretch() - 1);
        painter.setFont(font);
    }
}

void RaisedPanel(QPainter& painter, int left, int top, int right, int bottom, const QColor& fill) {
    Panel(painter, left, top, right, bottom, fill, Qt::white, LightGrey());
}

void SunkenPanel(QPainter& painter, int left, int top, int right, int bottom, const QColor& fill) {
    Panel(painter, left, top, right, bottom, fill, LightGrey(), Qt::white);
}

} // namespace kui
