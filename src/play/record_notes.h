// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class KvrClient;
class QWidget;

namespace kui {

// Record Notes: logs a new outing on court. The form asks the record; then
// a full goal period is closed, the ratings are asked, the record is
// stored, a match is offered for charting and the change signal runs. A
// save that fails leaves the form open with everything typed.
void RecordNotes(KvrClient& client);

// The message shown when a goal period of thirty records is complete.
void ShowCongratulations(QWidget* parent);

} // namespace kui
