// SPDX-License-Identifier: GPL-3.0-or-later
#include "play/graphs.h"

#include "charting/chart_store.h"
#include "core/date.h"
#include "play/statistics.h"
#include "ui/drawing.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include <QFontMetrics>
#include <QPainter>
#include <QStringList>

namespace kui {

namespace {

const QColor kTitleBlue(16, 11, 117);
const QColor kLegendBlue(29, 128, 226);
const QColor kClay(207, 69, 48);
const QColor kGrey(128, 128, 128);
const QColor kRed(255, 0, 0);
const QColor kGreen(0, 255, 0);
const QColor kYellow(255, 255, 0);
const QColor kBlue(0, 0, 255);
const QColor kCyan(0, 255, 255);
const QColor kWhite(255, 255, 255);

// The most charts the charting graphs look at: the newest ones.
constexpr int kChartsShown = 30;
// The most months the monthly graph shows.
constexpr int kMonthsShown = 60;

// Selects the scaled font of the view (cell height size.height() / a,
// average width size.width() / b), enlarged in both directions alike when
// its cell would be lower than kSmallestText. Returns its row unit.
int UseGraphFont(QPainter& painter, QSize size, int a, int b) {
    const int height = size.height() / a;
    const int width = size.width() / b;
    if (height >= kSmallestText || height <= 0) {
        painter.setFont(ArialFont(height, width, painter.device()));
    } else {
        painter.setFont(ArialFont(kSmallestText, width * kSmallestText / height, painter.device()));
    }
    return RowUnit(painter);
}

QString Fixed1(double value) {
    return QString::asprintf("%3.1f", value);
}

// The largest circle inside `box`, centred in it: a pie stays round in a
// window of any shape.
QRect Circle(const QRect& box) {
    const int side = std::min(box.width(), box.height());
    return QRect(box.center().x() - (side - 1) / 2, box.center().y() - (side - 1) / 2, side, side);
}

// A slice of the ellipse inscribed in `box`, from `start` to `end` degrees,
// counter-clockwise from 3 o'clock. A slice of a whole turn is the whole
// ellipse; one of no angle is not drawn, so a share of 0 shows nothing.
void Slice(QPainter& painter, const QRect& box, double start, double end) {
    const double span = end - start;
    if (span <= 0)
        return;
    if (span >= 360) {
        painter.drawEllipse(box);
        return;
    }
    painter.drawPie(box, static_cast<int>(std::lround(start * 16)),
                    static_cast<int>(std::lround(span * 16)));
}

// A box centred on the view's centre reaching `fx` of the width and `fy` of
// the height to either side.
QRect CentredBox(QSize size, double fx, double fy) {
    const int cx = size.width() / 2;
    const int cy = size.height() / 2;
    const int dx = Frac(size.width(), fx);
    const int dy = Frac(size.height(), fy);
    return QRect(QPoint(cx - dx, cy - dy), QPoint(cx + dx, cy + dy));
}

// A bar chart in the rectangle (left, top, right, bottom) of a view of
// `size`: a grey panel, a white plot with the bars standing on its bottom
// edge, the title above and, when asked, a scale on the left.
struct BarChart {
    QRect area;
    QColor colour;
    QString title;
    std::vector<float> values{};
    QStringList labels{}; // empty: no labels
    float maximum = 1;
    bool scale = false;
    // A month axis: bar 0 is `firstMonth` (0 = January) of `firstYear`, a
    // bar a month. Its labels fall on whole quarters, halves or years of the
    // calendar, with the year under the first label and under each January.
    struct MonthAxis {
        int firstMonth = 0;
        int firstYear = 0;
    };
    std::optional<MonthAxis> months{};
};

// The month labels' step: every month when they fit side by side, else
// every 3, 6 or 12 months, the first that leaves `room` pixels a label.
int MonthLabelStep(double barWidth, double room) {
    for (int step : {1, 3, 6})
        if (step * barWidth >= room)
            return step;
    return 12;
}

// The labels under the bars of a month axis: the month's name on the
// months the step divides, the years on a row below.
void DrawMonthLabels(QPainter& painter, const BarChart& chart, int plotLeft, int labelTop,
                     double barWidth) {
    const BarChart::MonthAxis& axis = *chart.months;
    const int n = static_cast<int>(chart.values.size());
    const QFontMetrics metrics = painter.fontMetrics();
    int widest = 0;
    for (const QString& label : chart.labels)
        widest = std::max(widest, metrics.horizontalAdvance(label));
    const int space = metrics.horizontalAdvance(QLatin1Char(' '));
    const int step = MonthLabelStep(barWidth, widest + space);
    const int yearWidth = metrics.horizontalAdvance(QStringLiteral("2000"));
    const int yearTop = labelTop + RowUnit(painter);
    auto middle = [&](int i) { return static_cast<int>(plotLeft + (i + 0.5) * barWidth); };
    std::vector<int> labelled;
    for (int i = 0; i < n && i < chart.labels.size(); ++i)
        if ((axis.firstMonth + i) % step == 0)
            labelled.push_back(i);
    // Too few months for a label on a whole quarter or half: the first one.
    if (labelled.empty() && n > 0)
        labelled.push_back(0);
    // A label that would pass the chart's right edge is left out.
    const int rightEdge = chart.area.right();
    auto fits = [&](int i, int width) { return middle(i) + (width + 1) / 2 <= rightEdge; };
    for (std::size_t k = 0; k < labelled.size(); ++k) {
        const int i = labelled[k];
        if (!fits(i, metrics.horizontalAdvance(chart.labels[i])))
            continue;
        DrawText(painter, middle(i), labelTop, chart.labels[i], Align::Center);
        const int month = axis.firstMonth + i;
        bool year = month % 12 == 0;
        // The first label's year, unless the next January's would run into it.
        if (k == 0 && !year) {
            const int nextJanuary = 12 - axis.firstMonth;
            year = nextJanuary >= n || (nextJanuary - i) * barWidth >= yearWidth + space;
        }
        if (year && fits(i, yearWidth))
            DrawText(painter, middle(i), yearTop, QString::number(axis.firstYear + month / 12),
                     Align::Center);
    }
}

void DrawBarChart(QPainter& painter, QSize size, const BarChart& chart) {
    const int left = chart.area.left();
    const int top = chart.area.top();
    const int right = chart.area.right() + 1;
    const int bottom = chart.area.bottom() + 1;
    const int c = Frac(right - left, 0.05);
    // The plot's margins hold the title above, the scale's labels on the
    // left and the bar labels below: each at least as wide or high as what
    // it holds, so none is cut or runs into the plot.
    const int titleRow = UseGraphFont(painter, size, 20, 40);
    int plotLeft = left + c;
    int scaleRow = 0;
    const QString half = Fixed1(chart.maximum / 2);
    const QString most = Fixed1(chart.maximum);
    if (chart.scale) {
        scaleRow = UseGraphFont(painter, size, 30, 60);
        plotLeft = std::max(left + 3 * c, left + 3 + Widest(painter, {half, most}));
    }
    const int plotRight = right - c;
    const int plotTop = std::max(top + 5 * c, top + 2 * c + titleRow + 1);
    int plotBottom = bottom - 2 * c;
    if (!chart.labels.isEmpty())
        plotBottom = std::min(
            plotBottom, bottom - 7 - (chart.months ? 2 : 1) * UseGraphFont(painter, size, 40, 70));
    if (plotRight - plotLeft < 10 || plotBottom - plotTop < 10)
        return;

    RaisedPanel(painter, left, top, right, bottom, LightGrey());
    RaisedPanel(painter, plotLeft, plotTop, plotRight, plotBottom, kWhite);

    const double plotHeight = plotBottom - plotTop;
    const double vscale = plotHeight / chart.maximum;
    const int n = static_cast<int>(chart.values.size());
    const double barWidth = n > 0 ? static_cast<double>(plotRight - plotLeft) / n : 0;
    int step = LabelStep(barWidth);

    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(chart.colour);
    if (!chart.labels.isEmpty() && !chart.months) {
        UseGraphFont(painter, size, 40, 70);
        // The labels' font grows with the view's width, so on a wide view
        // the step from the bars' width alone would run labels into each
        // other: it widens until a label and a space fit between two.
        const QFontMetrics metrics = painter.fontMetrics();
        int widest = 0;
        for (const QString& label : chart.labels)
            widest = std::max(widest, metrics.horizontalAdvance(label));
        const double room = widest + metrics.horizontalAdvance(QLatin1Char(' '));
        while (step < n && step * barWidth < room)
            ++step;
    }
    for (int i = 0; i < n; ++i) {
        const double x = plotLeft + i * barWidth;
        // Negative values stand as empty bars; a value over the maximum
        // stops at the plot's top edge.
        const double height = std::clamp(chart.values[i] * vscale, 0.0, plotHeight);
        painter.drawRect(QRectF(x, plotBottom - height, barWidth, height));
        if (!chart.months && i % step == 0 && i < chart.labels.size())
            DrawText(painter, static_cast<int>(x + barWidth / 2), plotBottom + 5, chart.labels[i],
                     Align::Center);
    }
    if (chart.months && !chart.labels.isEmpty()) {
        UseGraphFont(painter, size, 40, 70);
        DrawMonthLabels(painter, chart, plotLeft, plotBottom + 5, barWidth);
    }

    UseGraphFont(painter, size, 20, 40);
    NarrowToFit(painter, {chart.title}, right - left - 4);
    painter.setPen(kTitleBlue);
    DrawText(painter, (left + right) / 2, top + 2 * c, chart.title, Align::Center);

    if (chart.scale) {
        const int halfway = plotBottom - static_cast<int>(chart.maximum / 2 * vscale);
        painter.setPen(QPen(Qt::black, 1));
        painter.drawLine(plotLeft, halfway, plotRight, halfway);
        UseGraphFont(painter, size, 30, 60);
        painter.setPen(kTitleBlue);
        // In a plot too low for both, the maximum alone.
        if (halfway - plotTop >= scaleRow)
            DrawText(painter, plotLeft - 1, halfway, half, Align::Right);
        DrawText(painter, plotLeft - 1, plotTop, most, Align::Right);
    }
}

void DrawTimeSummary(QPainter& painter, QSize size, const GraphData& data) {
    const PlayStatistics& s = data.stats;
    if (!(s.currentTime >= 0)) {
        DrawText(painter, 10, 10, QStringLiteral("Error Calculating Time Summary!"));
        return;
    }
    const int w = size.width();
    const int h = size.height();
    const int cx = w / 2;
    const int cy = h / 2;
    const QRect box = Circle(CentredBox(size, 0.25, 0.25));
    const QRect panel = CentredBox(size, 0.275, 0.275);
    RaisedPanel(painter, panel.left(), panel.top(), panel.right(), panel.bottom(), kWhite);

    UseGraphFont(painter, size, 20, 40);
    painter.setPen(kTitleBlue);
    DrawText(painter, cx, cy - Frac(h, 0.45), QStringLiteral("Playing Time Summary"),
             Align::Center);
    if (data.currentRecords == 0)
        return;

    painter.setPen(QPen(Qt::black, 1));
    const double total = s.currentTime;
    double angle = 0;
    // Each kind's share of the hours; hours of no known kind are left out
    // of every slice rather than counted as lessons.
    for (const auto& [hours, colour] :
         {std::pair{s.currentPracticeTime, kRed}, std::pair{s.currentMatchTime, kBlue},
          std::pair{s.currentLessonTime, kYellow}}) {
        if (hours > 0 && total > 0) {
            const double end = std::min(360.0, angle + 360.0 * hours / total);
            painter.setBrush(colour);
            Slice(painter, box, angle, end);
            angle = end;
        }
    }

    // The legend. Its texts are a size smaller than the title's and stacked
    // a row apart, so the hours never run into the names; each text keeps
    // within its quarter of the width, and the whole legend within the view.
    struct Entry {
        double x;
        QColor colour;
        QString name;
        QString hours;
    };
    auto hours = [](float value) {
        return QString::asprintf("%3.1f Hours", static_cast<double>(value));
    };
    const Entry entries[] = {
        {-0.35, kBlue, QStringLiteral("Matches"), hours(s.currentMatchTime)},
        {-0.1, kRed, QStringLiteral("Practice"), hours(s.currentPracticeTime)},
        {0.15, kYellow, QStringLiteral("Lessons"), hours(s.currentLessonTime)}};
    const int row = UseGraphFont(painter, size, 30, 60);
    NarrowToFit(painter,
                {entries[0].name, entries[0].hours, entries[1].name, entries[1].hours,
                 entries[2].name, entries[2].hours},
                Frac(w, 0.25) - 4);
    const int swatchWidth = Frac(w, 0.15);
    const int swatchHeight = Frac(h, 0.05);
    const int swatchTop = std::min(cy + Frac(h, 0.35), h - 3 - swatchHeight - 5 - 2 * row);
    const int swatchBottom = swatchTop + swatchHeight;
    for (const Entry& entry : entries) {
        const int left = cx + static_cast<int>(w * entry.x);
        RaisedPanel(painter, left, swatchTop, left + swatchWidth, swatchBottom, entry.colour);
        const int middle = left + swatchWidth / 2;
        painter.setPen(kLegendBlue);
        DrawText(painter, middle, swatchBottom + 5, entry.name, Align::Center);
        DrawText(painter, middle, swatchBottom + 5 + row, entry.hours, Align::Center);
    }
}

void DrawTimeByMonth(QPainter& painter, QSize size, const GraphData& data) {
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const int n = std::clamp(data.monthsCovered, 0, kMonthsShown);
    // Months counted from January of the year 0, so that bar 0's month and
    // year come out of one division.
    const int first = data.currentYear * 12 + data.currentMonth - 1 - (n - 1);
    BarChart chart{.area = QRect(QPoint(0, 0), size),
                   .colour = kRed,
                   .title = QStringLiteral("Total Playing Time By Month"),
                   .maximum = 1.0f,
                   .scale = true,
                   .months =
                       BarChart::MonthAxis{.firstMonth = first % 12, .firstYear = first / 12}};
    for (int i = 0; i < n; ++i) {
        const float hours = data.stats.monthlyTime[static_cast<std::size_t>(i)];
        chart.values.push_back(hours);
        chart.maximum = std::max(chart.maximum, hours);
        // Bar n - 1 is this month; each bar to the left the month before.
        const int month = ((data.currentMonth - 1 - (n - 1 - i)) % 12 + 12) % 12;
        chart.labels.append(QString::fromLatin1(kMonths[month]));
    }
    DrawBarChart(painter, size, chart);
}

BarChart RatingsChart(QRect area, const QString& title, float maximum) {
    return BarChart{.area = area, .colour = kRed, .title = title, .maximum = maximum};
}

void DrawStrokeRatings(QPainter& painter, QSize size, const GraphData& data) {
    using kvr::Stroke;
    struct Cell {
        Stroke stroke;
        const char* title;
    };
    static const Cell kCells[] = {{Stroke::Forehand, "Forehand"}, {Stroke::Backhand, "Backhand"},
                                  {Stroke::Serve, "Serve"},       {Stroke::Volley, "Volley"},
                                  {Stroke::Approach, "Approach"}, {Stroke::Return, "Return"}};
    const int w = size.width();
    const int h = size.height();
    for (int cell = 0; cell < 6; ++cell) {
        const int column = cell % 3;
        const int row = cell / 3;
        const QRect area(QPoint(column * w / 3, row * h / 2),
                         QPoint((column + 1) * w / 3 - 1, (row + 1) * h / 2 - 1));
        BarChart chart = RatingsChart(area, QString::fromLatin1(kCells[cell].title), 40);
        for (const auto& totals : data.strokeTotal)
            chart.values.push_back(static_cast<float>(totals[kvr::Index(kCells[cell].stroke)]));
        DrawBarChart(painter, size, chart);
    }
}

void DrawGoal(QPainter& painter, QSize size, const GraphData& data) {
    const int h = size.height();
    const int cx = size.width() / 2;
    const int cy = h / 2;
    const QRect box = Circle(CentredBox(size, 0.4, 0.35));
    const QRect panel = CentredBox(size, 0.44, 0.385);
    RaisedPanel(painter, panel.left(), panel.top(), panel.right(), panel.bottom(), kWhite);
    if (!data.goalProgress)
        return;
    const double reached = std::clamp(static_cast<double>(*data.goalProgress), 0.0, 1.0);

    const int line = UseGraphFont(painter, size, 20, 50);
    painter.setPen(kTitleBlue);
    DrawText(painter, cx, cy - Frac(h, 0.45), QStringLiteral("Percentage of Goal Reached"),
             Align::Center);
    // The figure stands on the view's bottom edge where the font kept at
    // the legible floor is too high for the room below the panel.
    const int figureTop = std::min(
        cy + Frac(h, 0.4),
        h - static_cast<int>(std::ceil(QFontMetricsF(painter.font(), painter.device()).height())));
    DrawText(painter, cx, figureTop, QString::asprintf("%2.0f%%", reached * 100), Align::Center);
    // What the figure measures: the goal is a 10 for every stroke at every
    // level, so the share is the period's average rating out of 10.
    // A view too small to hold the line whole, without squeezing it past
    // legibility, goes without it.
    UseGraphFont(painter, size, 32, 75);
    const QString measure =
        QStringLiteral("Your average stroke rating this goal period, out of 10");
    const int measureTop = figureTop + line;
    NarrowToFit(painter, {measure}, size.width() - 2);
    const int stretch = painter.font().stretch();
    if ((stretch == 0 || stretch >= 60) && Widest(painter, {measure}) <= size.width() - 2 &&
        measureTop + painter.fontMetrics().height() <= h)
        DrawText(painter, cx, measureTop, measure, Align::Center);

    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(kClay);
    Slice(painter, box, 0, 360 * reached);
    painter.setBrush(kGrey);
    Slice(painter, box, 360 * reached, 360);
}

// The text of an empty graph in the middle of the view, on a white panel
// of its own, wrapped within most of the view's width.
void DrawEmptyHint(QPainter& painter, QSize size, const QString& text) {
    UseGraphFont(painter, size, 28, 60);
    const int room = std::max(Frac(size.width(), 0.8), 1);
    const QRect bounds = painter.fontMetrics().boundingRect(
        QRect(0, 0, room, size.height()), Qt::AlignCenter | Qt::TextWordWrap, text);
    const QRect box(
        QPoint((size.width() - bounds.width()) / 2, (size.height() - bounds.height()) / 2),
        bounds.size());
    const int margin = std::max(4, RowUnit(painter) / 2);
    RaisedPanel(painter, box.left() - margin, box.top() - margin, box.right() + margin,
                box.bottom() + margin, kWhite);
    painter.setPen(kTitleBlue);
    painter.drawText(box, Qt::AlignCenter | Qt::TextWordWrap, text);
}

void DrawNoData(QPainter& painter, QSize size, const QString& text) {
    UseGraphFont(painter, size, 20, 50);
    painter.setPen(Qt::black);
    DrawText(painter, Frac(size.width(), 0.25), Frac(size.height(), 0.5), text);
}

// A raised bar of height `height` standing on `base`, never taller than `most`.
void StandingBar(QPainter& painter, double x0, double x1, int base, double height, double most,
                 const QColor& colour) {
    const int top = base - static_cast<int>(std::clamp(height, 0.0, most));
    RaisedPanel(painter, static_cast<int>(x0), top, static_cast<int>(x1), base, colour);
}

void DrawChartingGame(QPainter& painter, QSize size, const GraphData& data) {
    if (data.chartCount == 0) {
        DrawNoData(painter, size, QStringLiteral("No data to graph!"));
        return;
    }
    const int w = size.width();
    const int h = size.height();
    auto X = [w](double f) { return Frac(w, f); };
    auto Y = [h](double f) { return Frac(h, f); };

    painter.setPen(QPen(Qt::black, 1));
    painter.drawLine(0, Y(0.5), w, Y(0.5));
    RaisedPanel(painter, X(0.1), Y(0.1), X(0.9), Y(0.4), kWhite);
    RaisedPanel(painter, X(0.1), Y(0.6), X(0.9), Y(0.9), kWhite);

    // Each title stands a pixel clear of its panel: the font's cell is as
    // high as the gap above the panel, so its descenders would touch it.
    const int titleRow = UseGraphFont(painter, size, 20, 40);
    painter.setPen(kTitleBlue);
    NarrowToFit(
        painter,
        {QStringLiteral("Serve/Return Percentages"), QStringLiteral("Winners/Unforced Errors")},
        w - 4);
    DrawText(painter, X(0.5), std::max(2, std::min(Y(0.05), Y(0.1) - titleRow - 1)),
             QStringLiteral("Serve/Return Percentages"), Align::Center);
    DrawText(painter, X(0.5), std::min(Y(0.55) + 2, Y(0.6) - titleRow - 1),
             QStringLiteral("Winners/Unforced Errors"), Align::Center);

    const int n = static_cast<int>(data.charts.size());
    const int gap = w / ((n / 10) * 60 + 60);
    const double barWidth = (0.8 * w - n * gap) / (2.0 * n + 2);
    const double scale = 0.2 * h / 100;
    // A bar reaches at most the top of its panel, whatever its count.
    const double most = Y(0.4) - Y(0.1);
    for (int k = 0; k < n; ++k) {
        const ChartFigures& chart = data.charts[static_cast<std::size_t>(k)];
        const double x0 = X(0.1) + k * gap + (2 * k + 1) * barWidth;
        const double x1 = x0 + barWidth;
        const double x2 = x1 + barWidth;
        StandingBar(painter, x0, x1, Y(0.4), chart.firstServePercent * scale, most, kRed);
        StandingBar(painter, x1, x2, Y(0.4), chart.returnPercent * scale, most, kCyan);
        StandingBar(painter, x0, x1, Y(0.9), chart.totalWinners * scale, most, kCyan);
        StandingBar(painter, x1, x2, Y(0.9), chart.totalErrors * scale, most, kRed);
    }

    const int legendRow = UseGraphFont(painter, size, 35, 70);
    NarrowToFit(painter, {QStringLiteral("75%")}, X(0.1) - 3);
    painter.setPen(kTitleBlue);
    DrawText(painter, X(0.1), Y(0.25), QStringLiteral("75%"), Align::Right);
    UseGraphFont(painter, size, 35, 70);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawLine(X(0.1), Y(0.25), X(0.9), Y(0.25));

    // Each name under its swatch; where the band under a panel is too low
    // for that (a small view), beside it, so that it stays above the middle
    // line or the view's bottom edge.
    struct Swatch {
        double x, y;
        QColor colour;
        QString name;
        int bandBottom;
    };
    const Swatch swatches[] = {{0.2, 0.42, kRed, QStringLiteral("1st Serve %"), Y(0.5)},
                               {0.6, 0.42, kCyan, QStringLiteral("Return %"), Y(0.5)},
                               {0.2, 0.92, kCyan, QStringLiteral("Winners"), h - 2},
                               {0.6, 0.92, kRed, QStringLiteral("Errors"), h - 2}};
    NarrowToFit(painter, {swatches[0].name, swatches[1].name}, X(0.6) - X(0.24) - 6);
    for (const Swatch& swatch : swatches) {
        const int left = X(swatch.x);
        const int top = Y(swatch.y);
        const int bottom = Y(swatch.y + 0.03);
        RaisedPanel(painter, left, top, X(swatch.x + 0.04), bottom, swatch.colour);
        painter.setPen(kTitleBlue);
        if (bottom + legendRow < swatch.bandBottom) {
            DrawText(painter, X(swatch.x + 0.02), bottom, swatch.name, Align::Center);
        } else {
            const int y = std::min((top + bottom - legendRow) / 2, swatch.bandBottom - legendRow);
            DrawText(painter, X(swatch.x + 0.04) + 3, y, swatch.name);
        }
    }
}

// Consecutive slices of `counts`' shares of `total`, from 3 o'clock.
void SharesPie(QPainter& painter, const QRect& box, float total,
               std::initializer_list<std::pair<int, QColor>> counts) {
    if (!(total > 0))
        return;
    double angle = 0;
    for (const auto& [count, colour] : counts) {
        if (count <= 0)
            continue;
        const double end = std::min(360.0, angle + 360.0 * count / total);
        painter.setBrush(colour);
        Slice(painter, box, angle, end);
        angle = end;
    }
}

void DrawChartingStrokes(QPainter& painter, QSize size, const GraphData& data) {
    if (data.chartCount == 0) {
        DrawNoData(painter, size, QStringLiteral("No Charting Data to Graph!"));
        return;
    }
    const int w = size.width();
    const int h = size.height();
    auto X = [w](double f) { return Frac(w, f); };
    auto Y = [h](double f) { return Frac(h, f); };
    const ChartSums& s = data.chartSums;

    painter.setPen(QPen(kGrey, 1));
    SharesPie(painter, Circle(QRect(QPoint(X(0.1), Y(0.2)), QPoint(X(0.45), Y(0.7)))),
              s.totalWinners,
              {{s.forehandWinners, kRed},
               {s.backhandWinners, kWhite},
               {s.aces, kBlue},
               {s.volleysWon, kYellow},
               {s.returnWinners, kCyan}});
    SharesPie(painter, Circle(QRect(QPoint(X(0.55), Y(0.2)), QPoint(X(0.9), Y(0.7)))),
              s.totalErrors,
              {{s.forehandErrors, kRed},
               {s.backhandErrors, kWhite},
               {s.doubleFaults, kBlue},
               {s.volleyErrors, kYellow},
               {s.returnErrors, kCyan},
               {s.approachErrors, kGreen}});

    UseGraphFont(painter, size, 20, 40);
    painter.setPen(kTitleBlue);
    DrawText(painter, X(0.25), Y(0.1), QStringLiteral("Winners"), Align::Center);
    DrawText(painter, X(0.75), Y(0.1), QStringLiteral("Errors"), Align::Center);

    // Each name ends at its swatch and starts clear of the swatch on its
    // left (of the view's edge for the first column); the lower row keeps
    // within the view.
    const int row = UseGraphFont(painter, size, 30, 50);
    const QString forehand = QStringLiteral("Forehand"), backhand = QStringLiteral("Backhand");
    const QString serve = QStringLiteral("Serve"), volley = QStringLiteral("Volley");
    const QString ret = QStringLiteral("Return"), approach = QStringLiteral("Approach");
    NarrowToFit(painter, {forehand, backhand}, X(0.2) - 3);
    NarrowToFit(painter, {serve, volley}, X(0.5) - X(0.2) - X(0.1) - 3);
    NarrowToFit(painter, {ret, approach}, X(0.85) - X(0.5) - X(0.1) - 3);
    const int swatchWidth = X(0.1);
    const int swatchHeight = std::max(1, std::min(X(0.05), h - 3 - Y(0.87)));
    struct Swatch {
        double x, y;
        QColor colour;
        const QString& name;
    };
    for (const Swatch& swatch :
         {Swatch{0.2, 0.75, kRed, forehand}, Swatch{0.2, 0.87, kWhite, backhand},
          Swatch{0.5, 0.75, kBlue, serve}, Swatch{0.5, 0.87, kYellow, volley},
          Swatch{0.85, 0.75, kCyan, ret}, Swatch{0.85, 0.87, kGreen, approach}}) {
        const int left = X(swatch.x);
        const int top = Y(swatch.y);
        RaisedPanel(painter, left, top, left + swatchWidth, top + swatchHeight, swatch.colour);
        painter.setPen(kTitleBlue);
        DrawText(painter, left, std::min(top + swatchHeight / 4, h - 3 - row), swatch.name,
                 Align::Right);
    }
}

} // namespace

QString GraphTitle(GraphKind kind) {
    switch (kind) {
    case GraphKind::TimeSummary:
        return QStringLiteral("Time Played Summary");
    case GraphKind::TimeByMonth:
        return QStringLiteral("Time Played Monthly Summary");
    case GraphKind::GameRatings:
        return QStringLiteral("Total Game Ratings");
    case GraphKind::StrokeRatings:
        return QStringLiteral("Stroke Ratings");
    case GraphKind::Goal:
        return QStringLiteral("Goal Progress");
    case GraphKind::ChartingGame:
        return QStringLiteral("Charting Summary");
    case GraphKind::ChartingStrokes:
        return QStringLiteral("Charting Stroke Summary");
    }
    return {};
}

int LabelStep(double barWidth) {
    if (barWidth >= 30)
        return 1;
    if (barWidth < 3)
        return 6;
    if (barWidth < 5)
        return 5;
    if (barWidth < 15)
        return 4;
    if (barWidth < 20)
        return 3;
    return 2;
}

GraphData TakeGraphData(GraphKind kind, const KVR_PlayData& play, const kvr::PastRecords& past,
                        const KVR_ChartClass& charts) {
    return TakeGraphData(kind, play, past, statisticsOf(play, past, ZBD_Date()), charts);
}

GraphData TakeGraphData(GraphKind kind, const KVR_PlayData& play, const kvr::PastRecords& past,
                        const PlayStatistics& stats, const KVR_ChartClass& charts) {
    const ZBD_Date today;
    GraphData data;
    data.kind = kind;
    data.stats = stats;
    data.monthsCovered = monthsCovered(play, past, today);
    data.currentMonth = today.Month();
    data.currentYear = today.Year();
    data.currentRecords = static_cast<int>(play.Count());
    for (unsigned i = 0; i < play.Count(); ++i) {
        if (!play.At(static_cast<int>(i))->rated)
            continue; // an outing without ratings has no place on a ratings graph
        PlayRecord record;
        record.Assign(*play.At(static_cast<int>(i)));
        computeRecordTotals(record);
        data.grandTotal.push_back(record.grandTotal);
        data.strokeTotal.push_back(record.strokeTotal);
    }
    data.goalProgress = goalProgress(data.grandTotal);

    data.chartCount = static_cast<int>(charts.Count());
    ChartRecord sum;
    for (int i = std::max(0, data.chartCount - kChartsShown); i < data.chartCount; ++i) {
        ChartRecord chart;
        chart.Assign(*charts.At(i));
        chart.ComputeTotals();
        data.charts.push_back(
            {chart.firstServePercent, chart.returnPercent, chart.totalWinners, chart.totalErrors});
        sum.forehandWinners += chart.forehandWinners;
        sum.forehandErrors += chart.forehandErrors;
        sum.backhandWinners += chart.backhandWinners;
        sum.backhandErrors += chart.backhandErrors;
        sum.aces += chart.aces;
        sum.doubleFaults += chart.doubleFaults;
        sum.returnWinners += chart.returnWinners;
        sum.returnErrors += chart.returnErrors;
        sum.volleysWon += chart.volleysWon;
        sum.volleyErrors += chart.volleyErrors;
        sum.approachErrors += chart.approachErrors;
    }
    sum.ComputeTotals();
    data.chartSums = {.forehandWinners = sum.forehandWinners,
                      .backhandWinners = sum.backhandWinners,
                      .aces = sum.aces,
                      .volleysWon = sum.volleysWon,
                      .returnWinners = sum.returnWinners,
                      .forehandErrors = sum.forehandErrors,
                      .backhandErrors = sum.backhandErrors,
                      .doubleFaults = sum.doubleFaults,
                      .volleyErrors = sum.volleyErrors,
                      .returnErrors = sum.returnErrors,
                      .approachErrors = sum.approachErrors,
                      .totalWinners = sum.totalWinners,
                      .totalErrors = sum.totalErrors};
    return data;
}

QString EmptyGraphText(const GraphData& data) {
    const QString noRatings =
        QStringLiteral("No rated notes this goal period: Data > Record Notes");
    switch (data.kind) {
    case GraphKind::TimeSummary:
        if (data.currentRecords == 0 && data.stats.currentTime >= 0)
            return data.stats.hasHistory
                       ? QStringLiteral("No notes in this goal period yet: Data > Record Notes")
                       : QStringLiteral("No notes yet: Data > Record Notes");
        break;
    case GraphKind::GameRatings:
        if (data.grandTotal.empty())
            return noRatings;
        break;
    case GraphKind::StrokeRatings:
        if (data.strokeTotal.empty())
            return noRatings;
        break;
    case GraphKind::Goal:
        if (!data.goalProgress)
            return noRatings;
        break;
    default:
        break;
    }
    return {};
}

void DrawGraph(QPainter& painter, QSize size, const GraphData& data) {
    painter.save();
    SunkenPanel(painter, 0, 0, size.width() - 1, size.height() - 1, LightGrey());
    switch (data.kind) {
    case GraphKind::TimeSummary:
        DrawTimeSummary(painter, size, data);
        break;
    case GraphKind::TimeByMonth:
        DrawTimeByMonth(painter, size, data);
        break;
    case GraphKind::GameRatings: {
        BarChart chart =
            RatingsChart(QRect(QPoint(0, 0), size), QStringLiteral("Total Game Progress"), 240);
        for (int total : data.grandTotal)
            chart.values.push_back(static_cast<float>(total));
        DrawBarChart(painter, size, chart);
        break;
    }
    case GraphKind::StrokeRatings:
        DrawStrokeRatings(painter, size, data);
        break;
    case GraphKind::Goal:
        DrawGoal(painter, size, data);
        break;
    case GraphKind::ChartingGame:
        DrawChartingGame(painter, size, data);
        break;
    case GraphKind::ChartingStrokes:
        DrawChartingStrokes(painter, size, data);
        break;
    }
    if (const QString empty = EmptyGraphText(data); !empty.isEmpty())
        DrawEmptyHint(painter, size, empty);
    painter.restore();
}

} // namespace kui
