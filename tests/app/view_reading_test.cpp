// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader reads from each view, through Qt's accessibility
// interface: the page as labelled text, the spreadsheet and the month as
// tables, a graph's bars; figures compared with the stores', and what is
// read after a turned page, a new month and a moved rating. (The
// announcements need a screen reader's bus: accessibility_check.py.)
#include "charting/chart_store.h"
#include "charting/charting_commands.h"
#include "core/date.h"
#include "core/play_statistics.h"
#include "core/play_store.h"
#include "phonebook/phone_store.h"
#include "phonebook/phonebook_commands.h"
#include "play/play_commands.h"
#include "schedule/sched_store.h"
#include "schedule/schedule_commands.h"
#include "support/app_fixture.h"
#include "tips/tip_store.h"
#include "tips/tips_commands.h"

#include <QAccessible>
#include <QDialog>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

namespace kvrtest {
namespace {

class ViewReadingTest : public AppTest {
protected:
    void WriteNotes() {
        WriteFile("coach.dat", Lines({"KVR Coach Data Format 1.0", "Pat Smith"}));
        KVR_PlayData play;
        for (int i = 0; i < 3; ++i) {
            PlayRecord note;
            note.date = ZBD_Date(5, 10 + i, 2026).Text();
            note.singlesDoubles = "S";
            note.who = i == 2 ? "Ann Lee" : "Alex Moreno";
            note.time = "1.5";
            note.kind = i == 1 ? "P" : "M";
            note.result = i == 0 ? "L" : "W";
            note.score = "6-4 7-5";
            for (int s = 0; s < kvr::kStrokeCount; ++s)
                for (int l = 0; l < kvr::kLevelCount; ++l)
                    note.ratings[static_cast<std::size_t>(s)][static_cast<std::size_t>(l)] =
                        (s + l + i) % 10 + 1;
            play.AddCopy(note);
        }
        ASSERT_EQ(play.Save(), 1);
    }

    // The view's accessible object, after it painted what it shows.
    QAccessibleInterface* Face(TKvrChild* view) {
        view->repaint();
        return QAccessible::queryAccessibleInterface(view);
    }
    TKvrChild* Open(int command) {
        Client().Command(command);
        TKvrChild* view = Client().ActiveView();
        EXPECT_TRUE(view);
        return view;
    }
    static QStringList PageLines(QAccessibleInterface* view) {
        QAccessibleInterface* page = view->child(0);
        return page->textInterface()->text(0, page->textInterface()->characterCount()).split('\n');
    }
    static void Press(TKvrChild* view, const char* button) {
        auto* pushButton = view->findChild<QPushButton*>(QString::fromLatin1(button));
        ASSERT_TRUE(pushButton);
        QTest::mouseClick(pushButton, Qt::LeftButton);
    }

    TKvrWinApp& App() { return *app_; }
};

TEST_F(ViewReadingTest, PagesReadAsLabelledTextWithTheirNumber) {
    WriteNotes();
    ChartRecord chart = MakeChart("5/14/2026", "Chris Park", "");
    chart.aces = 4;
    SaveRecords<KVR_ChartClass>({chart});
    PhoneRecord entry = MakePhone("Alex Moreno", "555-0199");
    entry.rating = "4.0";
    SaveRecords<KVR_PhoneData>({entry});
    SaveServeTips({MakeTip("Toss the ball a little in front.", 1, 10)});
    StartWindow();

    // The notes open on the newest record; ">>" turns to the one before.
    TKvrChild* notes = Open(kui::CmBrowseNotes);
    QAccessibleInterface* face = Face(notes);
    EXPECT_EQ(face->text(QAccessible::Name), notes->windowTitle());
    const PlayRecord& newest = *App().PlayStore().At(2);
    EXPECT_EQ(face->child(0)->text(QAccessible::Name), "Page 3 of 3");
    EXPECT_EQ(PageLines(face).mid(0, 6),
              QStringList({"Date: " + QString::fromStdString(newest.date), "Opponent: Ann Lee",
                           "S/D: Singles", "Time: 1.5", "MPL: Match", "Score: 6-4 7-5"}));
    Press(notes, "older");
    face = Face(notes);
    EXPECT_EQ(face->child(0)->text(QAccessible::Name), "Page 2 of 3");
    EXPECT_EQ(PageLines(face).value(0),
              "Date: " + QString::fromStdString(App().PlayStore().At(1)->date));

    // The opponents' figures, as worked out once the window is up.
    App().RecordsChanged(kui::Store::Play);
    face = Face(Open(kui::CmPhonebook));
    EXPECT_EQ(face->child(0)->text(QAccessible::Name), "Page 1 of 1");
    EXPECT_EQ(PageLines(face).mid(0, 4), QStringList({"Name: Alex Moreno", "Phone: 555-0199",
                                                      "Player Profile", "Rating: 4.0"}));
    // The figures the book works out against the player.
    EXPECT_TRUE(PageLines(face).contains(
        "Overall W/L Record: " +
        QString::fromStdString(App().PhoneStore().At(0)->stats.winLossRecord)));

    face = Face(Open(kui::CmBrowseChartingData));
    EXPECT_TRUE(PageLines(face).contains("Opponent: Chris Park"));
    EXPECT_TRUE(PageLines(face).contains("Aces: 4"));

    Responder().QueueDialog([](QDialog& dialog) {
        dialog.findChild<QRadioButton*>(QStringLiteral("Serve"))->setChecked(true);
        dialog.findChild<QRadioButton*>(QStringLiteral("Consistency"))->setChecked(true);
        dialog.accept();
        return dialog.result();
    });
    TKvrChild* lookup = Open(kui::CmTipsLookup);
    face = Face(lookup);
    QAccessibleInterface* page = face->child(0);
    ASSERT_TRUE(page->valueInterface());
    EXPECT_EQ(page->valueInterface()->currentValue().toInt(), 10);
    EXPECT_TRUE(PageLines(face).contains("Toss the ball a little in front."));
    // The player moves the rating with the keys.
    auto* rating = lookup->findChild<QScrollBar*>(QStringLiteral("frequencyRating"));
    ASSERT_TRUE(rating);
    rating->setFocus();
    QTest::keyClick(rating, Qt::Key_Right);
    page = face->child(0);
    EXPECT_EQ(page->valueInterface()->currentValue().toInt(), 9);
    EXPECT_TRUE(PageLines(face).contains("Rating: 9"));
}

TEST_F(ViewReadingTest, SpreadsheetReadsAsTablesOfTheStoresFigures) {
    WriteNotes();
    StartWindow();
    QAccessibleInterface* face = Face(Open(kui::CmSpreadsheet));
    ASSERT_EQ(face->childCount(), 3);
    KVR_PlayData& play = App().PlayStore();
    computeStatistics(play);
    const PlayStatistics& stats = play.Stats();

    QAccessibleTableInterface* ratings = face->child(1)->tableInterface();
    ASSERT_TRUE(ratings);
    ASSERT_EQ(ratings->columnCount(), 4);
    ASSERT_EQ(ratings->rowCount(), 11);
    EXPECT_EQ(ratings->columnDescription(0), QString::fromStdString(play.At(0)->date));
    EXPECT_EQ(ratings->columnDescription(3), "Avg");
    for (int column = 0; column < 3; ++column) {
        PlayRecord record;
        record.Assign(*play.At(column));
        computeRecordTotals(record);
        EXPECT_EQ(ratings->cellAt(6, column)->text(QAccessible::Name),
                  QString::number(record.grandTotal));
    }
    EXPECT_EQ(ratings->cellAt(0, 3)->text(QAccessible::Name),
              QString::asprintf("%2.1f", double(stats.strokeAverage[0])).trimmed());
    EXPECT_EQ(ratings->cellAt(6, 3)->text(QAccessible::Name),
              QString::asprintf("%3.1f", double(stats.totalGameRating)).trimmed());
    // A cell names its headers.
    QAccessibleTableCellInterface* cell = ratings->cellAt(0, 3)->tableCellInterface();
    ASSERT_TRUE(cell);
    ASSERT_EQ(cell->columnHeaderCells().size(), 1);
    EXPECT_EQ(cell->columnHeaderCells()[0]->text(QAccessible::Name), "Avg");
    EXPECT_EQ(cell->rowHeaderCells()[0]->text(QAccessible::Name), "Forehand");

    QAccessibleTableInterface* time = face->child(2)->tableInterface();
    ASSERT_TRUE(time);
    EXPECT_EQ(time->rowDescription(4), "W/L");
    EXPECT_EQ(time->cellAt(4, 0)->text(QAccessible::Name), QStringLiteral("%1-%2-%3")
                                                               .arg(stats.currentWins)
                                                               .arg(stats.currentLosses)
                                                               .arg(stats.currentUndecided));
    EXPECT_EQ(time->cellAt(3, 0)->text(QAccessible::Name),
              QString::asprintf("%4.1f", double(stats.currentTime)).trimmed());
}

TEST_F(ViewReadingTest, GraphsListTheirBarsAndSlices) {
    WriteNotes();
    ChartRecord chart;
    chart.date = "5/14/2026";
    chart.forehandWinners = 3;
    chart.aces = 1;
    KVR_ChartClass charts;
    charts.AddCopy(chart);
    ASSERT_EQ(charts.Save(), 1);
    StartWindow();

    QAccessibleInterface* face = Face(Open(kui::CmTotalGameRatings));
    EXPECT_EQ(face->text(QAccessible::Name), "Total Game Ratings");
    EXPECT_EQ(face->child(0)->text(QAccessible::Name), "Total Game Progress");
    const QString bars = PageLines(face).value(0);
    EXPECT_TRUE(bars.contains(QStringLiteral("%1 bars").arg(App().PlayStore().Count())))
        << bars.toStdString();
    for (unsigned i = 0; i < App().PlayStore().Count(); ++i) {
        PlayRecord record;
        record.Assign(*App().PlayStore().At(static_cast<int>(i)));
        computeRecordTotals(record);
        EXPECT_TRUE(bars.contains(QStringLiteral("%1: %2").arg(i + 1).arg(record.grandTotal)));
    }
    EXPECT_TRUE(bars.contains("scale of 0 to 240"));

    face = Face(Open(kui::CmChartingStrokeSummary));
    EXPECT_EQ(PageLines(face).value(0), "Winners: Forehand 3 (75%), Serve 1 (25%)");
}

TEST_F(ViewReadingTest, SchedulerReadsTheMonthAsATableOfDaysWithTheirEvents) {
    const ZBD_Date today;
    SchedClass events;
    SchedRecord event;
    event.date = ZBD_Date(today.Month(), 3, today.Year()).Text();
    event.who = "Ann Lee";
    event.time = "6:00 PM";
    event.where = "City Courts";
    events.AddCopy(event);
    event.date = ZBD_Date(today.Month(), 17, today.Year()).Text();
    event.who = "Tournament";
    event.time.clear();
    event.where.clear();
    events.AddCopy(event);
    ASSERT_EQ(events.Save(), 1);
    WriteFile("coach.dat", Lines({"KVR Coach Data Format 1.0", "Pat Smith"}));
    StartWindow();

    TKvrChild* scheduler = Open(kui::CmScheduler);
    QAccessibleInterface* face = Face(scheduler);
    QAccessibleTableInterface* month = face->child(1)->tableInterface();
    ASSERT_TRUE(month);
    EXPECT_EQ(month->columnCount(), 7);
    EXPECT_EQ(month->rowCount(), 6);
    EXPECT_EQ(month->columnDescription(0), "Sunday");
    // Every day of the month once, in its weekday's column.
    QMap<int, QString> days;
    QList<int> todays;
    QAccessibleInterface* third = nullptr;
    for (int row = 0; row < 6; ++row)
        for (int column = 0; column < 7; ++column) {
            QString text = month->cellAt(row, column)->text(QAccessible::Name);
            if (text.isEmpty())
                continue;
            // Today's cell says so after its number.
            if (text.contains(QStringLiteral(", today"))) {
                text.remove(QStringLiteral(", today"));
                todays << text.section(':', 0, 0).toInt();
            }
            const int day = text.section(':', 0, 0).toInt();
            days.insert(day, text);
            third = day == 3 ? month->cellAt(row, column) : third;
            EXPECT_EQ(ZBD_Date(today.Month(), day, today.Year()).DayOfWeek(), column + 1) << day;
        }
    EXPECT_EQ(days.size(), today.DaysInMonth());
    EXPECT_EQ(todays, QList<int>{today.Day()});
    EXPECT_EQ(days[3], "3: Ann Lee at 6:00 PM, City Courts");
    EXPECT_EQ(days[17], "17: Tournament");
    EXPECT_EQ(days[4], "4");
    // A day's cell stands where the day is drawn.
    ASSERT_TRUE(third);
    EXPECT_TRUE(face->rect().contains(third->rect()));
    EXPECT_LT(third->rect().width(), face->rect().width() / 6);
    EXPECT_EQ(face->child(1)->childAt(third->rect().center().x(), third->rect().center().y()),
              third);

    // The next month is read once turned to.
    const QString title = face->child(0)->text(QAccessible::Name);
    Press(scheduler, "next");
    face = Face(scheduler);
    const QString next = face->child(0)->text(QAccessible::Name);
    EXPECT_NE(next, title);
    EXPECT_EQ(face->child(1)->text(QAccessible::Name), next);
}

} // namespace
} // namespace kvrtest
