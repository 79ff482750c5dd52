// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/render.h"
#include "ui/characters_left.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class CharactersLeftTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { kvrtest::EnsureApplication(); }
    static QLabel* Counter(QWidget* row) {
        return row->findChild<QLabel*>(QStringLiteral("charactersLeft"));
    }
};

// A text the program sets is kept whole even past the limit, and the
// counter says by how much it is over; the player can shorten it but not
// lengthen it.
TEST_F(CharactersLeftTest, StoredTextIsKeptAndShownOverItsLimit) {
    QWidget parent;
    auto* notes = new QPlainTextEdit(&parent);
    kui::KeepWithin(*notes, 10);
    QWidget* row = kui::WithCharactersLeft(notes, 10);
    notes->setPlainText(QStringLiteral("twelve chars"));
    EXPECT_EQ(notes->toPlainText(), QStringLiteral("twelve chars"));
    EXPECT_EQ(Counter(row)->text(), QStringLiteral("2 over"));
    notes->moveCursor(QTextCursor::End);
    QTest::keyClicks(notes, QStringLiteral("!"));
    EXPECT_EQ(notes->toPlainText(), QStringLiteral("twelve chars"));
    QTest::keyClick(notes, Qt::Key_Backspace);
    QTest::keyClick(notes, Qt::Key_Backspace);
    QTest::keyClick(notes, Qt::Key_Backspace);
    EXPECT_EQ(Counter(row)->text(), QStringLiteral("1 left"));
    EXPECT_EQ(row->focusProxy(), notes);
}

} // namespace
