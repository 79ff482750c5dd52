#pragma once

#include <deque>
#include <functional>
#include <vector>

#include <QString>

class QDialog;
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

// What answers the boxes and dialogs instead of the user.
class Responder {
public:
    virtual ~Responder() = default;
    virtual void Told(const Message& message) = 0;
    virtual bool Answer(const Message& question) = 0;
    virtual int Run(QDialog& dialog) = 0;
};

// Installs a responder; nullptr brings back the real modal boxes. The
// responder is not owned.
void SetResponder(Responder* responder);
Responder* CurrentResponder();

// A responder for tests: keeps every message and question, answers
// questions from a queue (No / Cancel when it is empty) and runs dialogs
// through queued handlers. A handler fills the dialog's widgets, presses its
// buttons and returns the result; a dialog with no handler left is rejected
// (and a long run of those ends the test program).
// Installs itself for its lifetime.
class ScriptedResponder : public Responder {
public:
    using DialogHandler = std::function<int(QDialog&)>;

    ScriptedResponder();
    ~ScriptedResponder() override;
    ScriptedResponder(const ScriptedResponder&) = delete;
    ScriptedResponder& operator=(const ScriptedResponder&) = delete;

    void QueueAnswer(bool yes) { answers_.push_back(yes); }
    void QueueDialog(DialogHandler handler) { handlers_.push_back(std::move(handler)); }

    // Everything shown, messages and questions, in order.
    const std::vector<Message>& Shown() const { return shown_; }
    // The texts of what was shown.
    std::vector<QString> Texts() const;
    // The window titles of the dialogs run, in order.
    const std::vector<QString>& DialogsRun() const { return dialogs_; }
    void Clear();

    void Told(const Message& message) override;
    bool Answer(const Message& question) override;
    int Run(QDialog& dialog) override;

private:
    Responder* previous_;
    std::vector<Message> shown_;
    std::vector<QString> dialogs_;
    std::deque<bool> answers_;
    std::deque<DialogHandler> handlers_;
    int unhandled_ = 0;
    static constexpr int kMaxUnhandled = 1000;
};

} // namespace kui
