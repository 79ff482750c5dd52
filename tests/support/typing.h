// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QWidget>

namespace kvrtest {

// Where the player's next key goes: an open popup (a player list's
// suggestions), else the focused field.
inline QWidget* KeyTarget() {
    QWidget* popup = QApplication::activePopupWidget();
    return popup ? popup : QApplication::focusWidget();
}

// Shows a dialog run by the scripted answerer as the player sees it, types
// `text` into `field` key by key and presses Enter, which presses the
// default button unless an offered name is highlighted.
inline int TypeAndEnter(QDialog& dialog, QWidget* field, const QString& text) {
    dialog.show();
    dialog.activateWindow();
    if (!QTest::qWaitForWindowActive(&dialog))
        return -1;
    field->setFocus();
    QTest::keyClicks(KeyTarget(), text);
    QTest::keyClick(KeyTarget(), Qt::Key_Return);
    return dialog.result();
}

} // namespace kvrtest
