// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/play_store.h"
#include "ui/renderer.h"

#include <optional>

#include <QImage>
#include <QRgb>
#include <QString>
#include <QStringList>

namespace kui {

// The blue of the notebook's labels.
inline constexpr QRgb kNotesLabelBlue = qRgb(0, 0, 255);

// What one page of the notes notebook shows.
struct NotesPageData {
    // The record on the page; none leaves the page blank.
    std::optional<PlayRecord> record;
    // The number in the page box: the current record's place from the
    // oldest, or the past record's from the newest; 0 for a blank page,
    // which has no page box.
    int pageNumber = 0;
    // What a blank page says instead (NotesEmptyText).
    QString emptyText;
    // The notebook page picture, stretched over the whole view (drawn as it
    // is when it already has the view's size).
    QImage page;
    // The top of the view's button row, where the page number stands; the
    // fields are laid out above it as if it stood at 0.95 of the height.
    // -1: at 0.95 of the height.
    int buttonTop = -1;
};

// The value texts of a page, as the page words the stored letters: "Doubles"
// or "Singles"; "Match", "Lesson" or "Practice"; "Loss", "Undecided" or "Win".
QString SinglesDoublesText(const PlayRecord& record);
QString KindText(const PlayRecord& record);
QString ResultText(const PlayRecord& record);

// What the notebook says on a blank page: where notes are recorded, and,
// when the history holds notes, where they are.
QString NotesEmptyText(bool hasHistory);

// One page of the notes notebook: the record's fields on the writing pad,
// each under or after its blue label, the notes below, and the page number
// in a box on the bottom edge; a blank page says what to do instead.
void DrawNotesPage(QPainter& painter, QSize size, const NotesPageData& data);

// The fields the page shows, in reading order (down the page, each line
// from the left), each value after its label: "Date: 12/7/2026",
// "Opponent: Ann Lee", ...; the notes last. A blank page's text alone.
QStringList NotesPageLines(const NotesPageData& data);

} // namespace kui
