// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace kui {

class CommandTable;

// Menu command identifiers.
inline constexpr int CmMatchNotes = 11856;
inline constexpr int CmPracticeNotes = 11857;
inline constexpr int CmLessonNotes = 11858;
inline constexpr int CmCourtForm = 11859;

// The Printouts menu: the notes reports and the courtside form. They print
// without a click.
void AddPrintingCommands(CommandTable& table);

} // namespace kui
