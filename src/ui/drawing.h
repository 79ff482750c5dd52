// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <initializer_list>

#include <QColor>
#include <QFont>
#include <QSize>
#include <QString>

class QPainter;
class QPaintDevice;

// The drawing kit of the views and printouts. Every view draws in
// proportion to its drawing area: positions are fractions of the width and
// height, fonts are given by two divisors of the area's size.
namespace kui {

// The smallest text cell the views draw, in pixels: below it a text is no
// longer read at a glance. Graph texts and button captions never go lower
// however small their window.
inline constexpr int kSmallestText = 11;

// `fraction` of `length`, with the fraction of a pixel dropped.
inline int Frac(int length, double fraction) {
    return static_cast<int>(length * fraction);
}

// "Arial" (Liberation Sans on Linux) with a character cell `height` pixels
// high and an average character width of `averageWidth` pixels, measured on
// `device` (the screen when null). A width of 0 keeps the face's own
// proportions.
QFont ArialFont(int height, int averageWidth, const QPaintDevice* device = nullptr);

// The font of a drawing area `area`: cell height area.height() / heightDivisor
// and average width area.width() / widthDivisor (integer divisions).
QFont ScaledFont(QSize area, int heightDivisor, int widthDivisor,
                 const QPaintDevice* device = nullptr);

// Selects the scaled font on the painter and returns its row unit.
int UseScaledFont(QPainter& painter, QSize area, int heightDivisor, int widthDivisor);

// The row unit of the painter's font: the height of the text "Test".
int RowUnit(const QPainter& painter);

// How a text stands to its reference point. The point is always the top of
// the text; the alignment says whether it is the left end, the centre or the
// right end.
enum class Align { Left, Center, Right };

// Draws one line of text with its top at y, in the painter's pen colour and
// with a transparent background.
void DrawText(QPainter& painter, int x, int y, const QString& text, Align align = Align::Left);

// Draws text word-wrapped inside the rectangle (left, top, right, bottom),
// from its top left corner; what does not fit is clipped.
void DrawWrappedText(QPainter& painter, int left, int top, int right, int bottom,
                     const QString& text);

// The width of the widest of `texts` in the painter's font.
int Widest(const QPainter& painter, std::initializer_list<QString> texts);

// Narrows the painter's font, keeping its height, until every one of
// `texts` fits in `room` pixels: a label of a small view then keeps to its
// place rather than run into its neighbour or off the view.
void NarrowToFit(QPainter& painter, std::initializer_list<QString> texts, int room);

// A raised panel: filled with `fill` and outlined in black, lit from the top
// left (white edges) with a light grey shadow edge on the right and bottom.
// The corners may be given in any order.
void RaisedPanel(QPainter& painter, int left, int top, int right, int bottom, const QColor& fill);

// The same panel pressed in: light grey top and left edges, white right and
// bottom edges.
void SunkenPanel(QPainter& painter, int left, int top, int right, int bottom, const QColor& fill);

// The light grey of panels and bevels.
inline QColor LightGrey() {
    return QColor(192, 192, 192);
}

} // namespace kui
