// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/application.h"
#include "app/child.h"
#include "app/client.h"
#include "app/main_window.h"
#include "app/sound.h"
#include "root/all_commands.h"
#include "support/records.h"
#include "support/scripted_responder.h"
#include "support/temp_dir.h"

#include <initializer_list>
#include <memory>
#include <optional>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QKeySequence>
#include <QPaintEvent>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

namespace kvrtest {

// Counts clicks instead of playing them.
class FakeSound : public ClickSound {
public:
    explicit FakeSound(int* plays) : plays_(plays) {}
    bool Play() override {
        ++*plays_;
        return true;
    }

private:
    int* plays_;
};

// A view that counts its paints. It stands for a view that draws every
// store, so it repaints on every change signal.
class CountingView : public TKvrChild {
public:
    CountingView(KvrClient& client, int id, const QString& title, int* paints)
        : TKvrChild(client, id, title), paints_(paints) {
        RepaintOn({kui::Store::Play, kui::Store::Chart, kui::Store::Schedule, kui::Store::Phone,
                   kui::Store::Tips});
    }

protected:
    void Render(QPainter&, QSize) override { ++*paints_; }

private:
    int* paints_;
};

// The widget named `name` among `parent`'s children (null when none).
template <class T> T* Field(QObject& parent, const char* name) {
    return parent.findChild<T*>(QString::fromLatin1(name));
}

// Shows a dialog and waits until it is the active window, as it is when a
// player types into it; false when it never became active.
inline bool ShowActive(QWidget& dialog) {
    dialog.show();
    dialog.activateWindow();
    return QTest::qWaitForWindowActive(&dialog);
}

// The rows of an import preview's list of what it stores ("records"), each
// row's cells joined by '|'.
inline std::vector<QString> ListedRows(QDialog& preview) {
    std::vector<QString> rows;
    auto* records = Field<QTreeWidget>(preview, "records");
    for (int i = 0; records && i < records->topLevelItemCount(); ++i) {
        QStringList cells;
        for (int column = 0; column < records->columnCount(); ++column)
            cells << records->topLevelItem(i)->text(column);
        rows.push_back(cells.join(QLatin1Char('|')));
    }
    return rows;
}

// Presses the button named `name` of a view or dialog as a click on it does.
inline void Press(QWidget& parent, const char* name) {
    auto* button = Field<QPushButton>(parent, name);
    ASSERT_NE(button, nullptr) << "no button " << name;
    button->click();
}

// Writes the player's name (coach.dat) into the working folder.
inline void WriteCoach() {
    WriteFile("coach.dat", Lines({"Pat Smith"}));
}

// Waits for the window's first paint and the work queued after it (the
// day's backup), at most a minute.
inline void WaitForFirstPaint(KvrClient& client) {
    QSignalSpy painted(&client, &KvrClient::FirstPainted);
    ASSERT_TRUE(painted.wait(60000));
    QCoreApplication::processEvents();
}

// Each test runs in its own folder with a scripted answerer for every
// message box and dialog; the application object is made by the test, after
// it has laid out the files.
class AppTest : public TempDirTest {
protected:
    void TearDown() override {
        app_.reset();
        responder_.reset();
        config_.reset();
        TempDirTest::TearDown();
    }

    // Starts the application: the stores are loaded, the messages recorded.
    // The player's settings (the main window's place) are the test's own,
    // in a folder of its own beside the data folder, never the user's.
    TKvrWinApp& StartApp() {
        static int argc = 1;
        static char name[] = "kavora_test";
        static char* argv[] = {name, nullptr};
        if (!config_) {
            config_ = std::make_unique<QTemporaryDir>();
            QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config_->path());
        }
        app_ = std::make_unique<TKvrWinApp>(argc, argv);
        return *app_;
    }

    // The folder of the test's settings.
    QString ConfigFolder() const { return config_ ? config_->path() : QString(); }

    // Starts the application and builds its main window, with a fake click.
    TKvrWinApp& StartWindow() {
        kui::CommandTable commands;
        kui::AddAllCommands(commands);
        StartApp().InitMainWindow(std::move(commands));
        Client().SetClickSound(std::make_unique<FakeSound>(&clicks_));
        return *app_;
    }

    KvrClient& Client() { return *app_->Client(); }
    TKvrFrame& Frame() { return *app_->Frame(); }
    ScriptedResponder& Responder() { return *responder_; }

    // Alt and the menu's letter on the main window, then the letters of the
    // items down to the command, each typed into the menu that opened.
    void ChooseFromMenu(Qt::Key menu, std::initializer_list<Qt::Key> items) {
        QTest::keyClick(&Frame(), menu, Qt::AltModifier);
        for (Qt::Key item : items) {
            QWidget* popup = QApplication::activePopupWidget();
            ASSERT_NE(popup, nullptr) << "menu " << QKeySequence(menu).toString().toStdString();
            QTest::keyClick(popup, item);
        }
    }

    // Carries out a menu command that opens a view and returns the view it
    // opened under `viewId` (a failed test when there is none of type View).
    template <class View> View& OpenFromMenu(int command, int viewId) {
        Client().Command(command);
        auto* view = qobject_cast<View*>(Client().FindView(viewId));
        EXPECT_NE(view, nullptr) << "no view " << viewId << " after command " << command;
        return *view;
    }

    // The text of the last message shown, after its caption ("" when none).
    QString LastMessage() const {
        const auto& shown = responder_->Shown();
        return shown.empty() ? QString() : shown.back().caption + ": " + shown.back().text;
    }

    // Queues the answer to a file dialog: the file `name` chosen and accepted.
    void QueueFileChoice(const QString& name) {
        // The dialog opens in the home folder: the name is the test folder's.
        Responder().QueueDialog([name = QDir::current().absoluteFilePath(name)](QDialog& dialog) {
            dynamic_cast<QFileDialog&>(dialog).selectFile(name);
            dialog.accept();
            return dialog.result();
        });
    }

    // Queues a dialog handler that fills the dialog and presses OK (accepts it).
    template <class Fill> void QueueAccept(Fill fill) {
        Responder().QueueDialog([fill](QDialog& dialog) {
            fill(dialog);
            dialog.accept();
            return dialog.result();
        });
    }

    std::unique_ptr<ScriptedResponder> responder_ = std::make_unique<ScriptedResponder>();
    std::unique_ptr<QTemporaryDir> config_;
    std::unique_ptr<TKvrWinApp> app_;
    int clicks_ = 0;
};

} // namespace kvrtest
