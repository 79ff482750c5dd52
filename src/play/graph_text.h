// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "play/graphs.h"
#include "ui/view_text.h"

namespace kui {

// What graph `data` shows, in words: its title as the name, and lines that
// say what the picture holds: how many bars and their scale, every bar's
// label and value, every slice's name and share.
ViewText GraphText(const GraphData& data);

} // namespace kui
