// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader hears, read through Qt's accessibility interface: a
// name for every input of every dialog and the title of every view.
#include "app/app_commands.h"
#include "app/welcome_dialog.h"
#include "charting/charting_commands.h"
#include "charting/charting_dialog.h"
#include "phonebook/phone_dialogs.h"
#include "phonebook/phonebook_commands.h"
#include "play/add_play_dialog.h"
#include "play/find_dialog.h"
#include "play/play_commands.h"
#include "play/rating_dialog.h"
#include "printing/print_name_dialog.h"
#include "schedule/sched_dialogs.h"
#include "schedule/schedule_commands.h"
#include "support/app_fixture.h"
#include "tips/tip_dialogs.h"
#include "tips/tip_store.h"

#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSet>
#include <QTextEdit>

namespace kvrtest {
namespace {

QString AccessibleName(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Name) : QString();
}

// Every input of `dialog` with no accessible name, as "title: object name".
QStringList Unnamed(QDialog& dialog) {
    QStringList unnamed;
    for (QWidget* widget : dialog.findChildren<QWidget*>()) {
        const bool input =
            qobject_cast<QComboBox*>(widget) || qobject_cast<QAbstractSpinBox*>(widget) ||
            qobject_cast<QAbstractSlider*>(widget) || qobject_cast<QPlainTextEdit*>(widget) ||
            qobject_cast<QTextEdit*>(widget) || qobject_cast<QAbstractItemView*>(widget) ||
            // A line edit on its own; one inside a drop-down list or spin
            // box is named by that.
            (qobject_cast<QLineEdit*>(widget) &&
             !qobject_cast<QComboBox*>(widget->parentWidget()) &&
             !qobject_cast<QAbstractSpinBox*>(widget->parentWidget()));
        // The drop-down list of a combo box is its own popup, and the scroll
        // bars of a text field or list are part of it: no inputs of their own.
        const bool part = widget->inherits("QComboBoxListView") ||
                          (qobject_cast<QAbstractSlider*>(widget) &&
                           widget->parentWidget()->objectName().startsWith("qt_scrollarea"));
        if (input && !part && AccessibleName(widget).trimmed().isEmpty())
            unnamed << dialog.windowTitle() + ": " + widget->objectName() + " (" +
                           widget->metaObject()->className() + ")";
    }
    return unnamed;
}

class AccessibilityTest : public AppTest {};

TEST_F(AccessibilityTest, EveryDialogInputAndEveryViewHasAName) {
    WriteFile("coach.dat", Lines({"Pat Smith"}));
    SaveServeTips({MakeTip("Toss in front", 1, 0)});
    StartWindow();
    TKvrWinApp& app = *app_;
    app.TipStore().Select("Serve");
    ASSERT_EQ(app.TipStore().Load(), 1);

    QStringList unnamed;
    {
        TAddPlayRecordDlg dialog(&Client(), app.PhoneStore().Names());
        unnamed << Unnamed(dialog);
        auto* second = dialog.findChild<QComboBox*>(QStringLiteral("secondOpponent"));
        ASSERT_NE(second, nullptr);
        EXPECT_EQ(AccessibleName(second), QStringLiteral("2nd Opponent"));
    }
    std::vector<std::unique_ptr<QDialog>> dialogs;
    dialogs.push_back(std::make_unique<TWelcomeDlg>(&Client()));
    dialogs.push_back(
        std::make_unique<RatingDlg>(&Client(), 0, std::array<int, 6>{5, 5, 5, 5, 5, 5}));
    dialogs.push_back(std::make_unique<TFindDlg>(&Client(), app.PhoneStore()));
    dialogs.push_back(std::make_unique<TTipsSelectDlg>(&Client()));
    dialogs.push_back(std::make_unique<TTipsAddDlg>(&Client()));
    dialogs.push_back(std::make_unique<TTipEditDlg>(&Client(), *app.TipStore().At(0)));
    dialogs.push_back(
        std::make_unique<TSchedAddDlg>(&Client(), app.PhoneStore().Names(), ZBD_Date()));
    dialogs.push_back(std::make_unique<TSchedFindDlg>(&Client(), app.PhoneStore(), "1/1/2026"));
    dialogs.push_back(std::make_unique<MPrintNameDlg>(&Client(), app.PhoneStore()));
    dialogs.push_back(std::make_unique<TChartingDlg>(&Client(), "1/1/2026", "Ann", "6-4", 'S'));
    dialogs.push_back(std::make_unique<TUSTA_Ratings>(&Client()));
    dialogs.push_back(
        std::make_unique<TPhoneAddDlg>(&Client(), PhoneRecord(), std::vector<std::string>{}));
    for (auto& dialog : dialogs)
        unnamed << Unnamed(*dialog);

    // The picture size asked by a view's Save Image.
    Client().Command(kui::CmSpreadsheet);
    TKvrChild* spreadsheet = Client().ActiveView();
    ASSERT_NE(spreadsheet, nullptr);
    Responder().QueueDialog([](QDialog& dialog) {
        static_cast<QFileDialog&>(dialog).selectFile(QStringLiteral("sheet.png"));
        return int(QDialog::Accepted);
    });
    bool sized = false;
    Responder().QueueDialog([&](QDialog& dialog) {
        sized = true;
        unnamed << Unnamed(dialog);
        return int(QDialog::Rejected);
    });
    spreadsheet->SaveImageAs();
    EXPECT_TRUE(sized);
    EXPECT_EQ(unnamed.join(QStringLiteral("; ")).toStdString(), "");

    for (int command : {kui::CmPhonebook, kui::CmScheduler, kui::CmBrowseNotes,
                        kui::CmBrowseChartingData, kui::CmTimePlayedSummary})
        Client().Command(command);
    ASSERT_EQ(Client().subWindowList().size(), 6);
    // Each view is named by its title, and each item of its context menu
    // underlines a letter of its own.
    for (QMdiSubWindow* window : Client().subWindowList()) {
        auto* view = qobject_cast<TKvrChild*>(window->widget());
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(AccessibleName(view), view->windowTitle());
        QMenu menu;
        view->FillContextMenu(menu);
        QSet<int> letters;
        for (QAction* action : menu.actions()) {
            const QKeySequence letter = QKeySequence::mnemonic(action->text());
            ASSERT_FALSE(letter.isEmpty()) << action->text().toStdString();
            EXPECT_FALSE(letters.contains(letter[0].key())) << action->text().toStdString();
            letters.insert(letter[0].key());
        }
    }
}

} // namespace
} // namespace kvrtest
