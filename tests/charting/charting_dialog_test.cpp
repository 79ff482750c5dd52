#include "app/app_fixture.h"
#include "charting/charting_dialog.h"
#include "core/play_store.h"

#include <map>
#include <string>

#include <QApplication>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

namespace kvrtest {
namespace {

using Counts = std::map<std::string, int>;

// A chart that passes the singles rules.
const Counts kGoodSingles = {
    {"firstServeAttempts", 40}, {"firstServesIn", 25},   {"aces", 3},
    {"doubleFaults", 4},        {"returnAttempts", 40},  {"returnsIn", 30},
    {"forehandWinners", 9},     {"forehandErrors", 12},  {"volleysWon", 2},
    {"volleysLost", 5},         {"volleyErrors", 3},     {"backhandWinners", 4},
    {"backhandErrors", 11},     {"approachAttempts", 6}, {"approachesPassed", 2},
    {"approachErrors", 1}};

class ChartingDialogTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        WriteFile("coach.dat", Lines({"Pat Smith"}));
    }

    static PlayRecord Match(const std::string& singlesDoubles) {
        PlayRecord record;
        record.date = "5/14/2026";
        record.singlesDoubles = singlesDoubles;
        record.who = "Alex Moreno";
        record.secondOpponent = singlesDoubles == "D" ? "Sam Ortiz" : "";
        record.kind = "M";
        record.score = "6-4 3-6 7-5";
        return record;
    }

    static QSpinBox* Counter(QDialog& dialog, const std::string& name) {
        auto* box = dialog.findChild<QSpinBox*>(QString::fromStdString(name));
        EXPECT_NE(box, nullptr) << name;
        return box;
    }
    static void Fill(QDialog& dialog, const Counts& counts) {
        for (const auto& [name, value] : counts)
            Counter(dialog, name)->setValue(value);
    }
    static void Press(QDialog& dialog, const char* button) {
        dialog.findChild<QPushButton*>(QString::fromLatin1(button))->click();
    }

    // The messages shown under the caption "Check Stats!".
    std::vector<QString> Checks() const {
        std::vector<QString> texts;
        for (const kui::Message& message : responder_->Shown())
            if (message.caption == QStringLiteral("Check Stats!"))
                texts.push_back(message.text);
        return texts;
    }
};

// OK with every counter at 0 and then with a broken rule reports the rule and
// keeps the dialog open with its values; the corrected chart is stored once,
// in chart.dat, and the open views are redrawn.
TEST_F(ChartingDialogTest, FailedOkKeepsTheDialogOpenAndACorrectedOkStoresOneChart) {
    StartWindow();
    int paints = 0;
    Client().OpenView(99, [this, &paints] {
        return new CountingView(Client(), 99, QStringLiteral("View"), &paints);
    });
    QCoreApplication::processEvents();
    paints = 0;

    Responder().QueueDialog([&](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("CHARTING"));
        Press(dialog, "okButton");
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(app_->ChartStore().Count(), 0u);

        Counts counts = kGoodSingles;
        counts["firstServesIn"] = 41;
        Fill(dialog, counts);
        Press(dialog, "okButton");
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(Counter(dialog, "firstServesIn")->value(), 41);
        EXPECT_EQ(Counter(dialog, "approachErrors")->value(), 1);
        EXPECT_EQ(app_->ChartStore().Count(), 0u);
        EXPECT_FALSE(Exists("chart.dat"));

        Counter(dialog, "firstServesIn")->setValue(25);
        Press(dialog, "okButton");
        return dialog.result();
    });
    EXPECT_TRUE(kui::RunChartingDialog(&Client(), *app_, Match("S")));

    EXPECT_EQ(Checks(), (std::vector<QString>{
                            QStringLiteral("# Serve Attempts is 0!"),
                            QStringLiteral("# 1st Serves In Play (41) is more than Attempts (40)!"),
                        }));
    EXPECT_EQ(ReadFile("chart.dat"),
              Lines({"ZBD Data File Format 2.0", "1",
                     "\"5/14/2026\",\"Alex Moreno\",\"6-4 3-6 7-5\",\"40\",\"25\",\"3\",\"4\","
                     "\"9\",\"12\",\"2\",\"5\",\"3\",\"40\",\"30\",\"0\",\"0\",\"4\",\"11\","
                     "\"6\",\"2\",\"1\""}));
    ASSERT_EQ(app_->ChartStore().Count(), 1u);
    QCoreApplication::processEvents();
    EXPECT_GT(paints, 0);
}

// A doubles record is checked under the doubles rules: no first serves or
// returns in play and more forehand winners than points pass. The same
// counters for a singles record fail, and Cancel then stores nothing.
TEST_F(ChartingDialogTest, DoublesRulesForADoublesRecordAndCancelStoresNothing) {
    StartApp();
    const Counts doublesOnly = {{"firstServeAttempts", 10},
                                {"returnAttempts", 10},
                                {"forehandWinners", 30},
                                {"backhandErrors", 25}};

    Responder().QueueDialog([&](QDialog& dialog) {
        Fill(dialog, doublesOnly);
        Press(dialog, "okButton");
        return dialog.result();
    });
    EXPECT_TRUE(kui::RunChartingDialog(nullptr, *app_, Match("D")));
    EXPECT_TRUE(Checks().empty());
    ASSERT_EQ(app_->ChartStore().Count(), 1u);
    EXPECT_EQ(app_->ChartStore().At(0)->forehandWinners, 30);

    Responder().QueueDialog([&](QDialog& dialog) {
        Fill(dialog, doublesOnly);
        Press(dialog, "okButton");
        Press(dialog, "cancelButton");
        return dialog.result();
    });
    EXPECT_FALSE(kui::RunChartingDialog(nullptr, *app_, Match("S")));
    EXPECT_EQ(Checks(), std::vector<QString>{QStringLiteral("# Serves In Play is 0!")});
    EXPECT_EQ(app_->ChartStore().Count(), 1u);
    EXPECT_NE(ReadFile("chart.dat").find("\r\n1\r\n"), std::string::npos);
}

// A chart.dat that cannot be written: "Error saving data!", the dialog stays
// open with its values and the store holds nothing the file does not.
TEST_F(ChartingDialogTest, FailedSaveKeepsTheValuesAndStoresNothing) {
    std::filesystem::create_directory("chart.dat");
    StartApp();
    Responder().Clear();
    Responder().QueueDialog([&](QDialog& dialog) {
        Fill(dialog, kGoodSingles);
        Press(dialog, "okButton");
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(Counter(dialog, "firstServeAttempts")->value(), 40);
        EXPECT_EQ(app_->ChartStore().Count(), 0u);
        Press(dialog, "cancelButton");
        return dialog.result();
    });
    EXPECT_FALSE(kui::RunChartingDialog(nullptr, *app_, Match("S")));
    EXPECT_EQ(Responder().Texts(), std::vector<QString>{QStringLiteral("Error saving data!")});
    EXPECT_EQ(app_->ChartStore().Count(), 0u);
}

// From the keyboard: Tab runs down the left column, then the right, then to
// the buttons; each label's accelerator reaches its field; a counter stops at
// 100 (Page Up steps by 10); Enter is OK and Escape is Cancel.
TEST_F(ChartingDialogTest, KeyboardAlone) {
    StartApp();
    TChartingDlg dialog(nullptr, app_->ChartStore(), "5/14/2026", "Alex Moreno", "6-0", 'S');
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));

    const char* order[] = {
        "firstServeAttempts", "firstServesIn",   "aces",           "doubleFaults",
        "forehandWinners",    "forehandErrors",  "volleysWon",     "volleysLost",
        "volleyErrors",       "returnAttempts",  "returnsIn",      "returnWinners",
        "returnErrors",       "backhandWinners", "backhandErrors", "approachAttempts",
        "approachesPassed",   "approachErrors",  "okButton",       "cancelButton"};
    EXPECT_EQ(QApplication::focusWidget(), Counter(dialog, order[0]));
    for (const char* name : order) {
        EXPECT_EQ(QApplication::focusWidget()->objectName(), QString::fromLatin1(name));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }

    QTest::keyClick(&dialog, Qt::Key_K, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), Counter(dialog, "backhandErrors"));
    QTest::keyClick(&dialog, Qt::Key_1, Qt::AltModifier);
    QSpinBox* attempts = Counter(dialog, "firstServeAttempts");
    EXPECT_EQ(QApplication::focusWidget(), attempts);
    for (int i = 0; i < 12; ++i)
        QTest::keyClick(attempts, Qt::Key_PageUp);
    EXPECT_EQ(attempts->value(), 100);
    QTest::keyClick(attempts, Qt::Key_Down);
    EXPECT_EQ(attempts->value(), 99);

    // Enter on a chart that breaks a rule reports it and stays open.
    QTest::keyClick(attempts, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(Checks(), std::vector<QString>{QStringLiteral("# Serves In Play is 0!")});
    Fill(dialog, kGoodSingles);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(dialog.Stored());

    TChartingDlg second(nullptr, app_->ChartStore(), "5/15/2026", "Alex Moreno", "6-0", 'S');
    second.show();
    QApplication::setActiveWindow(&second);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&second));
    Fill(second, kGoodSingles);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(second.isVisible());
    EXPECT_FALSE(second.Stored());
    EXPECT_EQ(app_->ChartStore().Count(), 1u);
}

} // namespace
} // namespace kvrtest
