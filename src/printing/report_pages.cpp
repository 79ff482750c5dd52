// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing/report_pages.h"

#include "core/past_records.h"
#include "ui/drawing.h"
#include "ui/text.h"

#include <algorithm>

#include <QPainter>
#include <QTextLayout>

namespace kui {

namespace {

// Lays `text` out in lines `width` wide, breaking between words where it can
// and inside a word too long for a line. Returns the height of the lines.
qreal LayOut(QTextLayout& layout, qreal width) {
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal y = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout.endLayout();
    return y;
}

// Notes word-wrapped in `box`. A note too long for the box in the page's
// type is set in smaller type, down to a little over half its size, so that
// what the player wrote is printed whole; only beyond that is it cut off.
void DrawNotes(QPainter& painter, const QRect& box, const QString& text) {
    if (text.isEmpty() || box.width() <= 0 || box.height() <= 0)
        return;
    QFont font = painter.font();
    const int fullSize = font.pixelSize();
    QTextLayout layout(text, font, painter.device());
    for (int size = fullSize; LayOut(layout, box.width()) > box.height() + 0.5;) {
        size = size * 9 / 10;
        if (size < std::max(1, fullSize * 55 / 100))
            break;
        font.setPixelSize(size);
        layout.setFont(font);
    }
    painter.save();
    painter.setClipRect(box, Qt::IntersectClip);
    layout.draw(&painter, box.topLeft());
    painter.restore();
}

} // namespace

std::optional<ReportKind> ReportKindNamed(const QString& name) {
    if (name == QLatin1String("match"))
        return ReportKind::Match;
    if (name == QLatin1String("practice"))
        return ReportKind::Practice;
    if (name == QLatin1String("lesson"))
        return ReportKind::Lesson;
    if (name == QLatin1String("form"))
        return ReportKind::CourtForm;
    return std::nullopt;
}

QString ReportEntryLine(ReportKind kind, const PlayRecord& entry) {
    QString who = FromStored(entry.who);
    if (kind == ReportKind::Match && entry.IsDoubles() && !entry.secondOpponent.empty())
        who += QStringLiteral(" & ") + FromStored(entry.secondOpponent);
    QString line = QStringLiteral("%1     %2      %3")
                       .arg(FromStored(entry.date), who, FromStored(entry.score));
    if (kind == ReportKind::Match && !entry.result.empty()) {
        QString result = FromStored(entry.result);
        switch (kvr::FirstLetter(entry.result)) {
        case 'W':
            result = QStringLiteral("Won");
            break;
        case 'L':
            result = QStringLiteral("Lost");
            break;
        case 'U':
            result = QStringLiteral("Undecided");
            break;
        default:
            break;
        }
        line += QStringLiteral("      ") + result;
    }
    return line;
}

QString ReportPartnerLine(ReportKind kind, const PlayRecord& entry) {
    if (kind != ReportKind::Match || !entry.IsDoubles() || entry.partner.empty())
        return {};
    return QStringLiteral("Partner: ") + FromStored(entry.partner);
}

int ReportRows(ReportKind kind, const std::vector<PlayRecord>& entries) {
    int rows = 0;
    for (const PlayRecord& entry : entries) {
        rows += kind != ReportKind::Practice && !entry.matchNotes.empty() ? 10 : 6;
        if (!ReportPartnerLine(kind, entry).isEmpty())
            ++rows;
    }
    return std::max(rows - 1, 1);
}

int EntriesPerPage(ReportKind kind) {
    return kind == ReportKind::Practice || kind == ReportKind::Lesson ? 7 : 5;
}

QString ReportTitle(ReportKind kind, const QString& opponentFilter) {
    switch (kind) {
    case ReportKind::Lesson:
        return QStringLiteral("Lesson Notes For");
    case ReportKind::Practice:
        return QStringLiteral("Practice Notes For");
    case ReportKind::Match:
        if (opponentFilter.isEmpty())
            return QStringLiteral("Match Notes For");
        return QStringLiteral("Match Notes Playing ") + opponentFilter + QStringLiteral(" For");
    case ReportKind::CourtForm:
        break;
    }
    return QStringLiteral("Notes For");
}

bool ReportTakes(ReportKind kind, const QString& opponentFilter, const PlayRecord& record) {
    switch (kind) {
    case ReportKind::Practice:
        return !record.practiceNotes.empty();
    case ReportKind::Lesson:
        return kvr::FirstLetter(record.kind) == 'L';
    case ReportKind::CourtForm:
        return false; // the form is blank
    case ReportKind::Match:
        break;
    }
    if (!record.IsMatch())
        return false;
    if (opponentFilter.isEmpty())
        return true;
    return FromStored(record.who).contains(opponentFilter, Qt::CaseInsensitive) ||
           FromStored(record.secondOpponent).contains(opponentFilter, Qt::CaseInsensitive);
}

ReportPages CollectReportPages(ReportKind kind, const QString& opponentFilter,
                               const std::function<const PlayRecord*()>& next) {
    const std::size_t perPage = static_cast<std::size_t>(EntriesPerPage(kind));
    ReportPages report;
    report.pages.emplace_back();
    while (const PlayRecord* record = next()) {
        if (!ReportTakes(kind, opponentFilter, *record))
            continue;
        // A new page only for a note that goes on it: a report whose notes
        // fill its last page exactly ends there, with no page of headings.
        if (report.pages.back().size() == perPage) {
            if (report.pages.size() == static_cast<std::size_t>(kMaxReportPages)) {
                ++report.leftOut;
                continue;
            }
            report.pages.emplace_back();
        }
        report.pages.back().push_back(*record);
    }
    return report;
}

void DrawReportPage(QPainter& painter, QSize size, const ReportPageData& data) {
    const int w = size.width();
    const int h = size.height();
    painter.save();
    painter.setPen(Qt::black);
    painter.setBackgroundMode(Qt::TransparentMode);

    // One type for the report, as large as lets its fullest page end above
    // the page number, and no larger than reads well across the page.
    const int rows = data.rows > 0 ? data.rows : EntriesPerPage(data.kind) * 10 - 1;
    const int cell = std::max(1, std::min(Frac(h, 0.80) / rows, w / 40));
    const QFont font = ArialFont(cell, 0, painter.device());
    QFont bold = font;
    bold.setBold(true);
    painter.setFont(font);
    const int line = RowUnit(painter);

    const int centre = Frac(w, 0.5);
    DrawText(painter, centre, Frac(h, 0.02), QStringLiteral("The Kavora"), Align::Center);
    painter.setFont(bold);
    DrawText(painter, centre, Frac(h, 0.04), data.title, Align::Center);
    painter.setFont(font);
    DrawText(painter, centre, Frac(h, 0.06), data.playerName, Align::Center);
    DrawText(painter, centre, Frac(h, 0.95), QStringLiteral("Page %1").arg(data.pageNumber),
             Align::Center);

    const int margin = Frac(w, 0.05);
    const int notesLeft = margin * 5 / 2;
    const int notesRight = Frac(w, 0.9);
    int y = Frac(h, 0.13);
    for (const PlayRecord& entry : data.entries) {
        // The heading line of a note narrows rather than run off the page.
        painter.setFont(bold);
        const QString heading = ReportEntryLine(data.kind, entry);
        NarrowToFit(painter, {heading}, w - 2 * margin);
        DrawText(painter, margin, y, heading);
        painter.setFont(font);
        y += line;
        const QString partner = ReportPartnerLine(data.kind, entry);
        if (!partner.isEmpty()) {
            DrawText(painter, notesLeft, y, partner);
            y += line;
        }
        if (data.kind != ReportKind::Practice && !entry.matchNotes.empty()) {
            DrawNotes(painter,
                      QRect(QPoint(notesLeft, y), QPoint(notesRight - 1, y + 4 * line - 1)),
                      FromStored(entry.matchNotes));
            y += 4 * line;
        }
        DrawNotes(painter, QRect(QPoint(notesLeft, y), QPoint(notesRight - 1, y + 4 * line - 1)),
                  FromStored(entry.practiceNotes));
        y += 5 * line;
    }
    painter.restore();
}

} // namespace kui
