// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "schedule/sched_store.h"
#include "ui/stored_fields.h"

#include <QDialog>

class KVR_PhoneData;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class TPlayerList;

// The event dialog: adds an event on a date, or changes or deletes one of
// the store. OK checks the fields, saves the store only when something
// changed, and stays open (with what was typed) when a check or the save
// fails.
class TSchedAddDlg : public QDialog {
    Q_OBJECT
public:
    // Text limits of the fields.
    static constexpr int kDateLength = 10;
    static constexpr int kWhoLength = 24;
    static constexpr int kTimeLength = 9;
    static constexpr int kWhereLength = 28;
    static constexpr int kNotesLength = 74;

    // A new event on `date`.
    TSchedAddDlg(QWidget* parent, SchedClass& store, const KVR_PhoneData& phones,
                 const ZBD_Date& date);
    // One of the store's events.
    TSchedAddDlg(QWidget* parent, SchedClass& store, const KVR_PhoneData& phones,
                 SchedRecord* event);

    void accept() override;
    // Asks, removes the event and saves the store.
    void DeleteEvent();

private:
    void Build(const KVR_PhoneData& phones);
    // Tells a missing field and puts the focus there.
    void Missing(const QString& text, QWidget* field);
    bool Changed(const SchedRecord& typed) const;

    SchedClass& store_;
    SchedRecord* event_ = nullptr; // none for a new event
    SchedRecord record_;           // the texts as the dialog opened
    bool deleted_ = false;
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

private:
    TPlayerList* who_ = nullptr;
    QLineEdit* fromDate_ = nullptr;
    QRadioButton* forward_ = nullptr;
};
