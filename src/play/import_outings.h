// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class KvrClient;
class QString;
class QWidget;
class TKvrWinApp;

namespace kui {

// "Import Outings...": asks for a CSV file and imports its outings.
void ImportOutings(KvrClient& client);

// Imports the outings of a CSV file: shows what would come in
// (kui::ConfirmImport), and on OK keeps a backup of the files it changes,
// stores the outings (older ones into the history, the rest into the
// current goal period, full periods closed), runs the change signal and
// congratulates on a completed goal period as recording notes does. True
// when outings were stored.
bool ImportOutingsFile(QWidget* parent, TKvrWinApp& app, const QString& path);

} // namespace kui
