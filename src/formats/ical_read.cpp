// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/ical_read.h"

#include "core/import_file.h"
#include "formats/ical.h"
#include "formats/stored_text.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <libical/ical.h>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include <QFile>

namespace kui {
namespace {

// The most dates a repeating rule is followed for, from its first: a rule
// that repeats every minute from long ago stops there.
constexpr int kMostSteps = 200'000;
// The most dates one repeating event brings, and the most events one file
// brings: far more than a year of a player's dates, and few enough that an
// event repeating every minute cannot fill the schedule.
constexpr std::size_t kMostPerEvent = 1'000;
constexpr std::size_t kMostPerFile = 10'000;

struct ComponentFree {
    void operator()(icalcomponent* component) const { icalcomponent_free(component); }
};

// A start on the local clock: the day, and the minutes after midnight (-1
// for an event of whole days).
struct LocalStart {
    int year = 0, month = 0, day = 0, minutes = -1;
    auto operator<=>(const LocalStart&) const = default;
    int DayKey() const { return year * 10'000 + month * 100 + day; }
};

LocalStart ToLocal(const icaltimetype& time) {
    LocalStart local{time.year, time.month, time.day, -1};
    if (time.is_date)
        return local;
    // A floating time is the player's own clock already.
    if (!time.zone) {
        local.minutes = time.hour * 60 + time.minute;
        return local;
    }
    const std::time_t instant = icaltime_as_timet_with_zone(time, time.zone);
    std::tm tm{};
    localtime_r(&instant, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour * 60 + tm.tm_min};
}

// "6:30 pm", as times are typed in the event dialog.
QString ClockText(int minutes) {
    const int hours = minutes / 60;
    return QStringLiteral("%1:%2 %3")
        .arg(hours % 12 == 0 ? 12 : hours % 12)
        .arg(minutes % 60, 2, 10, QLatin1Char('0'))
        .arg(hours < 12 ? QStringLiteral("am") : QStringLiteral("pm"));
}

QString Text(const char* utf8) {
    return utf8 ? FromStored(utf8) : QString();
}

// Gives a date-time its time zone from the property's TZID: the calendar's
// own VTIMEZONE, else the zone of that name that libical knows. `unknown`
// gets a TZID that neither gives (the time then stays as it stands).
icaltimetype WithZone(icaltimetype time, icalproperty* property, icalcomponent* calendar,
                      QString& unknown) {
    if (time.is_date || icaltime_is_utc(time))
        return time;
    icalparameter* parameter = icalproperty_get_first_parameter(property, ICAL_TZID_PARAMETER);
    const char* tzid = parameter ? icalparameter_get_tzid(parameter) : nullptr;
    if (!tzid)
        return time;
    icaltimezone* zone = icalcomponent_get_timezone(calendar, tzid);
    if (!zone)
        zone = icaltimezone_get_builtin_timezone_from_tzid(tzid);
    if (!zone)
        zone = icaltimezone_get_builtin_timezone(tzid);
    // A name that begins with "/" is a zone of the world under its
    // publisher's prefix ("/mozilla.org/20070129_1/America/New_York",
    // "/softwarestudio.org/Olson_20011030_5/Europe/Berlin"), written without
    // its VTIMEZONE: the zone is the part after the prefix.
    for (const char* part = tzid; !zone && *tzid == '/' && (part = std::strchr(part + 1, '/'));)
        zone = icaltimezone_get_builtin_timezone(part + 1);
    if (zone)
        time.zone = zone;
    else
        unknown = Text(tzid);
    return time;
}

// The local starts of every property of `kind` (EXDATE, RDATE,
// RECURRENCE-ID) of an event.
std::vector<LocalStart> Starts(icalcomponent* event, icalproperty_kind kind,
                               icalcomponent* calendar, QString& unknown) {
    std::vector<LocalStart> starts;
    for (icalproperty* property = icalcomponent_get_first_property(event, kind); property;
         property = icalcomponent_get_next_property(event, kind)) {
        icaltimetype time = icaltime_null_time();
        if (kind == ICAL_RDATE_PROPERTY) {
            const icaldatetimeperiodtype date = icalproperty_get_rdate(property);
            time = icaltime_is_null_time(date.time) ? date.period.start : date.time;
        } else if (kind == ICAL_EXDATE_PROPERTY) {
            time = icalproperty_get_exdate(property);
        } else {
            time = icalproperty_get_recurrenceid(property);
        }
        if (!icaltime_is_null_time(time))
            starts.push_back(ToLocal(WithZone(time, property, calendar, unknown)));
    }
    return starts;
}

std::string PropertyText(icalcomponent* event, const char* xName) {
    for (icalproperty* property = icalcomponent_get_first_property(event, ICAL_X_PROPERTY);
         property; property = icalcomponent_get_next_property(event, ICAL_X_PROPERTY)) {
        const char* name = icalproperty_get_x_name(property);
        if (name && QByteArray(name).compare(xName, Qt::CaseInsensitive) == 0) {
            const char* value = icalproperty_get_x(property);
            return value ? value : "";
        }
    }
    return {};
}

std::string Upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The name of a content line ("DTSTART;TZID=...:..." gives "DTSTART"), in
// upper case.
std::string NameOf(const std::string& line) {
    return Upper(Trimmed(line.substr(0, line.find_first_of(";:"))));
}

// The value of a content line: what follows the first colon outside a
// quoted parameter.
std::string ValueOf(const std::string& line) {
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ':' && !quoted)
            return line.substr(i + 1);
    }
    return {};
}

// A content line of a component as the file holds it, unfolded, and the
// line it begins on.
struct RawLine {
    std::size_t line = 0;
    std::string text;
};

// A component of a calendar as the file holds it: its kind ("VEVENT",
// "VTODO"), the line of its BEGIN and its own content lines (not those of a
// component inside it, such as an alarm).
struct RawComponent {
    std::string kind;
    std::size_t line = 0;
    std::vector<RawLine> lines;

    std::string Summary() const {
        for (const RawLine& raw : lines)
            if (NameOf(raw.text) == "SUMMARY")
                return ValueOf(raw.text);
        return {};
    }
};

// The calendar text as the parser is given it, and the components of every
// calendar of the file, in order.
struct ScannedCalendar {
    std::string text;
    std::vector<RawComponent> components;
};

// Reads the file's lines as far as they can be read. A file that breaks off
// (it ends before its END:VCALENDAR, or a NUL byte damages it) is read up to
// there: the components it completed are kept, the one it broke off in is
// dropped, and the calendar is closed; the report says where. A component
// whose END is missing is dropped at its calendar's end the same way.
ScannedCalendar ScanCalendar(const std::string& text, kvr::ImportReport& report) {
    const std::vector<std::string> lines = kvr::SplitLines(text);
    ScannedCalendar scanned;
    std::vector<std::string> kept;
    struct Open {
        std::string kind;
        std::size_t keptAt = 0;
        std::size_t line = 0;
    };
    std::vector<Open> open; // open[0] is a VCALENDAR
    bool inComponent = false;

    // Drops the component of the calendar that is still open, and all in
    // it, telling an event; `why` ends the reason.
    auto dropOpen = [&](const std::string& why) {
        if (open.size() < 2)
            return;
        kept.resize(open[1].keptAt);
        if (open[1].kind == "VEVENT") {
            const std::string summary = scanned.components.back().Summary();
            report.problems.push_back(
                {open[1].line,
                 (summary.empty() ? std::string("an event") : "\"" + summary + "\"") + why, true});
        }
        scanned.components.pop_back();
        open.resize(1);
        inComponent = false;
    };

    std::size_t damagedAt = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::size_t number = i + 1;
        const std::string& line = lines[i];
        if (line.find('\0') != std::string::npos) {
            damagedAt = number;
            break;
        }
        if (!line.empty() && (line[0] == ' ' || line[0] == '\t')) {
            // A folded line goes on the one before.
            if (inComponent && !scanned.components.back().lines.empty())
                scanned.components.back().lines.back().text += line.substr(1);
            kept.push_back(line);
            continue;
        }
        const std::string name = NameOf(line);
        const std::string value = Upper(Trimmed(ValueOf(line)));
        if (name == "BEGIN" && (!open.empty() || value == "VCALENDAR")) {
            if (value == "VCALENDAR" && !open.empty()) {
                // A calendar begins inside another: the other ended here
                // without its end.
                dropOpen(" breaks off before its END:VEVENT");
                kept.push_back("END:VCALENDAR");
                open.clear();
            }
            open.push_back({value, kept.size(), number});
            if (open.size() == 2) {
                scanned.components.push_back({value, number, {}});
                inComponent = true;
            }
            kept.push_back(line);
            continue;
        }
        if (name == "END" && !open.empty()) {
            auto match = std::find_if(open.rbegin(), open.rend(),
                                      [&](const Open& o) { return o.kind == value; });
            if (match == open.rend())
                continue; // an END without its BEGIN says nothing
            const std::size_t depth = static_cast<std::size_t>(open.rend() - match) - 1;
            if (depth == 0) {
                dropOpen(" has no END:" + open.back().kind);
            } else {
                // A component inside an event that was not closed (an
                // alarm) is closed with it.
                while (open.size() > depth + 1) {
                    kept.push_back("END:" + open.back().kind);
                    open.pop_back();
                }
            }
            kept.push_back(line);
            open.resize(depth);
            inComponent = open.size() >= 2;
            continue;
        }
        kept.push_back(line);
        if (inComponent && open.size() == 2)
            scanned.components.back().lines.push_back({number, line});
    }
    if (!open.empty()) {
        dropOpen(damagedAt ? " breaks off where the file is damaged"
                           : " breaks off where the file ends");
        kept.push_back("END:VCALENDAR");
        if (!damagedAt) {
            report.problems.push_back(
                {lines.size(), "the file ends here, without END:VCALENDAR: it was read up to here",
                 false});
        }
    }
    if (damagedAt) {
        report.problems.push_back(
            {damagedAt, "the file is damaged here (a NUL byte): it was read up to this line",
             false});
    }
    for (const std::string& line : kept)
        scanned.text += line + "\r\n";
    return scanned;
}

// Whether a value is a date (20020105) or a date and time (20020105T183000,
// with a Z for UTC) that exists.
bool IsDateTime(const std::string& value) {
    auto digits = [&](std::size_t from, std::size_t count) {
        return std::all_of(value.begin() + static_cast<long>(from),
                           value.begin() + static_cast<long>(from + count),
                           [](char c) { return c >= '0' && c <= '9'; });
    };
    auto number = [&](std::size_t from, std::size_t count) {
        return std::stoi(value.substr(from, count));
    };
    if (value.size() < 8 || !digits(0, 8))
        return false;
    const int month = number(4, 2), day = number(6, 2);
    if (month < 1 || month > 12 || day < 1 || day > 31)
        return false;
    if (value.size() == 8)
        return true;
    if (value.size() != 15 && !(value.size() == 16 && value[15] == 'Z'))
        return false;
    return value[8] == 'T' && digits(9, 6) && number(9, 2) < 24 && number(11, 2) < 60 &&
           number(13, 2) <= 60;
}

// The values of a date property that are no dates: each of a list, and the
// start of a period ("20020105T100000Z/PT2H").
std::vector<std::string> MalformedDates(const std::string& value) {
    std::vector<std::string> bad;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = value.find(',', start);
        const std::string item = Trimmed(value.substr(start, comma - start));
        if (!IsDateTime(item.substr(0, item.find('/'))))
            bad.push_back(item);
        if (comma == std::string::npos)
            return bad;
        start = comma + 1;
    }
}

// One event of the file read: the record's texts, and how its time is told.
struct EventReader {
    icalcomponent* calendar;
    bool ownCalendar;             // written by this program
    const LocalStart from, until; // the coming twelve months (until excluded)
    const std::set<std::pair<std::string, LocalStart>>& moved; // RECURRENCE-ID events
    kvr::ImportReport& report;
    std::vector<SchedRecord>& found;
    // The line of the first event that the file's limit left dates out of
    // (0: none).
    std::size_t fileFullAt = 0;

    void Read(icalcomponent* event, const RawComponent* raw, std::size_t line) {
        auto skip = [&](const QString& reason) {
            report.problems.push_back({line, reason.toStdString(), true});
        };
        auto leaveOut = [&](const QString& reason) {
            report.problems.push_back({line, reason.toStdString(), true, true});
        };
        auto note = [&](const QString& reason) {
            report.problems.push_back({line, reason.toStdString(), false});
        };
        QString summary = Text(icalcomponent_get_summary(event)).trimmed();
        if (icalcomponent_get_status(event) == ICAL_STATUS_CANCELLED)
            return leaveOut(QStringLiteral("\"%1\" is cancelled").arg(summary));

        // What the file holds that could not be read as written: a date
        // that is none, a repeat rule the parser dropped.
        bool badStart = false;
        for (const RawLine& property : raw ? raw->lines : std::vector<RawLine>{}) {
            const std::string name = NameOf(property.text);
            const std::string value = ValueOf(property.text);
            if (name == "RRULE") {
                const icalrecurrencetype rule = icalrecurrencetype_from_string(value.c_str());
                icalerror_clear_errno();
                if (rule.freq == ICAL_NO_RECURRENCE)
                    note(QStringLiteral("\"%1\": the repeat rule \"%2\" cannot be read: the "
                                        "event comes in without it")
                             .arg(summary, Text(value.c_str())));
            } else if (name == "DTSTART" || name == "DTEND" || name == "RECURRENCE-ID" ||
                       name == "EXDATE" || name == "RDATE") {
                for (const std::string& bad : MalformedDates(value)) {
                    if (name == "DTSTART")
                        badStart = true;
                    else
                        note(QStringLiteral("\"%1\": %2 \"%3\" is no date and time, and may be "
                                            "read wrongly")
                                 .arg(summary, QString::fromStdString(name), Text(bad.c_str())));
                }
            }
        }
        icalproperty* startProperty =
            icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
        if (badStart || (raw && !startProperty)) {
            for (const RawLine& property : raw ? raw->lines : std::vector<RawLine>{})
                if (NameOf(property.text) == "DTSTART")
                    return skip(QStringLiteral("\"%1\": the start \"%2\" is no date and time")
                                    .arg(summary, Text(ValueOf(property.text).c_str())));
        }
        if (!startProperty)
            return skip(QStringLiteral("\"%1\" has no start date").arg(summary));
        if (summary.isEmpty())
            return skip(QStringLiteral("an event without a summary (who)"));
        QString unknownZone;
        const icaltimetype start =
            WithZone(icalproperty_get_dtstart(startProperty), startProperty, calendar, unknownZone);
        if (icaltime_is_null_time(start))
            return skip(QStringLiteral("\"%1\" has no start date").arg(summary));

        // The time as typed, when this program wrote the calendar.
        const QString typed = Text(PropertyText(event, kTimeProperty).c_str()).trimmed();
        QString allDayTime;
        if (start.is_date) {
            // An event of whole days lasts to its end (DTEND, the day after
            // its last): one of several days, a tournament, says so in its
            // time, and the scheduler shows it on each of them.
            const icaltimetype end = icalcomponent_get_dtend(event);
            const long days =
                !icaltime_is_null_time(end) && end.is_date
                    ? static_cast<long>((icaltime_as_timet(end) - icaltime_as_timet(start)) / 86400)
                    : 1;
            allDayTime = days >= 2 && days <= 31 ? QStringLiteral("%1 days").arg(days)
                                                 : QStringLiteral("All day");
            const QString suffix = QStringLiteral(" (%1)").arg(typed);
            if (!typed.isEmpty() && ClockMinutes(ToStored(typed)) < 0 && summary.endsWith(suffix)) {
                allDayTime = typed;
                summary.chop(suffix.size());
            } else if (ownCalendar && typed.isEmpty()) {
                // Written before the typed time was: a time that is no
                // clock time stands after the name, and none means none.
                allDayTime.clear();
                const qsizetype open = summary.lastIndexOf(QStringLiteral(" ("));
                if (open > 0 && summary.endsWith(QLatin1Char(')'))) {
                    const QString inner = summary.mid(open + 2, summary.size() - open - 3);
                    if (!inner.isEmpty() && ClockMinutes(ToStored(inner)) < 0) {
                        allDayTime = inner;
                        summary.truncate(open);
                    }
                }
            }
        }

        SchedRecord record;
        record.who = StorableField(summary);
        record.where = StorableField(Text(icalcomponent_get_location(event)));
        record.notes = StorableField(Text(icalcomponent_get_description(event)));
        if (!unknownZone.isEmpty()) {
            note(QStringLiteral("time zone \"%1\" unknown: the time is taken as it stands")
                     .arg(unknownZone));
        }
        auto add = [&](const LocalStart& at) {
            if (found.size() >= kMostPerFile) {
                if (fileFullAt == 0)
                    fileFullAt = line;
                return;
            }
            QString time = allDayTime;
            if (at.minutes >= 0)
                time = ClockMinutes(ToStored(typed)) == at.minutes ? typed : ClockText(at.minutes);
            record.time = StorableField(time);
            record.date = ZBD_Date(at.month, at.day, at.year).Text();
            found.push_back(record);
        };
        auto inWindow = [&](const LocalStart& at) {
            return at.DayKey() >= from.DayKey() && at.DayKey() < until.DayKey();
        };

        const bool repeats = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY) ||
                             icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY);
        if (!repeats) {
            const LocalStart at = ToLocal(start);
            // A changed date of a repeating event belongs to its series,
            // which comes in for the coming twelve months only.
            if (icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY) &&
                !inWindow(at))
                return;
            if (!ZBD_Date(at.month, at.day, at.year).IsValid())
                return skip(QStringLiteral("\"%1\" on %2/%3/%4: the schedule holds the years "
                                           "1990 to 2089")
                                .arg(summary)
                                .arg(at.month)
                                .arg(at.day)
                                .arg(at.year));
            return add(at);
        }

        // Every date of the coming twelve months, in order, once each: a
        // date left out (EXDATE) or moved by an event of its own
        // (RECURRENCE-ID) is not one of them.
        const std::string uid = Text(icalcomponent_get_uid(event)).toStdString();
        const std::vector<LocalStart> excluded =
            Starts(event, ICAL_EXDATE_PROPERTY, calendar, unknownZone);
        std::set<LocalStart> dates;
        auto take = [&](const LocalStart& at) {
            const bool left =
                std::any_of(excluded.begin(), excluded.end(), [&](const LocalStart& x) {
                    return x.minutes < 0 ? x.DayKey() == at.DayKey() : x == at;
                });
            if (inWindow(at) && !left && !moved.contains({uid, at}))
                dates.insert(at);
        };
        bool cutShort = false;
        for (icalproperty* rule = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY);
             rule; rule = icalcomponent_get_next_property(event, ICAL_RRULE_PROPERTY)) {
            const icalrecurrencetype recurrence = icalproperty_get_rrule(rule);
            // A rule without a count is followed from the coming months on
            // (a day early, for the zones), not from its first date: one that
            // repeats every minute from years ago would otherwise take all
            // its steps before the months that count.
            icaltimetype begin = start;
            begin.year = from.year;
            begin.month = from.month;
            begin.day = from.day;
            icaltime_adjust(&begin, -1, 0, 0, 0);
            const bool skipAhead = recurrence.count == 0 && icaltime_compare(begin, start) > 0;
            if (skipAhead && !icaltime_is_null_time(recurrence.until) &&
                icaltime_compare(recurrence.until, begin) < 0)
                continue; // it ends before the coming months
            icalrecur_iterator* steps = icalrecur_iterator_new(recurrence, start);
            if (!steps)
                continue;
            if (skipAhead && !icalrecur_iterator_set_start(steps, begin))
                icalerror_clear_errno(); // followed from its first date, as far as it goes
            int step = 0;
            for (icaltimetype next = icalrecur_iterator_next(steps); !icaltime_is_null_time(next);
                 next = icalrecur_iterator_next(steps)) {
                const LocalStart at = ToLocal(next);
                if (at.DayKey() >= until.DayKey() || dates.size() > kMostPerEvent)
                    break;
                if (++step > kMostSteps) {
                    cutShort = true;
                    break;
                }
                take(at);
            }
            icalrecur_iterator_free(steps);
        }
        // The first date counts as one of them, also when the rule leaves
        // it out.
        take(ToLocal(start));
        for (const LocalStart& at : Starts(event, ICAL_RDATE_PROPERTY, calendar, unknownZone))
            take(at);
        if (cutShort) {
            note(QStringLiteral("\"%1\" repeats too often: only its first %2 dates were read")
                     .arg(summary)
                     .arg(kMostSteps));
        }
        if (dates.size() > kMostPerEvent) {
            auto last = std::next(dates.begin(), kMostPerEvent - 1);
            note(QStringLiteral("\"%1\" repeats more often than the schedule takes: only its "
                                "first %2 dates, up to %3/%4/%5, come in")
                     .arg(summary)
                     .arg(kMostPerEvent)
                     .arg(last->month)
                     .arg(last->day)
                     .arg(last->year));
            dates.erase(std::next(last), dates.end());
        }
        if (dates.empty())
            return leaveOut(QStringLiteral("\"%1\" repeats on no day of the coming twelve months")
                                .arg(summary));
        for (const LocalStart& at : dates)
            add(at);
    }
};

} // namespace

CalendarImport ReadCalendarForImport(const QString& path, const SchedClass& schedule,
                                     const ZBD_Date& today) {
    const kvr::ImportFile file = kvr::ReadImportFile(QFile::encodeName(path).toStdString());
    if (!file.contents) {
        CalendarImport result;
        result.error = QStringLiteral("Unable to read '%1': %2.")
                           .arg(path, QString::fromLocal8Bit(file.problem.c_str()));
        return result;
    }
    return ReadCalendarText(*file.contents, path, schedule, today);
}

CalendarImport ReadCalendarText(const std::string& contents, const QString& path,
                                const SchedClass& schedule, const ZBD_Date& today) {
    CalendarImport result;
    const std::string text = kvr::DecodeText(contents);
    if (QByteArray::fromStdString(text).trimmed().isEmpty()) {
        result.error = QStringLiteral("'%1' is empty: it holds no events to import.").arg(path);
        return result;
    }
    const QString notCalendar =
        QStringLiteral("'%1' is not a calendar: an iCalendar file (.ics) begins with "
                       "BEGIN:VCALENDAR.")
            .arg(path);
    if (!QByteArray::fromStdString(text).trimmed().toUpper().startsWith("BEGIN:VCALENDAR")) {
        result.error = notCalendar;
        return result;
    }
    const ScannedCalendar scanned = ScanCalendar(text, result.report);
    std::unique_ptr<icalcomponent, ComponentFree> root(
        icalparser_parse_string(scanned.text.c_str()));
    std::vector<icalcomponent*> calendars;
    if (root && icalcomponent_isa(root.get()) == ICAL_VCALENDAR_COMPONENT) {
        calendars.push_back(root.get());
    } else if (root) {
        for (icalcomponent* calendar =
                 icalcomponent_get_first_component(root.get(), ICAL_VCALENDAR_COMPONENT);
             calendar;
             calendar = icalcomponent_get_next_component(root.get(), ICAL_VCALENDAR_COMPONENT))
            calendars.push_back(calendar);
    }
    if (calendars.empty()) {
        result.error = notCalendar;
        return result;
    }

    // The occurrences that an event of their own moved or cancelled.
    std::set<std::pair<std::string, LocalStart>> moved;
    QString unknownZone;
    for (icalcomponent* calendar : calendars) {
        for (icalcomponent* event =
                 icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
             event; event = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
            const std::string uid = Text(icalcomponent_get_uid(event)).toStdString();
            for (const LocalStart& at :
                 Starts(event, ICAL_RECURRENCEID_PROPERTY, calendar, unknownZone))
                moved.insert({uid, at});
        }
    }

    const LocalStart from{today.Year(), today.Month(), today.Day(), -1};
    const LocalStart until{today.Year() + 1, today.Month(), today.Day(), -1};
    std::vector<const RawComponent*> rawEvents;
    std::map<std::string, int> others; // components that are no events, by kind
    for (const RawComponent& component : scanned.components) {
        if (component.kind == "VEVENT")
            rawEvents.push_back(&component);
        else if (component.kind == "VTODO" || component.kind == "VJOURNAL")
            ++others[component.kind];
    }
    std::vector<SchedRecord> found;
    std::size_t index = 0;
    std::size_t fileFullAt = 0;
    for (icalcomponent* calendar : calendars) {
        const char* product = icalcomponent_get_first_property(calendar, ICAL_PRODID_PROPERTY)
                                  ? icalproperty_get_prodid(icalcomponent_get_first_property(
                                        calendar, ICAL_PRODID_PROPERTY))
                                  : nullptr;
        EventReader reader{calendar, product && std::string(product) == kCalendarProductId,
                           from,     until,
                           moved,    result.report,
                           found};
        for (icalcomponent* event =
                 icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
             event; event = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
            const RawComponent* raw = index < rawEvents.size() ? rawEvents[index] : nullptr;
            ++index;
            reader.Read(event, raw, raw ? raw->line : 0);
        }
        if (fileFullAt == 0)
            fileFullAt = reader.fileFullAt;
    }

    // What the file holds besides events, and why nothing comes in when
    // nothing does.
    auto wholeFile = [&](const std::string& reason) {
        result.report.problems.push_back({0, reason, true, true});
    };
    const std::string todos =
        others["VTODO"] == 0
            ? std::string()
            : std::to_string(others["VTODO"]) + (others["VTODO"] == 1 ? " to-do" : " to-dos");
    const std::string journal =
        others["VJOURNAL"] == 0
            ? std::string()
            : std::to_string(others["VJOURNAL"]) +
                  (others["VJOURNAL"] == 1 ? " journal entry" : " journal entries");
    const std::string notEvents =
        todos + (!todos.empty() && !journal.empty() ? " and " : "") + journal;
    if (index == 0)
        wholeFile("the calendar holds no events" +
                  (notEvents.empty() ? std::string() : ", only " + notEvents) +
                  ": the schedule takes events alone");
    else if (!notEvents.empty())
        wholeFile(notEvents + " of the calendar: the schedule takes events alone");
    else if (found.empty() && result.report.problems.empty())
        wholeFile("no event of the calendar falls on a day of the coming twelve months");
    if (fileFullAt > 0) {
        result.report.problems.push_back(
            {fileFullAt,
             "the calendar holds more dates than the schedule takes: only its first " +
                 std::to_string(kMostPerFile) + " come in, and from here on none",
             false});
    }
    std::stable_sort(
        result.report.problems.begin(), result.report.problems.end(),
        [](const kvr::ImportProblem& a, const kvr::ImportProblem& b) { return a.line < b.line; });

    // An event the store holds already is skipped, once for each copy it
    // holds: the same event twice in the file comes in twice. Who is
    // compared ignoring case, as the phone book's names are.
    std::map<std::string, int> stored;
    auto key = [](const SchedRecord& event) {
        return event.date + '\n' + FromStored(event.who).toCaseFolded().toStdString() + '\n' +
               event.time;
    };
    for (unsigned i = 0; i < schedule.Count(); ++i)
        ++stored[key(*schedule.At(static_cast<int>(i)))];
    for (SchedRecord& event : found) {
        int& copies = stored[key(event)];
        if (copies > 0) {
            --copies;
            ++result.report.present;
        } else {
            result.events.push_back(std::move(event));
        }
    }
    result.report.added = result.events.size();
    return result;
}

std::vector<kvr::Change<SchedRecord>> CalendarChanges(const CalendarImport& read) {
    std::vector<kvr::Change<SchedRecord>> changes;
    changes.reserve(read.events.size());
    for (auto event = read.events.rbegin(); event != read.events.rend(); ++event)
        changes.push_back(kvr::Added(*event));
    return changes;
}

} // namespace kui
