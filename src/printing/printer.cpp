// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing/printer.h"

#include "printing/printout.h"

#include <memory>

#include <QCoreApplication>
#include <QDir>
#include <QPrinter>

namespace kui {
namespace {

std::unique_ptr<QPrinter>& Made() {
    static std::unique_ptr<QPrinter> printer;
    return printer;
}

// Ends the printer with the application object, while the print system is
// still there.
void ForgetPrinter() {
    Made().reset();
}

} // namespace

QPrinter& Printer() {
    std::unique_ptr<QPrinter>& printer = Made();
    if (!printer) {
        printer = MakePrinter();
        if (printer->outputFormat() == QPrinter::PdfFormat)
            printer->setOutputFileName(
                QDir::current().absoluteFilePath(QString::fromLatin1(kReportsPdf)));
        qAddPostRoutine(ForgetPrinter);
    }
    return *printer;
}

} // namespace kui
