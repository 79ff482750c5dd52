// SPDX-License-Identifier: GPL-3.0-or-later
#include "play/statistics.h"

#include "core/text_format.h"

#include <algorithm>
#include <unordered_map>

namespace {

// What one person's outings add up to while the records are walked.
struct OpponentTally {
    int wins = 0, losses = 0, undecided = 0;
    std::string lastPlayed, lastOuting;

    // An outing that involves the person: its result counts when the person
    // was an opponent. A past record sets the last outing only while none is
    // known (the history comes newest first).
    void AddPast(const kvr::PastRecords& past, const kvr::PastRecords::Outing& outing,
                 bool opponentHit) {
        if (opponentHit)
            kvr::CountResult(outing.result, wins, losses, undecided);
        if (!lastPlayed.empty())
            return;
        lastPlayed = past.Date(outing);
        lastOuting = past.Summary(outing);
    }

    // A current record always sets it (the store is oldest first).
    void AddCurrent(const PlayRecord& record, bool opponentHit) {
        if (opponentHit)
            kvr::CountResult(kvr::FirstLetter(record.result), wins, losses, undecided);
        lastPlayed = record.date;
        lastOuting = kvr::OutingSummary(record.kind, record.score, record.result);
    }

    void Fill(OpponentStats& stats) const {
        stats.lastPlayed = lastPlayed;
        stats.lastOuting = lastOuting;
        stats.winLossRecord = kvr::Format("%d - %d - %d", wins, losses, undecided);
    }
};

} // namespace

bool ComputeOpponentStats(KVR_PlayData& store, const std::string& name, OpponentStats& stats) {
    stats = kvr::ComputeOpponentStatsForAll(store, {name}).front();
    return true;
}

namespace kvr {

std::vector<OpponentStats> ComputeOpponentStatsForAll(KVR_PlayData& store,
                                                      const std::vector<std::string>& names) {
    return ComputeOpponentStatsForAll(store, names, store.Past());
}

std::vector<OpponentStats> ComputeOpponentStatsForAll(KVR_PlayData& store,
                                                      const std::vector<std::string>& names,
                                                      const PastRecords& past) {
    // One tally per distinct name; a record is offered to each distinct
    // person it names, so the result per name is that of ComputeOpponentStats.
    std::unordered_map<std::string, OpponentTally> tallies;
    tallies.reserve(names.size());
    std::vector<OpponentTally*> byNumber(past.NameCount(), nullptr);
    for (const std::string& name : names) {
        OpponentTally& tally = tallies[name];
        std::uint32_t number = past.NameNumber(name);
        if (number != PastRecords::kNoName)
            byNumber[number] = &tally;
    }

    for (const PastRecords::Outing& outing : past.Outings()) {
        const std::uint32_t people[] = {outing.who, outing.secondOpponent, outing.partner};
        for (size_t p = 0; p < std::size(people); ++p) {
            const std::uint32_t person = people[p];
            OpponentTally* tally = byNumber[person];
            if (!tally || std::find(people, people + p, person) != people + p)
                continue;
            tally->AddPast(past, outing, outing.who == person || outing.secondOpponent == person);
        }
    }
    for (unsigned i = 0; i < store.Count(); ++i) {
        const PlayRecord& record = *store.At(static_cast<int>(i));
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
            found->second.AddCurrent(record,
                                     record.who == person || record.secondOpponent == person);
        }
    }

    std::vector<OpponentStats> result(names.size());
    for (size_t i = 0; i < names.size(); ++i)
        tallies[names[i]].Fill(result[i]);
    return result;
}

} // namespace kvr
