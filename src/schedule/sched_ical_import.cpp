// SPDX-License-Identifier: GPL-3.0-or-later
#include "schedule/sched_ical_import.h"

#include "schedule/sched_dialogs.h"
#include "schedule/sched_ical.h"
#include "ui/import_preview.h"
#include "ui/import_support.h"
#include "ui/message.h"
#include "ui/text.h"

#include <cstdio>
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

const QString kCaption = QStringLiteral("Import Calendar");
// The most dates a repeating rule is followed for, from its first: a rule
// that repeats every minute from long ago stops there.
constexpr int kMostSteps = 200'000;

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

// The line of each BEGIN:VEVENT in the text, in order: events are told by
// the line they begin on.
std::vector<std::size_t> EventLines(const std::string& text) {
    std::vector<std::size_t> lines;
    std::size_t number = 0;
    for (const std::string& line : kvr::SplitLines(text)) {
        ++number;
        if (QByteArray::fromStdString(line).trimmed().compare("BEGIN:VEVENT",
                                                              Qt::CaseInsensitive) == 0)
            lines.push_back(number);
    }
    return lines;
}

// One event of the file read: the record's texts, and how its time is told.
struct EventReader {
    icalcomponent* calendar;
    bool ownCalendar;             // written by this program
    const LocalStart from, until; // the coming twelve months (until excluded)
    const std::set<std::pair<std::string, LocalStart>>& moved; // RECURRENCE-ID events
    kvr::ImportReport& report;
    std::vector<SchedRecord>& found;

    void Read(icalcomponent* event, std::size_t line) {
        auto skip = [&](const QString& reason) {
            report.problems.push_back({line, reason.toStdString(), true});
        };
        QString summary = Text(icalcomponent_get_summary(event)).trimmed();
        if (icalcomponent_get_status(event) == ICAL_STATUS_CANCELLED)
            return skip(QStringLiteral("\"%1\" is cancelled").arg(summary));
        icalproperty* startProperty =
            icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
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
            allDayTime = QStringLiteral("All day");
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
        record.who =
            FitField(summary, TSchedAddDlg::kWhoLength, QStringLiteral("Who"), line, report);
        SchedClass::CapitalizeWords(record.who);
        record.where = FitField(Text(icalcomponent_get_location(event)), TSchedAddDlg::kWhereLength,
                                QStringLiteral("Where"), line, report);
        record.notes = FitField(Text(icalcomponent_get_description(event)),
                                TSchedAddDlg::kNotesLength, QStringLiteral("Notes"), line, report);
        if (!unknownZone.isEmpty()) {
            report.problems.push_back(
                {line,
                 QStringLiteral("time zone \"%1\" unknown: the time is taken as it stands")
                     .arg(unknownZone)
                     .toStdString(),
                 false});
        }
        // A time too long for its field (a typed one changed in another
        // program) is noted once for all the event's dates.
        bool timeNoted = false;
        auto add = [&](const LocalStart& at) {
            QString time = allDayTime;
            if (at.minutes >= 0)
                time = ClockMinutes(ToStored(typed)) == at.minutes ? typed : ClockText(at.minutes);
            kvr::ImportReport fitted;
            record.time =
                FitField(time, TSchedAddDlg::kTimeLength, QStringLiteral("Time"), line, fitted);
            if (!fitted.problems.empty() && !timeNoted) {
                report.problems.push_back(fitted.problems.front());
                timeNoted = true;
            }
            record.date = ZBD_Date(at.month, at.day, at.year).Text();
            found.push_back(record);
        };

        const bool repeats = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY) ||
                             icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY);
        if (!repeats) {
            const LocalStart at = ToLocal(start);
            if (!ZBD_Date(at.month, at.day, at.year).IsValid())
                return skip(QStringLiteral("\"%1\" on %2/%3/%4: the schedule holds the years "
                                           "1990 to 2089")
                                .arg(summary)
                                .arg(at.month)
                                .arg(at.day)
                                .arg(at.year));
            return add(at);
        }

        // Every date of the coming twelve months, in order, once each.
        const std::string uid = Text(icalcomponent_get_uid(event)).toStdString();
        std::set<LocalStart> dates;
        auto take = [&](const LocalStart& at) {
            if (at.DayKey() >= from.DayKey() && at.DayKey() < until.DayKey() &&
                !moved.contains({uid, at}))
                dates.insert(at);
        };
        bool cutShort = false;
        for (icalproperty* rule = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY);
             rule; rule = icalcomponent_get_next_property(event, ICAL_RRULE_PROPERTY)) {
            icalrecur_iterator* steps = icalrecur_iterator_new(icalproperty_get_rrule(rule), start);
            if (!steps)
                continue;
            int step = 0;
            for (icaltimetype next = icalrecur_iterator_next(steps); !icaltime_is_null_time(next);
                 next = icalrecur_iterator_next(steps)) {
                const LocalStart at = ToLocal(next);
                if (at.DayKey() >= until.DayKey())
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
        for (const LocalStart& at : Starts(event, ICAL_EXDATE_PROPERTY, calendar, unknownZone)) {
            if (at.minutes < 0) {
                std::erase_if(dates,
                              [&](const LocalStart& d) { return d.DayKey() == at.DayKey(); });
            } else {
                dates.erase(at);
            }
        }
        if (cutShort) {
            report.problems.push_back(
                {line,
                 QStringLiteral("\"%1\" repeats too often: only its first %2 dates were read")
                     .arg(summary)
                     .arg(kMostSteps)
                     .toStdString(),
                 false});
        }
        if (dates.empty())
            return skip(QStringLiteral("\"%1\" repeats on no day of the coming twelve months")
                            .arg(summary));
        for (const LocalStart& at : dates)
            add(at);
    }
};

} // namespace

CalendarImport ReadCalendarForImport(const QString& path, const SchedClass& schedule,
                                     const ZBD_Date& today) {
    CalendarImport result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("Unable to read '%1': %2.").arg(path, file.errorString());
        return result;
    }
    const std::string text = kvr::DecodeText(file.readAll().toStdString());
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
    std::unique_ptr<icalcomponent, ComponentFree> root(icalparser_parse_string(text.c_str()));
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
    const std::vector<std::size_t> lines = EventLines(text);
    std::vector<SchedRecord> found;
    std::size_t index = 0;
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
            const std::size_t line = index < lines.size() ? lines[index] : 0;
            ++index;
            reader.Read(event, line);
        }
    }

    // An event the store holds already is skipped, once for each copy it
    // holds: the same event twice in the file comes in twice.
    std::map<std::string, int> stored;
    auto key = [](const SchedRecord& event) {
        return event.date + '\n' + event.who + '\n' + event.time;
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

bool ImportCalendar(QWidget* parent, const QString& path, SchedClass& schedule) {
    const CalendarImport read = ReadCalendarForImport(path, schedule, ZBD_Date());
    if (!read.error.isEmpty()) {
        Tell(parent, read.error, kCaption, Icon::Warning);
        return false;
    }
    if (!ConfirmImport(parent, kCaption, read.report, QStringLiteral("events")) ||
        read.events.empty() || !BackUpBeforeImport(parent, {schedule.FileName()}, kCaption))
        return false;
    return CommitAll(parent, schedule, CalendarChanges(read));
}

} // namespace kui
