// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/application.h"

#include "app/about_dialog.h"
#include "app/app_id.h"
#include "app/client.h"
#include "app/conflict_merge.h"
#include "app/font_warmup.h"
#include "app/main_window.h"
#include "app/start_style.h"
#include "app/welcome_dialog.h"
#include "charting/chart_store.h"
#include "core/backups.h"
#include "core/coach_file.h"
#include "core/history.h"
#include "core/instance_lock.h"
#include "core/play_store.h"
#include "phonebook/phone_store.h"
#include "play/statistics.h"
#include "schedule/sched_store.h"
#include "tips/tip_store.h"
#include "ui/message.h"
#include "ui/text.h"

#include <chrono>
#include <clocale>
#include <new>

#include <QFile>
#include <QIcon>
#include <QSocketNotifier>

namespace {

QString fromLocal(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

// A file that is there but cannot be read (permission, disk error) is not
// rebuilt: the player is told which file, why, and that it was kept.
void TellUnreadable(const QString& fileName, int error) {
    kui::Tell(nullptr, TKvrWinApp::FailedLoadText(fileName, kvr::kReadError, error));
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
        kui::Tell(nullptr, TKvrWinApp::FailedLoadText(fileName, result, 0));
        return true;
    }
    kui::Tell(nullptr, message);
    if (rebuild)
        TryRebuild(store, fileName);
    return true;
}

} // namespace

TKvrWinApp::TKvrWinApp(int& argc, char** argv) : TKvrWinApp(argc, argv, StartMode::Normal) {}

TKvrWinApp::TKvrWinApp(int& argc, char** argv, StartMode mode)
    : QApplication(kui::StartFontWarmUp(argc), argv),
      title_(QStringLiteral("The Kavora for Windows v1.5")),
      readOnly_(mode == StartMode::ReadOnly) {
    kui::ApplicationReadyForFonts();
    setStyle(new kui::StartStyle(style()->name()));
    // Numbers in the data files and in the texts the model formats are
    // always written with a decimal point, whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");
    setApplicationName(QStringLiteral("kavora"));
    setApplicationVersion(QString::fromLatin1(kui::kAppVersion));
    setDesktopFileName(QString::fromLatin1(kui::kAppId));
    kui::SetDefaultCaption(title_);

    if (readOnly_) {
        if (!CreateStores()) {
            kui::Tell(nullptr, QStringLiteral("Not enough memory to run program!"),
                      QStringLiteral("Memory Error"), kui::Icon::Stop);
            return;
        }
        ready_ = true;
        LoadAllData(false);
        if (auto stored = kvr::ReadPlayerName())
            playerName_ = kui::LeftCharacters(kui::FromStored(*stored), kMaxNameLength);
        RecordsChanged(kui::Store::Play);
        return;
    }

    // One copy of the program per data folder. A second start touches no
    // file: it calls the first copy's window forward and ends.
    instanceLock_ = std::make_unique<kvr::InstanceLock>();
    if (instanceLock_->HeldElsewhere()) {
        alreadyRunning_ = true;
        kvr::CallRunningInstance();
        kui::Tell(nullptr,
                  QStringLiteral("Kavora is already running in this folder:\n%1\n\nOnly one "
                                 "copy of the program can work on a data folder at a time.")
                      .arg(QFile::decodeName(kvr::CanonicalFolder().c_str())),
                  {}, kui::Icon::Information);
        return;
    }
    // Without any lock a second copy could work on the same files unseen:
    // the player decides whether to go on.
    if (instanceLock_->GetState() == kvr::InstanceLock::State::Unavailable &&
        !kui::AskYesNo(nullptr,
                       QStringLiteral("No lock can be taken on the data folder:\n%1\n\nAnother "
                                      "copy of Kavora could then work on the same files at the "
                                      "same time, and the changes of one could undo those of "
                                      "the other.\n\nGo on without that protection?")
                           .arg(QFile::decodeName(kvr::CanonicalFolder().c_str())))) {
        return;
    }

    // A goal-period change cut short by a crash is finished or undone before
    // any store reads its file.
    if (KVR_PlayData::RecoverInterruptedGoalPeriod() < 0)
        kui::Tell(nullptr,
                  QStringLiteral("The last change of goal period could not be finished.\nThe "
                                 "notes of that period are kept in 'history.next'.  Make sure "
                                 "the data folder can be written to, then start the program "
                                 "again."),
                  {}, kui::Icon::Warning);

    if (!CreateStores()) {
        kui::Tell(nullptr, QStringLiteral("Not enough memory to run program!"),
                  QStringLiteral("Memory Error"), kui::Icon::Stop);
        return;
    }
    ready_ = true;
    LoadAllData(true);
}

TKvrWinApp::~TKvrWinApp() {
    kui::FinishFontWarmUp();
    // The windows go first: views refer to the stores.
    frame_.reset();
    DestroyStores();
}

TKvrWinApp* TKvrWinApp::Instance() {
    return qobject_cast<TKvrWinApp*>(QCoreApplication::instance());
}

void TKvrWinApp::AfterFirstPaint() {
    RecordsChanged(kui::Store::Play);
    // The scalable icon needs the SVG plug-ins, which the first paint does
    // not: the windows take it up once they are on screen.
    if (windowIcon().isNull()) {
        if (QFile::exists(QString::fromLatin1(kui::kAppIconResource)))
            setWindowIcon(QIcon(QString::fromLatin1(kui::kAppIconResource)));
        else
            setWindowIcon(ProgramIcon());
        // The frame and its client copied the empty icon when they were made.
        frame_->setWindowIcon(windowIcon());
        frame_->Client()->setWindowIcon(windowIcon());
    }
    ListenForSecondStarts();
    MakeDailyBackup();
    // After the load messages and the day's backup: copies a sync tool left.
    kui::OfferConflictMerge(*this);
}

void TKvrWinApp::ListenForSecondStarts() {
    if (listener_)
        return;
    listener_ = std::make_unique<kvr::InstanceListener>();
    if (listener_->Fd() < 0)
        return;
    listenerNotifier_ = std::make_unique<QSocketNotifier>(listener_->Fd(), QSocketNotifier::Read);
    connect(listenerNotifier_.get(), &QSocketNotifier::activated, this, [this] {
        if (!listener_->AcceptCall() || !frame_)
            return;
        if (frame_->isMinimized())
            frame_->showNormal();
        frame_->raise();
        frame_->activateWindow();
        emit CalledForward();
    });
}

void TKvrWinApp::MakeDailyBackup() {
    kvr::BackupResult backup = kvr::MakeDailyBackup();
    if (backup.outcome != kvr::BackupResult::Outcome::Failed)
        return;
    QString problems;
    for (const std::string& problem : backup.problems)
        problems += QString::fromStdString(problem) + QLatin1Char('\n');
    kui::Tell(frame_.get(),
              QStringLiteral("Today's backup of your data files in '%1' could not be made "
                             "whole:\n%2\nYour data files themselves were not changed.")
                  .arg(QString::fromStdString(backup.folder), problems),
              {}, kui::Icon::Warning);
}

KvrClient* TKvrWinApp::Client() const {
    return frame_ ? frame_->Client() : nullptr;
}

bool TKvrWinApp::CreateStores() {
    try {
        playStore_ = std::make_unique<KVR_PlayData>();
        phoneStore_ = std::make_unique<KVR_PhoneData>();
        tipStore_ = std::make_unique<TipClass>();
        schedStore_ = std::make_unique<SchedClass>();
        chartStore_ = std::make_unique<KVR_ChartClass>();
    } catch (const std::bad_alloc&) {
        DestroyStores();
        return false;
    }
    return true;
}

void TKvrWinApp::DestroyStores() {
    playStore_.reset();
    phoneStore_.reset();
    schedStore_.reset();
    tipStore_.reset();
    chartStore_.reset();
}

void TKvrWinApp::LoadAllData(bool mayRebuild) {
    auto started = std::chrono::steady_clock::now();
    bool failed = false;
    // A read-only start rebuilds nothing, so it promises no rebuild.
    const QString rebuild =
        mayRebuild ? QStringLiteral("\nWill attempt to rebuild file....") : QString();

    failed |= ReportFailedLoad(*chartStore_, chartStore_->Load(), QStringLiteral("chart.dat"),
                               QStringLiteral("Chart data file missing or corrupted, unable to "
                                              "load 'chart.dat'!") +
                                   rebuild,
                               mayRebuild);

    // The play store and the history are reported like every other store: a
    // goal period that could not be read must not pass unnoticed.
    playStore_->CheckFile();
    failed |= ReportFailedLoad(*playStore_, playStore_->Load(), QStringLiteral("play.dat"),
                               QStringLiteral("Play data file missing or corrupted, unable to "
                                              "load 'play.dat'!") +
                                   rebuild,
                               mayRebuild);

    KVR_History& history = playStore_->History();
    int historyResult = history.Rewind() == 1 ? 1 : history.LoadResult();
    history.Close();
    if (ReportFailedLoad(history, historyResult, QStringLiteral("history.dat"),
                         QStringLiteral("History data file missing or corrupted, unable to load "
                                        "'history.dat'!") +
                             rebuild,
                         mayRebuild)) {
        failed = true;
        // A rebuilt history keeps its lines in the order they stood.
        if (!history.LastRebuild().old.empty() && history.SortByDate() < 0)
            kui::Tell(nullptr, QStringLiteral("Error sorting history file!"));
    }

    failed |= ReportFailedLoad(
        *phoneStore_, phoneStore_->Load(), QStringLiteral("phone.dat"),
        QStringLiteral("Phone Book data file missing or corrupted, unable "
                       "to load 'phone.dat'\n") +
            (mayRebuild ? QStringLiteral("Attemping to rebuild file....") : QString()),
        mayRebuild);
    // The opponent figures (and the statistics) read the whole history; no
    // view can show them before the window is on screen, so they are
    // computed right after its first paint, from the past records read
    // meanwhile on a thread of their own.
    if (mayRebuild)
        playStore_->ReadPastAhead();

    schedStore_->CheckFile();
    failed |= ReportFailedLoad(*schedStore_, schedStore_->Load(), QStringLiteral("sched.dat"),
                               QStringLiteral("Schedule data file missing or corrupted, unable "
                                              "to load 'sched.dat'!") +
                                   rebuild,
                               mayRebuild);

    loadMilliseconds_ =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
            .count();

    if (failed && mayRebuild)
        kui::Tell(nullptr,
                  QStringLiteral("Unable to load all data files.\n") +
                      QStringLiteral("Read previous messages to determine which file caused "
                                     "error.\n") +
                      QStringLiteral("Use a text editor to examine the '*.dis' file\n") +
                      QStringLiteral("to view any disgarded records that you may be able to "
                                     "manually reenter.\n") +
                      QStringLiteral("If a backup file is available, exit program and replace "
                                     "bad file.\n"));
}

QString TKvrWinApp::FailedLoadText(const QString& fileName, int result, int error) {
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

void TKvrWinApp::RecordsChanged(kui::Store store) {
    if (store == kui::Store::Play) {
        computeStatistics(*playStore_);
        phoneStore_->ComputeAllStats(*playStore_);
    }
    emit StoreChanged(store);
}

void TKvrWinApp::InitMainWindow() {
    if (!ready_ || frame_ || readOnly_)
        return;
    frame_ = std::make_unique<TKvrFrame>(*this);
    connect(frame_->Client(), &KvrClient::FirstPainted, this, &TKvrWinApp::AfterFirstPaint,
            Qt::QueuedConnection);
    kui::FinishFontWarmUp();
    frame_->show();
    SettlePlayerName();
}

void TKvrWinApp::SettlePlayerName() {
    int error = 0;
    if (auto stored = kvr::ReadPlayerName(kvr::kCoachFile, &error)) {
        playerName_ = kui::LeftCharacters(kui::FromStored(*stored), kMaxNameLength);
        return;
    }
    // A coach.dat that is there but cannot be read still holds the name: it
    // is neither asked for again nor written over.
    if (error != 0) {
        playerName_.clear();
        kui::Tell(frame_.get(),
                  QStringLiteral("Unable to read your name from 'coach.dat': %1.\nThe program "
                                 "goes on without it, and the file will not be written over.")
                      .arg(fromLocal(kvr::ErrorText(error))),
                  {}, kui::Icon::Warning);
        return;
    }
    // The first run (or a coach.dat that is gone): ask until a name is given.
    playerName_.clear();
    while (playerName_.isEmpty()) {
        TWelcomeDlg welcome(frame_.get());
        if (kui::RunModal(welcome) == QDialog::Accepted)
            playerName_ = welcome.PlayerName();
    }
    if (!kvr::WritePlayerName(kui::ToStored(playerName_)))
        kui::Tell(frame_.get(),
                  QStringLiteral("Unable to save your name in 'coach.dat'.\nYou will be asked "
                                 "for it again at the next start."),
                  {}, kui::Icon::Warning);
    if (Client())
        Client()->viewport()->update();
}

int TKvrWinApp::Run() {
    if (!ready_)
        return 0;
    InitMainWindow();
    return exec();
}
