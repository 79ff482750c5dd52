// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/font_warmup.h"

#include <condition_variable>
#include <fontconfig/fontconfig.h>
#include <mutex>
#include <system_error>
#include <thread>

#include <QFontDatabase>
#include <QStringList>

namespace kui {
namespace {

// The thread and its hand-over; started, told and joined on the main thread
// only.
struct WarmUp {
    enum class Next { Wait, FillDatabase, Stop };
    std::thread thread;
    std::mutex mutex;
    std::condition_variable told;
    Next next = Next::Wait;
};

WarmUp& State() {
    static WarmUp state;
    return state;
}

// Tells the thread what to do once fontconfig is ready; the first word holds.
void Tell(WarmUp::Next next) {
    WarmUp& state = State();
    {
        std::lock_guard lock(state.mutex);
        if (state.next == WarmUp::Next::Wait)
            state.next = next;
    }
    state.told.notify_one();
}

} // namespace

int& StartFontWarmUp(int& argc) {
    WarmUp& state = State();
    if (state.thread.joinable())
        return argc;
    state.next = WarmUp::Next::Wait;
    // fontconfig may be used from any thread and keeps the first
    // configuration loaded, which Qt then finds ready. Qt's font database
    // may be filled from any thread too, but only once the application
    // object exists: the thread waits for that (or for FinishFontWarmUp).
    // If no thread can be made, the first text drawn does all of it.
    try {
        state.thread = std::thread([&state] {
            FcInit();
            std::unique_lock lock(state.mutex);
            state.told.wait(lock, [&state] { return state.next != WarmUp::Next::Wait; });
            const bool fill = state.next == WarmUp::Next::FillDatabase;
            lock.unlock();
            if (fill)
                QFontDatabase::families();
        });
    } catch (const std::system_error&) {
    }
    return argc;
}

void ApplicationReadyForFonts() {
    Tell(WarmUp::Next::FillDatabase);
}

void FinishFontWarmUp() {
    WarmUp& state = State();
    if (!state.thread.joinable())
        return;
    Tell(WarmUp::Next::Stop);
    state.thread.join();
}

} // namespace kui
