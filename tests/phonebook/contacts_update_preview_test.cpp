// SPDX-License-Identifier: GPL-3.0-or-later
#include "phonebook/vcard_import.h"
#include "support/app_fixture.h"
#include "support/records.h"

namespace kvrtest {
namespace {

class ContactsUpdatePreviewTest : public AppTest {};

// Before the player chooses to update names of the book, the preview names
// each one with what the card would change: the number before and after
// (none before), notes that change; a card that changes nothing is not
// listed. Cancel stores nothing.
TEST_F(ContactsUpdatePreviewTest, PreviewNamesEachEntryToUpdateWithWhatChanges) {
    SaveRecords<KVR_PhoneData>(
        {MakePhone("Dee Fox", "555-0000", "Steady"), MakePhone("Eve Hart", "555-2222", "Moonballs"),
         MakePhone("Al Bo", "", "Lefty"), MakePhone("Cy Young", "555-3333", "Serves well")});
    WriteFile(
        "new.vcf",
        Lines({"BEGIN:VCARD",  "VERSION:3.0", "FN:dee fox",  "TEL:555-1111", "NOTE:Plays Tuesdays",
               "END:VCARD",    "BEGIN:VCARD", "VERSION:3.0", "FN:Eve Hart",  "TEL:555-2222",
               "NOTE:Lobs",    "END:VCARD",   "BEGIN:VCARD", "VERSION:3.0",  "FN:Al Bo",
               "TEL:555-7777", "END:VCARD",   "BEGIN:VCARD", "VERSION:3.0",  "FN:Cy Young",
               "TEL:555-3333", "END:VCARD",   "BEGIN:VCARD", "VERSION:3.0",  "FN:Gus Ivy",
               "TEL:555-4444", "END:VCARD"}));
    const std::string before = ReadFile("phone.dat");
    StartApp();
    std::vector<QString> rows;
    Responder().QueueDialog([&rows](QDialog& dialog) {
        rows = ListedRows(dialog);
        dialog.reject();
        return dialog.result();
    });
    EXPECT_FALSE(kui::ImportContacts(nullptr, QStringLiteral("new.vcf"), app_->PhoneStore()));
    EXPECT_EQ(rows, (std::vector<QString>{
                        QStringLiteral("Gus Ivy|new entry"),
                        QStringLiteral("Dee Fox|update: number 555-0000 \u2192 555-1111; "
                                       "notes changed"),
                        QStringLiteral("Eve Hart|update: notes changed"),
                        QStringLiteral("Al Bo|update: number (none) \u2192 555-7777"),
                    }));
    EXPECT_EQ(ReadFile("phone.dat"), before);
}

// A backup that cannot be made stops the import before anything is
// stored, and the player is told why in the words every change uses.
TEST_F(ContactsUpdatePreviewTest, ImportWithoutItsBackupStoresNothing) {
    SaveRecords<KVR_PhoneData>({MakePhone("Dee Fox", "555-0000", "Steady")});
    WriteFile("new.vcf", Lines({"BEGIN:VCARD", "VERSION:3.0", "FN:Gus Ivy", "END:VCARD"}));
    WriteFile("backups", "a file where the folder should be");
    const std::string before = ReadFile("phone.dat");
    StartApp();
    Responder().QueueDialog([](QDialog& dialog) {
        dialog.accept();
        return dialog.result();
    });
    EXPECT_FALSE(kui::ImportContacts(nullptr, QStringLiteral("new.vcf"), app_->PhoneStore()));
    EXPECT_EQ(ReadFile("phone.dat"), before);
    const std::vector<kui::Message>& shown = Responder().Shown();
    ASSERT_FALSE(shown.empty());
    EXPECT_TRUE(shown.back().text.startsWith(
        QStringLiteral("No entries were imported: the backup of your data files in 'backups/")))
        << shown.back().text.toStdString();
    EXPECT_TRUE(shown.back().text.contains(QStringLiteral(":\n'phone.dat' could not be kept")))
        << shown.back().text.toStdString();
}

} // namespace
} // namespace kvrtest
