// SPDX-License-Identifier: GPL-3.0-or-later
// Planted for the layering check's own test: the first file of a circle of
// three core files.
#pragma once

#include "core/base.h"
#include "core/ring_b.h"
