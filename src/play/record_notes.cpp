// SPDX-License-Identifier: GPL-3.0-or-later
#include "play/record_notes.h"

#include "app/application.h"
#include "app/client.h"
#include "charting/charting_commands.h"
#include "core/play_store.h"
#include "phonebook/phone_store.h"
#include "play/add_play_dialog.h"
#include "play/play_commands.h"
#include "play/rating_dialog.h"
#include "ui/message.h"

#include <optional>

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace kui {

namespace {

// A period of thirty records takes no more: it is congratulated and closed
// first. False when it could not be closed (the player was told why).
bool MakeRoomInGoalPeriod(QWidget* parent, TKvrWinApp& app) {
    if (app.PlayStore().Count() < KVR_PlayData::kGoalPeriodLength)
        return true;
    ShowCongratulations(parent);
    return CloseGoalPeriod(parent, app, QString());
}

} // namespace

void RecordNotes(KvrClient& client) {
    TKvrWinApp& app = client.App();
    KVR_PlayData& play = app.PlayStore();
    if (TellPlayChangeWaits(&client))
        return;
    TAddPlayRecordDlg dialog(&client, app.PhoneStore().Names());
    // The ratings are asked once: an OK that tries a failed save again keeps
    // those given.
    std::optional<decltype(PlayRecord::ratings)> ratings;
    dialog.Run([&](FormDialog::Request) {
        PlayRecord record = dialog.Record();
        if (!MakeRoomInGoalPeriod(&dialog, app))
            return false;
        if (!ratings) {
            AskStrokeRatings(&dialog, record, RatingReference(play, ZBD_Date(record.date)));
            ratings = record.ratings;
        }
        record.ratings = *ratings;
        if (!Commit(&dialog, play, kvr::Added(record)))
            return false;
        if (record.IsMatch() && AskYesNo(&dialog, QStringLiteral("Continue with Match Charting?"),
                                         QStringLiteral("Charting")))
            RunChartingDialog(&dialog, app, record);
        app.RecordsChanged(Store::Play);
        if (play.Count() == KVR_PlayData::kGoalPeriodLength)
            ShowCongratulations(&dialog);
        return true;
    });
}

void ShowCongratulations(QWidget* parent) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Congratulations !"));
    auto* layout = new QVBoxLayout(&dialog);
    auto addText = [&](const QString& text, bool large) {
        auto* label = new QLabel(text, &dialog);
        label->setAlignment(Qt::AlignCenter);
        label->setWordWrap(true);
        if (large) {
            QFont font = label->font();
            font.setBold(true);
            font.setPointSizeF(font.pointSizeF() * 1.4);
            label->setFont(font);
        }
        layout->addWidget(label);
    };
    addText(QStringLiteral("Congratulations"), true);
    addText(QStringLiteral("You've completed your current Goal Period.  Now restart your ratings "
                           "at 4's and 5's and climb back up to 9's and 10's! "),
            false);
    addText(QStringLiteral("Good Luck and Remember to"), false);
    addText(QStringLiteral("HAVE FUN ON THE COURTS"), true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    buttons->setCenterButtons(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    layout->addWidget(buttons);
    dialog.setMinimumWidth(380);
    RunModal(dialog);
}

} // namespace kui
