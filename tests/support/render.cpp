// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/render.h"

#include <QApplication>
#include <QPainter>

namespace kvrtest {

void EnsureApplication() {
    static int argc = 1;
    static char name[] = "kavora_tests";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance())
        new QApplication(argc, argv);
}

QImage RenderToImage(const std::function<void(QPainter&, QSize)>& draw, QSize size,
                     QColor background) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(background);
    QPainter painter(&image);
    draw(painter, size);
    return image;
}

} // namespace kvrtest
