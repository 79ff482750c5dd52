// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QComboBox>
#include <QString>

class KVR_PhoneData;

// The drop-down list of player names every dialog that asks for a person
// uses: an edit field in which any name may be typed, over a sorted list of
// the phone book's names that completes a name as it is typed.
class TPlayerList : public QComboBox {
    Q_OBJECT
public:
    explicit TPlayerList(QWidget* parent = nullptr);

    // Shows `text` in the field, all of it selected, and adds every name of
    // the phone book that the list does not hold yet (compared exactly).
    // Returns the number of phone-book entries.
    int FillPlayers(const KVR_PhoneData& phones, const QString& text);
};
