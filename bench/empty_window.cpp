// SPDX-License-Identifier: GPL-3.0-or-later
// The yardstick for start-up: the smallest Qt Widgets program that shows
// what Kavora's first paint shows, a main window of the program's size with
// the program's menu bar (its eight titles) and one line of text (the
// player's name on the court). It prints the wall-clock time of its first
// paint (nanoseconds since the epoch) the way kavora_probe --timing does, and
// quits. With --bare it shows the main window alone, without menu bar or
// text, for reference.

#include <chrono>
#include <cstdio>

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QTimer>

namespace {

long long NowNs() {
    auto now = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::nanoseconds>(now).count();
}

long long mainEntered = 0;
long long appMade = 0;
long long windowBuilt = 0;

class FirstPaint : public QWidget {
public:
    explicit FirstPaint(bool text) : text_(text) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::darkGreen);
        if (text_)
            painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("Pat Smith"));
        if (reported_)
            return;
        reported_ = true;
        std::printf("main_ns %lld\napp_ns %lld\nwindow_ns %lld\nfirst_paint_ns %lld\n", mainEntered,
                    appMade, windowBuilt, NowNs());
        std::fflush(stdout);
        QTimer::singleShot(0, qApp, &QApplication::quit);
    }

private:
    bool text_;
    bool reported_ = false;
};

} // namespace

int main(int argc, char* argv[]) {
    mainEntered = NowNs();
    QApplication app(argc, argv);
    appMade = NowNs();
    const bool bare = argc > 1 && QByteArray(argv[1]) == "--bare";
    QMainWindow window;
    if (!bare) {
        for (const char* title : {"&Utilities", "&Data", "&Analyze", "&Tips/Drills", "&Printouts",
                                  "&Window", "&Help", "&Quit"})
            window.menuBar()->addMenu(QString::fromLatin1(title));
    }
    window.setCentralWidget(new FirstPaint(!bare));
    window.move(10, 5);
    window.resize(600, 550);
    windowBuilt = NowNs();
    window.show();
    return app.exec();
}
