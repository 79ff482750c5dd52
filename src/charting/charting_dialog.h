// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "charting/chart_store.h"

#include <array>
#include <string>

#include <QDialog>

struct PlayRecord;
class QSpinBox;
class TKvrWinApp;

// The tally of a match just logged: eighteen counters from 0 to 100. OK
// checks the chart against the store's rules; a chart that passes is added
// to the store and chart.dat is saved, one that fails is reported and the
// dialog stays open with its values.
class TChartingDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kCounterCount = 18;
    static constexpr int kMaxCount = 100;

    // `playKind` 'D' checks the chart under the doubles rules, anything
    // else under the singles rules.
    TChartingDlg(QWidget* parent, KVR_ChartClass& charts, const std::string& date,
                 const std::string& opponent, const std::string& score, char playKind);
    Q_DISABLE_COPY_MOVE(TChartingDlg)

    // True once a chart was added to the store and saved.
    bool Stored() const { return stored_; }

private:
    void Ok();
    // The chart as the counters show it.
    ChartRecord Chart() const;

    KVR_ChartClass& charts_;
    ChartRecord match_; // date, opponent and score of the match charted
    char playKind_;
    bool stored_ = false;
    std::array<QSpinBox*, kCounterCount> counters_{};
};

namespace kui {

// Charts a match just saved: runs the charting dialog for the record's date,
// opponent and score, under the doubles rules for a doubles record. Returns
// true when a chart was stored; the open views are then redrawn.
bool RunChartingDialog(QWidget* parent, TKvrWinApp& app, const PlayRecord& record);

} // namespace kui
