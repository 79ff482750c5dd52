#include "app/main_window.h"

#include "app/application.h"
#include "app/client.h"
#include "app/commands.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

TKvrFrame::TKvrFrame(TKvrWinApp& app) : client_(nullptr) {
    setObjectName(QStringLiteral("mainFrame"));
    setWindowTitle(app.Title());
    setWindowIcon(QApplication::windowIcon());
    client_ = new KvrClient(app, this);
    client_->setWindowIcon(windowIcon());
    setCentralWidget(client_);
    BuildMenu();
    UpdateCommands();
    move(10, 5);
    resize(600, 550);
}

TKvrFrame::~TKvrFrame() = default;

QAction* TKvrFrame::Action(int commandId) const {
    auto found = actions_.find(commandId);
    return found == actions_.end() ? nullptr : found->second;
}

void TKvrFrame::UpdateCommands() {
    for (auto& [id, action] : actions_)
        action->setEnabled(client_->HasCommand(id));
}

QAction* TKvrFrame::AddCommand(QMenu* menu, const QString& text, int commandId) {
    QAction* action = menu->addAction(text);
    action->setData(commandId);
    action->setObjectName(QStringLiteral("command%1").arg(commandId));
    connect(action, &QAction::triggered, client_,
            [this, commandId] { client_->Command(commandId); });
    actions_[commandId] = action;
    return action;
}

void TKvrFrame::BuildMenu() {
    using namespace kvr;
    QMenuBar* bar = menuBar();

    QMenu* utilities = bar->addMenu(QStringLiteral("&Utilities"));
    AddCommand(utilities, QStringLiteral("&Phonebook"), CmPhonebook);
    AddCommand(utilities, QStringLiteral("&Scheduler"), CmScheduler);
    AddCommand(utilities, QStringLiteral("&USTA Rating System"), CmUstaRatings);

    QMenu* dataMenu = bar->addMenu(QStringLiteral("&Data"));
    AddCommand(dataMenu, QStringLiteral("&Browse Notes"), CmBrowseNotes);
    AddCommand(dataMenu, QStringLiteral("&Record Notes"), CmRecordNotes);
    AddCommand(dataMenu, QStringLiteral("Browse &Charting Data"), CmBrowseChartingData);
    AddCommand(dataMenu, QStringLiteral("&Set New Goals"), CmSetNewGoals);

    QMenu* analyze = bar->addMenu(QStringLiteral("&Analyze"));
    AddCommand(analyze, QStringLiteral("&Spreadsheet"), CmSpreadsheet);
    QMenu* graphs = analyze->addMenu(QStringLiteral("Graphs"));
    AddCommand(graphs, QStringLiteral("Time Played Summary"), CmTimePlayedSummary);
    AddCommand(graphs, QStringLiteral("Time Played By Month"), CmTimePlayedByMonth);
    AddCommand(graphs, QStringLiteral("Total Game Ratings"), CmTotalGameRatings);
    AddCommand(graphs, QStringLiteral("Stroke Ratings"), CmStrokeRatings);
    AddCommand(graphs, QStringLiteral("Goal Reached"), CmGoalReached);
    AddCommand(graphs, QStringLiteral("Charting Game Summary"), CmChartingGameSummary);
    AddCommand(graphs, QStringLiteral("Charting Stroke Summary"), CmChartingStrokeSummary);

    QMenu* tips = bar->addMenu(QStringLiteral("&Tips/Drills"));
    AddCommand(tips, QStringLiteral("&Lookup"), CmTipsLookup);
    AddCommand(tips, QStringLiteral("&Add"), CmTipsAdd);

    QMenu* printouts = bar->addMenu(QStringLiteral("&Printouts"));
    AddCommand(printouts, QStringLiteral("&Match Notes"), CmMatchNotes);
    AddCommand(printouts, QStringLiteral("&Practice Notes"), CmPracticeNotes);
    AddCommand(printouts, QStringLiteral("&Lesson Notes"), CmLessonNotes);
    AddCommand(printouts, QStringLiteral("&Court Form"), CmCourtForm);

    QMenu* window = bar->addMenu(QStringLiteral("&Window"));
    AddCommand(window, QStringLiteral("&Cascade"), CmCascade);
    AddCommand(window, QStringLiteral("&Tile"), CmTile);
    AddCommand(window, QStringLiteral("Arrange &Icons"), CmArrangeIcons);

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    AddCommand(help, QStringLiteral("&Online Manual"), CmOnlineManual)
        ->setShortcut(QKeySequence(Qt::Key_F1));
    AddCommand(help, QStringLiteral("&About .."), CmAbout);

    QMenu* quit = bar->addMenu(QStringLiteral("&Quit"));
    AddCommand(quit, QStringLiteral("&Quit"), CmQuit);
}
