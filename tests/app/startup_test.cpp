// SPDX-License-Identifier: GPL-3.0-or-later
#include "charting/chart_store.h"
#include "core/history.h"
#include "core/play_change.h"
#include "core/play_store.h"
#include "phonebook/phone_store.h"
#include "schedule/sched_store.h"
#include "support/app_fixture.h"
#include "support/records.h"
#include "ui/message.h"

#include <map>

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

namespace kvrtest {
namespace {

const QString kTitle = QStringLiteral("The Kavora for Windows v1.5");
const QString kChartMessage = QStringLiteral(
    "Chart data file missing or corrupted, unable to load 'chart.dat'!\nWill attempt to rebuild "
    "file....");
const QString kChartFailed = QStringLiteral("Rebuilding attempt for 'chart.dat' FAILED!");
QString Newer(const QString& file) {
    return QStringLiteral("'%1' was written by a newer version of Kavora and cannot be read.\n"
                          "Nothing will be written over it.")
        .arg(file);
}
const QString kFinal = QStringLiteral(
    "Unable to load all data files.\nRead previous messages to determine which file caused "
    "error.\nUse a text editor to examine the '*.dis' file\nto view any disgarded records that "
    "you may be able to manually reenter.\nIf a backup file is available, exit program and "
    "replace bad file.\n");

const std::string kPlayLine =
    "\"3/4/2026\",\"S\",\"\",\"Ann Lee\",\"\",\"1.5\",\"M\",\"W\",\"6-4\",\"\",\"\",\"Good\","
    "\"\",\"5\",\"5\",\"5\",\"5\",\"5\",\"5\",\"5\",\"5\",\"5\",\"5\",\"5\",\"5\",\"5\",\"5\","
    "\"5\",\"5\",\"5\",\"5\",\"5\",\"5\",\"5\",\"5\",\"5\",\"5\"";

using StartupTest = AppTest;

TEST_F(StartupTest, NoDataFilesStartsQuietlyWithEmptyStores) {
    WriteFile("coach.dat", Lines({"Pat Smith"}));
    TKvrWinApp& app = StartApp();
    EXPECT_TRUE(app.Ready());
    EXPECT_TRUE(Responder().Shown().empty());
    EXPECT_EQ(app.PlayStore().Count(), 0u);
    EXPECT_EQ(app.PhoneStore().Count(), 0u);
    EXPECT_EQ(app.ChartStore().Count(), 0u);
    EXPECT_EQ(app.SchedStore().Count(), 0u);
    EXPECT_EQ(app.Title(), kTitle);
    // Loading writes no data file.
    EXPECT_FALSE(Exists("play.dat"));
    EXPECT_FALSE(Exists("chart.dat"));
}

// A newer file is neither missing nor damaged: it is named as what it is,
// and no rebuild is tried on it.
TEST_F(StartupTest, NewerChartFileIsNamedAsSuchThenTheFinalMessage) {
    WriteFile("chart.dat", Lines({"ZBD Data File Format 3.0", "0"}));
    WriteFile("play.dat", Lines({"ZBD Data File Format 2.0", "1", kPlayLine}));
    StartApp();
    ASSERT_EQ(Responder().Texts(),
              (std::vector<QString>{Newer(QStringLiteral("chart.dat")), kFinal}));
    for (const kui::Message& message : Responder().Shown()) {
        EXPECT_EQ(message.caption, kTitle);
        EXPECT_EQ(message.kind, kui::Message::Kind::Tell);
    }
    // The other stores still load.
    EXPECT_EQ(app_->PlayStore().Count(), 1u);
}

TEST_F(StartupTest, BadChartAndPhoneFilesGiveBothMessagesAndOneFinalMessage) {
    WriteFile("chart.dat", Lines({"ZBD Data File Format 9.5", "0"}));
    WriteFile("phone.dat", Lines({"ZBD Data File Format 7.0", "0"}));
    StartApp();
    EXPECT_EQ(Responder().Texts(),
              (std::vector<QString>{Newer(QStringLiteral("chart.dat")),
                                    Newer(QStringLiteral("phone.dat")), kFinal}));
    EXPECT_FALSE(Exists("chart.old"));
    EXPECT_FALSE(Exists("phone.old"));
}

// A damaged file that may not be replaced is not rebuilt, and gains no
// copies at each start: the player is told why.
TEST_F(StartupTest, ReadOnlyDamagedChartIsToldWhyAndGainsNoCopies) {
    const std::string chart =
        Lines({"ZBD Data File Format 2.0", "2",
               R"("5/14/2026","Alex Moreno","6-4","40","25","3","0","0","12","0","5","3","40",)"
               R"("30","0","0","0","11","6","0","1")",
               "not a chart"});
    WriteFile("chart.dat", chart);
    std::filesystem::permissions("chart.dat", std::filesystem::perms::owner_read |
                                                  std::filesystem::perms::group_read);
    const std::vector<QString> expected{
        kChartMessage,
        kChartFailed + QStringLiteral("\nThe rebuilt file or its copies could not be written: "
                                      "Permission denied.\nThe file was left as it is, and "
                                      "nothing will be written over it."),
        kFinal};
    for (int start = 0; start < 2; ++start) {
        responder_.reset(); // the new one answers once the old one is gone
        responder_ = std::make_unique<ScriptedResponder>();
        StartApp();
        EXPECT_EQ(Responder().Texts(), expected);
        EXPECT_EQ(app_->ChartStore().Count(), 1u);
        app_.reset();
    }
    EXPECT_FALSE(Exists("chart.old"));
    EXPECT_FALSE(Exists("chart.dis"));
    EXPECT_EQ(ReadFile("chart.dat"), chart);
}

TEST_F(StartupTest, NewerPlayFileIsReportedAndNeverWrittenOver) {
    const std::string newer = Lines({"ZBD Data File Format 4.0", "1", kPlayLine});
    WriteFile("play.dat", newer);
    StartApp();
    EXPECT_EQ(Responder().Texts(),
              (std::vector<QString>{Newer(QStringLiteral("play.dat")), kFinal}));
    EXPECT_EQ(app_->PlayStore().Count(), 0u);
    // The file is left for the newer program, and no save replaces it.
    app_->PlayStore().AddCopy(PlayRecord());
    EXPECT_EQ(app_->PlayStore().Save(), 0);
    EXPECT_EQ(app_->PlayStore().StartNewGoalPeriod(), -1);
    EXPECT_EQ(ReadFile("play.dat"), newer);
}

TEST_F(StartupTest, InterruptedGoalPeriodChangeIsFinishedBeforeLoading) {
    // The version before this one staged the period's records in
    // history.next and then emptied play.dat: start-up puts the new history
    // in place.
    WriteFile("play.dat", Lines({"ZBD Data File Format 2.0", "0"}));
    WriteFile("history.next", Lines({"KVR History Data Format 2.0",
                                     kPlayLine.substr(0, kPlayLine.find(",\"5\""))}));
    StartApp();
    EXPECT_FALSE(Exists("history.next"));
    ASSERT_TRUE(Exists("history.dat"));
    EXPECT_EQ(app_->PlayStore().History().CountRecords(), 1);
}

// An import that closes a goal period, stopped after its mark was written:
// the next start cannot finish it (history.dat is read-only), says which
// change waits and which files, and holds play.dat and history.dat for the
// whole run: Record Notes and every save of an outing are refused with that
// reason. The start after, with history.dat writable, finishes it: every
// outing is there exactly once.
TEST_F(StartupTest, AChangeThatCannotBeFinishedHoldsThePlayDataForTheRun) {
    const std::vector<PlayRecord> period = MakePeriod(29, 3, "P", true);
    WritePlayFiles(period, {MakePlay("1/5/2026", "Past")});
    const std::string play = ReadFile("play.dat");
    std::vector<const PlayRecord*> current;
    for (const PlayRecord& record : period)
        current.push_back(&record);
    const kvr::PlayPlan plan =
        kvr::PlanPlayChange(current, {MakePlay("1/5/2026", "Past").ToHistoryLine()},
                            {MakePlay("4/1/2026", "New1"), MakePlay("4/2/2026", "New2")}, false);
    ASSERT_EQ(plan.periodsClosed, 1);
    WriteFile("history.staged", kvr::HistoryFileText(plan));
    WriteFile("play.staged", kvr::PlayFileText(plan, 2.0f));
    WriteFile("play.commit", Lines({"import"}));
    std::filesystem::permissions("history.dat", std::filesystem::perms::owner_read);

    WriteCoach();
    StartWindow();
    WaitForFirstPaint(Client());
    ASSERT_EQ(Responder().Texts().size(), 1u);
    const QString waiting = Responder().Texts().front();
    EXPECT_TRUE(waiting.contains(QStringLiteral("(an import)"))) << waiting.toStdString();
    EXPECT_TRUE(waiting.contains(QStringLiteral("'history.staged' is to replace 'history.dat', "
                                                "'play.staged' is to replace 'play.dat'")));
    EXPECT_EQ(app_->PlayStore().Count(), 29u);

    ChooseFromMenu(Qt::Key_D, {Qt::Key_R});
    EXPECT_EQ(Responder().Texts().back(), waiting);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    // A save the views make (an edited outing) is refused the same way.
    EXPECT_FALSE(kui::Commit(nullptr, app_->PlayStore(), kvr::Added(MakePlay("4/3/2026", "X"))));
    EXPECT_EQ(Responder().Texts().back(), waiting);
    EXPECT_EQ(app_->PlayStore().StartNewGoalPeriod(), -1);
    EXPECT_EQ(ReadFile("play.dat"), play);
    app_.reset();

    std::filesystem::permissions("history.dat", std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    responder_ = std::make_unique<ScriptedResponder>();
    StartApp();
    EXPECT_TRUE(Responder().Shown().empty());
    std::map<std::string, int> found;
    for (unsigned i = 0; i < app_->PlayStore().Count(); ++i)
        ++found[app_->PlayStore().At(static_cast<int>(i))->who];
    KVR_History history;
    while (history.ReadNext() == 1)
        ++found[history.Current().who];
    EXPECT_EQ(found.size(), 32u);
    for (const auto& [who, times] : found)
        EXPECT_EQ(times, 1) << who;
    EXPECT_EQ(app_->PlayStore().Count(), 1u); // thirty closed, New2 left
    for (const char* left : {"play.commit", "history.staged", "play.staged"})
        EXPECT_FALSE(Exists(left)) << left;
}

// A dialog handler that types a name and presses "Let's Play Tennis".
ScriptedResponder::DialogHandler TypeName(const QString& name) {
    return [name](QDialog& dialog) {
        auto* field = dialog.findChild<QLineEdit*>(QStringLiteral("playerName"));
        auto* button = dialog.findChild<QPushButton*>(QStringLiteral("okButton"));
        EXPECT_TRUE(field && button);
        if (!field || !button)
            return int(QDialog::Rejected);
        field->setText(name);
        button->click();
        return dialog.result();
    };
}

TEST_F(StartupTest, WelcomeRepeatsUntilANameIsGivenAndKeepsIt) {
    Responder().QueueDialog([](QDialog&) { return int(QDialog::Rejected); }); // closed
    Responder().QueueDialog(TypeName(QString()));                             // empty
    Responder().QueueDialog(TypeName(QStringLiteral("   ")));                 // blanks only
    Responder().QueueDialog(TypeName(QStringLiteral("Chris Evert")));
    StartWindow();
    EXPECT_EQ(Responder().DialogsRun(), (std::vector<QString>(4, QStringLiteral("Welcome"))));
    EXPECT_EQ(app_->PlayerName(), QStringLiteral("Chris Evert"));
    EXPECT_EQ(ReadFile("coach.dat"), Lines({"KVR Coach Data Format 1.0", "Chris Evert"}));

    // The next run does not ask again and leaves coach.dat alone.
    app_.reset();
    Responder().Clear();
    StartWindow();
    EXPECT_TRUE(Responder().DialogsRun().empty());
    EXPECT_EQ(app_->PlayerName(), QStringLiteral("Chris Evert"));
    EXPECT_EQ(ReadFile("coach.dat"), Lines({"KVR Coach Data Format 1.0", "Chris Evert"}));
}

TEST_F(StartupTest, PlaceholderNameCountsAsFirstRunAndLongNamesAreCut) {
    WriteFile("coach.dat", Lines({"Pat Rally"}));
    Responder().QueueDialog([](QDialog& dialog) {
        auto* field = dialog.findChild<QLineEdit*>(QStringLiteral("playerName"));
        EXPECT_EQ(field->maxLength(), 24);
        // Text set past the field's limit (as a paste could) is still cut.
        field->setMaxLength(100);
        field->setText(QStringLiteral("Arantxa Sanchez Vicario the Second"));
        dialog.accept();
        return dialog.result();
    });
    StartWindow();
    EXPECT_EQ(app_->PlayerName(), QStringLiteral("Arantxa Sanchez Vicario "));
    EXPECT_EQ(app_->PlayerName().size(), 24);
}

TEST_F(StartupTest, StoredNameIsReadAsUtf8OrWindows1252) {
    WriteFile("coach.dat", "Andr\xe9 M\xfcller\r\n");
    StartWindow();
    EXPECT_TRUE(Responder().DialogsRun().empty());
    EXPECT_EQ(app_->PlayerName(), QString::fromUtf8("Andr\u00e9 M\u00fcller"));
}

TEST_F(StartupTest, UnreadableCoachFileAsksAndReportsAFailedSave) {
    // A link into a folder that is not there: no name yet, and none can be saved.
    std::filesystem::create_symlink("gone/coach.dat", "coach.dat");
    Responder().QueueDialog(TypeName(QStringLiteral("Steffi")));
    StartWindow();
    EXPECT_EQ(app_->PlayerName(), QStringLiteral("Steffi"));
    ASSERT_EQ(Responder().Shown().size(), 1u);
    EXPECT_TRUE(Responder().Shown()[0].text.startsWith(QStringLiteral("Unable to save your name")));
}

} // namespace
} // namespace kvrtest
