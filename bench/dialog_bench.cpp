// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/application.h"
#include "app/client.h"
#include "bench_support.h"
#include "core/play_store.h"
#include "phonebook/phone_dialogs.h"
#include "phonebook/phone_store.h"
#include "phonebook/phone_view.h"
#include "play/add_play_dialog.h"
#include "play/record_notes.h"
#include "schedule/sched_dialogs.h"
#include "schedule/sched_store.h"
#include "schedule/sched_view.h"
#include "tips/tip_dialogs.h"
#include "tips/tip_store.h"
#include "tips/tips_commands.h"
#include "tips/tips_lookup.h"
#include "ui/message.h"

#include <cstdio>
#include <fstream>
#include <functional>

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <benchmark/benchmark.h>

namespace {

using kvrbench::DataFile;

TKvrWinApp* g_app = nullptr;
KvrClient* g_client = nullptr;

// A new view's size in the client area of a main window filling a
// 1920 x 1080 screen: three quarters of it each way.
const QSize kViewSize(1440, 810);

// Answers for the player: every dialog run is closed at once with OK (the
// ratings keep their starting values), every question is answered No (no
// charting).
class QuietResponder : public kui::Responder {
public:
    void Told(const kui::Message&) override { ++told; }
    bool Answer(const kui::Message&) override { return false; }
    int Run(QDialog& dialog) override {
        if (auto* form = qobject_cast<TAddPlayRecordDlg*>(&dialog); form && fillAndOk) {
            fillAndOk(*form);
            return form->result();
        }
        dialog.accept();
        return dialog.result();
    }
    int told = 0;
    // Plays the player in the add-play form, when set.
    std::function<void(TAddPlayRecordDlg&)> fillAndOk;
};

// Opening the add-play dialog: its controls, and the three player lists
// filled from a phone book of 200 people.
void BM_OpenAddPlayDialog(benchmark::State& state) {
    for (auto _ : state) {
        TAddPlayRecordDlg dialog(nullptr, g_app->PhoneStore().Names());
        dialog.show();
        benchmark::DoNotOptimize(dialog.isVisible());
    }
    state.counters["people"] = static_cast<double>(g_app->PhoneStore().Count());
}
BENCHMARK(BM_OpenAddPlayDialog)->Unit(benchmark::kMillisecond);

// OK on a filled-in singles match, to the end of its save: the checks,
// the four rating levels (answered at once), the insertion, play.dat
// written, the charting question and the statistics over 10,000 past
// records with every opponent's figures.
void BM_SaveNewRecord(benchmark::State& state) {
    KVR_PlayData& play = g_app->PlayStore();
    QuietResponder responder;
    kui::SetResponder(&responder);
    int result = QDialog::Rejected;
    // Timed from the click on OK to the end of its save.
    responder.fillAndOk = [&](TAddPlayRecordDlg& dialog) {
        dialog.findChild<QComboBox*>("who")->setEditText(QStringLiteral("Some Opponent"));
        dialog.findChild<QLineEdit*>("time")->setText(QStringLiteral("1.5"));
        dialog.findChild<QLineEdit*>("score")->setText(QStringLiteral("6-4 6-4"));
        dialog.findChild<QPlainTextEdit*>("matchNotes")->setPlainText(QStringLiteral("notes"));
        dialog.findChild<QPlainTextEdit*>("practiceNotes")->setPlainText(QStringLiteral("more"));
        QPushButton* ok = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        state.ResumeTiming();
        ok->click();
        state.PauseTiming();
        result = dialog.result();
    };
    for (auto _ : state) {
        state.PauseTiming();
        result = QDialog::Rejected;
        kui::RecordNotes(*g_client);
        if (result != QDialog::Accepted || responder.told != 0) {
            state.SkipWithError("the record was not saved");
            break;
        }
        // Back to the period as it was, so no run reaches thirty records.
        for (unsigned i = 0; i < play.Count(); ++i)
            if (play.At(static_cast<int>(i))->who == "Some Opponent") {
                play.RemoveAt(static_cast<int>(i));
                break;
            }
        state.ResumeTiming();
    }
    kui::SetResponder(nullptr);
    state.counters["current"] = static_cast<double>(play.Count());
}
BENCHMARK(BM_SaveNewRecord)->Unit(benchmark::kMillisecond);

// Opening the phone book's entry dialog on the first of 200 people, and
// the rating-system dialog with its thirteen levels and first description.
void BM_OpenPhoneEntryDialog(benchmark::State& state) {
    const PhoneRecord& entry = *g_app->PhoneStore().At(0);
    for (auto _ : state) {
        TPhoneAddDlg dialog(nullptr, entry, g_app->PhoneStore().Names());
        dialog.show();
        benchmark::DoNotOptimize(dialog.isVisible());
    }
}
BENCHMARK(BM_OpenPhoneEntryDialog)->Unit(benchmark::kMillisecond);

void BM_OpenRatingSystemDialog(benchmark::State& state) {
    for (auto _ : state) {
        TUSTA_Ratings dialog(nullptr);
        dialog.show();
        benchmark::DoNotOptimize(dialog.isVisible());
    }
}
BENCHMARK(BM_OpenRatingSystemDialog)->Unit(benchmark::kMillisecond);

// The scheduler's event dialog on the first of 1,000 events and its search
// dialog, each with a Who list of 200 people.
void BM_OpenSchedEventDialog(benchmark::State& state) {
    const SchedRecord* event = g_app->SchedStore().At(0);
    for (auto _ : state) {
        TSchedAddDlg dialog(nullptr, g_app->PhoneStore().Names(), *event);
        dialog.show();
        benchmark::DoNotOptimize(dialog.isVisible());
    }
    state.counters["events"] = static_cast<double>(g_app->SchedStore().Count());
}
BENCHMARK(BM_OpenSchedEventDialog)->Unit(benchmark::kMillisecond);

void BM_OpenSchedFindDialog(benchmark::State& state) {
    for (auto _ : state) {
        TSchedFindDlg dialog(nullptr, g_app->PhoneStore(), QStringLiteral("1/1/1999"));
        dialog.show();
        benchmark::DoNotOptimize(dialog.isVisible());
    }
}
BENCHMARK(BM_OpenSchedFindDialog)->Unit(benchmark::kMillisecond);

// Opening a view: made, shown and painted for the first time (the view
// with its buttons), as the client shows it. The paint reads the stores.
void OpenView(TKvrChild& view) {
    view.resize(kViewSize);
    view.show();
    benchmark::DoNotOptimize(view.grab());
}

// The phone book on the first of 200 people.
void BM_OpenPhoneView(benchmark::State& state) {
    for (auto _ : state) {
        TKvrPhoneWin view(*g_client);
        OpenView(view);
    }
    state.counters["people"] = static_cast<double>(g_app->PhoneStore().Count());
}
BENCHMARK(BM_OpenPhoneView)->Unit(benchmark::kMillisecond);

// The scheduler's month with its marks drawn from 1,000 events.
void BM_OpenSchedView(benchmark::State& state) {
    for (auto _ : state) {
        TKvrSchedWin view(*g_client);
        OpenView(view);
    }
    state.counters["events"] = static_cast<double>(g_app->SchedStore().Count());
}
BENCHMARK(BM_OpenSchedView)->Unit(benchmark::kMillisecond);

// The tips lookup over 500 forehand tips at the first level: the minimum
// rating drawn, the walk to the first tip that reaches it, its page.
void BM_OpenTipsLookup(benchmark::State& state) {
    for (auto _ : state) {
        KvrTipsLookup view(*g_client, kui::TipsView, QStringLiteral("Forehand"), 1);
        view.Start();
        OpenView(view);
    }
    state.counters["tips"] = static_cast<double>(g_app->TipStore().Count());
}
BENCHMARK(BM_OpenTipsLookup)->Unit(benchmark::kMillisecond);

// The three tips dialogs: the stroke and level choice, a new tip, and the
// text of the first of 500 tips.
void BM_OpenTipsSelectDialog(benchmark::State& state) {
    for (auto _ : state) {
        TTipsSelectDlg dialog(nullptr);
        dialog.show();
        benchmark::DoNotOptimize(dialog.isVisible());
    }
}
BENCHMARK(BM_OpenTipsSelectDialog)->Unit(benchmark::kMillisecond);

void BM_OpenTipsAddDialog(benchmark::State& state) {
    for (auto _ : state) {
        TTipsAddDlg dialog(nullptr);
        dialog.show();
        benchmark::DoNotOptimize(dialog.isVisible());
    }
}
BENCHMARK(BM_OpenTipsAddDialog)->Unit(benchmark::kMillisecond);

void BM_OpenTipEditDialog(benchmark::State& state) {
    for (auto _ : state) {
        TTipEditDlg dialog(nullptr, *g_app->TipStore().At(0));
        dialog.show();
        benchmark::DoNotOptimize(dialog.isVisible());
    }
}
BENCHMARK(BM_OpenTipEditDialog)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    kvrbench::WorkingFolder folder;
    if (!folder.Ok() || !kvrbench::RestoreFiles({DataFile::History, DataFile::Phone, DataFile::Play,
                                                 DataFile::Sched, DataFile::Tips})) {
        std::fprintf(stderr, "cannot prepare the data files\n");
        return 1;
    }
    std::ofstream("coach.dat") << "Bench Player\r\n";
    {
        // Twenty records in the current period: a new one closes nothing.
        KVR_PlayData play;
        if (play.Load() != 1)
            return 1;
        while (play.Count() > 20)
            play.RemoveAt(0);
        if (play.Save() != 1)
            return 1;
    }
    TKvrWinApp app(argc, argv);
    if (!app.Ready())
        return 1;
    g_app = &app;
    app.RecordsChanged(kui::Store::Play); // the figures as start-up leaves them
    // The forehand tips, as the lookup's choice leaves the store.
    app.TipStore().Select("Forehand");
    if (app.TipStore().Load() != 1)
        return 1;
    KvrClient client(app, kui::CommandTable());
    g_client = &client;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
