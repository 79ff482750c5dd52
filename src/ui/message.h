// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <vector>

#include <QString>
#include <QStringList>

class QDialog;
class QDialogButtonBox;
class QWidget;

// Every message box, question and modal dialog of the program goes through
// these functions, so that tests can answer them without a nested event loop.
namespace kui {

enum class Icon { None, Information, Warning, Stop };

// The answer Enter gives to a question: Yes (or OK), or No (or Cancel) for a
// question whose Yes deletes a record or closes something, so that a stray
// Enter changes nothing. The other answer stays one key away: its
// underlined letter.
enum class Default { Yes, No };

struct Message {
    enum class Kind { Tell, YesNo, OkCancel, Choice };
    Kind kind = Kind::Tell;
    QString text;
    QString caption;
    Icon icon = Icon::None;
    // What Enter answers to a Yes/No or OK/Cancel question.
    Default byDefault = Default::Yes;
    // The buttons of a choice, in order.
    QStringList buttons;
};

// The caption of a message box given none: the program's title.
void SetDefaultCaption(const QString& caption);
QString DefaultCaption();

// A message with an OK button.
void Tell(QWidget* parent, const QString& text, const QString& caption = {},
          Icon icon = Icon::None);
// Tells that a store's file could not be written ("Error saving data!",
// with a warning icon): the one message of every failed save. The store
// was put back as its file holds it (ZBD_Data::Commit), and the form that
// asked stays open with what was typed, so OK tries again.
void TellSaveFailed(QWidget* parent);
// What waits while a change of play.dat and history.dat could not be
// finished (kvr::FindPendingPlayChange): which change, which staged files
// wait to replace which data files, and what to do. Empty when none waits.
QString PlayChangeWaitingText();
// Tells, when such a change waits, that the outings cannot be changed now
// and why; true when one waits (the caller then stops).
bool TellPlayChangeWaits(QWidget* parent);
// A failed save told as what it is: a store whose file is held
// (WritesHeld) says why, any other says "Error saving data!".
template <class Store> void TellSaveFailed(QWidget* parent, const Store& store) {
    if (!store.WritesHeld() || !TellPlayChangeWaits(parent))
        TellSaveFailed(parent);
}
// The one write path of the GUI: makes a change of a store through
// store.Commit (the change and the save, undone when the save fails) and
// tells the player once when it failed. True when the change was saved.
template <class Store, class Change>
bool Commit(QWidget* parent, Store& store, const Change& change) {
    if (store.Commit(change) == 1)
        return true;
    TellSaveFailed(parent, store);
    return false;
}
// The same for several changes saved at once, all or nothing
// (ZBD_Data::CommitAll): an import or a merge.
template <class Store, class Change>
bool CommitAll(QWidget* parent, Store& store, const std::vector<Change>& changes) {
    if (store.CommitAll(changes) == 1)
        return true;
    TellSaveFailed(parent, store);
    return false;
}
// A question with Yes and No buttons; true for Yes. `byDefault` names the
// button Enter presses.
bool AskYesNo(QWidget* parent, const QString& text, const QString& caption = {},
              Default byDefault = Default::Yes);
// A question with OK and Cancel buttons; true for OK. Default::No makes
// Cancel the button Enter presses.
bool AskOkCancel(QWidget* parent, const QString& text, const QString& caption = {},
                 Default byDefault = Default::Yes);
// A message with the buttons `buttons` (at least one), the first the
// default and the last the one Escape presses; returns the index of the
// button chosen.
int AskChoice(QWidget* parent, const QString& text, const QStringList& buttons,
              const QString& caption = {}, Icon icon = Icon::None);
// A question followed, after a blank line, by what it is about: the
// non-empty `details` joined by commas (e.g. the date and opponent of the
// page a question deletes).
QString AboutWhat(const QString& question, const QStringList& details);
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
    // A choice among `message.buttons`: by default the first button for a
    // yes from Answer, else the last.
    virtual int Choose(const Message& message) {
        return Answer(message) ? 0 : static_cast<int>(message.buttons.size()) - 1;
    }
};

// Installs a responder; nullptr brings back the real modal boxes. The
// responder is not owned. Tests install a scripted one.
void SetResponder(Responder* responder);
Responder* CurrentResponder();

} // namespace kui
