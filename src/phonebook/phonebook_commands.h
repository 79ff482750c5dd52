// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace kui {

class CommandTable;

// Menu command identifiers.
inline constexpr int CmPhonebook = 11842;
inline constexpr int CmUstaRatings = 11844;

// The phone book view's fixed identifier.
inline constexpr int PhonebookView = 1;

// The phone book and the USTA rating system, in the Utilities menu.
void AddPhonebookCommands(CommandTable& table);

} // namespace kui
