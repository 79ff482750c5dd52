// SPDX-License-Identifier: GPL-3.0-or-later
// Planted for the layering check's own test: a file format may include the
// model of a subsystem, but not its GUI files and nothing of ui.
#include "formats/reader.h"

#include "play/commands.h"
#include "play/statistics.h"
#include "ui/draw.h"
