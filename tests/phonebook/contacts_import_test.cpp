// SPDX-License-Identifier: GPL-3.0-or-later
#include "phonebook/phone_view.h"
#include "phonebook/phonebook_commands.h"
#include "phonebook/vcard_import.h"
#include "support/app_fixture.h"

#include <algorithm>

#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QTest>

namespace kvrtest {
namespace {

std::vector<std::string> Entries(const std::vector<PhoneRecord>& entries) {
    std::vector<std::string> lines;
    for (const PhoneRecord& entry : entries)
        lines.push_back(entry.ToLine());
    return lines;
}

class ContactsImportTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        ZBD_Date::FixToday(12, 15, 2001);
    }
    void TearDown() override {
        ZBD_Date::UseSystemClock();
        AppTest::TearDown();
    }
};

// other_programs.vcf: contacts as a phone writes them (vCard 3.0 from
// python3-vobject: several numbers, a photo, escaped text), an old card in
// quoted-printable and Latin-1 with only N, a folded vCard 4.0 card with a
// tel: number, and cards for names already in the book: one with a new
// number is offered for an update, one with nothing new is already there.
TEST_F(ContactsImportTest, CardsOfOtherProgramsAndVersionsComeIn) {
    KVR_PhoneData book;
    book.AddCopy(MakePhone("Dee Fox", "555-0000", "Steady"));
    book.AddCopy(MakePhone("Eve Hart", "555-2222", "Moonballs"));
    const kui::ContactsImport read =
        kui::ReadContactsForImport(QStringLiteral(KAVORA_TEST_DATA "/other_programs.vcf"), book);
    ASSERT_TRUE(read.error.isEmpty()) << read.error.toStdString();
    // Kept as written: in its case, and whole though longer than the
    // form's field.
    std::string slices;
    for (int i = 0; i < 20; ++i)
        slices += "Slices; ";
    slices.pop_back();
    EXPECT_EQ(
        Entries(read.added),
        Entries({MakePhone("Ann Lee", "+1 503 555 0101", "Lefty, big serve plays Tuesdays"),
                 MakePhone("bo van dyke", "555-0102", slices),
                 MakePhone("J\xc3\xbcrgen M\xc3\xbcller", "555-0199", "Caf\xc3\xa9 after matches"),
                 MakePhone("Cy Young", "+1-555-0103")}));
    ASSERT_EQ(read.updated.size(), 1u);
    EXPECT_EQ(read.updated[0].first, book.At(0));
    EXPECT_EQ(read.updated[0].second.ToLine(), MakePhone("Dee Fox", "555-1111", "Steady").ToLine());
    EXPECT_EQ(read.report.added, 4u);
    EXPECT_EQ(read.report.updated, 1u);
    EXPECT_EQ(read.report.present, 1u);
    ASSERT_EQ(read.report.problems.size(), 1u);
    EXPECT_EQ(read.report.problems[0].reason, "a card without a name (FN or N)");
    EXPECT_TRUE(read.report.problems[0].skipped);
    const std::string file = ReadFile(KAVORA_TEST_DATA "/other_programs.vcf");
    EXPECT_EQ(kvr::SplitLines(file)[read.report.problems[0].line - 1], "BEGIN:VCARD");

    // A name the book holds twice is never updated: the card cannot say
    // which of the two entries it means.
    book.AddCopy(MakePhone("Dee Fox", "555-3333", "Other Dee"));
    const kui::ContactsImport twice =
        kui::ReadContactsForImport(QStringLiteral(KAVORA_TEST_DATA "/other_programs.vcf"), book);
    EXPECT_TRUE(twice.updated.empty());
    ASSERT_EQ(twice.report.problems.size(), 2u);
    const auto told =
        std::find_if(twice.report.problems.begin(), twice.report.problems.end(),
                     [](const kvr::ImportProblem& p) {
                         return p.reason.find("in the phone book twice") != std::string::npos;
                     });
    ASSERT_NE(told, twice.report.problems.end());
    EXPECT_TRUE(told->leftOut);

    // What is no contacts file is told in one line.
    WriteFile("empty.vcf", "");
    WriteFile("season.vcf", "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nEND:VCALENDAR\r\n");
    for (const char* name : {"empty.vcf", "season.vcf"}) {
        const kui::ContactsImport bad = kui::ReadContactsForImport(name, book);
        EXPECT_TRUE(bad.added.empty() && bad.updated.empty());
        EXPECT_TRUE(bad.error.startsWith(QStringLiteral("'%1' ").arg(name)))
            << bad.error.toStdString();
    }
}

// Cards as phones of other countries write them: a card nested in another
// (the parent keeps the number that follows it), names in Greek, Hebrew and
// Cyrillic code pages that only another property of the card names, a
// Windows-1252 name with no code page at all, and a vCard 2.1 note whose
// backslashes escape nothing. A device is refused at once.
TEST_F(ContactsImportTest, CardsAreReadInTheirWritersCodePagesAndNesting) {
    const auto read = [](const char* name) {
        return kui::ReadContactsForImport(QStringLiteral(KAVORA_TEST_DATA "/") + name,
                                          KVR_PhoneData());
    };
    const kui::ContactsImport nested = read("nested.vcf");
    ASSERT_TRUE(nested.error.isEmpty()) << nested.error.toStdString();
    EXPECT_EQ(Entries(nested.added), Entries({MakePhone("Ann Lee", "555-0001", "Doubles partner"),
                                              MakePhone("Bo Park", "555-0002")}));

    const kui::ContactsImport pages = read("code_pages.vcf");
    ASSERT_TRUE(pages.error.isEmpty()) << pages.error.toStdString();
    EXPECT_EQ(
        Entries(pages.added),
        Entries({MakePhone("Νίκος Παπαδόπουλος", "+30 210 555 0101", "Αριστερόχειρας"),
                 MakePhone("דנה כהן", "03-555-0102"), MakePhone("Иван Петров", "+7 495 555 0103"),
                 MakePhone("Renée Faïd", "555-0104", "Keys in C:\\Courts\\North; hits flat")}));
    EXPECT_TRUE(pages.report.problems.empty());

    const kui::ContactsImport device = kui::ReadContactsForImport("/dev/zero", KVR_PhoneData());
    EXPECT_EQ(device.error, QStringLiteral("Unable to read '/dev/zero': not a regular file."));
}

// From the keyboard through the phone book's context menu: the preview
// counts a changed name as already there until its box is checked with the
// space bar, Enter imports, phone.dat is kept in the day's backup first.
TEST_F(ContactsImportTest, ContextMenuUpdatesNamesOnlyWhenChosen) {
    SaveRecords<KVR_PhoneData>({MakePhone("Dee Fox", "555-0000", "Steady"),
                                MakePhone("Eve Hart", "555-2222", "Moonballs")});
    WriteCoach();
    WriteFile("new.vcf", Lines({"BEGIN:VCARD", "VERSION:3.0", "FN:dee fox", "TEL:555-1111",
                                "NOTE:Plays Tuesdays", "END:VCARD", "BEGIN:VCARD", "VERSION:3.0",
                                "FN:Eve Hart", "TEL:555-2222", "END:VCARD", "BEGIN:VCARD",
                                "VERSION:3.0", "FN:Gus Ivy", "TEL:555-3333", "END:VCARD"}));
    const std::string before = ReadFile("phone.dat");
    StartWindow();
    auto& view = OpenFromMenu<TKvrPhoneWin>(kui::CmPhonebook, kui::PhonebookView);
    QueueFileChoice(QString::fromStdString((Dir() / "new.vcf").string()));
    QStringList figures;
    Responder().QueueDialog([&figures](QDialog& dialog) {
        auto* summary = Field<QLabel>(dialog, "summary");
        figures << summary->text();
        // Shown, not waited for: the menu that ran the command is deleted
        // once events are processed.
        dialog.show();
        QTest::keyClick(Field<QCheckBox>(dialog, "update"), Qt::Key_Space);
        figures << summary->text();
        QTest::keyClick(&dialog, Qt::Key_Return);
        return dialog.result();
    });
    view.setFocus();
    QTest::keyClick(&view, Qt::Key_Menu);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QTest::keyClick(menu, Qt::Key_I);

    EXPECT_EQ(figures, (QStringList{QStringLiteral("1 entry to add\n2 already there (skipped)"),
                                    QStringLiteral("1 entry to add\n1 entry to update\n"
                                                   "1 already there (skipped)")}));
    const std::vector<std::string> stored = {
        MakePhone("Dee Fox", "555-1111", "Plays Tuesdays").ToLine(),
        MakePhone("Eve Hart", "555-2222", "Moonballs").ToLine(),
        MakePhone("Gus Ivy", "555-3333").ToLine()};
    EXPECT_EQ(ReadFile("phone.dat"),
              Lines({"ZBD Data File Format 2.5", "3", stored[0], stored[1], stored[2]}));
    EXPECT_EQ(ReadFile("backups/2001-12-15/phone.dat"), before);
}

} // namespace
} // namespace kvrtest
