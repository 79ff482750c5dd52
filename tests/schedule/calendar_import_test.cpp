// SPDX-License-Identifier: GPL-3.0-or-later
#include "schedule/sched_ical_import.h"
#include "schedule/sched_store.h"
#include "schedule/sched_view.h"
#include "schedule/schedule_commands.h"
#include "support/app_fixture.h"

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>

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

// A calendar of tests/schedule/data.
QString DataFile(const char* name) {
    return QStringLiteral(KAVORA_TEST_DATA "/") + QLatin1String(name);
}

// "date time who", one an event.
std::vector<std::string> Events(const kui::CalendarImport& read) {
    std::vector<std::string> events;
    for (const SchedRecord& event : read.events)
        events.push_back(event.date + " " + event.time + " " + event.who);
    return events;
}

// The preview's lines.
std::vector<std::string> Preview(const kui::CalendarImport& read) {
    return kvr::DescribeImport(read.report, "events");
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

// A club's calendar as another program writes it (club.ics, written by
// python3-icalendar): a weekly event in a time
// zone of its own with a date left out, an event of whole days whose notes
// are too long, and one in UTC. The weekly event comes in for its dates of
// the coming twelve months only, and one already in the schedule is
// skipped.
TEST_F(CalendarImportTest, ForeignCalendarComesInOnTheLocalClock) {
    SchedClass store;
    store.AddCopy(MakeEvent("1/9/2002", "Club Ladder Night", "1:00 pm"));
    const kui::CalendarImport read =
        kui::ReadCalendarForImport(DataFile("club.ics"), store, ZBD_Date());
    ASSERT_TRUE(read.error.isEmpty()) << read.error.toStdString();
    std::vector<std::string> events;
    for (const SchedRecord& event : read.events)
        events.push_back(event.date + "|" + event.who + "|" + event.time + "|" + event.where + "|" +
                         event.notes);
    // The texts as written: in their case and whole, though longer than
    // the form's fields; the one stored with capitals is already there.
    const std::string ladder = "|club ladder night|1:00 pm|Riverside Courts|Ladder matches bring "
                               "balls";
    EXPECT_EQ(events, (std::vector<std::string>{
                          "12/19/2001" + ladder, "1/2/2002" + ladder, "1/16/2002" + ladder,
                          "1/23/2002" + ladder,
                          "3/2/2002|Club Championships|2 days||Finals weekend Finals weekend "
                          "Finals weekend Finals weekend Finals weekend Finals weekend Finals "
                          "weekend Finals weekend",
                          "1/5/2002|Ann Lee|10:30 am|Memorial Park|"}));
    EXPECT_EQ(read.report.added, 6u);
    EXPECT_EQ(read.report.present, 1u);
    EXPECT_TRUE(read.report.problems.empty());
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
// the preview, which lists each event to store, read and answered with Enter; sched.dat is kept in
// the day's backup before the new event is stored, and the one already there is not stored twice.
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
    std::vector<QString> listed;
    Responder().QueueDialog([&figures, &listed](QDialog& dialog) {
        figures = Field<QLabel>(dialog, "summary")->text();
        listed = ListedRows(dialog);
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
    EXPECT_EQ(listed,
              std::vector<QString>{QStringLiteral("December 21, 2001|9:00 am|cy young|Gym")});
    const std::string added = "\"12/21/2001\",\"cy young\",\"9:00 am\",\"Gym\","
                              "\"Volleys, then serves\"";
    EXPECT_EQ(StoredLines(app_->SchedStore()), (std::vector<std::string>{stored, added}));
    EXPECT_EQ(ReadFile("sched.dat"), Lines({"ZBD Data File Format 2.0", "2", stored, added}));
    EXPECT_EQ(ReadFile("backups/2001-12-15/sched.dat"), before);
}

// A weekly series from 1999 with three changed dates: one moved in 1999,
// which stays out as the series' dates of that year do; one moved inside
// the coming twelve months, which takes the place of its date; and one
// cancelled, which leaves its date out without counting as unreadable.
TEST_F(CalendarImportTest, ChangedOccurrencesReplaceTheirDatesInsideTheWindowOnly) {
    const kui::CalendarImport read =
        kui::ReadCalendarForImport(DataFile("moved_occurrences.ics"), SchedClass(), ZBD_Date());
    ASSERT_TRUE(read.error.isEmpty()) << read.error.toStdString();
    const std::vector<std::string> events = Events(read);
    ASSERT_EQ(events.size(), 51u); // 52 Wednesdays, two taken out, one moved in
    EXPECT_EQ(events.front(), "12/26/2001 7:00 pm Ladder night");
    EXPECT_EQ(events[1], "1/9/2002 7:00 pm Ladder night");
    EXPECT_EQ(events[49], "12/11/2002 7:00 pm Ladder night");
    EXPECT_EQ(events.back(), "12/20/2001 8:00 pm Ladder night");
    EXPECT_EQ(read.events.back().where, "Indoor hall");
    for (const SchedRecord& event : read.events)
        EXPECT_GE(ZBD_Date(event.date).DayNumber(), ZBD_Date(12, 15, 2001).DayNumber())
            << event.date;
    EXPECT_EQ(Preview(read),
              (std::vector<std::string>{"51 events to add", "0 already there (skipped)",
                                        "line 25: \"Ladder night\" is cancelled (left out)"}));
}

// Damaged files keep what they completed: a file cut in an event keeps the
// events before it (their texts as written), one with a NUL byte is read up
// to that line; the preview says where and which event was lost.
TEST_F(CalendarImportTest, DamagedCalendarIsReadUpToTheDamage) {
    const kui::CalendarImport cut =
        kui::ReadCalendarForImport(DataFile("cut_off.ics"), SchedClass(), ZBD_Date());
    ASSERT_TRUE(cut.error.isEmpty()) << cut.error.toStdString();
    EXPECT_EQ(Events(cut), (std::vector<std::string>{"1/5/2002 10:00 am Ann Lee",
                                                     "1/6/2002 11:00 am Match vs. Bo Park"}));
    EXPECT_EQ(Preview(cut),
              (std::vector<std::string>{
                  "2 events to add", "0 already there (skipped)", "1 could not be read (skipped)",
                  "line 18: \"Cy Young\" breaks off where the file ends (skipped)",
                  "line 22: the file ends here, without END:VCALENDAR: it was read up to here"}));

    const kui::CalendarImport damaged =
        kui::ReadCalendarForImport(DataFile("nul_byte.ics"), SchedClass(), ZBD_Date());
    ASSERT_TRUE(damaged.error.isEmpty()) << damaged.error.toStdString();
    EXPECT_EQ(Events(damaged), (std::vector<std::string>{"1/5/2002 10:00 am Ann Lee"}));
    EXPECT_EQ(Preview(damaged),
              (std::vector<std::string>{
                  "1 event to add", "0 already there (skipped)", "1 could not be read (skipped)",
                  "line 9: an event breaks off where the file is damaged (skipped)",
                  "line 11: the file is damaged here (a NUL byte): it was read up to this line"}));
}

// Zones named under a publisher's prefix, without their VTIMEZONE, are the
// zones they end with: New York's time stands, Berlin's and London's come
// onto New York's clock.
TEST_F(CalendarImportTest, ZoneNamesUnderAPrefixAreTheirZones) {
    const kui::CalendarImport read =
        kui::ReadCalendarForImport(DataFile("zone_prefixes.ics"), SchedClass(), ZBD_Date());
    ASSERT_TRUE(read.error.isEmpty()) << read.error.toStdString();
    EXPECT_EQ(Events(read),
              (std::vector<std::string>{"1/5/2002 6:30 pm Ann Lee", "1/6/2002 1:00 pm Bo Park",
                                        "1/7/2002 12:00 pm Cy Young"}));
    EXPECT_TRUE(read.report.problems.empty());
}

// What cannot be read as written is named: a repeat rule, a start that is
// no time, a date left out that is none, an event without a summary. A
// series that ended long ago is left out, not counted as unreadable; a
// calendar of to-dos says why nothing comes in.
TEST_F(CalendarImportTest, ValuesThatCannotBeReadAreNamedInThePreview) {
    const kui::CalendarImport read =
        kui::ReadCalendarForImport(DataFile("misread_values.ics"), SchedClass(), ZBD_Date());
    ASSERT_TRUE(read.error.isEmpty()) << read.error.toStdString();
    EXPECT_EQ(Events(read),
              (std::vector<std::string>{"1/5/2002 1:00 pm Drills", "1/7/2002 9:00 am Bo Park"}));
    EXPECT_EQ(
        Preview(read),
        (std::vector<std::string>{
            "2 events to add", "0 already there (skipped)", "2 could not be read (skipped)",
            "line 4: \"Drills\": the repeat rule \"FREQ=DAILY\\;COUNT=10\" cannot be read: "
            "the event comes in without it",
            "line 10: \"Ann Lee\": the start \"20020106T13000Z\" is no date and time "
            "(skipped)",
            "line 15: \"Old ladder\" repeats on no day of the coming twelve months (left out)",
            "line 21: \"Bo Park\": EXDATE \"2002010\" is no date and time, and may be read "
            "wrongly",
            "line 27: an event without a summary (who) (skipped)"}));

    const kui::CalendarImport todos =
        kui::ReadCalendarForImport(DataFile("todos_only.ics"), SchedClass(), ZBD_Date());
    ASSERT_TRUE(todos.error.isEmpty()) << todos.error.toStdString();
    EXPECT_EQ(Preview(todos),
              (std::vector<std::string>{"0 events to add", "0 already there (skipped)",
                                        "the calendar holds no events, only 2 to-dos: the schedule "
                                        "takes events alone (left out)"}));
}

// An import reads a regular file of a bounded size, at once: a FIFO with no
// writer, a device and a file past 64 MiB are refused without waiting. Its
// repetition is bounded: events repeating every minute bring 1,000 dates
// each and the file 10,000, and the preview says what was left out.
TEST_F(CalendarImportTest, ImportIsBoundedInWhatItReadsAndBrings) {
    ASSERT_EQ(mkfifo("pipe.ics", 0600), 0);
    WriteFile("huge.ics", "");
    std::filesystem::resize_file("huge.ics", (std::uintmax_t{64} << 20) + 1);
    for (auto [name, why] :
         {std::pair{"pipe.ics", "not a regular file"}, std::pair{"/dev/zero", "not a regular file"},
          std::pair{"huge.ics", "larger than 64 MiB, the most an import reads"}}) {
        const kui::CalendarImport read = kui::ReadCalendarForImport(name, SchedClass(), ZBD_Date());
        EXPECT_EQ(read.error, QStringLiteral("Unable to read '%1': %2.").arg(name, why));
        EXPECT_TRUE(read.events.empty());
    }

    const kui::CalendarImport busy =
        kui::ReadCalendarForImport(DataFile("every_minute.ics"), SchedClass(), ZBD_Date());
    ASSERT_TRUE(busy.error.isEmpty()) << busy.error.toStdString();
    ASSERT_EQ(busy.events.size(), 10'000u);
    EXPECT_EQ(busy.events[999].date + " " + busy.events[999].time + " " + busy.events[999].who,
              "12/16/2001 4:39 pm Ball machine 1");
    const std::vector<std::string> preview = Preview(busy);
    ASSERT_EQ(preview.size(), 2u + 11u + 1u);
    EXPECT_EQ(preview[2], "line 4: \"Ball machine 1\" repeats more often than the schedule "
                          "takes: only its first 1000 dates, up to 12/16/2001, come in");
    EXPECT_EQ(preview.back(), "line 64: the calendar holds more dates than the schedule takes: "
                              "only its first 10000 come in, and from here on none");
}

} // namespace
} // namespace kvrtest
