// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/help.h"

#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {
const QUrl kContents(QStringLiteral("qrc:/help/manual.html"));
}

THelpWindow::THelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("The Kavora Online Manual"));
    setObjectName(QStringLiteral("helpWindow"));
    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("helpBrowser"));
    browser_->setOpenExternalLinks(true);
    // The manual colours its headings for a white page: it keeps its white
    // page under a dark desktop palette too, where they would not read.
    QPalette page = browser_->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        page.setColor(group, QPalette::Base, Qt::white);
        page.setColor(group, QPalette::Text,
                      group == QPalette::Disabled ? QColor(96, 96, 96) : QColor(Qt::black));
        page.setColor(group, QPalette::Link, QColor(0, 0, 238));
        page.setColor(group, QPalette::LinkVisited, QColor(85, 26, 139));
    }
    browser_->setPalette(page);

    auto* contents = new QPushButton(QStringLiteral("&Contents"), this);
    contents->setObjectName(QStringLiteral("contentsButton"));
    auto* back = new QPushButton(QStringLiteral("&Back"), this);
    back->setObjectName(QStringLiteral("backButton"));
    auto* close = new QPushButton(QStringLiteral("C&lose"), this);
    close->setObjectName(QStringLiteral("closeButton"));
    connect(contents, &QPushButton::clicked, this, &THelpWindow::ShowContents);
    connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    back->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(back);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(browser_, 1);
    resize(640, 560);
}

void THelpWindow::ShowContents() {
    if (browser_->source() != kContents)
        browser_->setSource(kContents);
    else
        browser_->scrollToAnchor(QStringLiteral("contents"));
}

void HelpWindowViewer::ShowContents() {
    if (!window_)
        window_ = new THelpWindow(owner_);
    window_->ShowContents();
    window_->show();
    window_->raise();
    window_->activateWindow();
}
