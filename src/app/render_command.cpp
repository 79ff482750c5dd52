// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/render_command.h"

#include "app/app_commands.h"
#include "app/application.h"
#include "app/child.h"
#include "app/client.h"
#include "app/command_line.h"
#include "app/command_table.h"
#include "core/instance_lock.h"
#include "ui/image_export.h"
#include "ui/message.h"

#include <cstdio>
#include <memory>

#include <QCommandLineParser>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace kui {
namespace {

// Nobody is there to answer: messages go to stderr, questions are answered
// No and dialogs cancelled.
class StderrResponder : public Responder {
public:
    void Told(const Message& message) override { SayOnStderr(message.text); }
    bool Answer(const Message& question) override {
        SayOnStderr(question.text);
        return false;
    }
    int Run(QDialog& /*dialog*/) override { return QDialog::Rejected; }
};

// Copies the data files of the working folder into `scratch`, so that
// whatever loading writes (an old file layout brought up to date) lands in
// the copy and never in the player's files.
bool CopyDataFiles(const QString& scratch) {
    const QDir here = QDir::current();
    for (const QFileInfo& file : here.entryInfoList(QDir::Files | QDir::Hidden)) {
        if (file.fileName() == QString::fromLatin1(kvr::kLockFile))
            continue;
        if (!QFile::copy(file.absoluteFilePath(), scratch + QLatin1Char('/') + file.fileName()))
            return false;
    }
    return true;
}

} // namespace

void SayOnStderr(const QString& text) {
    QString line = text.trimmed();
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::fprintf(stderr, "kavora: %s\n", line.toLocal8Bit().constData());
}

int RunOnDataCopy(int argc, char** argv, const std::function<int(TKvrWinApp&)>& work) {
    // No screen is needed, and none may be there.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir scratch;
    if (!scratch.isValid() || !CopyDataFiles(scratch.path()) || !QDir::setCurrent(scratch.path())) {
        SayOnStderr(QStringLiteral("unable to read the data files of this folder"));
        return 1;
    }

    StderrResponder responder;
    SetResponder(&responder);
    int code = 1;
    {
        TKvrWinApp app(argc, argv, TKvrWinApp::StartMode::ReadOnly);
        if (app.Ready())
            code = work(app);
    }
    SetResponder(nullptr);
    return code;
}

int RenderFromCommandLine(int argc, char** argv) {
    CommandTable table;
    AddAllCommands(table);
    QStringList names;
    for (const ViewRow& view : table.Views())
        names << view.name;
    auto usage = [&](const QString& problem) {
        SayOnStderr(problem +
                    QStringLiteral("; usage: kavora --render VIEW --size WIDTHxHEIGHT "
                                   "[--scale 1|1.5|2|...] --out FILE.png|.svg|.pdf; views: ") +
                    names.join(QStringLiteral(", ")));
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
    const QString outFile = QFileInfo(parser.value(out)).absoluteFilePath();

    return RunOnDataCopy(argc, argv, [&](TKvrWinApp& app) {
        KvrClient client(app);
        std::unique_ptr<TKvrChild> child(view->make(client));
        if (!child)
            return 1;
        child->resize(size);
        const QString error = SaveImage(child->Picture(), size, outFile, scale);
        if (!error.isEmpty()) {
            SayOnStderr(QStringLiteral("Unable to save the image to '%1': %2").arg(outFile, error));
            return 1;
        }
        return 0;
    });
}

} // namespace kui
