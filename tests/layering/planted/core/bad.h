// SPDX-License-Identifier: GPL-3.0-or-later
// Planted for the layering check's own test: core may include no other folder.
#pragma once

#include "core/date.h"
#include "play/statistics.h"
