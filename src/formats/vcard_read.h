// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/import_report.h"
#include "phonebook/phone_store.h"

#include <string>
#include <utility>
#include <vector>

#include <QString>

namespace kui {

// What a vCard file would bring into the phone book.
struct ContactsImport {
    kvr::ImportReport report;
    // New entries, in the order of the file.
    std::vector<PhoneRecord> added;
    // Entries of the book whose name a card holds, with the number and
    // notes of that card: applied only when the player chooses to.
    std::vector<std::pair<const PhoneRecord*, PhoneRecord>> updated;
    // Why nothing could be read: the file is empty, holds no vCard or cannot
    // be read. Empty otherwise.
    QString error;
};

// Reads a vCard file (versions 2.1, 3.0 and 4.0: folded lines,
// quoted-printable and escaped text, any character set), storing nothing.
// The file is read through kvr::ReadImportFile: a regular file of at most
// 64 MiB. Each card gives an entry: FN as the name (N when there is no FN);
// the first TEL as the phone number; NOTE as the notes; each kept as
// written, in its case and whole. A card inside another is an entry of its
// own, and its parent keeps the properties that follow it. A value without
// a CHARSET is UTF-8 when it reads as UTF-8, else in the code page another
// property of the card names, else Windows-1252; a backslash that escapes
// nothing is kept. The playing profile a card of this program's own export
// carries comes back too. A name already in the book (ignoring case) is no
// new entry: when the card changes its number or notes it is one to update,
// else it is present.
ContactsImport ReadContactsForImport(const QString& path, const KVR_PhoneData& phones);
// The same for the contents of a file already read; `path` names it in the
// messages.
ContactsImport ReadContactsText(const std::string& contents, const QString& path,
                                const KVR_PhoneData& phones);

// The changes that store what an import read, one save for all
// (KVR_PhoneData::CommitAll): the new entries, and with `update` the entries
// of the book to update.
std::vector<kvr::Change<PhoneRecord>> ContactsChanges(const ContactsImport& read, bool update);

} // namespace kui
