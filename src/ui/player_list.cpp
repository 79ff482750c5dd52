// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/player_list.h"

#include "core/name_match.h"
#include "ui/text.h"

#include <algorithm>

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStringListModel>

TPlayerList::TPlayerList(QWidget* parent)
    : QComboBox(parent), suggestions_(new QStringListModel(this)),
      suggester_(new QCompleter(suggestions_, this)) {
    setEditable(true);
    // A typed name is what the dialog reads; it never joins the list.
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(12);
    // No completion inside the field: it would turn "Ann" into "Ann Lee"
    // as it is typed. The names are offered beside it instead.
    setCompleter(nullptr);
    suggester_->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    suggester_->setMaxVisibleItems(8);
    // Bound to the field without being its completer, so that moving
    // through the suggestions leaves the field as typed.
    suggester_->setWidget(lineEdit());
    suggester_->popup()->installEventFilter(this);
    connect(lineEdit(), &QLineEdit::textEdited, this, &TPlayerList::Suggest);
    connect(suggester_, qOverload<const QString&>(&QCompleter::activated), this,
            [this](const QString& name) {
                setEditText(name);
                lineEdit()->end(false);
            });
}

void TPlayerList::FillPlayers(const std::vector<std::string>& players, const QString& text) {
    QStringList names;
    names.reserve(count() + static_cast<int>(players.size()));
    for (int i = 0; i < count(); ++i)
        names.push_back(itemText(i));
    for (const std::string& player : players) {
        QString name = kui::FromStored(player);
        if (!name.isEmpty())
            names.push_back(std::move(name));
    }
    // Sorted as a reader looks a name up: regardless of case, then exactly,
    // so that only names that are the same text are one entry.
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int order = a.compare(b, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a < b;
    });
    names.erase(std::unique(names.begin(), names.end()), names.end());

    const QSignalBlocker quiet(this);
    clear();
    addItems(names);
    setCurrentIndex(findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
    setEditText(text);
    lineEdit()->selectAll();
}

QStringList TPlayerList::Suggestions(const QString& typed) const {
    QStringList names;
    const std::string text = kui::ToStored(typed.trimmed());
    if (text.empty())
        return names;
    for (int i = 0; i < count(); ++i)
        if (kvr::NameContains(kui::ToStored(itemText(i)), text))
            names.push_back(itemText(i));
    return names;
}

void TPlayerList::Suggest(const QString& typed) {
    const QStringList names = Suggestions(typed);
    QAbstractItemView* popup = suggester_->popup();
    if (names.isEmpty()) {
        popup->hide();
        return;
    }
    suggestions_->setStringList(names);
    // Under the whole box, as wide as it; nothing highlighted, so that Enter
    // still presses the dialog's default button.
    suggester_->complete(QRect(lineEdit()->mapFrom(this, QPoint(0, 0)), size()));
    popup->setCurrentIndex(QModelIndex());
}

bool TPlayerList::eventFilter(QObject* watched, QEvent* event) {
    // Enter with no suggestion highlighted is not a choice, and an
    // accelerator (Alt) or a shortcut (Ctrl) is meant for the dialog: the
    // list closes and the key goes on as it would without the list.
    if (watched == suggester_->popup() && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        const bool command = key->modifiers() & (Qt::AltModifier | Qt::ControlModifier);
        if ((enter && !suggester_->popup()->currentIndex().isValid()) || command) {
            suggester_->popup()->hide();
            QKeyEvent again(key->type(), key->key(), key->modifiers(), key->text());
            QApplication::sendEvent(lineEdit(), &again);
            return true;
        }
    }
    return QComboBox::eventFilter(watched, event);
}
