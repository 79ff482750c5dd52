// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/history.h"
#include "core/play_store.h"
#include "play/find_dialog.h"
#include "play/notes_csv.h"
#include "play/notes_notebook.h"
#include "play/notes_page.h"
#include "play/play_commands.h"
#include "support/app_fixture.h"
#include "support/process.h"
#include "support/render.h"
#include "support/text_recorder.h"
#include "support/typing.h"
#include "ui/drawing.h"
#include "ui/notebook_page.h"
#include "ui/player_list.h"

#include <unistd.h>

#include <QAction>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace kvrtest {
namespace {

PlayRecord Note(const std::string& date, const std::string& who, const std::string& kind = "P") {
    PlayRecord record = MakePlay(date, who, kind);
    record.practiceNotes = "drills";
    return record;
}

PlayRecord DoublesMatch() {
    PlayRecord record = Note("3/10/2026", "Ann Lee", "M");
    record.singlesDoubles = "D";
    record.secondOpponent = "Bo Park";
    record.partner = "Cy Young";
    record.result = "L";
    record.score = "6-4 6-3";
    record.matchNotes = "lobbed too short";
    return record;
}

// A rendered text, found by what it reads.
const DrawnText& Text(const std::vector<DrawnText>& texts, const QString& text) {
    static const DrawnText none;
    for (const DrawnText& drawn : texts)
        if (drawn.text == text)
            return drawn;
    ADD_FAILURE() << "no text " << text.toStdString();
    return none;
}

bool Drawn(const std::vector<DrawnText>& texts, const QString& text) {
    return std::any_of(texts.begin(), texts.end(),
                       [&](const DrawnText& drawn) { return drawn.text == text; });
}

class NotesPageTest : public ::testing::TestWithParam<QSize> {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }
};

// Each label ends where its value's box begins, at the box's top, in blue;
// each value starts there in black; a match shows its result and score, a
// doubles match its second opponent and partner, a practice none of them.
TEST_P(NotesPageTest, FieldsSitInTheirBoxesUnderTheirLabels) {
    const QSize size = GetParam();
    const int w = size.width();
    const int h = size.height();
    kui::NotesPageData data;
    data.page = kui::NotebookPageImage();
    data.record = DoublesMatch();
    data.pageNumber = 3;
    const auto texts = RecordTexts(&kui::DrawNotesPage, size, data);

    struct Expected {
        QString label, value;
        double left, top;
    };
    const Expected fields[] = {
        {"Date: ", "3/10/2026", 0.72, 0.27}, {"S/D: ", "Doubles", 0.72, 0.32},
        {"Time: ", "1.5", 0.72, 0.37},       {"MPL: ", "Match", 0.72, 0.42},
        {"WL: ", "Loss", 0.72, 0.47},        {"Partner: ", "Cy Young", 0.25, 0.42},
        {"Score: ", "6-4 6-3", 0.25, 0.47}};
    const QFont font = kui::ScaledFont(size, 27, 63);
    for (const Expected& field : fields) {
        SCOPED_TRACE(field.label.toStdString());
        const DrawnText& label = Text(texts, field.label);
        const DrawnText& value = Text(texts, field.value);
        const int left = kui::Frac(w, field.left);
        const int top = kui::Frac(h, field.top);
        EXPECT_NEAR(label.rect.right(), left, 1.5);
        EXPECT_NEAR(label.rect.top(), top, 1.5);
        EXPECT_EQ(label.color.rgb(), kui::kNotesLabelBlue);
        EXPECT_EQ(label.font.pixelSize(), font.pixelSize());
        EXPECT_NEAR(value.rect.left(), left, 1.5);
        EXPECT_NEAR(value.rect.top(), top, 1.5);
        EXPECT_EQ(value.color.rgb(), qRgb(0, 0, 0));
    }
    // Both opponents under one label, one under the other.
    int opponents = 0;
    for (const DrawnText& drawn : texts)
        opponents += drawn.text == "Opponent: ";
    EXPECT_EQ(opponents, 2);
    EXPECT_NEAR(Text(texts, "Bo Park").rect.top(), kui::Frac(h, 0.37), 1.5);
    // The notes start at the top left of their boxes; the page number is
    // centred in its box.
    EXPECT_NEAR(Text(texts, "lobbed too short").rect.left(), kui::Frac(w, 0.084), 1.5);
    EXPECT_NEAR(Text(texts, "lobbed too short").rect.top(), kui::Frac(h, 0.545), 1.5);
    EXPECT_NEAR(Text(texts, "drills").rect.top(), kui::Frac(h, 0.77), 1.5);
    const DrawnText& page = Text(texts, "pg 3");
    EXPECT_NEAR(page.rect.center().x(), (kui::Frac(w, 0.48) + kui::Frac(w, 0.58)) / 2.0, 2);
    EXPECT_GE(page.rect.top(), kui::Frac(h, 0.95));

    // A singles practice: no second opponent, partner, result or score.
    data.record = Note("3/11/2026", "Di Ross");
    const auto practice = RecordTexts(&kui::DrawNotesPage, size, data);
    EXPECT_TRUE(Drawn(practice, "Practice"));
    EXPECT_TRUE(Drawn(practice, "Singles"));
    EXPECT_NEAR(Text(practice, "Di Ross").rect.left(), kui::Frac(w, 0.25), 1.5);
    for (const char* absent : {"WL: ", "Score: ", "Partner: ", "Win"})
        EXPECT_FALSE(Drawn(practice, absent)) << absent;
    EXPECT_EQ(std::count_if(practice.begin(), practice.end(),
                            [](const DrawnText& t) { return t.text == "Opponent: "; }),
              1);

    // Codes written out in lower case (a file edited by hand) read as the
    // statistics read them: a doubles match, lost.
    PlayRecord edited = DoublesMatch();
    edited.singlesDoubles = "doubles";
    edited.kind = "match";
    edited.result = "loss";
    data.record = edited;
    const auto lower = RecordTexts(&kui::DrawNotesPage, size, data);
    for (const char* shown : {"Doubles", "Match", "Loss", "6-4 6-3", "Partner: ", "Bo Park"})
        EXPECT_TRUE(Drawn(lower, shown)) << shown;

    // No record: the page says what to do, in words within the pad, and
    // has no page number.
    data.record.reset();
    data.pageNumber = 0;
    data.emptyText = kui::NotesEmptyText(false);
    const auto blank = RecordTexts(&kui::DrawNotesPage, size, data);
    ASSERT_FALSE(blank.empty());
    QString said;
    for (const DrawnText& text : blank) {
        said += (said.isEmpty() ? "" : " ") + text.text;
        EXPECT_TRUE(QRect(QPoint(0, 0), size).contains(text.rect.toRect()));
    }
    EXPECT_EQ(said, QStringLiteral("No notes yet: Data > Record Notes"));
}

INSTANTIATE_TEST_SUITE_P(Sizes, NotesPageTest,
                         ::testing::Values(QSize(600, 550), QSize(1280, 960)));

// The notebook in the real main window over real files: three current
// notes (oldest first in the store) and three past ones (newest first).
class NotesNotebookTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        WriteFile("coach.dat", Lines({"Pat Smith"}));
    }

    static void WriteNotes(std::initializer_list<PlayRecord> current,
                           std::initializer_list<PlayRecord> past) {
        WritePlayFiles(current, past);
    }

    static void WriteStandardNotes() {
        WriteNotes({Note("3/1/2026", "Ann Lee"), Note("3/2/2026", "Bo Park"),
                    Note("3/3/2026", "Cy Young")},
                   {Note("2/3/2026", "Di Ross"), Note("2/2/2026", "Ed Kahn"),
                    Note("2/1/2026", "Bo Parker")});
    }

    // Starts the window, with the statistics (which know whether there is a
    // history), and opens the notebook from its menu command.
    TKvrBrowseWin& Open() {
        StartWindow();
        app_->RecordsChanged(kui::Store::Play);
        return OpenFromMenu<TKvrBrowseWin>(kui::CmBrowseNotes, kui::BrowseNotesView);
    }

    static QString Shown(TKvrBrowseWin& view) {
        const auto data = view.Snapshot(view.size());
        return data.record ? QString::fromStdString(data.record->who) + " pg " +
                                 QString::number(data.pageNumber)
                           : "blank pg " + QString::number(data.pageNumber);
    }

    static QPushButton& Button(TKvrBrowseWin& view, const char* name) {
        return *Field<QPushButton>(view, name);
    }

    // Queues the find dialog with this text typed and Enter pressed.
    void QueueFind(const QString& text) {
        Responder().QueueDialog([text](QDialog& dialog) {
            EXPECT_EQ(dialog.windowTitle(), "Search");
            return TypeAndEnter(dialog, dialog.findChild<TPlayerList*>("who"), text);
        });
    }
};

// Paging: newest first, "<<" wraps to the oldest, ">>" from the oldest asks
// to go on into the past notes, which page newest first until the end
// brings the current notes back; the buttons follow. A past page stays
// drawn without its file: a paint reads none.
TEST_F(NotesNotebookTest, PagesThroughCurrentThenPastNotes) {
    WriteStandardNotes();
    TKvrBrowseWin& view = Open();
    EXPECT_EQ(view.windowTitle(), "Browse Notes");
    EXPECT_EQ(Shown(view), "Cy Young pg 3");
    // The command line draws the same page through the table's view row.
    const kui::ViewRow* row = Client().Commands().FindView("notes");
    ASSERT_NE(row, nullptr);
    std::unique_ptr<TKvrChild> drawn(row->make(Client()));
    EXPECT_EQ(Shown(*qobject_cast<TKvrBrowseWin*>(drawn.get())), "Cy Young pg 3");
    view.Newer();
    EXPECT_EQ(Shown(view), "Ann Lee pg 1");
    Responder().QueueAnswer(false);
    view.Older();
    EXPECT_EQ(Shown(view), "Cy Young pg 3") << "No wraps to the newest";
    EXPECT_EQ(LastMessage(), "Last Current Record: This is the last Note from the Current Goal "
                             "Period.  Would you like to Browse your Past Notes?");
    view.Older();
    QTest::keyClick(&view, Qt::Key_Return); // the default button
    EXPECT_EQ(Shown(view), "Ann Lee pg 1");
    Responder().QueueAnswer(true);
    view.Older();
    EXPECT_TRUE(view.BrowsingPast());
    EXPECT_EQ(Shown(view), "Di Ross pg 1");
    EXPECT_TRUE(Button(view, "edit").isHidden());
    EXPECT_TRUE(Button(view, "delete").isHidden());
    EXPECT_FALSE(Button(view, "older").isHidden());

    // "<<" answered No stays in the past.
    view.Older();
    Responder().QueueAnswer(false);
    view.Newer();
    EXPECT_EQ(LastMessage(), "Current Notes?: Currently Browsing Past Notes.  Would you like "
                             "to return to Current Notes?");
    EXPECT_EQ(Shown(view), "Ed Kahn pg 2");
    std::filesystem::remove(KVR_History::kFileName);
    EXPECT_EQ(Shown(view), "Ed Kahn pg 2");
    WriteStandardNotes();

    view.Older();
    EXPECT_EQ(Shown(view), "Bo Parker pg 3");
    Responder().Clear();
    view.Older();
    EXPECT_EQ(LastMessage(), "Current Notes: Done with Past Notes, returning to Current Notes");
    EXPECT_FALSE(view.BrowsingPast());
    EXPECT_EQ(Shown(view), "Cy Young pg 3");
    EXPECT_FALSE(Button(view, "edit").isHidden());

    // Into the past and straight back with "<<" and Yes.
    view.Older();
    view.Older();
    Responder().QueueAnswer(true);
    view.Older();
    Responder().QueueAnswer(true);
    view.Newer();
    EXPECT_FALSE(view.BrowsingPast());
    EXPECT_EQ(Shown(view), "Cy Young pg 3");
}

// Without a history ">>" on the oldest page wraps without asking; with no
// notes at all the page is blank, Find is off and reports the empty book;
// a note recorded elsewhere brings the page and its buttons back.
TEST_F(NotesNotebookTest, WithoutHistoryPagesWrapAndAnEmptyBookSaysSo) {
    WriteNotes({Note("3/1/2026", "Ann Lee"), Note("3/2/2026", "Bo Park")}, {});
    TKvrBrowseWin& view = Open();
    view.Older();
    view.Older();
    EXPECT_EQ(Shown(view), "Bo Park pg 2");
    EXPECT_TRUE(Responder().Shown().empty());

    Responder().QueueAnswer(true);
    view.DeletePage();
    Responder().QueueAnswer(true);
    view.DeletePage();
    EXPECT_EQ(Shown(view), "blank pg 0");
    EXPECT_EQ(view.Describe().lines, QStringList{"No notes yet: Data > Record Notes"});
    EXPECT_TRUE(Button(view, "edit").isHidden());
    EXPECT_FALSE(Button(view, "find").isEnabled());
    Responder().Clear();
    view.FindPerson();
    EXPECT_EQ(LastMessage(), "No Notes: NoteBook is Empty!");
    EXPECT_TRUE(Responder().DialogsRun().empty());

    // A note recorded from the menu meanwhile: the next paint shows it, and
    // the buttons follow.
    app_->PlayStore().AddCopy(Note("3/5/2026", "Ed Kahn"));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.window()));
    app_->RecordsChanged(kui::Store::Play);
    view.repaint();
    QApplication::processEvents();
    EXPECT_EQ(Shown(view), "Ed Kahn pg 1");
    EXPECT_FALSE(Button(view, "edit").isHidden());
    EXPECT_TRUE(Button(view, "find").isEnabled());
}

// Find in the current notes looks from the page before the shown one back,
// by the start of a name; then, asked, in the past notes by any part of a
// name; and from a past page on through the rest of the history.
TEST_F(NotesNotebookTest, FindLooksThroughCurrentThenPastNotes) {
    WriteStandardNotes();
    TKvrBrowseWin& view = Open();
    QueueFind("ann");
    view.FindPerson();
    EXPECT_EQ(Shown(view), "Ann Lee pg 1");
    EXPECT_TRUE(Responder().Shown().empty());

    // Only the shown page names Ann: not found, and past notes declined.
    QueueFind("ann");
    Responder().QueueAnswer(false);
    view.FindPerson();
    ASSERT_EQ(Responder().Texts().size(), 2u);
    EXPECT_EQ(Responder().Shown()[0].caption, "Find");
    EXPECT_EQ(Responder().Texts()[0], "Didn't find Ann in Current Notes");
    EXPECT_EQ(LastMessage(), "Find: Search Past Notes?");
    EXPECT_EQ(Shown(view), "Ann Lee pg 1");

    // A name holding the text anywhere, whatever its case, is found: in the
    // current notes, then in the past ones.
    Responder().Clear();
    Client().Command(kui::CmBrowseNotes); // brings the same view forward
    view.Newer();
    view.Newer();
    EXPECT_EQ(Shown(view), "Cy Young pg 3");
    QueueFind("PARK");
    view.FindPerson();
    EXPECT_EQ(Shown(view), "Bo Park pg 2");
    EXPECT_TRUE(Responder().Shown().empty());
    QueueFind("ker");
    Responder().QueueAnswer(true);
    view.FindPerson();
    ASSERT_FALSE(Responder().Texts().empty());
    EXPECT_EQ(Responder().Texts()[0], "Didn't find Ker in Current Notes");
    EXPECT_TRUE(view.BrowsingPast());
    EXPECT_EQ(Shown(view), "Bo Parker pg 3");

    // From the last past page nothing is left: the page stays, and ">>" then
    // ends the past notes.
    Responder().Clear();
    QueueFind("Di");
    view.FindPerson();
    EXPECT_EQ(LastMessage(), "Search: Sorry didn't find Di in History Notes");
    EXPECT_EQ(Shown(view), "Bo Parker pg 3");
    view.Older();
    EXPECT_EQ(LastMessage(), "Current Notes: Done with Past Notes, returning to Current Notes");

    // A person found nowhere; an empty text changes nothing.
    Responder().Clear();
    QueueFind("zed");
    Responder().QueueAnswer(true);
    view.FindPerson();
    EXPECT_EQ(LastMessage(), "Find: Didn't find Zed in Past Notes");
    EXPECT_FALSE(view.BrowsingPast());
    Responder().Clear();
    QueueFind("");
    view.FindPerson();
    EXPECT_TRUE(Responder().Shown().empty());
}

// Edit opens the add-play dialog on the page's record and the page shows
// the edit; Delete asks, removes and saves, and deleting the newest record
// shows the newest one left. Every open view repaints.
TEST_F(NotesNotebookTest, EditAndDeleteFollowUps) {
    WriteStandardNotes();
    TKvrBrowseWin& view = Open();
    int paints = 0;
    Client().OpenView(99, [&] { return new CountingView(Client(), 99, "other", &paints); });
    QApplication::processEvents();
    paints = 0;

    Responder().QueueDialog([](QDialog& dialog) {
        EXPECT_EQ(dialog.findChild<TPlayerList*>("who")->currentText(), "Cy Young");
        dialog.findChild<QPlainTextEdit*>("practiceNotes")->setPlainText("new grip");
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        return dialog.result();
    });
    Button(view, "edit").click();
    EXPECT_EQ(view.Snapshot(view.size()).record->practiceNotes, "new grip");
    QApplication::processEvents();
    EXPECT_GT(paints, 0);

    Responder().QueueAnswer(false);
    view.DeletePage();
    // The question names the page after its own text; Enter answers No.
    EXPECT_EQ(LastMessage(),
              "Delete Notes?: Are you sure you want to Delete this Page?\n\n3/3/2026, Cy Young");
    EXPECT_EQ(Responder().Shown().back().byDefault, kui::Default::No);
    EXPECT_EQ(app_->PlayStore().Count(), 3u);

    paints = 0;
    Responder().QueueAnswer(true);
    Button(view, "delete").click();
    KVR_PlayData reread;
    ASSERT_EQ(reread.Load(), 1);
    ASSERT_EQ(reread.Count(), 2u);
    EXPECT_EQ(reread.At(1)->who, "Bo Park");
    EXPECT_EQ(Shown(view), "Bo Park pg 2");
    QApplication::processEvents();
    EXPECT_GT(paints, 0);

    // A failed save is told, and the page stays: memory is as play.dat.
    std::filesystem::permissions(Dir(), std::filesystem::perms::owner_read |
                                            std::filesystem::perms::owner_exec);
    Responder().QueueAnswer(true);
    view.DeletePage();
    std::filesystem::permissions(Dir(), std::filesystem::perms::owner_all);
    if (::geteuid() != 0) {
        EXPECT_EQ(Responder().Texts().back(), "Error saving data!");
        EXPECT_EQ(app_->PlayStore().Count(), 2u);
        EXPECT_EQ(Shown(view), "Bo Park pg 2");
    }
}

// The export, read back with Python's csv module: a header, the current
// notes newest first, then the past ones, every field intact, commas,
// quotes, line breaks and non-ASCII letters included. A history that cannot
// be read leaves the file as it was.
TEST_F(NotesNotebookTest, ExportsEveryNoteAsCsv) {
    WriteNotes({Note("3/1/2026", "Ann Lee")}, {Note("2/3/2026", "Di, Ross")});
    TKvrBrowseWin& view = Open();
    // Quotes and line breaks cannot be stored, but the export must not
    // depend on that.
    PlayRecord match = DoublesMatch();
    match.matchNotes = "first serve, \"kick\" then\nvolley";
    match.who = "Zoë Lane";
    match.Rating(kvr::Stroke::Forehand, kvr::Level::Consistency) = 5;
    match.Rating(kvr::Stroke::Approach, kvr::Level::Power) = 9;
    app_->PlayStore().AddCopy(match);
    QueueFileChoice(QStringLiteral("notes.csv"));
    QMenu menu;
    view.FillContextMenu(menu);
    const QList<QAction*> actions = menu.actions();
    ASSERT_FALSE(actions.isEmpty());
    EXPECT_EQ(actions.back()->text(), "&Export CSV...");
    actions.back()->trigger();
    ASSERT_TRUE(Exists("notes.csv"));

    const QString reader = PythonWith(QStringLiteral("csv"));
    if (reader.isEmpty())
        GTEST_SKIP() << "python3 is not available to read the export back";
    const ProcessRun python =
        RunProcess(reader, {"-c", "import csv, json, sys\n"
                                  "with open('notes.csv', newline='', encoding='utf-8') as f:\n"
                                  "    json.dump(list(csv.reader(f)), sys.stdout)\n"});
    ASSERT_EQ(python.code, 0) << python.err.toStdString();
    const QJsonArray rows = QJsonDocument::fromJson(python.out).array();
    ASSERT_EQ(rows.size(), 4);
    auto row = [&](int n) {
        QStringList fields;
        for (const auto& field : rows[n].toArray())
            fields << field.toString();
        return fields;
    };
    ASSERT_EQ(row(0).size(), 36);
    EXPECT_EQ(row(0)[12], "Forehand Consistency");
    EXPECT_EQ(row(0)[16], "Backhand Consistency");
    EXPECT_EQ(row(0)[35], "Approach Power");
    EXPECT_EQ(row(1)[12], "5"); // its ratings, a stroke's four levels together
    EXPECT_EQ(row(1)[35], "9");
    EXPECT_EQ(row(0).mid(0, 12), QStringList({"Period", "Date", "Singles/Doubles", "Opponent",
                                              "Second Opponent", "Partner", "Time", "Kind",
                                              "Result", "Score", "Match Notes", "Practice Notes"}));
    EXPECT_EQ(
        row(1).mid(0, 12),
        QStringList({"Current", "3/10/2026", "Doubles", "Zoë Lane", "Bo Park", "Cy Young", "1.5",
                     "Match", "Loss", "6-4 6-3", "first serve, \"kick\" then\nvolley", "drills"}));
    EXPECT_EQ(row(2)[3], "Ann Lee");
    EXPECT_EQ(row(2)[8], "");
    EXPECT_EQ(row(3)[0], "Past");
    EXPECT_EQ(row(3)[3], "Di, Ross");

    // A history this program cannot read makes no export, and says so.
    const std::string written = ReadFile("notes.csv");
    WriteFile(KVR_History::kFileName, Lines({"KVR History Data Format 9.0"}));
    EXPECT_FALSE(kui::ExportNotesCsv("notes.csv", app_->PlayStore()));
    EXPECT_EQ(ReadFile("notes.csv"), written);
}

} // namespace
} // namespace kvrtest
