// SPDX-License-Identifier: GPL-3.0-or-later
#include "schedule/sched_store.h"

#include "core/name_match.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <memory>
#include <vector>

namespace {

constexpr const char* kSchedFile = "sched.dat";

// The fields of a sched.dat line, in order.
constexpr std::array<kvr::LineField<SchedRecord>, 5> kLineFields{{
    {&SchedRecord::date},
    {&SchedRecord::who},
    {&SchedRecord::time},
    {&SchedRecord::where},
    {&SchedRecord::notes},
}};

} // namespace

void SchedRecord::Assign(const SchedRecord& other) {
    *this = other;
}

std::string SchedRecord::ToLine() const {
    return kvr::JoinFields(*this, kLineFields);
}

void SchedRecord::FromLine(const std::string& line) {
    kvr::ReadFields(*this, ZBD_Record(line, ','), kLineFields);
    date = ZBD_Date(date).Text();
}

bool SchedRecord::Equals(const SchedRecord& other) const {
    return date == other.date && who == other.who && time == other.time;
}

int SchedRecord::Days() const {
    std::size_t i = 0;
    while (i < time.size() && time[i] == ' ')
        ++i;
    int days = 0;
    const std::size_t digits = i;
    while (i < time.size() && i - digits < 2 && time[i] >= '0' && time[i] <= '9')
        days = days * 10 + (time[i++] - '0');
    if (i == digits || days < 2 || days > 31)
        return 1;
    std::string rest = time.substr(i);
    std::erase(rest, ' ');
    std::transform(rest.begin(), rest.end(), rest.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return rest == "days" ? days : 1;
}

SchedClass::SchedClass() : ZBD_Data<SchedRecord>(kSchedFile, 2.0f, ',') {}

void SchedClass::Remove(const SchedRecord* event) {
    if (!event)
        return;
    for (unsigned i = 0; i < Count(); ++i) {
        if (At(static_cast<int>(i))->Equals(*event)) {
            RemoveAt(static_cast<int>(i));
            return;
        }
    }
}

std::unique_ptr<SchedRecord> SchedClass::Take(const SchedRecord* event, int& index) {
    auto place = std::find_if(records_.begin(), records_.end(),
                              [event](const auto& record) { return record.get() == event; });
    if (!event || place == records_.end()) {
        index = -1;
        return nullptr;
    }
    WillRemove(event);
    index = static_cast<int>(place - records_.begin());
    std::unique_ptr<SchedRecord> taken = std::move(*place);
    records_.erase(place);
    return taken;
}

void SchedClass::PutBack(std::unique_ptr<SchedRecord> event, int index) {
    if (!event)
        return;
    const auto place =
        static_cast<std::ptrdiff_t>(std::clamp(index, 0, static_cast<int>(records_.size())));
    records_.insert(records_.begin() + place, std::move(event));
}

void SchedClass::WillRemove(const SchedRecord* record) {
    if (!record || record == lastFound)
        lastFound = nullptr;
}

void SchedClass::ResetSearch() {
    lastFound = nullptr;
    lastName.clear();
    lastDirection = kForward;
    lastDate = ZBD_Date("01/01/1999");
}

SchedRecord* SchedClass::Find(const std::string& name, const ZBD_Date& fromDate, int direction) {
    std::string wanted = name;
    CapitalizeWords(wanted);
    if (wanted.empty())
        return nullptr;
    direction = direction == kBackward ? kBackward : kForward;
    const int fromDay = fromDate.DayNumber();
    if (wanted != lastName || fromDay != lastDate.DayNumber() || direction != lastDirection)
        ResetSearch();

    const int count = static_cast<int>(Count());
    int i = 0;
    while (i < count && ZBD_Date(At(i)->date).DayNumber() < fromDay)
        ++i;
    const int step = direction == kForward ? 1 : -1;
    if (i == count && direction == kBackward)
        i = count - 1;
    if (i >= 0 && i < count && At(i) == lastFound)
        i += step;
    for (; i >= 0 && i < count; i += step) {
        SchedRecord* event = At(i);
        if (kvr::NameContains(event->who, wanted)) {
            lastFound = event;
            lastName = wanted;
            lastDirection = direction;
            lastDate = ZBD_Date(event->date);
            return event;
        }
    }
    return nullptr;
}

// A headerless sched.dat: the count line, then five lines per event (who,
// date, time, where, notes), without quotes. Events are read to the end of
// the file whatever the count says; one cut short by the end keeps the fields
// it has. The file is saved in the current layout at once, its original kept
// under a free ".old" name.
int SchedClass::Upgrade(float fileVersion) {
    if (fileVersion != 0.0f)
        return -1;
    ZBD_File file(FileName(), 'r', Separator(), true);
    if (file.Status() <= 0) {
        SetError(file.Error());
        return file.Status();
    }
    std::vector<std::unique_ptr<SchedRecord>> events;
    auto read = kvr::ReadLineGroups(file, {5, 1, kvr::HeaderlessLayout::Start::Count},
                                    [&events](std::vector<std::string>& lines, int) {
                                        auto event = std::make_unique<SchedRecord>();
                                        event->who = std::move(lines[0]);
                                        event->date = std::move(lines[1]);
                                        event->time = std::move(lines[2]);
                                        event->where = std::move(lines[3]);
                                        event->notes = std::move(lines[4]);
                                        events.push_back(std::move(event));
                                        return true;
                                    });
    if (read == kvr::GroupsRead::ReadError)
        SetError(file.Error());
    file.Close();
    if (read != kvr::GroupsRead::ToTheEnd)
        return -1; // damaged or unreadable: left as it is
    TakeConverted(std::move(events));
    if (SaveConverted() != 1)
        return -1;
    return static_cast<int>(Count());
}
