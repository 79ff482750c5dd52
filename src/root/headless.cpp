// SPDX-License-Identifier: GPL-3.0-or-later
#include "root/headless.h"

#include "app/application.h"
#include "app/data_stores.h"
#include "core/coach_file.h"
#include "core/safe_file.h"
#include "root/command_line.h"
#include "ui/message.h"
#include "ui/text.h"

#include <clocale>
#include <memory>

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>

namespace kui {
namespace {

// Nobody is there to answer: messages go to stderr, questions are answered
// No and dialogs cancelled.
class StderrResponder : public Responder {
public:
    void Told(const Message& message) override { Complain(message.text); }
    bool Answer(const Message& question) override {
        Complain(question.text);
        return false;
    }
    int Run(QDialog& /*dialog*/) override { return QDialog::Rejected; }
};

} // namespace

int RunOnDataFolder(int argc, char** argv, Toolkit toolkit,
                    const std::function<int(DataStores&, const QString&)>& work) {
    // No screen is needed, and none may be there.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QGuiApplication> gui;
    if (toolkit == Toolkit::Widgets)
        gui = std::make_unique<QApplication>(argc, argv);
    else
        gui = std::make_unique<QGuiApplication>(argc, argv);
    // Numbers in the data files and in the texts the model formats are
    // always written with a decimal point, whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");

    StderrResponder responder;
    SetResponder(&responder);
    int code = 1;
    {
        // Before the stores are made: the history is checked as they are.
        const kvr::ReadOnlyData readOnly;
        DataStores stores;
        if (stores.Create()) {
            stores.Load(false);
            QString playerName;
            if (auto stored = kvr::ReadPlayerName())
                playerName = LeftCharacters(FromStored(*stored), TKvrWinApp::kMaxNameLength);
            code = work(stores, playerName);
        } else {
            Tell(nullptr, QStringLiteral("Not enough memory to run program!"));
        }
    }
    SetResponder(nullptr);
    return code;
}

} // namespace kui
