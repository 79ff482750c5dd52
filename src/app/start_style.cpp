// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/start_style.h"

#include <QIconEngine>
#include <QPainter>
#include <QPointer>

namespace kui {
namespace {

// An icon that asks the style for the real one the first time it is drawn
// or measured.
class DeferredIconEngine : public QIconEngine {
public:
    DeferredIconEngine(const QStyle* style, QStyle::StandardPixmap which)
        : style_(style), which_(which) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        Real().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Real().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        return Real().pixmap(size, scale, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Real().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return Real().availableSizes(mode, state);
    }
    bool isNull() override { return Real().isNull(); }
    QString key() const override { return QStringLiteral("KavoraDeferredIcon"); }
    QIconEngine* clone() const override { return new DeferredIconEngine(*this); }

private:
    const QIcon& Real() {
        if (!loaded_ && style_) {
            real_ = style_->standardIcon(which_);
            loaded_ = true;
        }
        return real_;
    }

    QPointer<const QStyle> style_;
    QStyle::StandardPixmap which_;
    QIcon real_;
    bool loaded_ = false;
};

} // namespace

StartStyle::StartStyle(const QString& key) : QProxyStyle(key) {}

QIcon StartStyle::standardIcon(StandardPixmap which, const QStyleOption* option,
                               const QWidget* widget) const {
    if (which == SP_ToolBarHorizontalExtensionButton || which == SP_ToolBarVerticalExtensionButton)
        return QIcon(new DeferredIconEngine(baseStyle(), which));
    return QProxyStyle::standardIcon(which, option, widget);
}

} // namespace kui
