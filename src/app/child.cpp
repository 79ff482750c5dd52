// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/child.h"

#include "app/application.h"
#include "app/client.h"
#include "app/view_accessible.h"
#include "ui/export_file.h"
#include "ui/message.h"

#include <algorithm>
#include <vector>

#include <QAbstractButton>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPainter>
#include <QSpinBox>

TKvrChild::TKvrChild(KvrClient& client, int childId, const QString& title)
    : client_(client), childId_(childId) {
    setWindowTitle(title);
    // A screen reader names the view by its title.
    setAccessibleName(title);
    // What the view shows is read from its Describe.
    kui::InstallViewAccessibility();
    connect(this, &QWidget::windowTitleChanged, this, &QWidget::setAccessibleName);
    setAttribute(Qt::WA_DeleteOnClose);
    // A click or Tab gives the view the focus, so the Menu key opens its
    // menu and its buttons follow it in the Tab order.
    setFocusPolicy(Qt::StrongFocus);
}

TKvrWinApp& TKvrChild::App() const {
    return client_.App();
}

QMdiSubWindow* TKvrChild::SubWindow() const {
    return qobject_cast<QMdiSubWindow*>(parentWidget());
}

void TKvrChild::RepaintOn(std::initializer_list<kui::Store> stores) {
    const std::vector<kui::Store> drawn(stores);
    connect(&App(), &TKvrWinApp::StoreChanged, this, [this, drawn](kui::Store store) {
        if (std::find(drawn.begin(), drawn.end(), store) != drawn.end()) {
            StoresChanged();
            update();
        }
    });
}

void TKvrChild::TakeButtonMnemonics() {
    for (QAbstractButton* button : findChildren<QAbstractButton*>())
        button->setShortcut(QKeySequence());
}

QAbstractButton* TKvrChild::MnemonicButton(const QKeyEvent& key) const {
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    if (!(modifiers & Qt::AltModifier) || (modifiers & (Qt::ControlModifier | Qt::MetaModifier)))
        return nullptr;
    for (QAbstractButton* button : findChildren<QAbstractButton*>()) {
        const QKeySequence mnemonic = QKeySequence::mnemonic(button->text());
        if (!mnemonic.isEmpty() && mnemonic[0].key() == key.key() && button->isVisibleTo(this) &&
            button->isEnabled())
            return button;
    }
    return nullptr;
}

void TKvrChild::paintEvent(QPaintEvent* event) {
    Q_UNUSED(event);
    QPainter painter(this);
    Render(painter, size());
    // What was just drawn is told to a screen reader when it changed: a new
    // page, month or rating.
    kui::AnnounceViewChange(*this);
}

kui::ViewText TKvrChild::Describe() {
    return {};
}

namespace {

// Asks for the size of a saved picture.
class TImageSizeDlg : public QDialog {
public:
    TImageSizeDlg(QWidget* parent, QSize size) : QDialog(parent) {
        setWindowTitle(QStringLiteral("Image Size"));
        auto* form = new QFormLayout(this);
        width_ = SizeBox(QStringLiteral("width"), size.width());
        height_ = SizeBox(QStringLiteral("height"), size.height());
        form->addRow(QStringLiteral("&Width:"), width_);
        form->addRow(QStringLiteral("&Height:"), height_);
        form->addRow(kui::OkCancelButtons(*this));
    }
    QSize Size() const { return {width_->value(), height_->value()}; }

private:
    QSpinBox* SizeBox(const QString& name, int value) {
        auto* box = new QSpinBox(this);
        box->setObjectName(name);
        box->setRange(16, 10000);
        box->setSuffix(QStringLiteral(" px"));
        box->setValue(value);
        return box;
    }
    QSpinBox* width_;
    QSpinBox* height_;
};

} // namespace

void TKvrChild::contextMenuEvent(QContextMenuEvent* event) {
    // From the keyboard the menu opens at what has the focus, not at the
    // mouse pointer, which may be anywhere.
    PopUpContextMenu(event->reason() == QContextMenuEvent::Keyboard ? KeyboardMenuPoint()
                                                                    : event->pos());
}

void TKvrChild::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if ((event->key() == Qt::Key_Menu && modifiers == Qt::NoModifier) ||
        (event->key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier)) {
        PopUpContextMenu(KeyboardMenuPoint());
        return;
    }
    QWidget::keyPressEvent(event);
}

QPoint TKvrChild::KeyboardMenuPoint() const {
    return rect().center();
}

QMenu* TKvrChild::PopUpContextMenu(QPoint at) {
    // A menu already open (the window system sends its own event for the
    // Menu key as well) is not opened twice.
    if (auto* open = findChild<QMenu*>(QStringLiteral("contextMenu"), Qt::FindDirectChildrenOnly);
        open && open->isVisible())
        return open;
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("contextMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    FillContextMenu(*menu);
    menu->popup(mapToGlobal(at));
    return menu;
}

void TKvrChild::FillContextMenu(QMenu& menu) {
    menu.addAction(QStringLiteral("&Save Image..."), this, &TKvrChild::SaveImageAs);
    menu.addAction(QStringLiteral("&Copy"), this, &TKvrChild::CopyImage);
    AddContextActions(menu);
}

void TKvrChild::AddContextActions(QMenu& menu) {
    Q_UNUSED(menu);
}

kui::Picture TKvrChild::Picture() {
    return [this](QPainter& painter, QSize area) { Render(painter, area); };
}

void TKvrChild::SaveImageAs() {
    const QString fileName = kui::AskFileToExport(
        this, QStringLiteral("Save Image"), QStringLiteral("Images (*.png *.svg *.pdf)"),
        windowTitle() + QStringLiteral(".png"), QStringLiteral("png"));
    if (fileName.isEmpty())
        return;
    TImageSizeDlg sizes(this, size());
    if (kui::RunModal(sizes) != QDialog::Accepted)
        return;
    const QString error = kui::SaveImage(Picture(), sizes.Size(), fileName);
    if (!error.isEmpty())
        kui::Tell(this, QStringLiteral("Unable to save the image to '%1': %2").arg(fileName, error),
                  {}, kui::Icon::Warning);
}

void TKvrChild::CopyImage() {
    QGuiApplication::clipboard()->setImage(kui::PictureImage(Picture(), size()));
}
