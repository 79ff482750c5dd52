// SPDX-License-Identifier: GPL-3.0-or-later
#include "charting/charting_commands.h"
#include "charting/charting_dialog.h"
#include "core/play_store.h"
#include "support/app_fixture.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

namespace kvrtest {
namespace {

using Counts = std::vector<std::pair<const char*, int>>;

// Passes the singles rules.
const Counts kGoodSingles = {
    {"firstServeAttempts", 40}, {"firstServesIn", 25}, {"aces", 3},
    {"returnAttempts", 40},     {"returnsIn", 30},     {"forehandErrors", 12},
    {"backhandErrors", 11},     {"volleysLost", 5},    {"volleyErrors", 3},
    {"approachAttempts", 6},    {"approachErrors", 1}};

class ChartingDialogTest : public AppTest {
protected:
    // Charts a singles ("S") or doubles ("D") match, `script` playing the player.
    bool Chart(const char* singlesDoubles, std::function<void(QDialog&)> script) {
        Responder().QueueDialog([script](QDialog& dialog) {
            script(dialog);
            return dialog.result();
        });
        PlayRecord match;
        match.date = "5/14/2026";
        match.singlesDoubles = singlesDoubles;
        match.who = "Alex Moreno";
        match.score = "6-4 7-5";
        return kui::RunChartingDialog(nullptr, *app_, match);
    }
    static QSpinBox* Counter(QDialog& dialog, const char* name) {
        return Field<QSpinBox>(dialog, name);
    }
    static void Set(QDialog& dialog, const Counts& counts) {
        for (const auto& [name, value] : counts)
            Counter(dialog, name)->setValue(value);
    }
    std::vector<QString> Checks() const {
        std::vector<QString> texts;
        for (const kui::Message& message : responder_->Shown())
            if (message.caption == QStringLiteral("Check Stats!"))
                texts.push_back(message.text);
        return texts;
    }
};

// A failed OK reports the rule and keeps the dialog open with its values and
// nothing stored; the corrected chart is stored once.
TEST_F(ChartingDialogTest, FailedOkKeepsTheDialogOpenAndACorrectedOkStoresOneChart) {
    StartApp();
    EXPECT_TRUE(Chart("S", [&](QDialog& dialog) {
        Press(dialog, "okButton");
        Set(dialog, kGoodSingles);
        Set(dialog, {{"firstServesIn", 41}});
        Press(dialog, "okButton");
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(Counter(dialog, "approachErrors")->value(), 1);
        EXPECT_FALSE(Exists("chart.dat"));
        Set(dialog, {{"firstServesIn", 25}});
        Press(dialog, "okButton");
    }));
    EXPECT_EQ(Checks(), (std::vector<QString>{
                            QStringLiteral("# Serve Attempts is 0!"),
                            QStringLiteral("# 1st Serves In Play (41) is more than Attempts (40)!"),
                        }));
    EXPECT_EQ(ReadFile("chart.dat"),
              Lines({"ZBD Data File Format 2.0", "1",
                     "\"5/14/2026\",\"Alex Moreno\",\"6-4 7-5\",\"40\",\"25\",\"3\",\"0\",\"0\","
                     "\"12\",\"0\",\"5\",\"3\",\"40\",\"30\",\"0\",\"0\",\"0\",\"11\",\"6\",\"0\","
                     "\"1\""}));
}

// A doubles match is checked under the doubles rules: no serves or returns in
// play and more forehand winners than points pass. The same chart fails for a
// singles match, and Cancel then stores nothing.
TEST_F(ChartingDialogTest, DoublesRulesForADoublesMatchAndCancelStoresNothing) {
    StartApp();
    const Counts doubles = {
        {"firstServeAttempts", 10}, {"returnAttempts", 10}, {"forehandWinners", 30}};
    EXPECT_TRUE(Chart("D", [&](QDialog& dialog) {
        Set(dialog, doubles);
        Press(dialog, "okButton");
    }));
    EXPECT_FALSE(Chart("S", [&](QDialog& dialog) {
        Set(dialog, doubles);
        Press(dialog, "okButton");
        Press(dialog, "cancelButton");
    }));
    EXPECT_EQ(Checks(), std::vector<QString>{QStringLiteral("# Serves In Play is 0!")});
    ASSERT_EQ(app_->ChartStore().Count(), 1u);
    EXPECT_EQ(app_->ChartStore().At(0)->forehandWinners, 30);
}

// When chart.dat cannot be written the player is told, the dialog keeps its
// values and the store holds no chart the file does not.
TEST_F(ChartingDialogTest, FailedSaveKeepsTheValuesAndStoresNothing) {
    std::filesystem::create_directory("chart.dat");
    StartApp();
    Responder().Clear();
    EXPECT_FALSE(Chart("S", [&](QDialog& dialog) {
        Set(dialog, kGoodSingles);
        Press(dialog, "okButton");
        EXPECT_EQ(Counter(dialog, "firstServeAttempts")->value(), 40);
        EXPECT_EQ(app_->ChartStore().Count(), 0u);
        Press(dialog, "cancelButton");
    }));
    EXPECT_EQ(Responder().Texts(), std::vector<QString>{QStringLiteral("Error saving data!")});
}

// Tab runs down the left column, the right one, then the buttons; a label's
// accelerator reaches its field; Page Up steps by 10 up to 100; Enter is OK
// and Escape is Cancel.
TEST_F(ChartingDialogTest, KeyboardAlone) {
    StartApp();
    for (bool enter : {true, false}) {
        const bool stored = Chart("S", [&](QDialog& dialog) {
            dialog.show();
            QApplication::setActiveWindow(&dialog);
            ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
            QString order;
            for (int i = 0; i < 20; ++i) {
                order += QApplication::focusWidget()->objectName() + QLatin1Char(' ');
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            }
            EXPECT_EQ(order,
                      "firstServeAttempts firstServesIn aces doubleFaults forehandWinners "
                      "forehandErrors volleysWon volleysLost volleyErrors returnAttempts "
                      "returnsIn returnWinners returnErrors backhandWinners backhandErrors "
                      "approachAttempts approachesPassed approachErrors okButton cancelButton ");
            QTest::keyClick(&dialog, Qt::Key_K, Qt::AltModifier);
            EXPECT_EQ(QApplication::focusWidget(), Counter(dialog, "backhandErrors"));
            for (int i = 0; i < 11; ++i)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp);
            EXPECT_EQ(Counter(dialog, "backhandErrors")->value(), 100);
            Set(dialog, kGoodSingles);
            QTest::keyClick(QApplication::focusWidget(), enter ? Qt::Key_Return : Qt::Key_Escape);
            EXPECT_FALSE(dialog.isVisible());
        });
        EXPECT_EQ(stored, enter);
    }
    EXPECT_EQ(app_->ChartStore().Count(), 1u);
}

// A check message takes the player to the counter it names, its value
// selected, wherever the focus was; a message about the totals leaves the
// focus where it was.
TEST_F(ChartingDialogTest, CheckMessageTakesThePlayerToTheCounterItNames) {
    StartApp();
    Chart("S", [&](QDialog& dialog) {
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        auto type = [](const char* text) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(QApplication::focusWidget(), text);
        };
        type("40"); // 1st Serve Attempts
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_I, Qt::AltModifier);
        type("25");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::AltModifier);
        type("3"); // Forehand Winners
        struct Step {
            Qt::Key label; // the counter typed into before Enter
            const char* value;
            const char* text;
            const char* focus;
        };
        const Step steps[] = {
            {Qt::Key_F, "3", "# Return Attempts is 0!", "returnAttempts"},
            {Qt::Key_R, "40", "# Returns In Play is 0!", "returnsIn"},
            {Qt::Key_P, "30", "", ""},
        };
        for (const Step& step : steps) {
            QTest::keyClick(QApplication::focusWidget(), step.label, Qt::AltModifier);
            type(step.value);
            responder_->Clear();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            if (!*step.text)
                break;
            EXPECT_EQ(Checks(), std::vector<QString>{step.text});
            EXPECT_EQ(QApplication::focusWidget(), Counter(dialog, step.focus)) << step.text;
        }
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    });
    EXPECT_EQ(app_->ChartStore().Count(), 1u);
}

// Each label and its counter sit in a thin black frame; over them, in the
// dialog's own type, which match is charted.
TEST_F(ChartingDialogTest, RowsInBlackFramesUnderTheMatch) {
    StartApp();
    TChartingDlg dialog(nullptr, "4/1/2026", "Ann Lee", "6-4 6-3", 'S');
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    auto* match = dialog.findChild<QLabel*>(QStringLiteral("match"));
    ASSERT_NE(match, nullptr);
    EXPECT_EQ(match->text(), QStringLiteral("4/1/2026    Ann Lee    6-4 6-3"));
    EXPECT_FALSE(match->font().bold());
    const QImage image = dialog.grab().toImage();
    for (const char* name : {"firstServeAttempts", "volleyErrors", "approachErrors"}) {
        SCOPED_TRACE(name);
        QSpinBox* counter = Counter(dialog, name);
        QWidget* row = counter->parentWidget();
        ASSERT_NE(row, &dialog);
        const QRect frame(row->mapTo(&dialog, QPoint(0, 0)), row->size());
        const int middle = frame.center().y();
        EXPECT_EQ(image.pixelColor(frame.left(), middle), QColor(Qt::black));
        EXPECT_EQ(image.pixelColor(frame.right(), middle), QColor(Qt::black));
        EXPECT_EQ(image.pixelColor(frame.center().x(), frame.top()), QColor(Qt::black));
        EXPECT_EQ(image.pixelColor(frame.center().x(), frame.bottom()), QColor(Qt::black));
        // The label inside the frame, with the counter.
        auto* label = row->findChild<QLabel*>();
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->buddy(), counter);
    }
}

} // namespace
} // namespace kvrtest
