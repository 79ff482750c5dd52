// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/font_warmup.h"

#include <system_error>
#include <thread>

#include <QFontDatabase>
#include <QStringList>

namespace kui {
namespace {

// Started and joined on the main thread only.
std::thread& WarmUpThread() {
    static std::thread thread;
    return thread;
}

bool started = false;

} // namespace

void StartFontWarmUp() {
    if (started)
        return;
    started = true;
    // The font database may be used from any thread; the first use fills it.
    // Whatever the main thread needs of it meanwhile waits for that to end
    // and is then found ready. If no thread can be made, the first text
    // drawn fills it as before.
    try {
        WarmUpThread() = std::thread([] { QFontDatabase::families(); });
    } catch (const std::system_error&) {
    }
}

void FinishFontWarmUp() {
    if (WarmUpThread().joinable())
        WarmUpThread().join();
}

} // namespace kui
