// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

class KVR_PhoneData;

namespace kui {

// The phone book as vCard 4.0 text: one card per entry with its name (FN,
// and N split into family name and given names), phone number (TEL) and
// notes (NOTE), and its playing profile (below); values escaped, lines ended with CRLF and folded
// at 75 octets without splitting a character.
QByteArray VCards(const KVR_PhoneData& phones);

// The properties of a card that carry an entry's playing profile (its
// rating, playing side, playing style and backhand), written when set, for
// this program to read back; other programs ignore them.
inline constexpr const char* kRatingProperty = "X-KAVORA-RATING";
inline constexpr const char* kSideProperty = "X-KAVORA-SIDE";
inline constexpr const char* kStyleProperty = "X-KAVORA-STYLE";
inline constexpr const char* kBackhandProperty = "X-KAVORA-BACKHAND";

// Writes VCards to `path`; false when it could not be written (an existing
// file is then left as it was).
bool ExportVCards(const QString& path, const KVR_PhoneData& phones);

} // namespace kui
