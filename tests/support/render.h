// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/renderer.h"

#include <functional>
#include <utility>

#include <QColor>
#include <QImage>
#include <QSize>

namespace kvrtest {

// Makes a QApplication for the tests of a program that has none yet (the
// drawing tests); it lives until the test program ends.
void EnsureApplication();

// The picture a drawing makes on an image of `size`, filled first with
// `background` (magenta, a colour no view uses, shows what was left undrawn).
QImage RenderToImage(const std::function<void(QPainter&, QSize)>& draw, QSize size,
                     QColor background = QColor(255, 0, 255));

// The same for a renderer and its snapshot.
template <class Data>
QImage RenderToImage(kui::Renderer<Data> renderer, QSize size, const Data& data,
                     QColor background = QColor(255, 0, 255)) {
    return RenderToImage([&](QPainter& painter, QSize area) { renderer(painter, area, data); },
                         size, background);
}

} // namespace kvrtest
