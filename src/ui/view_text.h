// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <vector>

#include <QRect>
#include <QString>
#include <QStringList>

namespace kui {

// A table a view shows, as text: its caption, a header for every column and
// every row, and the cells row by row.
struct ViewTable {
    QString caption;
    QStringList columnHeaders;
    QStringList rowHeaders;
    std::vector<QStringList> rows;
    // Where each cell is drawn in the view, row by row; none: the cells
    // stand for the whole view.
    std::vector<QRect> cellRects;

    bool operator==(const ViewTable&) const = default;
};

// What a view shows, said in words for a screen reader: made from the same
// snapshot the view's renderer draws, so the words and the picture agree.
struct ViewText {
    // What the view shows now, in a few words: "Page 3 of 12", "March 2026",
    // a graph's title.
    QString name;
    // The content in reading order, each value with its label
    // ("Date: 12/7/2026").
    QStringList lines;
    std::vector<ViewTable> tables;
    // A value the player sets on the view (a tip's rating); none without.
    std::optional<int> value;
    int minimum = 0, maximum = 0;

    bool operator==(const ViewText&) const = default;
};

// "Page n of m".
inline QString PageOf(int page, int pages) {
    return QStringLiteral("Page %1 of %2").arg(page).arg(pages);
}

} // namespace kui
