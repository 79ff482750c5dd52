// SPDX-License-Identifier: GPL-3.0-or-later
// What every form does alike, as a player drives it with the keyboard: the
// date checks, Enter in a notes field, Alt letters that nothing underlines,
// and the underlined letters of the views' buttons beside the menu titles.
#include "charting/charting_commands.h"
#include "core/date.h"
#include "phonebook/phone_store.h"
#include "phonebook/phone_view.h"
#include "phonebook/phonebook_commands.h"
#include "play/play_commands.h"
#include "printing/printing_commands.h"
#include "schedule/sched_store.h"
#include "schedule/sched_view.h"
#include "schedule/schedule_commands.h"
#include "support/app_fixture.h"
#include "support/typing.h"
#include "tips/tip_store.h"
#include "tips/tips_commands.h"
#include "tips/tips_lookup.h"
#include "ui/player_list.h"

#include <functional>
#include <map>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace kvrtest {
namespace {

class FormsTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        ZBD_Date::FixToday(12, 7, 2026);
        WriteCoach();
    }
    void TearDown() override {
        AppTest::TearDown();
        ZBD_Date::UseSystemClock();
    }
    void Start() {
        StartWindow();
        QApplication::setActiveWindow(&Frame());
    }
    // Runs `open` (which opens a form), `player` filling the form as shown.
    void RunForm(const std::function<void()>& open, std::function<void(QDialog&)> player) {
        Responder().QueueDialog([player](QDialog& dialog) {
            dialog.show();
            dialog.activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
            player(dialog);
            return dialog.result();
        });
        open();
    }
    // Clicks a view's button as the player does.
    static void Click(QWidget& view, const char* name) {
        auto* button = Field<QPushButton>(view, name);
        ASSERT_NE(button, nullptr) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    static void Type(const QString& text) { QTest::keyClicks(KeyTarget(), text); }
    static void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(KeyTarget(), key, modifiers);
    }
    static QString Focused() {
        QWidget* focus = QApplication::focusWidget();
        // A player list's line edit stands for its list.
        if (focus && !focus->objectName().isEmpty())
            return focus->objectName();
        return focus && focus->parentWidget() ? focus->parentWidget()->objectName() : QString();
    }
};

// Every form that takes a date refuses one that is none with the same
// words, under the form's title, with today as the example, and takes the
// player back to the date.
TEST_F(FormsTest, EveryDateCheckNamesTheFormAndGivesAnExample) {
    Start();
    const QString told = "Please enter the date as M/D/YYYY, for example 12/7/2026";
    RunForm([this] { Client().Command(kui::CmRecordNotes); },
            [&](QDialog& dialog) {
                EXPECT_EQ(Focused(), "date");
                Type("13/45/2026");
                Key(Qt::Key_Return);
                EXPECT_EQ(LastMessage(), "Add Play Record: " + told);
                EXPECT_EQ(Focused(), "date");
                // An empty date says the same.
                Key(Qt::Key_A, Qt::ControlModifier);
                Key(Qt::Key_Delete);
                Key(Qt::Key_Return);
                EXPECT_EQ(LastMessage(), "Add Play Record: " + told);
                EXPECT_EQ(Focused(), "date");
                dialog.reject();
            });

    auto& scheduler = OpenFromMenu<TKvrSchedWin>(kui::CmScheduler, kui::SchedulerView);
    RunForm([&] { Click(scheduler, "schedule"); },
            [&](QDialog& dialog) {
                Key(Qt::Key_D, Qt::AltModifier);
                Key(Qt::Key_A, Qt::ControlModifier);
                Type("2/30/2027");
                Key(Qt::Key_Return);
                EXPECT_EQ(LastMessage(), "Schedule Tennis: " + told);
                EXPECT_EQ(Focused(), "date");
                dialog.reject();
            });

    SaveRecords<SchedClass>({MakeEvent("12/9/2026", "Ann Lee")});
    ASSERT_EQ(app_->SchedStore().Load(), 1);
    RunForm([&] { Click(scheduler, "find"); },
            [&](QDialog& dialog) {
                Type("ann");
                Key(Qt::Key_F, Qt::AltModifier);
                Key(Qt::Key_A, Qt::ControlModifier);
                Type("tomorrow");
                Key(Qt::Key_Return);
                EXPECT_EQ(LastMessage(), "Scheduler Search: " + told);
                EXPECT_EQ(Focused(), "fromDate");
                EXPECT_EQ(dialog.result(), QDialog::Rejected);
                dialog.reject();
            });
    EXPECT_EQ(Responder().DialogsRun().size(), 3u);
}

// Notes are stored on one line: Enter in any notes field presses OK, as in
// every other field, and never starts a new line.
TEST_F(FormsTest, EnterInEveryNotesFieldPressesOk) {
    SaveRecords<KVR_PhoneData>({MakePhone("Ann Lee")});
    Start();
    const std::map<QString, QString> notesOf = {{"Add Play Record", "practiceNotes"},
                                                {"Schedule Tennis", "notes"},
                                                {"Edit Player PhoneBook/Profile", "notes"},
                                                {"Add Tips", "tipText"}};
    std::map<QString, QString> typed;
    auto enterInNotes = [&](QDialog& dialog) {
        auto* notes = Field<QPlainTextEdit>(dialog, notesOf.at(dialog.windowTitle()).toUtf8());
        ASSERT_NE(notes, nullptr) << dialog.windowTitle().toStdString();
        notes->setFocus();
        Type("lob");
        Responder().Clear();
        Key(Qt::Key_Return);
        typed[dialog.windowTitle()] = notes->toPlainText();
        // OK checked the fields: a message names what is missing, or the
        // form closed.
        EXPECT_TRUE(!Responder().Shown().empty() || dialog.result() == QDialog::Accepted)
            << dialog.windowTitle().toStdString();
        dialog.reject();
    };
    RunForm([this] { Client().Command(kui::CmRecordNotes); }, enterInNotes);
    auto& scheduler = OpenFromMenu<TKvrSchedWin>(kui::CmScheduler, kui::SchedulerView);
    RunForm([&] { Click(scheduler, "schedule"); }, enterInNotes);
    auto& phones = OpenFromMenu<TKvrPhoneWin>(kui::CmPhonebook, kui::PhonebookView);
    RunForm([&] { Click(phones, "edit"); }, enterInNotes);
    RunForm([this] { Client().Command(kui::CmTipsAdd); }, enterInNotes);
    const std::map<QString, QString> expected = {{"Add Play Record", "lob"},
                                                 {"Schedule Tennis", "lob"},
                                                 {"Edit Player PhoneBook/Profile", "lob"},
                                                 {"Add Tips", "lob"}};
    EXPECT_EQ(typed, expected);
}

// Alt and a letter that no label or button of the form underlines does
// nothing: it does not type its letter over the selected text.
TEST_F(FormsTest, AltLetterThatNothingUnderlinesTypesNothing) {
    Start();
    RunForm([this] { Client().Command(kui::CmRecordNotes); },
            [&](QDialog& dialog) {
                Key(Qt::Key_W, Qt::AltModifier);
                Type("Pat");
                Key(Qt::Key_A, Qt::ControlModifier);
                Key(Qt::Key_E, Qt::AltModifier);
                Key(Qt::Key_Z, Qt::AltModifier | Qt::ShiftModifier);
                Key(Qt::Key_7, Qt::AltModifier);
                EXPECT_EQ(Field<TPlayerList>(dialog, "who")->currentText(), "Pat");
                // A letter the form has still takes the player to its field.
                Key(Qt::Key_I, Qt::AltModifier);
                EXPECT_EQ(Focused(), "time");
                dialog.reject();
            });
    auto& scheduler = OpenFromMenu<TKvrSchedWin>(kui::CmScheduler, kui::SchedulerView);
    RunForm([&] { Click(scheduler, "schedule"); },
            [&](QDialog& dialog) {
                Key(Qt::Key_W, Qt::AltModifier);
                Type("Club");
                Key(Qt::Key_A, Qt::ControlModifier);
                Key(Qt::Key_E, Qt::AltModifier);
                EXPECT_EQ(Field<QLineEdit>(dialog, "where")->text(), "Club");
                dialog.reject();
            });
}

// No button of any view underlines a letter of a menu title, nor one that
// another button of its view underlines: Alt+D opens the Data menu (where
// Record Notes is) whichever view is in front.
TEST_F(FormsTest, ViewButtonsLeaveTheMenuTitlesTheirLetters) {
    SaveRecords<KVR_PhoneData>({MakePhone("Ann Lee")});
    SaveServeTips({MakeTip("Toss a little in front", 2, 5)});
    Start();
    kui::SetTipDraw([] { return 0; });
    std::map<int, QString> menuLetters;
    for (QAction* menu : Frame().menuBar()->actions()) {
        const QKeySequence letter = QKeySequence::mnemonic(menu->text());
        ASSERT_FALSE(letter.isEmpty()) << menu->text().toStdString();
        menuLetters[letter[0].key()] = menu->text();
    }
    ASSERT_EQ(menuLetters.size(), 8u);

    // Every command that opens a view.
    Responder().QueueDialog([](QDialog& dialog) {
        dialog.findChild<QRadioButton*>(QStringLiteral("Serve"))->setChecked(true);
        dialog.findChild<QRadioButton*>(QStringLiteral("Placement"))->setChecked(true);
        dialog.accept();
        return dialog.result();
    });
    for (int command :
         {kui::CmBrowseNotes, kui::CmBrowseChartingData, kui::CmSpreadsheet,
          kui::CmTimePlayedSummary, kui::CmChartingStrokeSummary, kui::CmPracticeNotes,
          kui::CmCourtForm, kui::CmPhonebook, kui::CmScheduler, kui::CmTipsLookup})
        Client().Command(command);
    Responder().Clear();
    const QList<QMdiSubWindow*> windows = Client().subWindowList();
    ASSERT_GE(windows.size(), 8);
    int buttons = 0;
    for (QMdiSubWindow* window : windows) {
        const std::string title = window->widget()->windowTitle().toStdString();
        std::map<int, QString> viewLetters;
        for (QAbstractButton* button : window->widget()->findChildren<QAbstractButton*>()) {
            ++buttons;
            const QKeySequence letter = QKeySequence::mnemonic(button->text());
            if (letter.isEmpty())
                continue;
            const int key = letter[0].key();
            EXPECT_EQ(menuLetters.count(key), 0u)
                << title << ": " << button->text().toStdString() << " takes the letter of "
                << menuLetters[key].toStdString();
            EXPECT_TRUE(viewLetters.emplace(key, button->text()).second)
                << title << ": " << button->text().toStdString() << " and "
                << viewLetters[key].toStdString();
        }
    }
    EXPECT_GT(buttons, 10);

    // The phone book in front, its Delete and Add showing: Alt+D opens Data.
    auto& phones = OpenFromMenu<TKvrPhoneWin>(kui::CmPhonebook, kui::PhonebookView);
    phones.setFocus();
    for (Qt::Key key : {Qt::Key_D, Qt::Key_A}) {
        QTest::keyClick(QApplication::focusWidget(), key, Qt::AltModifier);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->title(), menuLetters[key]);
        QTest::keyClick(menu, Qt::Key_Escape);
        QTest::keyClick(Frame().menuBar(), Qt::Key_Escape);
    }
    EXPECT_TRUE(Responder().Shown().empty());
    EXPECT_TRUE(Responder().DialogsRun().empty());
    EXPECT_EQ(app_->PhoneStore().Count(), 1u);
}

// The tips' check messages take the player to the first choice or field
// still to fill.
TEST_F(FormsTest, TipsCheckMessagesTakeThePlayerToWhatIsMissing) {
    SaveServeTips({MakeTip("Toss a little in front", 2, 5)});
    Start();
    RunForm([this] { Client().Command(kui::CmTipsAdd); },
            [&](QDialog& dialog) {
                Key(Qt::Key_S, Qt::AltModifier);
                Key(Qt::Key_F); // Forehand
                Key(Qt::Key_Return);
                EXPECT_EQ(LastMessage().section(": ", 1), "Missing Data, please enter all fields");
                EXPECT_EQ(Focused(), "level");
                Key(Qt::Key_Down); // 1 Consistency
                Key(Qt::Key_Return);
                EXPECT_EQ(Focused(), "tipText");
                dialog.reject();
            });
    RunForm([this] { Client().Command(kui::CmTipsLookup); },
            [&](QDialog& dialog) {
                QTest::mouseClick(Field<QRadioButton>(dialog, "Serve"), Qt::LeftButton);
                Key(Qt::Key_Return);
                EXPECT_EQ(LastMessage().section(": ", 1), "Please select stroke and level");
                EXPECT_EQ(Focused(), "Consistency");
                dialog.reject();
            });
    EXPECT_EQ(Responder().Texts().size(), 3u);
}

} // namespace
} // namespace kvrtest
