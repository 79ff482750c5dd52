// SPDX-License-Identifier: GPL-3.0-or-later
// The program icon is compiled into every program that links kavora_gui,
// under the name the application uses.
#include "app/app_id.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <gtest/gtest.h>

namespace {

TEST(IconResource, IsLinkedInAndRenders) {
    ASSERT_TRUE(QFile::exists(QString::fromLatin1(kui::kAppIconResource)))
        << kui::kAppIconResource << " is not in the program";

    QSvgRenderer renderer(QString::fromLatin1(kui::kAppIconResource));
    ASSERT_TRUE(renderer.isValid());
    EXPECT_EQ(renderer.defaultSize(), QSize(256, 256));

    // Drawn at 48 pixels: transparent corners, an opaque centre.
    QImage image(48, 48, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        renderer.render(&painter, QRectF(0, 0, 48, 48));
    }
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(47, 47)), 0);
    EXPECT_EQ(qAlpha(image.pixel(24, 24)), 255);
}

} // namespace
