// SPDX-License-Identifier: GPL-3.0-or-later
#include "charting/chart_store.h"
#include "core/date.h"
#include "play/graph_view.h"
#include "play/graphs.h"
#include "play/play_commands.h"
#include "support/app_fixture.h"
#include "support/render.h"
#include "support/text_recorder.h"
#include "ui/drawing.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include <QImage>

#include <gtest/gtest.h>

namespace kvrtest {
namespace {

using kui::Frac;
using kui::GraphData;
using kui::GraphKind;

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlue = qRgb(0, 0, 255);
const QRgb kYellow = qRgb(255, 255, 0);
const QRgb kCyan = qRgb(0, 255, 255);
const QRgb kGreen = qRgb(0, 255, 0);
const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kClay = qRgb(207, 69, 48);
const QRgb kGrey = qRgb(128, 128, 128);

// The colour at `angle` degrees (counter-clockwise from 3 o'clock), two
// thirds of the way out from the centre of the ellipse inscribed in `box`.
QRgb AtAngle(const QImage& image, const QRectF& box, double angle) {
    const double radians = angle * std::numbers::pi / 180;
    const QPointF centre = box.center();
    const double x = centre.x() + box.width() / 3 * std::cos(radians);
    const double y = centre.y() - box.height() / 3 * std::sin(radians);
    return image.pixel(static_cast<int>(x), static_cast<int>(y));
}

// The box of a pie: the largest square inside `box`, centred in it.
QRectF Round(const QRectF& box) {
    const double side = std::min(box.width(), box.height());
    return QRectF(box.center().x() - side / 2, box.center().y() - side / 2, side, side);
}

// The box of a pie centred in the view, inside the box reaching fx of the
// width and fy of the height to either side.
QRectF CentredBox(QSize size, double fx, double fy) {
    return Round(QRectF(size.width() / 2.0 - size.width() * fx,
                        size.height() / 2.0 - size.height() * fy, 2 * size.width() * fx,
                        2 * size.height() * fy));
}

bool Overlap(const DrawnText& a, const DrawnText& b) {
    return a.rect.intersects(b.rect);
}

class GraphTest : public ::testing::TestWithParam<QSize> {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }

    static GraphData Graph(GraphKind kind) {
        GraphData data;
        data.kind = kind;
        return data;
    }
};

// The monthly bars: one per month covered, the month labels in calendar
// order every 1, 3, 6 or 12 months (on whole quarters, halves or years),
// clear of one another, with the year under the first label and under each
// January; the scale at the largest month and half of it; a 0.5-hour month
// reaches half a plot scaled to 1.0.
TEST_P(GraphTest, MonthlyBarsAreLabelledInCalendarOrderWithYears) {
    const QSize size = GetParam();
    const int w = size.width();
    GraphData data = Graph(GraphKind::TimeByMonth);
    data.monthsCovered = 40;
    data.currentMonth = 3; // March 2026: bar 0 is December 2022
    data.currentYear = 2026;
    data.stats.monthlyTime[39] = 6.0f;
    data.stats.monthlyTime[0] = 1.5f;

    const int c = Frac(w, 0.05);
    const int plotLeft = 3 * c;
    const double barWidth = (w - c - plotLeft) / 40.0;
    const std::vector<DrawnText> texts = RecordTexts(&kui::DrawGraph, size, data);
    static const QStringList kMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::vector<const DrawnText*> labels;
    std::vector<const DrawnText*> years;
    for (const DrawnText& text : texts) {
        if (kMonths.contains(text.text))
            labels.push_back(&text);
        else if (text.text.size() == 4 && text.text.startsWith(QStringLiteral("20")))
            years.push_back(&text);
    }
    ASSERT_GE(labels.size(), 3u);
    // Each label names the month of the bar it stands under, left to right
    // in calendar order, a whole step apart.
    std::vector<int> bars;
    for (const DrawnText* label : labels) {
        const int bar =
            static_cast<int>(std::floor((label->rect.center().x() - plotLeft) / barWidth));
        ASSERT_GE(bar, 0);
        ASSERT_LT(bar, 40);
        EXPECT_EQ(label->text, kMonths[(11 + bar) % 12]) << "bar " << bar;
        bars.push_back(bar);
    }
    const int step = bars[1] - bars[0];
    EXPECT_TRUE(step == 1 || step == 3 || step == 6 || step == 12) << step;
    for (std::size_t k = 1; k < bars.size(); ++k) {
        EXPECT_EQ(bars[k] - bars[k - 1], step);
        EXPECT_LT(labels[k - 1]->rect.right(), labels[k]->rect.left());
    }
    EXPECT_EQ((11 + bars[0]) % step, 0) << "labels on whole quarters, halves or years";
    // The years, in order: the first label's and then each January's.
    QStringList yearTexts;
    for (const DrawnText* year : years) {
        yearTexts << year->text;
        EXPECT_GT(year->rect.top(), labels[0]->rect.top());
    }
    // December 2022's year only where it keeps clear of January's.
    const QStringList januaryYears{"2023", "2024", "2025", "2026"};
    if (yearTexts.size() == 5)
        EXPECT_EQ(yearTexts, QStringList{"2022"} + januaryYears);
    else
        EXPECT_EQ(yearTexts, januaryYears);
    for (std::size_t k = 1; k < years.size(); ++k)
        EXPECT_LT(years[k - 1]->rect.right(), years[k]->rect.left());
    for (const DrawnText* year : years) {
        const auto above = std::find_if(labels.begin(), labels.end(), [&](const DrawnText* label) {
            return std::abs(label->rect.center().x() - year->rect.center().x()) <= 1;
        });
        ASSERT_NE(above, labels.end()) << year->text.toStdString();
    }
    QStringList all;
    for (const DrawnText& text : texts)
        all << text.text;
    EXPECT_TRUE(all.contains(QStringLiteral("Total Playing Time By Month")));
    EXPECT_TRUE(all.contains(QStringLiteral("6.0")));
    EXPECT_TRUE(all.contains(QStringLiteral("3.0")));

    // A single month of half an hour: scaled to 1.0, its bar fills half the
    // plot, labelled with this month.
    GraphData one = Graph(GraphKind::TimeByMonth);
    one.monthsCovered = 1;
    one.currentMonth = 7;
    one.stats.monthlyTime[0] = 0.5f;
    const std::vector<DrawnText> oneTexts = RecordTexts(&kui::DrawGraph, size, one);
    ASSERT_NE(std::find_if(oneTexts.begin(), oneTexts.end(),
                           [](const DrawnText& t) { return t.text == QStringLiteral("Jul"); }),
              oneTexts.end());
    const QImage image = RenderToImage(&kui::DrawGraph, size, one);
    const int plotTop = 5 * c;
    const int plotBottom = size.height() - 2 * c;
    const int x = (plotLeft + w - c) / 2;
    const int middle = (plotTop + plotBottom) / 2;
    EXPECT_EQ(image.pixel(x, middle + 4), kRed);
    EXPECT_EQ(image.pixel(x, middle - 4), kWhite);
}

// The time pie: practice from 3 o'clock, then matches, then lessons, each
// its share of the hours; the legend's names and hours stand apart inside
// the view.
TEST_P(GraphTest, TimeSummaryPieSlicesTheHoursByKind) {
    const QSize size = GetParam();
    GraphData data = Graph(GraphKind::TimeSummary);
    data.currentRecords = 2;
    data.grandTotal = {100, 120};
    data.stats.currentPracticeTime = 1.0f; // 0 to 90 degrees
    data.stats.currentMatchTime = 2.0f;    // 90 to 270
    data.stats.currentLessonTime = 1.0f;   // 270 to 360
    data.stats.currentTime = 4.0f;
    const QImage image = RenderToImage(&kui::DrawGraph, size, data);
    const QRectF box = CentredBox(size, 0.25, 0.25);
    EXPECT_EQ(AtAngle(image, box, 45), kRed);
    EXPECT_EQ(AtAngle(image, box, 100), kBlue);
    EXPECT_EQ(AtAngle(image, box, 260), kBlue);
    EXPECT_EQ(AtAngle(image, box, 315), kYellow);

    const std::vector<DrawnText> texts = RecordTexts(&kui::DrawGraph, size, data);
    QStringList strings;
    for (const DrawnText& text : texts) {
        strings << text.text;
        EXPECT_TRUE(QRectF(0, 0, size.width(), size.height()).contains(text.rect))
            << text.text.toStdString();
        for (const DrawnText& other : texts)
            if (&other != &text) {
                EXPECT_FALSE(Overlap(text, other)) << text.text.toStdString();
            }
    }
    EXPECT_EQ(strings, (QStringList{"Playing Time Summary", "Matches", "2.0 Hours", "Practice",
                                    "1.0 Hours", "Lessons", "1.0 Hours"}));

    // No records: the title and, in place of slices, where notes are
    // recorded; with a history, that this goal period has none yet.
    GraphData empty = Graph(GraphKind::TimeSummary);
    std::vector<DrawnText> said = RecordTexts(&kui::DrawGraph, size, empty);
    ASSERT_EQ(said.size(), 2u);
    EXPECT_EQ(said[1].text, QStringLiteral("No notes yet: Data > Record Notes"));
    EXPECT_TRUE(QRectF(0, 0, size.width(), size.height()).contains(said[1].rect));
    EXPECT_FALSE(Overlap(said[0], said[1]));
    empty.stats.hasHistory = true;
    said = RecordTexts(&kui::DrawGraph, size, empty);
    ASSERT_EQ(said.size(), 2u);
    EXPECT_EQ(said[1].text,
              QStringLiteral("No notes in this goal period yet: Data > Record Notes"));
}

// The goal pie: clay for the share reached, grey for the rest, with the
// figure under it; nothing but the panel without records.
TEST_P(GraphTest, GoalPieShowsTheShareReached) {
    const QSize size = GetParam();
    GraphData data = Graph(GraphKind::Goal);
    data.goalProgress = 0.25f;
    const QImage image = RenderToImage(&kui::DrawGraph, size, data);
    const QRectF box = CentredBox(size, 0.4, 0.35);
    EXPECT_EQ(AtAngle(image, box, 45), kClay);
    EXPECT_EQ(AtAngle(image, box, 135), kGrey);
    EXPECT_EQ(AtAngle(image, box, 300), kGrey);
    const std::vector<DrawnText> texts = RecordTexts(&kui::DrawGraph, size, data);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].text, QStringLiteral("Percentage of Goal Reached"));
    EXPECT_EQ(texts[1].text, QStringLiteral("25%"));
    EXPECT_NEAR(texts[1].rect.top(), size.height() / 2 + Frac(size.height(), 0.4), 1.0);
    EXPECT_NEAR(texts[1].rect.center().x(), size.width() / 2, 2.0);
    // Under the figure, what it measures, inside the view and its width.
    EXPECT_EQ(texts[2].text,
              QStringLiteral("Your average stroke rating this goal period, out of 10"));
    EXPECT_GE(texts[2].rect.top(), texts[1].rect.bottom() - 1);
    EXPECT_LE(texts[2].rect.bottom(), size.height());
    EXPECT_NEAR(texts[2].rect.center().x(), size.width() / 2, 2.0);
    EXPECT_GE(texts[2].rect.left(), 0);

    data.goalProgress = 1.0f;
    const QImage full = RenderToImage(&kui::DrawGraph, size, data);
    for (double angle : {10.0, 135.0, 300.0, 355.0})
        EXPECT_EQ(AtAngle(full, box, angle), kClay) << angle;

    // No rated outing: no pie, but where ratings are given, in words.
    data.goalProgress.reset();
    const std::vector<DrawnText> said = RecordTexts(&kui::DrawGraph, size, data);
    ASSERT_EQ(said.size(), 1u);
    EXPECT_EQ(said[0].text, QStringLiteral("No rated notes this goal period: Data > Record Notes"));
    EXPECT_NE(AtAngle(RenderToImage(&kui::DrawGraph, size, data), box, 45), kClay);
}

// In a view tiled among many, the figure keeps whole inside the view at the
// legible floor, clear of the title, and the line under it goes.
TEST(GoalGraphTest, FigureStaysWholeInALowView) {
    EnsureApplication();
    GraphData data;
    data.kind = GraphKind::Goal;
    data.goalProgress = 0.5f;
    for (QSize size : {QSize(160, 100), QSize(300, 120), QSize(140, 80)}) {
        SCOPED_TRACE(::testing::Message() << size.width() << "x" << size.height());
        const std::vector<DrawnText> texts = RecordTexts(&kui::DrawGraph, size, data);
        ASSERT_EQ(texts.size(), 2u);
        EXPECT_EQ(texts[1].text, QStringLiteral("50%"));
        EXPECT_LE(texts[1].rect.bottom(), size.height());
        EXPECT_GE(texts[1].rect.top(), texts[0].rect.bottom() - 1);
        EXPECT_GE(texts[1].rect.height(), kui::kSmallestText - 1);
    }
}

// The stroke pies: each count its share of the winners or the errors, in the
// legend's colours; without charts, the message in place of the graphs.
TEST_P(GraphTest, ChartingPiesShareTheWinnersAndErrors) {
    const QSize size = GetParam();
    const int w = size.width();
    const int h = size.height();
    GraphData data = Graph(GraphKind::ChartingStrokes);
    EXPECT_EQ(RecordTexts(&kui::DrawGraph, size, data).front().text,
              QStringLiteral("No Charting Data to Graph!"));
    data.kind = GraphKind::ChartingGame;
    const std::vector<DrawnText> none = RecordTexts(&kui::DrawGraph, size, data);
    ASSERT_EQ(none.size(), 1u);
    EXPECT_EQ(none[0].text, QStringLiteral("No data to graph!"));
    EXPECT_NEAR(none[0].rect.left(), Frac(w, 0.25), 1.0);

    data.kind = GraphKind::ChartingStrokes;
    data.chartCount = 3;
    data.chartSums.forehandWinners = 1; // 0 to 90
    data.chartSums.aces = 3;            // 90 to 360
    data.chartSums.totalWinners = 4;
    data.chartSums.approachErrors = 5; // the whole pie
    data.chartSums.totalErrors = 5;
    const QImage image = RenderToImage(&kui::DrawGraph, size, data);
    const QRectF winners =
        Round(QRectF(QPointF(Frac(w, 0.1), Frac(h, 0.2)), QPointF(Frac(w, 0.45), Frac(h, 0.7))));
    const QRectF errors =
        Round(QRectF(QPointF(Frac(w, 0.55), Frac(h, 0.2)), QPointF(Frac(w, 0.9), Frac(h, 0.7))));
    EXPECT_EQ(AtAngle(image, winners, 45), kRed);
    EXPECT_EQ(AtAngle(image, winners, 180), kBlue);
    EXPECT_EQ(AtAngle(image, winners, 350), kBlue);
    for (double angle : {20.0, 160.0, 270.0})
        EXPECT_EQ(AtAngle(image, errors, angle), kGreen) << angle;

    // The legend: each name ends at its swatch's left edge.
    const std::vector<DrawnText> texts = RecordTexts(&kui::DrawGraph, size, data);
    const DrawnText* approach = nullptr;
    for (const DrawnText& text : texts)
        if (text.text == QStringLiteral("Approach"))
            approach = &text;
    ASSERT_NE(approach, nullptr);
    EXPECT_NEAR(approach->rect.right(), Frac(w, 0.85), 1.0);
    EXPECT_EQ(image.pixel(Frac(w, 0.9), Frac(h, 0.87) + Frac(w, 0.025)), kGreen);
    EXPECT_EQ(texts.size(), 8u); // two titles, six names
}

// The game summary: per chart, first-serve and return percentages on the
// upper panel, winners and errors on the lower, each bar its figure's
// height and never past its panel.
TEST_P(GraphTest, ChartingGameBarsStandOnTheirPanels) {
    const QSize size = GetParam();
    const int w = size.width();
    const int h = size.height();
    GraphData data = Graph(GraphKind::ChartingGame);
    data.chartCount = 2;
    data.charts = {
        {.firstServePercent = 100, .returnPercent = 50, .totalWinners = 400, .totalErrors = 25},
        {}};
    const QImage image = RenderToImage(&kui::DrawGraph, size, data);
    const int gap = w / 60;
    const double e = (0.8 * w - 2 * gap) / 6;
    const int first = static_cast<int>(Frac(w, 0.1) + e * 1.5);
    const int second = static_cast<int>(Frac(w, 0.1) + e * 2.5);
    EXPECT_EQ(image.pixel(first, Frac(h, 0.4) - Frac(h, 0.19)), kRed);
    EXPECT_EQ(image.pixel(second, Frac(h, 0.4) - Frac(h, 0.09)), kCyan);
    EXPECT_EQ(image.pixel(second, Frac(h, 0.4) - Frac(h, 0.12)), kWhite);
    EXPECT_EQ(image.pixel(first, Frac(h, 0.6) + 3), kCyan); // 400 winners: the panel's height
    EXPECT_NE(image.pixel(first, Frac(h, 0.6) - 3), kCyan);
    EXPECT_EQ(image.pixel(second, Frac(h, 0.9) - Frac(h, 0.04)), kRed);
    EXPECT_EQ(image.pixel(second, Frac(h, 0.9) - Frac(h, 0.06)), kWhite);
    // The second chart is all zeros: no bars in its slot.
    const int third = static_cast<int>(Frac(w, 0.1) + gap + e * 3.5);
    EXPECT_EQ(image.pixel(third, Frac(h, 0.4) - 5), kWhite);

    QStringList strings;
    const std::vector<DrawnText> texts = RecordTexts(&kui::DrawGraph, size, data);
    for (const DrawnText& text : texts)
        strings << text.text;
    // The titles stay clear of their panels.
    EXPECT_LT(texts[0].rect.bottom(), Frac(h, 0.1));
    EXPECT_LT(texts[1].rect.bottom(), Frac(h, 0.6));
    EXPECT_EQ(strings, (QStringList{"Serve/Return Percentages", "Winners/Unforced Errors", "75%",
                                    "1st Serve %", "Return %", "Winners", "Errors"}));
}

// The ratings charts draw a bar per record; one too small for a plot draws
// nothing at all.
TEST_P(GraphTest, RatingsChartsDrawABarPerRecord) {
    const QSize size = GetParam();
    GraphData data = Graph(GraphKind::StrokeRatings);
    data.strokeTotal = {{40, 0, 0, 0, 20, 0}}; // forehand full, volley half
    const QImage image = RenderToImage(&kui::DrawGraph, size, data);
    const int cw = size.width() / 3;
    const int c = Frac(cw, 0.05);
    const int plotBottom = size.height() / 2 - 2 * c;
    const int plotTop = 5 * c;
    EXPECT_EQ(image.pixel(cw / 2, plotTop + 3), kRed);           // Forehand
    EXPECT_EQ(image.pixel(cw + cw / 2, plotBottom - 3), kWhite); // Backhand: 0
    const int lowerMiddle = size.height() / 2 + (plotTop + plotBottom) / 2;
    EXPECT_EQ(image.pixel(cw / 2, lowerMiddle + 4), kRed); // Volley: half
    EXPECT_EQ(image.pixel(cw / 2, lowerMiddle - 4), kWhite);
    QStringList titles;
    for (const DrawnText& text : RecordTexts(&kui::DrawGraph, size, data))
        titles << text.text;
    EXPECT_EQ(titles,
              (QStringList{"Forehand", "Backhand", "Serve", "Volley", "Approach", "Return"}));

    data.kind = GraphKind::GameRatings;
    data.grandTotal = {240};
    EXPECT_EQ(RecordTexts(&kui::DrawGraph, size, data).front().text,
              QStringLiteral("Total Game Progress"));
    EXPECT_TRUE(RecordTexts(&kui::DrawGraph, QSize(600, 215), data).empty());
}

// A graph at the small size a window first opens with keeps every text at
// least 11 pixels high, however small its divisors make it.
TEST(GraphTextTest, SmallViewsKeepTheirTextsReadable) {
    EnsureApplication();
    GraphData data;
    data.kind = GraphKind::ChartingGame;
    data.chartCount = 1;
    data.charts.resize(1);
    const QSize small(420, 330);
    std::vector<DrawnText> texts = RecordTexts(&kui::DrawGraph, small, data);
    data.kind = GraphKind::TimeByMonth;
    data.monthsCovered = 12;
    for (const DrawnText& text : RecordTexts(&kui::DrawGraph, small, data))
        texts.push_back(text);
    ASSERT_GT(texts.size(), 10u);
    for (const DrawnText& text : texts)
        EXPECT_GE(text.rect.height(), 11) << text.text.toStdString();
}

// In the shapes a view takes when tiled with seven others, squeezed tall
// and narrow, or long and low, every text of the bar charts, their scales
// and the legends lies whole inside the view and clear of the others, and
// each legend name clear of the next swatch.
TEST(GraphTextTest, SmallShapesKeepEveryTextWholeAndApart) {
    EnsureApplication();
    GraphData data;
    data.stats.currentMatchTime = 117.5f;
    data.stats.currentPracticeTime = 112.5f;
    data.stats.currentLessonTime = 104.5f;
    data.stats.currentTime = 334.5f;
    data.grandTotal = {100};
    data.monthsCovered = 24;
    data.stats.monthlyTime[3] = 117.5f;
    data.chartCount = 2;
    data.charts = {{60, 40, 20, 30}, {55, 45, 25, 35}};
    data.chartSums = {
        .forehandWinners = 3, .approachErrors = 4, .totalWinners = 3, .totalErrors = 4};
    for (GraphKind kind : {GraphKind::TimeByMonth, GraphKind::TimeSummary, GraphKind::Goal,
                           GraphKind::ChartingGame, GraphKind::ChartingStrokes}) {
        data.kind = kind;
        data.goalProgress = 0.5f;
        for (QSize size : {QSize(190, 150), QSize(150, 150), QSize(170, 120), QSize(200, 520),
                           QSize(600, 300)}) {
            SCOPED_TRACE(::testing::Message() << static_cast<int>(kind) << " at " << size.width()
                                              << "x" << size.height());
            const std::vector<DrawnText> texts = RecordTexts(&kui::DrawGraph, size, data);
            ASSERT_FALSE(texts.empty());
            const QRectF view(0, 0, size.width(), size.height());
            for (const DrawnText& text : texts) {
                EXPECT_TRUE(view.contains(text.rect)) << text.text.toStdString();
                EXPECT_GE(text.rect.height(), kui::kSmallestText - 1) << text.text.toStdString();
                for (const DrawnText& other : texts)
                    if (&other < &text) {
                        EXPECT_FALSE(Overlap(text, other))
                            << text.text.toStdString() << " / " << other.text.toStdString();
                    }
            }
            if (kind == GraphKind::TimeByMonth) {
                const auto most = std::find_if(texts.begin(), texts.end(), [](const DrawnText& t) {
                    return t.text == QStringLiteral("117.5");
                });
                ASSERT_NE(most, texts.end());
            }
            if (kind == GraphKind::ChartingStrokes) {
                // "Serve" starts right of the "Forehand" swatch, "Return"
                // right of the "Serve" one.
                for (const DrawnText& text : texts) {
                    if (text.text == QStringLiteral("Serve")) {
                        EXPECT_GE(text.rect.left(), Frac(size.width(), 0.3));
                    }
                    if (text.text == QStringLiteral("Return")) {
                        EXPECT_GE(text.rect.left(), Frac(size.width(), 0.6));
                    }
                }
            }
        }
    }
}

// The pies are round in any shape of window: the largest circle of their
// box, centred in it.
TEST(GraphPieTest, PiesAreCirclesInAnyShape) {
    EnsureApplication();
    // The box of the pixels of one colour inside `area`.
    auto extent = [](const QImage& image, QRgb colour, const QRect& area) {
        QRect box;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (image.pixel(x, y) == colour)
                    box |= QRect(x, y, 1, 1);
        return box;
    };
    GraphData practice;
    practice.kind = GraphKind::TimeSummary;
    practice.currentRecords = 1;
    practice.grandTotal = {100};
    practice.stats.currentPracticeTime = practice.stats.currentTime = 3;
    GraphData goal;
    goal.kind = GraphKind::Goal;
    goal.goalProgress = 1.0f;
    GraphData strokes;
    strokes.kind = GraphKind::ChartingStrokes;
    strokes.chartCount = 1;
    strokes.chartSums = {.forehandWinners = 2, .totalWinners = 2};
    for (QSize size : {QSize(900, 300), QSize(250, 700), QSize(600, 550)}) {
        SCOPED_TRACE(size.width());
        const int w = size.width();
        const int h = size.height();
        // Each pie's box as the layout gives it.
        const struct {
            const GraphData& data;
            QRgb colour;
            QRect box;
        } pies[] = {
            {practice, kRed,
             QRect(QPoint(w / 2 - Frac(w, 0.25), h / 2 - Frac(h, 0.25)),
                   QPoint(w / 2 + Frac(w, 0.25), h / 2 + Frac(h, 0.25)))},
            {goal, kClay,
             QRect(QPoint(w / 2 - Frac(w, 0.4), h / 2 - Frac(h, 0.35)),
                   QPoint(w / 2 + Frac(w, 0.4), h / 2 + Frac(h, 0.35)))},
            {strokes, kRed,
             QRect(QPoint(Frac(w, 0.1), Frac(h, 0.2)), QPoint(Frac(w, 0.45), Frac(h, 0.7)))}};
        for (const auto& pie : pies) {
            const QRect box =
                extent(RenderToImage(&kui::DrawGraph, size, pie.data), pie.colour, pie.box);
            ASSERT_FALSE(box.isEmpty());
            EXPECT_NEAR(box.width(), box.height(), 2);
            EXPECT_NEAR(box.width(), std::min(pie.box.width(), pie.box.height()), 3);
            EXPECT_NEAR(QRectF(box).center().x(), QRectF(pie.box).center().x(), 2);
            EXPECT_NEAR(QRectF(box).center().y(), QRectF(pie.box).center().y(), 2);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(TwoSizes, GraphTest, ::testing::Values(QSize(600, 550), QSize(1280, 900)));

// From the stores: the newest thirty charts, oldest first, their counters
// added up; the records' totals and the month span from the statistics.
class GraphDataTest : public TempDirTest {
protected:
    void TearDown() override {
        ZBD_Date::UseSystemClock();
        TempDirTest::TearDown();
    }
};

TEST_F(GraphDataTest, TakesTheNewestThirtyChartsAndTheRecordTotals) {
    ZBD_Date::FixToday(5, 20, 2026);
    KVR_ChartClass charts;
    for (int day = 1; day <= 31; ++day) {
        ChartRecord chart;
        chart.date = "1/" + std::to_string(day) + "/2026";
        chart.firstServeAttempts = 100;
        chart.firstServesIn = day;
        chart.aces = 1;
        chart.approachErrors = 2;
        charts.AddCopy(chart);
    }
    KVR_PlayData play;
    PlayRecord record;
    record.date = "3/2/2026";
    record.time = "2";
    record.kind = "M";
    record.Rating(kvr::Stroke::Serve, kvr::Level::Power) = 7;
    play.AddCopy(record);

    const GraphData data = kui::TakeGraphData(GraphKind::ChartingGame, play, play.Past(), charts);
    EXPECT_EQ(data.chartCount, 31);
    ASSERT_EQ(data.charts.size(), 30u);
    EXPECT_FLOAT_EQ(data.charts.front().firstServePercent, 2); // day 1 left out
    EXPECT_FLOAT_EQ(data.charts.back().firstServePercent, 31);
    EXPECT_EQ(data.chartSums.aces, 30);
    EXPECT_FLOAT_EQ(data.chartSums.totalErrors, 60);
    EXPECT_EQ(data.monthsCovered, 3);
    EXPECT_EQ(data.currentMonth, 5);
    EXPECT_FLOAT_EQ(data.stats.monthlyTime[0], 2);
    ASSERT_EQ(data.grandTotal, std::vector<int>{7});
    EXPECT_EQ(data.strokeTotal[0][kvr::Index(kvr::Stroke::Serve)], 7);
    ASSERT_TRUE(data.goalProgress.has_value());
}

// The Graphs menu opens one window per kind, titled as its graph, and each
// graph is drawn by name from the command line's table.
class GraphCommandTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        WriteFile("coach.dat", Lines({"Pat Smith"}));
        StartWindow();
    }
};

TEST_F(GraphCommandTest, EachCommandOpensItsGraphOnce) {
    Client().Command(kui::CmTimePlayedSummary);
    Client().Command(kui::CmStrokeRatings);
    Client().Command(kui::CmStrokeRatings);
    EXPECT_EQ(Client().subWindowList().size(), 2);
    auto* strokes = qobject_cast<TKvrGraphWin*>(Client().FindView(kui::FirstGraphView + 3));
    ASSERT_NE(strokes, nullptr);
    EXPECT_EQ(strokes->Kind(), GraphKind::StrokeRatings);
    EXPECT_EQ(strokes->windowTitle(), QStringLiteral("Stroke Ratings"));
    EXPECT_EQ(clicks_, 3);

    const QStringList names{"time-summary", "time-by-month", "game-ratings",    "stroke-ratings",
                            "goal",         "charting-game", "charting-strokes"};
    const QStringList titles{"Time Played Summary",    "Time Played Monthly Summary",
                             "Total Game Ratings",     "Stroke Ratings",
                             "Goal Progress",          "Charting Summary",
                             "Charting Stroke Summary"};
    for (int kind = 0; kind < kui::kGraphKindCount; ++kind) {
        ASSERT_TRUE(Client().Commands().Find(kui::CmTimePlayedSummary + kind)->Enabled());
        const kui::ViewRow* row = Client().Commands().FindView(names[kind]);
        ASSERT_NE(row, nullptr) << names[kind].toStdString();
        std::unique_ptr<TKvrChild> view(row->make(Client()));
        EXPECT_EQ(view->ChildId(), kui::FirstGraphView + kind);
        EXPECT_EQ(view->windowTitle(), titles[kind]);
        // Drawn from the empty stores: the charting graphs say so.
        TextRecorder recorder(QSize(600, 550));
        {
            QPainter painter(&recorder);
            view->Render(painter, QSize(600, 550));
        }
        if (kind == 6) {
            EXPECT_NE(recorder.Find(QStringLiteral("No Charting Data to Graph!")), nullptr);
        }
    }
}

} // namespace
} // namespace kvrtest
