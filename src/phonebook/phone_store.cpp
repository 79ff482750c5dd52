#include "phonebook/phone_store.h"

#include <array>
#include <memory>
#include <vector>

void PhoneRecord::Assign(const PhoneRecord& other) {
    *this = other;
}

std::string PhoneRecord::ToLine() const {
    std::string line;
    for (const std::string* field :
         {&name, &phoneNumber, &rating, &playingSide, &playingStyle, &backhandStyle, &notes}) {
        if (!line.empty())
            line += ',';
        line += kvr::QuotedField(*field);
    }
    return line;
}

void PhoneRecord::FromLine(const std::string& line) {
    ZBD_Record fields(line, ',');
    name = fields.Field(1);
    phoneNumber = fields.Field(2);
    rating = fields.Field(3);
    playingSide = fields.Field(4);
    playingStyle = fields.Field(5);
    backhandStyle = fields.Field(6);
    notes = fields.Field(7);
    stats = OpponentStats{};
}

bool PhoneRecord::Equals(const PhoneRecord& other) const {
    return name == other.name && phoneNumber == other.phoneNumber;
}

KVR_PhoneData::KVR_PhoneData() : ZBD_Data<PhoneRecord>(kFileName, kVersion, ',') {}

int KVR_PhoneData::FindNext(const std::string& text, int currentIndex) {
    const int count = static_cast<int>(Count());
    if (text.empty() || count == 0)
        return -1;
    std::string prefix = text;
    CapitalizeWords(prefix);
    // An index outside the book means no entry is shown: every entry is
    // then tested once, from the first.
    const bool shown = currentIndex >= 0 && currentIndex < count;
    int index = shown ? currentIndex : -1;
    for (int tested = 0; tested < (shown ? count - 1 : count); ++tested) {
        index = index + 1 >= count ? 0 : index + 1;
        if (At(index)->name.starts_with(prefix))
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

int KVR_PhoneData::Upgrade(float fileVersion) {
    Clear();
    if (fileVersion != 0.0f && fileVersion != 2.0f)
        return -1;
    ZBD_File file(FileName(), 'r', Separator(), true);
    if (file.Status() <= 0)
        return file.Status();
    // The next line, or nullopt at the end of the file or on a read error.
    // Text from an old file is made storable like typed text, so that a
    // double quote in it cannot break the new line apart.
    auto add = [this](const std::string& name, const std::string& phone, const std::string& notes) {
        auto entry = std::make_unique<PhoneRecord>();
        entry->name = kvr::StorableText(name);
        entry->phoneNumber = kvr::StorableText(phone);
        entry->notes = kvr::StorableText(notes);
        Add(std::move(entry));
    };

    // Entries are read up to the end of the file whatever the count line
    // says, so a wrong count costs no entry.
    if (fileVersion == 0.0f) {
        // Five lines an entry: name, phone number, notes and two lines that
        // are no longer used. A last entry cut short keeps what it has.
        for (;;) {
            std::array<std::string, 5> lines;
            size_t read = 0;
            for (; read < lines.size(); ++read) {
                auto line = file.NextLine();
                if (!line)
                    break;
                lines[read] = std::move(*line);
            }
            if (read == 0)
                break;
            // Blank lines (at the end of a file) make no entry.
            if (!lines[0].empty() || !lines[1].empty() || !lines[2].empty())
                add(lines[0], lines[1], lines[2]);
            if (read < lines.size())
                break;
        }
    } else {
        while (auto line = file.NextLine()) {
            if (line->empty())
                continue;
            ZBD_Record fields(*line, Separator());
            add(fields.Field(1), fields.Field(2), fields.Field(7));
        }
    }
    if (file.Status() < 0) {
        // Never replace the old file with part of it.
        Clear();
        return -1;
    }
    file.Close();
    return Save() == 1 ? 1 : -1;
}
