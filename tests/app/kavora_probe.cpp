// Starts the program as `kavora` does and, once the main window has painted
// for the first time, reports how long start-up took and can save a picture
// of the window. Used to measure start-up and to look at the window without
// a desktop:
//
//   kavora_probe [--timing] [--shot file.png] [--size WIDTHxHEIGHT | --maximized]
//                [--dialog welcome|about] [--menu TITLE]
//
// --menu opens the menu bar's menu TITLE (its text without the '&', a
// submenu as "Analyze>Graphs") and saves a picture of it instead.
//
// --timing prints the wall-clock time of the first paint (nanoseconds since
// the epoch) and the time spent loading the data.

#include "app/about_dialog.h"
#include "app/application.h"
#include "app/client.h"
#include "app/main_window.h"
#include "app/welcome_dialog.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>

int main(int argc, char* argv[]) {
    bool timing = false;
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
        else if (!std::strcmp(argv[i], "--size") && i + 1 < argc)
            std::sscanf(argv[++i], "%dx%d", &width, &height);
    }

    TKvrWinApp app(argc, argv);
    if (!app.Ready())
        return 0;
    app.InitMainWindow();
    TKvrFrame* frame = app.Frame();
    if (maximized) {
        frame->setGeometry(frame->screen()->availableGeometry());
        frame->showMaximized();
    } else if (width > 0 && height > 0) {
        frame->resize(width, height);
    }

    QObject::connect(frame->Client(), &KvrClient::FirstPainted, &app, [&] {
        if (timing) {
            auto now = std::chrono::system_clock::now().time_since_epoch();
            std::printf("first_paint_ns %lld\nload_ms %.3f\n",
                        static_cast<long long>(
                            std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()),
                        app.LoadMilliseconds());
            std::fflush(stdout);
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
            app.quit();
        });
    });
    return app.exec();
}
