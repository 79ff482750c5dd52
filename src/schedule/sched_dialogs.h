// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "schedule/sched_store.h"
#include "ui/form_dialog.h"
#include "ui/stored_fields.h"

#include <string>
#include <vector>

#include <QDialog>

class KVR_PhoneData;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class TPlayerList;

// The event dialog: a new event on a date, or one of the store's events to
// change or delete. OK checks the fields (each must be filled, but a stored
// event may keep a field empty that was empty when it opened); the command
// that runs it then
// stores Event() (a change only when Changed()), and Delete, once the
// player confirmed it, asks that command to remove the event.
class TSchedAddDlg : public kui::FormDialog {
    Q_OBJECT
public:
    // Text limits of the fields.
    static constexpr int kDateLength = 10;
    static constexpr int kWhoLength = 24;
    static constexpr int kTimeLength = 9;
    static constexpr int kWhereLength = 28;
    static constexpr int kNotesLength = 74;

    // A new event on `date`; Who offers `players`.
    TSchedAddDlg(QWidget* parent, const std::vector<std::string>& players, const ZBD_Date& date);
    // A stored event, which may be deleted when it names someone.
    TSchedAddDlg(QWidget* parent, const std::vector<std::string>& players,
                 const SchedRecord& event);

    // The event as typed at the last OK that passed the checks: a field left
    // as it opened keeps the stored text whole, a typed Who is capitalised.
    const SchedRecord& Event() const { return typed_; }
    // Whether that event differs from the one the dialog opened with.
    bool Changed() const { return changed_; }

    void accept() override;
    // Asks, then hands the delete to the command.
    void DeleteEvent();

private:
    void Build(const std::vector<std::string>& players, bool stored);
    // Tells a missing field and puts the focus there.
    void Missing(const QString& text, QWidget* field);

    SchedRecord record_;   // the event as the dialog opened
    bool editing_ = false; // record_ is a stored event
    SchedRecord typed_;
    bool changed_ = false;
    kui::StoredFields stored_; // what the fields showed of record_

    QLineEdit* date_ = nullptr;
    QLineEdit* time_ = nullptr;
    TPlayerList* who_ = nullptr;
    QLineEdit* where_ = nullptr;
    QPlainTextEdit* notes_ = nullptr;
    QPushButton* delete_ = nullptr;
};

// Asks whom to look for in the schedule, from which date and in which
// direction.
class TSchedFindDlg : public QDialog {
    Q_OBJECT
public:
    TSchedFindDlg(QWidget* parent, const KVR_PhoneData& phones, const QString& fromDate);

    QString Who() const;
    QString FromDate() const;
    bool Forward() const;

    // Refuses a From Date that is no date.
    void accept() override;

private:
    TPlayerList* who_ = nullptr;
    QLineEdit* fromDate_ = nullptr;
    QRadioButton* forward_ = nullptr;
};
