// SPDX-License-Identifier: GPL-3.0-or-later
// Planted for the layering check's own test: the shell may include the
// model of a subsystem, but not its GUI files and nothing of the root.
#include "play/commands.h"
#include "play/statistics.h"
#include "root/headless.h"
