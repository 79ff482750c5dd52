// SPDX-License-Identifier: GPL-3.0-or-later
// Planted for the layering check's own test: the header of the circle's
// second file includes only the base; its source goes on to the third.
#pragma once

#include "core/base.h"
