// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

#include <QDialog>

namespace kui {

// A dialog that is a form: it fills a copy of a record and checks its
// fields, and the command that runs it stores the copy. Its OK (or Delete)
// hands the request to that command once the fields pass their checks, and
// the form closes only when the command stored it: after a failed save the
// form stays open with everything typed, so the player can try again.
//
//   TPhoneAddDlg dialog(this, PhoneRecord{}, phones.Names());
//   dialog.Run([&](kui::FormDialog::Request) {
//       return kui::Commit(this, phones, kvr::Added(dialog.Entry()));
//   });
class FormDialog : public QDialog {
    Q_OBJECT
public:
    using QDialog::QDialog;

    // What the form asks of its command.
    enum class Request { Store, Delete };
    // The result of a form closed by a stored Delete.
    static constexpr int kDeleted = 2;
    // Stores what the form asks; true when it was stored (the form then
    // closes), false when it was not (the player was told why).
    using Keeper = std::function<bool(Request)>;

    // Runs the form modally (through kui::RunModal) with `keep` storing its
    // requests; returns QDialog::Accepted for a stored OK, kDeleted for a
    // stored Delete, QDialog::Rejected when the player cancelled.
    int Run(Keeper keep);

protected:
    // Called by the form when its fields pass their checks: asks the command
    // to store the request and closes the form when it did. A form run
    // without a command closes at once.
    void Submit(Request request = Request::Store);

private:
    Keeper keep_;
};

} // namespace kui
