// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing/printing_commands.h"

#include "app/command_table.h"

namespace kui {

void AddPrintingCommands(CommandTable& table) {
    const QStringList printouts{QStringLiteral("&Printouts")};
    table.Add({.id = CmMatchNotes,
               .menu = printouts,
               .place = 10,
               .text = QStringLiteral("&Match Notes")});
    table.Add({.id = CmPracticeNotes,
               .menu = printouts,
               .place = 20,
               .text = QStringLiteral("&Practice Notes")});
    table.Add({.id = CmLessonNotes,
               .menu = printouts,
               .place = 30,
               .text = QStringLiteral("&Lesson Notes")});
    table.Add(
        {.id = CmCourtForm, .menu = printouts, .place = 40, .text = QStringLiteral("&Court Form")});
}

} // namespace kui
