// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include <QString>

class QWidget;

namespace kui {

// The text a dialog's field shows: a line edit's, a text box's, or a list's
// current text (empty when nothing is chosen).
QString FieldText(const QWidget* field);

// What the fields of a dialog showed when it opened over a stored record,
// so that a field the player left alone gives the stored text back whole:
// not cut to the field's limit, not trimmed, not re-encoded. A field counts
// as touched when it shows another text than it did then.
class StoredFields {
public:
    // After `field` was filled from `stored`.
    void Remember(const QWidget* field, std::string stored);
    // A field never remembered (a new record's) counts as touched.
    bool Touched(const QWidget* field) const;
    // `typed` for a touched field, else the stored text.
    std::string Value(const QWidget* field, std::string typed) const;

private:
    struct Field {
        const QWidget* widget;
        QString shown;
        std::string stored;
    };
    const Field* Find(const QWidget* field) const;

    std::vector<Field> fields_;
};

} // namespace kui
