// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/child.h"
#include "phonebook/phone_store.h"

#include <optional>
#include <utility>

#include <QSize>
#include <QStringList>

class QPushButton;

namespace kui {

// What the phone book's page shows: the entry on it with its figures, or
// nothing when the book is empty.
struct PhonePageData {
    std::optional<PhoneRecord> entry;
    // The top of the view's two button rows; the page is laid out above it
    // as if it stood at 0.87 of the height. -1: at 0.87 of the height.
    int buttonTop = -1;
};

// The phone book: a book with the entry's page on it (profile, playing
// figures against the player, notes) and a phone at its right.
void DrawPhonePage(QPainter& painter, QSize size, const PhonePageData& data);

// The page in words, in reading order: the name and the phone number, the
// profile, the playing figures and the notes, each value with its label.
QStringList PhonePageLines(const PhonePageData& data);

// Where the book's two button rows, each `buttonHeight` high, start in a
// view of `size`.
int PhoneButtonTop(QSize size, int buttonHeight);

// The words the page uses for the stored one-letter codes.
QString StyleText(const std::string& code);
QString SideText(const std::string& code);

} // namespace kui

// The phone book view: one entry a page, in name order. The player pages
// through the book (wrapping at both ends), finds a name, and adds, edits
// or deletes entries. "Import Contacts..." in its context menu reads
// vCards into the book, "Export Contacts..." writes the book as vCards.
class TKvrPhoneWin : public TKvrChild {
    Q_OBJECT
public:
    explicit TKvrPhoneWin(KvrClient& client);

    // The page shown, from 0.
    int PageIndex() const { return index_; }
    void NextPage();
    void PreviousPage();
    void Find();
    void AddEntry();
    void EditEntry();
    void DeleteEntry();
    // Asks for a vCard file and imports its contacts after a preview.
    void ImportContacts();
    // Asks for a file and writes every entry to it as a vCard.
    void ExportContacts();

    kui::PhonePageData Snapshot() const;
    void Render(QPainter& painter, QSize size) override;
    kui::ViewText Describe() override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void AddContextActions(QMenu& menu) override;

private:
    // False, after telling so, when the book is empty.
    bool HasEntries();
    void Changed();
    // The top of the two button rows and their height at `size`.
    std::pair<int, int> ButtonRows(QSize size) const;

    int index_ = 0;
    QPushButton* previous_;
    QPushButton* find_;
    QPushButton* next_;
    QPushButton* add_;
    QPushButton* edit_;
    QPushButton* delete_;
};
