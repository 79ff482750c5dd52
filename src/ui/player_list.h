// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include <QComboBox>
#include <QString>
#include <QStringList>

class QCompleter;
class QStringListModel;

// The drop-down list of player names every dialog that asks for a person
// uses: an edit field in which any name may be typed, over a sorted list of
// the names it is given (the phone book's). As a name is typed, the names that hold it (as the
// searches read names: anywhere, whatever the case and accents) are offered
// in a suggestion list under the field; the field keeps what was typed
// until the player chooses one of them (Down then Enter, or a click), or an
// entry of the drop-down list.
class TPlayerList : public QComboBox {
    Q_OBJECT
public:
    explicit TPlayerList(QWidget* parent = nullptr);

    // Shows `text` in the field, all of it selected, and adds every name of
    // `names` (as stored) that the list does not hold yet (compared
    // exactly); an empty name is left out.
    void FillPlayers(const std::vector<std::string>& names, const QString& text);

    // The names offered for `typed`, in the list's order.
    QStringList Suggestions(const QString& typed) const;
    // The suggestion list (its popup is shown while it offers names).
    QCompleter* Suggester() const { return suggester_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Suggest(const QString& typed);

    QStringListModel* suggestions_;
    QCompleter* suggester_;
};
