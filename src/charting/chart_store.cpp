// SPDX-License-Identifier: GPL-3.0-or-later
#include "charting/chart_store.h"

#include "core/name_match.h"
#include "core/text_format.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {

constexpr const char* kChartFile = "chart.dat";

// The counters in the order they stand on a chart.dat line (fields 4 to 21)
// and in a headerless file: serve, forehand, volley, return, backhand,
// approach.
constexpr std::array<int ChartRecord::*, ChartRecord::kFieldCount - 3> kCountersInFileOrder{
    &ChartRecord::firstServeAttempts, &ChartRecord::firstServesIn,    &ChartRecord::aces,
    &ChartRecord::doubleFaults,       &ChartRecord::forehandWinners,  &ChartRecord::forehandErrors,
    &ChartRecord::volleysWon,         &ChartRecord::volleysLost,      &ChartRecord::volleyErrors,
    &ChartRecord::returnAttempts,     &ChartRecord::returnsIn,        &ChartRecord::returnWinners,
    &ChartRecord::returnErrors,       &ChartRecord::backhandWinners,  &ChartRecord::backhandErrors,
    &ChartRecord::approachAttempts,   &ChartRecord::approachesPassed, &ChartRecord::approachErrors,
};

} // namespace

void ChartRecord::Assign(const ChartRecord& other) {
    date = other.date;
    opponent = other.opponent;
    score = other.score;
    for (int ChartRecord::*counter : kCountersInFileOrder)
        this->*counter = other.*counter;
}

std::string ChartRecord::ToLine() const {
    std::string line = kvr::QuotedField(date);
    line += ',';
    line += kvr::QuotedField(opponent);
    line += ',';
    line += kvr::QuotedField(score);
    for (int ChartRecord::*counter : kCountersInFileOrder) {
        line += ",\"";
        line += std::to_string(this->*counter);
        line += '"';
    }
    return line;
}

void ChartRecord::FromLine(const std::string& line) {
    ZBD_Record fields(line, ',');
    date = fields.Field(1);
    opponent = fields.Field(2);
    score = fields.Field(3);
    int field = 4;
    for (int ChartRecord::*counter : kCountersInFileOrder)
        this->*counter = fields.FieldInt(field++);
}

bool ChartRecord::Equals(const ChartRecord& other) const {
    return date == other.date && opponent == other.opponent && score == other.score;
}

void ChartRecord::ComputeTotals() {
    // A percentage of no attempts (or of a negative count) is 0.
    firstServePercent =
        firstServeAttempts > 0
            ? static_cast<float>(static_cast<double>(firstServesIn) / firstServeAttempts * 100.0)
            : 0.0f;
    returnPercent =
        returnAttempts > 0
            ? static_cast<float>(static_cast<double>(returnsIn) / returnAttempts * 100.0)
            : 0.0f;
    // Sums in 64 bits: counters read from a file may be as large as an int
    // holds, and their sum must not overflow.
    totalErrors = static_cast<float>(static_cast<long long>(doubleFaults) + forehandErrors +
                                     volleyErrors + returnErrors + backhandErrors + approachErrors);
    totalWinners = static_cast<float>(static_cast<long long>(aces) + forehandWinners + volleysWon +
                                      returnWinners + backhandWinners);
}

KVR_ChartClass::KVR_ChartClass() : ZBD_Data<ChartRecord>(kChartFile, 2.0f, ',') {}

int KVR_ChartClass::Validate(ChartRecord& chart, std::string& message, char playKind,
                             int ChartRecord::** counter) {
    message.clear();
    int ChartRecord::*named = nullptr;
    chart.ComputeTotals();
    const bool singles = playKind != 'D' && playKind != 'd';
    const ChartRecord& c = chart;
    // Sums in 64 bits so that no pair of counters can overflow.
    const long long totalPoints = static_cast<long long>(c.firstServeAttempts) + c.returnAttempts;

    if (c.firstServeAttempts == 0) {
        message = kvr::Format("# Serve Attempts is 0!");
        named = &ChartRecord::firstServeAttempts;
    } else if (singles && c.firstServesIn == 0) {
        message = kvr::Format("# Serves In Play is 0!");
        named = &ChartRecord::firstServesIn;
    } else if (c.returnAttempts == 0) {
        message = kvr::Format("# Return Attempts is 0!");
        named = &ChartRecord::returnAttempts;
    } else if (singles && c.returnsIn == 0) {
        message = kvr::Format("# Returns In Play is 0!");
        named = &ChartRecord::returnsIn;
    } else if (c.firstServesIn > c.firstServeAttempts) {
        message = kvr::Format("# 1st Serves In Play (%d) is more than Attempts (%d)!",
                              c.firstServesIn, c.firstServeAttempts);
        named = &ChartRecord::firstServesIn;
    } else if (c.aces > c.firstServeAttempts) {
        message =
            kvr::Format("# Aces (%d) is more than Attempts (%d)!", c.aces, c.firstServeAttempts);
        named = &ChartRecord::aces;
    } else if (c.doubleFaults > c.firstServeAttempts) {
        message = kvr::Format("# Double Faults (%d) is more than Attempts (%d)!", c.doubleFaults,
                              c.firstServeAttempts);
        named = &ChartRecord::doubleFaults;
    } else if (static_cast<long long>(c.aces) + c.doubleFaults > c.firstServeAttempts) {
        message = kvr::Format("Aces (%d) & Double Faults (%d) are more than Attempts (%d)!", c.aces,
                              c.doubleFaults, c.firstServeAttempts);
        named = &ChartRecord::aces;
    } else if (c.returnsIn > c.returnAttempts) {
        message = kvr::Format("Returns In Play (%d) more than Attempts (%d)!", c.returnsIn,
                              c.returnAttempts);
        named = &ChartRecord::returnsIn;
    } else if (static_cast<long long>(c.returnWinners) + c.returnErrors > c.returnAttempts) {
        message = kvr::Format("Return Winners (%d) + Errors (%d) more than Attempts (%d)!",
                              c.returnWinners, c.returnErrors, c.returnAttempts);
        named = &ChartRecord::returnWinners;
    } else if (c.returnWinners > c.returnAttempts) {
        message = kvr::Format("Return Winners (%d) more than Attempts (%d)!", c.returnWinners,
                              c.returnAttempts);
        named = &ChartRecord::returnWinners;
    } else if (c.returnErrors > c.returnAttempts) {
        message = kvr::Format("Return Errors (%d) more than Attempts (%d)!", c.returnErrors,
                              c.returnAttempts);
        named = &ChartRecord::returnErrors;
    } else if (c.volleyErrors > c.volleysLost) {
        message = kvr::Format("Too many Volley Errors (%d)!", c.volleyErrors);
        named = &ChartRecord::volleyErrors;
    } else if (c.approachesPassed > c.approachAttempts) {
        message = kvr::Format("Too many Approaches passed (%d)!", c.approachesPassed);
        named = &ChartRecord::approachesPassed;
    } else if (c.approachErrors > c.approachAttempts) {
        message = kvr::Format("Too many Approach errors (%d)!", c.approachErrors);
        named = &ChartRecord::approachErrors;
    } else if (singles && c.forehandWinners > totalPoints) {
        message = kvr::Format("Too many Forehand winners (%d)!", c.forehandWinners);
        named = &ChartRecord::forehandWinners;
    } else if (singles && c.forehandErrors > totalPoints) {
        message = kvr::Format("Too many Forehand errors (%d)!", c.forehandErrors);
        named = &ChartRecord::forehandErrors;
    } else if (singles && c.backhandWinners > totalPoints) {
        message = kvr::Format("Too many Backhand winners (%d)!", c.backhandWinners);
        named = &ChartRecord::backhandWinners;
    } else if (singles && c.backhandErrors > totalPoints) {
        message = kvr::Format("Too many Backhand errors (%d)!", c.backhandErrors);
        named = &ChartRecord::backhandErrors;
    } else if (singles && static_cast<double>(c.totalWinners) + c.totalErrors >
                              static_cast<double>(totalPoints)) {
        // The total points may exceed an int when the counters are huge, so
        // they are printed as a long long (the same text as %d otherwise).
        message = kvr::Format("Total Winners (%3.0f) + Errors (%3.0f) more than Total Points "
                              "(%lld)!",
                              static_cast<double>(c.totalWinners),
                              static_cast<double>(c.totalErrors), totalPoints);
    }
    if (counter)
        *counter = named;
    return message.empty() ? 1 : 0;
}

int KVR_ChartClass::FindOpponent(const std::string& text, int currentIndex) const {
    const int count = static_cast<int>(std::min<unsigned>(Count(), INT_MAX));
    if (text.empty() || count == 0)
        return -1;
    int index = currentIndex >= 0 && currentIndex < count ? currentIndex : -1;
    for (int tested = 0; tested < count; ++tested) {
        index = index + 1 >= count ? 0 : index + 1;
        if (kvr::NameContains(At(index)->opponent, text))
            return index;
    }
    return -1;
}

int KVR_ChartClass::Upgrade(float fileVersion) {
    if (fileVersion != 0.0f)
        return -1;
    return ReadVersion0();
}

// The headerless layout: a title line and the count line (or the count
// alone), then each chart in 21 lines, one unquoted field per line, in the
// order of a chart.dat line. Charts are read to the end of the file whatever
// the count says; one cut short by the end is dropped. The file is not
// rewritten here: the next save keeps it as it is under a free ".old" name,
// then writes the current layout.
int KVR_ChartClass::ReadVersion0() {
    ZBD_File file(FileName(), 'r', Separator(), true);
    if (file.Status() <= 0) {
        SetError(file.Error());
        return file.Status();
    }
    std::vector<std::unique_ptr<ChartRecord>> charts;
    auto read = kvr::ReadLineGroups(file,
                                    {ChartRecord::kFieldCount, ChartRecord::kFieldCount,
                                     kvr::HeaderlessLayout::Start::TitleThenCount},
                                    [&charts](std::vector<std::string>& lines, int) {
                                        auto chart = std::make_unique<ChartRecord>();
                                        // Texts of the old layout may hold double quotes, which a
                                        // chart.dat line cannot keep.
                                        chart->date = kvr::StorableText(lines[0]);
                                        chart->opponent = kvr::StorableText(lines[1]);
                                        chart->score = kvr::StorableText(lines[2]);
                                        for (size_t i = 0; i < kCountersInFileOrder.size(); ++i)
                                            (*chart).*kCountersInFileOrder[i] =
                                                kvr::LeadingInt(lines[i + 3]);
                                        charts.push_back(std::move(chart));
                                        return true;
                                    });
    if (read == kvr::GroupsRead::ReadError)
        SetError(file.Error());
    if (read != kvr::GroupsRead::ToTheEnd)
        return -1; // the store stays as it was
    file.Close();

    Clear();
    for (auto& chart : charts)
        AddLoaded(std::move(chart));
    KeepOriginalBeforeNextSave();
    return static_cast<int>(std::min<unsigned>(Count(), INT_MAX));
}
