// SPDX-License-Identifier: GPL-3.0-or-later
#include "schedule/sched_ical_import.h"
#include "schedule/sched_store.h"
#include "schedule/sched_view.h"
#include "schedule/schedule_commands.h"
#include "support/app_fixture.h"
#include "support/process.h"

#include <cstdlib>

#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>

namespace kvrtest {
namespace {

std::vector<std::string> StoredLines(const SchedClass& store) {
    std::vector<std::string> lines;
    for (unsigned i = 0; i < store.Count(); ++i)
        lines.push_back(store.At(static_cast<int>(i))->ToLine());
    return lines;
}

// Today is 12/15/2001 on the clock of New York: a zone of its own, so that
// times are converted, not read as they stand.
class CalendarImportTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        ZBD_Date::FixToday(12, 15, 2001);
        if (const char* zone = std::getenv("TZ"))
            zone_ = zone;
        setenv("TZ", "EST5EDT,M4.1.0,M10.5.0", 1);
        tzset();
    }
    void TearDown() override {
        if (zone_)
            setenv("TZ", zone_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
        ZBD_Date::UseSystemClock();
        AppTest::TearDown();
    }
    std::optional<std::string> zone_;
};

// A club's calendar as another program writes it: a weekly event in a time
// zone of its own with a date left out, an event of whole days whose notes
// are too long, and one in UTC. The weekly event comes in for its dates of
// the coming twelve months only, and one already in the schedule is
// skipped.
TEST_F(CalendarImportTest, ForeignCalendarComesInOnTheLocalClock) {
    const char* script = R"(
import datetime, icalendar
from datetime import timedelta as hours
cal = icalendar.Calendar()
cal.add('prodid', '-//Club//Season//EN')
cal.add('version', '2.0')
zone = icalendar.Timezone()
zone.add('tzid', 'Europe/Berlin')
for part, start, before, after, month in ((icalendar.TimezoneStandard, 10, 2, 1, 10),
                                          (icalendar.TimezoneDaylight, 3, 1, 2, 3)):
    rule = part()
    rule.add('dtstart', datetime.datetime(1970, month, 25, 3, 0))
    rule.add('tzoffsetfrom', hours(hours=before))
    rule.add('tzoffsetto', hours(hours=after))
    rule.add('rrule', {'freq': 'yearly', 'bymonth': month, 'byday': '-1su'})
    zone.add_component(rule)
cal.add_component(zone)
def event(uid, summary, **fields):
    e = icalendar.Event()
    e.add('uid', uid)
    e.add('summary', summary)
    for name, value in fields.items():
        e.add(name, value)
    cal.add_component(e)
    return e
weekly = event('ladder@club', 'club ladder night', location='Riverside Courts',
               description='Ladder matches\nbring balls', rrule={'freq': 'weekly', 'count': 12})
weekly.add('dtstart', datetime.datetime(2001, 11, 7, 19, 0), parameters={'TZID': 'Europe/Berlin'})
weekly.add('exdate', datetime.datetime(2001, 12, 26, 19, 0), parameters={'TZID': 'Europe/Berlin'})
event('final@club', 'Club Championships', dtstart=datetime.date(2002, 3, 2),
      dtend=datetime.date(2002, 3, 4), description='Finals weekend ' * 8)
event('ann@club', 'Ann Lee', location='Memorial Park',
      dtstart=datetime.datetime(2002, 1, 5, 15, 30, tzinfo=datetime.timezone.utc))
open('club.ics', 'wb').write(cal.to_ical())
)";
    const ProcessRun python = RunProcess("/usr/bin/python3", {"-c", script});
    ASSERT_EQ(python.code, 0) << python.err.toStdString();

    SchedClass store;
    store.AddCopy(MakeEvent("1/9/2002", "Club Ladder Night", "1:00 pm"));
    const kui::CalendarImport read =
        kui::ReadCalendarForImport(QStringLiteral("club.ics"), store, ZBD_Date());
    ASSERT_TRUE(read.error.isEmpty()) << read.error.toStdString();
    std::vector<std::string> events;
    for (const SchedRecord& event : read.events)
        events.push_back(event.date + "|" + event.who + "|" + event.time + "|" + event.where + "|" +
                         event.notes);
    const std::string ladder = "|Club Ladder Night|1:00 pm|Riverside Courts|Ladder matches bring "
                               "balls";
    EXPECT_EQ(events, (std::vector<std::string>{
                          "12/19/2001" + ladder, "1/2/2002" + ladder, "1/16/2002" + ladder,
                          "1/23/2002" + ladder,
                          "3/2/2002|Club Championships|All day||Finals weekend Finals weekend "
                          "Finals weekend Finals weekend Finals weekend",
                          "1/5/2002|Ann Lee|10:30 am|Memorial Park|"}));
    EXPECT_EQ(read.report.added, 6u);
    EXPECT_EQ(read.report.present, 1u);
    ASSERT_EQ(read.report.problems.size(), 1u);
    EXPECT_EQ(read.report.problems[0].reason, "Notes cut to 74 characters");
    EXPECT_FALSE(read.report.problems[0].skipped);
    EXPECT_EQ(kvr::SplitLines(ReadFile("club.ics"))[read.report.problems[0].line - 1],
              "BEGIN:VEVENT");
}

// What is no calendar is told in one clear line and changes nothing: an
// empty file, a text file, a contacts file under a calendar's name, a file
// that is not there.
TEST_F(CalendarImportTest, FileThatIsNoCalendarIsToldAndNothingStored) {
    WriteFile("sched.dat", Lines({"ZBD Data File Format 2.0", "1",
                                  MakeEvent("12/20/2001", "Bo Park").ToLine()}));
    WriteCoach();
    WriteFile("empty.ics", "");
    WriteFile("notes.ics", "Date,Opponent,Kind\r\n12/1/2001,Ann Lee,M\r\n");
    WriteFile("card.ics", "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann Lee\r\nEND:VCARD\r\n");
    StartApp();
    const std::string before = ReadFile("sched.dat");
    for (const char* name : {"empty.ics", "notes.ics", "card.ics", "gone.ics"}) {
        const kui::CalendarImport read =
            kui::ReadCalendarForImport(name, app_->SchedStore(), ZBD_Date());
        EXPECT_TRUE(read.events.empty()) << name;
        const QString error = read.error;
        EXPECT_TRUE(error.startsWith(QStringLiteral("'%1' is ").arg(name)) ||
                    error.startsWith(QStringLiteral("Unable to read '%1'").arg(name)))
            << error.toStdString();
        EXPECT_FALSE(error.contains(QLatin1Char('\n'))) << error.toStdString();
        EXPECT_FALSE(kui::ImportCalendar(nullptr, name, app_->SchedStore()));
        EXPECT_EQ(LastMessage(), QStringLiteral("Import Calendar: ") + error);
    }
    EXPECT_EQ(Responder().DialogsRun().size(), 0u); // no preview
    EXPECT_EQ(ReadFile("sched.dat"), before);
    EXPECT_FALSE(Exists("backups"));
}

// From the keyboard through the scheduler's context menu: the file chosen,
// the preview read and answered with Enter; sched.dat is kept in the day's
// backup before the new event is stored, and the one already there is not
// stored twice.
TEST_F(CalendarImportTest, ContextMenuImportsAfterThePreview) {
    const std::string stored = MakeEvent("12/20/2001", "Bo Park", "6:00 pm").ToLine();
    WriteFile("sched.dat", Lines({"ZBD Data File Format 2.0", "1", stored}));
    WriteCoach();
    WriteFile(
        "season.ics",
        Lines({"BEGIN:VCALENDAR", "VERSION:2.0", "PRODID:-//Club//EN", "BEGIN:VEVENT", "UID:1",
               "DTSTART:20011220T180000", "SUMMARY:bo park", "END:VEVENT", "BEGIN:VEVENT", "UID:2",
               "DTSTART:20011221T090000", "SUMMARY:cy young", "LOCATION:Gym",
               "DESCRIPTION:Volleys\\, then serves", "END:VEVENT", "END:VCALENDAR"}));
    const std::string before = ReadFile("sched.dat");
    StartWindow();
    auto& view = OpenFromMenu<TKvrSchedWin>(kui::CmScheduler, kui::SchedulerView);
    QueueFileChoice(QString::fromStdString((Dir() / "season.ics").string()));
    QString figures;
    Responder().QueueDialog([&figures](QDialog& dialog) {
        figures = Field<QLabel>(dialog, "summary")->text();
        EXPECT_EQ(Field<QPlainTextEdit>(dialog, "problems"), nullptr);
        // Shown, not waited for: the menu that ran the command is deleted
        // once events are processed.
        dialog.show();
        QTest::keyClick(&dialog, Qt::Key_Return);
        return dialog.result();
    });
    view.activateWindow();
    view.setFocus();
    QTest::keyClick(&view, Qt::Key_Menu);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QTest::keyClick(menu, Qt::Key_I);

    EXPECT_EQ(Responder().DialogsRun(), (std::vector<QString>{QStringLiteral("Import Calendar"),
                                                              QStringLiteral("Import Calendar")}));
    EXPECT_EQ(figures, QStringLiteral("1 event to add\n1 already there (skipped)"));
    const std::string added = "\"12/21/2001\",\"Cy Young\",\"9:00 am\",\"Gym\","
                              "\"Volleys, then serves\"";
    EXPECT_EQ(StoredLines(app_->SchedStore()), (std::vector<std::string>{stored, added}));
    EXPECT_EQ(ReadFile("sched.dat"), Lines({"ZBD Data File Format 2.0", "2", stored, added}));
    EXPECT_EQ(ReadFile("backups/2001-12-15/sched.dat"), before);
}

} // namespace
} // namespace kvrtest
