// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tips/tip_store.h"
#include "ui/form_dialog.h"

#include <QDialog>
#include <QString>

class QButtonGroup;
class QComboBox;
class QPlainTextEdit;

namespace kui {

// The four levels of play, from 1.
QString LevelName(int level); // "Consistency" ... "Power"; empty outside 1 to 4

// The longest tip text kept, in characters.
inline constexpr int kTipTextLength = 219;

} // namespace kui

// "Tips": the stroke and level to look up, opened on `stroke` and `level`
// (the ones chosen last; none when empty or 0). OK with either missing is
// told so and the dialog stays open.
class TTipsSelectDlg : public QDialog {
    Q_OBJECT
public:
    explicit TTipsSelectDlg(QWidget* parent, const QString& stroke = {}, int level = 0);
    Q_DISABLE_COPY_MOVE(TTipsSelectDlg)

    QString Stroke() const; // the caption of the stroke chosen, e.g. "Forehand"
    int Level() const;      // 1 to 4; 0 when none is chosen

    void accept() override;

private:
    QButtonGroup* strokes_;
    QButtonGroup* levels_;
};

// "Add Tips": a new tip, for any stroke, rated 10. OK with a missing field
// is told so; the command that runs it then adds Tip() to its stroke's file,
// and the dialog stays open with what was typed until that is saved.
class TTipsAddDlg : public kui::FormDialog {
    Q_OBJECT
public:
    explicit TTipsAddDlg(QWidget* parent);
    Q_DISABLE_COPY_MOVE(TTipsAddDlg)

    // The tip as typed at the last OK that passed the check.
    const TipRecord& Tip() const { return tip_; }

    void accept() override;

private:
    TipRecord tip_;
    QComboBox* stroke_;
    QComboBox* level_;
    QPlainTextEdit* text_;
};

// "EDIT TIP": the text of a tip. OK refuses an empty text; the command that
// runs it then stores Tip() when Changed(). A text left as it opened is no
// change, so a stored text longer than the field stays whole.
class TTipEditDlg : public kui::FormDialog {
    Q_OBJECT
public:
    TTipEditDlg(QWidget* parent, const TipRecord& tip);
    Q_DISABLE_COPY_MOVE(TTipEditDlg)

    // The tip given with the text as typed at the last OK.
    const TipRecord& Tip() const { return tip_; }
    bool Changed() const { return changed_; }

    void accept() override;

private:
    TipRecord tip_;
    bool changed_ = false;
    QPlainTextEdit* text_;
    QString opened_; // the text as the dialog opened
};
