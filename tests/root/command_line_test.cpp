// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/app_id.h"
#include "root/command_line.h"
#include "root/render_command.h"

#include <memory>

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace {

using kui::CommandLine;
using kui::ParseCommandLine;

CommandLine Parse(QStringList arguments) {
    arguments.prepend(QStringLiteral("kavora"));
    return ParseCommandLine(arguments);
}

// A bad command line is told in one line, and the exit code is 2.
void ExpectComplaint(const QStringList& arguments, const QString& problem) {
    const CommandLine line = Parse(arguments);
    EXPECT_EQ(line.action, CommandLine::Action::Exit) << arguments.join(' ').toStdString();
    EXPECT_EQ(line.exitCode, 2) << arguments.join(' ').toStdString();
    EXPECT_FALSE(line.text.contains(QLatin1Char('\n'))) << line.text.toStdString();
    EXPECT_TRUE(line.text.startsWith(QStringLiteral("kavora: ") + problem))
        << line.text.toStdString();
}

TEST(CommandLineTest, ChoosesTheWindowOrAHeadlessMode) {
    EXPECT_EQ(Parse({}).action, CommandLine::Action::Window);
    // What QApplication reads for itself reaches it, in Qt's spelling.
    EXPECT_EQ(Parse({"-platform", "xcb", "-style", "fusion", "-reverse"}).action,
              CommandLine::Action::Window);

    const CommandLine render = Parse({"--render", "charts", "--size", "10x10", "--out", "a.png"});
    EXPECT_EQ(render.action, CommandLine::Action::Headless);
    EXPECT_EQ(render.mode, QStringLiteral("render"));
    const CommandLine print = Parse({"--print=match", "--opponent", "Smith", "--out", "a.pdf"});
    EXPECT_EQ(print.action, CommandLine::Action::Headless);
    EXPECT_EQ(print.mode, QStringLiteral("print"));

    // What is wrong with a mode's own options, the mode tells with its usage.
    for (const QStringList& arguments :
         {QStringList{"--render"}, QStringList{"--render=charts", "--colour", "--out", "a"},
          QStringList{"--print", "form", "extra"}}) {
        const CommandLine line = Parse(arguments);
        EXPECT_EQ(line.action, CommandLine::Action::Headless) << arguments.join(' ').toStdString();
        EXPECT_EQ(line.mode, arguments.first().section('=', 0, 0).remove('-'));
    }
}

TEST(CommandLineTest, RefusesWhatItCannotDo) {
    ExpectComplaint({"--bogus"}, QStringLiteral("Unknown option 'bogus'"));
    ExpectComplaint({"--size"}, QStringLiteral("Missing value after '--size'"));
    ExpectComplaint({"notes.txt"}, QStringLiteral("unexpected argument 'notes.txt'"));
    ExpectComplaint({"--size", "10x10"}, QStringLiteral("--size needs --render or --print"));
    ExpectComplaint({"--out", "a.pdf"},
                    QStringLiteral("--out needs --render, --print or --export"));
    ExpectComplaint({"--dry-run"}, QStringLiteral("--dry-run needs --import"));
    ExpectComplaint({"--scale", "2"}, QStringLiteral("--scale needs --render or --print"));
    ExpectComplaint({"--render", "charts", "--print", "form", "--out", "a.pdf"},
                    QStringLiteral("--render and --print cannot be used together"));
    ExpectComplaint({"-render", "charts", "--size", "1x1", "--out", "a.png"},
                    QStringLiteral("write --render with two dashes"));
}

TEST(CommandLineTest, HelpListsEveryOptionAndTheViews) {
    for (const char* option : {"-h", "--help"}) {
        const CommandLine line = Parse({QString::fromLatin1(option)});
        EXPECT_EQ(line.action, CommandLine::Action::Exit);
        EXPECT_EQ(line.exitCode, 0);
        for (const char* expected :
             {"kavora --render VIEW --size WIDTHxHEIGHT [--scale SCALE] --out FILE",
              "--scale <SCALE>",
              "kavora --print match|practice|lesson|form [--opponent TEXT] --out FILE.pdf",
              "kavora --export notes|ratings|calendar|contacts --out FILE",
              "kavora --import FILE.csv [--dry-run]", "--dry-run", "--version", "--opponent <TEXT>",
              "--out <FILE>", "--list-views", "charting-strokes", "tips."})
            EXPECT_TRUE(line.text.contains(QString::fromLatin1(expected)))
                << expected << " missing from\n"
                << line.text.toStdString();
        EXPECT_FALSE(line.text.contains(QStringLiteral("platform"))) << line.text.toStdString();
    }
}

// The views one per line, for scripts: each a name --render takes.
TEST(CommandLineTest, ListsTheViewsOnePerLine) {
    const CommandLine line = Parse({"--list-views"});
    EXPECT_EQ(line.action, CommandLine::Action::Exit);
    EXPECT_EQ(line.exitCode, 0);
    const QStringList views = line.text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_EQ(views, kui::RenderViewNames());
    EXPECT_TRUE(views.contains(QStringLiteral("charting-strokes")));
}

// The program itself, with no display of any kind: --help and --version
// print and end without touching the window system.
TEST(CommandLineTest, ProgramAnswersWithoutADisplay) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    auto run = [&](const QStringList& arguments) {
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(environment);
        process->start(QStringLiteral(KAVORA_PROGRAM), arguments);
        EXPECT_TRUE(process->waitForFinished());
        EXPECT_EQ(process->exitStatus(), QProcess::NormalExit);
        return process;
    };

    const auto version = run({QStringLiteral("--version")});
    EXPECT_EQ(version->exitCode(), 0);
    EXPECT_EQ(version->readAllStandardOutput(),
              QByteArray("kavora ") + QByteArray(kui::kAppVersion) + '\n');
    EXPECT_EQ(version->readAllStandardError(), QByteArray());

    const auto help = run({QStringLiteral("--help")});
    EXPECT_EQ(help->exitCode(), 0);
    EXPECT_TRUE(help->readAllStandardOutput().startsWith("Usage: kavora [options]\n"));
    EXPECT_EQ(help->readAllStandardError(), QByteArray());

    const auto bad = run({QStringLiteral("--size"), QStringLiteral("3x3")});
    EXPECT_EQ(bad->exitCode(), 2);
    EXPECT_EQ(bad->readAllStandardOutput(), QByteArray());
    const QByteArray error = bad->readAllStandardError();
    EXPECT_EQ(error.count('\n'), 1) << error.toStdString();
    EXPECT_TRUE(error.startsWith("kavora: --size needs --render or --print"))
        << error.toStdString();
}

} // namespace
