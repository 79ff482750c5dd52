// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/app_commands.h"
#include "charting/chart_store.h"
#include "charting/charting_commands.h"
#include "core/play_store.h"
#include "phonebook/phone_store.h"
#include "phonebook/phonebook_commands.h"
#include "play/play_commands.h"
#include "schedule/schedule_commands.h"
#include "support/app_fixture.h"
#include "support/text_recorder.h"
#include "tips/tip_store.h"
#include "tips/tips_commands.h"
#include "ui/drawing.h"

#include <QDialog>
#include <QFontMetrics>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

namespace kvrtest {
namespace {

// The views with buttons, each opened from its menu command with a record
// to show, in the main window at its first size, tiled with others, in a
// tall narrow frame and maximised on a large screen.
class ViewControlsTest : public AppTest {
protected:
    void WriteRecords() {
        WriteFile("coach.dat", Lines({"KVR Coach Data Format 1.0", "Pat Smith"}));
        SaveRecords<KVR_ChartClass>({MakeChart("5/14/2026", "Alex Moreno", "6-4 7-5")});

        PlayRecord note = MakePlay("5/14/2026", "Alex Moreno", "M");
        note.score = "6-4 7-5";
        note.matchNotes = "served well";
        SaveRecords<KVR_PlayData>({note});

        PhoneRecord entry = MakePhone("Alex Moreno", "555-0199", "steady");
        entry.backhandStyle = "2";
        SaveRecords<KVR_PhoneData>({entry});

        TipClass tips;
        tips.Select("Serve");
        tips.AddCopy(MakeTip("Toss the ball a little in front.", 1, 10));
        ASSERT_EQ(tips.Save(), 1);
    }

    void OpenViews() {
        for (int command : {kui::CmBrowseChartingData, kui::CmBrowseNotes, kui::CmPhonebook,
                            kui::CmScheduler, kui::CmSpreadsheet})
            Client().Command(command);
        Responder().QueueDialog([](QDialog& dialog) {
            dialog.findChild<QRadioButton*>(QStringLiteral("Serve"))->setChecked(true);
            dialog.findChild<QRadioButton*>(QStringLiteral("Consistency"))->setChecked(true);
            dialog.accept();
            return dialog.result();
        });
        Client().Command(kui::CmTipsLookup);
        Client().Command(kui::CmTimePlayedSummary);
        Client().Command(kui::CmGoalReached);
    }

    // Every view: no text it draws lies under one of its buttons or outside
    // it; no button covers another; every caption whole, in a font at least
    // kSmallestText high.
    void CheckViews(const char* arrangement) {
        SCOPED_TRACE(arrangement);
        ASSERT_EQ(Client().subWindowList().size(), 8);
        for (QMdiSubWindow* window : Client().subWindowList()) {
            auto* view = qobject_cast<TKvrChild*>(window->widget());
            ASSERT_TRUE(view);
            SCOPED_TRACE(view->windowTitle().toStdString());
            const QSize size = view->size();
            SCOPED_TRACE(::testing::Message() << size.width() << "x" << size.height());
            TextRecorder recorder(size);
            {
                QPainter painter(&recorder);
                view->Render(painter, size);
            }
            std::vector<QPushButton*> buttons;
            for (QPushButton* button : view->findChildren<QPushButton*>())
                if (button->isVisibleTo(view))
                    buttons.push_back(button);
            for (const DrawnText& text : recorder.Texts()) {
                if (text.text.trimmed().isEmpty())
                    continue;
                EXPECT_TRUE(QRectF(QPointF(0, 0), size).contains(text.rect))
                    << text.text.toStdString();
                for (QPushButton* button : buttons)
                    EXPECT_FALSE(QRectF(button->geometry()).intersects(text.rect))
                        << text.text.toStdString() << " under " << button->text().toStdString();
            }
            for (QPushButton* button : buttons) {
                SCOPED_TRACE(button->text().toStdString());
                EXPECT_TRUE(view->rect().contains(button->geometry()));
                for (QPushButton* other : buttons)
                    if (other != button) {
                        EXPECT_FALSE(button->geometry().intersects(other->geometry()));
                    }
                QStyleOptionButton option;
                option.initFrom(button);
                option.rect = button->rect();
                option.text = button->text();
                if (button->isDefault())
                    option.features |= QStyleOptionButton::DefaultButton;
                const QRect room =
                    button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
                const QFontMetrics metrics(button->font(), button);
                QString caption = button->text();
                caption.remove(QLatin1Char('&'));
                EXPECT_LE(metrics.horizontalAdvance(caption), room.width());
                EXPECT_LE(metrics.height(), room.height());
                EXPECT_GE(metrics.height(), kui::kSmallestText);
            }
        }
    }
};

TEST_F(ViewControlsTest, NoTextUnderAButtonAndEveryCaptionWhole) {
    WriteRecords();
    StartWindow();
    Frame().resize(600, 550);
    OpenViews();
    CheckViews("each as it opens at 600x550");

    Client().tileSubWindows();
    CheckViews("tiled by eight at 600x550");

    for (QMdiSubWindow* window : Client().subWindowList())
        window->resize(230, 650);
    CheckViews("tall and narrow");

    Frame().resize(1280, 960);
    Client().tileSubWindows();
    CheckViews("tiled by eight at 1280x960");
    for (QMdiSubWindow* window : Client().subWindowList())
        window->resize(Client().viewport()->size());
    CheckViews("filling 1280x960");
}

} // namespace
} // namespace kvrtest
