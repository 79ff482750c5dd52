// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/import_preview.h"

#include "core/date.h"
#include "ui/export_file.h"
#include "ui/message.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kui {

ImportPreviewDlg::ImportPreviewDlg(QWidget* parent, const QString& caption,
                                   const kvr::ImportReport& report, const QString& noun)
    : QDialog(parent), report_(report), noun_(noun) {
    setWindowTitle(caption);
    auto* layout = new QVBoxLayout(this);

    // The figures first, then what the import decides, the records it
    // stores, and the rows that need a look, one per line.
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("summary"));
    layout->addWidget(summary_);

    decisions_ = new QLabel(this);
    decisions_->setObjectName(QStringLiteral("decisions"));
    decisions_->setWordWrap(true);
    decisions_->hide();
    layout->addWidget(decisions_);

    recordsLabel_ = new QLabel(QStringLiteral("&What will be stored:"), this);
    records_ = new QTreeWidget(this);
    records_->setObjectName(QStringLiteral("records"));
    records_->setRootIsDecorated(false);
    records_->setAccessibleName(QStringLiteral("What will be stored"));
    recordsLabel_->setBuddy(records_);
    recordsLabel_->hide();
    records_->hide();
    layout->addWidget(recordsLabel_);
    layout->addWidget(records_, 2);

    QDialogButtonBox* buttons = OkCancelButtons(*this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    ok_->setText(QStringLiteral("&Import"));
    cancel_ = buttons->button(QDialogButtonBox::Cancel);
    layout->addWidget(buttons);
    // Wide enough for the listing's columns (date, opponent, kind, where it
    // goes) beside the program's smallest window.
    setMinimumWidth(560);
    ShowProblems();
    ShowFigures();
}

void ImportPreviewDlg::OfferUpdate(const QString& text) {
    if (update_)
        return;
    update_ = new QCheckBox(text, this);
    update_->setObjectName(QStringLiteral("update"));
    // Under the figures, which it changes.
    static_cast<QVBoxLayout*>(layout())->insertWidget(1, update_);
    connect(update_, &QCheckBox::toggled, this, &ImportPreviewDlg::ShowFigures);
    ShowFigures();
}

bool ImportPreviewDlg::UpdateChosen() const {
    return update_ && update_->isChecked();
}

void ImportPreviewDlg::ShowListing(const ImportListing& listing) {
    decisions_->setText(listing.decisions.join(QLatin1Char('\n')));
    decisions_->setVisible(!listing.decisions.isEmpty());
    records_->clear();
    records_->setColumnCount(static_cast<int>(listing.columns.size()));
    records_->setHeaderLabels(listing.columns);
    QList<QTreeWidgetItem*> items;
    for (const QStringList& row : listing.rows)
        items << new QTreeWidgetItem(row);
    records_->addTopLevelItems(items);
    for (int column = 0; column < records_->columnCount(); ++column)
        records_->resizeColumnToContents(column);
    recordsLabel_->setVisible(!listing.rows.empty());
    records_->setVisible(!listing.rows.empty());
}

void ImportPreviewDlg::AskChoice(const QString& question, const QStringList& choices,
                                 std::function<ImportContent(int)> read) {
    if (choiceBox_)
        return;
    read_ = std::move(read);
    choiceBox_ = new QGroupBox(question, this);
    choiceBox_->setObjectName(QStringLiteral("choice"));
    auto* row = new QHBoxLayout(choiceBox_);
    choices_ = new QButtonGroup(this);
    for (int i = 0; i < choices.size(); ++i) {
        auto* button = new QRadioButton(choices[i], choiceBox_);
        button->setObjectName(QStringLiteral("choice%1").arg(i));
        choices_->addButton(button, i);
        row->addWidget(button);
    }
    row->addStretch();
    // Above the figures, which wait for it.
    static_cast<QVBoxLayout*>(layout())->insertWidget(0, choiceBox_);
    connect(choices_, &QButtonGroup::idClicked, this, &ImportPreviewDlg::Choose);
    // The question is what the player answers first: the keyboard starts on
    // its first choice (focused, not chosen; an arrow key or Space chooses).
    choices_->button(0)->setFocus();
    ShowFigures();
}

int ImportPreviewDlg::Chosen() const {
    return choices_ ? choices_->checkedId() : -1;
}

void ImportPreviewDlg::Choose(int choice) {
    const ImportContent content = read_(choice);
    report_ = content.report;
    ShowListing(content.listing);
    ShowProblems();
    ShowFigures();
}

void ImportPreviewDlg::ShowProblems() {
    const std::vector<std::string> lines = kvr::DescribeImport(report_, noun_.toStdString());
    QStringList rows;
    for (std::size_t i = lines.size() - report_.problems.size(); i < lines.size(); ++i)
        rows << QString::fromStdString(lines[i]);
    if (rows.isEmpty() && !problems_)
        return;
    if (!problems_) {
        // Made only for rows to look at, above the buttons.
        problemsLabel_ = new QLabel(QStringLiteral("&Rows to look at:"), this);
        problems_ = new QPlainTextEdit(this);
        problems_->setObjectName(QStringLiteral("problems"));
        problems_->setReadOnly(true);
        // Long reasons (the words a column accepts) wrap rather than hide.
        problems_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        problems_->setAccessibleName(QStringLiteral("Rows to look at"));
        problemsLabel_->setBuddy(problems_);
        auto* box = static_cast<QVBoxLayout*>(layout());
        box->insertWidget(box->count() - 1, problemsLabel_);
        box->insertWidget(box->count() - 1, problems_, 1);
    }
    problems_->setPlainText(rows.join(QLatin1Char('\n')));
    problemsLabel_->setVisible(!rows.isEmpty());
    problems_->setVisible(!rows.isEmpty());
}

void ImportPreviewDlg::ShowFigures() {
    const bool waiting = Chosen() < 0 && choiceBox_;
    kvr::ImportReport shown = report_;
    if (update_ && !update_->isChecked()) {
        shown.present += shown.updated;
        shown.updated = 0;
    }
    QStringList figures;
    if (waiting) {
        figures << QStringLiteral("Choose how the dates are written to see what comes in.");
    } else {
        const std::vector<std::string> lines = kvr::DescribeImport(shown, noun_.toStdString());
        for (std::size_t i = 0; i + shown.problems.size() < lines.size(); ++i)
            figures << QString::fromStdString(lines[i]);
    }
    summary_->setText(figures.join(QLatin1Char('\n')));
    const bool something = !waiting && !shown.Empty();
    ok_->setEnabled(something);
    ok_->setDefault(something);
    cancel_->setDefault(!something);
}

QString AskFileToImport(QWidget* parent, const QString& caption, const QString& filter) {
    QFileDialog dialog(parent, caption, FileDialogFolder());
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({filter, QStringLiteral("All files (*)")});
    if (RunModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    RememberFileDialogFolder(dialog.selectedFiles().constFirst());
    return dialog.selectedFiles().constFirst();
}

QString AskFileToImport(QWidget* parent, const QString& caption, kvr::FileFormat format) {
    return AskFileToImport(parent, caption,
                           QString::fromStdString(kvr::FormatRow(format).Filter()));
}

QString DateInWords(const std::string& stored) {
    const ZBD_Date date(stored);
    return QStringLiteral("%1 %2, %3")
        .arg(QString::fromStdString(date.MonthName()))
        .arg(date.Day())
        .arg(date.Year());
}

bool ConfirmImport(QWidget* parent, const QString& caption, const kvr::ImportReport& report,
                   const QString& noun) {
    ImportPreviewDlg dialog(parent, caption, report, noun);
    return RunModal(dialog) == QDialog::Accepted;
}

bool ConfirmImport(QWidget* parent, const QString& caption, const QString& noun,
                   const ImportContent& content) {
    ImportPreviewDlg dialog(parent, caption, content.report, noun);
    dialog.ShowListing(content.listing);
    return RunModal(dialog) == QDialog::Accepted;
}

bool ConfirmImport(QWidget* parent, const QString& caption, const QString& noun,
                   const QString& question, const QStringList& choices,
                   const std::function<ImportContent(int)>& read, int& chosen) {
    ImportPreviewDlg dialog(parent, caption, {}, noun);
    dialog.AskChoice(question, choices, read);
    const bool accepted = RunModal(dialog) == QDialog::Accepted && dialog.Chosen() >= 0;
    chosen = accepted ? dialog.Chosen() : -1;
    return accepted;
}

bool ConfirmImport(QWidget* parent, const QString& caption, const QString& noun,
                   const ImportContent& content, const QString& updateText, bool& update) {
    ImportPreviewDlg dialog(parent, caption, content.report, noun);
    dialog.ShowListing(content.listing);
    if (content.report.updated > 0)
        dialog.OfferUpdate(updateText);
    const bool accepted = RunModal(dialog) == QDialog::Accepted;
    update = accepted && dialog.UpdateChosen();
    return accepted;
}

} // namespace kui
