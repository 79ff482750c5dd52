// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing/court_form.h"

#include "ui/drawing.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include <QFontMetrics>
#include <QPainter>

namespace kui {

namespace {

// The headings of a table, centred over its columns.
template <std::size_t N>
void ColumnHeadings(QPainter& painter, const int (&edges)[N + 1], int y,
                    const char* const (&texts)[N]) {
    for (std::size_t i = 0; i < N; ++i)
        DrawText(painter, (edges[i] + edges[i + 1]) / 2, y, QString::fromLatin1(texts[i]),
                 Align::Center);
}

} // namespace

void DrawCourtForm(QPainter& painter, QSize size, const CourtFormData& data) {
    const int w = size.width();
    const int h = size.height();
    // The layout was drawn on a window 500 units square; its gaps of 10
    // units are kept in proportion.
    const int gapX = Frac(w, 0.02);
    const int gapY = Frac(h, 0.02);

    const int left = Frac(w, 0.05);
    const int unit = h / 40;
    const int titleY = Frac(h, 0.03);
    const int right = Frac(w, 0.7);
    const int serveTop = Frac(h, 0.45);
    const int serveBottom = serveTop + Frac(h, 0.13);
    const int returnTop = serveBottom + gapY;
    const int returnBottom = returnTop + Frac(h, 0.13);
    const int strokesTop = returnBottom + gapY;
    const int strokesBottom = Frac(h, 0.99);
    const int ratingsLeft = right + gapX;
    const int ratingsRight = Frac(w, 0.97);
    const int columns[5] = {left, left + (right - left) / 3, left + 2 * (right - left) / 3,
                            left + 5 * (right - left) / 6, right};
    const int ratingsStep = (ratingsRight - ratingsLeft) / 7;
    const int ratingColumns[6] = {ratingsLeft,
                                  ratingsLeft + 3 * ratingsStep,
                                  ratingsLeft + 4 * ratingsStep,
                                  ratingsLeft + 5 * ratingsStep,
                                  ratingsLeft + 6 * ratingsStep,
                                  ratingsRight};

    painter.save();
    painter.setBackgroundMode(Qt::TransparentMode);
    // Lines as thick as one unit of the 500-unit window: they print visibly
    // on any printer.
    painter.setPen(QPen(Qt::black, std::max(1, std::min(w, h) / 500)));
    painter.setBrush(Qt::NoBrush);

    // The charting tables.
    for (const auto& [top, bottom] :
         {std::pair{serveTop, serveBottom}, {returnTop, returnBottom}}) {
        painter.drawRect(left, top, right - left, bottom - top);
        painter.drawLine(left, top + 2 * unit, right, top + 2 * unit);
        for (int i = 1; i < 4; ++i)
            painter.drawLine(columns[i], top, columns[i], bottom);
    }
    painter.drawRect(left, strokesTop, right - left, strokesBottom - strokesTop);

    // The ratings grid.
    painter.drawRect(ratingsLeft, serveTop, ratingsRight - ratingsLeft, returnBottom - serveTop);
    painter.drawLine(ratingsLeft, serveTop + 2 * unit, ratingsRight, serveTop + 2 * unit);
    for (int i = 1; i < 5; ++i)
        painter.drawLine(ratingColumns[i], serveTop, ratingColumns[i], returnBottom);

    // The winners and errors table: a heading row and four stroke rows.
    const int divider = Frac(left + right, 0.6);
    painter.drawLine(divider, strokesTop, divider, strokesBottom);
    const int rowsTop = strokesTop + 2 * unit;
    painter.drawLine(left, rowsTop, right, rowsTop);
    for (int i = 1; i < 4; ++i) {
        const int y = rowsTop + i * (strokesBottom - rowsTop) / 4;
        painter.drawLine(left, y, right, y);
    }

    const int centre = Frac(w, 0.5);
    painter.setFont(ScaledFont(size, 40, 65, painter.device()));
    DrawText(painter, centre, titleY, QStringLiteral("Kavora Courtside Notes"), Align::Center);
    DrawText(painter, centre, titleY + unit, data.playerName, Align::Center);

    painter.setFont(ScaledFont(size, 50, 80, painter.device()));
    const int factsRight = Frac(w, 0.8);
    int row = 3;
    for (const char* label : {"DATE:", "S/D:", "M/P/L:", "TIME:", "SCORE:"})
        DrawText(painter, factsRight, titleY + row++ * unit, QString::fromLatin1(label),
                 Align::Right);
    DrawText(painter, left, titleY + 3 * unit, QStringLiteral("OPPONENT(S):"));
    DrawText(painter, left, titleY + 4 * unit, QStringLiteral("PARTNER:"));
    DrawText(painter, left, titleY + 6 * unit, QStringLiteral("MATCH NOTES:"));
    DrawText(painter, left, titleY + 11 * unit, QStringLiteral("PRACTICE NOTES:"));
    DrawText(painter, (left + right) / 2, serveTop - unit, QStringLiteral("STROKE CHARTING"),
             Align::Center);
    DrawText(painter, (ratingsLeft + ratingsRight) / 2, serveTop - unit,
             QStringLiteral("STROKE RATINGS"), Align::Center);

    painter.setFont(ScaledFont(size, 60, 85, painter.device()));
    ColumnHeadings(painter, columns, serveTop + unit / 2,
                   {"1st Serve Attempts", "1st Serves in Play", "Winners", "Dbl Faults"});
    ColumnHeadings(painter, columns, returnTop + unit / 2,
                   {"Return Attempts", "In Play", "Winners", "Errors"});
    ColumnHeadings(painter, ratingColumns, serveTop + unit / 2, {"Level", "1", "2", "3", "4"});
    // Each stroke's row of the ratings grid between two lines, its name
    // centred between them: the heading's line above the first, a line
    // under each.
    const int tableText = QFontMetrics(painter.font(), painter.device()).height();
    row = 3;
    for (const char* stroke : {"Forehand", "Backhand", "Serve", "Return", "Approach", "Volley"}) {
        const int y = serveTop + row++ * unit;
        DrawText(painter, (ratingColumns[0] + ratingColumns[1]) / 2, y, QString::fromLatin1(stroke),
                 Align::Center);
        const int under = y + (tableText + unit) / 2;
        painter.drawLine(ratingsLeft, under, ratingsRight, under);
    }

    const int strokeX = Frac(right, 0.2);
    DrawText(painter, strokeX, strokesTop + unit, QStringLiteral("Stroke"), Align::Center);
    DrawText(painter, Frac(right, 0.5), strokesTop + unit, QStringLiteral("Winners"),
             Align::Center);
    DrawText(painter, Frac(right, 0.8), strokesTop + unit, QStringLiteral("Unforced Errors"),
             Align::Center);
    row = 3;
    for (const char* stroke : {"Forehand:", "Backhand:", "Approach Shot:", "Volley:"}) {
        DrawText(painter, strokeX, strokesTop + row * unit, QString::fromLatin1(stroke),
                 Align::Center);
        row += 2;
    }
    painter.restore();
}

} // namespace kui
