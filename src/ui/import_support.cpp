// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/import_support.h"

#include "core/backups.h"
#include "ui/message.h"

#include <QFile>

namespace kui {

bool BackUpBeforeImport(QWidget* parent, const std::vector<std::string>& names,
                        const QString& caption, const QString& noun) {
    return TellImportNotBackedUp(parent, kvr::KeepBeforeChange(names), caption, noun);
}

bool TellImportNotBackedUp(QWidget* parent, const std::string& failure, const QString& caption,
                           const QString& noun) {
    if (failure.empty())
        return true;
    Tell(parent,
         QStringLiteral("No %1 were imported: %2").arg(noun, QFile::decodeName(failure.c_str())),
         caption, Icon::Warning);
    return false;
}

} // namespace kui
