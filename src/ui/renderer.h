// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSize>

class QPainter;

// How every view and printout is drawn.
//
// A view's picture is made by a renderer: a free function
//
//     void DrawSomething(QPainter& painter, QSize size, const SomethingData& data);
//
// (a QRectF in place of the size for a part of a page). It draws everything,
// in proportion to `size`, from `data` alone: a plain snapshot the caller
// took from the stores before painting, never a store and never a file.
// The widget's paintEvent, the printout and the tests call the same
// function, so what a test checks on an image is what the player sees.
namespace kui {

template <class Data> using Renderer = void (*)(QPainter& painter, QSize size, const Data& data);

} // namespace kui
