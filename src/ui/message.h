// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

#include <QString>

class QDialog;
class QDialogButtonBox;
class QWidget;

// Every message box, question and modal dialog of the program goes through
// these functions, so that tests can answer them without a nested event loop.
namespace kui {

enum class Icon { None, Information, Warning, Stop };

struct Message {
    enum class Kind { Tell, YesNo, OkCancel };
    Kind kind = Kind::Tell;
    QString text;
    QString caption;
    Icon icon = Icon::None;
};

// The caption of a message box given none: the program's title.
void SetDefaultCaption(const QString& caption);
QString DefaultCaption();

// A message with an OK button.
void Tell(QWidget* parent, const QString& text, const QString& caption = {},
          Icon icon = Icon::None);
// A question with Yes and No buttons; true for Yes.
bool AskYesNo(QWidget* parent, const QString& text, const QString& caption = {});
// A question with OK and Cancel buttons; true for OK.
bool AskOkCancel(QWidget* parent, const QString& text, const QString& caption = {});
// Runs a dialog modally and returns its result (QDialog::Accepted or
// QDialog::Rejected, or what the dialog passed to done()).
int RunModal(QDialog& dialog);

// The OK and Cancel buttons of a dialog, OK the default: OK accepts the
// dialog, or runs `onOk` when given (a dialog that checks its fields
// first); Cancel rejects it. The caller puts the box in its layout.
QDialogButtonBox* OkCancelButtons(QDialog& dialog, std::function<void()> onOk = {});

// What answers the boxes and dialogs instead of the user.
class Responder {
public:
    virtual ~Responder() = default;
    virtual void Told(const Message& message) = 0;
    virtual bool Answer(const Message& question) = 0;
    virtual int Run(QDialog& dialog) = 0;
};

// Installs a responder; nullptr brings back the real modal boxes. The
// responder is not owned. Tests install a scripted one.
void SetResponder(Responder* responder);
Responder* CurrentResponder();

} // namespace kui
