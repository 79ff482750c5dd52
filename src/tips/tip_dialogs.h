// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QString>

class QButtonGroup;
class QComboBox;
class QPlainTextEdit;
class TipClass;

namespace kui {

// The four levels of play, from 1.
QString LevelName(int level); // "Consistency" ... "Power"; empty outside 1 to 4

// The longest tip text kept, in characters.
inline constexpr int kTipTextLength = 219;

} // namespace kui

// "Tips": the stroke and level to look up. OK with either missing is told
// so and the dialog stays open.
class TTipsSelectDlg : public QDialog {
    Q_OBJECT
public:
    explicit TTipsSelectDlg(QWidget* parent);
    Q_DISABLE_COPY_MOVE(TTipsSelectDlg)

    QString Stroke() const; // the caption of the stroke chosen, e.g. "Forehand"
    int Level() const;      // 1 to 4; 0 when none is chosen

    void accept() override;

private:
    QButtonGroup* strokes_;
    QButtonGroup* levels_;
};

// "Add Tips": a new tip, for any stroke, rated 10. OK adds it to its
// stroke's file and saves, then puts the store back on the stroke it held;
// a missing field or a failed load or save is told and the dialog stays
// open with what was typed.
class TTipsAddDlg : public QDialog {
    Q_OBJECT
public:
    TTipsAddDlg(QWidget* parent, TipClass& tips);
    Q_DISABLE_COPY_MOVE(TTipsAddDlg)

    void accept() override;

private:
    // Adds the tip to its stroke's file; false (after telling why) when the
    // file could not be read or written.
    bool AddTip(const std::string& stroke, int level, const std::string& text);

    TipClass& tips_;
    QComboBox* stroke_;
    QComboBox* level_;
    QPlainTextEdit* text_;
};

// "EDIT TIP": the text of the tip at `index`. OK stores the new text (an
// empty one is refused) and saves, or does nothing when the text is as it
// opened; a failed save is told and the dialog
// stays open with the text.
class TTipEditDlg : public QDialog {
    Q_OBJECT
public:
    TTipEditDlg(QWidget* parent, TipClass& tips, int index);
    Q_DISABLE_COPY_MOVE(TTipEditDlg)

    void accept() override;

private:
    TipClass& tips_;
    int index_;
    QPlainTextEdit* text_;
    QString opened_; // the text as the dialog opened
};
