// SPDX-License-Identifier: GPL-3.0-or-later
// Planted for the layering check's own test: includes the circle from above,
// in one direction, and is on no circle.
#include "core/base.h"
#include "core/ring_a.h"
