// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes as every data file to its reader, in a private
// temporary folder.
#include "charting/chart_store.h"
#include "core/history.h"
#include "core/play_store.h"
#include "phonebook/phone_store.h"
#include "schedule/sched_store.h"
#include "tips/tip_store.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

void writeFile(const char* name, const uint8_t* data, size_t size) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char folder[] = "/tmp/kavora-fuzz-XXXXXX";
    if (!::mkdtemp(folder) || ::chdir(folder) != 0)
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Each input starts in an empty folder: rebuilds leave numbered copies.
    for (const auto& entry : std::filesystem::directory_iterator("."))
        std::filesystem::remove_all(entry.path());
    writeFile("play.dat", data, size);
    KVR_PlayData play;
    play.Load();
    writeFile("chart.dat", data, size);
    KVR_ChartClass charts;
    charts.Load();
    writeFile("sched.dat", data, size);
    SchedClass events;
    events.Load();
    events.Find("A", ZBD_Date(1, 1, 2001), 0);
    writeFile("phone.dat", data, size);
    KVR_PhoneData phone;
    phone.Load();
    phone.FindNext("a", 0);
    writeFile("serve.tip", data, size);
    TipClass tips;
    tips.Select("Serve");
    tips.Load();
    tips.CountAtLevel(1);
    // What the load could not read, the rebuild recovers.
    if (play.LoadResult() < 0)
        play.rebuild_file();
    if (charts.LoadResult() < 0)
        charts.rebuild_file();
    if (tips.LoadResult() < 0)
        tips.rebuild_file();

    writeFile("history.dat", data, size);
    KVR_History history;
    while (history.ReadNext() == 1) {
    }
    if (history.LoadResult() < 0)
        history.rebuild_file();
    history.CountRecords();
    history.Find(2, "a");
    history.SortByDate();
    phone.ComputeAllStats(play);
    return 0;
}
