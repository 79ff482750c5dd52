// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

#include <QString>
#include <QStringList>

class QCommandLineParser;

namespace kui {

// What the command line asks for, read before any application object exists
// so that it works without a display.
struct CommandLine {
    enum class Action {
        Window,   // start the program with its main window
        Headless, // run the mode named by `mode` without a window
        Exit,     // print `text` and end with `exitCode`
    };
    Action action = Action::Window;
    // The option of the headless mode ("render", "print").
    QString mode;
    int exitCode = 0;
    // For Exit: the help or the version for stdout (exit code 0), or a one-line
    // complaint for stderr (exit code 2).
    QString text;
};

// Reads the arguments (the program's name first). Options of the window
// system that Qt itself reads (-platform, -style, ...) are let through for
// the window. A headless mode checks its own options: a command line that
// names one goes to it unless it asks for the help or the version, or names
// two modes.
CommandLine ParseCommandLine(const QStringList& arguments);
CommandLine ParseCommandLine(int argc, char** argv);

// Prints what an Exit asks for, on stdout or stderr, and returns its exit code.
int FinishCommandLine(const CommandLine& line);

// What the modes without a window say. Exit codes: 0 done, 1 failed (the
// data, the input or the output), 2 a bad command line, 3 (--import)
// imported with rows skipped.
//
// A complaint: "kavora: " and `text` as one line on stderr (its line breaks
// become spaces), so that a script can show or match it whole.
void Complain(const QString& text);
// One line of a result on stdout.
void SayResult(const QString& line);
// Keeps the toolkit's own chatter (warnings about the environment, fonts,
// the platform) off stderr for the rest of the run, so that stderr holds
// only complaints; its critical and fatal messages are complaints too.
// KAVORA_TOOLKIT_MESSAGES=1 lets its warnings through as well, for looking
// into a problem.
void KeepToolkitQuiet();

// The arguments as text, the program's name first.
QStringList Arguments(int argc, char** argv);

// For a headless mode: parses the arguments with the mode's options set on
// `parser`. Returns what is wrong with them, to stand before the mode's usage
// line (an unknown option, a missing value, an argument no option takes), or
// nothing.
std::optional<QString> CommandLineProblem(QCommandLineParser& parser, int argc, char** argv);

// A file named on the command line: a relative name is taken from the
// folder the caller stood in when the launcher entered the data folder
// (KAVORA_CALLER_DIR), else from the working folder.
QString CallerPath(const QString& name);
// Why an --out file (a CallerPath) may not be written: it names a data file
// of the data folder, or the folder itself; nullopt when it may.
std::optional<QString> OutFileProblem(const QString& outFile);

} // namespace kui
