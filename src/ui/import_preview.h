// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/import_report.h"

#include <QDialog>
#include <QString>

namespace kui {

// Shows what an import will do before anything is stored: how many records
// come in, how many are already there, and every row that cannot be read
// (with its line and reason). OK imports; it is disabled when there is
// nothing to import. Run through kui::RunModal, so tests answer it.
class ImportPreviewDlg : public QDialog {
    Q_OBJECT
public:
    // `caption` is the command's ("Import Outings"), `noun` the plural of
    // what is imported ("outings").
    ImportPreviewDlg(QWidget* parent, const QString& caption, const kvr::ImportReport& report,
                     const QString& noun);
};

// Runs the preview; true when the player chose OK.
bool ConfirmImport(QWidget* parent, const QString& caption, const kvr::ImportReport& report,
                   const QString& noun);

} // namespace kui
