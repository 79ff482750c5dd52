// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/import_preview.h"

#include "ui/export_file.h"
#include "ui/message.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kui {

ImportPreviewDlg::ImportPreviewDlg(QWidget* parent, const QString& caption,
                                   const kvr::ImportReport& report, const QString& noun)
    : QDialog(parent), report_(report), noun_(noun) {
    setWindowTitle(caption);
    const std::vector<std::string> lines = kvr::DescribeImport(report, noun.toStdString());
    auto* layout = new QVBoxLayout(this);

    // The figures first, then the rows that need a look, one per line.
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("summary"));
    layout->addWidget(summary_);

    if (!report.problems.empty()) {
        auto* label = new QLabel(QStringLiteral("&Rows to look at:"), this);
        auto* list = new QPlainTextEdit(this);
        list->setObjectName(QStringLiteral("problems"));
        list->setReadOnly(true);
        list->setLineWrapMode(QPlainTextEdit::NoWrap);
        list->setAccessibleName(QStringLiteral("Rows to look at"));
        QStringList rows;
        for (std::size_t i = lines.size() - report.problems.size(); i < lines.size(); ++i)
            rows << QString::fromStdString(lines[i]);
        list->setPlainText(rows.join(QLatin1Char('\n')));
        label->setBuddy(list);
        layout->addWidget(label);
        layout->addWidget(list, 1);
    }

    QDialogButtonBox* buttons = OkCancelButtons(*this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    ok_->setText(QStringLiteral("&Import"));
    cancel_ = buttons->button(QDialogButtonBox::Cancel);
    layout->addWidget(buttons);
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

void ImportPreviewDlg::ShowFigures() {
    kvr::ImportReport shown = report_;
    if (update_ && !update_->isChecked()) {
        shown.present += shown.updated;
        shown.updated = 0;
    }
    const std::vector<std::string> lines = kvr::DescribeImport(shown, noun_.toStdString());
    QStringList figures;
    for (std::size_t i = 0; i + shown.problems.size() < lines.size(); ++i)
        figures << QString::fromStdString(lines[i]);
    summary_->setText(figures.join(QLatin1Char('\n')));
    ok_->setEnabled(!shown.Empty());
    ok_->setDefault(!shown.Empty());
    cancel_->setDefault(shown.Empty());
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

bool ConfirmImport(QWidget* parent, const QString& caption, const kvr::ImportReport& report,
                   const QString& noun) {
    ImportPreviewDlg dialog(parent, caption, report, noun);
    return RunModal(dialog) == QDialog::Accepted;
}

bool ConfirmImport(QWidget* parent, const QString& caption, const kvr::ImportReport& report,
                   const QString& noun, const QString& updateText, bool& update) {
    ImportPreviewDlg dialog(parent, caption, report, noun);
    if (report.updated > 0)
        dialog.OfferUpdate(updateText);
    const bool accepted = RunModal(dialog) == QDialog::Accepted;
    update = accepted && dialog.UpdateChosen();
    return accepted;
}

} // namespace kui
