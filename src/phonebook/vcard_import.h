// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "formats/vcard_read.h"
#include "phonebook/phone_store.h"

#include <QString>

class QWidget;

namespace kui {

// Imports the vCard file at `path` into `phones`: a file that cannot be read
// is told, the preview lists what comes in (each name of the book it would
// update with what changes) and offers to update them, phone.dat is kept in
// the day's backup (nothing is imported when it cannot be), and the entries
// are stored
// with one save (all or nothing). True when entries were stored; the caller
// then computes their figures and raises the phone book's change signal.
bool ImportContacts(QWidget* parent, const QString& path, KVR_PhoneData& phones);

} // namespace kui
