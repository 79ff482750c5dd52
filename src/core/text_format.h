// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace kvr {

// A text from one of the program's own printf formats. The format is always a
// literal of the program, never the player's text.
[[gnu::format(printf, 1, 2)]] std::string Format(const char* format, ...);

} // namespace kvr
