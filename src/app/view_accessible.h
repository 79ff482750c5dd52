// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class TKvrChild;

namespace kui {

// Gives every view (TKvrChild) an accessible object that reads what the view
// shows: a text of its page (with a value the player sets, if any) and a
// table for each of its tables, all from the view's Describe, so a screen
// reader reads what the picture shows. Installed once; later calls do
// nothing.
void InstallViewAccessibility();

// Tells a screen reader what changed on `view` since it was last told: a new
// page or month (its name), a changed text, a changed value, new tables.
// Nothing unless an assistive technology is listening.
void AnnounceViewChange(TKvrChild& view);

} // namespace kui
