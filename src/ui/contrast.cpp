// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/contrast.h"

#include <cmath>

namespace kui {
namespace {

double Channel(double value) {
    return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double Luminance(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return 0.2126 * Channel(rgb.redF()) + 0.7152 * Channel(rgb.greenF()) +
           0.0722 * Channel(rgb.blueF());
}

} // namespace

double ContrastRatio(const QColor& a, const QColor& b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ReadableOn(const QColor& wanted, const QColor& background, double ratio) {
    if (ContrastRatio(wanted, background) >= ratio)
        return wanted;
    // Darker on a light ground, lighter on a dark one, a step of lightness at
    // a time; black or white at the end always gets there when anything does.
    const bool darken = Luminance(background) > 0.18;
    float hue = 0;
    float saturation = 0;
    float lightness = 0;
    float alpha = 1;
    wanted.toHsl().getHslF(&hue, &saturation, &lightness, &alpha);
    for (int step = 0; step < 100; ++step) {
        lightness = darken ? std::max(0.0f, lightness - 0.02f) : std::min(1.0f, lightness + 0.02f);
        const QColor candidate = QColor::fromHslF(hue, saturation, lightness, alpha);
        if (ContrastRatio(candidate, background) >= ratio)
            return candidate.toRgb();
    }
    return darken ? QColor(Qt::black) : QColor(Qt::white);
}

} // namespace kui
