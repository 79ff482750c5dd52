// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/play_store.h"
#include "core/record_store.h"
#include "play/statistics.h"

#include <string>
#include <vector>

// One phone-book entry, which doubles as a player profile.
struct PhoneRecord : ZBD_DataRecordBase<PhoneRecord> {
    std::string name, phoneNumber, playingSide, playingStyle, backhandStyle, rating, notes;
    OpponentStats stats; // computed from the play records, never stored

    void Assign(const PhoneRecord& other) override;
    std::string Key() const override { return name; }
    // Seven quoted fields: name, phone number, rating, playing side, playing
    // style, backhand style, notes.
    std::string ToLine() const override;
    void FromLine(const std::string& line) override;
    // Same name and phone number; the other fields are not compared.
    bool Equals(const PhoneRecord& other) const override;
};

// The phone book: phone.dat, in byte order of the names (so every name that
// starts with a capital comes before every one that starts with a small
// letter).
class KVR_PhoneData : public ZBD_Data<PhoneRecord> {
public:
    static constexpr const char* kFileName = "phone.dat";
    static constexpr float kVersion = 2.5f;

    KVR_PhoneData();

    // The next entry after `currentIndex` whose name holds `text` anywhere,
    // ignoring case and accents, wrapping to the first; the entry at
    // `currentIndex` itself is never found. -1 when there is none.
    int FindNext(const std::string& text, int currentIndex);
    // Every entry's name, in the book's order: what the player lists offer.
    std::vector<std::string> Names() const;
    // Recomputes every entry's statistics with one pass over the records.
    void ComputeAllStats(KVR_PlayData& playStore);
    // Converts a version 0 or 2.0 phone.dat and saves it at once as 2.5.
    // 1 done; the reader's status (0 or less) when the old file cannot be
    // read; -1 for another version, a read error or a failed save.
    int Upgrade(float fileVersion) override;
};
