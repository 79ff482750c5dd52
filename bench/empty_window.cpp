// SPDX-License-Identifier: GPL-3.0-or-later
// The yardstick for start-up: the smallest Qt Widgets program with a main
// window of the program's size. It prints the wall-clock time of its first
// paint (nanoseconds since the epoch) the way kavora_probe --timing does, and
// quits. With --text it also draws one line of text, which shows what the
// first use of a font costs.

#include <chrono>
#include <cstdio>

#include <QApplication>
#include <QMainWindow>
#include <QPainter>
#include <QTimer>

namespace {

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
        auto now = std::chrono::system_clock::now().time_since_epoch();
        std::printf("first_paint_ns %lld\n",
                    static_cast<long long>(
                        std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
        std::fflush(stdout);
        QTimer::singleShot(0, qApp, &QApplication::quit);
    }

private:
    bool text_;
    bool reported_ = false;
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const bool text = argc > 1 && QByteArray(argv[1]) == "--text";
    QMainWindow window;
    window.setCentralWidget(new FirstPaint(text));
    window.move(10, 5);
    window.resize(600, 550);
    window.show();
    return app.exec();
}
