// SPDX-License-Identifier: GPL-3.0-or-later
#include "phonebook/phone_view.h"

#include "app/application.h"
#include "app/client.h"
#include "formats/vcard.h"
#include "phonebook/phone_dialogs.h"
#include "phonebook/phonebook_commands.h"
#include "phonebook/vcard_import.h"
#include "play/find_dialog.h"
#include "play/statistics.h"
#include "ui/button_row.h"
#include "ui/drawing.h"
#include "ui/export_file.h"
#include "ui/import_preview.h"
#include "ui/message.h"
#include "ui/text.h"

#include <algorithm>

#include <QFontMetrics>
#include <QMenu>
#include <QPainter>
#include <QPolygon>
#include <QPushButton>

namespace kui {
namespace {

const QColor kGrey(127, 127, 127);
const QColor kRed(207, 68, 48);

// The book behind the page and the phone at the right margin.
void DrawDecoration(QPainter& painter, int w, int h) {
    painter.setPen(Qt::black);
    painter.setBrush(kRed);
    painter.drawRect(
        QRect(QPoint(Frac(w, 0.2), Frac(h, 0.15)), QPoint(Frac(w, 0.75), Frac(h, 0.9))));
    painter.setBrush(kGrey);
    const QPolygon spine({QPoint(Frac(w, 0.2), Frac(h, 0.9)), QPoint(Frac(w, 0.2), Frac(h, 0.15)),
                          QPoint(Frac(w, 0.05), Frac(h, 0.05)),
                          QPoint(Frac(w, 0.05), Frac(h, 0.8))});
    painter.drawPolygon(spine);
    painter.drawLine(Frac(w, 0.05), Frac(h, 0.05), Frac(w, 0.05), Frac(h, 0.8));

    // The phone: a grey body with a red keypad of 4 x 3 keys between two
    // grilles of dots, the earpiece above and the mouthpiece below.
    const int left = Frac(w, 0.81);
    const int right = Frac(w, 0.96);
    const int top = Frac(h, 0.3);
    const int bottom = Frac(h, 0.8);
    painter.setBrush(kGrey);
    painter.drawRoundedRect(QRect(QPoint(left, top), QPoint(right, bottom)), 6, 6);
    const int width = right - left;
    const int height = bottom - top;
    const int dot = std::max(1, width / 70);
    auto dots = [&](int rows, double from) {
        painter.setBrush(Qt::black);
        for (int row = 0; row < rows; ++row)
            for (int column = 0; column < 5; ++column) {
                const int x = left + width * (column + 1) / 6;
                const int y = top + Frac(height, from + row * 0.04);
                painter.drawEllipse(QPoint(x, y), dot, dot);
            }
    };
    dots(4, 0.06);
    painter.setBrush(kRed);
    const int keyWidth = width / 5;
    const int keyHeight = height / 14;
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 3; ++column) {
            const int x = left + width * (2 * column + 1) / 6 - keyWidth / 2;
            const int y = top + Frac(height, 0.3) + row * keyHeight * 3 / 2;
            painter.drawEllipse(QRect(x, y, keyWidth, keyHeight));
        }
    dots(2, 0.86);
}

// Whether the entry's profile section has a line to show.
bool HasProfile(const PhoneRecord& entry) {
    return !entry.playingStyle.empty() || !entry.playingSide.empty() ||
           !entry.backhandStyle.empty() || !entry.rating.empty();
}

// Whether the player's notes name the entry: its figures have a last outing.
bool HasPlayed(const PhoneRecord& entry) {
    return !entry.stats.lastPlayed.empty() || !entry.stats.lastOuting.empty();
}

} // namespace

QString StyleText(const std::string& code) {
    switch (code.empty() ? '\0' : code[0]) {
    case 'A':
        return QStringLiteral("All Court Player");
    case 'S':
        return QStringLiteral("Serve/Volley Player");
    case 'B':
        return QStringLiteral("Baseliner");
    default:
        return {};
    }
}

QString SideText(const std::string& code) {
    switch (code.empty() ? '\0' : code[0]) {
    case 'L':
        return QStringLiteral("Left Handed");
    case 'R':
        return QStringLiteral("Right Handed");
    default:
        return {};
    }
}

void DrawPhonePage(QPainter& painter, QSize size, const PhonePageData& data) {
    const int w = size.width();
    const int h = size.height();
    painter.save();
    painter.fillRect(QRect(0, 0, w, h), LightGrey());
    DrawDecoration(painter, w, h);

    // Buttons taller than their 0.06 of the height (a small window) shorten
    // the page laid out above them.
    const int buttonTop = data.buttonTop >= 0 ? std::min(data.buttonTop, h) : Frac(h, 0.87);
    if (buttonTop < Frac(h, 0.87))
        size.setHeight(static_cast<int>(buttonTop / 0.87));
    const int pageHeight = size.height();
    const int left = Frac(w, 0.23);
    const int right = Frac(w, 0.73);
    const int top = Frac(pageHeight, 0.2);
    const int bottom = Frac(pageHeight, 0.87);
    const int centre = Frac(w, (0.75 + 0.2) / 2);
    painter.setPen(Qt::white);
    painter.setBrush(Qt::white);
    painter.drawRect(QRect(QPoint(left - 2, top), QPoint(right + 2, bottom)));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(Qt::black);

    const int line = UseScaledFont(painter, size, 25, 60);
    if (!data.entry) {
        // An empty book says so on its page, where the first entry will stand.
        DrawText(painter, centre, Frac(pageHeight, 0.32), QStringLiteral("PhoneBook is Empty!"),
                 Align::Center);
        painter.restore();
        return;
    }
    const PhoneRecord& entry = *data.entry;
    const int profile = Frac(pageHeight, 0.32);
    const int stats = Frac(pageHeight, 0.5);
    // The titles in black as the page's text; the second one just below the
    // backhand line, which reaches a little past half the page.
    const QFont small = ScaledFont(size, 27, 60, painter.device());
    const int smallRow = QFontMetrics(small, painter.device())
                             .size(Qt::TextSingleLine, QStringLiteral("Test"))
                             .height();
    const int statsTitle =
        entry.backhandStyle.empty() ? stats : std::max(stats, profile + 5 * smallRow + 1);
    // A section with nothing to show is left out, and what follows moves up
    // into its place: an imported contact shows its name, number and notes.
    const bool hasProfile = HasProfile(entry);
    const bool hasStats = HasPlayed(entry);
    const int statsTop = hasProfile ? stats : profile;
    const int statsTitleTop = hasProfile ? statsTitle : profile;
    painter.setPen(Qt::black);
    if (hasProfile)
        DrawText(painter, centre, profile, QStringLiteral("Player Profile"), Align::Center);
    if (hasStats)
        DrawText(painter, centre, statsTitleTop, QStringLiteral("Playing Stats"), Align::Center);
    DrawWrappedText(painter, left, top, right, top + line, FromStored(entry.name));
    DrawText(painter, right, top + 2 * line, FromStored(entry.phoneNumber), Align::Right);

    painter.setFont(small);
    const int row = smallRow;
    if (!entry.playingStyle.empty())
        DrawText(painter, left, profile + 2 * row, StyleText(entry.playingStyle));
    if (!entry.playingSide.empty())
        DrawText(painter, left, profile + 3 * row, SideText(entry.playingSide));
    if (!entry.backhandStyle.empty())
        DrawText(painter, left, profile + 4 * row,
                 QStringLiteral("%1 Handed Backhand").arg(FromStored(entry.backhandStyle)));
    if (!entry.rating.empty())
        DrawText(painter, right, profile + 2 * row,
                 QStringLiteral("Rating: %1").arg(FromStored(entry.rating)), Align::Right);

    if (!hasStats) {
        DrawWrappedText(painter, left, statsTitleTop, right, bottom - 2, FromStored(entry.notes));
        painter.restore();
        return;
    }
    DrawText(painter, left, statsTop + 2 * row, QStringLiteral("Overall W/L Record:"));
    DrawText(painter, left, statsTop + 3 * row, QStringLiteral("Last Played:"));
    if (!entry.stats.winLossRecord.empty())
        DrawText(painter, right, statsTop + 2 * row, FromStored(entry.stats.winLossRecord),
                 Align::Right);
    if (!entry.stats.lastPlayed.empty())
        DrawText(painter, right, statsTop + 3 * row, FromStored(entry.stats.lastPlayed),
                 Align::Right);
    // The summary as it is made: a practice's or a lesson's ends in two
    // blanks, which stand at the right edge like the missing score and result.
    if (!entry.stats.lastOuting.empty())
        DrawText(painter, right, statsTop + 4 * row, FromStored(entry.stats.lastOuting),
                 Align::Right);
    DrawWrappedText(painter, left, statsTop + static_cast<int>(6.5 * row), right, bottom - 2,
                    FromStored(entry.notes));
    painter.restore();
}

QStringList PhonePageLines(const PhonePageData& data) {
    if (!data.entry)
        return {QStringLiteral("PhoneBook is Empty!")};
    const PhoneRecord& entry = *data.entry;
    QStringList lines{QStringLiteral("Name: ") + FromStored(entry.name),
                      QStringLiteral("Phone: ") + FromStored(entry.phoneNumber)};
    if (HasProfile(entry))
        lines << QStringLiteral("Player Profile");
    if (!entry.playingStyle.empty())
        lines << StyleText(entry.playingStyle);
    if (!entry.rating.empty())
        lines << QStringLiteral("Rating: %1").arg(FromStored(entry.rating));
    if (!entry.playingSide.empty())
        lines << SideText(entry.playingSide);
    if (!entry.backhandStyle.empty())
        lines << QStringLiteral("%1 Handed Backhand").arg(FromStored(entry.backhandStyle));
    if (HasPlayed(entry)) {
        lines << QStringLiteral("Playing Stats")
              << QStringLiteral("Overall W/L Record: ") + FromStored(entry.stats.winLossRecord)
              << QStringLiteral("Last Played: ") + FromStored(entry.stats.lastPlayed);
        if (!entry.stats.lastOuting.empty())
            lines << FromStored(entry.stats.lastOuting).trimmed();
    }
    if (!entry.notes.empty())
        lines << QStringLiteral("Notes: ") + FromStored(entry.notes);
    return lines;
}

} // namespace kui

TKvrPhoneWin::TKvrPhoneWin(KvrClient& client)
    : TKvrChild(client, kui::PhonebookView, QStringLiteral("Phonebook")) {
    // The page shows the figures of the entry against the play records too.
    RepaintOn({kui::Store::Phone, kui::Store::Play});
    auto button = [this](const char* name, const QString& text, void (TKvrPhoneWin::*command)()) {
        auto* pushButton = new QPushButton(text, this);
        pushButton->setObjectName(QString::fromLatin1(name));
        connect(pushButton, &QPushButton::clicked, this, command);
        return pushButton;
    };
    previous_ = button("previous", QStringLiteral("&<<"), &TKvrPhoneWin::PreviousPage);
    find_ = button("find", QStringLiteral("&Find"), &TKvrPhoneWin::Find);
    next_ = button("next", QStringLiteral("&>>"), &TKvrPhoneWin::NextPage);
    // Add has no letter of its own: A and D are the Analyze and Data menus.
    add_ = button("add", QStringLiteral("Add"), &TKvrPhoneWin::AddEntry);
    edit_ = button("edit", QStringLiteral("&Edit"), &TKvrPhoneWin::EditEntry);
    delete_ = button("delete", QStringLiteral("De&lete"), &TKvrPhoneWin::DeleteEntry);
    next_->setDefault(true);
    setFocusPolicy(Qt::StrongFocus);
}

bool TKvrPhoneWin::HasEntries() {
    if (App().PhoneStore().Count() > 0)
        return true;
    kui::Tell(this, QStringLiteral("PhoneBook is Empty!"), QStringLiteral("No Phone Numbers"));
    return false;
}

void TKvrPhoneWin::Changed() {
    update();
    setFocus();
}

void TKvrPhoneWin::NextPage() {
    if (!HasEntries())
        return;
    const int count = static_cast<int>(App().PhoneStore().Count());
    index_ = index_ + 1 >= count ? 0 : index_ + 1;
    Changed();
}

void TKvrPhoneWin::PreviousPage() {
    if (!HasEntries())
        return;
    const int count = static_cast<int>(App().PhoneStore().Count());
    index_ = index_ <= 0 || index_ > count ? count - 1 : index_ - 1;
    Changed();
}

void TKvrPhoneWin::Find() {
    if (!HasEntries())
        return;
    KVR_PhoneData& phones = App().PhoneStore();
    TFindDlg dialog(this, phones);
    if (kui::RunModal(dialog) != QDialog::Accepted || dialog.Text().isEmpty())
        return;
    const int found = phones.FindNext(kui::ToStored(dialog.Text()), index_);
    if (found < 0) {
        kui::Tell(this, QStringLiteral("No PhoneBook entry for %1").arg(dialog.Text()),
                  QStringLiteral("Sorry"));
        return;
    }
    index_ = found;
    Changed();
}

void TKvrPhoneWin::AddEntry() {
    KVR_PhoneData& phones = App().PhoneStore();
    TPhoneAddDlg dialog(this, PhoneRecord{}, phones.Names());
    const int result = dialog.Run([&](kui::FormDialog::Request) {
        PhoneRecord entry = dialog.Entry();
        ComputeOpponentStats(App().PlayStore(), entry.name, entry.stats);
        return kui::Commit(&dialog, phones, kvr::Added(entry));
    });
    if (result == QDialog::Accepted) {
        App().RecordsChanged(kui::Store::Phone);
        Changed();
    }
}

void TKvrPhoneWin::EditEntry() {
    KVR_PhoneData& phones = App().PhoneStore();
    PhoneRecord* shown = phones.At(index_);
    if (!shown)
        return;
    TPhoneAddDlg dialog(this, *shown, phones.Names());
    const int result = dialog.Run([&](kui::FormDialog::Request) {
        // OK on an entry left as it was stores nothing.
        if (!dialog.Changed())
            return true;
        PhoneRecord entry = dialog.Entry();
        ComputeOpponentStats(App().PlayStore(), entry.name, entry.stats);
        // The entry keeps its page even when its name changed; the next
        // load puts it in order.
        return kui::Commit(&dialog, phones, kvr::Updated(*shown, entry));
    });
    if (result == QDialog::Accepted) {
        App().RecordsChanged(kui::Store::Phone);
        Changed();
    }
}

void TKvrPhoneWin::DeleteEntry() {
    KVR_PhoneData& phones = App().PhoneStore();
    const PhoneRecord* shown = phones.At(index_);
    if (!shown ||
        !kui::AskOkCancel(this,
                          kui::AboutWhat(QStringLiteral(" Delete this Page from PhoneBook?"),
                                         {kui::FromStored(shown->name)}),
                          QStringLiteral("Delete?"), kui::Default::No))
        return;
    // A delete that cannot be saved keeps the entry in the book and on the
    // page.
    if (!kui::Commit(this, phones, kvr::Removed(*shown)))
        return Changed();
    App().RecordsChanged(kui::Store::Phone);
    // The page now holds the entry that followed the deleted one, or, when
    // the last one went, the new last entry; an empty book says so.
    const int count = static_cast<int>(phones.Count());
    index_ = std::clamp(index_, 0, std::max(count - 1, 0));
    if (count == 0)
        HasEntries();
    Changed();
}

kui::PhonePageData TKvrPhoneWin::Snapshot() const {
    kui::PhonePageData page;
    if (const PhoneRecord* entry = App().PhoneStore().At(index_))
        page.entry = *entry;
    return page;
}

kui::ViewText TKvrPhoneWin::Describe() {
    const kui::PhonePageData page = Snapshot();
    kui::ViewText text;
    text.name = page.entry ? kui::PageOf(index_ + 1, static_cast<int>(App().PhoneStore().Count()))
                           : QStringLiteral("PhoneBook is Empty!");
    text.lines = kui::PhonePageLines(page);
    return text;
}

void TKvrPhoneWin::Render(QPainter& painter, QSize size) {
    kui::PhonePageData page = Snapshot();
    page.buttonTop = ButtonRows(size).first;
    kui::DrawPhonePage(painter, size, page);
}

std::pair<int, int> TKvrPhoneWin::ButtonRows(QSize size) const {
    const int height = kui::ButtonRowHeight(*next_, kui::Frac(size.height(), 0.06));
    return {kui::PhoneButtonTop(size, height), height};
}

int kui::PhoneButtonTop(QSize size, int buttonHeight) {
    // Two rows of 0.06 of the height from 0.87 of it, or as high as a
    // caption at the smallest legible font needs, on the bottom edge.
    const int h = size.height();
    return std::min(kui::Frac(h, 0.87), h - 2 * buttonHeight);
}

void TKvrPhoneWin::resizeEvent(QResizeEvent* event) {
    TKvrChild::resizeEvent(event);
    const int w = width();
    const int left = kui::Frac(w, 0.23);
    const int right = kui::Frac(w, 0.73);
    const auto [bottom, buttonHeight] = ButtonRows(size());
    const int buttonWidth = (right - left) / 3 + 1;
    auto at = [&, height = buttonHeight](QPushButton* button, int x, int y) {
        return kui::ButtonPlace{button, QRect(x, y, buttonWidth, height)};
    };
    // Captions too wide for the page's width may spread over the book's
    // spine, never over the phone.
    const int caption = buttonHeight / 2;
    const int phone = kui::Frac(w, 0.81);
    kui::PlaceButtonRow({at(previous_, left, bottom), at(find_, left + buttonWidth, bottom),
                         at(next_, right - buttonWidth, bottom)},
                        0, phone, caption);
    const int second = bottom + buttonHeight;
    kui::PlaceButtonRow({at(add_, left, second), at(edit_, left + buttonWidth, second),
                         at(delete_, right - buttonWidth, second)},
                        0, phone, caption);
}

void TKvrPhoneWin::AddContextActions(QMenu& menu) {
    menu.addAction(QStringLiteral("&Import Contacts..."), this, &TKvrPhoneWin::ImportContacts);
    menu.addAction(QStringLiteral("&Export Contacts..."), this, &TKvrPhoneWin::ExportContacts);
}

void TKvrPhoneWin::ImportContacts() {
    if (kui::ImportContactsFile(this, App()))
        Changed();
}

void TKvrPhoneWin::ExportContacts() {
    const QString path =
        kui::AskFileToExport(this, QStringLiteral("Export Contacts"), kvr::FileFormat::Contacts);
    if (path.isEmpty())
        return;
    if (!kui::ExportVCards(path, App().PhoneStore()))
        kui::Tell(this, QStringLiteral("Unable to export your contacts to '%1'.").arg(path),
                  QStringLiteral("Export Contacts"), kui::Icon::Warning);
}
