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

// The thread and its hand-over; started, released and joined on the main
// thread only.
struct WarmUp {
    std::thread thread;
    std::mutex mutex;
    std::condition_variable released;
    bool appReady = false;
    bool started = false;
};

WarmUp& State() {
    static WarmUp state;
    return state;
}

void Release(bool appReady) {
    WarmUp& state = State();
    {
        std::lock_guard lock(state.mutex);
        state.appReady = state.appReady || appReady;
        state.started = true;
    }
    state.released.notify_one();
}

} // namespace

int& StartFontWarmUp(int& argc) {
    WarmUp& state = State();
    if (state.thread.joinable())
        return argc;
    // fontconfig may be used from any thread and keeps the first
    // configuration loaded, which Qt then finds ready. Qt's font database
    // may be filled from any thread too, but only once the application
    // object exists: the thread waits for that (or for FinishFontWarmUp).
    // If no thread can be made, the first text drawn does all of it.
    try {
        state.thread = std::thread([&state] {
            FcInit();
            std::unique_lock lock(state.mutex);
            state.released.wait(lock, [&state] { return state.started; });
            if (state.appReady) {
                lock.unlock();
                QFontDatabase::families();
            }
        });
    } catch (const std::system_error&) {
    }
    return argc;
}

void ApplicationReadyForFonts() {
    Release(true);
}

void FinishFontWarmUp() {
    WarmUp& state = State();
    if (!state.thread.joinable())
        return;
    Release(false);
    state.thread.join();
}

} // namespace kui
