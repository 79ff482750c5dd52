// SPDX-License-Identifier: GPL-3.0-or-later
// Planted for the layering check's own test: ui does not reach the root.
#include "root/all_commands.h"
