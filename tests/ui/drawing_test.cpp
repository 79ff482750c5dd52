// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/render.h"
#include "ui/drawing.h"
#include "ui/text.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

class DrawingTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { kvrtest::EnsureApplication(); }

    static QImage Blank(int w, int h) {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(QColor(0, 0, 255));
        return image;
    }
};

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kGrey = qRgb(192, 192, 192);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlue = qRgb(0, 0, 255);

TEST_F(DrawingTest, RaisedPanelEdges) {
    QImage image = Blank(20, 12);
    {
        QPainter painter(&image);
        // Corners given the wrong way round are swapped.
        kui::RaisedPanel(painter, 17, 9, 2, 2, Qt::red);
    }
    // White from (left, bottom) up to the top and along it, short of the
    // right edge.
    EXPECT_EQ(image.pixel(2, 9), kWhite);
    EXPECT_EQ(image.pixel(2, 5), kWhite);
    EXPECT_EQ(image.pixel(2, 2), kWhite);
    EXPECT_EQ(image.pixel(16, 2), kWhite);
    EXPECT_EQ(image.pixel(17, 2), kBlue);
    // The black outline shows inside the grey edges on the right and bottom.
    EXPECT_EQ(image.pixel(16, 5), kBlack);
    EXPECT_EQ(image.pixel(5, 8), kBlack);
    EXPECT_EQ(image.pixel(17, 3), kGrey);
    EXPECT_EQ(image.pixel(17, 8), kGrey);
    EXPECT_EQ(image.pixel(17, 9), kGrey);
    EXPECT_EQ(image.pixel(4, 9), kGrey);
    EXPECT_EQ(image.pixel(3, 9), kBlue);
    // Filled inside, nothing outside.
    EXPECT_EQ(image.pixel(3, 3), kRed);
    EXPECT_EQ(image.pixel(15, 7), kRed);
    EXPECT_EQ(image.pixel(1, 5), kBlue);
    EXPECT_EQ(image.pixel(18, 5), kBlue);
    EXPECT_EQ(image.pixel(8, 10), kBlue);
    EXPECT_EQ(image.pixel(8, 1), kBlue);
}

TEST_F(DrawingTest, SunkenPanelSwapsTheEdgeColours) {
    QImage image = Blank(20, 12);
    {
        QPainter painter(&image);
        kui::SunkenPanel(painter, 2, 2, 17, 9, Qt::red);
    }
    EXPECT_EQ(image.pixel(2, 5), kGrey);
    EXPECT_EQ(image.pixel(10, 2), kGrey);
    EXPECT_EQ(image.pixel(17, 5), kWhite);
    EXPECT_EQ(image.pixel(10, 9), kWhite);
    EXPECT_EQ(image.pixel(16, 5), kBlack);
    EXPECT_EQ(image.pixel(10, 5), kRed);
}

TEST_F(DrawingTest, FractionsDropThePartPixel) {
    EXPECT_EQ(kui::Frac(599, 0.5), 299);
    EXPECT_EQ(kui::Frac(550, 0.95), 522);
    EXPECT_EQ(kui::Frac(0, 0.3), 0);
}

TEST_F(DrawingTest, ScaledFontFollowsTheAreaSize) {
    QImage image = Blank(800, 600);
    QPainter painter(&image);
    // Height 600 / 20 = 30 pixels, average width 800 / 40 = 20 pixels.
    const int row = kui::UseScaledFont(painter, image.size(), 20, 40);
    EXPECT_NEAR(row, 30, 1);
    // What the font resolves to, not what was asked for: Arial itself or its
    // metric twin, never a wider fallback.
    const QString resolved = QFontInfo(painter.font()).family();
    EXPECT_TRUE(resolved == QStringLiteral("Liberation Sans") ||
                resolved == QStringLiteral("Arial"))
        << resolved.toStdString();
    EXPECT_NEAR(QFontMetricsF(painter.font(), &image).averageCharWidth(), 20, 2.5);

    // Twice the width gives text about twice as wide, at the same height.
    const qreal narrow = QFontMetricsF(kui::ScaledFont({800, 600}, 20, 80, &image), &image)
                             .horizontalAdvance(QStringLiteral("Forehand Winners"));
    const qreal wide = QFontMetricsF(kui::ScaledFont({800, 600}, 20, 40, &image), &image)
                           .horizontalAdvance(QStringLiteral("Forehand Winners"));
    EXPECT_NEAR(wide / narrow, 2.0, 0.25);

    // A tiny area still gives a usable font.
    EXPECT_GE(kui::ScaledFont({3, 2}, 30, 80, &image).pixelSize(), 1);
}

TEST_F(DrawingTest, TextIsPlacedByItsTopAndAlignment) {
    QImage image(200, 60, QImage::Format_RGB32);
    auto inkColumns = [&](const QImage& drawn) {
        int first = -1, last = -1, top = -1;
        for (int x = 0; x < drawn.width(); ++x)
            for (int y = 0; y < drawn.height(); ++y)
                if (qGray(drawn.pixel(x, y)) < 128) {
                    if (first < 0)
                        first = x;
                    last = x;
                    if (top < 0 || y < top)
                        top = y;
                }
        return std::make_tuple(first, last, top);
    };
    for (kui::Align align : {kui::Align::Left, kui::Align::Center, kui::Align::Right}) {
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setFont(kui::ArialFont(20, 0, &image));
        kui::DrawText(painter, 100, 20, QStringLiteral("HH"), align);
        painter.end();
        auto [first, last, top] = inkColumns(image);
        EXPECT_GE(top, 20);
        EXPECT_LE(top, 26);
        if (align == kui::Align::Left)
            EXPECT_NEAR(first, 100, 3);
        else if (align == kui::Align::Right)
            EXPECT_NEAR(last, 100, 3);
        else
            EXPECT_NEAR((first + last) / 2.0, 100, 3);
    }
}

TEST(TextTest, StoredTextIsUtf8OrWindows1252) {
    EXPECT_EQ(kui::FromStored("Ren\xc3\xa9"), QString::fromUtf8("Ren\u00e9"));
    EXPECT_EQ(kui::FromStored("Ren\xe9 \x80\x96"), QString::fromUtf8("Ren\u00e9 \u20ac\u2013"));
    EXPECT_EQ(kui::FromStored(std::string("ab\0cd", 5)), QStringLiteral("ab"));
    EXPECT_EQ(kui::ToStored(QString::fromUtf8("\u00e9")), "\xc3\xa9");
    EXPECT_FALSE(kui::FromStored("\xff\xfe\x81").contains(QChar::ReplacementCharacter));
}

TEST(TextTest, LeftCharactersNeverSplitsAPair) {
    const QString tennis = QString::fromUtf8("ab\U0001F3BEcd");
    EXPECT_EQ(kui::LeftCharacters(tennis, 3), QString::fromUtf8("ab\U0001F3BE"));
    EXPECT_EQ(kui::LeftCharacters(tennis, 2), QStringLiteral("ab"));
    EXPECT_EQ(kui::LeftCharacters(tennis, 99), tennis);
}

} // namespace
