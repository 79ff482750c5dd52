// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/child.h"
#include "core/play_store.h"
#include "play/notes_page.h"

#include <memory>
#include <optional>
#include <utility>

class KVR_History;
class QPushButton;

namespace kui {
// Where the notebook's button row of `buttonHeight` starts in a view of
// `size`: the page is drawn above it.
int NotesButtonTop(QSize size, int buttonHeight);
} // namespace kui

// The notes notebook: one play record a page, the current goal period from
// the newest record back, then, on request, the past periods from the
// history. From a page the player edits or deletes the record, turns pages
// and looks for the next page that names a person.
//
// It pages through history.dat with a reader of its own, read only when the
// page changes: the record shown is kept, so a paint reads no file.
class TKvrBrowseWin : public TKvrChild {
    Q_OBJECT
public:
    explicit TKvrBrowseWin(KvrClient& client);
    ~TKvrBrowseWin() override;
    Q_DISABLE_COPY_MOVE(TKvrBrowseWin)

    void Render(QPainter& painter, QSize size) override;
    // What the page shows now, drawn at `size`.
    kui::NotesPageData Snapshot(QSize size);
    kui::ViewText Describe() override;

    // The buttons' commands: the next older page ("&>>", into the past
    // notes after the oldest current one), the next newer page ("&<<", or
    // back to the current notes), the add-play dialog on the page's record,
    // its deletion, and the search for a person.
    void Older();
    void Newer();
    void EditPage();
    void DeletePage();
    void FindPerson();
    // Asks for a file and writes every note to it as CSV.
    void ExportCsv();

    // The index in the play store of the current record the page shows (or
    // returns to from the past notes); -1 when there is none. An index that
    // names no record any more (after a delete) turns to the newest record.
    int PageIndex();
    // While past notes are shown: the past record's number, from 1 at the
    // newest.
    bool BrowsingPast() const { return browsingPast_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // "Export CSV..." after the picture's entries.
    void AddContextActions(QMenu& menu) override;

private:
    // Which buttons the page offers.
    struct Buttons {
        bool editDelete = false;
        bool find = false;
        bool operator==(const Buttons&) const = default;
    };
    Buttons WantedButtons() const;
    void ShowButtons();
    // After every command: the buttons, a repaint and the focus.
    void Changed();
    PlayRecord* CurrentRecord();
    KVR_History& Reader();
    // The top and height of the button row at `size`.
    std::pair<int, int> ButtonRow(QSize size) const;
    // Shows past record n; false when the history holds no such record.
    bool ReadPast(int n);
    // Shows the record the reader found under number n.
    void ShowFoundPast(int n);

    std::unique_ptr<KVR_History> history_;
    int pageIndex_ = -1;
    bool browsingPast_ = false;
    int pastPosition_ = 0;
    std::optional<PlayRecord> shownPast_;
    // The number of the record the reader delivers next (0: not known), and
    // the history's rewrite count it was positioned under.
    int readerNext_ = 0;
    unsigned long readerRewrites_ = 0;
    Buttons shown_;

    QPushButton* delete_ = nullptr;
    QPushButton* edit_ = nullptr;
    QPushButton* newer_ = nullptr;
    QPushButton* older_ = nullptr;
    QPushButton* find_ = nullptr;
};
