// SPDX-License-Identifier: GPL-3.0-or-later
#include "charting/charting_dialog.h"

#include "ui/message.h"
#include "ui/text.h"

#include <algorithm>

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

struct Counter {
    const char* label; // with its accelerator; each letter used once
    const char* name;  // the ChartRecord field it fills
    int ChartRecord::*field;
    bool startsGroup = false; // a stroke's first row, set off from the one above
};

// In form order: the left column (serve, forehand, volley), then the right
// (return, backhand, approach), three groups of 4, 2 and 3 rows in each, so
// the groups line up across. The OK and Cancel buttons keep O and C.
constexpr int kLeftColumnRows = 9;
constexpr std::array<Counter, TChartingDlg::kCounterCount> kCounters{{
    {"&1st Serve Attempts", "firstServeAttempts", &ChartRecord::firstServeAttempts},
    {"1st Serves &In", "firstServesIn", &ChartRecord::firstServesIn},
    {"&Aces", "aces", &ChartRecord::aces},
    {"&Double Faults", "doubleFaults", &ChartRecord::doubleFaults},
    {"&Forehand Winners", "forehandWinners", &ChartRecord::forehandWinners, true},
    {"Forehand &Errors", "forehandErrors", &ChartRecord::forehandErrors},
    {"&Volley Points Won", "volleysWon", &ChartRecord::volleysWon, true},
    {"Volley Points &Lost", "volleysLost", &ChartRecord::volleysLost},
    {"Volle&y Errors", "volleyErrors", &ChartRecord::volleyErrors},
    {"&Return Attempts", "returnAttempts", &ChartRecord::returnAttempts},
    {"Returns In &Play", "returnsIn", &ChartRecord::returnsIn},
    {"Return &Winners", "returnWinners", &ChartRecord::returnWinners},
    {"Ret&urn Errors", "returnErrors", &ChartRecord::returnErrors},
    {"&Backhand Winners", "backhandWinners", &ChartRecord::backhandWinners, true},
    {"Bac&khand Errors", "backhandErrors", &ChartRecord::backhandErrors},
    {"Approach A&ttempts", "approachAttempts", &ChartRecord::approachAttempts, true},
    {"Approach Pa&ssed", "approachesPassed", &ChartRecord::approachesPassed},
    {"Approac&h Errors", "approachErrors", &ChartRecord::approachErrors},
}};

constexpr int kGroupGap = 10;  // pixels between two strokes' rows
constexpr int kColumnGap = 24; // pixels between the two columns

// One row of the form, a label and its counter, in a thin black frame.
class CounterRow : public QWidget {
public:
    explicit CounterRow(QWidget* parent) : QWidget(parent) {}

protected:
    void paintEvent(QPaintEvent* event) override {
        QWidget::paintEvent(event);
        QPainter painter(this);
        painter.setPen(QPen(Qt::black, 0));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
};

} // namespace

TChartingDlg::TChartingDlg(QWidget* parent, const std::string& date, const std::string& opponent,
                           const std::string& score, char playKind)
    : FormDialog(parent), playKind_(playKind) {
    setWindowTitle(QStringLiteral("CHARTING"));
    setObjectName(QStringLiteral("chartingDialog"));
    match_.date = date;
    match_.opponent = opponent;
    match_.score = score;

    // Which match: date, opponent and score. The dialog also opens on a
    // chart of the notebook, and the player (or a screen reader) needs to
    // know which match it is.
    auto* title = new QLabel(kui::FromStored(date + "    " + opponent + "    " + score), this);
    title->setObjectName(QStringLiteral("match"));
    title->setAlignment(Qt::AlignCenter);

    // Label and counter pairs in two columns. The widgets are made in form
    // order, so Tab runs down the left column, then down the right one, then
    // to the buttons.
    auto* grid = new QGridLayout;
    grid->setColumnMinimumWidth(1, kColumnGap);
    int row = 0;
    for (size_t i = 0; i < kCounters.size(); ++i) {
        const bool left = static_cast<int>(i) < kLeftColumnRows;
        if (static_cast<int>(i) == kLeftColumnRows)
            row = 0;
        if (kCounters[i].startsGroup) {
            grid->setRowMinimumHeight(row, kGroupGap);
            ++row;
        }
        auto* frame = new CounterRow(this);
        frame->setObjectName(QString::fromLatin1(kCounters[i].name) + QStringLiteral("Row"));
        auto* counter = new QSpinBox(frame);
        counter->setObjectName(QString::fromLatin1(kCounters[i].name));
        // Up and Down step by 1, Page Up and Page Down by 10.
        counter->setRange(0, kMaxCount);
        counter->setSingleStep(1);
        counter->setAlignment(Qt::AlignCenter);
        counter->setAccelerated(true);
        counters_[i] = counter;
        auto* label = new QLabel(QString::fromLatin1(kCounters[i].label), frame);
        label->setBuddy(counter);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* pair = new QHBoxLayout(frame);
        pair->setContentsMargins(6, 2, 2, 2);
        pair->addWidget(label, 1);
        pair->addWidget(counter);
        grid->addWidget(frame, row, left ? 0 : 2);
        ++row;
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttons"));
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &TChartingDlg::Ok);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addSpacing(6);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    counters_.front()->setFocus();
}

TChartingDlg::TChartingDlg(QWidget* parent, const ChartRecord& edited, char playKind)
    : TChartingDlg(parent, edited.date, edited.opponent, edited.score, playKind) {
    setWindowTitle(QStringLiteral("EDIT CHARTING"));
    for (size_t i = 0; i < kCounters.size(); ++i) {
        const int stored = edited.*kCounters[i].field;
        counters_[i]->setRange(std::min(stored, 0), std::max(stored, kMaxCount));
        counters_[i]->setValue(stored);
    }
}

void TChartingDlg::Ok() {
    ChartRecord chart;
    chart.Assign(match_);
    for (size_t i = 0; i < kCounters.size(); ++i)
        chart.*kCounters[i].field = counters_[i]->value();
    std::string message;
    int ChartRecord::*named = nullptr;
    if (!KVR_ChartClass::Validate(chart, message, playKind_, &named)) {
        kui::Tell(this, kui::FromStored(message), QStringLiteral("Check Stats!"),
                  kui::Icon::Warning);
        // To the counter the message names, its value selected for
        // correcting; a message about the totals goes back to the counter
        // the player was on (the first one after a click on OK).
        const auto counter = std::find_if(kCounters.begin(), kCounters.end(),
                                          [named](const Counter& c) { return c.field == named; });
        QSpinBox* field = named && counter != kCounters.end()
                              ? counters_[static_cast<size_t>(counter - kCounters.begin())]
                              : qobject_cast<QSpinBox*>(focusWidget());
        if (!field)
            field = counters_.front();
        field->setFocus();
        field->selectAll();
        return;
    }
    chart_ = chart;
    Submit();
}
