// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/play_store.h"
#include "ui/form_dialog.h"
#include "ui/stored_fields.h"

#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QFormLayout;
class QLineEdit;
class QPlainTextEdit;
class TPlayerList;

// Logs one outing on court, or edits one: a form that fills a copy of a
// play record. OK checks the fields, field by field; the command that runs
// it then stores Record() (kui::RecordNotes for a new one, which also asks
// the ratings; an edit only when Changed()). An edit's ratings are kept
// unless the player sets them again with "Ratings...", which only OK
// stores.
class TAddPlayRecordDlg : public kui::FormDialog {
    Q_OBJECT
public:
    // The most characters kept of each field.
    static constexpr int kDateLength = 10;
    static constexpr int kNameLength = 24;
    static constexpr int kScoreLength = 24;
    static constexpr int kTimeLength = 9;
    static constexpr int kNotesLength = 219;

    // A new record dated today, or a copy of `edited`; the player lists
    // offer `players`.
    TAddPlayRecordDlg(QWidget* parent, const std::vector<std::string>& players,
                      const PlayRecord* edited = nullptr);

    // The record as read from the fields at the last OK that passed the
    // checks.
    const PlayRecord& Record() const { return record_; }
    // For an edit: whether that record differs from the one edited.
    bool Changed() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowFieldsForKind();
    void Ok();
    void ReadFields();
    void Clean();
    bool Validate();
    bool Refuse(const char* caption, const char* text, QWidget* field);
    // Whether `date` is today or earlier, or the player chose to record a
    // later one anyway (asked once for each date).
    bool FutureDateConfirmed(const ZBD_Date& date);
    // An edit's "Ratings...": the four levels again, from the ratings set
    // last in this form or else the outing's own.
    void AskRatings();

    std::optional<PlayRecord> edited_; // the record edited, as it opened
    PlayRecord record_;
    // The ratings set with "Ratings...", none until then.
    std::optional<PlayRecord> rated_;
    kui::StoredFields stored_;  // what the fields showed of the edited record
    std::string confirmedDate_; // a later date the player chose to keep
    QFormLayout* form_ = nullptr;
    QLineEdit* date_ = nullptr;
    QComboBox* singlesDoubles_ = nullptr;
    TPlayerList* who_ = nullptr;
    TPlayerList* secondOpponent_ = nullptr;
    TPlayerList* partner_ = nullptr;
    QComboBox* kind_ = nullptr;
    QComboBox* result_ = nullptr;
    QLineEdit* score_ = nullptr;
    QLineEdit* time_ = nullptr;
    QPlainTextEdit* matchNotes_ = nullptr;
    QPlainTextEdit* practiceNotes_ = nullptr;
    // The rows that hold a field and its characters-left counter, shown
    // and hidden with the kind of play.
    QWidget* secondOpponentRow_ = nullptr;
    QWidget* partnerRow_ = nullptr;
    QWidget* scoreRow_ = nullptr;
    QWidget* matchNotesRow_ = nullptr;
};
