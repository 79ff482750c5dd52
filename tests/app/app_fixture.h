// SPDX-License-Identifier: GPL-3.0-or-later
// The application fixture moved to the shared test helpers.
#pragma once

#include "support/app_fixture.h"
