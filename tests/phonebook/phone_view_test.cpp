// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/vcard.h"
#include "phonebook/phone_dialogs.h"
#include "phonebook/phone_view.h"
#include "phonebook/phonebook_commands.h"
#include "phonebook/usta_levels.h"
#include "play/find_dialog.h"
#include "support/app_fixture.h"
#include "support/process.h"
#include "support/render.h"
#include "support/text_recorder.h"
#include "support/typing.h"
#include "ui/drawing.h"
#include "ui/player_list.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <unistd.h>

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace kvrtest {
namespace {

PhoneRecord Entry(const std::string& name, const std::string& phone = "555-0100") {
    return MakePhone(name, phone, "steady");
}

class PhoneViewTest : public AppTest {
protected:
    void WriteBook(std::initializer_list<PhoneRecord> entries) {
        SaveRecords<KVR_PhoneData>(entries);
        WriteCoach();
    }
    TKvrPhoneWin& Open() {
        return OpenFromMenu<TKvrPhoneWin>(kui::CmPhonebook, kui::PhonebookView);
    }
    std::vector<std::string> Entries() {
        std::vector<std::string> lines;
        for (unsigned i = 0; i < app_->PhoneStore().Count(); ++i)
            lines.push_back(app_->PhoneStore().At(static_cast<int>(i))->ToLine());
        return lines;
    }
    static std::string Shown(TKvrPhoneWin& view) {
        auto page = view.Snapshot();
        return page.entry ? page.entry->name : std::string("(none)");
    }
    // Answers the find dialog with `text` typed and Enter.
    void QueueFind(const QString& text) {
        Responder().QueueDialog([text](QDialog& dialog) {
            return TypeAndEnter(dialog, dialog.findChild<TPlayerList*>(QStringLiteral("who")),
                                text);
        });
    }
    // Fills the entry dialog, presses OK until it closes, and keeps the
    // messages its refusals showed.
    void QueueEntry(std::function<void(QDialog&)> fill) { QueueAccept(fill); }
};

// The page at two sizes: titles centred over the page, the profile's words
// for the stored codes, the figures right-aligned at the page's right edge,
// the book red and the page white; an empty book says so.
TEST_F(PhoneViewTest, ProfilePageTextsAndPlaces) {
    StartApp();
    PhoneRecord entry = Entry("Alex Moreno", "555-0199");
    entry.playingStyle = "S";
    entry.playingSide = "L";
    entry.backhandStyle = "2";
    entry.rating = "4.5";
    entry.stats = {"5/14/2026", "Match 6-4 6-3 W", "3 - 1 - 0"};
    const kui::PhonePageData data{entry};
    for (QSize size : {QSize(600, 550), QSize(1280, 960)}) {
        SCOPED_TRACE(size.width());
        const int w = size.width();
        const int h = size.height();
        const int right = static_cast<int>(w * 0.73);
        const int left = static_cast<int>(w * 0.23);
        TextRecorder recorder(size);
        QPainter painter(&recorder);
        const int row = kui::UseScaledFont(painter, size, 27, 60);
        kui::DrawPhonePage(painter, size, data);
        painter.end();

        for (const char* title : {"Player Profile", "Playing Stats"}) {
            const DrawnText* text = recorder.Find(QString::fromLatin1(title));
            ASSERT_TRUE(text);
            EXPECT_NEAR(text->rect.center().x(), w * 0.475, 1.5);
            EXPECT_EQ(text->color, QColor(Qt::black));
        }
        // "Playing Stats" at half the height, or just below the backhand
        // line where that reaches past it.
        const DrawnText* stats = recorder.Find(QStringLiteral("Playing Stats"));
        EXPECT_GE(stats->rect.top(), h / 2 - 1);
        EXPECT_LE(stats->rect.top(), h / 2 + h / 50);
        EXPECT_GE(stats->rect.top(),
                  recorder.Find(QStringLiteral("2 Handed Backhand"))->rect.bottom());
        const struct {
            const char* text;
            bool rightAligned;
            double y; // from its section's top, in rows
            double section;
        } expected[] = {{"Serve/Volley Player", false, 2, 0.32},
                        {"Left Handed", false, 3, 0.32},
                        {"2 Handed Backhand", false, 4, 0.32},
                        {"Rating: 4.5", true, 2, 0.32},
                        {"Overall W/L Record:", false, 2, 0.5},
                        {"Last Played:", false, 3, 0.5},
                        {"3 - 1 - 0", true, 2, 0.5},
                        {"5/14/2026", true, 3, 0.5},
                        {"Match 6-4 6-3 W", true, 4, 0.5}};
        for (const auto& item : expected) {
            SCOPED_TRACE(item.text);
            const DrawnText* text = recorder.Find(QString::fromLatin1(item.text));
            ASSERT_TRUE(text);
            if (item.rightAligned)
                EXPECT_NEAR(text->rect.right(), right, 1);
            else
                EXPECT_NEAR(text->rect.left(), left, 1);
            EXPECT_NEAR(text->rect.top(), static_cast<int>(h * item.section) + item.y * row, 1);
        }
        EXPECT_TRUE(recorder.Find(QStringLiteral("Alex Moreno")));
        EXPECT_TRUE(recorder.Find(QStringLiteral("555-0199")));
        EXPECT_TRUE(recorder.Find(QStringLiteral("steady")));
    }

    QImage image = RenderToImage(&kui::DrawPhonePage, QSize(600, 550), data);
    EXPECT_EQ(image.pixelColor(125, 90), QColor(207, 68, 48)); // the book above the page
    EXPECT_EQ(image.pixelColor(300, 450), QColor(Qt::white));  // the page
    EXPECT_EQ(image.pixelColor(5, 5), QColor(192, 192, 192));

    // A practice's summary ends in two blanks (no score, no result): the
    // page keeps them, so the word stands off the edge by their width.
    entry.stats.lastOuting = "Practice  ";
    const std::vector<DrawnText> practice =
        RecordTexts(&kui::DrawPhonePage, QSize(600, 550), kui::PhonePageData{entry});
    const auto summary = std::find_if(practice.begin(), practice.end(), [](const DrawnText& text) {
        return text.text.startsWith(QStringLiteral("Practice"));
    });
    ASSERT_NE(summary, practice.end());
    EXPECT_EQ(summary->text, QStringLiteral("Practice  "));
    EXPECT_NEAR(summary->rect.right(), static_cast<int>(600 * 0.73), 1);

    std::vector<DrawnText> empty = RecordTexts(&kui::DrawPhonePage, QSize(600, 550), {});
    ASSERT_EQ(empty.size(), 1u);
    EXPECT_EQ(empty[0].text, QStringLiteral("PhoneBook is Empty!"));

    // An imported contact, never played: no heading over an empty section,
    // in the drawing or in words; its notes take the profile's place.
    const PhoneRecord contact = MakePhone("Eve Imported", "555-0100", "met at the club");
    const std::vector<DrawnText> bare =
        RecordTexts(&kui::DrawPhonePage, QSize(600, 550), kui::PhonePageData{contact});
    QStringList drawn;
    for (const DrawnText& text : bare)
        drawn << text.text;
    EXPECT_EQ(drawn, (QStringList{"Eve Imported", "555-0100", "met at the club"}));
    EXPECT_NEAR(bare[2].rect.top(), kui::Frac(550, 0.32), 2);
    EXPECT_EQ(kui::PhonePageLines(kui::PhonePageData{contact}),
              (QStringList{"Name: Eve Imported", "Phone: 555-0100", "Notes: met at the club"}));
}

// The six buttons stand where the page's columns put them, a third of the
// page wide and a pixel more, so the middle and right ones meet with the
// few pixels' overlap that gives.
TEST_F(PhoneViewTest, ButtonsStandOnThePageColumns) {
    WriteBook({Entry("Ann")});
    StartWindow();
    TKvrPhoneWin& view = Open();
    for (QSize size : {QSize(600, 480), QSize(601, 480), QSize(1270, 900)}) {
        view.resize(size);
        SCOPED_TRACE(size.width());
        const int w = view.width();
        const int left = kui::Frac(w, 0.23);
        const int right = kui::Frac(w, 0.73);
        const int width = (right - left) / 3 + 1;
        const struct {
            const char* name;
            int x;
        } places[] = {{"previous", left}, {"find", left + width}, {"next", right - width},
                      {"add", left},      {"edit", left + width}, {"delete", right - width}};
        for (const auto& place : places)
            EXPECT_EQ(Field<QPushButton>(view, place.name)->x(), place.x) << place.name;
    }
}

// Paging wraps at both ends; a deletion shows the neighbour: the entry that
// took the deleted one's page, or the new last entry when the last one went;
// the last entry gone, the book says it is empty, and edit and delete then do
// nothing. phone.dat follows every deletion.
TEST_F(PhoneViewTest, PagingAndDeletionSequences) {
    WriteBook({Entry("Ann"), Entry("Bea"), Entry("Cy"), Entry("Dee"), Entry("Eve")});
    StartWindow();
    TKvrPhoneWin& view = Open();
    EXPECT_EQ(view.windowTitle(), QStringLiteral("Phonebook"));
    EXPECT_EQ(&Open(), &view);
    EXPECT_EQ(Shown(view), "Ann");
    Press(view, "previous");
    EXPECT_EQ(Shown(view), "Eve");
    Press(view, "next");
    EXPECT_EQ(Shown(view), "Ann");
    Press(view, "next");
    Press(view, "next");
    EXPECT_EQ(view.PageIndex(), 2);

    // Cancel keeps the entry; OK on index 2 of five shows what was index 3.
    Press(view, "delete");
    EXPECT_EQ(Shown(view), "Cy");
    Responder().QueueAnswer(true);
    Press(view, "delete");
    ASSERT_EQ(Responder().Shown().size(), 2u);
    EXPECT_EQ(Responder().Shown()[1].text,
              QStringLiteral(" Delete this Page from PhoneBook?\n\nCy"));
    EXPECT_EQ(Responder().Shown()[1].byDefault, kui::Default::No);
    EXPECT_EQ(Responder().Shown()[1].caption, QStringLiteral("Delete?"));
    EXPECT_EQ(Responder().Shown()[1].kind, kui::Message::Kind::OkCancel);
    EXPECT_EQ(Shown(view), "Dee");
    // The last entry deleted: the new last one is shown.
    Press(view, "next");
    EXPECT_EQ(Shown(view), "Eve");
    Responder().QueueAnswer(true);
    Press(view, "delete");
    EXPECT_EQ(Shown(view), "Dee");
    {
        KVR_PhoneData reread;
        ASSERT_EQ(reread.Load(), 1);
        ASSERT_EQ(reread.Count(), 3u);
        EXPECT_EQ(reread.At(2)->name, "Dee");
    }
    Responder().QueueAnswer(true);
    Press(view, "delete");
    Responder().QueueAnswer(true);
    Press(view, "delete");
    // One entry: the pages keep showing it.
    Press(view, "next");
    Press(view, "previous");
    EXPECT_EQ(Shown(view), "Ann");
    Responder().Clear();
    Responder().QueueAnswer(true);
    Press(view, "delete");
    EXPECT_EQ(Shown(view), "(none)");
    ASSERT_EQ(Responder().Shown().size(), 2u);
    EXPECT_EQ(Responder().Shown()[1].text, QStringLiteral("PhoneBook is Empty!"));
    EXPECT_EQ(Responder().Shown()[1].caption, QStringLiteral("No Phone Numbers"));

    // Empty: the page turns and find tell, edit and delete do nothing.
    Responder().Clear();
    for (const char* button : {"next", "previous", "find", "edit", "delete"})
        Press(view, button);
    EXPECT_EQ(Responder().Texts(), std::vector<QString>(3, QStringLiteral("PhoneBook is Empty!")));
    EXPECT_TRUE(Responder().DialogsRun().empty());
    KVR_PhoneData reread;
    ASSERT_EQ(reread.Load(), 1);
    EXPECT_EQ(reread.Count(), 0u);
}

// Find goes on from the page shown, wraps to the first entry, never finds
// the entry shown, and reports a miss with the text as typed. A name holding
// the text anywhere, whatever its case and accents, is found.
TEST_F(PhoneViewTest, FindWrapsAndReportsAMissWithTheTextAsTyped) {
    WriteBook({Entry("Ann Lee"), Entry("Bob Marsh"), Entry("Bob Stone"), Entry("Cy Young"),
               Entry("Zoë O'Neil")});
    StartWindow();
    TKvrPhoneWin& view = Open();
    QueueFind(QStringLiteral("bob"));
    Press(view, "find");
    EXPECT_EQ(view.PageIndex(), 1);
    QueueFind(QStringLiteral("bob"));
    Press(view, "find");
    EXPECT_EQ(view.PageIndex(), 2);
    QueueFind(QStringLiteral("bob"));
    Press(view, "find");
    EXPECT_EQ(view.PageIndex(), 1);
    QueueFind(QStringLiteral("ann"));
    Press(view, "find");
    EXPECT_EQ(view.PageIndex(), 0);
    EXPECT_TRUE(Responder().Shown().empty());

    QueueFind(QStringLiteral("Ann"));
    Press(view, "find");
    QueueFind(QStringLiteral("Zed %s %1"));
    Press(view, "find");
    EXPECT_EQ(Responder().Texts(),
              (std::vector<QString>{QStringLiteral("No PhoneBook entry for Ann"),
                                    QStringLiteral("No PhoneBook entry for Zed %s %1")}));
    EXPECT_EQ(Responder().Shown()[0].caption, QStringLiteral("Sorry"));
    EXPECT_EQ(view.PageIndex(), 0);
    // An empty text or Cancel does nothing.
    QueueFind(QString());
    Press(view, "find");
    Press(view, "find");
    EXPECT_EQ(Responder().Shown().size(), 2u);
    EXPECT_EQ(Responder().DialogsRun().size(), 8u);

    QueueFind(QStringLiteral("zoe"));
    Press(view, "find");
    EXPECT_EQ(view.PageIndex(), 4);
    QueueFind(QStringLiteral("MARSH"));
    Press(view, "find");
    EXPECT_EQ(view.PageIndex(), 1);
    EXPECT_EQ(Responder().Shown().size(), 2u);
}

// The entry dialog refuses OK until the name, the phone number and the
// notes are filled, in that order; the rating dialog sets the level; the
// new entry is stored in name order with its codes and figures, the page
// stays; an edit keeps the entry's page even when the name moves it.
TEST_F(PhoneViewTest, AddAndEditThroughTheEntryDialog) {
    WriteBook({Entry("Bea"), Entry("Cy")});
    WriteFile("play.dat",
              Lines({"ZBD Data File Format 2.0", "1",
                     "\"5/14/2026\",\"S\",\"\",\"Zoe Hart\",\"\",\"2\",\"M\",\"W\",\"6-4 6-3\","
                     "\"\",\"\",\"net\",\"drills\",\"7\",\"8\",\"3\",\"6\",\"3\",\"4\",\"7\","
                     "\"5\",\"5\",\"8\",\"5\",\"8\",\"5\",\"5\",\"4\",\"8\",\"5\",\"6\",\"6\","
                     "\"6\",\"5\",\"5\",\"6\",\"6\""}));
    StartWindow();
    TKvrPhoneWin& view = Open();
    Press(view, "next");

    std::vector<QString> refusals;
    Responder().QueueDialog([&](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Player PhoneBook/Profile"));
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("name"));
        auto* phone = dialog.findChild<QLineEdit*>(QStringLiteral("phoneNumber"));
        auto* notes = dialog.findChild<QPlainTextEdit*>(QStringLiteral("notes"));
        for (const char* list : {"rating", "playingStyle", "playingSide", "backhandStyle"})
            EXPECT_EQ(dialog.findChild<QComboBox*>(QString::fromLatin1(list))->currentIndex(), -1);
        dialog.accept();
        name->setText(QStringLiteral("zoe hart"));
        dialog.accept();
        phone->setText(QStringLiteral("555-0142"));
        dialog.accept();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(dialog.focusWidget(), notes);
        notes->setPlainText(QStringLiteral("Big \"kick\" serve,\nlikes the net"));
        dialog.findChild<QComboBox*>(QStringLiteral("playingStyle"))->setCurrentIndex(2);
        dialog.findChild<QComboBox*>(QStringLiteral("playingSide"))->setCurrentIndex(1);
        dialog.findChild<QComboBox*>(QStringLiteral("backhandStyle"))->setCurrentIndex(0);
        // The rating dialog, left at once, sets 1.0; picking 4.5 sets 4.5.
        auto* ratings = dialog.findChild<QPushButton*>(QStringLiteral("ratings"));
        ratings->click();
        EXPECT_EQ(dialog.findChild<QComboBox*>(QStringLiteral("rating"))->currentText(),
                  QStringLiteral("1.0"));
        ratings->click();
        EXPECT_EQ(dialog.findChild<QComboBox*>(QStringLiteral("rating"))->currentText(),
                  QStringLiteral("4.5"));
        dialog.accept();
        return dialog.result();
    });
    Responder().QueueDialog([](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("USTA Tennis Rating System"));
        dialog.accept();
        return dialog.result();
    });
    Responder().QueueDialog([](QDialog& dialog) {
        dialog.findChild<QListWidget*>(QStringLiteral("rating"))->setCurrentRow(7);
        dialog.accept();
        return dialog.result();
    });
    Press(view, "add");
    for (const kui::Message& message : Responder().Shown())
        EXPECT_EQ(message.caption, QStringLiteral("Missing Data Field"));
    EXPECT_EQ(Responder().Texts(),
              (std::vector<QString>{QStringLiteral("Please enter a Name"),
                                    QStringLiteral("Please enter a PhoneNumber"),
                                    QStringLiteral("Please enter the Notes")}));
    EXPECT_EQ(view.PageIndex(), 1);
    EXPECT_EQ(Shown(view), "Cy");
    const std::string added =
        "\"Zoe Hart\",\"555-0142\",\"4.5\",\"L\",\"S\",\"1\",\"Big 'kick' serve, likes the net\"";
    EXPECT_NE(ReadFile("phone.dat").find(added), std::string::npos);
    const PhoneRecord* zoe = app_->PhoneStore().At(2);
    ASSERT_TRUE(zoe);
    EXPECT_EQ(zoe->stats.winLossRecord, "1 - 0 - 0");
    EXPECT_EQ(zoe->stats.lastPlayed, "5/14/2026");

    // Edit Bea (index 0) into "Zed": the lists come filled from the codes,
    // the entry keeps its page and is written in place.
    Press(view, "previous");
    Responder().Clear();
    Responder().QueueDialog([](QDialog& dialog) {
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("name"));
        EXPECT_EQ(name->text(), QStringLiteral("Bea"));
        name->setText(QStringLiteral("zed"));
        dialog.accept();
        return dialog.result();
    });
    Press(view, "edit");
    EXPECT_EQ(view.PageIndex(), 0);
    EXPECT_EQ(Shown(view), "Zed");
    EXPECT_TRUE(ReadFile("phone.dat")
                    .starts_with(Lines({"ZBD Data File Format 2.5", "3",
                                        "\"Zed\",\"555-0100\",\"\",\"\",\"\",\"\",\"steady\""})));
    Press(view, "next");
    Press(view, "next");
    Responder().QueueDialog([](QDialog& dialog) {
        EXPECT_EQ(dialog.findChild<QComboBox*>(QStringLiteral("playingStyle"))->currentText(),
                  QStringLiteral("Serve and Volley"));
        EXPECT_EQ(dialog.findChild<QComboBox*>(QStringLiteral("playingSide"))->currentText(),
                  QStringLiteral("Left Handed"));
        // The rating dialog opens on the entry's level and, left at once, keeps it.
        dialog.findChild<QPushButton*>(QStringLiteral("ratings"))->click();
        EXPECT_EQ(dialog.findChild<QComboBox*>(QStringLiteral("rating"))->currentText(),
                  QStringLiteral("4.5"));
        dialog.reject();
        return dialog.result();
    });
    Responder().QueueDialog([](QDialog& dialog) {
        EXPECT_EQ(dialog.findChild<QListWidget*>(QStringLiteral("rating"))->currentRow(), 7);
        dialog.accept();
        return dialog.result();
    });
    Press(view, "edit");
    EXPECT_NE(ReadFile("phone.dat").find(added), std::string::npos);
    EXPECT_TRUE(Responder().Shown().empty());
}

// An entry imported without a number can be edited: the number that was
// empty when the form opened may stay so. Notes the player empties must be
// filled again, as for a new entry.
TEST_F(PhoneViewTest, FieldEmptyWhenOpenedMayStayEmpty) {
    WriteBook({MakePhone("Cy Young", "", "steady")});
    StartWindow();
    TKvrPhoneWin& view = Open();
    Responder().QueueDialog([](QDialog& dialog) {
        auto* name = Field<QLineEdit>(dialog, "name");
        dialog.show();
        name->setFocus();
        QTest::keyClick(name, Qt::Key_A, Qt::ControlModifier);
        return TypeAndEnter(dialog, name, QStringLiteral("Cy Young Jr"));
    });
    Press(view, "edit");
    EXPECT_TRUE(Responder().Texts().empty());
    EXPECT_EQ(Entries(), std::vector<std::string>{MakePhone("Cy Young Jr", "", "steady").ToLine()});

    const std::string before = ReadFile("phone.dat");
    Responder().QueueDialog([](QDialog& dialog) {
        dialog.show();
        auto* notes = Field<QPlainTextEdit>(dialog, "notes");
        notes->setFocus();
        QTest::keyClick(notes, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(notes, Qt::Key_Delete);
        const int result =
            TypeAndEnter(dialog, Field<QLineEdit>(dialog, "name"), QStringLiteral(""));
        EXPECT_EQ(result, QDialog::Rejected);
        EXPECT_EQ(QApplication::focusWidget(), notes);
        dialog.reject();
        return dialog.result();
    });
    Press(view, "edit");
    EXPECT_EQ(Responder().Texts(), std::vector<QString>{QStringLiteral("Please enter the Notes")});
    EXPECT_EQ(ReadFile("phone.dat"), before);
}

// An entry whose texts are longer than the fields, or whose codes the lists
// do not offer, keeps them: Edit and OK untouched store nothing, and a
// change typed into one field changes that field alone.
TEST_F(PhoneViewTest, UntouchedFieldsKeepTheStoredEntryWhole) {
    const std::string line = "\"alexandra montgomery-smythe\",\"+44 20 7946 0958 ext 12\","
                             "\"4.25\",\"r\",\"x\",\"\",\"" +
                             std::string(150, 'n') + "\"";
    WriteFile("phone.dat", Lines({"ZBD Data File Format 2.5", "1", line}));
    WriteFile("coach.dat", Lines({"Pat Smith"}));
    StartWindow();
    TKvrPhoneWin& view = Open();
    auto pressOk = [](QDialog& dialog) {
        QTest::mouseClick(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                          Qt::LeftButton);
        return dialog.result();
    };
    std::filesystem::remove("phone.dat");
    Responder().QueueDialog(pressOk);
    Press(view, "edit");
    EXPECT_EQ(Responder().DialogsRun().size(), 1u);
    EXPECT_FALSE(Exists("phone.dat"));

    Responder().QueueDialog([&](QDialog& dialog) {
        auto* phone = dialog.findChild<QLineEdit*>(QStringLiteral("phoneNumber"));
        EXPECT_EQ(phone->text().size(), TPhoneAddDlg::kPhoneLength);
        phone->setFocus();
        QTest::keyClick(phone, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(phone, "555-0100");
        return pressOk(dialog);
    });
    Press(view, "edit");
    EXPECT_NE(ReadFile("phone.dat")
                  .find("\"alexandra montgomery-smythe\",\"555-0100\",\"4.25\","
                        "\"r\",\"x\",\"\",\"" +
                        std::string(150, 'n') + "\""),
              std::string::npos);
}

// A save that fails says so once, leaves the book as phone.dat holds it and
// the dialog open with what was typed, so that OK tries again; a delete that
// cannot be saved keeps the entry.
TEST_F(PhoneViewTest, AFailedSaveSaysSoAndKeepsTheEntry) {
    WriteBook({Entry("Ann")});
    StartWindow();
    TKvrPhoneWin& view = Open();
    const std::string file = ReadFile("phone.dat");
    // phone.dat cannot be replaced.
    std::filesystem::rename("phone.dat", "phone.keep");
    std::filesystem::create_directory("phone.dat");
    Responder().QueueDialog([&](QDialog& dialog) {
        dialog.show();
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("name"));
        QTest::keyClicks(name, "Bo");
        QTest::keyClicks(dialog.findChild<QLineEdit*>(QStringLiteral("phoneNumber")), "1");
        QTest::keyClicks(dialog.findChild<QPlainTextEdit*>(QStringLiteral("notes")), "x");
        dialog.accept();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(name->text(), QStringLiteral("Bo"));
        EXPECT_EQ(app_->PhoneStore().Count(), 1u);
        // Once the file can be written, OK stores the entry as typed.
        std::filesystem::remove("phone.dat");
        std::filesystem::rename("phone.keep", "phone.dat");
        dialog.accept();
        return dialog.result();
    });
    Press(view, "add");
    ASSERT_EQ(app_->PhoneStore().Count(), 2u);
    EXPECT_EQ(app_->PhoneStore().At(1)->name, "Bo");
    EXPECT_NE(ReadFile("phone.dat"), file);

    std::filesystem::rename("phone.dat", "phone.keep");
    std::filesystem::create_directory("phone.dat");
    Responder().QueueAnswer(true);
    Press(view, "delete");
    EXPECT_EQ(Responder().Texts(),
              (std::vector<QString>{QStringLiteral("Error saving data!"),
                                    QStringLiteral(" Delete this Page from PhoneBook?\n\nAnn"),
                                    QStringLiteral("Error saving data!")}));
    ASSERT_EQ(app_->PhoneStore().Count(), 2u);
    EXPECT_EQ(app_->PhoneStore().At(0)->name, "Ann");
    EXPECT_EQ(Shown(view), "Ann");
    // Memory is what phone.dat holds: saved again, it gives the same bytes.
    std::filesystem::remove("phone.dat");
    std::filesystem::rename("phone.keep", "phone.dat");
    const std::string saved = ReadFile("phone.dat");
    ASSERT_EQ(app_->PhoneStore().Save(), 1);
    EXPECT_EQ(ReadFile("phone.dat"), saved);
}

// The menu's rating system: thirteen levels, 1.0 first, each with its own
// description; a level outside the scale has none.
TEST_F(PhoneViewTest, RatingSystemFromTheMenu) {
    WriteBook({});
    StartWindow();
    QStringList levels;
    std::set<QString> descriptions;
    Responder().QueueDialog([&](QDialog& dialog) {
        auto* list = dialog.findChild<QListWidget*>(QStringLiteral("rating"));
        auto* text = dialog.findChild<QPlainTextEdit*>(QStringLiteral("description"));
        EXPECT_EQ(list->currentRow(), 0);
        EXPECT_TRUE(text->isReadOnly());
        for (int row = 0; row < list->count(); ++row) {
            levels.push_back(list->item(row)->text());
            list->setCurrentRow(row);
            EXPECT_GT(text->toPlainText().size(), 60);
            descriptions.insert(text->toPlainText());
        }
        dialog.accept();
        return dialog.result();
    });
    Client().Command(kui::CmUstaRatings);
    EXPECT_EQ(Responder().DialogsRun(),
              std::vector<QString>{QStringLiteral("USTA Tennis Rating System")});
    EXPECT_EQ(levels, UstaLevels());
    EXPECT_EQ(levels.size(), 13);
    EXPECT_EQ(levels.front(), QStringLiteral("1.0"));
    EXPECT_EQ(levels.back(), QStringLiteral("7.0"));
    EXPECT_EQ(descriptions.size(), 13u);
    EXPECT_TRUE(kui::UstaLevelDescription(5).isEmpty());
    EXPECT_TRUE(kui::UstaLevelDescription(75).isEmpty());
}

// "Export Contacts..." writes vCard 4.0 that a parser reads back whole:
// names split into family and given names, commas, semicolons and
// backslashes in the values, a long note folded without breaking a
// character; every line ends in CRLF and is at most 75 octets.
TEST_F(PhoneViewTest, ExportContactsReadsBackWithAParser) {
    PhoneRecord plain = Entry("Ann Lee", "+1 555 0100");
    PhoneRecord odd = Entry("Bo Van Dyke", "555;0101, ext\\2");
    const std::string longNote = "Prefers the backhand side; slices a lot, comes in behind it\\ "
                                 "and volleys well. Café on the corner after matches, "
                                 "ça va: très bien, always on time.";
    odd.notes = longNote;
    WriteBook({plain, odd});
    StartWindow();
    TKvrPhoneWin& view = Open();
    QueueFileChoice(QStringLiteral("book.vcf"));
    QMenu menu;
    view.FillContextMenu(menu);
    ASSERT_FALSE(menu.actions().isEmpty());
    EXPECT_EQ(menu.actions().back()->text(), QStringLiteral("&Export Contacts..."));
    menu.actions().back()->trigger();
    ASSERT_TRUE(Exists("book.vcf"));

    const std::string bytes = ReadFile("book.vcf");
    size_t start = 0;
    while (start < bytes.size()) {
        const size_t end = bytes.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        EXPECT_LE(end - start, 75u);
        EXPECT_EQ(bytes.substr(start, end - start).find('\n'), std::string::npos);
        start = end + 2;
    }

    const QString reader = PythonWith(QStringLiteral("vobject"));
    if (reader.isEmpty())
        GTEST_SKIP() << "python3-vobject is not available to read the export back";
    const ProcessRun python =
        RunProcess(reader, {"-c", "import json, sys, vobject\n"
                                  "cards = []\n"
                                  "with open('book.vcf', encoding='utf-8', newline='') as f:\n"
                                  "    for card in vobject.readComponents(f.read()):\n"
                                  "        cards.append({'version': card.version.value,\n"
                                  "            'fn': card.fn.value,\n"
                                  "            'family': card.n.value.family,\n"
                                  "            'given': card.n.value.given,\n"
                                  "            'tel': card.tel.value,\n"
                                  "            'note': card.note.value})\n"
                                  "json.dump(cards, sys.stdout)\n"});
    ASSERT_EQ(python.code, 0) << python.err.toStdString();
    const QJsonArray cards = QJsonDocument::fromJson(python.out).array();
    ASSERT_EQ(cards.size(), 2);
    const QJsonObject ann = cards[0].toObject();
    EXPECT_EQ(ann["version"].toString(), QStringLiteral("4.0"));
    EXPECT_EQ(ann["fn"].toString(), QStringLiteral("Ann Lee"));
    EXPECT_EQ(ann["family"].toString(), QStringLiteral("Lee"));
    EXPECT_EQ(ann["given"].toString(), QStringLiteral("Ann"));
    EXPECT_EQ(ann["tel"].toString(), QStringLiteral("+1 555 0100"));
    EXPECT_EQ(ann["note"].toString(), QStringLiteral("steady"));
    const QJsonObject bo = cards[1].toObject();
    EXPECT_EQ(bo["fn"].toString(), QStringLiteral("Bo Van Dyke"));
    EXPECT_EQ(bo["family"].toString(), QStringLiteral("Dyke"));
    EXPECT_EQ(bo["given"].toString(), QStringLiteral("Bo Van"));
    EXPECT_EQ(bo["tel"].toString(), QStringLiteral("555;0101, ext\\2"));
    EXPECT_EQ(bo["note"].toString(), QString::fromStdString(longNote));
}

// A name the book holds already, in any case, is added again only when the
// player says so: the question names the entry held, and No takes the
// player back to the name with everything typed. Keeping an entry's own
// name in an edit asks nothing.
TEST_F(PhoneViewTest, SecondEntryOfANameIsAskedFirst) {
    WriteBook({Entry("Pat Smith")});
    StartWindow();
    TKvrPhoneWin& view = Open();
    const std::vector<std::string> book = Entries();
    Responder().QueueDialog([&](QDialog& dialog) {
        dialog.show();
        dialog.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
        QTest::keyClicks(QApplication::focusWidget(), "pat smith");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_U, Qt::AltModifier);
        QTest::keyClicks(QApplication::focusWidget(), "555-0199");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_O, Qt::AltModifier);
        QTest::keyClicks(QApplication::focusWidget(), "lefty");
        Responder().QueueAnswer(false);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(Responder().Shown().size(), 1u);
        const kui::Message asked = Responder().Shown().at(0);
        EXPECT_EQ(asked.kind, kui::Message::Kind::YesNo);
        EXPECT_EQ(asked.byDefault, kui::Default::No);
        EXPECT_EQ(asked.caption, "Player PhoneBook/Profile");
        EXPECT_EQ(asked.text, "The phone book already has an entry for Pat Smith.\n"
                              "Add a second entry named Pat Smith?");
        EXPECT_EQ(dialog.focusWidget(), dialog.findChild<QLineEdit*>("name"));
        EXPECT_EQ(Entries(), book);
        // Asked again, and added when the player says Yes.
        Responder().QueueAnswer(true);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_EQ(Responder().Shown().size(), 2u);
        return dialog.result();
    });
    QTest::mouseClick(view.findChild<QPushButton*>("add"), Qt::LeftButton);
    ASSERT_EQ(app_->PhoneStore().Count(), 2u);
    EXPECT_EQ(app_->PhoneStore().At(0)->name, "Pat Smith");
    EXPECT_EQ(app_->PhoneStore().At(1)->name, "Pat Smith");

    // An edit that keeps the name, or changes only its notes, asks nothing.
    Responder().Clear();
    Responder().QueueDialog([](QDialog& dialog) {
        return TypeAndEnter(dialog, dialog.findChild<QPlainTextEdit*>("notes"), " too");
    });
    QTest::mouseClick(view.findChild<QPushButton*>("edit"), Qt::LeftButton);
    EXPECT_EQ(Responder().DialogsRun(), std::vector<QString>{"Edit Player PhoneBook/Profile"});
    EXPECT_TRUE(Responder().Shown().empty());
}

} // namespace
} // namespace kvrtest
