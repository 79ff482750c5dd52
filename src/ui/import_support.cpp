// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/import_support.h"

#include "core/backups.h"
#include "core/record_store.h"
#include "ui/message.h"
#include "ui/text.h"

namespace kui {

std::string FitField(const QString& text, int limit, const QString& label, std::size_t line,
                     kvr::ImportReport& report) {
    QString fitted = text;
    fitted.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    fitted.replace(QLatin1Char('\r'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
    fitted = fitted.trimmed();
    const QString cut = LeftCharacters(fitted, limit);
    if (cut.size() < fitted.size()) {
        report.problems.push_back(
            {line, QStringLiteral("%1 cut to %2 characters").arg(label).arg(limit).toStdString(),
             false});
        fitted = cut.trimmed();
    }
    return kvr::StorableText(ToStored(fitted));
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
