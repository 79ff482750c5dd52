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

} // namespace kui
