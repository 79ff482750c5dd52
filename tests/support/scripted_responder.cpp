// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/scripted_responder.h"

#include <cstdio>
#include <cstdlib>

#include <QDialog>

namespace kvrtest {

ScriptedResponder::ScriptedResponder() : previous_(kui::CurrentResponder()) {
    kui::SetResponder(this);
}

ScriptedResponder::~ScriptedResponder() {
    kui::SetResponder(previous_);
}

std::vector<QString> ScriptedResponder::Texts() const {
    std::vector<QString> texts;
    for (const kui::Message& message : shown_)
        texts.push_back(message.text);
    return texts;
}

void ScriptedResponder::Clear() {
    shown_.clear();
    dialogs_.clear();
}

void ScriptedResponder::Told(const kui::Message& message) {
    shown_.push_back(message);
}

bool ScriptedResponder::Answer(const kui::Message& question) {
    shown_.push_back(question);
    if (answers_.empty())
        return false;
    const std::optional<bool> answer = answers_.front();
    answers_.pop_front();
    return answer.value_or(question.byDefault == kui::Default::Yes);
}

int ScriptedResponder::Choose(const kui::Message& message) {
    if (choices_.empty())
        return Responder::Choose(message);
    shown_.push_back(message);
    int button = choices_.front();
    choices_.pop_front();
    return button;
}

int ScriptedResponder::Run(QDialog& dialog) {
    dialogs_.push_back(dialog.windowTitle());
    if (handlers_.empty()) {
        // A dialog that asks again until answered would spin for ever.
        if (++unhandled_ > kMaxUnhandled) {
            std::fprintf(stderr, "ScriptedResponder: no handler for dialog \"%s\"\n",
                         qPrintable(dialog.windowTitle()));
            std::abort();
        }
        return QDialog::Rejected;
    }
    DialogHandler handler = std::move(handlers_.front());
    handlers_.pop_front();
    return handler(dialog);
}

} // namespace kvrtest
