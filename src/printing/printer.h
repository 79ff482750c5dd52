// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QPrinter;

namespace kui {

// The printer the printouts print to without a print dialog: the system's
// default printer or, when there is none, a PDF printer whose file lies in
// the data folder (kReportsPdf). Made on first use, so that the print
// system's library loads only then, and kept until the application object
// ends; the print dialogs, the preview and the Printouts commands share it.
QPrinter& Printer();

} // namespace kui
