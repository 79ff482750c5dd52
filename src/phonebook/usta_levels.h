// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace kui {

// What a player of a playing level (1.0 to 7.0 in steps of 0.5, given in
// tenths: 10 ... 70) can do on court; empty for any other level.
QString UstaLevelDescription(int tenths);

} // namespace kui
