// SPDX-License-Identifier: GPL-3.0-or-later
// Planted for the layering check's own test: the circle's third file leads
// back to the first.
#pragma once

#include "core/ring_a.h"
