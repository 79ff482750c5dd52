// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/render.h"
#include "ui/message.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

void App() {
    kvrtest::EnsureApplication();
}

// Types `key` into the box once it is up.
void TypeIntoTheBox(Qt::Key key) {
    QTimer::singleShot(0, [key] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        QTest::keyClick(box, key);
    });
}

// The real boxes: Enter gives the default the question names; the other
// answer is its underlined letter alone (Y for Yes, O for OK).
TEST(MessageBoxTest, EnterGivesTheNamedDefaultAndTheLetterTheOther) {
    App();
    ASSERT_EQ(kui::CurrentResponder(), nullptr);
    TypeIntoTheBox(Qt::Key_Return);
    EXPECT_FALSE(kui::AskYesNo(nullptr, "Delete?", "Delete", kui::Default::No));
    TypeIntoTheBox(Qt::Key_Y);
    EXPECT_TRUE(kui::AskYesNo(nullptr, "Delete?", "Delete", kui::Default::No));
    TypeIntoTheBox(Qt::Key_Return);
    EXPECT_FALSE(kui::AskOkCancel(nullptr, "Delete?", "Delete", kui::Default::No));
    TypeIntoTheBox(Qt::Key_O);
    EXPECT_TRUE(kui::AskOkCancel(nullptr, "Delete?", "Delete", kui::Default::No));
    // Questions that change nothing keep Yes and OK on Enter.
    TypeIntoTheBox(Qt::Key_Return);
    EXPECT_TRUE(kui::AskYesNo(nullptr, "Search?", "Find"));
    TypeIntoTheBox(Qt::Key_Enter);
    EXPECT_TRUE(kui::AskOkCancel(nullptr, "Save?", "Save"));
    TypeIntoTheBox(Qt::Key_Escape);
    EXPECT_FALSE(kui::AskOkCancel(nullptr, "Save?", "Save"));
}

} // namespace
