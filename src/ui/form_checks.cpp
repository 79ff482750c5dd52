// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/form_checks.h"

#include "ui/characters_left.h"
#include "ui/message.h"
#include "ui/text.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace kui {

std::optional<ZBD_Date> CheckedDate(QWidget& form, QWidget& field, const std::string& typed) {
    const ZBD_Date date(typed);
    if (!typed.empty() && date.IsValid())
        return date;
    Tell(&form,
         QStringLiteral("Please enter the date as M/D/YYYY, for example %1")
             .arg(FromStored(ZBD_Date().Text())),
         form.windowTitle());
    field.setFocus();
    return std::nullopt;
}

NotesEdit::NotesEdit(int limit, QWidget* parent) : QPlainTextEdit(parent) {
    setTabChangesFocus(true);
    KeepWithin(*this, limit);
}

void NotesEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->ignore(); // the form takes it: its default button
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

namespace {

// Reaches a key press only when no shortcut took it: the window's labels,
// buttons and menu titles are shortcuts, so an Alt letter that arrives here
// belongs to none of them.
class AltLetterFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        if (!(modifiers & Qt::AltModifier) ||
            (modifiers & (Qt::ControlModifier | Qt::MetaModifier)))
            return false;
        const QString text = key->text();
        if (text.isEmpty() || !text.front().isLetterOrNumber())
            return false;
        QWidget* window = static_cast<QWidget*>(watched)->window();
        if (watched == window)
            return false;
        // The window still sees the key: the main window presses the active
        // view's button for it.
        QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text(), key->isAutoRepeat(),
                       static_cast<quint16>(key->count()));
        QCoreApplication::sendEvent(window, &copy);
        return true;
    }
};

} // namespace

void KeepUnusedAltLettersOutOfFields(QApplication& app) {
    app.installEventFilter(new AltLetterFilter(&app));
}

} // namespace kui
