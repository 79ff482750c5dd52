// SPDX-License-Identifier: GPL-3.0-or-later
// Planted for the layering check's own test: a file format's header.
#pragma once

#include <QString>
