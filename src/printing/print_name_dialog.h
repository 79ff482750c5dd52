// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QString>

class KVR_PhoneData;
class QRadioButton;
class TPlayerList;

// "Printout - Match Notes": whether the match notes report takes every
// match or only those against one opponent, chosen or typed in a list of the
// phone book's names that shows only while "Specific Opponent" is on. OK
// prints the report, "Preview" shows it first (the dialog's result is then
// kPreview), Cancel prints nothing.
class MPrintNameDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kNameLength = 25;
    static constexpr int kPreview = 2;

    MPrintNameDlg(QWidget* parent, const KVR_PhoneData& phones);

    // The report's opponent filter: the name given while "Specific
    // Opponent" is on, without blanks at its ends; empty for all matches.
    QString OpponentFilter() const;

private:
    QRadioButton* allMatches_ = nullptr;
    QRadioButton* specificOpponent_ = nullptr;
    TPlayerList* opponent_ = nullptr;
};
