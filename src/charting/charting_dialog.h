// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "charting/chart_store.h"
#include "ui/form_dialog.h"

#include <array>
#include <string>

#include <QDialog>

class QSpinBox;

// The tally of a match just logged, or of a stored chart: eighteen
// counters from 0 to 100. OK checks the chart against the charting rules;
// one that fails is reported and the dialog stays open with its values, one
// that passes is handed to the command that runs the dialog, which stores
// Chart().
class TChartingDlg : public kui::FormDialog {
    Q_OBJECT
public:
    static constexpr int kCounterCount = 18;
    static constexpr int kMaxCount = 100;

    // A new chart of the match on `date` against `opponent`. `playKind`
    // 'D' checks the chart under the doubles rules, anything else under the
    // singles rules.
    TChartingDlg(QWidget* parent, const std::string& date, const std::string& opponent,
                 const std::string& score, char playKind);
    // A stored chart, its counters as stored (a stored count above 100 is
    // shown and kept as it is).
    TChartingDlg(QWidget* parent, const ChartRecord& stored, char playKind);
    Q_DISABLE_COPY_MOVE(TChartingDlg)

    // The chart as the counters showed it at the last OK that passed the
    // checks, its totals computed.
    const ChartRecord& Chart() const { return chart_; }

private:
    void Ok();

    ChartRecord match_; // date, opponent and score of the match charted
    ChartRecord chart_;
    char playKind_;
    std::array<QSpinBox*, kCounterCount> counters_{};
};
