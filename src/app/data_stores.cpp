// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/data_stores.h"

#include "charting/chart_store.h"
#include "core/history.h"
#include "core/play_store.h"
#include "phonebook/phone_store.h"
#include "schedule/sched_store.h"
#include "tips/tip_store.h"
#include "ui/message.h"

#include <chrono>
#include <new>

namespace {

QString fromLocal(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

// A file that is there but cannot be read (permission, disk error) is not
// rebuilt: the player is told which file, why, and that it was kept.
void TellUnreadable(const QString& fileName, int error) {
    kui::Tell(nullptr, kui::DataStores::FailedLoadText(fileName, kvr::kReadError, error));
}

// A file that could not be loaded is rebuilt from the records it still holds,
// and the player told how many were kept and where the rest went; a file that
// cannot be rebuilt (one that may not be replaced) is left alone, and the
// player told why. The store loads the rebuilt file itself.
template <class Store> bool TryRebuild(Store& store, const QString& fileName) {
    int restored = store.rebuild_file();
    if (restored >= 0) {
        const kvr::KeptNames& kept = store.LastRebuild();
        kui::Tell(nullptr,
                  QStringLiteral("'%1' rebuilt with %2 records.").arg(fileName).arg(restored) +
                      QStringLiteral("\nOld file saved as '%1'\nCorrupted records were "
                                     "disgarded and saved in file '%2'")
                          .arg(fromLocal(kept.old), fromLocal(kept.dis)),
                  QStringLiteral("File Rebuild Successful!"));
        return true;
    }
    if (store.Error() != 0)
        TellUnreadable(fileName, store.Error());
    else if (store.RebuildError() != 0)
        // Nothing was copied or written: the player is told why, so that
        // the file can be made writable (or the disk freed) and the next
        // start rebuild it.
        kui::Tell(nullptr,
                  QStringLiteral("Rebuilding attempt for '%1' FAILED!\nThe rebuilt file or "
                                 "its copies could not be written: %2.\nThe file was left as "
                                 "it is, and nothing will be written over it.")
                      .arg(fileName, fromLocal(kvr::ErrorText(store.RebuildError()))));
    else
        kui::Tell(nullptr, QStringLiteral("Rebuilding attempt for '%1' FAILED!").arg(fileName));
    return false;
}

// Reports a store (or the history) whose load failed: an unreadable file
// with the system's reason, any other (damaged or newer) with the store's
// message followed by a rebuild. True when the load failed.
// A read-only start reports the same but rebuilds nothing.
template <class Store>
bool ReportFailedLoad(Store& store, int result, const QString& fileName, const QString& message,
                      bool rebuild) {
    if (result >= 0)
        return false;
    if (store.Error() != 0) {
        TellUnreadable(fileName, store.Error());
        return true;
    }
    // A file of a newer version is neither missing nor damaged: it is named
    // as what it is, and no rebuild is tried on it.
    if (result == kvr::kNewerFormat) {
        kui::Tell(nullptr, kui::DataStores::FailedLoadText(fileName, result, 0));
        return true;
    }
    kui::Tell(nullptr, message);
    if (rebuild)
        TryRebuild(store, fileName);
    return true;
}

// What the message of a damaged file promises: a read-only start rebuilds
// nothing, so it promises no rebuild.
QString RebuildPromise(bool mayRebuild) {
    return mayRebuild ? QStringLiteral("\nWill attempt to rebuild file....") : QString();
}

QString HistoryDamagedText(const QString& rebuild) {
    return QStringLiteral("History data file missing or corrupted, unable to load "
                          "'history.dat'!") +
           rebuild;
}

// A rebuilt history keeps its lines in the order they stood: they are put
// back in date order.
void SortRebuiltHistory(KVR_History& history) {
    if (!history.LastRebuild().old.empty() && history.SortByDate() < 0)
        kui::Tell(nullptr, QStringLiteral("Error sorting history file!"));
}

void TellUnableToLoadAll() {
    kui::Tell(nullptr, QStringLiteral("Unable to load all data files.\n") +
                           QStringLiteral("Read previous messages to determine which file caused "
                                          "error.\n") +
                           QStringLiteral("Use a text editor to examine the '*.dis' file\n") +
                           QStringLiteral("to view any disgarded records that you may be able to "
                                          "manually reenter.\n") +
                           QStringLiteral("If a backup file is available, exit program and replace "
                                          "bad file.\n"));
}

} // namespace

namespace kui {

DataStores::DataStores() = default;

DataStores::~DataStores() {
    Destroy();
}

bool DataStores::Create() {
    try {
        play_ = std::make_unique<KVR_PlayData>();
        phones_ = std::make_unique<KVR_PhoneData>();
        tips_ = std::make_unique<TipClass>();
        schedule_ = std::make_unique<SchedClass>();
        charts_ = std::make_unique<KVR_ChartClass>();
    } catch (const std::bad_alloc&) {
        Destroy();
        return false;
    }
    return true;
}

void DataStores::Destroy() {
    play_.reset();
    phones_.reset();
    schedule_.reset();
    tips_.reset();
    charts_.reset();
}

void DataStores::Load(bool mayRebuild) {
    auto started = std::chrono::steady_clock::now();
    bool failed = false;
    const QString rebuild = RebuildPromise(mayRebuild);

    failed |= ReportFailedLoad(*charts_, charts_->Load(), QStringLiteral("chart.dat"),
                               QStringLiteral("Chart data file missing or corrupted, unable to "
                                              "load 'chart.dat'!") +
                                   rebuild,
                               mayRebuild);

    // The play store and the history are reported like every other store: a
    // goal period that could not be read must not pass unnoticed.
    play_->CheckFile();
    failed |= ReportFailedLoad(*play_, play_->Load(), QStringLiteral("play.dat"),
                               QStringLiteral("Play data file missing or corrupted, unable to "
                                              "load 'play.dat'!") +
                                   rebuild,
                               mayRebuild);

    // The history's header and layout are checked here, its lines by the read
    // of the past records, so that start-up reads the history whole only
    // once: a read-only start reads them now, a full start on a thread of
    // their own (CheckHistoryLines, once the window is up).
    KVR_History& history = play_->History();
    int historyResult = history.Reopen() == 1 ? 1 : history.LoadResult();
    history.Close();
    if (ReportFailedLoad(history, historyResult, QStringLiteral("history.dat"),
                         HistoryDamagedText(rebuild), mayRebuild)) {
        failed = true;
        SortRebuiltHistory(history);
    } else if (!mayRebuild) {
        failed |= ReportDamagedHistoryLines(false);
    }

    failed |= ReportFailedLoad(
        *phones_, phones_->Load(), QStringLiteral("phone.dat"),
        QStringLiteral("Phone Book data file missing or corrupted, unable "
                       "to load 'phone.dat'\n") +
            (mayRebuild ? QStringLiteral("Attemping to rebuild file....") : QString()),
        mayRebuild);
    // The opponent figures (and the statistics) read the whole history; no
    // view can show them before the window is on screen, so they are
    // computed right after its first paint, from the past records read
    // meanwhile on a thread of their own.
    if (mayRebuild)
        play_->ReadPastAhead();

    schedule_->CheckFile();
    failed |= ReportFailedLoad(*schedule_, schedule_->Load(), QStringLiteral("sched.dat"),
                               QStringLiteral("Schedule data file missing or corrupted, unable "
                                              "to load 'sched.dat'!") +
                                   rebuild,
                               mayRebuild);

    loadMilliseconds_ =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
            .count();

    if (failed && mayRebuild)
        TellUnableToLoadAll();
}

void DataStores::CheckHistoryLines() {
    if (ReportDamagedHistoryLines(true))
        TellUnableToLoadAll();
}

bool DataStores::ReportDamagedHistoryLines(bool mayRebuild) {
    if (!play_->Past().Damaged())
        return false;
    KVR_History& history = play_->History();
    history.Close();
    kui::Tell(nullptr, HistoryDamagedText(RebuildPromise(mayRebuild)));
    if (mayRebuild && TryRebuild(history, QStringLiteral("history.dat")))
        SortRebuiltHistory(history);
    return true;
}

QString DataStores::FailedLoadText(const QString& fileName, int result, int error) {
    if (error != 0)
        return QStringLiteral("Unable to read '%1': %2.\nThe file was not rebuilt, and nothing "
                              "will be written over it.")
            .arg(fileName, fromLocal(kvr::ErrorText(error)));
    if (result == kvr::kNewerFormat)
        return QStringLiteral("'%1' was written by a newer version of Kavora and cannot be "
                              "read.\nNothing will be written over it.")
            .arg(fileName);
    return QStringLiteral("'%1' is damaged and could not be read whole.\nNothing will be "
                          "written over it.")
        .arg(fileName);
}

} // namespace kui
