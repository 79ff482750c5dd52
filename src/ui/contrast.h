// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>

// Legible colours where the program chooses them: a text it colours itself
// (a warning red, say) keeps a contrast of at least 4.5:1 to what it stands
// on, on a light desktop palette and on a dark one.
namespace kui {

// The contrast ratio of two colours, from 1 (the same) to 21 (black on
// white), by their relative luminance.
double ContrastRatio(const QColor& a, const QColor& b);

// `wanted` itself when it stands out from `background` by at least
// `ratio`; otherwise the same hue made darker (on a light background) or
// lighter (on a dark one) until it does.
QColor ReadableOn(const QColor& wanted, const QColor& background, double ratio = 4.5);

} // namespace kui
