// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/play_store.h"
#include "ui/stored_fields.h"

#include <optional>

#include <QDialog>

class QComboBox;
class QFormLayout;
class QLineEdit;
class QPlainTextEdit;
class TKvrWinApp;
class TPlayerList;

// Logs one outing on court, or edits one. A new record is checked, rated
// level by level, added to the current goal period and saved, a match is
// offered for charting, and the goal period is closed after thirty records.
// An edit is checked and saved; its ratings are kept unless the player sets
// them again with "Ratings...", which only OK stores.
class TAddPlayRecordDlg : public QDialog {
    Q_OBJECT
public:
    // The most characters kept of each field.
    static constexpr int kDateLength = 10;
    static constexpr int kNameLength = 24;
    static constexpr int kScoreLength = 24;
    static constexpr int kTimeLength = 9;
    static constexpr int kNotesLength = 219;

    // `edited`, when given, is the play store's record to edit.
    TAddPlayRecordDlg(QWidget* parent, TKvrWinApp& app, PlayRecord* edited = nullptr);

    // The record as read from the fields at the last OK.
    const PlayRecord& Record() const { return record_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowFieldsForKind();
    void Ok();
    void ReadFields();
    void Clean();
    bool Validate();
    bool Refuse(const char* caption, const char* text, QWidget* field);
    // False when the save failed: the dialog then stays open as it is.
    bool SaveNew();
    bool SaveEdit();
    // An edit's "Ratings...": the four levels again, from the ratings set
    // last in this form or else the outing's own.
    void AskRatings();

    TKvrWinApp& app_;
    PlayRecord* edited_;
    PlayRecord record_;
    // The ratings set with "Ratings...", none until then.
    std::optional<PlayRecord> rated_;
    // A new record's ratings, once asked.
    std::optional<decltype(PlayRecord::ratings)> newRatings_;
    kui::StoredFields stored_; // what the fields showed of the edited record
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

namespace kui {

// The message shown when a goal period of thirty records is complete.
void ShowCongratulations(QWidget* parent);

} // namespace kui
