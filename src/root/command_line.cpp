// SPDX-License-Identifier: GPL-3.0-or-later
#include "root/command_line.h"

#include "app/app_id.h"
#include "core/backups.h"
#include "root/render_command.h"

#include <cstdio>

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kui {
namespace {

// The parser's complaint without its full stop, to stand before more text.
QString ParseError(const QCommandLineParser& parser) {
    QString error = parser.errorText();
    if (error.endsWith(QLatin1Char('.')))
        error.chop(1);
    return error;
}

QString Complaint(const QString& problem) {
    return QStringLiteral("kavora: %1; try 'kavora --help'").arg(problem);
}

CommandLine Exit(int code, const QString& text) {
    return {.action = CommandLine::Action::Exit, .mode = {}, .exitCode = code, .text = text};
}

CommandLine Headless(const QString& mode) {
    return {.action = CommandLine::Action::Headless, .mode = mode, .exitCode = 0, .text = {}};
}

// The headless mode that an argument names ("--print", "--render=notes"), or
// nothing. The modes read their options in this form only.
QString NamedMode(const QStringList& arguments) {
    for (const QString& argument : arguments.mid(1)) {
        const QString name = argument.section(QLatin1Char('='), 0, 0);
        if (name == QStringLiteral("--render") || name == QStringLiteral("--print") ||
            name == QStringLiteral("--export") || name == QStringLiteral("--import"))
            return name.mid(2);
    }
    return {};
}

// Options that QApplication reads for itself: accepted for the window and
// left out of the help.
void AddWindowSystemOptions(QCommandLineParser& parser) {
    const char* const withValue[] = {
        "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
        "geometry", "qwindowicon",        "qwindowtitle",  "title",  "session",
        "style",    "stylesheet",         "display",       "name"};
    const char* const flags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};
    for (const char* name : withValue) {
        QCommandLineOption option(QString::fromLatin1(name), {}, QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name : flags) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

} // namespace

CommandLine ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    // "-platform xcb" as Qt writes it, not "-p -l -a ...".
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("Kavora keeps a tennis training log in the data folder it is started in."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this help and exits."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Shows the version and exits."));
    const QCommandLineOption render(
        QStringLiteral("render"),
        QStringLiteral("Draws one view of the data in the working folder into a PNG, SVG or PDF "
                       "file without a window (with --size and --out). Views: ") +
            RenderViewNames().join(QStringLiteral(", ")) + QLatin1Char('.'),
        QStringLiteral("VIEW"));
    const QCommandLineOption listViews(
        QStringLiteral("list-views"),
        QStringLiteral("Prints the names of the views --render draws, one per line, and exits."));
    const QCommandLineOption size(QStringLiteral("size"),
                                  QStringLiteral("The size of the picture --render draws."),
                                  QStringLiteral("WIDTHxHEIGHT"));
    const QCommandLineOption scale(
        QStringLiteral("scale"),
        QStringLiteral("With --render: draws the view laid out at --size at SCALE times the "
                       "density, into a picture SCALE times as large (2 for a high-density "
                       "screen; from 1 to 4)."),
        QStringLiteral("SCALE"));
    const QCommandLineOption print(
        QStringLiteral("print"),
        QStringLiteral("Writes match, practice or lesson notes, or the blank court form, to a PDF "
                       "without a window (with --out)."),
        QStringLiteral("match|practice|lesson|form"));
    const QCommandLineOption opponent(
        QStringLiteral("opponent"),
        QStringLiteral("With --print match: only the matches against an "
                       "opponent whose name contains TEXT."),
        QStringLiteral("TEXT"));
    const QCommandLineOption exportOption(
        QStringLiteral("export"),
        QStringLiteral("Writes the notes or the stroke ratings as CSV, the calendar as "
                       "iCalendar or the phone book as vCard, as the menus do, without a window "
                       "and without writing to the data folder (with --out)."),
        QStringLiteral("notes|ratings|calendar|contacts"));
    const QCommandLineOption import(
        QStringLiteral("import"),
        QStringLiteral(
            "Imports a file into the data folder of the working folder as the "
            "menus import it (outings from a .csv file, events from an .ics "
            "calendar, phone book entries from a .vcf file), and prints what came in and "
            "every row it could not read; refused while Kavora runs on that folder. Exit code "
            "0 imported, 1 nothing imported, 3 imported with rows skipped."),
        QStringLiteral("FILE"));
    const QCommandLineOption dryRun(
        QStringLiteral("dry-run"),
        QStringLiteral("With --import: prints what would come in, and stores nothing (it takes "
                       "no lock, so it may run while Kavora is open)."));
    const QCommandLineOption dates(
        QStringLiteral("dates"),
        QStringLiteral("With --import of a .csv file whose slash dates could be read either "
                       "way: mdy reads them month/day, dmy day/month."),
        QStringLiteral("mdy|dmy"));
    const QCommandLineOption out(QStringLiteral("out"),
                                 QStringLiteral("The file --render, --print or --export writes."),
                                 QStringLiteral("FILE"));
    parser.addOptions({help, version, listViews, render, size, scale, print, opponent, exportOption,
                       import, dryRun, dates, out});
    AddWindowSystemOptions(parser);

    if (!parser.parse(arguments)) {
        // A headless mode tells what is wrong with its own options, with its
        // usage.
        if (const QString mode = NamedMode(arguments); !mode.isEmpty())
            return Headless(mode);
        return Exit(2, Complaint(ParseError(parser)));
    }
    if (parser.isSet(help)) {
        QString text = parser.helpText();
        text.replace(
            QStringLiteral("<executable_name> [options]"),
            QStringLiteral(
                "kavora [options]\n"
                "       kavora --render VIEW --size WIDTHxHEIGHT [--scale SCALE] --out FILE\n"
                "       kavora --print match|practice|lesson|form "
                "[--opponent TEXT] --out FILE.pdf\n"
                "       kavora --export notes|ratings|calendar|contacts --out FILE\n"
                "       kavora --import FILE.csv [--dry-run] [--dates mdy|dmy]\n"));
        text += QStringLiteral("\nResults go to stdout, complaints to stderr as 'kavora: ...' "
                               "lines.\nExit codes: 0 done, 1 failed, 2 a bad command line, 3 "
                               "imported with rows skipped (--import).\n");
        return Exit(0, text);
    }
    if (parser.isSet(version))
        return Exit(0, QStringLiteral("kavora %1\n").arg(QString::fromLatin1(kAppVersion)));
    if (parser.isSet(listViews))
        return Exit(0, RenderViewNames().join(QLatin1Char('\n')) + QLatin1Char('\n'));

    QStringList modes;
    for (const QCommandLineOption* mode : {&render, &print, &exportOption, &import})
        if (parser.isSet(*mode))
            modes << mode->names().first();
    if (modes.size() > 1)
        return Exit(
            2,
            Complaint(
                QStringLiteral("--%1 and --%2 cannot be used together").arg(modes[0], modes[1])));
    if (!modes.isEmpty() && NamedMode(arguments) != modes.first())
        return Exit(2, Complaint(QStringLiteral("write --%1 with two dashes").arg(modes.first())));
    if (modes.isEmpty()) {
        if (!parser.positionalArguments().isEmpty())
            return Exit(2, Complaint(QStringLiteral("unexpected argument '%1'")
                                         .arg(parser.positionalArguments().first())));
        for (const QCommandLineOption* option : {&size, &scale, &opponent})
            if (parser.isSet(*option))
                return Exit(2, Complaint(QStringLiteral("--%1 needs --render or --print")
                                             .arg(option->names().first())));
        if (parser.isSet(out))
            return Exit(2, Complaint(QStringLiteral("--out needs --render, --print or --export")));
        for (const QCommandLineOption* option : {&dryRun, &dates})
            if (parser.isSet(*option))
                return Exit(
                    2,
                    Complaint(QStringLiteral("--%1 needs --import").arg(option->names().first())));
        return {};
    }
    return Headless(modes.first());
}

CommandLine ParseCommandLine(int argc, char** argv) {
    return ParseCommandLine(Arguments(argc, argv));
}

int FinishCommandLine(const CommandLine& line) {
    const QByteArray text = line.text.toLocal8Bit();
    std::FILE* stream = line.exitCode == 0 ? stdout : stderr;
    std::fputs(text.constData(), stream);
    if (!text.endsWith('\n'))
        std::fputc('\n', stream);
    return line.exitCode;
}

void Complain(const QString& text) {
    QString line = text.trimmed();
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::fprintf(stderr, "kavora: %s\n", line.toLocal8Bit().constData());
}

void SayResult(const QString& line) {
    std::fprintf(stdout, "%s\n", line.toLocal8Bit().constData());
}

namespace {

bool toolkitVerbose = false;

void ToolkitMessage(QtMsgType type, const QMessageLogContext& /*context*/, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg || (toolkitVerbose && type != QtDebugMsg))
        Complain(message);
    // After a fatal message Qt ends the program once this returns.
}

} // namespace

void KeepToolkitQuiet() {
    toolkitVerbose = qEnvironmentVariable("KAVORA_TOOLKIT_MESSAGES") == QLatin1String("1");
    qInstallMessageHandler(ToolkitMessage);
}

QStringList Arguments(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

std::optional<QString> CommandLineProblem(QCommandLineParser& parser, int argc, char** argv) {
    if (!parser.parse(Arguments(argc, argv)))
        return ParseError(parser);
    if (!parser.positionalArguments().isEmpty())
        return QStringLiteral("unexpected '%1'").arg(parser.positionalArguments().first());
    return std::nullopt;
}

QString CallerPath(const QString& name) {
    const QString caller = qEnvironmentVariable("KAVORA_CALLER_DIR");
    if (caller.isEmpty() || QFileInfo(name).isAbsolute())
        return QFileInfo(name).absoluteFilePath();
    return QFileInfo(QDir(caller), name).absoluteFilePath();
}

std::optional<QString> OutFileProblem(const QString& outFile) {
    if (!kvr::NamesDataFile(QFile::encodeName(outFile).toStdString()))
        return std::nullopt;
    return QStringLiteral("'%1' is one of Kavora's data files, or its data folder; choose "
                          "another --out")
        .arg(outFile);
}

} // namespace kui
