// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/import_preview.h"

#include "ui/message.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kui {

ImportPreviewDlg::ImportPreviewDlg(QWidget* parent, const QString& caption,
                                   const kvr::ImportReport& report, const QString& noun)
    : QDialog(parent) {
    setWindowTitle(caption);
    const std::vector<std::string> lines = kvr::DescribeImport(report, noun.toStdString());
    auto* layout = new QVBoxLayout(this);

    // The figures first, then the rows that need a look, one per line.
    QStringList figures;
    const std::size_t counted = lines.size() - report.problems.size();
    for (std::size_t i = 0; i < counted; ++i)
        figures << QString::fromStdString(lines[i]);
    auto* summary = new QLabel(figures.join(QLatin1Char('\n')), this);
    summary->setObjectName(QStringLiteral("summary"));
    layout->addWidget(summary);

    if (!report.problems.empty()) {
        auto* label = new QLabel(QStringLiteral("&Rows to look at:"), this);
        auto* list = new QPlainTextEdit(this);
        list->setObjectName(QStringLiteral("problems"));
        list->setReadOnly(true);
        list->setLineWrapMode(QPlainTextEdit::NoWrap);
        list->setAccessibleName(QStringLiteral("Rows to look at"));
        QStringList rows;
        for (std::size_t i = counted; i < lines.size(); ++i)
            rows << QString::fromStdString(lines[i]);
        list->setPlainText(rows.join(QLatin1Char('\n')));
        label->setBuddy(list);
        layout->addWidget(label);
        layout->addWidget(list, 1);
    }

    QDialogButtonBox* buttons = OkCancelButtons(*this);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setText(QStringLiteral("&Import"));
    ok->setEnabled(!report.Empty());
    if (report.Empty()) {
        buttons->button(QDialogButtonBox::Cancel)->setDefault(true);
    }
    layout->addWidget(buttons);
}

bool ConfirmImport(QWidget* parent, const QString& caption, const kvr::ImportReport& report,
                   const QString& noun) {
    ImportPreviewDlg dialog(parent, caption, report, noun);
    return RunModal(dialog) == QDialog::Accepted;
}

} // namespace kui
