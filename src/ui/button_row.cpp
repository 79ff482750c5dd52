// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/button_row.h"

#include "ui/drawing.h"

#include <algorithm>

#include <QApplication>
#include <QFontMetrics>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

namespace kui {

namespace {

// What the style takes from a button of `size` for its frame and padding:
// the caption is drawn (and clipped) in the rest.
QSize Margins(const QPushButton& button, QSize size) {
    QStyleOptionButton option;
    option.initFrom(&button);
    option.rect = QRect(QPoint(0, 0), size);
    option.text = button.text();
    if (button.isDefault())
        option.features |= QStyleOptionButton::DefaultButton;
    if (button.autoDefault())
        option.features |= QStyleOptionButton::AutoDefaultButton;
    const QRect contents =
        button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button);
    return {size.width() - contents.width(), size.height() - contents.height()};
}

QFont CaptionFont(const QPushButton& button, int cellHeight) {
    return ArialFont(cellHeight, 0, &button);
}

// The width a caption needs at `cellHeight`.
int CaptionWidth(const QPushButton& button, int cellHeight) {
    return QFontMetrics(CaptionFont(button, cellHeight), &button)
        .horizontalAdvance(ButtonCaption(button));
}

int CaptionHeight(const QPushButton& button, int cellHeight) {
    return QFontMetrics(CaptionFont(button, cellHeight), &button).height();
}

// The largest cell height up to `largest`, and not below kSmallestText, at
// which the caption fits in `size`.
int FittingCell(const QPushButton& button, QSize size, int largest) {
    const QSize margins = Margins(button, size);
    const int width = size.width() - margins.width();
    const int height = size.height() - margins.height();
    int cell = std::max(largest, kSmallestText);
    while (cell > kSmallestText &&
           (CaptionWidth(button, cell) > width || CaptionHeight(button, cell) > height))
        --cell;
    return cell;
}

struct Slot {
    QPushButton* button;
    QRect rect;
    int cell;
    double left;
    double width;
};

} // namespace

QString ButtonCaption(const QPushButton& button) {
    QString caption = button.text();
    caption.remove(QLatin1Char('&'));
    return caption;
}

int SmallestButtonHeight(const QPushButton& button) {
    const int text = CaptionHeight(button, kSmallestText);
    return text + Margins(button, QSize(100, 100)).height();
}

int ButtonRowHeight(const QPushButton& button, int height) {
    return std::max(height, SmallestButtonHeight(button));
}

int SmallestButtonHeight() {
    // As Margins and CaptionHeight measure a view's button: its frame in the
    // style, its caption at kSmallestText on the screen.
    QStyleOptionButton option;
    option.rect = QRect(0, 0, 100, 100);
    const QRect contents =
        QApplication::style()->subElementRect(QStyle::SE_PushButtonContents, &option, nullptr);
    return QFontMetrics(ArialFont(kSmallestText, 0)).height() + 100 - contents.height();
}

int ButtonRowHeight(int height) {
    return std::max(height, SmallestButtonHeight());
}

int RowCaptionCell(const std::vector<ButtonPlace>& row, int largest) {
    int cell = largest;
    for (const ButtonPlace& place : row)
        cell = std::min(cell, FittingCell(*place.button, place.rect.size(), largest));
    return std::max(cell, kSmallestText);
}

int RowCaptionCell(const std::vector<ButtonPlace>& row) {
    if (row.empty())
        return kSmallestText;
    const QPushButton& first = *row.front().button;
    const int styleCell = QFontMetrics(QApplication::font(&first), &first).height();
    // Captions grow with their buttons, as a view's text grows with the
    // view: up to half the row's height, never below the style's own size.
    int highest = 0;
    for (const ButtonPlace& place : row)
        highest = std::max(highest, place.rect.height());
    return RowCaptionCell(row, std::max(styleCell, highest / 2));
}

void PlaceButtonRow(const std::vector<ButtonPlace>& row, int left, int right, int captionHeight) {
    // One font for the row: the largest at which every caption fits.
    const int cell = RowCaptionCell(row, captionHeight);
    std::vector<Slot> placed;
    for (const ButtonPlace& place : row) {
        Slot slot{place.button, place.rect, 0, 0, 0};
        slot.cell = cell;
        // A caption too wide even at the smallest font widens its button.
        const int needed = CaptionWidth(*place.button, slot.cell) +
                           Margins(*place.button, place.rect.size()).width();
        slot.width = std::max(place.rect.width(), needed);
        slot.left = place.rect.center().x() + 0.5 - slot.width / 2;
        if (slot.width == place.rect.width())
            slot.left = place.rect.left();
        placed.push_back(slot);
    }
    std::sort(placed.begin(), placed.end(),
              [](const Slot& a, const Slot& b) { return a.rect.left() < b.rect.left(); });

    double total = 0;
    for (const Slot& slot : placed)
        total += slot.width;
    if (total > right - left) {
        // No room for every caption: the row shares out what there is.
        double x = left;
        for (Slot& slot : placed) {
            slot.width = slot.width * (right - left) / total;
            slot.left = x;
            x += slot.width;
        }
    } else {
        // Clear of the left end and of each other, then back from the
        // right end. Places that overlap as the view gives them keep that
        // overlap: only a widened button pushes its neighbours aside.
        auto overlap = [](const Slot& first, const Slot& second) {
            return std::max(0, first.rect.right() + 1 - second.rect.left());
        };
        double edge = left;
        for (std::size_t i = 0; i < placed.size(); ++i) {
            Slot& slot = placed[i];
            const int given = i > 0 ? overlap(placed[i - 1], slot) : 0;
            slot.left = std::max(slot.left, edge - given);
            edge = slot.left + slot.width;
        }
        edge = right;
        for (std::size_t i = placed.size(); i-- > 0;) {
            Slot& slot = placed[i];
            const int given = i + 1 < placed.size() ? overlap(slot, placed[i + 1]) : 0;
            slot.left = std::min(slot.left, edge + given - slot.width);
            edge = slot.left;
        }
    }

    for (const Slot& slot : placed) {
        const int x = static_cast<int>(slot.left);
        const int width = static_cast<int>(slot.left + slot.width) - x;
        slot.button->setFont(CaptionFont(*slot.button, slot.cell));
        slot.button->setGeometry(x, slot.rect.top(), width, slot.rect.height());
    }
}

void PlaceButtonRow(const std::vector<ButtonPlace>& row, int left, int right) {
    PlaceButtonRow(row, left, right, RowCaptionCell(row));
}

} // namespace kui
