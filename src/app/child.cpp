#include "app/child.h"

#include "app/client.h"

#include <QMdiSubWindow>
#include <QPainter>

TKvrChild::TKvrChild(KvrClient& client, int childId, const QString& title)
    : client_(client), childId_(childId) {
    setWindowTitle(title);
    setAttribute(Qt::WA_DeleteOnClose);
}

TKvrWinApp& TKvrChild::App() const {
    return client_.App();
}

QMdiSubWindow* TKvrChild::SubWindow() const {
    return qobject_cast<QMdiSubWindow*>(parentWidget());
}

void TKvrChild::paintEvent(QPaintEvent* event) {
    Q_UNUSED(event);
    QPainter painter(this);
    Render(painter, size());
}
