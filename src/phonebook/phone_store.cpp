// SPDX-License-Identifier: GPL-3.0-or-later
#include "phonebook/phone_store.h"

#include "core/name_match.h"

#include <array>
#include <memory>
#include <vector>

void PhoneRecord::Assign(const PhoneRecord& other) {
    *this = other;
}

namespace {

// The fields of a phone.dat line, in order (not the order in memory).
constexpr std::array<kvr::LineField<PhoneRecord>, 7> kLineFields{{
    {&PhoneRecord::name},
    {&PhoneRecord::phoneNumber},
    {&PhoneRecord::rating},
    {&PhoneRecord::playingSide},
    {&PhoneRecord::playingStyle},
    {&PhoneRecord::backhandStyle},
    {&PhoneRecord::notes},
}};

} // namespace

std::string PhoneRecord::ToLine() const {
    return kvr::JoinFields(*this, kLineFields);
}

void PhoneRecord::FromLine(const std::string& line) {
    kvr::ReadFields(*this, ZBD_Record(line, ','), kLineFields);
    stats = OpponentStats{};
}

bool PhoneRecord::Equals(const PhoneRecord& other) const {
    return name == other.name && phoneNumber == other.phoneNumber;
}

KVR_PhoneData::KVR_PhoneData() : ZBD_Data<PhoneRecord>(kFileName, kVersion, ',') {}

std::vector<std::string> KVR_PhoneData::Names() const {
    std::vector<std::string> names;
    names.reserve(Count());
    for (unsigned i = 0; i < Count(); ++i)
        names.push_back(At(static_cast<int>(i))->name);
    return names;
}

int KVR_PhoneData::FindNext(const std::string& text, int currentIndex) {
    const int count = static_cast<int>(Count());
    if (text.empty() || count == 0)
        return -1;
    std::string wanted = text;
    CapitalizeWords(wanted);
    // An index outside the book means no entry is shown: every entry is
    // then tested once, from the first.
    const bool shown = currentIndex >= 0 && currentIndex < count;
    int index = shown ? currentIndex : -1;
    for (int tested = 0; tested < (shown ? count - 1 : count); ++tested) {
        index = index + 1 >= count ? 0 : index + 1;
        if (kvr::NameContains(At(index)->name, wanted))
            return index;
    }
    return -1;
}

void KVR_PhoneData::ComputeAllStats(KVR_PlayData& playStore) {
    std::vector<std::string> names;
    names.reserve(Count());
    for (const auto& entry : records_)
        names.push_back(entry->name);
    std::vector<OpponentStats> stats = kvr::ComputeOpponentStatsForAll(playStore, names);
    for (size_t i = 0; i < records_.size(); ++i)
        records_[i]->stats = std::move(stats[i]);
}

// Version 0 (no header; the count line first): five lines an entry, name,
// phone number, notes and two lines no longer used; a last entry cut short
// keeps what it has. Version 2.0: the current line, of which name, phone
// number and notes are taken. Entries are read to the end of the file
// whatever its count line says, and the book is saved at once as 2.5, the
// original kept under a free ".old" name.
int KVR_PhoneData::Upgrade(float fileVersion) {
    if (fileVersion != 0.0f && fileVersion != 2.0f)
        return -1;
    ZBD_File file(FileName(), 'r', Separator(), true);
    if (file.Status() <= 0) {
        SetError(file.Error());
        return file.Status();
    }
    // Text from an old file is made storable like typed text, so that a
    // double quote in it cannot break the new line apart.
    std::vector<std::unique_ptr<PhoneRecord>> entries;
    auto add = [&entries](const std::string& name, const std::string& phone,
                          const std::string& notes) {
        auto entry = std::make_unique<PhoneRecord>();
        entry->name = kvr::StorableText(name);
        entry->phoneNumber = kvr::StorableText(phone);
        entry->notes = kvr::StorableText(notes);
        entries.push_back(std::move(entry));
    };

    bool readError = false;
    if (fileVersion == 0.0f) {
        auto read = kvr::ReadLineGroups(file, {5, 1, kvr::HeaderlessLayout::Start::Count},
                                        [&add](std::vector<std::string>& lines, int) {
                                            add(lines[0], lines[1], lines[2]);
                                            return true;
                                        });
        if (read == kvr::GroupsRead::Damaged)
            return -1; // not an old file: left as it is
        readError = read == kvr::GroupsRead::ReadError;
    } else {
        while (auto line = file.NextLine()) {
            if (line->empty())
                continue;
            ZBD_Record fields(*line, Separator());
            add(fields.Field(1), fields.Field(2), fields.Field(7));
        }
        readError = file.Status() < 0;
    }
    if (readError) {
        // Never replace the old file with part of it.
        SetError(file.Error());
        return -1;
    }
    file.Close();
    TakeConverted(std::move(entries));
    return SaveConverted();
}
