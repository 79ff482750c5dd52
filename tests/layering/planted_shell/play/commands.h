// SPDX-License-Identifier: GPL-3.0-or-later
// Planted for the layering check's own test: a GUI header of a subsystem.
#pragma once

#include <QString>
