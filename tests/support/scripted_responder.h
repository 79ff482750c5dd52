// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/message.h"

#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include <QString>

namespace kvrtest {

// Answers the program's message boxes and dialogs instead of the user:
// keeps every message and question, answers questions from a queue (No /
// Cancel when it is empty) and runs dialogs through queued handlers. A
// handler fills the dialog's widgets, presses its buttons and returns the
// result; a dialog with no handler left is rejected (and a long run of those
// ends the test program). Installs itself for its lifetime.
class ScriptedResponder : public kui::Responder {
public:
    using DialogHandler = std::function<int(QDialog&)>;

    ScriptedResponder();
    ~ScriptedResponder() override;
    ScriptedResponder(const ScriptedResponder&) = delete;
    ScriptedResponder& operator=(const ScriptedResponder&) = delete;

    void QueueAnswer(bool yes) { answers_.push_back(yes); }
    // The next question is answered with Enter: the button the question
    // makes its default.
    void QueueEnter() { answers_.push_back(std::nullopt); }
    void QueueDialog(DialogHandler handler) { handlers_.push_back(std::move(handler)); }
    // The button index the next choice picks; with none queued a choice
    // takes its first button for a queued yes, else its last.
    void QueueChoice(int button) { choices_.push_back(button); }

    // Everything shown, messages and questions, in order.
    const std::vector<kui::Message>& Shown() const { return shown_; }
    // The texts of what was shown.
    std::vector<QString> Texts() const;
    // The window titles of the dialogs run, in order.
    const std::vector<QString>& DialogsRun() const { return dialogs_; }
    void Clear();

    void Told(const kui::Message& message) override;
    bool Answer(const kui::Message& question) override;
    int Run(QDialog& dialog) override;
    int Choose(const kui::Message& message) override;

private:
    kui::Responder* previous_;
    std::vector<kui::Message> shown_;
    std::vector<QString> dialogs_;
    std::deque<std::optional<bool>> answers_; // none: Enter
    std::deque<int> choices_;
    std::deque<DialogHandler> handlers_;
    int unhandled_ = 0;
    static constexpr int kMaxUnhandled = 1000;
};

} // namespace kvrtest
