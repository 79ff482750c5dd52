// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/application.h"
#include "app/child.h"
#include "app/client.h"
#include "app/main_window.h"
#include "app/sound.h"
#include "support/scripted_responder.h"
#include "support/temp_dir.h"

#include <memory>
#include <optional>

#include <QPaintEvent>

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

// Each test runs in its own folder with a scripted answerer for every
// message box and dialog; the application object is made by the test, after
// it has laid out the files.
class AppTest : public TempDirTest {
protected:
    void TearDown() override {
        app_.reset();
        responder_.reset();
        TempDirTest::TearDown();
    }

    // Starts the application: the stores are loaded, the messages recorded.
    TKvrWinApp& StartApp() {
        static int argc = 1;
        static char name[] = "kavora_test";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<TKvrWinApp>(argc, argv);
        return *app_;
    }

    // Starts the application and builds its main window, with a fake click.
    TKvrWinApp& StartWindow() {
        StartApp().InitMainWindow();
        Client().SetClickSound(std::make_unique<FakeSound>(&clicks_));
        return *app_;
    }

    KvrClient& Client() { return *app_->Client(); }
    TKvrFrame& Frame() { return *app_->Frame(); }
    ScriptedResponder& Responder() { return *responder_; }

    std::unique_ptr<ScriptedResponder> responder_ = std::make_unique<ScriptedResponder>();
    std::unique_ptr<TKvrWinApp> app_;
    int clicks_ = 0;
};

} // namespace kvrtest
