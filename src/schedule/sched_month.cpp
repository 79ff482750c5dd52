// SPDX-License-Identifier: GPL-3.0-or-later
#include "schedule/sched_month.h"

#include "schedule/sched_store.h"
#include "ui/drawing.h"
#include "ui/text.h"

#include <algorithm>

#include <QPainter>
#include <QPolygonF>

namespace kui {

namespace {
const QColor kTodayBlue(0, 0, 192);
const QColor kTournamentRed(200, 30, 30);

// The width of today's frame in `cell`: thicker in a large cell.
int TodayFrameWidth(const CalRect& cell) {
    return std::max(2, std::min(cell.right - cell.left, cell.bottom - cell.top) / 20);
}
} // namespace

int SchedulerHeaderBottom(QSize size, int buttonHeight) {
    return std::max(Frac(size.height(), 0.1), 5 + buttonHeight);
}

CalRect SchedulerGridFrame(QSize size, int buttonHeight) {
    const int w = size.width();
    const int h = size.height();
    return {Frac(w, 0.01), SchedulerHeaderBottom(size, buttonHeight) + Frac(h, 0.08), Frac(w, 0.99),
            h};
}

void DrawSchedulerMonth(QPainter& painter, QSize size, const SchedMonthData& data) {
    const int w = size.width();
    const int b = SchedulerHeaderBottom(size, data.buttonHeight);
    const CalRect frame = SchedulerGridFrame(size, data.buttonHeight);
    const int t = frame.top;
    painter.save();
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);

    RaisedPanel(painter, Frac(w, 0.2), 5, Frac(w, 0.8), b, LightGrey());
    UseScaledFont(painter, size, 23, 45);
    painter.setPen(QColor(16, 11, 117));
    DrawText(painter, Frac(w, 0.5), 5 + static_cast<int>(0.25 * (b - 5)), data.title,
             Align::Center);

    RaisedPanel(painter, frame.left, b, frame.right, t, LightGrey());
    UseScaledFont(painter, size, 30, 50);
    painter.setPen(QColor(0, 0, 255));
    const CalRect& first = data.cells[0];
    const int cellWidth = first.right - first.left;
    static const char* const kLetters[] = {"S", "M", "T", "W", "T", "F", "S"};
    for (int k = 0; k < 7; ++k)
        DrawText(painter, first.left + cellWidth * (2 * k + 1) / 2, b + (t - b) / 3,
                 QString::fromLatin1(kLetters[k]), Align::Center);

    for (int i = 0; i < CalendarBase::kCellCount; ++i) {
        const CalRect& cell = data.cells[static_cast<size_t>(i)];
        const int day = data.cellDay[static_cast<size_t>(i)];
        // A pressed cell sinks by a few pixels.
        const int sink = i == data.pressedCell ? 3 : 0;
        if (sink)
            SunkenPanel(painter, cell.left, cell.top, cell.right, cell.bottom, LightGrey());
        else
            RaisedPanel(painter, cell.left, cell.top, cell.right, cell.bottom, LightGrey());
        if (day <= 0)
            continue;
        const bool today = i == data.todayCell;
        if (today) {
            // Today: a blue frame along the cell's edges, and its number in bold.
            const int line = TodayFrameWidth(cell);
            painter.setPen(QPen(kTodayBlue, line, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
            painter.setBrush(Qt::NoBrush);
            const int inset = line / 2 + 1;
            painter.drawRect(QRect(QPoint(cell.left + inset + sink, cell.top + inset + sink),
                                   QPoint(cell.right - inset - line % 2 + sink,
                                          cell.bottom - inset - line % 2 + sink)));
        }
        painter.setPen(Qt::black);
        if (today) {
            QFont bold = painter.font();
            bold.setBold(true);
            painter.setFont(bold);
        }
        DrawText(painter, (cell.left + cell.right) / 2 + sink, cell.top + 5 + sink,
                 QString::number(day), Align::Center);
        if (today) {
            QFont plain = painter.font();
            plain.setBold(false);
            painter.setFont(plain);
        }
        if (data.tournament[static_cast<size_t>(i)]) {
            // A tournament: a red diamond left of where the round mark goes,
            // so that a day with both shows both.
            const double cw = cell.right - cell.left;
            const double ch = cell.bottom - cell.top;
            const double r = 0.17 * std::min(ch, cw);
            const QPointF c(cell.left + 0.3 * cw + sink, cell.top + 0.65 * ch + sink);
            painter.setPen(Qt::black);
            painter.setBrush(kTournamentRed);
            painter.setRenderHint(QPainter::Antialiasing, true);
            painter.drawPolygon(QPolygonF({QPointF(c.x(), c.y() - r), QPointF(c.x() + r, c.y()),
                                           QPointF(c.x(), c.y() + r), QPointF(c.x() - r, c.y())}));
            painter.setRenderHint(QPainter::Antialiasing, false);
            painter.setBrush(Qt::NoBrush);
        }
        if (data.marked[static_cast<size_t>(i)]) {
            const double cw = cell.right - cell.left;
            const double ch = cell.bottom - cell.top;
            painter.setPen(Qt::black);
            painter.setBrush(QColor(255, 255, 0));
            painter.setRenderHint(QPainter::Antialiasing, true);
            // A round mark, inside its cell however tall the cell is.
            const double radius = 0.15 * std::min(ch, cw);
            painter.drawEllipse(QPointF(cell.left + 0.7 * cw + sink, cell.top + 0.65 * ch + sink),
                                radius, radius);
            painter.setRenderHint(QPainter::Antialiasing, false);
            painter.setBrush(Qt::NoBrush);
        }
        if (i == data.focusedCell) {
            // The keyboard's day: a dotted black frame just inside the
            // cell's edges, thicker in a large cell.
            const int cw = cell.right - cell.left;
            const int ch = cell.bottom - cell.top;
            const int line = std::max(1, std::min(cw, ch) / 30);
            // Inside today's frame when today has the keys, so both show.
            const int within = today ? TodayFrameWidth(cell) + 1 : 0;
            const int inset = 2 + within + line / 2 + sink;
            QPen pen(Qt::black, line, Qt::DotLine);
            painter.setPen(pen);
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(QRect(
                QPoint(cell.left + inset, cell.top + inset),
                QPoint(cell.right - 2 - within - line / 2, cell.bottom - 2 - within - line / 2)));
        }
    }
    painter.restore();
}

QString EventText(const SchedRecord& event) {
    QString text = FromStored(event.who).trimmed();
    if (const QString time = FromStored(event.time).trimmed(); !time.isEmpty())
        text += QStringLiteral(" at ") + time;
    if (const QString where = FromStored(event.where).trimmed(); !where.isEmpty())
        text += QStringLiteral(", ") + where;
    return text;
}

ViewTable SchedulerMonthTable(const SchedMonthData& data) {
    ViewTable table;
    table.caption = data.title;
    table.columnHeaders = {QStringLiteral("Sunday"),   QStringLiteral("Monday"),
                           QStringLiteral("Tuesday"),  QStringLiteral("Wednesday"),
                           QStringLiteral("Thursday"), QStringLiteral("Friday"),
                           QStringLiteral("Saturday")};
    constexpr int kRows = (CalendarBase::kCellCount + 6) / 7;
    for (int row = 0; row < kRows; ++row) {
        table.rowHeaders << QStringLiteral("Week %1").arg(row + 1);
        QStringList cells;
        for (int column = 0; column < 7; ++column) {
            const auto cell = static_cast<std::size_t>(row * 7 + column);
            const int day = cell < data.cellDay.size() ? data.cellDay[cell] : 0;
            QString text;
            if (day > 0) {
                text = QString::number(day);
                if (static_cast<int>(cell) == data.todayCell)
                    text += QStringLiteral(", today");
                if (!data.events[cell].isEmpty())
                    text += QStringLiteral(": ") + data.events[cell].join(QStringLiteral("; "));
            }
            cells << text;
            const CalRect& rect = cell < data.cells.size() ? data.cells[cell] : CalRect{};
            table.cellRects.emplace_back(QPoint(rect.left, rect.top),
                                         QPoint(rect.right, rect.bottom));
        }
        table.rows.push_back(cells);
    }
    return table;
}

} // namespace kui
