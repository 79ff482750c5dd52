// SPDX-License-Identifier: GPL-3.0-or-later
// Planted for the layering check's own test: ui may include nothing of app.
#include "app/client.h"
#include "ui/drawing.h"
