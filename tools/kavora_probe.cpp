// SPDX-License-Identifier: GPL-3.0-or-later
// Starts the program as `kavora` does and, once the main window has painted
// for the first time, reports how long start-up took and can save a picture
// of the window. Used to measure start-up and to look at the window without
// a desktop:
//
//   kavora_probe [--timing] [--shot file.png] [--size WIDTHxHEIGHT | --maximized]
//                [--dialog NAME] [--menu TITLE] [--messages] [--stay SECONDS]
//
// --dialog opens a dialog over the window and saves a picture of it instead:
// welcome, about, charting, phone-entry (the phone book's first entry),
// rating-system, sched-event (the schedule's first event), sched-find,
// tips-select, tips-add, tip-edit (the first forehand tip) or print-name
// (the match notes' criteria).
//
// --menu opens the menu bar's menu TITLE (its text without the '&', a
// submenu as "Analyze>Graphs") and saves a picture of it instead.
//
// --timing prints the wall-clock times (nanoseconds since the epoch) at which
// main() was entered, the application object was made (data loaded), the
// main window was built, the first paint was done and the work deferred past
// it was done, and the time spent loading the data.
//
// --messages prints every message box as a line "message: TEXT" (line breaks
// as " | ") instead of showing it, and answers every question with No.
// --stay keeps the program running that long after the first paint,
// printing "called" each time a second start calls its window forward.

#include "app/about_dialog.h"
#include "app/application.h"
#include "app/client.h"
#include "app/main_window.h"
#include "app/welcome_dialog.h"
#include "charting/charting_dialog.h"
#include "phonebook/phone_dialogs.h"
#include "phonebook/phone_store.h"
#include "printing/print_name_dialog.h"
#include "root/all_commands.h"
#include "schedule/sched_dialogs.h"
#include "tips/tip_dialogs.h"
#include "tips/tip_store.h"
#include "ui/message.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>

namespace {

class PrintingResponder : public kui::Responder {
public:
    void Told(const kui::Message& message) override { Print(message); }
    bool Answer(const kui::Message& question) override {
        Print(question);
        return false;
    }
    int Run(QDialog&) override { return QDialog::Rejected; }

private:
    static void Print(const kui::Message& message) {
        QString text = message.text;
        text.replace(QLatin1Char('\n'), QStringLiteral(" | "));
        std::printf("message: %s\n", text.toUtf8().constData());
        std::fflush(stdout);
    }
};

long long NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

} // namespace

int main(int argc, char* argv[]) {
    const long long mainEntered = NowNs();
    bool timing = false;
    bool messages = false;
    int staySeconds = 0;
    bool maximized = false;
    std::string shot;
    std::string dialog;
    std::string menu;
    int width = 0;
    int height = 0;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--timing"))
            timing = true;
        else if (!std::strcmp(argv[i], "--maximized"))
            maximized = true;
        else if (!std::strcmp(argv[i], "--shot") && i + 1 < argc)
            shot = argv[++i];
        else if (!std::strcmp(argv[i], "--dialog") && i + 1 < argc)
            dialog = argv[++i];
        else if (!std::strcmp(argv[i], "--menu") && i + 1 < argc)
            menu = argv[++i];
        else if (!std::strcmp(argv[i], "--messages"))
            messages = true;
        else if (!std::strcmp(argv[i], "--stay") && i + 1 < argc)
            staySeconds = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--size") && i + 1 < argc)
            std::sscanf(argv[++i], "%dx%d", &width, &height);
    }

    PrintingResponder printing;
    if (messages)
        kui::SetResponder(&printing);
    TKvrWinApp app(argc, argv);
    const long long appMade = NowNs();
    if (app.AlreadyRunning())
        return 3;
    if (!app.Ready())
        return 0;
    kui::CommandTable commands;
    kui::AddAllCommands(commands);
    app.InitMainWindow(std::move(commands));
    const long long windowBuilt = NowNs();
    TKvrFrame* frame = app.Frame();
    if (maximized) {
        frame->setGeometry(frame->screen()->availableGeometry());
        frame->showMaximized();
    } else if (width > 0 && height > 0) {
        frame->resize(width, height);
    }

    QObject::connect(frame->Client(), &KvrClient::FirstPainted, &app, [&] {
        if (timing) {
            std::printf("main_ns %lld\napp_ns %lld\nwindow_ns %lld\nfirst_paint_ns %lld\n"
                        "load_ms %.3f\n",
                        mainEntered, appMade, windowBuilt, NowNs(), app.LoadMilliseconds());
            std::fflush(stdout);
            // The work deferred past the first paint (statistics, opponent
            // figures, backup) was queued before this call: what is queued
            // now runs once it is done.
            QMetaObject::invokeMethod(
                &app,
                [] {
                    std::printf("deferred_ns %lld\n", NowNs());
                    std::fflush(stdout);
                },
                Qt::QueuedConnection);
        }
        // Let the window settle (a resize, the menu bar) before the picture.
        QTimer::singleShot(shot.empty() ? 0 : 300, &app, [&] {
            if (!shot.empty()) {
                QWidget* target = frame;
                std::unique_ptr<QDialog> shown;
                if (dialog == "welcome")
                    shown = std::make_unique<TWelcomeDlg>(frame);
                else if (dialog == "about")
                    shown = std::make_unique<TAboutDlg>(frame);
                else if (dialog == "charting")
                    shown = std::make_unique<TChartingDlg>(frame, "5/14/2026", "Alex Moreno",
                                                           "6-4 3-6 7-5", 'S');
                else if (dialog == "phone-entry" && app.PhoneStore().At(0))
                    shown = std::make_unique<TPhoneAddDlg>(frame, *app.PhoneStore().At(0),
                                                           app.PhoneStore().Names());
                else if (dialog == "rating-system")
                    shown = std::make_unique<TUSTA_Ratings>(frame);
                else if (dialog == "sched-event" && app.SchedStore().At(0))
                    shown = std::make_unique<TSchedAddDlg>(frame, app.PhoneStore().Names(),
                                                           *app.SchedStore().At(0));
                else if (dialog == "sched-find")
                    shown = std::make_unique<TSchedFindDlg>(frame, app.PhoneStore(),
                                                            QStringLiteral("5/14/2026"));
                else if (dialog == "tips-select")
                    shown = std::make_unique<TTipsSelectDlg>(frame);
                else if (dialog == "tips-add")
                    shown = std::make_unique<TTipsAddDlg>(frame);
                else if (dialog == "print-name")
                    shown = std::make_unique<MPrintNameDlg>(frame, app.PhoneStore());
                else if (dialog == "tip-edit") {
                    app.TipStore().Select("Forehand");
                    app.TipStore().Load();
                    if (const TipRecord* tip = app.TipStore().At(0))
                        shown = std::make_unique<TTipEditDlg>(frame, *tip);
                }
                if (shown) {
                    shown->show();
                    shown->adjustSize();
                    target = shown.get();
                }
                QList<QAction*> entries = frame->menuBar()->actions();
                for (const QString& title :
                     QString::fromStdString(menu).split(QLatin1Char('>'), Qt::SkipEmptyParts)) {
                    for (QAction* entry : entries) {
                        if (entry->menu() && entry->text().remove(QLatin1Char('&')) == title) {
                            entry->menu()->popup(frame->mapToGlobal(QPoint(0, 0)));
                            entry->menu()->adjustSize();
                            target = entry->menu();
                            entries = entry->menu()->actions();
                            break;
                        }
                    }
                }
                target->grab().save(QString::fromStdString(shot));
            }
            if (staySeconds <= 0)
                app.quit();
        });
    });
    if (staySeconds > 0) {
        QObject::connect(&app, &TKvrWinApp::CalledForward, &app, [] {
            std::printf("called\n");
            std::fflush(stdout);
        });
        QTimer::singleShot(staySeconds * 1000, &app, &QApplication::quit);
    }
    return app.exec();
}
