// SPDX-License-Identifier: GPL-3.0-or-later
#include "play/import_outings.h"

#include "app/application.h"
#include "app/client.h"
#include "core/import_file.h"
#include "core/play_change.h"
#include "play/notes_page.h"
#include "play/outings_csv.h"
#include "play/record_notes.h"
#include "ui/import_preview.h"
#include "ui/import_support.h"
#include "ui/message.h"
#include "ui/text.h"

#include <array>

#include <QFile>
#include <QStringList>

namespace kui {
namespace {

const QString kCaption = QStringLiteral("Import Outings");

QString FromLocal(const std::string& text) {
    return QString::fromLocal8Bit(text.c_str());
}

// What the preview shows of an import: every outing it stores, with its
// date as read (the month in words, so that no order is left to guess),
// its hours and result as they will be stored, and where it goes.
ImportContent ContentOf(const kvr::OutingImport& import) {
    ImportContent content;
    content.report = import.report;
    ImportListing& listing = content.listing;
    listing.columns = {QStringLiteral("Line"),     QStringLiteral("Date"),
                       QStringLiteral("Opponent"), QStringLiteral("Kind"),
                       QStringLiteral("Hours"),    QStringLiteral("Result"),
                       QStringLiteral("Goes to")};
    for (std::size_t i = 0; i < import.outings.size(); ++i) {
        const PlayRecord& outing = import.outings[i];
        listing.rows.push_back(
            {QString::number(import.lines[i]), DateInWords(outing.date), FromStored(outing.who),
             QString::fromStdString(kvr::KindWord(outing)), FromStored(outing.time),
             outing.IsMatch() ? ResultText(outing) : QString(),
             import.intoHistory[i] ? QStringLiteral("history") : QStringLiteral("goal period")});
    }
    for (const std::string& line : kvr::DescribeOutingDecisions(import))
        listing.decisions << QString::fromStdString(line);
    return content;
}

// Asks the order of the file's slash dates, which it leaves open, with
// the outings of each reading ready to show; false when the player
// cancelled. `import` becomes the reading chosen.
bool ConfirmWithDateOrder(QWidget* parent, const std::string& contents, const KVR_PlayData& play,
                          kvr::OutingImport& import) {
    std::array<kvr::OutingImport, 2> readings{
        kvr::PrepareOutingImport(contents, play, kvr::DateOrder::MonthFirst),
        kvr::PrepareOutingImport(contents, play, kvr::DateOrder::DayFirst)};
    for (const kvr::OutingImport& reading : readings)
        if (!reading.error.empty()) {
            import = reading;
            return true; // told by the caller
        }
    QString question = QString::fromStdString(import.error);
    if (question.startsWith(QStringLiteral("its ")))
        question.replace(0, 4, QStringLiteral("The file's "));
    question += QStringLiteral(". Read them as:");
    int chosen = -1;
    if (!ConfirmImport(
            parent, kCaption, QStringLiteral("outings"), question,
            {QStringLiteral("&Month/Day"), QStringLiteral("&Day/Month")},
            [&readings](int choice) {
                return ContentOf(readings[static_cast<std::size_t>(choice)]);
            },
            chosen))
        return false;
    import = std::move(readings[static_cast<std::size_t>(chosen)]);
    return true;
}

// What was stored, and where: the places planned for the preview, which
// count the outings a closed goal period took into the history.
QString StoredText(const kvr::OutingImport& import, const kvr::PlacedOutings& placed) {
    const std::size_t total = import.toPeriod + import.toHistory;
    QString text = QStringLiteral("%1 %2 imported: %3 into the goal period, %4 into the history.")
                       .arg(total)
                       .arg(total == 1 ? QStringLiteral("outing") : QStringLiteral("outings"))
                       .arg(import.toPeriod)
                       .arg(import.toHistory);
    if (placed.periodsClosed > 0)
        text += QStringLiteral("\n%1 goal %2 of %3 outings closed into the history.")
                    .arg(placed.periodsClosed)
                    .arg(placed.periodsClosed == 1 ? QStringLiteral("period")
                                                   : QStringLiteral("periods"))
                    .arg(kvr::kGoalPeriodLength);
    return text;
}

} // namespace

void ImportOutings(KvrClient& client) {
    if (TellPlayChangeWaits(&client))
        return;
    const QString path = AskFileToImport(&client, kCaption, kvr::FileFormat::Outings);
    if (!path.isEmpty())
        ImportOutingsFile(&client, client.App(), path);
}

bool ImportOutingsFile(QWidget* parent, TKvrWinApp& app, const QString& path) {
    // A regular file of bounded size only: a FIFO or a device is refused at
    // once, never read.
    const kvr::ImportFile file = kvr::ReadImportFile(QFile::encodeName(path).toStdString());
    if (!file.contents) {
        Tell(parent, QStringLiteral("Unable to read '%1': %2.").arg(path, FromLocal(file.problem)),
             kCaption, Icon::Warning);
        return false;
    }
    const std::string& contents = *file.contents;
    KVR_PlayData& play = app.PlayStore();
    if (TellPlayChangeWaits(parent))
        return false;
    kvr::OutingImport import = kvr::PrepareOutingImport(contents, play);
    const bool orderAsked = import.dateOrderOpen;
    if (orderAsked && !ConfirmWithDateOrder(parent, contents, play, import))
        return false;
    if (!import.error.empty()) {
        Tell(parent,
             QStringLiteral("No outings can be imported from '%1': %2.")
                 .arg(path, QString::fromStdString(import.error)),
             kCaption, Icon::Warning);
        return false;
    }
    if (!orderAsked &&
        !ConfirmImport(parent, kCaption, QStringLiteral("outings"), ContentOf(import)))
        return false;

    const kvr::StoredOutingImport stored = kvr::StoreOutingImport(play, import);
    using Result = kvr::PlacedOutings::Result;
    if (!TellImportNotBackedUp(parent, stored.backup.FailureText(), kCaption,
                               QStringLiteral("outings")))
        return false;
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
    Tell(parent, StoredText(import, stored.placed), kCaption);
    // As recording notes does: a goal period that was closed, or one that
    // new outings made complete, is congratulated; outings that only join
    // the history are not.
    if (stored.placed.periodsClosed > 0 || (stored.placed.periodComplete && import.toPeriod > 0))
        ShowCongratulations(parent);
    return true;
}

} // namespace kui
