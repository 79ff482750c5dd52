// SPDX-License-Identifier: GPL-3.0-or-later
// The composition root: reads the command line, assembles the command table
// and hands it to the application, or runs a mode that needs no window.
// Nothing else includes the files of this folder.
#include "app/application.h"
#include "app/command_table.h"
#include "root/all_commands.h"
#include "root/command_line.h"
#include "root/import_command.h"
#include "root/print_command.h"
#include "root/render_command.h"

#include <QString>

namespace {

// The modes that work without a window, by the option that names them. Each
// reads its own options and runs on the offscreen platform.
struct HeadlessMode {
    const char* option;
    int (*run)(int argc, char** argv);
};
constexpr HeadlessMode kHeadlessModes[] = {
    {"render", kui::RenderFromCommandLine},
    {"print", kui::PrintFromCommandLine},
    {"export", kui::ExportFromCommandLine},
    {"import", kui::ImportFromCommandLine},
};

} // namespace

int main(int argc, char* argv[]) {
    const kui::CommandLine line = kui::ParseCommandLine(argc, argv);
    if (line.action == kui::CommandLine::Action::Exit)
        return kui::FinishCommandLine(line);
    if (line.action == kui::CommandLine::Action::Headless) {
        // A script reads what the mode says on stderr, nothing of the toolkit.
        kui::KeepToolkitQuiet();
        for (const HeadlessMode& mode : kHeadlessModes)
            if (line.mode == QLatin1String(mode.option))
                return mode.run(argc, argv);
        return kui::FinishCommandLine(
            {.action = kui::CommandLine::Action::Exit,
             .mode = {},
             .exitCode = 2,
             .text = QStringLiteral("kavora: --%1 is not part of this build").arg(line.mode)});
    }
    kui::CommandTable commands;
    kui::AddAllCommands(commands);
    TKvrWinApp app(argc, argv);
    return app.Run(std::move(commands));
}
