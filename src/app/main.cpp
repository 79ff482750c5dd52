// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/application.h"
#include "app/command_line.h"
#include "app/render_command.h"
#include "printing/print_command.h"

#include <QString>

namespace {

// The modes that work without a window: the first whose test is true runs,
// on the offscreen platform, so that it needs no display.
struct HeadlessMode {
    bool (*wants)(int argc, char** argv);
    int (*run)(int argc, char** argv);
};
constexpr HeadlessMode kHeadlessModes[] = {
    {kui::WantsRender, kui::RenderFromCommandLine},
    {kui::WantsPrint, kui::PrintFromCommandLine},
};

} // namespace

int main(int argc, char* argv[]) {
    const kui::CommandLine line = kui::ParseCommandLine(argc, argv);
    if (line.action == kui::CommandLine::Action::Exit)
        return kui::FinishCommandLine(line);
    if (line.action == kui::CommandLine::Action::Headless) {
        for (const HeadlessMode& mode : kHeadlessModes) {
            if (mode.wants(argc, argv)) {
                kui::UseOffscreenPlatform();
                return mode.run(argc, argv);
            }
        }
        return kui::FinishCommandLine(
            {.action = kui::CommandLine::Action::Exit,
             .mode = {},
             .exitCode = 2,
             .text = QStringLiteral("kavora: --%1 is not part of this build").arg(line.mode)});
    }
    TKvrWinApp app(argc, argv);
    return app.Run();
}
