#include "schedule/sched_store.h"

#include <memory>
#include <optional>

namespace {

constexpr const char* kSchedFile = "sched.dat";

} // namespace

void SchedRecord::Assign(const SchedRecord& other) {
    *this = other;
}

std::string SchedRecord::ToLine() const {
    std::string line = kvr::QuotedField(date);
    for (const std::string* text : {&who, &time, &where, &notes}) {
        line += ',';
        line += kvr::QuotedField(*text);
    }
    return line;
}

void SchedRecord::FromLine(const std::string& line) {
    ZBD_Record fields(line, ',');
    date = ZBD_Date(fields.Field(1)).Text();
    who = fields.Field(2);
    time = fields.Field(3);
    where = fields.Field(4);
    notes = fields.Field(5);
}

bool SchedRecord::Equals(const SchedRecord& other) const {
    return date == other.date && who == other.who && time == other.time;
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
        if (event->who.compare(0, wanted.size(), wanted) == 0) {
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
// date, time, where, notes), without quotes.
int SchedClass::Upgrade(float fileVersion) {
    if (fileVersion != 0.0f)
        return -1;
    ZBD_File file(FileName(), 'r', Separator(), true);
    if (file.Status() <= 0)
        return file.Status();
    // Opening read the first line as the count. A first line that is not a
    // count means a damaged file rather than an old one: it is left alone
    // instead of being rewritten without its events.
    if (!kvr::IsCountLine(file.LastLine()))
        return -1;
    Clear();
    // The count only limits the reading: the file's end stops it, and an
    // event cut short by the end keeps the fields it has.
    for (int i = 0; i < file.RecordCount(); ++i) {
        auto event = std::make_unique<SchedRecord>();
        int fieldsRead = 0;
        for (std::string* text :
             {&event->who, &event->date, &event->time, &event->where, &event->notes}) {
            auto line = file.NextLine();
            if (!line)
                break;
            *text = std::move(*line);
            ++fieldsRead;
        }
        if (fieldsRead > 0)
            Add(std::move(event));
        if (fieldsRead < 5)
            break;
    }
    bool readError = file.Status() < 0;
    file.Close();
    if (readError) {
        Clear();
        return -1;
    }
    if (Save() != 1)
        return -1;
    return static_cast<int>(Count());
}
