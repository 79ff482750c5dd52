// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QWidget>

class QTextBrowser;

// Opens the program's manual at its contents.
class HelpViewer {
public:
    virtual ~HelpViewer() = default;
    virtual void ShowContents() = 0;
};

// The manual's window: the HTML manual built into the program, in a text
// browser with links between its sections.
class THelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit THelpWindow(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(THelpWindow)
    void ShowContents();
    QTextBrowser* Browser() const { return browser_; }

private:
    QTextBrowser* browser_;
};

// Shows the manual in one THelpWindow, made on first use and kept with the
// main window.
class HelpWindowViewer : public HelpViewer {
public:
    explicit HelpWindowViewer(QWidget* owner) : owner_(owner) {}
    void ShowContents() override;
    THelpWindow* Window() const { return window_; }

private:
    QWidget* owner_;
    QPointer<THelpWindow> window_;
};
