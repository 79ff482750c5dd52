// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/form_dialog.h"

#include "ui/message.h"

namespace kui {

int FormDialog::Run(Keeper keep) {
    keep_ = std::move(keep);
    const int result = RunModal(*this);
    keep_ = {};
    return result;
}

void FormDialog::Submit(Request request) {
    if (keep_ && !keep_(request))
        return;
    done(request == Request::Delete ? kDeleted : QDialog::Accepted);
}

} // namespace kui
