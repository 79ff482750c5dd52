// SPDX-License-Identifier: GPL-3.0-or-later
#include "phonebook/vcard_import.h"

#include "core/file_formats.h"
#include "ui/import_preview.h"
#include "ui/import_support.h"
#include "ui/message.h"
#include "ui/text.h"

namespace kui {

namespace {

const QString kCaption = QStringLiteral("Import Contacts");

// What an update would change of an entry: "number 555-0000 → 555-1111;
// notes changed".
QString ChangeText(const PhoneRecord& before, const PhoneRecord& after) {
    QStringList changes;
    if (after.phoneNumber != before.phoneNumber) {
        const QString old =
            before.phoneNumber.empty() ? QStringLiteral("(none)") : FromStored(before.phoneNumber);
        changes << QStringLiteral("number %1 %2 %3")
                       .arg(old, QChar(0x2192), FromStored(after.phoneNumber));
    }
    if (after.notes != before.notes)
        changes << QStringLiteral("notes changed");
    return QStringLiteral("update: ") + changes.join(QStringLiteral("; "));
}

// The entries the file brings: each new one, then each name of the book it
// would update with what changes, so the player sees them before choosing
// to update.
ImportContent ContentOf(const ContactsImport& read) {
    ImportContent content{read.report, {}};
    content.listing.columns = {QStringLiteral("Name"), QStringLiteral("What changes")};
    for (const PhoneRecord& entry : read.added)
        content.listing.rows.push_back({FromStored(entry.name), QStringLiteral("new entry")});
    for (const auto& [before, after] : read.updated)
        content.listing.rows.push_back({FromStored(before->name), ChangeText(*before, after)});
    return content;
}

} // namespace

bool ImportContacts(QWidget* parent, const QString& path, KVR_PhoneData& phones) {
    const ContactsImport read = ReadContactsForImport(path, phones);
    if (!read.error.isEmpty()) {
        Tell(parent, read.error, kCaption, Icon::Warning);
        return false;
    }
    const QString noun = QString::fromLatin1(kvr::FormatRow(kvr::FileFormat::Entries).name);
    bool update = false;
    if (!ConfirmImport(parent, kCaption, noun, ContentOf(read),
                       QStringLiteral("&Update the number and notes of names already in the "
                                      "phone book"),
                       update))
        return false;
    const std::vector<kvr::Change<PhoneRecord>> changes = ContactsChanges(read, update);
    if (changes.empty() ||
        !BackUpBeforeImport(parent, kvr::FormatRow(kvr::FileFormat::Entries).files, kCaption, noun))
        return false;
    return CommitAll(parent, phones, changes);
}

} // namespace kui
