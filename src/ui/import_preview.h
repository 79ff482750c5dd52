// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/import_report.h"

#include <QDialog>
#include <QString>

class QCheckBox;
class QLabel;
class QPushButton;

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

    // Adds a check box (objectName "update") with `text` under the figures,
    // cleared at first: whether the records already there that the import
    // would change (report.updated) are changed. While it is cleared they
    // count as already there, and OK is enabled only when there is something
    // to add.
    void OfferUpdate(const QString& text);
    // Whether the player checked that box.
    bool UpdateChosen() const;

private:
    // The figures and OK as the check box stands.
    void ShowFigures();

    kvr::ImportReport report_;
    QString noun_;
    QLabel* summary_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QCheckBox* update_ = nullptr;
};

// Asks for the file an import reads (an existing file, through
// kui::RunModal); `filter` names its kind ("CSV files (*.csv)"), and all
// files may be chosen too. Empty when the player cancelled.
QString AskFileToImport(QWidget* parent, const QString& caption, const QString& filter);

// Runs the preview; true when the player chose OK.
bool ConfirmImport(QWidget* parent, const QString& caption, const kvr::ImportReport& report,
                   const QString& noun);
// The same with the check box of OfferUpdate (`updateText`); `update` then
// tells whether the player checked it.
bool ConfirmImport(QWidget* parent, const QString& caption, const kvr::ImportReport& report,
                   const QString& noun, const QString& updateText, bool& update);

} // namespace kui
