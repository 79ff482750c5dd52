// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/play_statistics.h"

#include <algorithm>
#include <array>
#include <climits>
#include <vector>

namespace {

using kvr::kLevelCount;
using kvr::kStrokeCount;

constexpr int kAveragedRecords = 5;
constexpr int kMonthCount =
    static_cast<int>(std::tuple_size_v<decltype(PlayStatistics::monthlyTime)>);
constexpr int kMaxRating = 10;

// The rating row behind each stroke average: Forehand, Backhand, Volley,
// Approach, Serve, Return.
constexpr std::array<kvr::Stroke, kStrokeCount> kAverageRows{
    kvr::Stroke::Forehand, kvr::Stroke::Backhand, kvr::Stroke::Volley,
    kvr::Stroke::Approach, kvr::Stroke::Serve,    kvr::Stroke::Return};

int clampToInt(long long value) {
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

// Calendar months from (fromYear, fromMonth) to `to`; positive when `to` is
// later.
long long monthsBetween(int fromYear, int fromMonth, const ZBD_Date& to) {
    return (static_cast<long long>(to.Year()) - fromYear) * 12 + to.Month() - fromMonth;
}

struct PeriodFigures {
    int& wins;
    int& losses;
    int& undecided;
    float& time;
    float& matchTime;
    float& practiceTime;
    float& lessonTime;

    // `kind` and `result` are the first letters of the record's texts.
    void Add(char kind, char result, float hours) const {
        switch (kind) {
        case 'M':
            matchTime += hours;
            break;
        case 'P':
            practiceTime += hours;
            break;
        case 'L':
            lessonTime += hours;
            break;
        default:
            break;
        }
        time += hours;
        kvr::CountResult(result, wins, losses, undecided);
    }
};

PeriodFigures currentFigures(PlayStatistics& s) {
    return {s.currentWins,      s.currentLosses,       s.currentUndecided, s.currentTime,
            s.currentMatchTime, s.currentPracticeTime, s.currentLessonTime};
}

PeriodFigures yearFigures(PlayStatistics& s) {
    return {s.yearWins,      s.yearLosses,       s.yearUndecided, s.yearTime,
            s.yearMatchTime, s.yearPracticeTime, s.yearLessonTime};
}

PeriodFigures allFigures(PlayStatistics& s) {
    return {s.allWins,      s.allLosses,       s.allUndecided, s.allTime,
            s.allMatchTime, s.allPracticeTime, s.allLessonTime};
}

// A record's rating totals, summed without touching the record.
struct RecordTotals {
    std::array<int, kStrokeCount> stroke{};
    std::array<int, kLevelCount> level{};
    int grand = 0;
};

RecordTotals totalsOf(const PlayRecord& record) {
    // Sums are saturated so that ratings out of range in an edited file
    // cannot overflow.
    RecordTotals totals;
    std::array<long long, kStrokeCount> strokes{};
    long long grand = 0;
    for (int level = 0; level < kLevelCount; ++level) {
        long long levelSum = 0;
        for (int stroke = 0; stroke < kStrokeCount; ++stroke) {
            strokes[stroke] += record.ratings[stroke][level];
            levelSum += record.ratings[stroke][level];
        }
        totals.level[level] = clampToInt(levelSum);
        grand += totals.level[level];
    }
    for (int stroke = 0; stroke < kStrokeCount; ++stroke)
        totals.stroke[stroke] = clampToInt(strokes[stroke]);
    totals.grand = clampToInt(grand);
    return totals;
}

int monthsCoveredFrom(const ZBD_Date& start, const ZBD_Date& today) {
    return clampToInt(monthsBetween(start.Year(), start.Month(), today) + 1);
}

} // namespace

void computeRecordTotals(PlayRecord& record) {
    const RecordTotals totals = totalsOf(record);
    record.strokeTotal = totals.stroke;
    record.levelTotal = totals.level;
    record.grandTotal = totals.grand;
}

ZBD_Date statisticsStartDate(const ZBD_Data<PlayRecord>& period, const kvr::PastRecords& past) {
    std::string text;
    if (past.HasHistory()) {
        text = past.LastDate();
    } else if (period.Count() > 0) {
        const PlayRecord& first = *period.At(0);
        const PlayRecord& last = *period.At(static_cast<int>(period.Count()) - 1);
        text = ZBD_Date(first.date).DayNumber() < ZBD_Date(last.date).DayNumber() ? first.date
                                                                                  : last.date;
    }
    return text.empty() ? ZBD_Date() : ZBD_Date(text);
}

int monthsCovered(const ZBD_Data<PlayRecord>& period, const kvr::PastRecords& past,
                  const ZBD_Date& today) {
    return monthsCoveredFrom(statisticsStartDate(period, past), today);
}

void computeStatistics(ZBD_Data<PlayRecord>& period, PlayStatistics& block,
                       const kvr::PastRecords& past) {
    const ZBD_Date today;
    keepStatistics(period, block, statisticsOf(period, past, today), past, today);
}

void keepStatistics(ZBD_Data<PlayRecord>& period, PlayStatistics& block,
                    const PlayStatistics& taken, const kvr::PastRecords& past,
                    const ZBD_Date& today) {
    // The totals are kept up to date even when the block stays empty, so the
    // goal progress always reflects the ratings.
    for (unsigned i = 0; i < period.Count(); ++i)
        computeRecordTotals(*period.At(static_cast<int>(i)));
    const bool hadHistory = block.hasHistory;
    block = taken;
    if (monthsCovered(period, past, today) == 0)
        block.hasHistory = hadHistory;
}

PlayStatistics statisticsOf(const ZBD_Data<PlayRecord>& period, const kvr::PastRecords& past,
                            const ZBD_Date& today) {
    PlayStatistics s;
    s.hasHistory = past.HasHistory();
    int months = monthsCovered(period, past, today);
    if (months == 0)
        return s; // the span starts next month: nothing is shown
    months = std::min(months, kMonthCount);

    const int count = static_cast<int>(period.Count());
    std::vector<RecordTotals> totals;
    totals.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        totals.push_back(totalsOf(*period.At(i)));

    // Ratings averages over the newest rated records.
    int taken = 0;
    for (int i = count - 1; i >= 0 && taken < kAveragedRecords; --i) {
        if (!period.At(i)->rated)
            continue;
        ++taken;
        const RecordTotals& record = totals[static_cast<size_t>(i)];
        for (int a = 0; a < kStrokeCount; ++a)
            s.strokeAverage[a] += static_cast<float>(record.stroke[kvr::Index(kAverageRows[a])]);
        for (int level = 0; level < kLevelCount; ++level)
            s.levelAverage[level] += static_cast<float>(record.level[level]);
    }
    if (taken > 0) {
        for (float& average : s.strokeAverage)
            average /= static_cast<float>(taken);
        for (float& average : s.levelAverage)
            average /= static_cast<float>(taken);
    }
    for (float average : s.strokeAverage)
        s.totalGameRating += average;

    // Hours by month, indexed by months back from today's month. Each month
    // receives its hours in the same order as the monthly figures below, so
    // the sums are the same to the last bit.
    std::array<float, kMonthCount> monthsBack{};
    auto addToMonth = [&](int year, int month, float hours) {
        long long back = monthsBetween(year, month, today);
        if (back >= 0 && back < kMonthCount)
            monthsBack[static_cast<size_t>(back)] += hours;
    };

    const PeriodFigures current = currentFigures(s);
    const PeriodFigures year = yearFigures(s);
    const PeriodFigures all = allFigures(s);
    for (int i = 0; i < count; ++i) {
        const PlayRecord& record = *period.At(i);
        const ZBD_Date date(record.date);
        const float hours = kvr::HoursOf(record.time);
        const char kind = kvr::FirstLetter(record.kind);
        const char result = kvr::FirstLetter(record.result);
        addToMonth(date.Year(), date.Month(), hours);
        current.Add(kind, result, hours);
        if (date.Year() == today.Year())
            year.Add(kind, result, hours);
    }
    s.allTime = s.currentTime;
    s.allMatchTime = s.currentMatchTime;
    s.allPracticeTime = s.currentPracticeTime;
    s.allLessonTime = s.currentLessonTime;
    s.allWins = s.currentWins;
    s.allLosses = s.currentLosses;
    s.allUndecided = s.currentUndecided;

    // Past records, newest first.
    for (const kvr::PastRecords::Outing& record : past.Outings()) {
        all.Add(record.kind, record.result, record.hours);
        if (record.year == today.Year())
            year.Add(record.kind, record.result, record.hours);
        addToMonth(record.year, record.month, record.hours);
    }

    for (int back = 0; back < months; ++back)
        s.monthlyTime[static_cast<size_t>(months - 1 - back)] =
            monthsBack[static_cast<size_t>(back)];
    return s;
}

std::optional<float> goalProgress(const ZBD_Data<PlayRecord>& period) {
    std::vector<int> grandTotals;
    grandTotals.reserve(period.Count());
    for (unsigned i = 0; i < period.Count(); ++i)
        if (period.At(static_cast<int>(i))->rated)
            grandTotals.push_back(period.At(static_cast<int>(i))->grandTotal);
    return goalProgress(grandTotals);
}

std::optional<float> goalProgress(const std::vector<int>& grandTotals) {
    if (grandTotals.empty())
        return std::nullopt;
    long long sum = 0;
    for (int total : grandTotals)
        sum += total;
    const long long best =
        static_cast<long long>(grandTotals.size()) * kStrokeCount * kLevelCount * kMaxRating;
    return std::clamp(static_cast<float>(sum) / static_cast<float>(best), 0.0f, 1.0f);
}
