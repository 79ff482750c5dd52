// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "phonebook/phone_store.h"
#include "ui/form_dialog.h"
#include "ui/stored_fields.h"

#include <string>
#include <vector>

#include <QDialog>
#include <QString>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;

// The thirteen playing levels 1.0, 1.5 ... 7.0 as the book writes them.
QStringList UstaLevels();

// The rating system: the levels in a list and the description of the one
// selected. Given a level text, it opens on that level (1.0 when the text
// names none) and leaves the level selected last in it.
class TUSTA_Ratings : public QDialog {
    Q_OBJECT
public:
    explicit TUSTA_Ratings(QWidget* parent, QString* level = nullptr);

private:
    void Selected(int row);

    QString* level_;
    QListWidget* list_;
    QPlainTextEdit* description_;
};

// Enters a new phone-book entry or changes one: name, phone number, playing
// level, style, side, backhand and notes. OK is refused until the name, the
// phone number and the notes are filled, but a stored entry may keep one
// empty that was empty when the form opened; the command that runs it then
// stores Entry().
class TPhoneAddDlg : public kui::FormDialog {
    Q_OBJECT
public:
    static constexpr int kNameLength = 24;
    static constexpr int kPhoneLength = 21;
    static constexpr int kNotesLength = 119;

    // Filled from `entry` (empty for a new one); `names` are the names the
    // phone book holds, for the question before a second entry of one name.
    TPhoneAddDlg(QWidget* parent, const PhoneRecord& entry, std::vector<std::string> names);

    // The entry as typed: texts made storable, a typed name capitalised,
    // each list's choice as its stored code (empty when nothing is chosen);
    // a field left as it opened keeps the entry's text whole. The statistics
    // of the entry given.
    PhoneRecord Entry() const;
    // Whether Entry() differs from the entry given in a stored field.
    bool Changed() const;

    void accept() override;

private:
    void ShowRatings();
    // Whether the typed name is new to the book, is the entry's own, or the
    // player chose to add a second entry of it.
    bool SecondEntryConfirmed();

    PhoneRecord entry_;
    std::vector<std::string> names_;
    std::string confirmedName_; // a name held already that the player keeps
    kui::StoredFields stored_;  // what the fields showed of entry_
    QLineEdit* name_;
    QLineEdit* phone_;
    QComboBox* rating_;
    QComboBox* style_;
    QComboBox* side_;
    QComboBox* backhand_;
    QPlainTextEdit* notes_;
};
