// SPDX-License-Identifier: GPL-3.0-or-later
#include "play/play_commands.h"

#include "app/application.h"
#include "app/client.h"
#include "app/command_table.h"
#include "app/data_stores.h"
#include "core/play_store.h"
#include "play/graph_view.h"
#include "play/import_outings.h"
#include "play/notes_notebook.h"
#include "play/record_notes.h"
#include "play/spreadsheet.h"
#include "play/statistics.h"
#include "ui/button_row.h"
#include "ui/drawing.h"
#include "ui/message.h"
#include "ui/notebook_page.h"

namespace kui {

namespace {

// Closes the goal period after the player has confirmed it: the current
// notes move to the history.
void SetNewGoals(KvrClient& client) {
    if (TellPlayChangeWaits(&client))
        return;
    if (!AskYesNo(
            &client,
            QStringLiteral(
                "Your playing records are divided into past history notes and current goal "
                "period notes.  The current goal period notes are used when analyzing your game "
                "and stroke ratings.  Would you like to save your current notes to your history "
                "notes and restart your current goal period?  This is useful when you haven't "
                "played in a while and want to start analyzing your game from a new start."),
            QStringLiteral("Setup New Goals"), Default::No))
        return;
    CloseGoalPeriod(&client, client.App(), QStringLiteral("Setup New Goals"));
}

// Opens the notes notebook, or brings it forward.
void BrowseNotes(KvrClient& client) {
    client.OpenView(BrowseNotesView, [&client] { return new TKvrBrowseWin(client); });
}

void OpenSpreadsheet(KvrClient& client) {
    client.OpenView(SpreadsheetView, [&client] { return new TKvrSpreadSheet(client); });
}

} // namespace

bool CloseGoalPeriod(QWidget* parent, TKvrWinApp& app, const QString& caption) {
    KVR_PlayData& play = app.PlayStore();
    const unsigned before = play.Count();
    const int result = play.StartNewGoalPeriod();
    // The figures are recomputed and the views redrawn whatever the outcome,
    // as the store may have changed on a failure.
    app.RecordsChanged(kui::Store::Play);
    if (result == 1)
        return true;
    // Decided but not finished: the next start finishes it, and until then
    // no outing can be stored.
    if (TellPlayChangeWaits(parent))
        return false;
    if (before > 0 && play.Count() == 0) {
        Tell(parent,
             QStringLiteral("The new goal period was started, but the data folder could not be "
                            "confirmed on disk.\nPlease check the disk that holds your Kavora "
                            "files."),
             caption, Icon::Warning);
        return true;
    }
    if (result == 0)
        Tell(parent,
             QStringLiteral("Unable to start a new goal period: 'history.dat' was written by a "
                            "newer version of the program.\nYour notes were left as they were."),
             caption, Icon::Warning);
    else
        Tell(parent,
             QStringLiteral("Unable to start a new goal period: 'play.dat' or 'history.dat' "
                            "could not be read or written.\nYour notes were left as they were."),
             caption, Icon::Warning);
    return false;
}

namespace {

// The notes notebook as it opens: the newest record of the goal period,
// the page laid out above the button row.
std::optional<Picture> NotesPicture(const ViewSources& sources) {
    const KVR_PlayData& play = sources.stores.Play();
    return [&play](QPainter& painter, QSize size) {
        NotesPageData page;
        page.page = NotebookPageImage(size, DrawingScale(painter));
        page.buttonTop = NotesButtonTop(size, ButtonRowHeight(Frac(size.height(), 0.05)));
        const int newest = static_cast<int>(play.Count()) - 1;
        if (const PlayRecord* record = play.At(newest)) {
            page.record = *record;
            page.pageNumber = newest + 1;
        } else {
            page.emptyText = NotesEmptyText(play.Stats().hasHistory);
        }
        DrawNotesPage(painter, size, page);
    };
}

std::optional<Picture> SpreadsheetPicture(const ViewSources& sources) {
    KVR_PlayData& play = sources.stores.Play();
    const SpreadsheetData sheet =
        SpreadsheetSnapshot(play, statisticsOf(play, play.Past(), ZBD_Date()), sources.playerName);
    return [sheet](QPainter& painter, QSize size) { DrawSpreadsheet(painter, size, sheet); };
}

ViewPicture GraphPicture(GraphKind kind) {
    return [kind](const ViewSources& sources) -> std::optional<Picture> {
        KVR_PlayData& play = sources.stores.Play();
        const GraphData data = TakeGraphData(kind, play, play.Past(), sources.stores.Charts());
        return [data](QPainter& painter, QSize size) { DrawGraph(painter, size, data); };
    };
}

} // namespace

void AddPlayCommands(CommandTable& table) {
    const QStringList data{QStringLiteral("&Data")};
    table.Add({.id = CmBrowseNotes,
               .menu = data,
               .place = 10,
               .text = QStringLiteral("&Browse Notes"),
               .clicks = true,
               .handler = BrowseNotes});
    table.AddView(
        {.name = QStringLiteral("notes"),
         .make = [](KvrClient& client) -> TKvrChild* { return new TKvrBrowseWin(client); },
         .picture = NotesPicture});
    table.Add({.id = CmRecordNotes,
               .menu = data,
               .place = 20,
               .text = QStringLiteral("&Record Notes"),
               .clicks = true,
               .handler = RecordNotes});
    table.Add({.id = CmSetNewGoals,
               .menu = data,
               .place = 40,
               .text = QStringLiteral("&Set New Goals"),
               .handler = SetNewGoals});
    table.Add({.id = CmImportOutings,
               .menu = data,
               .place = 50,
               .text = QStringLiteral("&Import Outings..."),
               .handler = ImportOutings});

    const QStringList analyze{QStringLiteral("&Analyze")};
    table.Add({.id = CmSpreadsheet,
               .menu = analyze,
               .place = 10,
               .text = QStringLiteral("&Spreadsheet"),
               .clicks = true,
               .handler = OpenSpreadsheet});
    table.AddView({.name = QStringLiteral("spreadsheet"),
                   .make = [](KvrClient& client) { return new TKvrSpreadSheet(client); },
                   .picture = SpreadsheetPicture});

    const QStringList graphs{QStringLiteral("&Analyze"), QStringLiteral("&Graphs")};
    table.AddMenu(graphs, 20);
    // Menu texts (each with a letter of its own) and command-line names of
    // the graphs, in the order of their kinds.
    struct Graph {
        const char* text;
        const char* name;
    };
    static const Graph kGraphs[kGraphKindCount] = {
        {"&Time Played Summary", "time-summary"},
        {"Time Played By &Month", "time-by-month"},
        {"Total Game &Ratings", "game-ratings"},
        {"&Stroke Ratings", "stroke-ratings"},
        {"&Goal Reached", "goal"},
        {"&Charting Game Summary", "charting-game"},
        {"Charting Stro&ke Summary", "charting-strokes"}};
    for (int kind = 0; kind < kGraphKindCount; ++kind) {
        const auto graphKind = static_cast<GraphKind>(kind);
        auto make = [graphKind](KvrClient& client) -> TKvrChild* {
            return new TKvrGraphWin(client, graphKind);
        };
        table.Add({.id = CmTimePlayedSummary + kind,
                   .menu = graphs,
                   .place = 10 * (kind + 1),
                   .text = QString::fromLatin1(kGraphs[kind].text),
                   .clicks = true,
                   .handler = [make, kind](KvrClient& client) {
                       client.OpenView(FirstGraphView + kind, [&] { return make(client); });
                   }});
        table.AddView({.name = QString::fromLatin1(kGraphs[kind].name),
                       .make = make,
                       .picture = GraphPicture(graphKind)});
    }
}

} // namespace kui
