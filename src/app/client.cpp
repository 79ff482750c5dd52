#include "app/client.h"

#include "app/about_dialog.h"
#include "app/application.h"
#include "app/child.h"
#include "app/commands.h"
#include "app/court.h"
#include "app/help.h"
#include "app/sound.h"
#include "core/play_store.h"
#include "phonebook/phone_store.h"
#include "play/statistics.h"
#include "ui/message.h"

#include <algorithm>

#include <QMdiSubWindow>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

KvrClient::KvrClient(TKvrWinApp& app, QWidget* parent)
    : QMdiArea(parent), app_(app), sound_(std::make_unique<FileClickSound>()),
      help_(std::make_unique<HelpWindowViewer>(parent)) {
    setObjectName(QStringLiteral("client"));
    // The court covers the whole area: no background fill first.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

KvrClient::~KvrClient() = default;

void KvrClient::SetClickSound(std::unique_ptr<ClickSound> sound) {
    sound_ = std::move(sound);
}

void KvrClient::SetHelpViewer(std::unique_ptr<HelpViewer> help) {
    help_ = std::move(help);
}

bool KvrClient::CommandClicks(int commandId) {
    switch (commandId) {
    case kvr::CmPhonebook:
    case kvr::CmScheduler:
    case kvr::CmBrowseNotes:
    case kvr::CmRecordNotes:
    case kvr::CmBrowseChartingData:
    case kvr::CmSpreadsheet:
    case kvr::CmTimePlayedSummary:
    case kvr::CmTimePlayedByMonth:
    case kvr::CmTotalGameRatings:
    case kvr::CmStrokeRatings:
    case kvr::CmGoalReached:
    case kvr::CmChartingGameSummary:
    case kvr::CmChartingStrokeSummary:
    case kvr::CmTipsLookup:
    case kvr::CmTipsAdd:
        return true;
    default:
        return false;
    }
}

bool KvrClient::HasCommand(int commandId) const {
    switch (commandId) {
    case kvr::CmSetNewGoals:
    case kvr::CmCascade:
    case kvr::CmTile:
    case kvr::CmArrangeIcons:
    case kvr::CmOnlineManual:
    case kvr::CmAbout:
    case kvr::CmQuit:
        return true;
    default:
        return false;
    }
}

void KvrClient::Command(int commandId) {
    if (!HasCommand(commandId))
        return;
    if (CommandClicks(commandId) && sound_)
        sound_->Play();
    switch (commandId) {
    case kvr::CmSetNewGoals:
        SetNewGoals();
        break;
    case kvr::CmCascade:
        cascadeSubWindows();
        break;
    case kvr::CmTile:
        tileSubWindows();
        break;
    case kvr::CmArrangeIcons:
        ArrangeIcons();
        break;
    case kvr::CmOnlineManual:
        ShowManual();
        break;
    case kvr::CmAbout:
        ShowAbout();
        break;
    case kvr::CmQuit:
        // The same as the window's own close: the main window closes and
        // the program ends.
        if (window())
            window()->close();
        break;
    default:
        break;
    }
}

TKvrChild* KvrClient::FindView(int childId) const {
    for (QMdiSubWindow* window : subWindowList()) {
        auto* view = qobject_cast<TKvrChild*>(window->widget());
        if (view && view->ChildId() == childId)
            return view;
    }
    return nullptr;
}

TKvrChild* KvrClient::OpenView(int childId, const std::function<TKvrChild*()>& make) {
    TKvrChild* view = FindView(childId);
    if (!view) {
        try {
            view = make ? make() : nullptr;
        } catch (const std::bad_alloc&) {
            view = nullptr;
        }
        if (!view)
            return nullptr;
        QMdiSubWindow* window = addSubWindow(view);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setWindowIcon(windowIcon());
        // A new view takes three quarters of the client area, as the
        // windowing system's default size for a document window.
        window->resize(std::max(200, viewport()->width() * 3 / 4),
                       std::max(150, viewport()->height() * 3 / 4));
    }
    QMdiSubWindow* window = view->SubWindow();
    window->showNormal();
    setActiveSubWindow(window);
    view->setFocus();
    return view;
}

void KvrClient::CloseView(int childId) {
    if (TKvrChild* view = FindView(childId)) {
        QMdiSubWindow* window = view->SubWindow();
        window->close();
        // The window is gone at once, so a new view of the same identifier
        // can take its place straight away.
        removeSubWindow(window);
        delete window;
    }
}

void KvrClient::RefreshAll() {
    for (QMdiSubWindow* window : subWindowList())
        if (window->widget())
            window->widget()->update();
}

void KvrClient::ArrangeIcons() {
    // Minimised views sit side by side along the bottom edge, in rows that
    // grow upwards when the client area is too narrow for one row.
    const QRect area = viewport()->rect();
    int x = 0;
    int y = area.bottom() + 1;
    int rowHeight = 0;
    for (QMdiSubWindow* window : subWindowList(QMdiArea::CreationOrder)) {
        if (!window->isMinimized())
            continue;
        QSize size = window->size();
        if (rowHeight == 0) {
            rowHeight = size.height();
            y -= rowHeight;
        }
        if (x > 0 && x + size.width() > area.width()) {
            x = 0;
            y -= rowHeight;
        }
        window->move(x, y);
        x += size.width();
    }
}

const QImage& KvrClient::NotebookPage() {
    if (notebookPage_.isNull())
        notebookPage_ = kvr::DrawNotebookPage();
    return notebookPage_;
}

QPrinter& KvrClient::Printer() {
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        if (QPrinterInfo::availablePrinters().isEmpty()) {
            printer_->setOutputFormat(QPrinter::PdfFormat);
            printer_->setOutputFileName(QStringLiteral("kavora_printout.pdf"));
        }
    }
    return *printer_;
}

void KvrClient::SetNewGoals() {
    if (!kui::AskYesNo(
            this,
            QStringLiteral(
                "Your playing records are divided into past history notes and current goal "
                "period notes.  The current goal period notes are used when analyzing your game "
                "and stroke ratings.  Would you like to save your current notes to your history "
                "notes and restart your current goal period?  This is useful when you haven't "
                "played in a while and want to start analyzing your game from a new start."),
            QStringLiteral("Setup New Goals")))
        return;
    KVR_PlayData& play = app_.PlayStore();
    const unsigned before = play.Count();
    const int result = play.StartNewGoalPeriod();
    computeStatistics(play);
    app_.PhoneStore().ComputeAllStats(play);
    RefreshAll();
    if (result == 1)
        return;
    if (before > 0 && play.Count() == 0)
        kui::Tell(this,
                  QStringLiteral("The new goal period was started, but the data folder could "
                                 "not be confirmed on disk.\nPlease check the disk that holds "
                                 "your Kavora files."),
                  QStringLiteral("Setup New Goals"), kui::Icon::Warning);
    else if (result == 0)
        kui::Tell(this,
                  QStringLiteral("Unable to start a new goal period: 'history.dat' was written "
                                 "by a newer version of the program.\nYour notes were left as "
                                 "they were."),
                  QStringLiteral("Setup New Goals"), kui::Icon::Warning);
    else
        kui::Tell(this,
                  QStringLiteral("Unable to start a new goal period: 'play.dat' or "
                                 "'history.dat' could not be read or written.\nYour notes were "
                                 "left as they were."),
                  QStringLiteral("Setup New Goals"), kui::Icon::Warning);
}

void KvrClient::ShowManual() {
    if (help_)
        help_->ShowContents();
}

void KvrClient::ShowAbout() {
    TAboutDlg about(this);
    kui::RunModal(about);
}

void KvrClient::paintEvent(QPaintEvent* event) {
    Q_UNUSED(event);
    QPainter painter(viewport());
    // The name stands out in bold, as the system font always drew it.
    QFont nameFont = font();
    nameFont.setBold(true);
    painter.setFont(nameFont);
    kvr::DrawCourt(painter, viewport()->size(), app_.PlayerName());
    painter.end();
    if (!painted_) {
        painted_ = true;
        emit FirstPainted();
    }
}
