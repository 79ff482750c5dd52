// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/about_dialog.h"
#include "app/app_commands.h"
#include "app/app_id.h"
#include "app/command_table.h"
#include "app/help.h"
#include "app/main_window.h"
#include "charting/charting_commands.h"
#include "core/play_store.h"
#include "phonebook/phone_store.h"
#include "phonebook/phonebook_commands.h"
#include "play/play_commands.h"
#include "play/spreadsheet.h"
#include "printing/printer.h"
#include "printing/printing_commands.h"
#include "printing/printout.h"
#include "schedule/schedule_commands.h"
#include "support/app_fixture.h"
#include "tips/tips_commands.h"
#include "ui/court.h"
#include "ui/drawing.h"
#include "ui/notebook_page.h"

#include <filesystem>
#include <functional>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProxyStyle>
#include <QScreen>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>

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

    TKvrChild* Open(int id, int* paints = nullptr) {
        static int ignored = 0;
        return Client().OpenView(id, [this, id, paints] {
            return new CountingView(Client(), id, QStringLiteral("View %1").arg(id),
                                    paints ? paints : &ignored);
        });
    }
};

// The frame, and the menu built from the command table item by item in the
// menu's order: where it stands, its text, its command number and object
// name, whether it is enabled (only the commands that work so far), whether
// it clicks and its shortcut.
TEST_F(MainWindowTest, FrameHasTheTitleGeometryAndMenu) {
    struct Item {
        const char* place;
        const char* text;
        int id;
        bool enabled;
        bool clicks;
    };
    const Item expected[] = {
        {"&Utilities", "&Phonebook", 11842, true, true},
        {"&Utilities", "&Scheduler", 11843, true, true},
        {"&Utilities", "&USTA Rating System", 11844, true, false},
        {"&Utilities", "Change &Name...", 11873, true, false},
        {"&Data", "&Browse Notes", 11845, true, true},
        {"&Data", "&Record Notes", 11846, true, true},
        {"&Data", "Browse &Charting Data", 11868, true, true},
        {"&Data", "&Set New Goals", 11869, true, false},
        {"&Data", "&Import Outings...", 11870, true, false},
        {"&Data", "Import Ca&lendar...", 11871, true, false},
        {"&Data", "Import C&ontacts...", 11872, true, false},
        {"&Analyze", "&Spreadsheet", 11848, true, true},
        {"&Analyze > &Graphs", "&Time Played Summary", 11849, true, true},
        {"&Analyze > &Graphs", "Time Played By &Month", 11850, true, true},
        {"&Analyze > &Graphs", "Total Game &Ratings", 11851, true, true},
        {"&Analyze > &Graphs", "&Stroke Ratings", 11852, true, true},
        {"&Analyze > &Graphs", "&Goal Reached", 11853, true, true},
        {"&Analyze > &Graphs", "&Charting Game Summary", 11854, true, true},
        {"&Analyze > &Graphs", "Charting Stro&ke Summary", 11855, true, true},
        {"&Tips/Drills", "&Lookup", 11863, true, true},
        {"&Tips/Drills", "&Add", 11864, true, true},
        {"&Printouts", "&Match Notes", 11856, true, false},
        {"&Printouts", "&Practice Notes", 11857, true, false},
        {"&Printouts", "&Lesson Notes", 11858, true, false},
        {"&Printouts", "&Court Form", 11859, true, false},
        {"&Window", "&Cascade", 11865, true, false},
        {"&Window", "&Tile", 11866, true, false},
        {"&Window", "Arrange &Icons", 11867, true, false},
        {"&Help", "&Online Manual", 11860, true, false},
        {"&Help", "&About ..", 11861, true, false},
        {"&Quit", "&Quit", 11862, true, false},
    };
    StartWindow();
    EXPECT_EQ(Frame().windowTitle(), QStringLiteral("The Kavora for Windows v1.5"));
    EXPECT_EQ(Frame().size(), QSize(600, 550));

    // Every command item of the menu bar, depth first, with its menu path.
    std::vector<std::pair<QString, QAction*>> built;
    std::function<void(const QString&, const QList<QAction*>&)> walk =
        [&](const QString& path, const QList<QAction*>& actions) {
            for (QAction* action : actions) {
                const QString here =
                    path.isEmpty() ? action->text() : path + " > " + action->text();
                if (action->menu())
                    walk(here, action->menu()->actions());
                else
                    built.emplace_back(path, action);
            }
        };
    walk({}, Frame().menuBar()->actions());

    ASSERT_EQ(built.size(), std::size(expected));
    for (std::size_t i = 0; i < built.size(); ++i) {
        const Item& item = expected[i];
        const auto& [path, action] = built[i];
        SCOPED_TRACE(item.text);
        EXPECT_EQ(path, QString::fromLatin1(item.place));
        EXPECT_EQ(action->text(), QString::fromLatin1(item.text));
        EXPECT_EQ(action->data().toInt(), item.id);
        EXPECT_EQ(action->objectName(), QStringLiteral("command%1").arg(item.id));
        EXPECT_EQ(Frame().Action(item.id), action);
        EXPECT_EQ(action->isEnabled(), item.enabled);
        const kui::CommandRow* row = Client().Commands().Find(item.id);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->clicks, item.clicks);
        const QKeySequence shortcut = item.id == kui::CmOnlineManual ? QKeySequence(Qt::Key_F1)
                                      : item.id == kui::CmQuit ? QKeySequence(Qt::CTRL | Qt::Key_Q)
                                                               : QKeySequence();
        EXPECT_EQ(action->shortcut(), shortcut);
    }
}

// Utilities > Change Name... asks for the name, opened on the one in use: a
// name of blanks is refused, Enter on a new one keeps it in coach.dat (its
// blanks trimmed) and raises the change signal, so the name plate and the
// spreadsheet show it; Escape, and OK on the name in use, store nothing.
TEST_F(MainWindowTest, ChangeNameKeepsTheNewNameInTheCoachFile) {
    StartWindow();
    auto& sheet = OpenFromMenu<TKvrSpreadSheet>(kui::CmSpreadsheet, kui::SpreadsheetView);
    QApplication::setActiveWindow(&Frame());
    std::vector<kui::Store> changes;
    QObject::connect(app_.get(), &TKvrWinApp::StoreChanged,
                     [&changes](kui::Store store) { changes.push_back(store); });
    QString offered;
    Responder().QueueDialog([&offered](QDialog& dialog) {
        dialog.show();
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("playerName"));
        offered = name->text();
        QTest::keyClick(name, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(name, QStringLiteral("   "));
        QTest::keyClick(name, Qt::Key_Return);
        QTest::keyClick(name, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(name, QStringLiteral(" Jo Ann Moss "));
        QTest::keyClick(name, Qt::Key_Return);
        return dialog.result();
    });
    ChooseFromMenu(Qt::Key_U, {Qt::Key_N});
    EXPECT_EQ(offered, QStringLiteral("Pat Smith"));
    EXPECT_EQ(Responder().Texts(), std::vector<QString>{QStringLiteral("Please enter a Name")});
    EXPECT_EQ(ReadFile("coach.dat"), "KVR Coach Data Format 1.0\r\nJo Ann Moss\r\n");
    EXPECT_EQ(app_->PlayerName(), QStringLiteral("Jo Ann Moss"));
    EXPECT_EQ(changes, std::vector<kui::Store>{kui::Store::Coach});
    EXPECT_EQ(sheet.Snapshot().playerName, QStringLiteral("Jo Ann Moss"));

    // Escape, then OK on the name as it stands: nothing is written.
    const auto written = std::filesystem::last_write_time("coach.dat");
    for (bool escape : {true, false})
        Responder().QueueDialog([escape](QDialog& dialog) {
            dialog.show();
            auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("playerName"));
            QTest::keyClick(name, escape ? Qt::Key_Escape : Qt::Key_Return);
            return dialog.result();
        });
    ChooseFromMenu(Qt::Key_U, {Qt::Key_N});
    ChooseFromMenu(Qt::Key_U, {Qt::Key_N});
    EXPECT_EQ(Responder().DialogsRun().size(), 3u);
    EXPECT_EQ(std::filesystem::last_write_time("coach.dat"), written);
    EXPECT_EQ(changes.size(), 1u);
}

// A command added to the table lands at its place in its menu, works from
// its menu item and clicks first when its row says so; rows of the same
// place keep the order they were added in.
// The menu bar's extension arrow is read only when it is first drawn (so that
// the first paint loads no image plug-in), and is then the style's own.
TEST_F(MainWindowTest, MenuBarExtensionArrowIsTheStylesOwn) {
    StartWindow();
    auto* button =
        Frame().menuBar()->findChild<QToolButton*>(QStringLiteral("qt_menubar_ext_button"));
    ASSERT_NE(button, nullptr);
    auto* proxy = qobject_cast<QProxyStyle*>(QApplication::style());
    ASSERT_NE(proxy, nullptr);
    const QImage expected = proxy->baseStyle()
                                ->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton)
                                .pixmap(16)
                                .toImage();
    ASSERT_FALSE(expected.isNull());
    EXPECT_FALSE(button->icon().isNull());
    EXPECT_EQ(button->icon().pixmap(16).toImage(), expected);
}

TEST(CommandTableTest, PlacesOrderTheEntriesAndSubmenus) {
    kui::CommandTable table;
    table.AddMenu({QStringLiteral("&B")}, 20);
    table.AddMenu({QStringLiteral("&A")}, 10);
    table.Add({.id = 3, .menu = {QStringLiteral("&A")}, .place = 30, .text = QStringLiteral("c")});
    table.Add({.id = 1, .menu = {QStringLiteral("&A")}, .place = 10, .text = QStringLiteral("a")});
    table.AddMenu({QStringLiteral("&A"), QStringLiteral("Sub")}, 20);
    table.Add({.id = 4,
               .menu = {QStringLiteral("&A"), QStringLiteral("Sub")},
               .place = 5,
               .text = QStringLiteral("d"),
               .handler = [](KvrClient&) {}});
    table.Add({.id = 2, .menu = {QStringLiteral("&A")}, .place = 10, .text = QStringLiteral("b")});

    auto names = [&](const QStringList& menu) {
        QStringList out;
        for (const kui::CommandTable::Entry& entry : table.Entries(menu))
            out << (entry.menu ? entry.menu->path.last() : entry.command->text);
        return out;
    };
    EXPECT_EQ(names({}), (QStringList{"&A", "&B"}));
    EXPECT_EQ(names({"&A"}), (QStringList{"a", "b", "Sub", "c"}));
    EXPECT_EQ(names({"&A", "Sub"}), (QStringList{"d"}));
    EXPECT_TRUE(names({"&B"}).isEmpty());
    EXPECT_FALSE(table.Find(1)->Enabled());
    EXPECT_TRUE(table.Find(4)->Enabled());
    EXPECT_EQ(table.Find(5), nullptr);
}

TEST_F(MainWindowTest, SetNewGoalsRunsTheChangeSignal) {
    WriteFile("play.dat", Lines({"ZBD Data File Format 2.0", "2", kRecord1, kRecord2}));
    WriteFile("phone.dat",
              Lines({"ZBD Data File Format 2.5", "1", R"("Ann Lee","555-1","","","","","")"}));
    StartWindow();
    // Stale figures, so that the test sees them recomputed.
    app_->PlayStore().Stats().allTime = -1;
    app_->PhoneStore().At(0)->stats.lastPlayed = "stale";

    Responder().QueueAnswer(true);
    Frame().Action(kui::CmSetNewGoals)->trigger();

    EXPECT_EQ(app_->PlayStore().Count(), 0u);
    EXPECT_FLOAT_EQ(app_->PlayStore().Stats().allTime, 3.5f); // now all in the history
    EXPECT_FLOAT_EQ(app_->PlayStore().Stats().currentTime, 0.0f);
    EXPECT_NE(app_->PhoneStore().At(0)->stats.lastPlayed, "stale");

    // The signal on its own does the same and redraws the open views.
    int paints = 0;
    Open(kui::BrowseNotesView, &paints);
    QCoreApplication::processEvents();
    paints = 0;
    app_->PlayStore().Stats().allTime = -1;
    app_->RecordsChanged(kui::Store::Play);
    QCoreApplication::processEvents();
    EXPECT_FLOAT_EQ(app_->PlayStore().Stats().allTime, 3.5f);
    EXPECT_GT(paints, 0);
}

// A command that does not work yet neither clicks nor shows anything, even
// when carried out directly.
TEST_F(MainWindowTest, CommandsWithoutAHandlerDoNothing) {
    StartWindow();
    for (const kui::CommandRow& row : Client().Commands().Rows())
        if (!row.Enabled())
            Client().Command(row.id);
    Client().Command(4711); // no such command
    EXPECT_EQ(clicks_, 0);
    EXPECT_TRUE(Responder().Shown().empty());
    EXPECT_TRUE(Responder().DialogsRun().empty());
    EXPECT_TRUE(Client().subWindowList().isEmpty());
}

TEST_F(MainWindowTest, OneViewPerIdentifierBroughtForwardWhenOpenedAgain) {
    StartWindow();
    TKvrChild* phone = Open(kui::PhonebookView);
    ASSERT_NE(phone, nullptr);
    TKvrChild* graph0 = Open(kui::FirstGraphView);
    TKvrChild* graph3 = Open(kui::FirstGraphView + 3);
    EXPECT_NE(graph0, graph3);
    EXPECT_EQ(Client().subWindowList().size(), 3);
    EXPECT_EQ(Client().activeSubWindow(), graph3->SubWindow());

    phone->SubWindow()->showMinimized();
    EXPECT_EQ(Open(kui::PhonebookView), phone);
    EXPECT_EQ(Client().subWindowList().size(), 3);
    EXPECT_FALSE(phone->SubWindow()->isMinimized());
    EXPECT_EQ(Client().activeSubWindow(), phone->SubWindow());
    EXPECT_EQ(phone->windowTitle(), QStringLiteral("View 1"));

    // A view that cannot be made is not shown.
    EXPECT_EQ(Client().OpenView(kui::SchedulerView, [] { return nullptr; }), nullptr);
    EXPECT_EQ(Client().FindView(kui::SchedulerView), nullptr);

    // Closing a view's window destroys the view; the tips view is replaced
    // this way.
    Client().CloseView(kui::PhonebookView);
    EXPECT_EQ(Client().FindView(kui::PhonebookView), nullptr);
    EXPECT_EQ(Client().subWindowList().size(), 2);
}

TEST_F(MainWindowTest, SetNewGoalsAnsweredNoChangesAndRedrawsNothing) {
    const std::string play = Lines({"ZBD Data File Format 2.0", "2", kRecord1, kRecord2});
    WriteFile("play.dat", play);
    StartWindow();
    int paints = 0;
    Open(kui::BrowseNotesView, &paints);
    QCoreApplication::processEvents();
    paints = 0;

    Responder().QueueAnswer(false);
    Frame().Action(kui::CmSetNewGoals)->trigger();
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
    Open(kui::BrowseNotesView, &paints);
    QCoreApplication::processEvents();
    paints = 0;

    Responder().QueueAnswer(true);
    Client().Command(kui::CmSetNewGoals);
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
    // Start-up has told of the history it could not read.
    ASSERT_FALSE(Responder().Shown().empty());
    Responder().Clear();
    Responder().QueueAnswer(true);
    Client().Command(kui::CmSetNewGoals);
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

    Frame().Action(kui::CmArrangeIcons)->trigger();

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
    Frame().Action(kui::CmTile)->trigger();
    EXPECT_FALSE(a->SubWindow()->geometry().intersects(b->SubWindow()->geometry()));
    Frame().Action(kui::CmCascade)->trigger();
    EXPECT_TRUE(a->SubWindow()->geometry().intersects(b->SubWindow()->geometry()));
    EXPECT_NE(a->SubWindow()->pos(), b->SubWindow()->pos());
}

TEST_F(MainWindowTest, HelpAboutAndQuit) {
    StartWindow();
    int shown = 0;
    Client().SetHelpViewer(std::make_unique<FakeHelp>(&shown));
    Frame().Action(kui::CmOnlineManual)->trigger();
    EXPECT_EQ(shown, 1);
    QApplication::setActiveWindow(&Frame());
    QTest::keyClick(&Frame(), Qt::Key_F1);
    EXPECT_EQ(shown, 2);

    QStringList texts;
    QString licence;
    int icons = 0;
    Responder().QueueDialog([&](QDialog& dialog) {
        for (QLabel* label : dialog.findChildren<QLabel*>()) {
            if (label->objectName() == QStringLiteral("licence"))
                licence = label->text();
            else if (!label->text().isEmpty())
                texts << label->text();
            else if (!label->pixmap().isNull())
                ++icons;
        }
        dialog.accept();
        return dialog.result();
    });
    Frame().Action(kui::CmAbout)->trigger();
    EXPECT_EQ(Responder().DialogsRun(), std::vector<QString>{QStringLiteral("About The Kavora")});
    EXPECT_EQ(texts, (QStringList{"The Kavora", "Using Your Computer To", "PLAY BETTER TENNIS!"}));
    EXPECT_EQ(icons, 2);
    // Under them: the version, the warranty notice and a link to the licence.
    EXPECT_TRUE(licence.contains(QString::fromLatin1(kui::kAppVersion)));
    EXPECT_TRUE(licence.contains(QStringLiteral("ABSOLUTELY NO WARRANTY")));
    EXPECT_TRUE(licence.contains(QStringLiteral("<a href=\"%1\">GNU General Public License</a>, "
                                                "version 3 or later")
                                     .arg(QString::fromLatin1(kLicenceUrl))))
        << licence.toStdString();

    EXPECT_TRUE(Frame().isVisible());
    Frame().Action(kui::CmQuit)->trigger();
    EXPECT_FALSE(Frame().isVisible());
    EXPECT_EQ(clicks_, 0);
}

// The screen the offscreen platform makes, of `size` and scaled by `scale`,
// for the application started next; the test's own screen comes back after.
class ScreenFor {
public:
    ScreenFor(const QString& folder, QSize size, const char* scale) {
        const QString config = QDir(folder).absoluteFilePath(QStringLiteral("screen.json"));
        QFile file(config);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral(R"({"screens": [{"name": "kavora", "x": 0, "y": 0, "width": %1,
            "height": %2, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})")
                       .arg(size.width())
                       .arg(size.height())
                       .toUtf8());
        file.close();
        qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toUtf8());
        qputenv("QT_SCALE_FACTOR", scale);
    }
    ~ScreenFor() {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qunsetenv("QT_SCALE_FACTOR");
    }
    ScreenFor(const ScreenFor&) = delete;
    ScreenFor& operator=(const ScreenFor&) = delete;
};

// The first window fits the screen, frame and all, at any scale: at twice
// the size on a 1280x1024 screen it is smaller than 600x550 to fit.
TEST_F(MainWindowTest, FirstWindowFitsTheScreenAtAnyScale) {
    for (const char* scale : {"1", "2"}) {
        SCOPED_TRACE(scale);
        ScreenFor screen(QDir::currentPath(), QSize(1280, 1024), scale);
        StartWindow();
        const QRect available = Frame().screen()->availableGeometry();
        EXPECT_EQ(available.size(), QSize(1280, 1024) / QString::fromLatin1(scale).toInt());
        EXPECT_TRUE(available.contains(Frame().geometry().marginsAdded(kui::kFrameAllowance)))
            << Frame().geometry().x() << "," << Frame().geometry().y() << " " << Frame().width()
            << "x" << Frame().height();
        if (QByteArray(scale) == "1") {
            EXPECT_EQ(Frame().size(), QSize(600, 550));
        }
        app_.reset();
    }
}

// The window comes back at the size and place it was closed at, maximised
// if it was; a place on no screen any more is pulled back onto the screen.
// The settings are the player's, never in the data folder.
TEST_F(MainWindowTest, WindowComesBackWhereItWasClosed) {
    StartWindow();
    Frame().setGeometry(120, 90, 520, 410);
    Frame().close();
    app_.reset();
    EXPECT_TRUE(QDir(ConfigFolder()).exists(QStringLiteral("kavora/kavora.conf")));
    EXPECT_TRUE(QDir::current().entryList({QStringLiteral("*.conf")}).isEmpty());

    StartWindow();
    EXPECT_EQ(Frame().geometry(), QRect(120, 90, 520, 410));
    Frame().showMaximized();
    Frame().close();
    app_.reset();

    StartWindow();
    EXPECT_TRUE(Frame().isMaximized());
    EXPECT_EQ(Frame().normalGeometry(), QRect(120, 90, 520, 410));
    Frame().showNormal();
    Frame().setGeometry(5000, -3000, 900, 700);
    Frame().close();
    app_.reset();

    StartWindow();
    const QRect available = Frame().screen()->availableGeometry();
    EXPECT_TRUE(available.contains(Frame().geometry().marginsAdded(kui::kFrameAllowance)));
    EXPECT_EQ(Frame().size(),
              QSize(900, 700).boundedTo(available.marginsRemoved(kui::kFrameAllowance).size()));
}

TEST_F(MainWindowTest, ClientDrawsTheCourtWithTheNameAndOwnsThePage) {
    StartWindow();
    QImage shown = Client().viewport()->grab().toImage();
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(shown.pixel(shown.width() / 2, shown.height() / 10), kui::court::kSky);
    // The name, in black, on the grey panel under the court.
    const int top = kui::Frac(shown.height(), 0.92);
    const int bottom = kui::Frac(shown.height(), 0.98);
    int dark = 0;
    for (int y = top + 1; y < bottom - 1; ++y)
        for (int x = kui::Frac(shown.width(), 0.4); x < kui::Frac(shown.width(), 0.6); ++x)
            dark += qGray(shown.pixel(x, y)) < 64;
    EXPECT_GT(dark, 20);

    const QImage& page = Client().NotebookPage();
    EXPECT_EQ(page.size(), QSize(640, 480));
    EXPECT_EQ(&page, &Client().NotebookPage());
    EXPECT_EQ(page, kui::NotebookPageImage());
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

// The manual names what the program offers: the printouts' PDF files,
// every entry of every view's menu, the command line's options and views,
// the ratings keys and the notebook's Ratings... button.
TEST_F(MainWindowTest, ManualNamesThePdfFilesTheViewMenusAndTheCommandLine) {
    StartWindow();
    THelpWindow help;
    help.ShowContents();
    const QString text = help.Browser()->toPlainText();
    QStringList wanted{QString::fromLatin1(kui::kReportsPdf),
                       QString::fromLatin1(kui::kCourtFormPdf),
                       QStringLiteral("Ratings..."),
                       QStringLiteral("Page Up"),
                       QStringLiteral("Escape"),
                       QStringLiteral("--help"),
                       QStringLiteral("--version"),
                       QStringLiteral("--size"),
                       QStringLiteral("--out"),
                       QStringLiteral("--opponent")};
    for (const kui::ViewRow& row : Client().Commands().Views()) {
        wanted.push_back(row.name);
        std::unique_ptr<TKvrChild> view(row.make(Client()));
        QMenu menu;
        view->FillContextMenu(menu);
        for (const QAction* action : menu.actions())
            wanted.push_back(action->text().remove(QLatin1Char('&')));
    }
    for (const QString& words : wanted)
        EXPECT_TRUE(text.contains(words)) << words.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("kavora_printout")));
}

TEST_F(MainWindowTest, PrinterFallsBackToPdfWithoutAPrinter) {
    StartWindow();
    QPrinter& printer = kui::Printer();
    EXPECT_EQ(&printer, &kui::Printer());
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        EXPECT_EQ(printer.outputFormat(), QPrinter::PdfFormat);
        EXPECT_FALSE(printer.outputFileName().isEmpty());
    }
}

TEST_F(MainWindowTest, ClickWithoutItsFileOrAnAudioDeviceIsSilentlySkipped) {
    StartApp();
    FileClickSound missing;
    EXPECT_FALSE(missing.Play()); // no hit_ball.wav here
    std::filesystem::create_directory("folder.wav");
    EXPECT_FALSE(FileClickSound(QStringLiteral("folder.wav")).Play());

    // The shipped click starts wherever the sound library finds an audio
    // output; a second click starts again from the top, or stays silent too.
    std::filesystem::copy_file(KAVORA_SOURCE_DIR "/resources/hit_ball.wav", "hit_ball.wav");
    FileClickSound present;
    const bool started = present.Play();
    EXPECT_EQ(present.Play(), started);
}

// The sound file a click hands to the sound output, and how often the output
// was made.
struct PlayedSounds {
    std::vector<QByteArray> files;
    int opened = 0;
};

class RecordingOutput : public SoundOutput {
public:
    explicit RecordingOutput(PlayedSounds* played) : played_(played) {}
    bool Play(const QByteArray& path) override {
        played_->files.push_back(path);
        return true;
    }

private:
    PlayedSounds* played_;
};

// A command chosen from the menu with the keyboard plays the shipped click
// from the data folder through the sound output, each time it is chosen; a
// command that does not click plays nothing; without an output the click is
// tried once and then left silent.
TEST_F(MainWindowTest, ClickingCommandsPlayTheClickThroughTheSoundOutput) {
    std::filesystem::copy_file(KAVORA_SOURCE_DIR "/resources/hit_ball.wav", "hit_ball.wav");
    const QByteArray file = QFile::encodeName(QDir::current().absoluteFilePath("hit_ball.wav"));
    StartWindow();
    PlayedSounds played;
    Client().SetClickSound(std::make_unique<FileClickSound>(QStringLiteral("hit_ball.wav"), [&] {
        ++played.opened;
        return std::make_unique<RecordingOutput>(&played);
    }));
    QApplication::setActiveWindow(&Frame());

    ChooseFromMenu(Qt::Key_U, {Qt::Key_P}); // Phonebook
    ASSERT_EQ(played.files.size(), 1u);
    EXPECT_EQ(played.files[0], file);
    ChooseFromMenu(Qt::Key_U, {Qt::Key_S}); // Scheduler
    EXPECT_EQ(played.files, std::vector<QByteArray>({file, file}));
    ChooseFromMenu(Qt::Key_W, {Qt::Key_C}); // Cascade does not click
    EXPECT_EQ(played.files.size(), 2u);
    EXPECT_EQ(played.opened, 1);

    int tries = 0;
    FileClickSound silent(QStringLiteral("hit_ball.wav"), [&] {
        ++tries;
        return std::unique_ptr<SoundOutput>();
    });
    EXPECT_FALSE(silent.Play());
    EXPECT_FALSE(silent.Play());
    EXPECT_EQ(tries, 1);
}

} // namespace
} // namespace kvrtest
