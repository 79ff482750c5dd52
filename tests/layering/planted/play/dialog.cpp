// SPDX-License-Identifier: GPL-3.0-or-later
// Planted for the layering check's own test: a GUI file of a subsystem folder
// may use the shared drawing and the application.
#include "app/child.h"
#include "play/statistics.h"
#include "ui/drawing.h"

#include <QDialog>
