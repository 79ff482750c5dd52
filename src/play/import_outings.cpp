// SPDX-License-Identifier: GPL-3.0-or-later
#include "play/import_outings.h"

#include "app/application.h"
#include "app/client.h"
#include "core/safe_file.h"
#include "play/outings_csv.h"
#include "play/record_notes.h"
#include "ui/import_preview.h"
#include "ui/message.h"

#include <cerrno>

#include <QFile>
#include <QStringList>

namespace kui {
namespace {

const QString kCaption = QStringLiteral("Import Outings");

QString FromLocal(const std::string& text) {
    return QString::fromLocal8Bit(text.c_str());
}

} // namespace

void ImportOutings(KvrClient& client) {
    if (TellPlayChangeWaits(&client))
        return;
    const QString path = AskFileToImport(&client, kCaption, QStringLiteral("CSV files (*.csv)"));
    if (!path.isEmpty())
        ImportOutingsFile(&client, client.App(), path);
}

bool ImportOutingsFile(QWidget* parent, TKvrWinApp& app, const QString& path) {
    errno = 0;
    const auto contents = kvr::ReadWholeFile(QFile::encodeName(path).toStdString());
    if (!contents) {
        Tell(parent,
             QStringLiteral("Unable to read '%1': %2.").arg(path, FromLocal(kvr::ErrorText(errno))),
             kCaption, Icon::Warning);
        return false;
    }
    KVR_PlayData& play = app.PlayStore();
    if (TellPlayChangeWaits(parent))
        return false;
    const kvr::OutingImport import = kvr::PrepareOutingImport(*contents, play);
    if (!import.error.empty()) {
        Tell(parent,
             QStringLiteral("No outings can be imported from '%1': %2.")
                 .arg(path, QString::fromStdString(import.error)),
             kCaption, Icon::Warning);
        return false;
    }
    if (!ConfirmImport(parent, kCaption, import.report, QStringLiteral("outings")))
        return false;

    const kvr::StoredOutingImport stored = kvr::StoreOutingImport(play, import);
    using Result = kvr::PlacedOutings::Result;
    if (stored.backup.outcome == kvr::BackupResult::Outcome::Failed) {
        QString problems;
        for (const std::string& problem : stored.backup.problems)
            problems += QString::fromStdString(problem) + QLatin1Char('\n');
        Tell(parent,
             QStringLiteral("No outings were imported: the backup of your data files in '%1' "
                            "could not be made:\n%2")
                 .arg(QString::fromStdString(stored.backup.folder), problems),
             kCaption, Icon::Warning);
        return false;
    }
    if (stored.placed.result == Result::Failed) {
        TellSaveFailed(parent, play);
        return false;
    }
    // The figures and the views follow whatever was stored.
    app.RecordsChanged(Store::Play);
    if (stored.placed.result == Result::Unconfirmed && !TellPlayChangeWaits(parent))
        Tell(parent,
             QStringLiteral("The outings were imported, but the data folder could not be "
                            "confirmed on disk.\nPlease check the disk that holds your Kavora "
                            "files."),
             kCaption, Icon::Warning);
    // As recording notes does: a goal period that was closed, or one that
    // is now complete, is congratulated.
    if (stored.placed.periodsClosed > 0 || stored.placed.periodComplete)
        ShowCongratulations(parent);
    return true;
}

} // namespace kui
