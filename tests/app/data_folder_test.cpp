// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/date.h"
#include "core/instance_lock.h"
#include "support/app_fixture.h"

#include <QSignalSpy>
#include <QTest>

namespace kvrtest {
namespace {

using DataFolderTest = AppTest;

const std::string kPlay = Lines({"ZBD Data File Format 2.0", "0"});

TEST_F(DataFolderTest, SecondStartTouchesNoFileAndSaysTheProgramRunsHere) {
    WriteFile("coach.dat", Lines({"Pat Smith"}));
    WriteFile("play.dat", kPlay);
    WriteFile("history.next", "an interrupted goal-period change"); // left for the holder
    kvr::InstanceLock running;
    WriteFile(kvr::kLockFile, "4242\n");

    TKvrWinApp& app = StartApp();
    EXPECT_TRUE(app.AlreadyRunning());
    EXPECT_FALSE(app.Ready());
    EXPECT_EQ(app.Run(kui::CommandTable()), 0);
    ASSERT_EQ(Responder().Shown().size(), 1u);
    const kui::Message& message = Responder().Shown()[0];
    EXPECT_TRUE(
        message.text.startsWith(QStringLiteral("Kavora is already running in this folder:\n") +
                                QString::fromStdString(kvr::CanonicalFolder())));
    EXPECT_EQ(message.icon, kui::Icon::Information);
    EXPECT_EQ(ReadFile("history.next"), "an interrupted goal-period change");
    EXPECT_EQ(ReadFile("play.dat"), kPlay);
    EXPECT_EQ(ReadFile(kvr::kLockFile), "4242\n");
    EXPECT_FALSE(Exists("backups"));
}

TEST_F(DataFolderTest, WindowOnScreenTakesItsIconMakesTheDayBackupAndAnswersASecondStart) {
    ZBD_Date::FixToday(7, 4, 2026);
    WriteFile("coach.dat", Lines({"Pat Smith"}));
    WriteFile("play.dat", kPlay);
    StartWindow();
    EXPECT_EQ(ReadFile(kvr::kLockFile), std::to_string(QCoreApplication::applicationPid()) + "\n");
    EXPECT_FALSE(Exists("backups")); // not before the window is on screen
    WaitForFirstPaint(Client());
    EXPECT_FALSE(Frame().windowIcon().isNull()); // taken up once on screen
    EXPECT_FALSE(QApplication::windowIcon().isNull());
    EXPECT_EQ(ReadFile("backups/2026-07-04/play.dat"), kPlay);
    EXPECT_EQ(ReadFile("backups/2026-07-04/coach.dat"), Lines({"Pat Smith"}));
    EXPECT_TRUE(Responder().Shown().empty());

    Frame().showMinimized();
    QSignalSpy called(app_.get(), &TKvrWinApp::CalledForward);
    ASSERT_TRUE(kvr::CallRunningInstance());
    ASSERT_TRUE(called.wait(5000));
    EXPECT_FALSE(Frame().isMinimized());
}

TEST_F(DataFolderTest, FailedBackupIsReportedAndTheProgramGoesOn) {
    WriteFile("coach.dat", Lines({"Pat Smith"}));
    WriteFile("play.dat", kPlay);
    WriteFile("backups", "a file where the folder should be");
    StartWindow();
    WaitForFirstPaint(Client());
    ASSERT_EQ(Responder().Shown().size(), 1u);
    const kui::Message& message = Responder().Shown()[0];
    EXPECT_TRUE(message.text.startsWith(QStringLiteral("Today's backup of your data files in "
                                                       "'backups/")));
    EXPECT_TRUE(message.text.contains(QStringLiteral("Not a directory")));
    EXPECT_EQ(message.icon, kui::Icon::Warning);
    EXPECT_TRUE(Frame().isVisible());
    EXPECT_EQ(ReadFile("play.dat"), kPlay);
}

} // namespace
} // namespace kvrtest
