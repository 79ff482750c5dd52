// SPDX-License-Identifier: GPL-3.0-or-later
#include "play/graph_text.h"

#include <algorithm>
#include <initializer_list>
#include <utility>

namespace kui {

namespace {

constexpr int kMonthsShown = 60;

QString Number(double value) {
    return QString::asprintf("%3.1f", value).trimmed();
}

QString Share(double part, double whole) {
    return QString::asprintf("%.0f%%", whole > 0 ? 100.0 * part / whole : 0.0);
}

QString Bars(int count) {
    return count == 1 ? QStringLiteral("1 bar") : QStringLiteral("%1 bars").arg(count);
}

// "name: count (share)" for every slice of a pie drawn from `counts`; a
// count of nothing draws no slice and is not named.
void Slices(QStringList& lines, const QString& title, double total,
            std::initializer_list<std::pair<const char*, int>> counts) {
    QStringList slices;
    if (total > 0)
        for (const auto& [name, count] : counts)
            if (count > 0)
                slices << QStringLiteral("%1 %2 (%3)")
                              .arg(QString::fromLatin1(name))
                              .arg(count)
                              .arg(Share(count, total));
    lines << title + QStringLiteral(": ") +
                 (slices.isEmpty() ? QStringLiteral("none") : slices.join(QStringLiteral(", ")));
}

void TimeSummary(ViewText& text, const GraphData& data) {
    const PlayStatistics& s = data.stats;
    text.name = QStringLiteral("Playing Time Summary");
    if (!(s.currentTime >= 0)) {
        text.lines << QStringLiteral("Error Calculating Time Summary!");
        return;
    }
    const bool pie = data.currentRecords > 0 && s.currentTime > 0;
    for (const auto& [name, hours] :
         {std::pair{"Matches", s.currentMatchTime}, std::pair{"Practice", s.currentPracticeTime},
          std::pair{"Lessons", s.currentLessonTime}}) {
        QString line = QStringLiteral("%1: %2 Hours").arg(QString::fromLatin1(name), Number(hours));
        if (pie)
            line +=
                QStringLiteral(", %1 of the pie").arg(Share(std::max(0.0f, hours), s.currentTime));
        text.lines << line;
    }
}

void TimeByMonth(ViewText& text, const GraphData& data) {
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    text.name = QStringLiteral("Total Playing Time By Month");
    const int n = std::clamp(data.monthsCovered, 0, kMonthsShown);
    float maximum = 1.0f;
    QStringList bars;
    for (int i = 0; i < n; ++i) {
        const float hours = data.stats.monthlyTime[static_cast<std::size_t>(i)];
        maximum = std::max(maximum, hours);
        // Months counted from January of the year 0: each bar's month and year.
        const int month = data.currentYear * 12 + data.currentMonth - 1 - (n - 1 - i);
        bars << QStringLiteral("%1 %2 %3")
                    .arg(QString::fromLatin1(kMonths[month % 12]))
                    .arg(month / 12)
                    .arg(Number(hours));
    }
    text.lines << QStringLiteral("%1, one a month, hours on a scale of 0 to %2")
                      .arg(Bars(n), Number(maximum));
    if (!bars.isEmpty())
        text.lines << bars.join(QStringLiteral(", "));
}

void Ratings(ViewText& text, const QString& title, const std::vector<int>& values, int maximum) {
    QStringList bars;
    for (std::size_t i = 0; i < values.size(); ++i)
        bars << QStringLiteral("%1: %2").arg(i + 1).arg(values[i]);
    QString line = QStringLiteral("%1: %2, one an outing, on a scale of 0 to %3")
                       .arg(title, Bars(static_cast<int>(values.size())))
                       .arg(maximum);
    if (!bars.isEmpty())
        line += QStringLiteral("; ") + bars.join(QStringLiteral(", "));
    text.lines << line;
}

void Goal(ViewText& text, const GraphData& data) {
    text.name = QStringLiteral("Percentage of Goal Reached");
    if (!data.goalProgress)
        return;
    const double reached = std::clamp(static_cast<double>(*data.goalProgress), 0.0, 1.0);
    text.lines << QString::asprintf("%.0f%% reached", reached * 100)
               << QStringLiteral("Your average stroke rating this goal period, out of 10");
}

void ChartingGame(ViewText& text, const GraphData& data) {
    text.name = QStringLiteral("Charting Summary");
    if (data.chartCount == 0) {
        text.lines << QStringLiteral("No data to graph!");
        return;
    }
    const int n = static_cast<int>(data.charts.size());
    QStringList serves, winners;
    for (int k = 0; k < n; ++k) {
        const ChartFigures& chart = data.charts[static_cast<std::size_t>(k)];
        serves << QStringLiteral("match %1: %2 and %3")
                      .arg(k + 1)
                      .arg(Number(chart.firstServePercent), Number(chart.returnPercent));
        winners << QStringLiteral("match %1: %2 and %3")
                       .arg(k + 1)
                       .arg(Number(chart.totalWinners), Number(chart.totalErrors));
    }
    text.lines << QStringLiteral("Serve/Return Percentages, 1st Serve % and Return %, a line at "
                                 "75%, %1 matches: %2")
                      .arg(n)
                      .arg(serves.join(QStringLiteral(", ")))
               << QStringLiteral("Winners/Unforced Errors, Winners and Errors, %1 matches: %2")
                      .arg(n)
                      .arg(winners.join(QStringLiteral(", ")));
}

void ChartingStrokes(ViewText& text, const GraphData& data) {
    text.name = QStringLiteral("Charting Stroke Summary");
    if (data.chartCount == 0) {
        text.lines << QStringLiteral("No Charting Data to Graph!");
        return;
    }
    const ChartSums& s = data.chartSums;
    Slices(text.lines, QStringLiteral("Winners"), s.totalWinners,
           {{"Forehand", s.forehandWinners},
            {"Backhand", s.backhandWinners},
            {"Serve", s.aces},
            {"Volley", s.volleysWon},
            {"Return", s.returnWinners}});
    Slices(text.lines, QStringLiteral("Errors"), s.totalErrors,
           {{"Forehand", s.forehandErrors},
            {"Backhand", s.backhandErrors},
            {"Serve", s.doubleFaults},
            {"Volley", s.volleyErrors},
            {"Return", s.returnErrors},
            {"Approach", s.approachErrors}});
}

} // namespace

ViewText GraphText(const GraphData& data) {
    ViewText text;
    switch (data.kind) {
    case GraphKind::TimeSummary:
        TimeSummary(text, data);
        break;
    case GraphKind::TimeByMonth:
        TimeByMonth(text, data);
        break;
    case GraphKind::GameRatings:
        text.name = QStringLiteral("Total Game Progress");
        Ratings(text, text.name, data.grandTotal, 240);
        break;
    case GraphKind::StrokeRatings: {
        text.name = GraphTitle(data.kind);
        using kvr::Stroke;
        for (const auto& [stroke, title] :
             {std::pair{Stroke::Forehand, "Forehand"}, std::pair{Stroke::Backhand, "Backhand"},
              std::pair{Stroke::Serve, "Serve"}, std::pair{Stroke::Volley, "Volley"},
              std::pair{Stroke::Approach, "Approach"}, std::pair{Stroke::Return, "Return"}}) {
            std::vector<int> values;
            for (const auto& totals : data.strokeTotal)
                values.push_back(totals[kvr::Index(stroke)]);
            Ratings(text, QString::fromLatin1(title), values, 40);
        }
        break;
    }
    case GraphKind::Goal:
        Goal(text, data);
        break;
    case GraphKind::ChartingGame:
        ChartingGame(text, data);
        break;
    case GraphKind::ChartingStrokes:
        ChartingStrokes(text, data);
        break;
    }
    if (const QString empty = EmptyGraphText(data); !empty.isEmpty())
        text.lines << empty;
    return text;
}

} // namespace kui
