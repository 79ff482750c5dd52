// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/about_dialog.h"

#include "app/app_id.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

namespace {

QPixmap TennisBall(int size) {
    QPixmap ball(size, size);
    ball.fill(Qt::transparent);
    QPainter painter(&ball);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF body(1, 1, size - 2, size - 2);
    QRadialGradient felt(body.center() - QPointF(size / 6.0, size / 6.0), size * 0.7);
    felt.setColorAt(0, QColor(236, 255, 110));
    felt.setColorAt(1, QColor(170, 205, 20));
    painter.setPen(QPen(QColor(110, 130, 10), size / 32.0 + 0.5));
    painter.setBrush(felt);
    painter.drawEllipse(body);
    painter.setClipRegion(QRegion(body.toRect(), QRegion::Ellipse));
    painter.setPen(QPen(Qt::white, size / 14.0 + 0.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QRectF(-size * 0.62, size * 0.08, size * 0.9, size * 0.84));
    painter.drawEllipse(QRectF(size * 0.72, size * 0.08, size * 0.9, size * 0.84));
    return ball;
}

} // namespace

QIcon ProgramIcon() {
    QIcon icon = QApplication::windowIcon();
    if (!icon.isNull())
        return icon;
    QIcon drawn;
    for (int size : {16, 32, 48, 64, 128})
        drawn.addPixmap(TennisBall(size));
    return drawn;
}

TAboutDlg::TAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About The Kavora"));
    setObjectName(QStringLiteral("aboutDialog"));
    const QIcon icon = ProgramIcon();

    auto makeIcon = [&](const char* name) {
        auto* label = new QLabel(this);
        label->setObjectName(QString::fromLatin1(name));
        // At the screen's density, from the SVG: sharp when scaled.
        label->setPixmap(icon.pixmap(QSize(48, 48), devicePixelRatioF()));
        return label;
    };
    auto* title = new QLabel(QStringLiteral("The Kavora"), this);
    title->setObjectName(QStringLiteral("title"));
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    title->setFont(big);
    auto* line1 = new QLabel(QStringLiteral("Using Your Computer To"), this);
    line1->setObjectName(QStringLiteral("motto1"));
    auto* line2 = new QLabel(QStringLiteral("PLAY BETTER TENNIS!"), this);
    line2->setObjectName(QStringLiteral("motto2"));
    QFont bold = line2->font();
    bold.setBold(true);
    line2->setFont(bold);
    auto* licence = new QLabel(
        QStringLiteral("Version %1<br>This program comes with ABSOLUTELY NO WARRANTY.<br>"
                       "It is free software, and you are welcome to redistribute it<br>under the "
                       "terms of the <a href=\"%2\">GNU General Public License</a>, "
                       "version 3 or later.")
            .arg(QString::fromLatin1(kui::kAppVersion), QString::fromLatin1(kLicenceUrl)),
        this);
    licence->setObjectName(QStringLiteral("licence"));
    licence->setTextFormat(Qt::RichText);
    licence->setOpenExternalLinks(true);
    licence->setContentsMargins(0, 12, 0, 4); // set apart from the motto
    for (QLabel* label : {title, line1, line2, licence})
        label->setAlignment(Qt::AlignCenter);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->addWidget(makeIcon("leftIcon"), 0, 0, 3, 1, Qt::AlignCenter);
    layout->addWidget(title, 0, 1);
    layout->addWidget(line1, 1, 1);
    layout->addWidget(line2, 2, 1);
    layout->addWidget(makeIcon("rightIcon"), 0, 2, 3, 1, Qt::AlignCenter);
    layout->addWidget(licence, 3, 0, 1, 3);
    layout->addWidget(ok, 4, 0, 1, 3, Qt::AlignCenter);
    layout->setHorizontalSpacing(24);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
