// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace kvr {

// A name as the searches compare it: small letters without accents, as
// UTF-8. Read as UTF-8, or as Windows-1252 when the bytes are not valid
// UTF-8 (files written by older Windows programs). Latin letters lose their
// accents ("Zoë" and "ZOE" both give "zoe"; "ß" gives "ss", "Æ" "ae"),
// Greek and Cyrillic capitals become small, combining accents are dropped
// and curly apostrophes become straight ones; anything else is kept.
std::string FoldedName(std::string_view text);

// Whether `name` holds `text` anywhere, ignoring case and accents; every name
// that holds the exact bytes of `text` is found too. An empty text is in
// every name.
bool NameContains(std::string_view name, std::string_view text);

// Whether the bytes are valid UTF-8 (no overlong forms, no surrogates).
bool IsUtf8(std::string_view text);
// Windows-1252 text as UTF-8, read as the searches read bytes that are not
// valid UTF-8 (the five bytes the code page leaves undefined become the C1
// controls of Latin-1).
std::string Utf8FromWindows1252(std::string_view text);

} // namespace kvr
