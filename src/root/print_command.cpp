// SPDX-License-Identifier: GPL-3.0-or-later
#include "root/print_command.h"

#include "app/data_stores.h"
#include "core/play_store.h"
#include "printing/printout.h"
#include "root/command_line.h"
#include "root/headless.h"

#include <memory>
#include <optional>

#include <QCommandLineParser>
#include <QFileInfo>
#include <QLocale>

namespace kui {

int PrintFromCommandLine(int argc, char** argv) {
    auto usage = [](const QString& problem) {
        Complain(problem + QStringLiteral("; usage: kavora --print match|practice|lesson|form "
                                          "[--opponent TEXT] --out FILE.pdf"));
        return 2;
    };

    QCommandLineParser parser;
    const QCommandLineOption print(QStringLiteral("print"), {}, QStringLiteral("kind"));
    const QCommandLineOption opponent(QStringLiteral("opponent"), {}, QStringLiteral("text"));
    const QCommandLineOption out(QStringLiteral("out"), {}, QStringLiteral("file"));
    parser.addOptions({print, opponent, out});
    if (auto problem = CommandLineProblem(parser, argc, argv))
        return usage(*problem);

    const QString kindName = parser.value(print);
    const std::optional<ReportKind> kind = ReportKindNamed(kindName);
    if (!kind)
        return usage(QStringLiteral("unknown printout '%1'").arg(kindName));
    if (parser.isSet(opponent) && kind != ReportKind::Match)
        return usage(QStringLiteral("--opponent is for match notes only"));
    const QString outName = parser.value(out);
    if (!outName.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive) ||
        QFileInfo(outName).fileName().size() <= 4)
        return usage(QStringLiteral("bad output file '%1'").arg(outName));
    const QString outFile = CallerPath(outName);
    if (const auto problem = OutFileProblem(outFile))
        return usage(*problem);
    const QString filter = parser.value(opponent).trimmed();

    return RunOnDataFolder(
        argc, argv, Toolkit::Gui, [&](DataStores& stores, const QString& playerName) {
            // The notes need play.dat read whole (the load told why not on
            // stderr); the form holds no notes.
            if (kind != ReportKind::CourtForm && stores.Play().LoadResult() < 0)
                return 1;
            std::unique_ptr<MReportWindow> window;
            if (kind == ReportKind::CourtForm)
                window = std::make_unique<MCourtFormWin>(playerName);
            else
                window = std::make_unique<MReportWindow>(*kind, playerName);
            window->SetOpponentFilter(filter);
            QString error;
            if (!window->Collect(stores.Play(), error)) {
                Complain(error);
                return 1;
            }
            const MWindowPrintout printout(kind == ReportKind::CourtForm
                                               ? QStringLiteral("Tennis Court Form")
                                               : QStringLiteral("Tennis Reports"),
                                           *window);
            error = WritePdf(printout, LocalePageLayout(QLocale::system()), outFile);
            if (!error.isEmpty()) {
                Complain(QStringLiteral("Unable to write '%1': %2").arg(outFile, error));
                return 1;
            }
            if (window->LeftOut() > 0)
                Complain(QStringLiteral("%1 older notes did not fit in the report's %2 pages")
                             .arg(window->LeftOut())
                             .arg(kMaxReportPages));
            return 0;
        });
}

} // namespace kui
