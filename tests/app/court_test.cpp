#include "app/app_fixture.h"
#include "app/court.h"
#include "ui/drawing.h"

#include <QImage>
#include <QPainter>

namespace kvrtest {
namespace {

QImage Court(QSize size, const QString& name) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    painter.setFont(kui::ArialFont(16, 0, &image));
    kvr::DrawCourt(painter, size, name);
    return image;
}

class CourtTest : public AppTest, public ::testing::WithParamInterface<QSize> {};

TEST_P(CourtTest, ColoursSitWhereTheDrawingPutsThem) {
    WriteFile("coach.dat", Lines({"Pat Smith"}));
    StartApp();
    const QSize size = GetParam();
    const int W = size.width();
    const int H = size.height();
    const QImage image = Court(size, QStringLiteral("Pat Smith"));
    auto at = [&](double x, double y) { return image.pixel(kui::Frac(W, x), kui::Frac(H, y)); };

    EXPECT_EQ(at(0.5, 0.1), kvr::court::kSky);
    EXPECT_EQ(at(0.05, 0.02), kvr::court::kSky);
    EXPECT_EQ(at(0.5, 0.235), kvr::court::kGreen); // back screen
    EXPECT_EQ(at(0.1, 0.35), kvr::court::kGreen);  // left screen
    EXPECT_EQ(at(0.9, 0.35), kvr::court::kGreen);  // right screen
    EXPECT_EQ(at(0.35, 0.68), kvr::court::kGreen); // the court
    EXPECT_EQ(at(0.03, 0.9), kvr::court::kClay);   // ground beside it
    EXPECT_EQ(at(0.97, 0.9), kvr::court::kClay);
    EXPECT_EQ(image.pixel(W / 2, kui::Frac(H, 0.7)), qRgb(255, 255, 255));  // centre line
    EXPECT_EQ(image.pixel(W / 2, kui::Frac(H, 0.45)), qRgb(255, 255, 255)); // far service line
    // Near service line.
    EXPECT_EQ(image.pixel(kui::Frac(W, 0.4), 3 * H / 4), qRgb(255, 255, 255));
    // The left net post, between its black edges.
    EXPECT_EQ(image.pixel((W / 6 + W / 50 + W / 6 + W / 25) / 2, kui::Frac(H, 0.55)),
              kvr::court::kPost);
    EXPECT_EQ(image.pixel(5 * W / 6 - W / 100, kui::Frac(H, 0.55)), kvr::court::kPost);
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
            ASSERT_NE(image.pixel(x, y), qRgb(255, 0, 255)) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(Sizes, CourtTest, ::testing::Values(QSize(598, 503), QSize(1280, 960)),
                         [](const ::testing::TestParamInfo<QSize>& size) {
                             return std::to_string(size.param.width()) + "x" +
                                    std::to_string(size.param.height());
                         });

TEST_F(AppTest, TinyCourtsDrawWithoutTrouble) {
    StartApp();
    for (QSize size : {QSize(1, 1), QSize(7, 5), QSize(40, 3), QSize(2, 300)})
        EXPECT_EQ(Court(size, QStringLiteral("A long name for a tiny panel")).size(), size);
}

TEST_F(AppTest, ClientDrawsTheCourtWithTheNameAndOwnsThePage) {
    WriteFile("coach.dat", Lines({"Pat Smith"}));
    StartWindow();
    QImage shown = Client().viewport()->grab().toImage();
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(shown.pixel(shown.width() / 2, shown.height() / 10), kvr::court::kSky);

    const QImage& page = Client().NotebookPage();
    EXPECT_EQ(page.size(), QSize(640, 480));
    EXPECT_EQ(&page, &Client().NotebookPage());
    QColor pad = page.pixelColor(320, 300); // the yellow writing pad
    EXPECT_GT(pad.red(), 200);
    EXPECT_GT(pad.green(), 200);
    EXPECT_LT(pad.blue(), 160);
    QColor ground = page.pixelColor(4, 240); // the blue ground
    EXPECT_GT(ground.blue(), 120);
    EXPECT_LT(ground.red(), 60);
}

} // namespace
} // namespace kvrtest
