// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QString>

class KVR_PhoneData;
class TPlayerList;

// Asks which person the notes notebook should look for: any name typed, or
// one picked from the phone book's names.
class TFindDlg : public QDialog {
    Q_OBJECT
public:
    // The most characters of a name looked for.
    static constexpr int kNameLength = 25;

    TFindDlg(QWidget* parent, const KVR_PhoneData& phones);

    // The name as typed or picked.
    QString Text() const;

private:
    TPlayerList* who_ = nullptr;
};
