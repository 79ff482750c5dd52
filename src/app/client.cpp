// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/client.h"

#include "app/application.h"
#include "app/child.h"
#include "app/help.h"
#include "app/sound.h"
#include "ui/court.h"
#include "ui/notebook_page.h"

#include <algorithm>

#include <QMdiSubWindow>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionTitleBar>

KvrClient::KvrClient(TKvrWinApp& app, kui::CommandTable commands, QWidget* parent)
    : QMdiArea(parent), app_(app), commands_(std::move(commands)),
      sound_(std::make_unique<FileClickSound>()),
      help_(std::make_unique<HelpWindowViewer>(parent)) {
    setObjectName(QStringLiteral("client"));
    // The court covers the whole area: no background fill first.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The name plate on the court follows a new name.
    connect(&app_, &TKvrWinApp::StoreChanged, this, [this](kui::Store store) {
        if (store == kui::Store::Coach)
            viewport()->update();
    });
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
        view->TakeButtonMnemonics();
        QMdiSubWindow* window = addSubWindow(view);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setWindowIcon(windowIcon());
        PlaceNewWindow(window);
    }
    QMdiSubWindow* window = view->SubWindow();
    window->showNormal();
    setActiveSubWindow(window);
    view->setFocus();
    return view;
}

int KvrClient::CascadeStep() const {
    QStyleOptionTitleBar option;
    option.initFrom(this);
    return style()->pixelMetric(QStyle::PM_TitleBarHeight, &option, this) +
           style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, this);
}

void KvrClient::PlaceNewWindow(QMdiSubWindow* window) {
    const QRect area = viewport()->rect();
    // Three quarters of the area, the windowing system's default size for
    // a document window, and never more than the area.
    const QSize size = QSize(area.width() * 3 / 4, area.height() * 3 / 4)
                           .expandedTo(QSize(200, 150))
                           .boundedTo(area.size());
    // One step below and right of the view opened before it, if that is
    // still open and in its normal state.
    QPoint place(0, 0);
    const QList<QMdiSubWindow*> windows = subWindowList(QMdiArea::CreationOrder);
    for (auto before = windows.crbegin(); before != windows.crend(); ++before) {
        QMdiSubWindow* last = *before;
        if (last == window || !last->isVisible())
            continue;
        if (!last->isMinimized() && !last->isMaximized()) {
            const int step = CascadeStep();
            place = last->pos() + QPoint(step, step);
        }
        break;
    }
    if (!area.contains(QRect(place, size)))
        place = QPoint(0, 0);
    window->setGeometry(QRect(place, size));
}

void KvrClient::KeepViewsInside() {
    const QRect area = viewport()->rect();
    if (area.isEmpty())
        return;
    for (QMdiSubWindow* window : subWindowList()) {
        if (!window->isVisible() || window->isMaximized() || area.contains(window->geometry()))
            continue;
        // A frame cannot shrink below its own minimum: one that is still
        // too big for the area keeps its top left corner in sight.
        window->resize(window->size().boundedTo(area.size()));
        const QSize size = window->size();
        window->move(std::clamp(window->x(), 0, std::max(0, area.width() - size.width())),
                     std::clamp(window->y(), 0, std::max(0, area.height() - size.height())));
    }
}

void KvrClient::resizeEvent(QResizeEvent* event) {
    QMdiArea::resizeEvent(event);
    KeepViewsInside();
}

void KvrClient::Cascade() {
    // Back to front, so that the active view ends in front.
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* window : subWindowList(QMdiArea::StackingOrder))
        if (window->isVisible() && !window->isMinimized())
            windows << window;
    if (windows.isEmpty())
        return;
    const QSize area = viewport()->size();
    const int gaps = static_cast<int>(windows.size()) - 1;
    // A title bar's step, smaller when so many views are open that the
    // last would be left with less than half the area.
    const int step = CascadeStep();
    const int dx = gaps > 0 ? std::min(step, area.width() / 2 / gaps) : 0;
    const int dy = gaps > 0 ? std::min(step, area.height() / 2 / gaps) : 0;
    const QSize size(area.width() - gaps * dx, area.height() - gaps * dy);
    int i = 0;
    for (QMdiSubWindow* window : windows) {
        if (window->isMaximized())
            window->showNormal();
        window->setGeometry(QRect(QPoint(i * dx, i * dy), size));
        window->raise();
        ++i;
    }
}

TKvrChild* KvrClient::ActiveView() const {
    QMdiSubWindow* window = activeSubWindow();
    return window ? qobject_cast<TKvrChild*>(window->widget()) : nullptr;
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

QImage KvrClient::NotebookPage(QSize size, qreal scale) {
    for (const SizedPage& page : std::as_const(sizedPages_))
        if (page.size == size && qFuzzyCompare(page.scale, scale))
            return page.image;
    // The notebooks and the tips view each keep their size: one page each.
    constexpr qsizetype kKept = 4;
    sizedPages_.prepend({size, scale, kui::NotebookPageImage(size, scale)});
    if (sizedPages_.size() > kKept)
        sizedPages_.removeLast();
    return sizedPages_.constFirst().image;
}

void KvrClient::ShowManual() {
    if (help_)
        help_->ShowContents();
}

void KvrClient::paintEvent(QPaintEvent* event) {
    Q_UNUSED(event);
    kui::CourtData court;
    court.playerName = app_.PlayerName();
    // The name in the area's own font, which the court enlarges with its
    // plate.
    court.nameFont = font();
    QPainter painter(viewport());
    kui::DrawCourt(painter, viewport()->size(), court);
    painter.end();
    if (!painted_) {
        painted_ = true;
        emit FirstPainted();
    }
}
