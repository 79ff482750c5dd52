// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/file_formats.h"
#include "core/import_report.h"

#include <functional>
#include <string>
#include <vector>

#include <QDialog>
#include <QString>
#include <QStringList>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

namespace kui {

// The records an import will store, one row each with its cells under
// `columns`, and what else it decides (one line each: periods it closes,
// defaults it applies).
struct ImportListing {
    QStringList columns;
    std::vector<QStringList> rows;
    QStringList decisions;
};

// What the preview shows: the figures and rows to look at, and the list.
struct ImportContent {
    kvr::ImportReport report;
    ImportListing listing;
};

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

    // Lists the records that will be stored (objectName "records") and what
    // the import decides besides (a label, objectName "decisions").
    void ShowListing(const ImportListing& listing);

    // Asks what the file leaves open (`question`), one radio button per
    // choice (objectNames "choice0", "choice1", ...), none of them chosen:
    // until the player chooses, nothing is listed and Import is disabled.
    // A choice shows what `read` returns for its index.
    void AskChoice(const QString& question, const QStringList& choices,
                   std::function<ImportContent(int)> read);
    // The index of the choice made; -1 for none.
    int Chosen() const;

private:
    // The figures and OK as the check box and the choice stand.
    void ShowFigures();
    void ShowProblems();
    void Choose(int choice);

    kvr::ImportReport report_;
    QString noun_;
    QLabel* summary_ = nullptr;
    QGroupBox* choiceBox_ = nullptr;
    QButtonGroup* choices_ = nullptr;
    std::function<ImportContent(int)> read_;
    QLabel* decisions_ = nullptr;
    QLabel* recordsLabel_ = nullptr;
    QTreeWidget* records_ = nullptr;
    QLabel* problemsLabel_ = nullptr;
    QPlainTextEdit* problems_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QCheckBox* update_ = nullptr;
};

// Asks for the file an import reads (an existing file, through
// kui::RunModal); `filter` names its kind ("CSV files (*.csv)"), and all
// files may be chosen too. Empty when the player cancelled.
QString AskFileToImport(QWidget* parent, const QString& caption, const QString& filter);
// The same for a file of `format` (its row of kvr::ImportFormats gives the
// filter).
QString AskFileToImport(QWidget* parent, const QString& caption, kvr::FileFormat format);

// A stored date (M/D/YYYY) with its month in words ("November 3, 2026"),
// so that a preview leaves no order of day and month to guess.
QString DateInWords(const std::string& stored);

// Runs the preview; true when the player chose OK.
bool ConfirmImport(QWidget* parent, const QString& caption, const kvr::ImportReport& report,
                   const QString& noun);
// The same with the records listed (ImportPreviewDlg::ShowListing).
bool ConfirmImport(QWidget* parent, const QString& caption, const QString& noun,
                   const ImportContent& content);
// The same when the file leaves a choice open (ImportPreviewDlg::AskChoice):
// `chosen` gets the index of the choice the player imported with.
bool ConfirmImport(QWidget* parent, const QString& caption, const QString& noun,
                   const QString& question, const QStringList& choices,
                   const std::function<ImportContent(int)>& read, int& chosen);
// The same with the records listed and the check box of OfferUpdate
// (`updateText`); `update` then tells whether the player checked it.
bool ConfirmImport(QWidget* parent, const QString& caption, const QString& noun,
                   const ImportContent& content, const QString& updateText, bool& update);

} // namespace kui
