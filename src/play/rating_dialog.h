// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/play_store.h"

#include <array>

#include <QDialog>

class QLabel;
class QSlider;

// One level's six stroke ratings, each from 0 to 10. The strokes stand in
// three columns: Forehand over Backhand, Serve over Return, Approach over
// Volley. Escape closes it like OK: the values shown are kept all the same.
class RatingDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kStrokes = 6;
    // The record row of each position, in the dialog's order.
    static constexpr std::array<kvr::Stroke, kStrokes> kDialogOrder{
        kvr::Stroke::Forehand, kvr::Stroke::Backhand, kvr::Stroke::Serve,
        kvr::Stroke::Return,   kvr::Stroke::Approach, kvr::Stroke::Volley};

    // `initial` in the dialog's order; values outside 0 to 10 are clamped.
    RatingDlg(QWidget* parent, int level, const std::array<int, kStrokes>& initial);

    // The six values shown, in the dialog's order.
    std::array<int, kStrokes> Values() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Refresh();

    std::array<QSlider*, kStrokes> sliders_{};
    std::array<QLabel*, kStrokes> values_{};
};

namespace kui {

// The record whose ratings a new record dated `date` starts from: the latest
// rated record of the current goal period dated before that day; null when
// none.
const PlayRecord* RatingReference(const KVR_PlayData& store, const ZBD_Date& date);

// Asks the four levels of ratings in turn, each starting from the
// reference's ratings (5 without one), and writes them into `record`.
void AskStrokeRatings(QWidget* parent, PlayRecord& record, const PlayRecord* reference);

} // namespace kui
