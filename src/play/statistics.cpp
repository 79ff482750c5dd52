#include "play/statistics.h"

#include "core/history.h"
#include "core/text_format.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <unordered_map>

namespace {

constexpr int kAveragedRecords = 5;
constexpr int kMonthCount =
    static_cast<int>(std::tuple_size_v<decltype(PlayStatistics::monthlyTime)>);
constexpr int kMaxRating = 10;

// The rating row behind each stroke average: Forehand, Backhand, Volley,
// Approach, Serve, Return.
constexpr std::array<int, kStrokeCount> kAverageRows{Forehand, Backhand, Volley,
                                                     Approach, Serve,    Return};

// Hours of one outing are kept within this bound, so that no file, however
// absurd, can drive a total to infinity.
constexpr float kHourLimit = 1.0e6f;

int clampToInt(long long value) {
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

void countOne(int& counter) {
    if (counter < INT_MAX)
        ++counter;
}

// The first letter of a text in upper case (ASCII only), or 0 for none.
char firstLetter(const std::string& text) {
    if (text.empty())
        return 0;
    char c = text.front();
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Counts the record's result letter: W win, L loss, U undecided.
void countResult(const PlayRecord& record, int& wins, int& losses, int& undecided) {
    switch (firstLetter(record.result)) {
    case 'W':
        countOne(wins);
        break;
    case 'L':
        countOne(losses);
        break;
    case 'U':
        countOne(undecided);
        break;
    default:
        break;
    }
}

float hoursOf(const PlayRecord& record) {
    return std::clamp(kvr::LeadingFloat(record.time), -kHourLimit, kHourLimit);
}

// Calendar months from `from` to `to`; positive when `to` is later.
long long monthsBetween(const ZBD_Date& from, const ZBD_Date& to) {
    return (static_cast<long long>(to.Year()) - from.Year()) * 12 + to.Month() - from.Month();
}

struct PeriodFigures {
    int& wins;
    int& losses;
    int& undecided;
    float& time;
    float& matchTime;
    float& practiceTime;
    float& lessonTime;

    void Add(const PlayRecord& record, float hours) const {
        switch (firstLetter(record.kind)) {
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
        countResult(record, wins, losses, undecided);
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

// The start of the month span: the oldest past record when there is a
// history, else the older of the first and last current records, else today.
ZBD_Date startDate(const KVR_PlayData& store, bool hasPast, const std::string& lastPastDate) {
    std::string text;
    if (hasPast) {
        text = lastPastDate;
    } else if (store.Count() > 0) {
        const PlayRecord& first = *store.At(0);
        const PlayRecord& last = *store.At(static_cast<int>(store.Count()) - 1);
        text = ZBD_Date(first.date).DayNumber() < ZBD_Date(last.date).DayNumber() ? first.date
                                                                                  : last.date;
    }
    return text.empty() ? ZBD_Date() : ZBD_Date(text);
}

int monthsCoveredFrom(const ZBD_Date& start) {
    return clampToInt(monthsBetween(start, ZBD_Date()) + 1);
}

// What one person's outings add up to while the records are walked.
struct OpponentTally {
    int wins = 0, losses = 0, undecided = 0;
    std::string lastPlayed, lastOuting;

    // A past record sets the last outing only while none is known (the
    // history comes newest first); a current one always does (the store is
    // oldest first).
    void Add(const PlayRecord& record, bool opponentHit, bool current) {
        if (opponentHit)
            countResult(record, wins, losses, undecided);
        if (!current && !lastPlayed.empty())
            return;
        char kind = firstLetter(record.kind);
        const char* word = kind == 'M' ? "Match" : kind == 'L' ? "Lesson" : "Practice";
        lastPlayed = record.date;
        lastOuting = std::string(word) + " " + record.score + " " + record.result;
    }

    void Fill(OpponentStats& stats) const {
        stats.lastPlayed = lastPlayed;
        stats.lastOuting = lastOuting;
        stats.winLossRecord = kvr::Format("%d - %d - %d", wins, losses, undecided);
    }
};

// Calls visit(record, current) for every past record, newest first, up to
// the end of the history or a record without a date, and then for every
// current record in store order. The history is read once.
template <class Visit> void forEachOuting(KVR_PlayData& store, Visit visit) {
    KVR_History& history = store.History();
    if (history.Rewind() == 1) {
        while (history.ReadNext() == 1 && !history.Current().date.empty())
            visit(history.Current(), false);
    }
    history.Close();
    for (unsigned i = 0; i < store.Count(); ++i)
        visit(*store.At(static_cast<int>(i)), true);
}

} // namespace

void computeRecordTotals(PlayRecord& record) {
    // Sums are saturated so that ratings out of range in an edited file
    // cannot overflow.
    std::array<long long, kStrokeCount> strokes{};
    long long grand = 0;
    for (int level = 0; level < kLevelCount; ++level) {
        long long levelSum = 0;
        for (int stroke = 0; stroke < kStrokeCount; ++stroke) {
            strokes[stroke] += record.ratings[stroke][level];
            levelSum += record.ratings[stroke][level];
        }
        record.levelTotal[level] = clampToInt(levelSum);
        grand += record.levelTotal[level];
    }
    for (int stroke = 0; stroke < kStrokeCount; ++stroke)
        record.strokeTotal[stroke] = clampToInt(strokes[stroke]);
    record.grandTotal = clampToInt(grand);
}

ZBD_Date statisticsStartDate(KVR_PlayData& store) {
    KVR_History& history = store.History();
    bool hasPast = false;
    std::string lastPastDate;
    if (history.Rewind() == 1) {
        while (history.ReadNext() == 1) {
            hasPast = true;
            lastPastDate = history.Current().date;
        }
    }
    history.Close();
    return startDate(store, hasPast, lastPastDate);
}

int monthsCovered(KVR_PlayData& store) {
    return monthsCoveredFrom(statisticsStartDate(store));
}

void computeStatistics(KVR_PlayData& store) {
    const ZBD_Date today;
    const int count = static_cast<int>(store.Count());
    PlayStatistics s;

    // The totals are kept up to date even when the block below stays empty,
    // so the goal progress always reflects the ratings.
    for (int i = 0; i < count; ++i)
        computeRecordTotals(*store.At(i));

    // Ratings averages over the newest records.
    int taken = 0;
    for (int i = count - 1; i >= 0 && taken < kAveragedRecords; --i, ++taken) {
        const PlayRecord& record = *store.At(i);
        for (int a = 0; a < kStrokeCount; ++a)
            s.strokeAverage[a] += static_cast<float>(record.strokeTotal[kAverageRows[a]]);
        for (int level = 0; level < kLevelCount; ++level)
            s.levelAverage[level] += static_cast<float>(record.levelTotal[level]);
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
    auto addToMonth = [&](const ZBD_Date& date, float hours) {
        long long back = monthsBetween(date, today);
        if (back >= 0 && back < kMonthCount)
            monthsBack[static_cast<size_t>(back)] += hours;
    };

    const PeriodFigures current = currentFigures(s);
    const PeriodFigures year = yearFigures(s);
    const PeriodFigures all = allFigures(s);
    for (int i = 0; i < count; ++i) {
        const PlayRecord& record = *store.At(i);
        const ZBD_Date date(record.date);
        const float hours = hoursOf(record);
        addToMonth(date, hours);
        current.Add(record, hours);
        if (date.Year() == today.Year())
            year.Add(record, hours);
    }
    s.allTime = s.currentTime;
    s.allMatchTime = s.currentMatchTime;
    s.allPracticeTime = s.currentPracticeTime;
    s.allLessonTime = s.currentLessonTime;
    s.allWins = s.currentWins;
    s.allLosses = s.currentLosses;
    s.allUndecided = s.currentUndecided;

    // One pass over the history serves both the figures and the start date
    // (the date of the last record in the file).
    KVR_History& history = store.History();
    bool pastEnded = false;
    std::string lastPastDate;
    if (history.Rewind() == 1) {
        while (history.ReadNext() == 1) {
            const PlayRecord& record = history.Current();
            s.hasHistory = true;
            lastPastDate = record.date;
            if (pastEnded || record.date.empty()) {
                pastEnded = true;
                continue;
            }
            const ZBD_Date date(record.date);
            const float hours = hoursOf(record);
            all.Add(record, hours);
            if (date.Year() == today.Year())
                year.Add(record, hours);
            addToMonth(date, hours);
        }
    }
    history.Close();

    int months = monthsCoveredFrom(startDate(store, s.hasHistory, lastPastDate));
    if (months == 0) {
        // The span starts next month: nothing is shown.
        bool hadHistory = store.Stats().hasHistory;
        store.Stats() = PlayStatistics{};
        store.Stats().hasHistory = hadHistory;
        return;
    }
    months = std::min(months, kMonthCount);
    for (int back = 0; back < months; ++back)
        s.monthlyTime[static_cast<size_t>(months - 1 - back)] =
            monthsBack[static_cast<size_t>(back)];
    store.Stats() = s;
}

std::optional<float> goalProgress(const KVR_PlayData& store) {
    const unsigned count = store.Count();
    if (count == 0)
        return std::nullopt;
    long long sum = 0;
    for (unsigned i = 0; i < count; ++i)
        sum += store.At(static_cast<int>(i))->grandTotal;
    const long long best = static_cast<long long>(count) * kStrokeCount * kLevelCount * kMaxRating;
    return std::clamp(static_cast<float>(sum) / static_cast<float>(best), 0.0f, 1.0f);
}

bool ComputeOpponentStats(KVR_PlayData& store, const std::string& name, OpponentStats& stats) {
    OpponentTally tally;
    forEachOuting(store, [&](const PlayRecord& record, bool current) {
        bool opponentHit = record.who == name || record.secondOpponent == name;
        if (opponentHit || record.partner == name)
            tally.Add(record, opponentHit, current);
    });
    tally.Fill(stats);
    return true;
}

std::vector<OpponentStats> ComputeOpponentStatsForAll(KVR_PlayData& store,
                                                      const std::vector<std::string>& names) {
    // One tally per distinct name; a record is offered to each distinct
    // person it names, so the result per name is that of ComputeOpponentStats.
    std::unordered_map<std::string, OpponentTally> tallies;
    tallies.reserve(names.size());
    for (const std::string& name : names)
        tallies.try_emplace(name);
    forEachOuting(store, [&](const PlayRecord& record, bool current) {
        const std::string* people[] = {&record.who, &record.secondOpponent, &record.partner};
        for (size_t p = 0; p < std::size(people); ++p) {
            const std::string& person = *people[p];
            if (std::find_if(people, people + p, [&](const std::string* earlier) {
                    return *earlier == person;
                }) != people + p)
                continue;
            auto found = tallies.find(person);
            if (found == tallies.end())
                continue;
            bool opponentHit = record.who == person || record.secondOpponent == person;
            found->second.Add(record, opponentHit, current);
        }
    });
    std::vector<OpponentStats> result(names.size());
    for (size_t i = 0; i < names.size(); ++i)
        tallies[names[i]].Fill(result[i]);
    return result;
}
