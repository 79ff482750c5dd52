// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

class KVR_PhoneData;

namespace kui {

// The phone book as vCard 4.0 text: one card per entry with its name (FN,
// and N split into family name and given names), phone number (TEL) and
// notes (NOTE); values escaped, lines ended with CRLF and folded at 75
// octets without splitting a character.
QByteArray VCards(const KVR_PhoneData& phones);

// Writes VCards to `path`; false when it could not be written (an existing
// file is then left as it was).
bool ExportVCards(const QString& path, const KVR_PhoneData& phones);

} // namespace kui
