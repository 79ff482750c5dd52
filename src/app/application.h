// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/command_table.h"
#include "app/data_stores.h"
#include "core/play_statistics.h"

#include <memory>

#include <QApplication>
#include <QString>

class KVR_PlayData;
class KVR_PhoneData;
class TipClass;
class SchedClass;
class KVR_ChartClass;
class KvrClient;
class QSocketNotifier;
class TKvrFrame;
namespace kui {
// The stores, as the change signal names them.
// Coach: the player's name, kept in coach.dat.
enum class Store { Play, Chart, Schedule, Phone, Tips, Coach };
} // namespace kui
namespace kvr {
class InstanceLock;
class InstanceListener;
} // namespace kvr

// The application object: owns the five stores and the player's name for
// the whole run, loads the data before any window is shown and builds the
// main window. Views and dialogs reach the stores through it.
class TKvrWinApp : public QApplication {
    Q_OBJECT
public:
    static constexpr int kMaxNameLength = 24;

    // Takes the data folder for this run (or, when another copy of the
    // program has it, calls that copy forward and stops), finishes an
    // interrupted goal-period change, then creates the stores and loads
    // them, telling the player of any file that cannot be read.
    TKvrWinApp(int& argc, char** argv);

    // A start that writes nothing: no folder lock, no finishing of an
    // interrupted goal-period change, no rebuilt files, no backup, and the
    // player's name read but never asked for. The stores are loaded and the
    // statistics computed; no window is made. For measuring the views'
    // paints over a data set (the command line's drawing modes need no
    // application object: root/headless.h).
    enum class StartMode { Normal, ReadOnly };
    TKvrWinApp(int& argc, char** argv, StartMode mode);
    ~TKvrWinApp() override;
    Q_DISABLE_COPY_MOVE(TKvrWinApp)

    // Builds the main window with the menu and commands of `commands`,
    // settles the player's name and runs the message loop; the loop's result
    // is the program's exit code.
    int Run(kui::CommandTable commands);
    // The main-window set-up on its own: the frame with its client, shown,
    // and the player's name, asked for on the first run.
    void InitMainWindow(kui::CommandTable commands);

    // False when the stores could not be created or another copy of the
    // program works on this folder; the program then ends.
    bool Ready() const { return ready_; }
    bool AlreadyRunning() const { return alreadyRunning_; }

    const QString& Title() const { return title_; }
    const QString& PlayerName() const { return playerName_; }
    // Takes `name` as the player's name once coach.dat holds it (the
    // command that stored it then raises RecordsChanged(kui::Store::Coach)).
    void NamedInCoachFile(const QString& name) { playerName_ = name; }

    KVR_PlayData& PlayStore() { return stores_.Play(); }
    KVR_PhoneData& PhoneStore() { return stores_.Phones(); }
    TipClass& TipStore() { return stores_.Tips(); }
    SchedClass& SchedStore() { return stores_.Schedule(); }
    KVR_ChartClass& ChartStore() { return stores_.Charts(); }
    kui::DataStores& Stores() { return stores_; }

    // The one change signal. After anything that adds, edits or removes
    // records of a store (for kui::Store::Play also a change of goal period),
    // the command that stored them calls RecordsChanged(store) once, and
    // nothing else. For the play records it first recomputes the statistics
    // and every opponent's figures; then it emits StoreChanged(store).
    void RecordsChanged(kui::Store store);

    // The statistics block of the play records as of today, which every view
    // that shows it reads (the spreadsheet, the graphs): taken once per change
    // of the play records, by RecordsChanged, which fills the play store's
    // block from it too; taken again here only when the day turned or the
    // past records were read again since.
    const PlayStatistics& PlayFigures();
    // How many times the block was taken, for tests and measurements.
    unsigned long PlayFiguresTaken() const { return playFiguresTaken_; }

    TKvrFrame* Frame() const { return frame_.get(); }
    KvrClient* Client() const;

    // How long loading the data took, for the start-up measurements.
    double LoadMilliseconds() const { return stores_.LoadMilliseconds(); }

signals:
    // A second start in this folder called the main window forward.
    void CalledForward();
    // The records of `store` changed (RecordsChanged). Each view repaints on
    // the stores it draws (TKvrChild::RepaintOn); whatever keeps something
    // computed from a store refreshes it here:
    //   connect(&app, &TKvrWinApp::StoreChanged, this, [this](kui::Store store) {
    //       if (store == kui::Store::Play) ...
    //   });
    void StoreChanged(kui::Store store);

private:
    void SettlePlayerName();
    // Once the window is on screen: the statistics and opponent figures, the
    // program icon, the socket through which a second start calls this
    // window forward, the day's backup and the offer to merge conflict
    // copies.
    void AfterFirstPaint();
    void MakeDailyBackup();
    void ListenForSecondStarts();
    void TakePlayFigures();

    // Declared first, so it is given up last.
    std::unique_ptr<kvr::InstanceLock> instanceLock_;
    std::unique_ptr<kvr::InstanceListener> listener_;
    std::unique_ptr<QSocketNotifier> listenerNotifier_;
    QString title_;
    QString playerName_;
    bool ready_ = false;
    bool readOnly_ = false;
    bool alreadyRunning_ = false;
    kui::DataStores stores_;
    std::unique_ptr<TKvrFrame> frame_;
    // The block PlayFigures gives, of the day playFiguresDay_ and of the
    // past records' read playFiguresReads_.
    PlayStatistics playFigures_;
    bool hasPlayFigures_ = false;
    int playFiguresDay_ = 0;
    unsigned long playFiguresReads_ = 0;
    unsigned long playFiguresTaken_ = 0;
};
