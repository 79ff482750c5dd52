// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing/printing_commands.h"

#include "app/application.h"
#include "app/client.h"
#include "app/command_table.h"
#include "printing/print_name_dialog.h"
#include "printing/printer.h"
#include "printing/printout.h"
#include "ui/message.h"

#include <memory>
#include <new>

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QToolBar>
#include <QUrl>

namespace kui {

namespace {

// What a printout is called in the messages, its print job's title and the
// PDF it becomes when there is no printer.
struct PrintoutNames {
    QString what;
    QString caption;
    QString title;
    QString pdfName;
};

PrintoutNames NamesOf(ReportKind kind) {
    const QString reports = QStringLiteral("Tennis Reports");
    const QString reportsPdf = QString::fromLatin1(kReportsPdf);
    switch (kind) {
    case ReportKind::Match:
        return {QStringLiteral("match notes"), QStringLiteral("Printout - Match Notes"), reports,
                reportsPdf};
    case ReportKind::Practice:
        return {QStringLiteral("practice notes"), QStringLiteral("Printout - Practice Notes"),
                reports, reportsPdf};
    case ReportKind::Lesson:
        return {QStringLiteral("lesson notes"), QStringLiteral("Printout - Lesson Notes"), reports,
                reportsPdf};
    case ReportKind::CourtForm:
        break;
    }
    return {QStringLiteral("court form"), QStringLiteral("Printout - Court Form"),
            QStringLiteral("Tennis Court Form"), QString::fromLatin1(kCourtFormPdf)};
}

bool PrintsToPdf(const QPrinter& printer) {
    return printer.outputFormat() == QPrinter::PdfFormat;
}

QString PagesText(int pages) {
    return pages == 1 ? QStringLiteral("1 page") : QStringLiteral("%1 pages").arg(pages);
}

// The note after a report that could not hold every note asked for.
QString LeftOutText(const MReportWindow& window) {
    if (window.LeftOut() <= 0)
        return {};
    return QStringLiteral("\n\nThe report holds the newest notes only: %1 older %2 did not fit "
                          "in its %3 pages.")
        .arg(window.LeftOut())
        .arg(window.LeftOut() == 1 ? QStringLiteral("note") : QStringLiteral("notes"))
        .arg(kMaxReportPages);
}

// Moves the preview's Print to the front of its toolbar: a toolbar too
// narrow for all its buttons hides the last ones behind its extension
// button, and Print must show at any width.
void KeepPrintInSight(QPrintPreviewDialog& dialog) {
    const QString print = QCoreApplication::translate("QPrintPreviewDialog", "Print");
    for (QToolBar* toolbar : dialog.findChildren<QToolBar*>()) {
        const QList<QAction*> actions = toolbar->actions();
        for (QAction* action : actions) {
            if (action->text() != print || action == actions.constFirst())
                continue;
            toolbar->removeAction(action);
            toolbar->insertAction(actions.constFirst(), action);
            toolbar->insertSeparator(actions.constFirst());
            return;
        }
    }
}

// Shows the pages as they would print, on the printer's paper; the
// preview's own Print button prints them.
void Preview(KvrClient& client, const MWindowPrintout& printout) {
    QPrintPreviewDialog dialog(&Printer(), &client);
    dialog.setWindowTitle(QStringLiteral("Print Preview - ") + printout.Title());
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&printout](QPrinter* printer) { printout.Print(*printer); });
    KeepPrintInSight(dialog);
    if (client.window())
        dialog.resize(client.window()->size());
    RunModal(dialog);
}

// Writes the printout into its PDF in the data folder, asking before it
// replaces one, and says where it went, with a button that opens it.
void PrintToPdf(KvrClient& client, const MWindowPrintout& printout, const MReportWindow& window,
                const PrintoutNames& names) {
    const QString path = QDir::current().absoluteFilePath(names.pdfName);
    if (QFileInfo::exists(path) &&
        !AskYesNo(&client,
                  QStringLiteral("'%1' already exists.\n\nReplace it with the %2?")
                      .arg(QDir::toNativeSeparators(path), names.what),
                  names.caption))
        return;
    const QString error = WritePdf(printout, Printer().pageLayout(), path);
    if (!error.isEmpty()) {
        Tell(&client,
             QStringLiteral("Unable to print the %1: '%2' could not be written (%3).")
                 .arg(names.what, QDir::toNativeSeparators(path), error),
             names.caption, Icon::Warning);
        return;
    }
    const int choice = AskChoice(
        &client,
        QStringLiteral("There is no printer, so the %1 (%2) went into a PDF "
                       "file:\n%3")
                .arg(names.what, PagesText(printout.PageCount()), QDir::toNativeSeparators(path)) +
            LeftOutText(window),
        {QStringLiteral("&Open"), QStringLiteral("&Close")}, names.caption, Icon::Information);
    if (choice == 0 && !QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        Tell(&client,
             QStringLiteral("No program was found to open '%1'.")
                 .arg(QDir::toNativeSeparators(path)),
             names.caption, Icon::Warning);
}

// Prints on the default printer, without a print dialog.
void PrintOnPrinter(KvrClient& client, const MWindowPrintout& printout, const MReportWindow& window,
                    const PrintoutNames& names) {
    QPrinter& printer = Printer();
    printer.setDocName(printout.Title());
    if (!printout.Print(printer) || printer.printerState() == QPrinter::Error) {
        Tell(&client,
             QStringLiteral("Unable to print the %1 on the printer '%2'.")
                 .arg(names.what, printer.printerName()),
             names.caption, Icon::Warning);
        return;
    }
    Tell(&client,
         QStringLiteral("The %1 (%2) went to the printer '%3'.")
                 .arg(names.what, PagesText(printout.PageCount()), printer.printerName()) +
             LeftOutText(window),
         names.caption, Icon::Information);
}

// Prints a report window: asks the match report's opponent, or for the
// other printouts whether to print or preview, then collects the pages and
// prints or previews them.
void RunPrintout(KvrClient& client, std::unique_ptr<MReportWindow> window) {
    const PrintoutNames names = NamesOf(window->Kind());
    bool preview = false;
    if (window->Kind() == ReportKind::Match) {
        MPrintNameDlg dialog(&client, client.App().PhoneStore());
        const int result = RunModal(dialog);
        if (result != QDialog::Accepted && result != MPrintNameDlg::kPreview)
            return;
        preview = result == MPrintNameDlg::kPreview;
        window->SetOpponentFilter(dialog.OpponentFilter());
    } else {
        const QString where =
            PrintsToPdf(Printer())
                ? QStringLiteral("as '%1' in the data folder").arg(names.pdfName)
                : QStringLiteral("on the printer '%1'").arg(Printer().printerName());
        const int choice = AskChoice(
            &client, QStringLiteral("Print the %1 %2?").arg(names.what, where),
            {QStringLiteral("&Print"), QStringLiteral("Pre&view"), QStringLiteral("Cancel")},
            names.caption);
        if (choice != 0 && choice != 1)
            return;
        preview = choice == 1;
    }

    QString error;
    if (!window->Collect(client.App().PlayStore(), error)) {
        Tell(&client, error, names.caption, Icon::Warning);
        return;
    }
    const MWindowPrintout printout(names.title, *window);
    if (PrintsToPdf(Printer()))
        Printer().setOutputFileName(QDir::current().absoluteFilePath(names.pdfName));
    if (preview)
        Preview(client, printout);
    else if (PrintsToPdf(Printer()))
        PrintToPdf(client, printout, *window, names);
    else
        PrintOnPrinter(client, printout, *window, names);
}

// Makes the report window for a printout and runs it; says so when there is
// no memory to make it.
void Print(KvrClient& client, ReportKind kind) {
    std::unique_ptr<MReportWindow> window;
    try {
        const QString& name = client.App().PlayerName();
        window = kind == ReportKind::CourtForm ? std::make_unique<MCourtFormWin>(name)
                                               : std::make_unique<MReportWindow>(kind, name);
    } catch (const std::bad_alloc&) {
        Tell(&client, QStringLiteral("Unable to print report"), QStringLiteral("Low Memory"),
             Icon::Stop);
        return;
    }
    RunPrintout(client, std::move(window));
}

} // namespace

void AddPrintingCommands(CommandTable& table) {
    const QStringList printouts{QStringLiteral("&Printouts")};
    table.Add({.id = CmMatchNotes,
               .menu = printouts,
               .place = 10,
               .text = QStringLiteral("&Match Notes"),
               .handler = [](KvrClient& client) { Print(client, ReportKind::Match); }});
    table.Add({.id = CmPracticeNotes,
               .menu = printouts,
               .place = 20,
               .text = QStringLiteral("&Practice Notes"),
               .handler = [](KvrClient& client) { Print(client, ReportKind::Practice); }});
    table.Add({.id = CmLessonNotes,
               .menu = printouts,
               .place = 30,
               .text = QStringLiteral("&Lesson Notes"),
               .handler = [](KvrClient& client) { Print(client, ReportKind::Lesson); }});
    table.Add({.id = CmCourtForm,
               .menu = printouts,
               .place = 40,
               .text = QStringLiteral("&Court Form"),
               .handler = [](KvrClient& client) { Print(client, ReportKind::CourtForm); }});
}

} // namespace kui
