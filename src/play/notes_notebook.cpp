// SPDX-License-Identifier: GPL-3.0-or-later
#include "play/notes_notebook.h"

#include "app/application.h"
#include "app/client.h"
#include "app/data_stores.h"
#include "core/history.h"
#include "core/name_match.h"
#include "phonebook/phone_store.h"
#include "play/add_play_dialog.h"
#include "play/find_dialog.h"
#include "play/notes_csv.h"
#include "play/play_commands.h"
#include "ui/button_row.h"
#include "ui/drawing.h"
#include "ui/export_file.h"
#include "ui/message.h"
#include "ui/notebook_page.h"
#include "ui/text.h"

#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPushButton>

namespace {

// Whether the record names the person: who, second opponent or partner
// holds the text, as the past notes' search reads them.
bool NamesPerson(const PlayRecord& record, const std::string& text) {
    return kvr::NameContains(record.who, text) || kvr::NameContains(record.secondOpponent, text) ||
           kvr::NameContains(record.partner, text);
}

} // namespace

TKvrBrowseWin::TKvrBrowseWin(KvrClient& client)
    : TKvrChild(client, kui::BrowseNotesView, QStringLiteral("Browse Notes")) {
    RepaintOn({kui::Store::Play});
    pageIndex_ = static_cast<int>(App().PlayStore().Count()) - 1;

    auto button = [this](const char* name, const QString& text, void (TKvrBrowseWin::*command)()) {
        auto* pushButton = new QPushButton(text, this);
        pushButton->setObjectName(QString::fromLatin1(name));
        pushButton->setFocusPolicy(Qt::TabFocus);
        connect(pushButton, &QPushButton::clicked, this, command);
        return pushButton;
    };
    delete_ = button("delete", QStringLiteral("De&lete"), &TKvrBrowseWin::DeletePage);
    edit_ = button("edit", QStringLiteral("&Edit"), &TKvrBrowseWin::EditPage);
    newer_ = button("newer", QStringLiteral("&<<"), &TKvrBrowseWin::Newer);
    older_ = button("older", QStringLiteral("&>>"), &TKvrBrowseWin::Older);
    older_->setDefault(true);
    find_ = button("find", QStringLiteral("&Find"), &TKvrBrowseWin::FindPerson);
    setFocusPolicy(Qt::StrongFocus);

    ShowButtons();
}

TKvrBrowseWin::~TKvrBrowseWin() = default;

int TKvrBrowseWin::PageIndex() {
    const int count = static_cast<int>(App().PlayStore().Count());
    // Past the newest record (the newest was deleted, or records went into
    // the history): the newest that is left, the neighbour of the one gone.
    if (pageIndex_ >= count)
        pageIndex_ = count - 1;
    // A notebook opened on an empty period shows the newest record once
    // there is one.
    if (pageIndex_ < 0)
        pageIndex_ = count - 1;
    return pageIndex_;
}

PlayRecord* TKvrBrowseWin::CurrentRecord() {
    return browsingPast_ ? nullptr : App().PlayStore().At(PageIndex());
}

kui::NotesPageData TKvrBrowseWin::Snapshot(QSize size) {
    kui::NotesPageData page;
    page.page = Client().NotebookPage(size, devicePixelRatioF());
    page.buttonTop = ButtonRow(size).first;
    if (browsingPast_) {
        page.record = shownPast_;
        page.pageNumber = pastPosition_;
    } else if (const PlayRecord* record = CurrentRecord()) {
        page.record = *record;
        page.pageNumber = PageIndex() + 1;
    } else {
        page.emptyText = kui::NotesEmptyText(App().PlayStore().Stats().hasHistory);
    }
    return page;
}

kui::ViewText TKvrBrowseWin::Describe() {
    const kui::NotesPageData page = Snapshot(size());
    kui::ViewText text;
    if (browsingPast_)
        text.name = QStringLiteral("Past notes, page %1").arg(page.pageNumber);
    else if (page.record)
        text.name = kui::PageOf(page.pageNumber, static_cast<int>(App().PlayStore().Count()));
    else
        text.name = QStringLiteral("No notes");
    text.lines = kui::NotesPageLines(page);
    return text;
}

void TKvrBrowseWin::Render(QPainter& painter, QSize size) {
    kui::NotesPageData page = Snapshot(size);
    // The picture at the resolution of what is drawn on (a saved picture
    // may be denser than the screen).
    page.page = Client().NotebookPage(size, kui::DrawingScale(painter));
    kui::DrawNotesPage(painter, size, page);
    // The records may have changed under the page (a note recorded from the
    // menu): the buttons follow once the paint is done.
    if (painter.device() == this && WantedButtons() != shown_)
        QMetaObject::invokeMethod(this, &TKvrBrowseWin::ShowButtons, Qt::QueuedConnection);
}

TKvrBrowseWin::Buttons TKvrBrowseWin::WantedButtons() const {
    const KVR_PlayData& play = App().PlayStore();
    Buttons buttons;
    buttons.editDelete = !browsingPast_ && play.Count() > 0;
    buttons.find = browsingPast_ || play.Count() > 0 || play.Stats().hasHistory;
    return buttons;
}

void TKvrBrowseWin::ShowButtons() {
    shown_ = WantedButtons();
    edit_->setVisible(shown_.editDelete);
    delete_->setVisible(shown_.editDelete);
    find_->setEnabled(shown_.find);
}

std::pair<int, int> TKvrBrowseWin::ButtonRow(QSize size) const {
    const int height = kui::ButtonRowHeight(*older_, kui::Frac(size.height(), 0.05));
    return {kui::NotesButtonTop(size, height), height};
}

int kui::NotesButtonTop(QSize size, int buttonHeight) {
    // 0.05 of the height at 0.95, or as high as a caption at the smallest
    // legible font needs, on the bottom edge.
    return std::min(kui::Frac(size.height(), 0.95), size.height() - buttonHeight);
}

void TKvrBrowseWin::resizeEvent(QResizeEvent* event) {
    TKvrChild::resizeEvent(event);
    const int w = width();
    const auto [top, height] = ButtonRow(size());
    auto at = [&, top = top, height = height](QPushButton* button, int x) {
        return kui::ButtonPlace{button, QRect(x, top, kui::Frac(w, 0.13), height)};
    };
    // The captions scale with the buttons, as the page's texts do; the page
    // number's box between "&<<" and "&>>" stays clear.
    const std::vector<kui::ButtonPlace> before{at(delete_, kui::Frac(w, 0.08)),
                                               at(edit_, kui::Frac(w, 0.21)),
                                               at(newer_, kui::Frac(w, 0.35))};
    const std::vector<kui::ButtonPlace> after{at(older_, kui::Frac(w, 0.58) + 1),
                                              at(find_, kui::Frac(w, 0.8))};
    std::vector<kui::ButtonPlace> row = before;
    row.insert(row.end(), after.begin(), after.end());
    const int caption = kui::RowCaptionCell(row, height * 3 / 4);
    kui::PlaceButtonRow(before, 0, kui::Frac(w, 0.48), caption);
    kui::PlaceButtonRow(after, kui::Frac(w, 0.58), w, caption);
}

void TKvrBrowseWin::keyPressEvent(QKeyEvent* event) {
    // Enter presses "&>>", the page's default button.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        older_->click();
        return;
    }
    TKvrChild::keyPressEvent(event);
}

void TKvrBrowseWin::Changed() {
    ShowButtons();
    update();
    setFocus();
}

KVR_History& TKvrBrowseWin::Reader() {
    // Made on first use, so that opening or drawing the notebook reads no file.
    if (!history_)
        history_ = std::make_unique<KVR_History>();
    return *history_;
}

bool TKvrBrowseWin::ReadPast(int n) {
    KVR_History& history = Reader();
    // Paging on from the record shown reads the next line; anything else
    // positions the reader first.
    if (readerNext_ != n || readerRewrites_ != KVR_History::Rewrites()) {
        readerNext_ = 0;
        if (history.SeekTo(n) != 1)
            return false;
        readerRewrites_ = KVR_History::Rewrites();
    }
    if (history.ReadNext() != 1) {
        readerNext_ = 0;
        return false;
    }
    ShowFoundPast(n);
    return true;
}

void TKvrBrowseWin::ShowFoundPast(int n) {
    browsingPast_ = true;
    pastPosition_ = n;
    shownPast_ = Reader().Current();
    readerNext_ = n + 1;
    readerRewrites_ = KVR_History::Rewrites();
}

void TKvrBrowseWin::Older() {
    KVR_PlayData& play = App().PlayStore();
    if (!browsingPast_) {
        const int index = PageIndex();
        if (index <= 0 && play.Stats().hasHistory &&
            kui::AskYesNo(this,
                          QStringLiteral("This is the last Note from the Current Goal Period.  "
                                         "Would you like to Browse your Past Notes?"),
                          QStringLiteral("Last Current Record"))) {
            pastPosition_ = 0;
            browsingPast_ = true;
        }
        pageIndex_ = index - 1;
        if (pageIndex_ < 0)
            pageIndex_ = static_cast<int>(play.Count()) - 1;
    }
    if (browsingPast_ && !ReadPast(pastPosition_ + 1)) {
        browsingPast_ = false;
        pastPosition_ = 0;
        shownPast_.reset();
        const KVR_History& history = Reader();
        if (history.LoadResult() < 0)
            kui::Tell(this,
                      kui::DataStores::FailedLoadText(QString::fromLatin1(KVR_History::kFileName),
                                                      history.LoadResult(), history.Error()),
                      QStringLiteral("Current Notes"), kui::Icon::Warning);
        else
            kui::Tell(this, QStringLiteral("Done with Past Notes, returning to Current Notes"),
                      QStringLiteral("Current Notes"));
    }
    Changed();
}

void TKvrBrowseWin::Newer() {
    if (browsingPast_) {
        if (!kui::AskYesNo(this,
                           QStringLiteral("Currently Browsing Past Notes.  Would you like to "
                                          "return to Current Notes?"),
                           QStringLiteral("Current Notes?")))
            return Changed();
        browsingPast_ = false;
        pastPosition_ = 0;
        shownPast_.reset();
    } else if (const int count = static_cast<int>(App().PlayStore().Count()); count > 0) {
        pageIndex_ = PageIndex() + 1;
        if (pageIndex_ >= count)
            pageIndex_ = 0;
    }
    Changed();
}

void TKvrBrowseWin::EditPage() {
    PlayRecord* record = CurrentRecord();
    if (!record)
        return;
    TAddPlayRecordDlg dialog(&Client(), App().PhoneStore().Names(), record);
    bool stored = false;
    dialog.Run([&](kui::FormDialog::Request) {
        // OK on a record left as it was stores nothing.
        if (!dialog.Changed())
            return true;
        stored = kui::Commit(&dialog, App().PlayStore(), kvr::Updated(*record, dialog.Record()));
        return stored;
    });
    if (stored)
        App().RecordsChanged(kui::Store::Play);
    Changed();
}

void TKvrBrowseWin::DeletePage() {
    const PlayRecord* shown = CurrentRecord();
    if (!shown)
        return;
    // The page named after the question: its date and the people on it.
    QStringList opponents{kui::FromStored(shown->who)};
    if (shown->IsDoubles())
        opponents << kui::FromStored(shown->secondOpponent);
    opponents.removeAll(QString());
    const QString question =
        kui::AboutWhat(QStringLiteral("Are you sure you want to Delete this Page?"),
                       {kui::FromStored(shown->date), opponents.join(QStringLiteral(" & "))});
    if (!kui::AskYesNo(this, question, QStringLiteral("Delete Notes?"), kui::Default::No))
        return;
    // The page index stays: the next newer record takes the page, or the
    // newest left when the newest was deleted. A delete that cannot be saved
    // keeps the page.
    if (kui::Commit(this, App().PlayStore(), kvr::Removed(*shown)))
        App().RecordsChanged(kui::Store::Play);
    Changed();
}

void TKvrBrowseWin::FindPerson() {
    KVR_PlayData& play = App().PlayStore();
    const bool hasHistory = play.Stats().hasHistory;
    if (play.Count() == 0 && !hasHistory) {
        kui::Tell(this, QStringLiteral("NoteBook is Empty!"), QStringLiteral("No Notes"));
        return;
    }
    TFindDlg dialog(this, App().PhoneStore());
    if (kui::RunModal(dialog) != QDialog::Accepted)
        return;
    std::string text = kui::ToStored(dialog.Text());
    if (text.empty())
        return Changed();
    KVR_PlayData::CapitalizeWords(text);
    const QString name = kui::FromStored(text);

    if (!browsingPast_) {
        // The current notes from the page before this one back to the
        // oldest.
        for (int i = PageIndex() - 1; i >= 0; --i) {
            if (NamesPerson(*play.At(i), text)) {
                pageIndex_ = i;
                return Changed();
            }
        }
        kui::Tell(this, QStringLiteral("Didn't find %1 in Current Notes").arg(name),
                  QStringLiteral("Find"));
        // The past notes from the newest.
        if (hasHistory &&
            kui::AskYesNo(this, QStringLiteral("Search Past Notes?"), QStringLiteral("Find"))) {
            const int found = Reader().Find(1, text);
            readerNext_ = 0;
            if (found > 0)
                ShowFoundPast(found);
            else
                kui::Tell(this, QStringLiteral("Didn't find %1 in Past Notes").arg(name),
                          QStringLiteral("Find"));
        }
    } else {
        const int found = Reader().Find(pastPosition_ + 1, text);
        readerNext_ = 0;
        if (found > 0)
            ShowFoundPast(found);
        else
            kui::Tell(this, QStringLiteral("Sorry didn't find %1 in History Notes").arg(name),
                      QStringLiteral("Search"));
    }
    Changed();
}

void TKvrBrowseWin::AddContextActions(QMenu& menu) {
    menu.addAction(QStringLiteral("&Export CSV..."), this, &TKvrBrowseWin::ExportCsv);
}

void TKvrBrowseWin::ExportCsv() {
    const QString path =
        kui::AskFileToExport(this, QStringLiteral("Export CSV"), kvr::FileFormat::Notes);
    if (path.isEmpty())
        return;
    if (!kui::ExportNotesCsv(path, App().PlayStore()))
        kui::Tell(this, QStringLiteral("Unable to export your notes to '%1'.").arg(path),
                  QStringLiteral("Export CSV"), kui::Icon::Warning);
}
