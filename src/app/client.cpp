// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/client.h"

#include "app/app_commands.h"
#include "app/application.h"
#include "app/child.h"
#include "app/help.h"
#include "app/sound.h"
#include "printing/printout.h"
#include "ui/court.h"
#include "ui/notebook_page.h"

#include <algorithm>

#include <QDir>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPrinter>

KvrClient::KvrClient(TKvrWinApp& app, QWidget* parent)
    : QMdiArea(parent), app_(app), sound_(std::make_unique<FileClickSound>()),
      help_(std::make_unique<HelpWindowViewer>(parent)) {
    setObjectName(QStringLiteral("client"));
    kui::AddAllCommands(commands_);
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

void KvrClient::Command(int commandId) {
    const kui::CommandRow* row = commands_.Find(commandId);
    if (!row || !row->Enabled())
        return;
    if (row->clicks && sound_)
        sound_->Play();
    row->handler(*this);
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
        notebookPage_ = kui::NotebookPageImage();
    return notebookPage_;
}

QPrinter& KvrClient::Printer() {
    if (!printer_) {
        printer_ = kui::MakePrinter();
        if (printer_->outputFormat() == QPrinter::PdfFormat)
            printer_->setOutputFileName(
                QDir::current().absoluteFilePath(QString::fromLatin1(kui::kReportsPdf)));
    }
    return *printer_;
}

void KvrClient::ShowManual() {
    if (help_)
        help_->ShowContents();
}

void KvrClient::paintEvent(QPaintEvent* event) {
    Q_UNUSED(event);
    kui::CourtData court;
    court.playerName = app_.PlayerName();
    // The name stands out in bold, as the system font always drew it.
    court.nameFont = font();
    court.nameFont.setBold(true);
    QPainter painter(viewport());
    kui::DrawCourt(painter, viewport()->size(), court);
    painter.end();
    if (!painted_) {
        painted_ = true;
        emit FirstPainted();
    }
}
