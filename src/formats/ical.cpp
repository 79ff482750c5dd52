// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/ical.h"

#include "core/safe_file.h"
#include "formats/stored_text.h"
#include "schedule/sched_store.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <libical/ical.h>
#include <map>
#include <memory>

#include <QFile>

namespace kui {

namespace {

struct ComponentFree {
    void operator()(icalcomponent* component) const { icalcomponent_free(component); }
};

std::string Utf8(const std::string& stored) {
    return FromStored(stored).toUtf8().toStdString();
}

// A stable identifier for an event: the same event exported again keeps it,
// so a calendar that imports the file twice updates instead of doubling.
std::string Uid(const SchedRecord& event, int occurrence) {
    std::uint64_t hash = 1469598103934665603ull;
    for (char c : event.date + '\n' + event.who + '\n' + event.time) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    char text[64];
    std::snprintf(text, sizeof text, "%016llx-%d@kavora", static_cast<unsigned long long>(hash),
                  occurrence);
    return text;
}

} // namespace

int ClockMinutes(const std::string& time) {
    size_t i = 0;
    auto skipBlanks = [&] {
        while (i < time.size() && std::isspace(static_cast<unsigned char>(time[i])))
            ++i;
    };
    auto number = [&](int& value) {
        const size_t start = i;
        value = 0;
        while (i < time.size() && i - start < 2 &&
               std::isdigit(static_cast<unsigned char>(time[i])))
            value = value * 10 + (time[i++] - '0');
        return i > start;
    };
    skipBlanks();
    int hours = 0;
    int minutes = 0;
    if (!number(hours))
        return -1;
    if (i < time.size() && (time[i] == ':' || time[i] == '.')) {
        ++i;
        const size_t start = i;
        if (!number(minutes) || i - start != 2 || minutes > 59)
            return -1;
    }
    skipBlanks();
    std::string rest;
    for (; i < time.size(); ++i)
        if (!std::isspace(static_cast<unsigned char>(time[i])) && time[i] != '.')
            rest += static_cast<char>(std::tolower(static_cast<unsigned char>(time[i])));
    if (rest == "am" || rest == "a" || rest == "pm" || rest == "p") {
        if (hours < 1 || hours > 12)
            return -1;
        hours %= 12;
        if (rest[0] == 'p')
            hours += 12;
    } else if (!rest.empty() || hours > 23) {
        return -1;
    }
    return hours * 60 + minutes;
}

std::string CalendarText(const SchedClass& store) {
    std::unique_ptr<icalcomponent, ComponentFree> calendar(icalcomponent_vanew(
        ICAL_VCALENDAR_COMPONENT, icalproperty_new_version("2.0"),
        icalproperty_new_prodid(kCalendarProductId), static_cast<void*>(nullptr)));
    const icaltimetype stamp = icaltime_current_time_with_zone(icaltimezone_get_utc_timezone());
    std::map<std::string, int> occurrences;
    for (unsigned i = 0; i < store.Count(); ++i) {
        const SchedRecord& event = *store.At(static_cast<int>(i));
        const ZBD_Date date(event.date);
        if (!date.IsValid())
            continue;
        icalcomponent* vevent = icalcomponent_new(ICAL_VEVENT_COMPONENT);
        const std::string uid = Uid(event, occurrences[event.date + event.who + event.time]++);
        icalcomponent_add_property(vevent, icalproperty_new_uid(uid.c_str()));
        icalcomponent_add_property(vevent, icalproperty_new_dtstamp(stamp));

        // A floating time: the player's own clock, wherever the calendar is.
        icaltimetype start = icaltime_null_time();
        start.year = date.Year();
        start.month = date.Month();
        start.day = date.Day();
        std::string summary = Utf8(event.who);
        if (const int minutes = ClockMinutes(event.time); minutes >= 0) {
            start.hour = minutes / 60;
            start.minute = minutes % 60;
        } else {
            // A time that is no clock time ("evening") stays in the title of
            // an all-day event.
            start.is_date = 1;
            if (!event.time.empty())
                summary += " (" + Utf8(event.time) + ")";
        }
        icalcomponent_add_property(vevent, icalproperty_new_dtstart(start));
        icalcomponent_add_property(vevent, icalproperty_new_summary(summary.c_str()));
        // The time as typed ("18:30", "evening"), for this program to read
        // back; other calendars keep or ignore it.
        if (!event.time.empty()) {
            icalproperty* typed = icalproperty_new_x(Utf8(event.time).c_str());
            icalproperty_set_x_name(typed, kTimeProperty);
            icalcomponent_add_property(vevent, typed);
        }
        if (!event.where.empty())
            icalcomponent_add_property(vevent,
                                       icalproperty_new_location(Utf8(event.where).c_str()));
        icalcomponent_add_property(vevent, icalproperty_new_description(Utf8(event.notes).c_str()));
        icalcomponent_add_component(calendar.get(), vevent);
    }
    char* text = icalcomponent_as_ical_string_r(calendar.get());
    std::string result = text ? text : "";
    std::free(text);
    return result;
}

bool ExportCalendar(const QString& path, const SchedClass& store) {
    return kvr::WriteFileAtomically(QFile::encodeName(path).toStdString(), CalendarText(store));
}

} // namespace kui
