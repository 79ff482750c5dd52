// SPDX-License-Identifier: GPL-3.0-or-later
// The floor of the headless modes (bench/headless_pair.sh): reads the data
// files of the working folder once, as the program's stores read them, and
// does nothing else. The five stores are loaded and the past records read
// from history.dat once (what the statistics need); nothing is written.
// With --toolkit it also starts the GUI toolkit on the offscreen platform
// and draws one line of text into a picture, the toolkit's own start.

#include "charting/chart_store.h"
#include "core/past_records.h"
#include "core/play_store.h"
#include "core/safe_file.h"
#include "phonebook/phone_store.h"
#include "schedule/sched_store.h"
#include "tips/tip_store.h"

#include <cstdio>
#include <cstring>

#include <QApplication>
#include <QImage>
#include <QPainter>

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--toolkit") == 0) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        QImage image(600, 100, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&image);
        painter.drawText(10, 50, QStringLiteral("Kavora"));
        return 0;
    }
    const kvr::ReadOnlyData readOnly;
    KVR_PlayData play;
    KVR_PhoneData phones;
    SchedClass schedule;
    KVR_ChartClass charts;
    TipClass tips;
    tips.Select("Forehand");
    const int loaded = play.Load() + phones.Load() + schedule.Load() + charts.Load() + tips.Load();
    const auto past = kvr::PastRecords::Read();
    std::printf("%d %zu\n", loaded, past.Outings().size());
    return 0;
}
