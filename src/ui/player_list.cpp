// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/player_list.h"

#include "phonebook/phone_store.h"
#include "ui/text.h"

#include <algorithm>

#include <QCompleter>
#include <QLineEdit>
#include <QStringList>

TPlayerList::TPlayerList(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    // A typed name is what the dialog reads; it never joins the list.
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(12);
    completer()->setCaseSensitivity(Qt::CaseInsensitive);
    completer()->setCompletionMode(QCompleter::InlineCompletion);
}

int TPlayerList::FillPlayers(const KVR_PhoneData& phones, const QString& text) {
    QStringList names;
    names.reserve(count() + static_cast<int>(phones.Count()));
    for (int i = 0; i < count(); ++i)
        names.push_back(itemText(i));
    for (unsigned i = 0; i < phones.Count(); ++i) {
        QString name = kui::FromStored(phones.At(static_cast<int>(i))->name);
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
    return static_cast<int>(phones.Count());
}
