// SPDX-License-Identifier: GPL-3.0-or-later
#include "tips/tips_commands.h"

#include "app/application.h"
#include "app/client.h"
#include "app/command_table.h"
#include "app/data_stores.h"
#include "tips/tip_dialogs.h"
#include "tips/tip_store.h"
#include "tips/tips_lookup.h"
#include "ui/drawing.h"
#include "ui/message.h"
#include "ui/notebook_page.h"
#include "ui/text.h"

#include <memory>

namespace kui {
namespace {

// The stroke and level the player looked up last in this run: the next
// lookup opens on them.
struct TipsChoice {
    QString stroke;
    int level = 0;
};

// Closes an open tips view, asks for a stroke and level (offering the last
// ones) and opens a view of their tips; nothing opens when the player
// cancels or the file is unreadable.
void LookupTips(KvrClient& client, TipsChoice& last) {
    client.CloseView(TipsView);
    QString stroke = last.stroke;
    int level = last.level;
    if (!ChooseTips(client.window(), client.App().TipStore(), stroke, level))
        return;
    last = {stroke, level};
    auto* view = new KvrTipsLookup(client, TipsView, stroke, level);
    if (client.OpenView(TipsView, [view] { return view; }) == view)
        view->Start();
}

// Adds `tip` to its stroke's file: the store takes that stroke, read again
// from its file, and then the stroke it held before. False (the player told
// why) when the file could not be read or written.
bool StoreNewTip(QWidget* parent, TipClass& tips, const TipRecord& tip) {
    const std::string previous = tips.SelectedStroke();
    tips.Select(tip.stroke);
    const int loaded = tips.Load();
    bool added = false;
    if (loaded < 0)
        Tell(parent,
             kui::DataStores::FailedLoadText(QString::fromStdString(tips.FileName()), loaded,
                                             tips.Error()),
             {}, Icon::Warning);
    else
        added = Commit(parent, tips, kvr::Added(tip));
    tips.Select(previous);
    tips.Load();
    return added;
}

// An open lookup stays: the store is back on its stroke once the tip is
// stored, and the change signal repaints it.
void AddTip(KvrClient& client) {
    TipClass& tips = client.App().TipStore();
    TTipsAddDlg dialog(client.window());
    const int result =
        dialog.Run([&](FormDialog::Request) { return StoreNewTip(&dialog, tips, dialog.Tip()); });
    if (result == QDialog::Accepted)
        client.App().RecordsChanged(Store::Tips);
}

} // namespace

namespace {

// The forehand tips at the first level, as the lookup opens on them. A tip
// file that cannot be loaded draws nothing: the reason is told.
std::optional<Picture> TipsPicture(const ViewSources& sources) {
    TipClass& store = sources.stores.Tips();
    store.Select("Forehand");
    const int loaded = store.Load();
    if (loaded < 0) {
        Tell(nullptr, QStringLiteral("Unable to load tips file!\n\n") +
                          DataStores::FailedLoadText(QString::fromStdString(store.FileName()),
                                                     loaded, store.Error()));
        return std::nullopt;
    }
    TipPageData page;
    page.stroke = QStringLiteral("Forehand");
    if (const TipRecord* tip = store.At(FirstTipShown(store, 1))) {
        page.tip = true;
        page.level = tip->level;
        page.rating = tip->frequencyRating;
        page.text = FromStored(tip->tipText);
    }
    return [page](QPainter& painter, QSize size) mutable {
        page.page = NotebookPageImage(size, DrawingScale(painter));
        page.ratingBox = TipRatingBox(size);
        DrawTipPage(painter, size, page);
    };
}

} // namespace

void AddTipsCommands(CommandTable& table) {
    const QStringList tips{QStringLiteral("&Tips/Drills")};
    auto last = std::make_shared<TipsChoice>();
    table.Add({.id = CmTipsLookup,
               .menu = tips,
               .place = 10,
               .text = QStringLiteral("&Lookup"),
               .clicks = true,
               .handler = [last](KvrClient& client) { LookupTips(client, *last); }});
    table.Add({.id = CmTipsAdd,
               .menu = tips,
               .place = 20,
               .text = QStringLiteral("&Add"),
               .clicks = true,
               .handler = [](KvrClient& client) { AddTip(client); }});
    // Drawn from the command line: the forehand tips at the first level. A
    // tip file that cannot be loaded draws nothing: the reason is told, and
    // the command fails.
    table.AddView(
        {.name = QStringLiteral("tips"),
         .make = [](KvrClient& client) -> TKvrChild* {
             TipClass& store = client.App().TipStore();
             store.Select("Forehand");
             const int loaded = store.Load();
             if (loaded < 0) {
                 Tell(client.window(),
                      QStringLiteral("Unable to load tips file!\n\n") +
                          kui::DataStores::FailedLoadText(QString::fromStdString(store.FileName()),
                                                          loaded, store.Error()));
                 return nullptr;
             }
             auto* view = new KvrTipsLookup(client, TipsView, QStringLiteral("Forehand"), 1);
             view->Start();
             return view;
         },
         .picture = TipsPicture});
}

} // namespace kui
