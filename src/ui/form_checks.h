// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/date.h"

#include <optional>
#include <string>

#include <QPlainTextEdit>

class QApplication;
class QWidget;

namespace kui {

// The date typed into a form's date field, when it is one. Otherwise the
// player is told how to write one, under the form's title, with today's
// date as the example ("Please enter the date as M/D/YYYY, for example
// 12/8/2026"), the focus goes to the field and there is none. Every form
// with a date checks it here, so that they all say the same.
std::optional<ZBD_Date> CheckedDate(QWidget& form, QWidget& field, const std::string& typed);

// A notes field of a form. The data files keep notes on one line, so Enter
// never starts a new line here: it presses the form's default button (OK),
// as in every other field, and Tab moves on. No more than `limit`
// characters can be typed or pasted.
class NotesEdit : public QPlainTextEdit {
public:
    NotesEdit(int limit, QWidget* parent);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// Alt and a letter or digit that no button, label or menu of the window
// takes goes to the window itself rather than to the field in focus, so it
// never types its letter over the field's text. Installed once on the
// application, for every dialog and the main window.
void KeepUnusedAltLettersOutOfFields(QApplication& app);

} // namespace kui
