// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <vector>

#include <QRect>
#include <QString>

class QPushButton;

// Buttons that stay usable at every window size. The views place their
// buttons in proportion to their size, which at a small size leaves a
// button too small for its caption: the caption then takes a smaller font,
// down to kSmallestText, and where even that does not fit the button grows
// and its neighbours in the row make room.
namespace kui {

// The caption as drawn: without the '&' that marks the underlined letter.
QString ButtonCaption(const QPushButton& button);

// The least height at which `button` shows its caption at kSmallestText.
int SmallestButtonHeight(const QPushButton& button);

// A row's button height: the proportional `height`, raised to
// SmallestButtonHeight when it is lower.
int ButtonRowHeight(const QPushButton& button, int height);

// The same for a push button of a view (not a dialog's default button) in
// the application's style and font, without a button: for drawing a view's
// picture where no view is made (the command line).
int SmallestButtonHeight();
int ButtonRowHeight(int height);

// One button of a row and the place the view's proportions give it.
struct ButtonPlace {
    QPushButton* button;
    QRect rect;
};

// Places a row of buttons between x = left and x = right (exclusive): each at
// its place, the captions in Arial with the largest cell height up to
// `captionHeight` at which every one fits, never below kSmallestText. A caption that does not fit
// at kSmallestText widens its button about its centre; the others then move aside as little as
// needed, keeping their order and staying between left and right. Only when the row is narrower
// than its captions together are the buttons shared out (and their captions cut).
void PlaceButtonRow(const std::vector<ButtonPlace>& row, int left, int right, int captionHeight);

// The same with half the row's height as the largest cell, or the cell
// height of the style's button font where that is more: captions grow with
// their buttons.
void PlaceButtonRow(const std::vector<ButtonPlace>& row, int left, int right);

// The cell height of the captions of a row: the largest up to `largest`,
// not below kSmallestText, at which every caption of `row` fits its place;
// without `largest`, up to half the row's height or the style's size. A
// row placed in parts (either side of a page number) gives each part this
// one cell, so that all its captions share one size.
int RowCaptionCell(const std::vector<ButtonPlace>& row, int largest);
int RowCaptionCell(const std::vector<ButtonPlace>& row);

} // namespace kui
