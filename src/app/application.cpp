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
#include "ui/form_checks.h"
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
    kui::KeepUnusedAltLettersOutOfFields(*this);

    if (readOnly_) {
        if (!stores_.Create()) {
            kui::Tell(nullptr, QStringLiteral("Not enough memory to run program!"),
                      QStringLiteral("Memory Error"), kui::Icon::Stop);
            return;
        }
        ready_ = true;
        stores_.Load(false);
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

    // A change of play.dat and history.dat cut short is finished or undone
    // before any store reads its file. One that cannot be finished holds
    // both files for the whole run (the player is told, and told again by
    // whatever would write them).
    if (KVR_PlayData::RecoverInterruptedChange() < 0)
        kui::TellPlayChangeWaits(nullptr);

    if (!stores_.Create()) {
        kui::Tell(nullptr, QStringLiteral("Not enough memory to run program!"),
                  QStringLiteral("Memory Error"), kui::Icon::Stop);
        return;
    }
    ready_ = true;
    stores_.Load(true);
}

TKvrWinApp::~TKvrWinApp() {
    kui::FinishFontWarmUp();
    // The windows go first: views refer to the stores.
    frame_.reset();
}

void TKvrWinApp::AfterFirstPaint() {
    // The past records read meanwhile tell whether the history's lines are
    // whole; a damaged history is told and rebuilt before the statistics
    // are taken from it.
    stores_.CheckHistoryLines();
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
    const std::string failure = kvr::MakeDailyBackup().FailureText("Today's backup");
    if (failure.empty())
        return;
    kui::Tell(frame_.get(),
              QStringLiteral("%1\nYour data files themselves were not changed.")
                  .arg(QFile::decodeName(failure.c_str())),
              {}, kui::Icon::Warning);
}

KvrClient* TKvrWinApp::Client() const {
    return frame_ ? frame_->Client() : nullptr;
}

void TKvrWinApp::RecordsChanged(kui::Store store) {
    if (store == kui::Store::Play) {
        // One pass over the records for the store's block and every view.
        TakePlayFigures();
        KVR_PlayData& play = PlayStore();
        keepStatistics(play, play.Stats(), playFigures_, play.Past(), ZBD_Date());
        PhoneStore().ComputeAllStats(play);
    }
    emit StoreChanged(store);
}

void TKvrWinApp::TakePlayFigures() {
    KVR_PlayData& play = PlayStore();
    const kvr::PastRecords& past = play.Past();
    const ZBD_Date today;
    playFigures_ = statisticsOf(play, past, today);
    hasPlayFigures_ = true;
    playFiguresDay_ = today.DayNumber();
    playFiguresReads_ = past.ReadCount();
    ++playFiguresTaken_;
}

const PlayStatistics& TKvrWinApp::PlayFigures() {
    if (!hasPlayFigures_ || playFiguresDay_ != ZBD_Date().DayNumber() ||
        playFiguresReads_ != PlayStore().Past().ReadCount())
        TakePlayFigures();
    return playFigures_;
}

void TKvrWinApp::InitMainWindow(kui::CommandTable commands) {
    if (!ready_ || frame_ || readOnly_)
        return;
    frame_ = std::make_unique<TKvrFrame>(*this, std::move(commands));
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

int TKvrWinApp::Run(kui::CommandTable commands) {
    if (!ready_)
        return 0;
    InitMainWindow(std::move(commands));
    return exec();
}
