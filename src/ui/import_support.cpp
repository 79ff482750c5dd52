// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/import_support.h"

#include "core/backups.h"
#include "core/record_store.h"
#include "ui/message.h"
#include "ui/text.h"

namespace kui {

std::string StorableField(const QString& text) {
    QString fitted = text;
    fitted.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    fitted.replace(QLatin1Char('\r'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
    return kvr::StorableText(ToStored(fitted.trimmed()));
}

bool BackUpBeforeImport(QWidget* parent, const std::vector<std::string>& names,
                        const QString& caption) {
    const kvr::BackupResult backup = kvr::BackupBeforeChange(names);
    if (backup.outcome != kvr::BackupResult::Outcome::Failed)
        return true;
    QString problems;
    for (const std::string& problem : backup.problems)
        problems += QString::fromStdString(problem) + QLatin1Char('\n');
    return AskYesNo(parent,
                    QStringLiteral("The copy of your data before the import could not be kept "
                                   "in '%1':\n%2\nImport without it?")
                        .arg(QString::fromStdString(backup.folder), problems),
                    caption, Default::No);
}

} // namespace kui
