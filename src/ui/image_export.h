// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

#include <QImage>
#include <QSize>
#include <QString>

class QPainter;

namespace kui {

// A whole picture drawn at the size it is given: a view's Render.
using Picture = std::function<void(QPainter& painter, QSize size)>;

// True when `fileName` ends in a suffix SaveImage can write (.png, .svg,
// .pdf, in any case).
bool IsImageFileName(const QString& fileName);

// Draws `picture` at `size` into `fileName`: a PNG, SVG or PDF file by its
// suffix. Returns the empty text when the file was written, else why not.
// With a `scale` above 1 the file is `scale` times as large, the picture
// laid out at `size` and drawn at that density (a high-density picture).
QString SaveImage(const Picture& picture, QSize size, const QString& fileName, qreal scale = 1);

// The picture as an image of `size` on a white ground; with `scale`, an
// image of `scale` times as many pixels each way, with that device pixel
// ratio.
QImage PictureImage(const Picture& picture, QSize size, qreal scale = 1);

} // namespace kui
