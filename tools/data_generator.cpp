// SPDX-License-Identifier: GPL-3.0-or-later
#include "data_generator.h"

#include "core/date.h"
#include "core/history.h"
#include "core/record_store.h"
#include "core/safe_file.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <set>
#include <string_view>

namespace kvrbench {
namespace {

constexpr const char* kLineBreak = "\r\n";

// A small generator of its own (splitmix64): the standard distributions may
// differ between libraries, and the files must be the same everywhere.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}

    uint64_t Next() {
        uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    int Below(int n) { return n <= 0 ? 0 : static_cast<int>(Next() % static_cast<uint64_t>(n)); }
    int Between(int low, int high) { return low + Below(high - low + 1); }
    bool Chance(int percent) { return Below(100) < percent; }
    template <class Container> const auto& Pick(const Container& items) {
        return items[static_cast<size_t>(Below(static_cast<int>(std::size(items))))];
    }

private:
    uint64_t state_;
};

// Separate streams, so that a change to one file leaves the others as they were.
enum Seed : uint64_t {
    kPeopleSeed = 11,
    kHistorySeed = 23,
    kGoalSeed = 37,
    kPhoneSeed = 41,
    kChartSeed = 53,
    kSchedSeed = 67,
    kTipSeed = 79,
};

constexpr std::array<std::string_view, 40> kFirstNames{
    "Adam",  "Alice",  "Anna",   "Ben",  "Carlos", "Chloe",   "Daniel", "Diana", "Elena",  "Eric",
    "Fiona", "Frank",  "Grace",  "Greg", "Hannah", "Hugo",    "Irene",  "Ivan",  "Jack",   "Julia",
    "Karen", "Kevin",  "Laura",  "Leo",  "Maria",  "Mark",    "Nina",   "Oscar", "Paula",  "Peter",
    "Quinn", "Rachel", "Robert", "Sara", "Steve",  "Tatiana", "Tom",    "Vera",  "Walter", "Yuki"};

constexpr std::array<std::string_view, 40> kLastNames{
    "Alvarez", "Baker",    "Brennan", "Chen",    "Costa",    "Dubois", "Evans",   "Fischer",
    "Garcia",  "Hansen",   "Ito",     "Jensen",  "Kowalski", "Larsen", "Lopez",   "Meyer",
    "Moreau",  "Nakamura", "Novak",   "O'Brien", "Olsen",    "Patel",  "Petrov",  "Quinlan",
    "Rossi",   "Sanders",  "Schmidt", "Silva",   "Sorensen", "Tanaka", "Turner",  "Uribe",
    "Vasquez", "Walsh",    "Weber",   "Xavier",  "Young",    "Zhang",  "Ziegler", "Murphy"};

constexpr std::array<std::string_view, 16> kMatchNotes{
    "Served well on the big points",
    "Too many unforced errors on the backhand",
    "Opponent sliced everything to my backhand, need to step in earlier",
    "Lost focus after winning the first set",
    "Good depth on returns, came to the net more often",
    "Windy day, kept the ball low and through the court",
    "First serve percentage low, double faulted twice at 4-5",
    "Moved the opponent side to side and finished at the net",
    "Lobbed well when pulled wide",
    "Nervous at the start, settled down after 2-4",
    "Kick serve to the backhand worked all match",
    "Played too passive in the long rallies",
    "Approached down the line and got passed crosscourt, approach deeper",
    "Great fight in the tiebreak",
    "Heavy topspin from the opponent pushed me back behind the baseline",
    "Returned well against the big serve by standing further back"};

constexpr std::array<std::string_view, 12> kPracticeNotes{
    "Drilled crosscourt forehands for thirty minutes",
    "Serve practice: a basket of second serves with kick",
    "Split step and volley footwork",
    "Approach shots down the line, then first volley",
    "Rally drill with the focus on height over the net",
    "Backhand slice, low and short",
    "Returns of serve from both sides, blocking back deep",
    "Overheads and lobs, then points from the net",
    "Two on one drill, moving side to side",
    "Worked on the toss, it drifts too far left",
    "Played practice tiebreaks, serving first",
    "Inside-out forehands from the backhand corner"};

constexpr std::array<std::string_view, 8> kLessonNotes{
    "Coach: turn the shoulders earlier on the forehand",
    "Coach: keep the head still through contact",
    "Coach: more knee bend on the serve, reach up",
    "Coach: shorter backswing on the return",
    "Coach: hit the volley in front, do not swing",
    "Coach: two-handed backhand, push with the left hand",
    "Coach: follow the approach in and close the net",
    "Coach: recover to the middle after every shot"};

constexpr std::array<std::string_view, 10> kPhoneNotes{
    "Big lefty serve, weak backhand return", "Plays Tuesday nights at the club",
    "Moonballs when under pressure",         "Good doubles partner, strong at the net",
    "Hits hard and flat, make her run",      "Retrieves everything, be patient",
    "Prefers indoor courts in winter",       "Coaches juniors on weekends",
    "Serve and volley on every point",       "Captain of the league team"};

constexpr std::array<std::string_view, 8> kEventNames{
    "Club Ladder Night",  "Spring Doubles League", "City Open 4.0",      "Mixed Doubles Social",
    "Club Championships", "Summer League Match",   "Junior Clinic Help", "Fall Round Robin"};

constexpr std::array<std::string_view, 8> kPlaces{
    "Riverside Park Court 3", "Lakeview Tennis Club", "High School Courts", "Indoor Center Court 2",
    "Memorial Park",          "Country Club Court 7", "University Courts",  "Community Center"};

constexpr std::array<std::string_view, 8> kEventTimes{"6:30 pm", "9:00 am", "7:15 pm", "10:00 am",
                                                      "5:45 pm", "8:00 am", "7:00 pm", "12:30 pm"};

constexpr std::array<std::string_view, 8> kEventNotes{"Bring new balls",
                                                      "Court fee is paid",
                                                      "Doubles, partner to be decided",
                                                      "Warm up at least 20 minutes before",
                                                      "Best of three sets, third set tiebreak",
                                                      "Call if it rains",
                                                      "Carpool from the club",
                                                      ""};

constexpr std::array<std::string_view, 12> kTipOpenings{
    "Watch the ball onto the strings",
    "Turn your shoulders early",
    "Keep your wrist firm at contact",
    "Finish the swing over the opposite shoulder",
    "Step into the ball with the front foot",
    "Hit up and through the ball",
    "Stay low through the shot",
    "Relax the grip between shots",
    "Prepare the racket as soon as the ball leaves the opponent",
    "Aim a metre above the net for depth",
    "Brush up the back of the ball for topspin",
    "Recover to the middle after every shot"};

constexpr std::array<std::string_view, 10> kTipReasons{
    "so that the contact point stays in front of you.",
    "which gives you time against fast balls.",
    "because a late swing sends the ball wide.",
    "and the ball will land deeper in the court.",
    "so the racket head speed comes from the legs and trunk.",
    "which keeps the ball in the court when you swing hard.",
    "because tension slows the racket down.",
    "and you will find the rhythm of long rallies.",
    "so your opponent has to hit from behind the baseline.",
    "which makes the shot safe under pressure."};

constexpr std::array<std::string_view, 6> kTipDrills{
    "Drill: ten balls crosscourt, then ten down the line.",
    "Drill: feed from the basket and hold the finish for a count of two.",
    "Drill: rally to targets placed two metres inside the baseline.",
    "Drill: shadow swings in front of a mirror, twenty at a time.",
    "",
    "Drill: play points where only this shot may win the point."};

std::string DateText(std::chrono::sys_days day) {
    std::chrono::year_month_day date{day};
    return ZBD_Date(static_cast<int>(static_cast<unsigned>(date.month())),
                    static_cast<int>(static_cast<unsigned>(date.day())),
                    static_cast<int>(date.year()))
        .Text();
}

std::chrono::sys_days Day(int year, unsigned month, unsigned day) {
    return std::chrono::sys_days{std::chrono::year{year} / std::chrono::month{month} /
                                 std::chrono::day{day}};
}

// History from September 2010 to August 2025; the goal period follows it.
const std::chrono::sys_days kHistoryStart = Day(2010, 9, 1);
constexpr int kHistoryDays = 5'478;
const std::chrono::sys_days kGoalStart = kHistoryStart + std::chrono::days{kHistoryDays + 2};
// Scheduled dates from January 2024 over three years.
const std::chrono::sys_days kSchedStart = Day(2024, 1, 1);
constexpr int kSchedDays = 3 * 365;

// A set won by the player: the player's games first.
std::string WonSet(Random& random) {
    static constexpr std::array<std::string_view, 7> sets{"6-0", "6-1", "6-2", "6-3",
                                                          "6-4", "7-5", "7-6"};
    return std::string(random.Pick(sets));
}

std::string LostSet(Random& random) {
    std::string set = WonSet(random);
    return set.substr(2) + "-" + set.substr(0, 1);
}

std::string Score(Random& random, char result) {
    if (result == 'U') {
        // Stopped by rain or darkness.
        static constexpr std::array<std::string_view, 4> unfinished{"4-4", "3-2", "5-5", "2-1"};
        std::string first = random.Chance(50) ? WonSet(random) : LostSet(random);
        return first + " " + std::string(random.Pick(unfinished));
    }
    bool won = result == 'W';
    std::string first = won ? WonSet(random) : LostSet(random);
    if (random.Chance(65))
        return first + " " + (won ? WonSet(random) : LostSet(random));
    return first + " " + (won ? LostSet(random) : WonSet(random)) + " " +
           (won ? WonSet(random) : LostSet(random));
}

std::string Notes(Random& random, const auto& pool, int emptyPercent) {
    if (random.Chance(emptyPercent))
        return {};
    std::string notes(random.Pick(pool));
    if (random.Chance(30)) {
        notes += ". ";
        notes += random.Pick(pool);
    }
    return notes;
}

std::string Hours(int halfHours) {
    std::string text = std::to_string(halfHours / 2);
    if (halfHours % 2)
        text += ".5";
    return text;
}

std::string Joined(std::initializer_list<std::string_view> fields) {
    std::string line;
    for (std::string_view field : fields) {
        if (!line.empty())
            line += ',';
        line += kvr::QuotedField(field);
    }
    return line;
}

// A store file: header, count line, one line per record.
std::string StoreFile(float version, const std::vector<std::string>& lines) {
    std::string text = kvr::DataFileHeader(version) + kLineBreak;
    text += std::to_string(lines.size()) + kLineBreak;
    for (const auto& line : lines)
        text += line + kLineBreak;
    return text;
}

std::string HistoryText(auto first, auto last, size_t count) {
    std::string text = std::string(KVR_History::kHeader) + kLineBreak;
    text.reserve(count * 160);
    for (auto record = first; record != last; ++record)
        text += record->ToHistoryLine() + kLineBreak;
    return text;
}

} // namespace

DataSet::DataSet(const DataSetSize& size) : size_(size) {
    MakePeople();
    MakeHistory();
    MakeGoalPeriod();
}

void DataSet::MakePeople() {
    // Each name is a first name with a last name; for a given first name the
    // last names differ, so the names are unique for up to 1,600 people.
    const int count = std::clamp(size_.people, 1, 1'600);
    people_.clear();
    for (int i = 0; i < count; ++i) {
        size_t first = static_cast<size_t>(i) % kFirstNames.size();
        size_t cycle = static_cast<size_t>(i) / kFirstNames.size();
        size_t last = (first + cycle) % kLastNames.size();
        people_.push_back(std::string(kFirstNames[first]) + " " + std::string(kLastNames[last]));
    }
    std::sort(people_.begin(), people_.end());
}

void DataSet::MakeHistory() {
    Random random(kHistorySeed);
    const int count = std::max(size_.historyRecords, 0);
    std::vector<int> offsets(static_cast<size_t>(count));
    for (int& offset : offsets)
        offset = random.Below(kHistoryDays);
    std::sort(offsets.begin(), offsets.end());

    // A few coaches, a group of regular hitting partners, and everyone in the
    // phone book met at least once, in an order of their own.
    std::vector<const std::string*> coaches, regulars, firstMeetings;
    for (size_t i = 0; i < people_.size(); ++i) {
        if (i % 40 == 7)
            coaches.push_back(&people_[i]);
        else if (i % 10 == 3)
            regulars.push_back(&people_[i]);
        firstMeetings.push_back(&people_[i]);
    }
    Random shuffle(kPeopleSeed);
    for (size_t i = firstMeetings.size(); i > 1; --i)
        std::swap(firstMeetings[i - 1],
                  firstMeetings[static_cast<size_t>(shuffle.Below(static_cast<int>(i)))]);
    if (coaches.empty())
        coaches.push_back(&people_.front());
    if (regulars.empty())
        regulars.push_back(&people_.front());
    size_t nextFirstMeeting = 0;
    auto anyone = [&]() -> const std::string& {
        return random.Chance(60) ? *random.Pick(regulars) : random.Pick(people_);
    };
    // Someone other than the people already on court (as far as the book allows).
    auto someoneElse = [&](const PlayRecord& record) -> const std::string& {
        for (int attempt = 0;; ++attempt) {
            const std::string& name = anyone();
            if (attempt == 20 ||
                (name != record.who && name != record.partner && name != record.secondOpponent))
                return name;
        }
    };

    history_.clear();
    history_.reserve(static_cast<size_t>(count));
    for (int offset : offsets) {
        PlayRecord record;
        record.date = DateText(kHistoryStart + std::chrono::days{offset});
        int kind = random.Below(100);
        if (kind < 15) {
            record.kind = "L";
            record.singlesDoubles = "S";
            record.who = *random.Pick(coaches);
            record.time = Hours(random.Chance(70) ? 2 : random.Chance(50) ? 1 : 3);
            record.practiceNotes = Notes(random, kLessonNotes, 10);
        } else {
            bool match = kind < 60;
            bool doubles = random.Chance(25);
            record.kind = match ? "M" : "P";
            record.singlesDoubles = doubles ? "D" : "S";
            if (nextFirstMeeting < firstMeetings.size())
                record.who = *firstMeetings[nextFirstMeeting++];
            else
                record.who = anyone();
            if (doubles) {
                record.partner = someoneElse(record);
                record.secondOpponent = someoneElse(record);
            }
            if (match) {
                int result = random.Below(100);
                record.result = result < 50 ? "W" : result < 92 ? "L" : "U";
                record.score = Score(random, record.result[0]);
                record.time = Hours(random.Between(2, 6));
                record.matchNotes = Notes(random, kMatchNotes, 25);
                record.practiceNotes = Notes(random, kPracticeNotes, 80);
            } else {
                record.time = Hours(random.Between(1, 4));
                record.practiceNotes = Notes(random, kPracticeNotes, 20);
            }
        }
        history_.push_back(std::move(record));
    }
    std::reverse(history_.begin(), history_.end());
}

void DataSet::MakeGoalPeriod() {
    Random random(kGoalSeed);
    goalPeriod_.clear();
    auto day = kGoalStart;
    // Ratings that wander slowly from one outing to the next.
    std::array<std::array<int, kvr::kLevelCount>, kvr::kStrokeCount> ratings{};
    for (auto& stroke : ratings)
        for (int& rating : stroke)
            rating = random.Between(4, 7);
    for (int i = 0; i < std::max(size_.playRecords, 0); ++i) {
        PlayRecord record;
        record.date = DateText(day);
        day += std::chrono::days{random.Between(1, 3)};
        bool match = random.Chance(50);
        record.kind = match ? "M" : random.Chance(75) ? "P" : "L";
        record.singlesDoubles = record.kind == "L" || random.Chance(80) ? "S" : "D";
        const size_t who = static_cast<size_t>(random.Below(static_cast<int>(people_.size())));
        record.who = people_[who];
        if (record.IsDoubles()) {
            // Three different people, when the book holds that many.
            record.partner = people_[(who + 1) % people_.size()];
            record.secondOpponent = people_[(who + 2) % people_.size()];
        }
        record.time = Hours(random.Between(2, 5));
        if (match) {
            record.result = random.Chance(55) ? "W" : "L";
            record.score = Score(random, record.result[0]);
            record.matchNotes = Notes(random, kMatchNotes, 10);
        } else {
            record.practiceNotes = record.kind == "L" ? Notes(random, kLessonNotes, 10)
                                                      : Notes(random, kPracticeNotes, 10);
        }
        for (auto& stroke : ratings)
            for (int& rating : stroke)
                rating = std::clamp(rating + random.Between(-1, 1), 0, 10);
        record.ratings = ratings;
        goalPeriod_.push_back(std::move(record));
    }
}

std::string DataSet::HistoryFile() const {
    return HistoryText(history_.begin(), history_.end(), history_.size());
}

std::string DataSet::ReversedHistoryFile() const {
    return HistoryText(history_.rbegin(), history_.rend(), history_.size());
}

std::string DataSet::PhoneFile() const {
    Random random(kPhoneSeed);
    std::vector<std::string> lines;
    for (const std::string& name : people_) {
        std::string phone;
        if (!random.Chance(10))
            phone = "(503) 555-" + std::to_string(1000 + random.Below(9000));
        // USTA levels 2.5 to 5.5, mostly around 3.5 and 4.0.
        int tenths = std::clamp(35 + 5 * (random.Below(5) + random.Below(5) - 4), 25, 55);
        std::string rating = std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
        std::string side = random.Chance(85) ? "R" : "L";
        std::string style(1, "BBAAS"[random.Below(5)]);
        std::string backhand = random.Chance(40) ? "1" : "2";
        if (random.Chance(5))
            rating = side = style = backhand = "";
        std::string notes(random.Chance(30) ? std::string_view() : random.Pick(kPhoneNotes));
        lines.push_back(Joined({name, phone, rating, side, style, backhand, notes}));
    }
    return StoreFile(2.5f, lines);
}

std::string DataSet::ChartFile() const {
    Random random(kChartSeed);
    std::vector<const PlayRecord*> matches;
    for (auto record = history_.rbegin(); record != history_.rend(); ++record)
        if (record->IsMatch() && !record->IsDoubles())
            matches.push_back(&*record);
    std::vector<std::string> lines;
    const int count = std::max(size_.charts, 0);
    for (int i = 0; i < count; ++i) {
        // Charts of singles matches spread over the whole log, oldest first.
        std::string date = DateText(kHistoryStart + std::chrono::days{i * kHistoryDays / count});
        std::string opponent = people_.front(), score = "6-4 6-4";
        if (!matches.empty()) {
            const PlayRecord& match =
                *matches[static_cast<size_t>(i) * matches.size() / static_cast<size_t>(count)];
            date = match.date;
            opponent = match.who;
            score = match.score;
        }
        // Counters that pass every consistency rule of the charting dialog.
        int serveAttempts = random.Between(40, 75);
        int servesIn = serveAttempts * random.Between(50, 72) / 100;
        int aces = random.Between(0, 6);
        int doubleFaults = random.Between(0, 5);
        int returnAttempts = random.Between(40, 75);
        int returnsIn = returnAttempts * random.Between(60, 88) / 100;
        int returnWinners = random.Between(0, 4);
        int returnErrors = random.Between(0, returnAttempts - returnsIn);
        int volleysWon = random.Between(0, 9);
        int volleysLost = random.Between(0, 6);
        int volleyErrors = random.Between(0, volleysLost);
        int approaches = random.Between(0, 10);
        int approachesPassed = random.Between(0, approaches);
        int approachErrors = random.Between(0, approaches - approachesPassed);
        int forehandWinners = random.Between(2, 12);
        int forehandErrors = random.Between(4, 18);
        int backhandWinners = random.Between(1, 8);
        int backhandErrors = random.Between(4, 18);
        int points = serveAttempts + returnAttempts;
        auto rallied = [&] {
            return aces + forehandWinners + volleysWon + returnWinners + backhandWinners +
                   doubleFaults + forehandErrors + volleyErrors + returnErrors + backhandErrors +
                   approachErrors;
        };
        while (rallied() > points && (forehandErrors > 0 || backhandErrors > 0))
            (forehandErrors >= backhandErrors ? forehandErrors : backhandErrors) -= 1;
        auto n = [](int value) { return std::to_string(value); };
        lines.push_back(Joined({date,
                                opponent,
                                score,
                                n(serveAttempts),
                                n(servesIn),
                                n(aces),
                                n(doubleFaults),
                                n(forehandWinners),
                                n(forehandErrors),
                                n(volleysWon),
                                n(volleysLost),
                                n(volleyErrors),
                                n(returnAttempts),
                                n(returnsIn),
                                n(returnWinners),
                                n(returnErrors),
                                n(backhandWinners),
                                n(backhandErrors),
                                n(approaches),
                                n(approachesPassed),
                                n(approachErrors)}));
    }
    return StoreFile(2.0f, lines);
}

std::string DataSet::SchedFile() const {
    Random random(kSchedSeed);
    const int count = std::max(size_.events, 0);
    std::vector<int> offsets(static_cast<size_t>(count));
    for (int& offset : offsets)
        offset = random.Below(kSchedDays);
    std::sort(offsets.begin(), offsets.end());
    std::vector<std::string> lines;
    for (int offset : offsets) {
        std::string who(random.Chance(25) ? random.Pick(kEventNames) : random.Pick(people_));
        lines.push_back(
            Joined({DateText(kSchedStart + std::chrono::days{offset}), who,
                    random.Pick(kEventTimes), random.Pick(kPlaces), random.Pick(kEventNotes)}));
    }
    return StoreFile(2.0f, lines);
}

std::string DataSet::TipFile() const {
    Random random(kTipSeed);
    std::vector<std::string> lines;
    for (int i = 0; i < std::max(size_.tips, 0); ++i) {
        std::string text(random.Pick(kTipOpenings));
        text += ", ";
        text += random.Pick(kTipReasons);
        std::string_view drill = random.Pick(kTipDrills);
        if (!drill.empty()) {
            text += ' ';
            text += drill;
        }
        std::string level = std::to_string(random.Between(1, 4));
        std::string rating = std::to_string(random.Chance(20) ? 10 : random.Between(0, 10));
        lines.push_back(Joined({"Forehand", "T", level, rating, text}));
    }
    return StoreFile(2.0f, lines);
}

int DataSet::WritePlayFile() const {
    KVR_PlayData store;
    for (const PlayRecord& record : goalPeriod_)
        store.AddCopy(record);
    return store.Save();
}

std::string DataSet::WriteAll() const {
    if (!kvr::WriteFileAtomically(KVR_History::kFileName, HistoryFile()))
        return KVR_History::kFileName;
    if (WritePlayFile() != 1)
        return "play.dat";
    const std::pair<const char*, std::string> files[] = {
        {"phone.dat", PhoneFile()},
        {"chart.dat", ChartFile()},
        {"sched.dat", SchedFile()},
        {kTipFileName, TipFile()},
    };
    for (const auto& [name, text] : files)
        if (!kvr::WriteFileAtomically(name, text))
            return name;
    return {};
}

std::vector<std::string> DataFileNames() {
    return {
        KVR_History::kFileName, "play.dat", "phone.dat", "chart.dat", "sched.dat", kTipFileName};
}

} // namespace kvrbench
