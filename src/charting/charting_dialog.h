// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "charting/chart_store.h"

#include <array>
#include <string>

#include <QDialog>

struct PlayRecord;
class QSpinBox;
class TKvrWinApp;

// The tally of a match just logged, or of a stored chart: eighteen
// counters from 0 to 100. OK checks the chart against the store's rules; a
// chart that passes is added to the store (or replaces the stored one) and
// chart.dat is saved, one that fails is reported and the dialog stays open
// with its values.
class TChartingDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kCounterCount = 18;
    static constexpr int kMaxCount = 100;

    // `playKind` 'D' checks the chart under the doubles rules, anything
    // else under the singles rules.
    TChartingDlg(QWidget* parent, KVR_ChartClass& charts, const std::string& date,
                 const std::string& opponent, const std::string& score, char playKind);
    // The store's chart `edited`, its counters as stored (a stored count
    // above 100 is shown and kept as it is).
    TChartingDlg(QWidget* parent, KVR_ChartClass& charts, ChartRecord& edited, char playKind);
    Q_DISABLE_COPY_MOVE(TChartingDlg)

    // True once a chart was added to the store, or the edited one changed,
    // and saved.
    bool Stored() const { return stored_; }

private:
    void Ok();
    // The chart as the counters show it.
    ChartRecord Chart() const;

    KVR_ChartClass& charts_;
    ChartRecord match_;             // date, opponent and score of the match charted
    ChartRecord* edited_ = nullptr; // the stored chart, when one is edited
    char playKind_;
    bool stored_ = false;
    std::array<QSpinBox*, kCounterCount> counters_{};
};

namespace kui {

// Charts a match just saved: runs the charting dialog for the record's date,
// opponent and score, under the doubles rules for a doubles record. Returns
// true when a chart was stored; the open views are then redrawn.
bool RunChartingDialog(QWidget* parent, TKvrWinApp& app, const PlayRecord& record);

// Edits a stored chart, checked under the rules it was stored under (those
// of its match when the goal period still holds it). Returns true when the
// change was saved; the open views are then redrawn.
bool RunChartEditDialog(QWidget* parent, TKvrWinApp& app, ChartRecord& chart);

} // namespace kui
