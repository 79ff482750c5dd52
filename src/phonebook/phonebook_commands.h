// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;
class TKvrWinApp;

namespace kui {

class CommandTable;

// Menu command identifiers.
inline constexpr int CmPhonebook = 11842;
inline constexpr int CmUstaRatings = 11844;
inline constexpr int CmImportContacts = 11872;

// The phone book view's fixed identifier.
inline constexpr int PhonebookView = 1;

// The phone book and the USTA rating system, in the Utilities menu, and
// Import Contacts in the Data menu.
void AddPhonebookCommands(CommandTable& table);

// Import Contacts: asks for the file, previews and stores its people, then
// works out the figures of the new and changed entries and raises the
// change signal. True when it stored any. The menu's and the phone book's
// right-click menu's.
bool ImportContactsFile(QWidget* parent, TKvrWinApp& app);

} // namespace kui
