// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QSize>

class QPainter;

namespace kui {

// The size the notebook page is drawn at.
inline constexpr QSize kNotebookPageSize(640, 480);

// The notebook page the notebooks and the tips view stretch over their
// client areas: a clipboard with a yellow writing pad on a blue ground,
// drawn at kNotebookPageSize and scaled to `size`. It shows no data.
void DrawNotebookPage(QPainter& painter, QSize size);

// The page as a picture of kNotebookPageSize, to stretch over a view.
QImage NotebookPageImage();

// The page drawn for a view of `size` on a device of `scale` device pixels
// to a pixel (a high-density screen): an image of size x scale pixels whose
// device pixel ratio is `scale`, so it is drawn over the view pixel for
// pixel, never stretched.
QImage NotebookPageImage(QSize size, qreal scale);

// How many device pixels a pixel of the drawing takes on the painter's
// device: its device pixel ratio times the painter's own scaling (a picture
// saved at twice its size). A picture drawn for the painter at this scale
// is as sharp as the device.
qreal DrawingScale(const QPainter& painter);

} // namespace kui
