#include "app/app_fixture.h"
#include "app/commands.h"
#include "app/help.h"
#include "core/play_store.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTest>
#include <QTextBrowser>

namespace kvrtest {
namespace {

const std::string kRecord1 =
    "\"3/4/2026\",\"S\",\"\",\"Ann Lee\",\"\",\"1.5\",\"M\",\"W\",\"6-4\",\"\",\"\",\"\",\"\"";
const std::string kRecord2 =
    "\"3/9/2026\",\"S\",\"\",\"Bo Park\",\"\",\"2\",\"P\",\"U\",\"\",\"\",\"\",\"\",\"\"";

class FakeHelp : public HelpViewer {
public:
    explicit FakeHelp(int* shown) : shown_(shown) {}
    void ShowContents() override { ++*shown_; }

private:
    int* shown_;
};

class MainWindowTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        WriteFile("coach.dat", Lines({"Pat Smith"}));
    }

    // The texts of a menu's entries in order; a submenu's entry is its
    // title followed by its entries in brackets.
    static QStringList Entries(const QMenu* menu) {
        QStringList texts;
        for (QAction* action : menu->actions()) {
            if (QMenu* sub = action->menu())
                texts << action->text() + " [" + Entries(sub).join(", ") + "]";
            else
                texts << action->text();
        }
        return texts;
    }

    TKvrChild* Open(int id, int* paints = nullptr) {
        static int ignored = 0;
        return Client().OpenView(id, [this, id, paints] {
            return new CountingView(Client(), id, QStringLiteral("View %1").arg(id),
                                    paints ? paints : &ignored);
        });
    }
};

TEST_F(MainWindowTest, FrameHasTheTitleGeometryAndMenu) {
    StartWindow();
    EXPECT_EQ(Frame().windowTitle(), QStringLiteral("The Kavora for Windows v1.5"));
    EXPECT_EQ(Frame().size(), QSize(600, 550));

    QStringList menus;
    std::vector<QStringList> items;
    for (QAction* action : Frame().menuBar()->actions()) {
        menus << action->text();
        items.push_back(Entries(action->menu()));
    }
    EXPECT_EQ(menus, (QStringList{"&Utilities", "&Data", "&Analyze", "&Tips/Drills", "&Printouts",
                                  "&Window", "&Help", "&Quit"}));
    ASSERT_EQ(items.size(), 8u);
    EXPECT_EQ(items[0], (QStringList{"&Phonebook", "&Scheduler", "&USTA Rating System"}));
    EXPECT_EQ(items[1], (QStringList{"&Browse Notes", "&Record Notes", "Browse &Charting Data",
                                     "&Set New Goals"}));
    EXPECT_EQ(items[2], (QStringList{"&Spreadsheet",
                                     "Graphs [Time Played Summary, Time Played By Month, Total "
                                     "Game Ratings, Stroke Ratings, Goal Reached, Charting Game "
                                     "Summary, Charting Stroke Summary]"}));
    EXPECT_EQ(items[3], (QStringList{"&Lookup", "&Add"}));
    EXPECT_EQ(items[4],
              (QStringList{"&Match Notes", "&Practice Notes", "&Lesson Notes", "&Court Form"}));
    EXPECT_EQ(items[5], (QStringList{"&Cascade", "&Tile", "Arrange &Icons"}));
    EXPECT_EQ(items[6], (QStringList{"&Online Manual", "&About .."}));
    EXPECT_EQ(items[7], (QStringList{"&Quit"}));

    // Each item carries its command number.
    EXPECT_EQ(Frame().Action(kvr::CmChartingStrokeSummary)->text(),
              QStringLiteral("Charting Stroke Summary"));
    EXPECT_EQ(Frame().Action(kvr::CmSetNewGoals)->data().toInt(), 11869);
    EXPECT_EQ(Frame().Action(kvr::CmOnlineManual)->shortcut(), QKeySequence(Qt::Key_F1));
}

TEST_F(MainWindowTest, OnlyTheCommandsThatWorkAreEnabled) {
    StartWindow();
    for (int id : {kvr::CmSetNewGoals, kvr::CmCascade, kvr::CmTile, kvr::CmArrangeIcons,
                   kvr::CmOnlineManual, kvr::CmAbout, kvr::CmQuit})
        EXPECT_TRUE(Frame().Action(id)->isEnabled()) << id;
    for (int id : {kvr::CmPhonebook, kvr::CmRecordNotes, kvr::CmStrokeRatings, kvr::CmTipsLookup,
                   kvr::CmCourtForm})
        EXPECT_FALSE(Frame().Action(id)->isEnabled()) << id;
    // A command that does not work yet neither clicks nor shows anything.
    Client().Command(kvr::CmPhonebook);
    EXPECT_EQ(clicks_, 0);
    EXPECT_TRUE(Responder().Shown().empty());
}

TEST_F(MainWindowTest, ClickingCommandsAreThoseOfTheViewsAndNotes) {
    for (int id : {kvr::CmPhonebook, kvr::CmScheduler, kvr::CmBrowseNotes, kvr::CmRecordNotes,
                   kvr::CmBrowseChartingData, kvr::CmSpreadsheet, kvr::CmTimePlayedSummary,
                   kvr::CmChartingStrokeSummary, kvr::CmTipsLookup, kvr::CmTipsAdd})
        EXPECT_TRUE(KvrClient::CommandClicks(id)) << id;
    for (int id : {kvr::CmUstaRatings, kvr::CmSetNewGoals, kvr::CmMatchNotes, kvr::CmCourtForm,
                   kvr::CmCascade, kvr::CmOnlineManual, kvr::CmAbout, kvr::CmQuit})
        EXPECT_FALSE(KvrClient::CommandClicks(id)) << id;
}

TEST_F(MainWindowTest, OneViewPerIdentifierBroughtForwardWhenOpenedAgain) {
    StartWindow();
    TKvrChild* phone = Open(kvr::PhonebookView);
    ASSERT_NE(phone, nullptr);
    TKvrChild* graph0 = Open(kvr::FirstGraphView);
    TKvrChild* graph3 = Open(kvr::FirstGraphView + 3);
    EXPECT_NE(graph0, graph3);
    EXPECT_EQ(Client().subWindowList().size(), 3);
    EXPECT_EQ(Client().activeSubWindow(), graph3->SubWindow());

    phone->SubWindow()->showMinimized();
    EXPECT_EQ(Open(kvr::PhonebookView), phone);
    EXPECT_EQ(Client().subWindowList().size(), 3);
    EXPECT_FALSE(phone->SubWindow()->isMinimized());
    EXPECT_EQ(Client().activeSubWindow(), phone->SubWindow());
    EXPECT_EQ(phone->windowTitle(), QStringLiteral("View 1"));

    // A view that cannot be made is not shown.
    EXPECT_EQ(Client().OpenView(kvr::SchedulerView, [] { return nullptr; }), nullptr);
    EXPECT_EQ(Client().FindView(kvr::SchedulerView), nullptr);

    // Closing a view's window destroys the view; the tips view is replaced
    // this way.
    Client().CloseView(kvr::PhonebookView);
    EXPECT_EQ(Client().FindView(kvr::PhonebookView), nullptr);
    EXPECT_EQ(Client().subWindowList().size(), 2);
}

TEST_F(MainWindowTest, SetNewGoalsAnsweredNoChangesAndRedrawsNothing) {
    const std::string play = Lines({"ZBD Data File Format 2.0", "2", kRecord1, kRecord2});
    WriteFile("play.dat", play);
    StartWindow();
    int paints = 0;
    Open(kvr::BrowseNotesView, &paints);
    QCoreApplication::processEvents();
    paints = 0;

    Responder().QueueAnswer(false);
    Frame().Action(kvr::CmSetNewGoals)->trigger();
    QCoreApplication::processEvents();

    ASSERT_EQ(Responder().Shown().size(), 1u);
    const kui::Message& question = Responder().Shown()[0];
    EXPECT_EQ(question.kind, kui::Message::Kind::YesNo);
    EXPECT_EQ(question.caption, QStringLiteral("Setup New Goals"));
    EXPECT_TRUE(question.text.startsWith(
        QStringLiteral("Your playing records are divided into past history notes and current "
                       "goal period notes.  The current goal period")));
    EXPECT_TRUE(question.text.endsWith(QStringLiteral("analyzing your game from a new start.")));
    EXPECT_EQ(app_->PlayStore().Count(), 2u);
    EXPECT_EQ(ReadFile("play.dat"), play);
    EXPECT_FALSE(Exists("history.dat"));
    EXPECT_FALSE(Exists("play.old"));
    EXPECT_EQ(paints, 0);
    EXPECT_EQ(clicks_, 0);
}

TEST_F(MainWindowTest, SetNewGoalsAnsweredYesMovesThePeriodAndRedraws) {
    WriteFile("play.dat", Lines({"ZBD Data File Format 2.0", "2", kRecord1, kRecord2}));
    StartWindow();
    int paints = 0;
    Open(kvr::BrowseNotesView, &paints);
    QCoreApplication::processEvents();
    paints = 0;

    Responder().QueueAnswer(true);
    Client().Command(kvr::CmSetNewGoals);
    QCoreApplication::processEvents();

    EXPECT_EQ(Responder().Shown().size(), 1u); // the question, no failure
    EXPECT_EQ(app_->PlayStore().Count(), 0u);
    EXPECT_EQ(ReadFile("play.dat"), Lines({"ZBD Data File Format 2.0", "0"}));
    EXPECT_EQ(ReadFile("history.dat"), Lines({"KVR History Data Format 2.0", kRecord2, kRecord1}));
    EXPECT_GT(paints, 0);
}

TEST_F(MainWindowTest, SetNewGoalsThatFailsSaysSoAndKeepsTheRecords) {
    WriteFile("play.dat", Lines({"ZBD Data File Format 2.0", "1", kRecord1}));
    WriteFile("history.dat", Lines({"KVR History Data Format 9.0", kRecord2}));
    StartWindow();
    Responder().QueueAnswer(true);
    Client().Command(kvr::CmSetNewGoals);
    ASSERT_EQ(Responder().Shown().size(), 2u);
    EXPECT_EQ(Responder().Shown()[1].caption, QStringLiteral("Setup New Goals"));
    EXPECT_TRUE(Responder().Shown()[1].text.startsWith(
        QStringLiteral("Unable to start a new goal period")));
    EXPECT_EQ(app_->PlayStore().Count(), 1u);
    EXPECT_EQ(ReadFile("play.dat"), Lines({"ZBD Data File Format 2.0", "1", kRecord1}));
}

TEST_F(MainWindowTest, ArrangeIconsLinesMinimisedViewsAlongTheBottom) {
    StartWindow();
    TKvrChild* a = Open(1);
    TKvrChild* b = Open(2);
    TKvrChild* c = Open(3);
    a->SubWindow()->showMinimized();
    c->SubWindow()->showMinimized();
    a->SubWindow()->move(100, 30);
    c->SubWindow()->move(5, 60);
    QPoint before = b->SubWindow()->pos();

    Frame().Action(kvr::CmArrangeIcons)->trigger();

    const int bottom = Client().viewport()->height();
    EXPECT_EQ(a->SubWindow()->pos(), QPoint(0, bottom - a->SubWindow()->height()));
    EXPECT_EQ(c->SubWindow()->pos(),
              QPoint(a->SubWindow()->width(), bottom - c->SubWindow()->height()));
    EXPECT_EQ(b->SubWindow()->pos(), before);
}

TEST_F(MainWindowTest, CascadeAndTileArrangeTheViews) {
    StartWindow();
    TKvrChild* a = Open(1);
    TKvrChild* b = Open(2);
    Frame().Action(kvr::CmTile)->trigger();
    EXPECT_FALSE(a->SubWindow()->geometry().intersects(b->SubWindow()->geometry()));
    Frame().Action(kvr::CmCascade)->trigger();
    EXPECT_TRUE(a->SubWindow()->geometry().intersects(b->SubWindow()->geometry()));
    EXPECT_NE(a->SubWindow()->pos(), b->SubWindow()->pos());
}

TEST_F(MainWindowTest, HelpAboutAndQuit) {
    StartWindow();
    int shown = 0;
    Client().SetHelpViewer(std::make_unique<FakeHelp>(&shown));
    Frame().Action(kvr::CmOnlineManual)->trigger();
    EXPECT_EQ(shown, 1);
    QApplication::setActiveWindow(&Frame());
    QTest::keyClick(&Frame(), Qt::Key_F1);
    EXPECT_EQ(shown, 2);

    QStringList texts;
    int icons = 0;
    Responder().QueueDialog([&](QDialog& dialog) {
        for (QLabel* label : dialog.findChildren<QLabel*>()) {
            if (!label->text().isEmpty())
                texts << label->text();
            else if (!label->pixmap().isNull())
                ++icons;
        }
        dialog.accept();
        return dialog.result();
    });
    Frame().Action(kvr::CmAbout)->trigger();
    EXPECT_EQ(Responder().DialogsRun(), std::vector<QString>{QStringLiteral("About The Kavora")});
    EXPECT_EQ(texts, (QStringList{"The Kavora", "Using Your Computer To", "PLAY BETTER TENNIS!"}));
    EXPECT_EQ(icons, 2);

    EXPECT_TRUE(Frame().isVisible());
    Frame().Action(kvr::CmQuit)->trigger();
    EXPECT_FALSE(Frame().isVisible());
    EXPECT_EQ(clicks_, 0);
}

TEST_F(MainWindowTest, ManualDescribesTheCommandsAndFiles) {
    StartApp();
    THelpWindow help;
    help.ShowContents();
    const QString text = help.Browser()->toPlainText();
    for (const char* words :
         {"Set New Goals", "Record Notes", "Phonebook", "Arrange Icons", "goal period", "play.dat",
          "history.dat", "coach.dat", "chart.dat", "phone.dat", "sched.dat", "hit_ball.wav"})
        EXPECT_TRUE(text.contains(QString::fromLatin1(words))) << words;
}

TEST_F(MainWindowTest, PrinterFallsBackToPdfWithoutAPrinter) {
    StartWindow();
    QPrinter& printer = Client().Printer();
    EXPECT_EQ(&printer, &Client().Printer());
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        EXPECT_EQ(printer.outputFormat(), QPrinter::PdfFormat);
        EXPECT_FALSE(printer.outputFileName().isEmpty());
    }
}

TEST_F(MainWindowTest, ClickWithoutItsFileOrAnAudioDeviceIsSilentlySkipped) {
    StartApp();
    FileClickSound missing;
    missing.Play(); // no hit_ball.wav here
    std::filesystem::copy_file(KAVORA_SOURCE_DIR "/resources/hit_ball.wav", "hit_ball.wav");
    FileClickSound present;
    present.Play();
    present.Play();
    SUCCEED();
}

} // namespace
} // namespace kvrtest
