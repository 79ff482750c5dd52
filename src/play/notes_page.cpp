// SPDX-License-Identifier: GPL-3.0-or-later
#include "play/notes_page.h"

#include "ui/drawing.h"
#include "ui/text.h"

#include <algorithm>
#include <utility>
#include <vector>

#include <QPainter>

namespace kui {

namespace {

// A value word-wrapped in its box, with its label (if any) ending at the
// box's left edge.
struct Field {
    double left, top, right, bottom;
    const char* label;
};

constexpr Field kDate{0.72, 0.27, 0.9, 0.32, "Date: "};
constexpr Field kSinglesDoubles{0.72, 0.32, 0.9, 0.37, "S/D: "};
constexpr Field kWho{0.25, 0.32, 0.65, 0.37, "Opponent: "};
constexpr Field kSecondOpponent{0.25, 0.37, 0.65, 0.42, "Opponent: "};
constexpr Field kPartner{0.25, 0.42, 0.65, 0.47, "Partner: "};
constexpr Field kTime{0.72, 0.37, 0.9, 0.42, "Time: "};
constexpr Field kKind{0.72, 0.42, 0.9, 0.47, "MPL: "};
constexpr Field kResult{0.72, 0.47, 0.9, 0.52, "WL: "};
constexpr Field kScore{0.25, 0.47, 0.65, 0.52, "Score: "};
constexpr Field kMatchNotes{0.084, 0.545, 0.9, 0.745, nullptr};
constexpr Field kPracticeNotes{0.084, 0.77, 0.9, 0.94, nullptr};

void DrawField(QPainter& painter, QSize size, const Field& field, const QString& value) {
    const int w = size.width();
    const int h = size.height();
    const int left = Frac(w, field.left);
    const int top = Frac(h, field.top);
    if (field.label) {
        painter.setPen(QColor(kNotesLabelBlue));
        DrawText(painter, left, top, QString::fromLatin1(field.label), Align::Right);
    }
    painter.setPen(Qt::black);
    DrawWrappedText(painter, left, top, Frac(w, field.right), Frac(h, field.bottom), value);
}

// A stored one-letter code as the record's own tests read it (in either
// case), so that the texts agree with PlayRecord::IsMatch and IsDoubles.
char Letter(const std::string& text) {
    return kvr::FirstLetter(text);
}

// The fields a record's page shows, with their values, in the order drawn.
std::vector<std::pair<const Field*, QString>> ShownFields(const PlayRecord& record) {
    std::vector<std::pair<const Field*, QString>> fields{
        {&kDate, FromStored(record.date)},
        {&kSinglesDoubles, SinglesDoublesText(record)},
        {&kWho, FromStored(record.who)}};
    if (record.IsDoubles()) {
        fields.emplace_back(&kSecondOpponent, FromStored(record.secondOpponent));
        fields.emplace_back(&kPartner, FromStored(record.partner));
    }
    fields.emplace_back(&kTime, FromStored(record.time));
    fields.emplace_back(&kKind, KindText(record));
    if (record.IsMatch()) {
        fields.emplace_back(&kResult, ResultText(record));
        fields.emplace_back(&kScore, FromStored(record.score));
    }
    fields.emplace_back(&kMatchNotes, FromStored(record.matchNotes));
    fields.emplace_back(&kPracticeNotes, FromStored(record.practiceNotes));
    return fields;
}

} // namespace

QString SinglesDoublesText(const PlayRecord& record) {
    return record.IsDoubles() ? QStringLiteral("Doubles") : QStringLiteral("Singles");
}

QString KindText(const PlayRecord& record) {
    switch (Letter(record.kind)) {
    case 'M':
        return QStringLiteral("Match");
    case 'L':
        return QStringLiteral("Lesson");
    case 'P':
        return QStringLiteral("Practice");
    default:
        return {};
    }
}

QString ResultText(const PlayRecord& record) {
    switch (Letter(record.result)) {
    case 'L':
        return QStringLiteral("Loss");
    case 'U':
        return QStringLiteral("Undecided");
    default:
        return QStringLiteral("Win");
    }
}

void DrawNotesPage(QPainter& painter, QSize size, const NotesPageData& data) {
    const int w = size.width();
    const int h = size.height();
    // A button row taller than its 0.05 of the height (a small window)
    // shortens the page the fields are laid out on.
    const int buttonTop = data.buttonTop >= 0 ? std::min(data.buttonTop, h) : Frac(h, 0.95);
    const QSize fields(w, buttonTop < Frac(h, 0.95) ? static_cast<int>(buttonTop / 0.95) : h);
    painter.save();
    // Pixel for pixel when the picture was drawn for this size; stretched
    // smoothly otherwise.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(QRect(0, 0, w, h), data.page);
    painter.setBackgroundMode(Qt::TransparentMode);

    if (data.record) {
        const PlayRecord& record = *data.record;
        UseScaledFont(painter, fields, 27, 63);
        for (const auto& [field, value] : ShownFields(record))
            DrawField(painter, fields, *field, value);
    } else if (!data.emptyText.isEmpty()) {
        // Where the notes would stand, in the values' font.
        UseScaledFont(painter, fields, 27, 63);
        painter.setPen(Qt::black);
        DrawWrappedText(painter, Frac(w, 0.084), Frac(fields.height(), 0.32), Frac(w, 0.9),
                        Frac(fields.height(), 0.745), data.emptyText);
    }
    if (data.pageNumber <= 0) {
        painter.restore();
        return;
    }

    // The page number, centred in its box on the bottom edge.
    const QRect box(QPoint(Frac(w, 0.48), buttonTop), QPoint(Frac(w, 0.58) - 1, h - 1));
    painter.setPen(Qt::black);
    painter.setBrush(Qt::white);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    // The number legible in a box of a small window, and within it.
    const QString number = QStringLiteral("pg %1").arg(data.pageNumber);
    const int cell = std::min(std::max(h / 30, kSmallestText), box.height() - 2);
    painter.setFont(ArialFont(cell, cell == h / 30 ? w / 80 : 0, painter.device()));
    NarrowToFit(painter, {number}, box.width() - 4);
    painter.drawText(box, Qt::AlignCenter, number);
    painter.restore();
}

QString NotesEmptyText(bool hasHistory) {
    return hasHistory ? QStringLiteral("No notes in this goal period yet: Data > Record Notes. "
                                       "\">>\" pages through your past notes.")
                      : QStringLiteral("No notes yet: Data > Record Notes");
}

QStringList NotesPageLines(const NotesPageData& data) {
    QStringList lines;
    if (!data.record) {
        if (!data.emptyText.isEmpty())
            lines << data.emptyText;
        return lines;
    }
    auto fields = ShownFields(*data.record);
    // Line by line down the page, each line from the left.
    std::stable_sort(fields.begin(), fields.end(), [](const auto& a, const auto& b) {
        return a.first->top != b.first->top ? a.first->top < b.first->top
                                            : a.first->left < b.first->left;
    });
    for (const auto& [field, value] : fields) {
        QString label = field == &kMatchNotes      ? QStringLiteral("Match notes: ")
                        : field == &kPracticeNotes ? QStringLiteral("Practice notes: ")
                                                   : QString::fromLatin1(field->label);
        lines << label + value;
    }
    return lines;
}

} // namespace kui
