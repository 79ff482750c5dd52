// SPDX-License-Identifier: GPL-3.0-or-later
// Planted for the layering check's own test: the root may include every
// folder, itself included.
#pragma once

#include "app/shell.h"
#include "play/commands.h"
#include "printing/report.h"
#include "root/all_commands.h"
#include "ui/draw.h"
