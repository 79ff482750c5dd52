// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/export_file.h"

#include "core/backups.h"
#include "ui/message.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

namespace kui {

namespace {

QString& LastFolder() {
    static QString folder;
    return folder;
}

} // namespace

QString FileDialogFolder() {
    return LastFolder().isEmpty() ? QDir::homePath() : LastFolder();
}

void RememberFileDialogFolder(const QString& chosenFile) {
    LastFolder() = QFileInfo(chosenFile).absolutePath();
}

QString AskFileToExport(QWidget* parent, const QString& caption, const QString& filter,
                        const QString& name, const QString& suffix) {
    QFileDialog dialog(parent, caption, FileDialogFolder());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(suffix);
    dialog.selectFile(name);
    if (RunModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString path = dialog.selectedFiles().constFirst();
    RememberFileDialogFolder(path);
    return MayExportTo(parent, caption, path) ? path : QString();
}

QString AskFileToExport(QWidget* parent, const QString& caption, kvr::FileFormat format) {
    const kvr::FileFormatRow& row = kvr::FormatRow(format);
    return AskFileToExport(parent, caption, QString::fromStdString(row.Filter()),
                           QString::fromLatin1(row.defaultName),
                           QString::fromStdString(row.suffixes.front().substr(1)));
}

bool MayExportTo(QWidget* parent, const QString& caption, const QString& path) {
    if (!kvr::NamesDataFile(QFile::encodeName(path).toStdString()))
        return true;
    Tell(parent,
         QStringLiteral("'%1' is one of Kavora's own data files, or its data folder: nothing is "
                        "exported over it.\nPlease choose another name or folder.")
             .arg(path),
         caption, Icon::Warning);
    return false;
}

} // namespace kui
