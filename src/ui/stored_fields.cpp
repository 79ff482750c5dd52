// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/stored_fields.h"

#include <algorithm>

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace kui {

QString FieldText(const QWidget* field) {
    if (const auto* line = qobject_cast<const QLineEdit*>(field))
        return line->text();
    if (const auto* box = qobject_cast<const QPlainTextEdit*>(field))
        return box->toPlainText();
    if (const auto* list = qobject_cast<const QComboBox*>(field))
        return list->currentText();
    return {};
}

void StoredFields::Remember(const QWidget* field, std::string stored) {
    fields_.push_back({field, FieldText(field), std::move(stored)});
}

const StoredFields::Field* StoredFields::Find(const QWidget* field) const {
    auto found = std::find_if(fields_.begin(), fields_.end(),
                              [field](const Field& entry) { return entry.widget == field; });
    return found == fields_.end() ? nullptr : &*found;
}

bool StoredFields::Touched(const QWidget* field) const {
    const Field* entry = Find(field);
    return !entry || FieldText(field) != entry->shown;
}

std::string StoredFields::Value(const QWidget* field, std::string typed) const {
    const Field* entry = Find(field);
    return !entry || FieldText(field) != entry->shown ? std::move(typed) : entry->stored;
}

} // namespace kui
