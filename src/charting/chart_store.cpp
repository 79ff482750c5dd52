#include "charting/chart_store.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <optional>
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

// A validation message from one of the fixed formats below; the formats are
// literals, never the player's text. Only %d, %lld and %3.0f are used: with no
// decimals and no grouping flag, their output is the same in every locale.
[[gnu::format(printf, 1, 2)]] std::string formatMessage(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::va_list again;
    va_copy(again, args);
    int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text;
    if (length > 0) {
        text.resize(static_cast<size_t>(length));
        std::vsnprintf(text.data(), text.size() + 1, format, again);
    }
    va_end(again);
    return text;
}

bool isPlainNumber(const std::string& line) {
    size_t p = line.find_first_not_of(" \t");
    if (p != std::string::npos && (line[p] == '+' || line[p] == '-'))
        ++p;
    size_t digits = p == std::string::npos ? p : line.find_first_not_of("0123456789", p);
    if (p == std::string::npos || digits == p)
        return false;
    return digits == std::string::npos ||
           line.find_first_not_of(" \t", digits) == std::string::npos;
}

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

int KVR_ChartClass::Validate(ChartRecord& chart, std::string& message, char playKind) {
    message.clear();
    chart.ComputeTotals();
    const bool singles = playKind != 'D' && playKind != 'd';
    const ChartRecord& c = chart;
    // Sums in 64 bits so that no pair of counters can overflow.
    const long long totalPoints = static_cast<long long>(c.firstServeAttempts) + c.returnAttempts;

    if (c.firstServeAttempts == 0)
        message = formatMessage("# Serve Attempts is 0!");
    else if (singles && c.firstServesIn == 0)
        message = formatMessage("# Serves In Play is 0!");
    else if (c.returnAttempts == 0)
        message = formatMessage("# Return Attempts is 0!");
    else if (singles && c.returnsIn == 0)
        message = formatMessage("# Returns In Play is 0!");
    else if (c.firstServesIn > c.firstServeAttempts)
        message = formatMessage("# 1st Serves In Play (%d) is more than Attempts (%d)!",
                                c.firstServesIn, c.firstServeAttempts);
    else if (c.aces > c.firstServeAttempts)
        message =
            formatMessage("# Aces (%d) is more than Attempts (%d)!", c.aces, c.firstServeAttempts);
    else if (c.doubleFaults > c.firstServeAttempts)
        message = formatMessage("# Double Faults (%d) is more than Attempts (%d)!", c.doubleFaults,
                                c.firstServeAttempts);
    else if (static_cast<long long>(c.aces) + c.doubleFaults > c.firstServeAttempts)
        message = formatMessage("Aces (%d) & Double Faults (%d) are more than Attempts (%d)!",
                                c.aces, c.doubleFaults, c.firstServeAttempts);
    else if (c.returnsIn > c.returnAttempts)
        message = formatMessage("Returns In Play (%d) more than Attempts (%d)!", c.returnsIn,
                                c.returnAttempts);
    else if (static_cast<long long>(c.returnWinners) + c.returnErrors > c.returnAttempts)
        message = formatMessage("Return Winners (%d) + Errors (%d) more than Attempts (%d)!",
                                c.returnWinners, c.returnErrors, c.returnAttempts);
    else if (c.returnWinners > c.returnAttempts)
        message = formatMessage("Return Winners (%d) more than Attempts (%d)!", c.returnWinners,
                                c.returnAttempts);
    else if (c.returnErrors > c.returnAttempts)
        message = formatMessage("Return Errors (%d) more than Attempts (%d)!", c.returnErrors,
                                c.returnAttempts);
    else if (c.volleyErrors > c.volleysLost)
        message = formatMessage("Too many Volley Errors (%d)!", c.volleyErrors);
    else if (c.approachesPassed > c.approachAttempts)
        message = formatMessage("Too many Approaches passed (%d)!", c.approachesPassed);
    else if (c.approachErrors > c.approachAttempts)
        message = formatMessage("Too many Approach errors (%d)!", c.approachErrors);
    else if (singles && c.forehandWinners > totalPoints)
        message = formatMessage("Too many Forehand winners (%d)!", c.forehandWinners);
    else if (singles && c.forehandErrors > totalPoints)
        message = formatMessage("Too many Forehand errors (%d)!", c.forehandErrors);
    else if (singles && c.backhandWinners > totalPoints)
        message = formatMessage("Too many Backhand winners (%d)!", c.backhandWinners);
    else if (singles && c.backhandErrors > totalPoints)
        message = formatMessage("Too many Backhand errors (%d)!", c.backhandErrors);
    else if (singles &&
             static_cast<double>(c.totalWinners) + c.totalErrors > static_cast<double>(totalPoints))
        // The total points may exceed an int when the counters are huge, so
        // they are printed as a long long (the same text as %d otherwise).
        message = formatMessage("Total Winners (%3.0f) + Errors (%3.0f) more than Total Points "
                                "(%lld)!",
                                static_cast<double>(c.totalWinners),
                                static_cast<double>(c.totalErrors), totalPoints);
    return message.empty() ? 1 : 0;
}

int KVR_ChartClass::Upgrade(float fileVersion) {
    if (fileVersion != 0.0f)
        return -1;
    return ReadVersion0();
}

// The headerless layout: opening the file takes its first line; the next line
// holds the number of charts, then each chart is 21 lines, one unquoted field
// per line, in the order of a chart.dat line. The file is not rewritten here:
// the next save writes the current layout.
int KVR_ChartClass::ReadVersion0() {
    ZBD_File file(FileName(), 'r', Separator(), true);
    if (file.Status() <= 0)
        return file.Status();
    const std::string firstLine = file.LastLine();
    auto next = [&file]() -> std::optional<std::string> {
        auto line = file.ReadLine();
        if (!line || file.Status() == 0)
            return std::nullopt; // end of file or read error
        return line;
    };

    std::vector<std::unique_ptr<ChartRecord>> charts;
    auto countLine = next();
    long long count = countLine ? kvr::LeadingInt(*countLine) : 0;
    std::optional<std::string> pending;
    if (countLine && !isPlainNumber(*countLine) && isPlainNumber(firstLine)) {
        // A file whose first line is the count: the line read as the count
        // is the first chart's date.
        count = file.RecordCount();
        pending = std::move(countLine);
    }

    // The count only bounds the loop: the file's end stops it first, and a
    // chart cut short by the end of the file is dropped.
    for (long long i = 0; i < count; ++i) {
        auto chart = std::make_unique<ChartRecord>();
        bool complete = true;
        for (int field = 1; field <= ChartRecord::kFieldCount && complete; ++field) {
            auto line = pending ? std::move(pending) : next();
            pending.reset();
            if (!(complete = line.has_value()))
                break;
            // Texts of the old layout may hold double quotes, which a
            // chart.dat line cannot keep.
            switch (field) {
            case 1:
                chart->date = kvr::StorableText(*line);
                break;
            case 2:
                chart->opponent = kvr::StorableText(*line);
                break;
            case 3:
                chart->score = kvr::StorableText(*line);
                break;
            default:
                (*chart).*kCountersInFileOrder[static_cast<size_t>(field - 4)] =
                    kvr::LeadingInt(*line);
            }
        }
        if (!complete)
            break;
        charts.push_back(std::move(chart));
    }
    if (file.Status() < 0)
        return -1; // unreadable: the store stays as it was
    file.Close();

    Clear();
    for (auto& chart : charts)
        AddLoaded(std::move(chart));
    return static_cast<int>(std::min<unsigned>(Count(), INT_MAX));
}
