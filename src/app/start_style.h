// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProxyStyle>

namespace kui {

// The application's style: the platform's own, except that the menu bar's
// extension arrow is read when it is first drawn. Qt reads that icon when the
// menu bar is made, and the first icon read loads the image and icon plug-ins
// (and on a desktop, the icon theme): work the first paint need not wait for,
// since the arrow shows only on a menu bar too narrow for its menus.
class StartStyle : public QProxyStyle {
public:
    // Wraps a new instance of the style named `key` (the one in use).
    explicit StartStyle(const QString& key);

    QIcon standardIcon(StandardPixmap which, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};

} // namespace kui
