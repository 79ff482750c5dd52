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
QString SaveImage(const Picture& picture, QSize size, const QString& fileName);

// The picture as an image of `size` on a white ground.
QImage PictureImage(const Picture& picture, QSize size);

} // namespace kui
