// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/record_store.h"

#include <memory>
#include <string>

// The tally of one charted match: eighteen counters in six groups, and four
// figures derived from them by ComputeTotals (never stored).
struct ChartRecord : ZBD_DataRecordBase<ChartRecord> {
    static constexpr int kFieldCount = 21;

    std::string date, opponent, score;
    int forehandWinners = 0, forehandErrors = 0;
    int backhandWinners = 0, backhandErrors = 0;
    int aces = 0, doubleFaults = 0, firstServeAttempts = 0, firstServesIn = 0;
    int returnWinners = 0, returnErrors = 0, returnAttempts = 0, returnsIn = 0;
    int volleysWon = 0, volleyErrors = 0, volleysLost = 0;
    int approachAttempts = 0, approachErrors = 0, approachesPassed = 0;
    float totalWinners = 0, totalErrors = 0, firstServePercent = 0, returnPercent = 0;

    // Charts are always kept in date order.
    ChartRecord() { sortKind = 'D'; }

    // Copies the texts and the counters; the derived figures stay as they are.
    void Assign(const ChartRecord& other) override;
    std::string Key() const override { return date; }
    std::string ToLine() const override;
    void FromLine(const std::string& line) override;
    // Same match: date, opponent and score equal as text.
    bool Equals(const ChartRecord& other) const override;

    void ComputeTotals();
};

// The charted matches: chart.dat, kept in date order, a new chart in front of
// the charts of its day.
class KVR_ChartClass : public ZBD_Data<ChartRecord> {
public:
    KVR_ChartClass(); // "chart.dat", 2.0, ','

    // Computes the chart's totals and checks its consistency rules in order.
    // Returns 1 when all pass, else 0 with the first failure's message.
    // playKind 'D' or 'd' applies the doubles rules, anything else singles.
    // The rules need no store: a form checks its chart with them. `counter`,
    // when given, is set to the counter the message names (the one to
    // correct), or to none when it names a total.
    static int Validate(ChartRecord& chart, std::string& message, char playKind,
                        int ChartRecord::** counter = nullptr);

    // The index of the next chart after `currentIndex` whose opponent
    // contains `text` anywhere, regardless of case and accents ("zoe" finds
    // "Zoë"), wrapping once round to the chart shown; -1 when none does or
    // the text is empty. An index outside the store starts at the first.
    int FindOpponent(const std::string& text, int currentIndex) const;

    // Reads a headerless (version 0) chart.dat without rewriting it; the
    // result is the number of charts read, or a negative error.
    int Upgrade(float fileVersion) override;

private:
    int ReadVersion0();
};
