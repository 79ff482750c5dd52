// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/render.h"
#include "support/text_recorder.h"
#include "ui/court.h"
#include "ui/drawing.h"
#include "ui/notebook_page.h"

#include <algorithm>

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace kvrtest {
namespace {

const QRgb kMagenta = qRgb(255, 0, 255);

class CourtTest : public ::testing::TestWithParam<QSize> {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }

    static kui::CourtData Court(const QString& name) {
        kui::CourtData court;
        court.playerName = name;
        court.nameFont = kui::ArialFont(16, 0);
        return court;
    }
};

TEST_P(CourtTest, ColoursSitWhereTheDrawingPutsThem) {
    const QSize size = GetParam();
    const int W = size.width();
    const int H = size.height();
    const QImage image = RenderToImage(&kui::DrawCourt, size, Court(QStringLiteral("Pat Smith")));
    auto at = [&](double x, double y) { return image.pixel(kui::Frac(W, x), kui::Frac(H, y)); };

    EXPECT_EQ(at(0.5, 0.1), kui::court::kSky);
    EXPECT_EQ(at(0.05, 0.02), kui::court::kSky);
    EXPECT_EQ(at(0.5, 0.235), kui::court::kGreen); // back screen
    EXPECT_EQ(at(0.1, 0.35), kui::court::kGreen);  // left screen
    EXPECT_EQ(at(0.9, 0.35), kui::court::kGreen);  // right screen
    EXPECT_EQ(at(0.35, 0.68), kui::court::kGreen); // the court
    EXPECT_EQ(at(0.03, 0.9), kui::court::kClay);   // ground beside it
    EXPECT_EQ(at(0.97, 0.9), kui::court::kClay);
    EXPECT_EQ(image.pixel(W / 2, kui::Frac(H, 0.7)), qRgb(255, 255, 255));  // centre line
    EXPECT_EQ(image.pixel(W / 2, kui::Frac(H, 0.45)), qRgb(255, 255, 255)); // far service line
    // Near service line.
    EXPECT_EQ(image.pixel(kui::Frac(W, 0.4), 3 * H / 4), qRgb(255, 255, 255));
    // The left net post, between its black edges.
    EXPECT_EQ(image.pixel((W / 6 + W / 50 + W / 6 + W / 25) / 2, kui::Frac(H, 0.55)),
              kui::court::kPost);
    EXPECT_EQ(image.pixel(5 * W / 6 - W / 100, kui::Frac(H, 0.55)), kui::court::kPost);
    // The net's white band along its top edge.
    EXPECT_EQ(image.pixel(W / 2, H / 2 + H / 50 + 1), qRgb(255, 255, 255));

    // The name panel: grey, lit on the left, the name in black inside it.
    const int left = kui::Frac(W, 0.3);
    const int top = kui::Frac(H, 0.92);
    const int bottom = kui::Frac(H, 0.98);
    EXPECT_EQ(image.pixel(left + 3, (top + bottom) / 2), qRgb(192, 192, 192));
    EXPECT_EQ(image.pixel(left, (top + bottom) / 2), qRgb(255, 255, 255));
    int dark = 0;
    for (int y = top + 1; y < bottom - 1; ++y)
        for (int x = kui::Frac(W, 0.4); x < kui::Frac(W, 0.6); ++x)
            dark += qGray(image.pixel(x, y)) < 64;
    EXPECT_GT(dark, 20);
    // Nothing is left undrawn.
    for (int y = 0; y < H; y += 7)
        for (int x = 0; x < W; x += 7)
            ASSERT_NE(image.pixel(x, y), kMagenta) << x << "," << y;
}

// The recorder sees the one text of the court where the layout puts it, in
// the snapshot's font (not bold), as high as half the plate where that is
// more than the font's own height, and the image has the name's ink inside
// that box.
TEST_P(CourtTest, NameIsCentredUnderTheCourtInItsFont) {
    const QSize size = GetParam();
    const kui::CourtData court = Court(QStringLiteral("Pat Smith"));
    const std::vector<DrawnText> texts = RecordTexts(&kui::DrawCourt, size, court);
    ASSERT_EQ(texts.size(), 1u);
    const DrawnText& name = texts[0];
    EXPECT_EQ(name.text, QStringLiteral("Pat Smith"));
    EXPECT_FALSE(name.font.bold());
    EXPECT_EQ(name.font.family(), court.nameFont.family());
    EXPECT_EQ(name.color, QColor(Qt::black));
    // Its top at 0.93 H and centred on the middle, each to the pixel the
    // whole-pixel font metrics may shift it.
    EXPECT_NEAR(name.rect.top(), kui::Frac(size.height(), 0.93), 1.0);
    EXPECT_NEAR(name.rect.center().x(), kui::Frac(size.width(), 0.5), 1.0);
    EXPECT_NEAR(name.rect.width(),
                QFontMetricsF(name.font).horizontalAdvance(QStringLiteral("Pat Smith")), 0.5);
    const int plate = kui::Frac(size.height(), 0.98) - kui::Frac(size.height(), 0.92);
    const int given = QFontMetrics(court.nameFont).height();
    EXPECT_GE(QFontMetrics(name.font).height(), std::max(given, plate / 2 - 2));
    EXPECT_LE(QFontMetrics(name.font).height(), std::max(given, plate / 2));

    const QImage image = RenderToImage(&kui::DrawCourt, size, court);
    const QRect box = name.rect.toAlignedRect();
    int inside = 0;
    int besides = 0;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left() - 20; x <= box.right() + 20; ++x) {
            const bool ink = qGray(image.pixel(x, y)) < 64;
            (box.contains(x, y) ? inside : besides) += ink;
        }
    }
    EXPECT_GT(inside, 20);
    EXPECT_EQ(besides, 0);
}

INSTANTIATE_TEST_SUITE_P(Sizes, CourtTest, ::testing::Values(QSize(598, 503), QSize(1280, 960)),
                         [](const ::testing::TestParamInfo<QSize>& size) {
                             return std::to_string(size.param.width()) + "x" +
                                    std::to_string(size.param.height());
                         });

// At sizes too small for its parts the court still covers the whole area in
// its own colours, and the name's panel clips nothing it should not.
TEST(TinyCourtTest, CoversTheWholeArea) {
    EnsureApplication();
    kui::CourtData court;
    court.playerName = QStringLiteral("A long name for a tiny panel");
    for (QSize size : {QSize(1, 1), QSize(7, 5), QSize(40, 3), QSize(2, 300)}) {
        const QImage image = RenderToImage(&kui::DrawCourt, size, court);
        ASSERT_EQ(image.size(), size);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                ASSERT_NE(image.pixel(x, y), kMagenta)
                    << size.width() << "x" << size.height() << " at " << x << "," << y;
    }
    // A tall, narrow court still has its sky on top and its clay below.
    const QImage narrow = RenderToImage(&kui::DrawCourt, QSize(7, 300), court);
    EXPECT_EQ(narrow.pixel(3, 30), kui::court::kSky);
    EXPECT_EQ(narrow.pixel(5, 297), kui::court::kClay);
}

// Printouts map their drawing onto the page with a transform: the recorder
// gives the places on the device, and every text of a drawing, in order.
TEST(TextRecorderTest, PlacesAreOnTheDeviceAfterTheTransform) {
    EnsureApplication();
    TextRecorder recorder(QSize(400, 300));
    const QFont font = kui::ArialFont(20, 0, &recorder);
    {
        QPainter painter(&recorder);
        painter.setFont(font);
        painter.setPen(Qt::red);
        kui::DrawText(painter, 5, 5, QStringLiteral("Aces"));
        painter.translate(100, 50);
        painter.scale(2, 2);
        kui::DrawText(painter, 5, 5, QStringLiteral("Double Faults"));
    }
    EXPECT_EQ(recorder.Strings(), (QStringList{"Aces", "Double Faults"}));
    const DrawnText* plain = recorder.Find(QStringLiteral("Aces"));
    const DrawnText* scaled = recorder.Find(QStringLiteral("Double Faults"));
    ASSERT_TRUE(plain && scaled);
    EXPECT_EQ(recorder.Find(QStringLiteral("Lets")), nullptr);
    EXPECT_NEAR(plain->rect.left(), 5, 0.01);
    EXPECT_NEAR(plain->rect.top(), 5, 1.0);
    EXPECT_NEAR(plain->rect.height(), QFontMetricsF(font, &recorder).height(), 1.0);
    EXPECT_EQ(plain->color, QColor(Qt::red));
    EXPECT_EQ(plain->font.pixelSize(), font.pixelSize());
    EXPECT_NEAR(scaled->rect.left(), 110, 0.01);
    EXPECT_NEAR(scaled->rect.top(), 60, 2.0);
    EXPECT_NEAR(scaled->rect.height(), 2 * plain->rect.height(), 0.01);
    EXPECT_NEAR(scaled->baseline.y(), 50 + 2 * (plain->baseline.y()), 0.01);
}

TEST(NotebookPageTest, PadOnClipboardOnBlue) {
    EnsureApplication();
    const QImage page = kui::NotebookPageImage();
    EXPECT_EQ(page.size(), QSize(640, 480));
    QColor pad = page.pixelColor(320, 300); // the yellow writing pad
    EXPECT_GT(pad.red(), 200);
    EXPECT_GT(pad.green(), 200);
    EXPECT_LT(pad.blue(), 160);
    QColor ground = page.pixelColor(4, 240); // the blue ground
    EXPECT_GT(ground.blue(), 120);
    EXPECT_LT(ground.red(), 60);

    // Drawn at half size, the same picture scaled.
    const QImage half = RenderToImage(
        [](QPainter& painter, QSize size) { kui::DrawNotebookPage(painter, size); }, {320, 240});
    EXPECT_EQ(half.pixelColor(160, 150).red(), pad.red());
    EXPECT_EQ(half.pixelColor(2, 120).blue(), ground.blue());
}

} // namespace
} // namespace kvrtest
