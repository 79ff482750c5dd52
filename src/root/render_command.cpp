// SPDX-License-Identifier: GPL-3.0-or-later
#include "root/render_command.h"

#include "app/command_table.h"
#include "root/all_commands.h"
#include "root/command_line.h"
#include "root/headless.h"
#include "ui/image_export.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QRegularExpression>

namespace kui {

QStringList RenderViewNames() {
    CommandTable table;
    AddAllCommands(table);
    QStringList names;
    for (const ViewRow& view : table.Views())
        names << view.name;
    return names;
}

int RenderFromCommandLine(int argc, char** argv) {
    CommandTable table;
    AddAllCommands(table);
    auto usage = [](const QString& problem) {
        Complain(problem +
                 QStringLiteral("; usage: kavora --render VIEW --size WIDTHxHEIGHT "
                                "[--scale 1|1.5|2|...] --out FILE.png|.svg|.pdf; views: ") +
                 RenderViewNames().join(QStringLiteral(", ")));
        return 2;
    };

    QCommandLineParser parser;
    const QCommandLineOption render(QStringLiteral("render"), {}, QStringLiteral("view"));
    const QCommandLineOption sizeOption(QStringLiteral("size"), {}, QStringLiteral("size"));
    const QCommandLineOption out(QStringLiteral("out"), {}, QStringLiteral("file"));
    const QCommandLineOption scaleOption(QStringLiteral("scale"), {}, QStringLiteral("scale"));
    parser.addOptions({render, sizeOption, out, scaleOption});
    if (auto problem = CommandLineProblem(parser, argc, argv))
        return usage(*problem);

    const QString name = parser.value(render);
    const ViewRow* view = table.FindView(name);
    if (!view)
        return usage(QStringLiteral("unknown view '%1'").arg(name));
    static const QRegularExpression sizePattern(
        QStringLiteral("^([1-9][0-9]{0,4})x([1-9][0-9]{0,4})$"));
    const QRegularExpressionMatch sizeMatch = sizePattern.match(parser.value(sizeOption));
    const QSize size = sizeMatch.hasMatch()
                           ? QSize(sizeMatch.captured(1).toInt(), sizeMatch.captured(2).toInt())
                           : QSize();
    if (size.isEmpty() || size.width() > 10000 || size.height() > 10000)
        return usage(QStringLiteral("bad size '%1'").arg(parser.value(sizeOption)));
    // A high-density picture: the view laid out at --size, drawn at
    // `scale` device pixels to a pixel into a file `scale` times as large.
    qreal scale = 1;
    if (parser.isSet(scaleOption)) {
        bool number = false;
        scale = parser.value(scaleOption).toDouble(&number);
        if (!number || !(scale >= 1 && scale <= 4) || size.width() * scale > 10000 ||
            size.height() * scale > 10000)
            return usage(
                QStringLiteral("bad scale '%1' (from 1 to 4)").arg(parser.value(scaleOption)));
    }
    if (!IsImageFileName(parser.value(out)))
        return usage(QStringLiteral("bad output file '%1'").arg(parser.value(out)));
    const QString outFile = CallerPath(parser.value(out));
    if (const auto problem = OutFileProblem(outFile))
        return usage(*problem);

    // The view's button rows take their height from the widget style.
    return RunOnDataFolder(
        argc, argv, Toolkit::Widgets, [&](DataStores& stores, const QString& playerName) {
            const std::optional<Picture> picture = view->picture({stores, playerName});
            if (!picture)
                return 1;
            const QString error = SaveImage(*picture, size, outFile, scale);
            if (!error.isEmpty()) {
                Complain(
                    QStringLiteral("Unable to save the image to '%1': %2").arg(outFile, error));
                return 1;
            }
            return 0;
        });
}

} // namespace kui
