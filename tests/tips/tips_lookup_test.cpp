// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/app_fixture.h"
#include "support/render.h"
#include "support/text_recorder.h"
#include "tips/tip_store.h"
#include "tips/tips_commands.h"
#include "tips/tips_lookup.h"
#include "ui/drawing.h"
#include "ui/text.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

namespace kvrtest {
namespace {

struct Tip {
    int level;
    int rating;
    std::string text;
};

const QString kNoMore = QStringLiteral("No more Tips for This Selection.  Return to First Tip?");

class TipsLookupTest : public AppTest {
protected:
    void TearDown() override {
        kui::SetTipDraw(nullptr);
        AppTest::TearDown();
    }
    static void WriteTips(const char* stroke, std::initializer_list<Tip> tips) {
        TipClass store;
        store.Select(stroke);
        for (const Tip& tip : tips) {
            TipRecord record = MakeTip(tip.text, tip.level, tip.rating);
            record.stroke = stroke;
            store.AddCopy(record);
        }
        ASSERT_EQ(store.Save(), 1);
    }
    // Starts the program and looks up a stroke and level, the random draw
    // giving `drawn`; the first OK comes with no level and is refused.
    KvrTipsLookup* Lookup(const char* stroke, const char* level, int drawn) {
        if (!app_) {
            WriteFile("coach.dat", Lines({"KVR Coach Data Format 1.0", "Pat Smith"}));
            StartWindow();
        }
        kui::SetTipDraw([drawn] { return drawn; });
        Responder().QueueDialog([stroke, level](QDialog& dialog) {
            dialog.findChild<QRadioButton*>(QString::fromLatin1(stroke))->setChecked(true);
            dialog.accept();
            dialog.findChild<QRadioButton*>(QString::fromLatin1(level))->setChecked(true);
            dialog.accept();
            return dialog.result();
        });
        Client().Command(kui::CmTipsLookup);
        return View();
    }
    KvrTipsLookup* View() { return qobject_cast<KvrTipsLookup*>(Client().FindView(kui::TipsView)); }
    std::string Shown() {
        const TipRecord* tip = app_->TipStore().At(View()->CurrentIndex());
        return tip ? tip->tipText : std::string("(none)");
    }
    int Asked(const QString& text) {
        return static_cast<int>(
            std::count_if(Responder().Shown().begin(), Responder().Shown().end(),
                          [&](const kui::Message& m) { return m.text == text; }));
    }
};

// Only tips reaching the drawn minimum are shown; a minimum above every
// rating is lowered to the best one. With one tip qualifying every step asks
// before showing it again: Yes shows it, No hides the view.
TEST_F(TipsLookupTest, WalkShowsOnlyTipsReachingTheMinimum) {
    WriteTips("Serve", {{2, 3, "three"}, {2, 7, "seven"}, {2, 9, "nine"}, {1, 10, "other level"}});
    for (int drawn : {7, 19}) { // minimum 8, and 10 lowered to 9
        SCOPED_TRACE(drawn);
        KvrTipsLookup* view = Lookup("Serve", "Placement", drawn);
        ASSERT_TRUE(view);
        // The second lookup offers the level chosen first: its first OK passes.
        if (drawn == 7) {
            EXPECT_EQ(Responder().Texts().front(),
                      QStringLiteral("Please select stroke and level"));
        }
        EXPECT_EQ(Shown(), "nine");
        EXPECT_EQ(view->MinimumRating(), drawn == 7 ? 8 : 9);
        for (int step = 0; step < 3; ++step) {
            Responder().QueueAnswer(true);
            view->NextTip();
            EXPECT_EQ(Shown(), "nine");
        }
        EXPECT_EQ(Asked(kNoMore), 3);
        view->NextTip(); // answered No
        EXPECT_FALSE(view->Showing());
        EXPECT_EQ(Shown(), "nine");
        Responder().Clear();
    }
}

// The rating's frame is the rectangle from (0.51 W, 0.87 H) to (0.58 W,
// 0.94 H): its lines on the first pixels of those edges and the last pixels
// inside the far ones.
TEST(TipPageTest, RatingFrameStandsOnItsEdges) {
    EnsureApplication();
    kui::TipPageData page;
    page.stroke = QStringLiteral("Serve");
    page.tip = true;
    page.level = 1;
    page.rating = 7;
    page.text = QStringLiteral("Toss in front.");
    for (QSize size : {QSize(600, 550), QSize(1273, 911), QSize(803, 601)}) {
        SCOPED_TRACE(size.width());
        page.ratingBox = kui::TipRatingBox(size);
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            kui::DrawTipPage(painter, size, page);
        }
        const int w = size.width();
        const int h = size.height();
        const int left = kui::Frac(w, 0.51);
        const int right = kui::Frac(w, 0.58) - 1;
        const int top = kui::Frac(h, 0.87);
        const int bottom = kui::Frac(h, 0.94) - 1;
        const int y = (top + bottom) / 2 + 2;
        EXPECT_EQ(image.pixel(left, y), qRgb(0, 0, 0));
        EXPECT_EQ(image.pixel(left - 1, y), qRgb(255, 255, 255));
        EXPECT_EQ(image.pixel(left + 1, y), qRgb(255, 255, 255));
        EXPECT_EQ(image.pixel(right, y), qRgb(0, 0, 0));
        EXPECT_EQ(image.pixel(right + 1, y), qRgb(255, 255, 255));
        EXPECT_EQ(image.pixel(right - 1, y), qRgb(255, 255, 255));
        const int x = left + 2;
        EXPECT_EQ(image.pixel(x, top), qRgb(0, 0, 0));
        EXPECT_EQ(image.pixel(x, top - 1), qRgb(255, 255, 255));
        EXPECT_EQ(image.pixel(x, bottom), qRgb(0, 0, 0));
        EXPECT_EQ(image.pixel(x, bottom + 1), qRgb(255, 255, 255));
    }
}

// Several qualifying tips come in turn, cyclically, with no question; a
// level without tips shows only the heading, without controls.
TEST_F(TipsLookupTest, QualifyingTipsCycleAndAnEmptyLevelShowsTheHeading) {
    WriteTips("Volley", {{1, 9, "a"}, {1, 2, "low"}, {1, 10, "b"}, {1, 8, "c"}});
    KvrTipsLookup* view = Lookup("Volley", "Consistency", 7);
    ASSERT_TRUE(view);
    std::vector<std::string> seen{Shown()};
    for (int step = 0; step < 5; ++step) {
        view->NextTip();
        seen.push_back(Shown());
    }
    EXPECT_EQ(Asked(kNoMore), 0);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), "low"), 0);
    EXPECT_EQ(seen[0], seen[3]);
    EXPECT_NE(seen[0], seen[1]);
    EXPECT_NE(seen[1], seen[2]);

    view = Lookup("Volley", "Power", 0);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->CurrentIndex(), -1);
    EXPECT_TRUE(view->findChild<QPushButton*>(QStringLiteral("next"))->isHidden());
    const auto texts = RecordTexts(kui::DrawTipPage, QSize(600, 550), view->Snapshot());
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, QStringLiteral("Tip for your Volley"));
}

// A moved rating is offered for saving before the next tip (never for a tip
// rated 0); a deleted tip is gone from the file and the walk goes on after it.
TEST_F(TipsLookupTest, RatingChangeAndDeleteAreSaved) {
    WriteTips("Return", {{3, 5, "first"}, {3, 5, "second"}, {3, 5, "third"}, {3, 0, "zero"}});
    KvrTipsLookup* view = Lookup("Return", "Spin", 0); // minimum 1: "zero" never shows
    ASSERT_TRUE(view);
    TipClass& tips = app_->TipStore();
    std::vector<std::string> order;
    for (int i = 0; i < static_cast<int>(tips.Count()); ++i)
        order.push_back(tips.At(i)->tipText);
    const int first = view->CurrentIndex();

    auto* rating = view->findChild<QScrollBar*>(QStringLiteral("frequencyRating"));
    rating->setValue(8);
    EXPECT_EQ(view->findChild<QLabel*>(QStringLiteral("ratingBox"))->text(), QStringLiteral("8"));
    Responder().QueueAnswer(true);
    view->NextTip();
    EXPECT_EQ(Asked(QStringLiteral("Frequency Rating has been changed.  Save changes?")), 1);
    EXPECT_NE(ReadFile("return.tip").find("\"3\",\"8\",\"" + order[static_cast<size_t>(first)]),
              std::string::npos);

    // Delete the tip shown: the walk starts at the tip that followed it, so
    // the first qualifying tip after it in the old order follows.
    const int deleted = view->CurrentIndex();
    const std::string gone = Shown();
    std::string expected;
    for (size_t i = 1; i < order.size() + 1 && expected.empty(); ++i) {
        const std::string& candidate = order[(static_cast<size_t>(deleted) + i) % order.size()];
        if (candidate != "zero" && candidate != gone)
            expected = candidate;
    }
    Responder().QueueAnswer(true);
    view->findChild<QPushButton*>(QStringLiteral("delete"))->click();
    EXPECT_EQ(Shown(), expected);
    EXPECT_EQ(ReadFile("return.tip").find(gone), std::string::npos);
    EXPECT_EQ(Asked(QStringLiteral("Frequency Rating has been changed.  Save changes?")), 1);

    // Edit keeps level and rating and saves the new text, on one line with
    // its own spacing.
    Responder().QueueDialog([](QDialog& dialog) {
        dialog.findChild<QPlainTextEdit*>(QStringLiteral("tipText"))
            ->setPlainText(QStringLiteral("edited\n  text"));
        dialog.accept();
        return dialog.result();
    });
    view->findChild<QPushButton*>(QStringLiteral("edit"))->click();
    EXPECT_EQ(Shown(), "edited   text");
    const TipRecord& edited = *app_->TipStore().At(view->CurrentIndex());
    EXPECT_EQ(edited.level, 3);
    EXPECT_NE(ReadFile("return.tip").find(edited.ToLine()), std::string::npos);
}

// A tip whose text is longer than the edit field or spaced otherwise than
// typed text is, and whose rating lies beyond the bar's end, is kept as
// stored: Edit and OK untouched store nothing, and Next asks nothing.
TEST_F(TipsLookupTest, UntouchedEditAndRatingStoreNothing) {
    const std::string text = "Serve  wide,   then volley. " + std::string(220, 'x');
    WriteTips("Serve", {{1, 15, text}});
    KvrTipsLookup* view = Lookup("Serve", "Consistency", 0);
    ASSERT_TRUE(view);
    ASSERT_EQ(Shown(), text);
    const std::string file = ReadFile("serve.tip");
    std::filesystem::remove("serve.tip");
    Responder().QueueDialog([](QDialog& dialog) {
        QTest::mouseClick(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                          Qt::LeftButton);
        return dialog.result();
    });
    QTest::mouseClick(view->findChild<QPushButton*>(QStringLiteral("edit")), Qt::LeftButton);
    EXPECT_EQ(Responder().DialogsRun().back(), QStringLiteral("EDIT TIP"));
    Responder().QueueAnswer(true);
    QTest::mouseClick(view->findChild<QPushButton*>(QStringLiteral("next")), Qt::LeftButton);
    EXPECT_EQ(Asked(QStringLiteral("Frequency Rating has been changed.  Save changes?")), 0);
    EXPECT_FALSE(std::filesystem::exists("serve.tip"));
    EXPECT_EQ(Shown(), text);
    EXPECT_NE(file.find("\"15\",\"" + text + "\""), std::string::npos);
}

// Add leaves an open view open, refuses missing fields, stores a tip rated
// 10 in its own stroke's file and leaves the store on the stroke it held.
TEST_F(TipsLookupTest, AddKeepsAnOpenViewAndSavesToItsStroke) {
    WriteTips("Serve", {{1, 10, "toss"}});
    KvrTipsLookup* view = Lookup("Serve", "Consistency", 0);
    ASSERT_TRUE(view);
    Responder().QueueDialog([](QDialog& dialog) {
        dialog.findChild<QPlainTextEdit*>(QStringLiteral("tipText"))
            ->setPlainText(QStringLiteral("Split step, then %1 punch"));
        dialog.accept();
        dialog.findChild<QComboBox*>(QStringLiteral("stroke"))
            ->setCurrentText(QStringLiteral("Volley"));
        dialog.findChild<QComboBox*>(QStringLiteral("level"))->setCurrentIndex(2);
        dialog.accept();
        return dialog.result();
    });
    Client().Command(kui::CmTipsAdd);
    EXPECT_EQ(View(), view);
    EXPECT_EQ(Shown(), "toss");
    EXPECT_EQ(Responder().Texts().back(), QStringLiteral("Missing Data, please enter all fields"));
    EXPECT_EQ(ReadFile("volley.tip"),
              Lines({"ZBD Data File Format 2.0", "1",
                     R"("Volley","T","3","10","Split step, then %1 punch")"}));
    EXPECT_EQ(app_->TipStore().SelectedStroke(), "Serve");
    EXPECT_EQ(app_->TipStore().Count(), 1u);
}

// A tip added to the stroke on show, from the menu with the keys, leaves the
// lookup open on the tip it showed, and the next lookup opens on the stroke
// and level chosen last, so Enter alone looks them up again.
TEST_F(TipsLookupTest, LookupStaysThroughAnAddAndOffersTheLastChoice) {
    WriteTips("Return", {{3, 10, "block it back"}, {3, 10, "split step"}});
    KvrTipsLookup* view = Lookup("Return", "Spin", 0);
    ASSERT_TRUE(view);
    const std::string shown = Shown();
    ASSERT_NE(shown, "(none)");
    QApplication::setActiveWindow(&Frame());

    Responder().QueueDialog([](QDialog& dialog) {
        dialog.show();
        QTest::keyClicks(dialog.findChild<QComboBox*>(QStringLiteral("stroke")), "Return");
        QTest::keyClicks(dialog.findChild<QComboBox*>(QStringLiteral("level")), "3");
        QTest::keyClicks(dialog.findChild<QPlainTextEdit*>(QStringLiteral("tipText")),
                         QStringLiteral("aaa first in the file"));
        QTest::mouseClick(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                          Qt::LeftButton);
        return dialog.result();
    });
    ChooseFromMenu(Qt::Key_T, {Qt::Key_A});
    ASSERT_EQ(View(), view);
    EXPECT_EQ(app_->TipStore().Count(), 3u);
    EXPECT_NE(ReadFile("return.tip").find("aaa first in the file"), std::string::npos);
    EXPECT_EQ(Shown(), shown);

    QString checked;
    Responder().QueueDialog([&checked](QDialog& dialog) {
        dialog.show();
        for (QRadioButton* button : dialog.findChildren<QRadioButton*>())
            if (button->isChecked())
                checked += button->objectName() + QLatin1Char(' ');
        QTest::keyClick(&dialog, Qt::Key_Return);
        return dialog.result();
    });
    ChooseFromMenu(Qt::Key_T, {Qt::Key_L});
    EXPECT_EQ(checked, QStringLiteral("Return Spin "));
    ASSERT_TRUE(View());
    const TipRecord* tip = app_->TipStore().At(View()->CurrentIndex());
    ASSERT_TRUE(tip);
    EXPECT_EQ(tip->level, 3);
}

// A typed tip keeps its own spacing; near its 219 characters the dialog
// shows how many are left, and what is typed past the limit, even in the
// middle, is refused where it is typed while the rest stays whole.
TEST_F(TipsLookupTest, TypedTipKeepsItsSpacingAndItsLimitIsShown) {
    WriteFile("coach.dat", Lines({"KVR Coach Data Format 1.0", "Pat Smith"}));
    StartWindow();
    const QString start = QStringLiteral("Toss high,  then reach   up.");
    Responder().QueueDialog([&](QDialog& dialog) {
        auto* text = dialog.findChild<QPlainTextEdit*>(QStringLiteral("tipText"));
        auto* left = text->parentWidget()->findChild<QLabel*>(QStringLiteral("charactersLeft"));
        EXPECT_NE(left, nullptr);
        if (!left)
            return static_cast<int>(QDialog::Rejected);
        QTest::keyClicks(text, start);
        EXPECT_TRUE(left->isHidden());
        QTest::keyClicks(text, QString(150, QLatin1Char('x')));
        EXPECT_FALSE(left->isHidden());
        EXPECT_EQ(left->text(), QStringLiteral("41 left"));
        QTest::keyClicks(text, QString(45, QLatin1Char('y')));
        EXPECT_EQ(left->text(), QStringLiteral("0 left"));
        QTest::keyClick(text, Qt::Key_Home);
        QTest::keyClicks(text, QStringLiteral("AB"));
        dialog.findChild<QComboBox*>(QStringLiteral("stroke"))->setCurrentIndex(2);
        dialog.findChild<QComboBox*>(QStringLiteral("level"))->setCurrentIndex(0);
        QTest::mouseClick(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                          Qt::LeftButton);
        return dialog.result();
    });
    Client().Command(kui::CmTipsAdd);
    const std::string kept =
        kui::ToStored(start + QString(150, QLatin1Char('x')) + QString(41, QLatin1Char('y')));
    EXPECT_EQ(kept.size(), 219u);
    EXPECT_EQ(ReadFile("serve.tip"),
              Lines({"ZBD Data File Format 2.0", "1", R"("Serve","T","1","10",")" + kept + "\""}));
}

// While serve.tip cannot be replaced, an edited text, a deletion and a new
// tip are each told once as a failed save; the dialog that asked stays open
// with what was typed, the view keeps its tip, and memory stays what the
// file holds (saved again, it gives the same bytes).
TEST_F(TipsLookupTest, FailedSavesLeaveMemoryAsTheFile) {
    WriteTips("Serve", {{1, 10, "toss"}});
    KvrTipsLookup* view = Lookup("Serve", "Consistency", 0);
    ASSERT_TRUE(view);
    Responder().Clear();
    const std::string file = ReadFile("serve.tip");
    std::filesystem::rename("serve.tip", "serve.keep");
    std::filesystem::create_directory("serve.tip");
    auto typeAndOk = [](QDialog& dialog, const char* text) {
        auto* edit = dialog.findChild<QPlainTextEdit*>(QStringLiteral("tipText"));
        edit->selectAll();
        QTest::keyClicks(edit, QString::fromLatin1(text));
        QTest::mouseClick(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                          Qt::LeftButton);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(edit->toPlainText(), QString::fromLatin1(text));
        dialog.reject();
        return dialog.result();
    };
    Responder().QueueDialog([&](QDialog& dialog) { return typeAndOk(dialog, "toss higher"); });
    QTest::mouseClick(view->findChild<QPushButton*>(QStringLiteral("edit")), Qt::LeftButton);
    Responder().QueueAnswer(true);
    QTest::mouseClick(view->findChild<QPushButton*>(QStringLiteral("delete")), Qt::LeftButton);
    EXPECT_EQ(Shown(), "toss");
    const QString failed = QStringLiteral("Error saving data!");
    ASSERT_EQ(Responder().Texts().size(), 3u);
    EXPECT_EQ(Responder().Texts()[0], failed);
    EXPECT_EQ(Responder().Texts()[2], failed);
    ASSERT_EQ(app_->TipStore().Count(), 1u);
    EXPECT_EQ(app_->TipStore().At(0)->tipText, "toss");
    std::filesystem::remove("serve.tip");
    std::filesystem::rename("serve.keep", "serve.tip");
    ASSERT_EQ(app_->TipStore().Save(), 1);
    EXPECT_EQ(ReadFile("serve.tip"), file);

    // A new volley tip whose file cannot be written: the store goes back to
    // the serve tips as they are.
    std::filesystem::create_symlink("nowhere/volley.tip", "volley.tip");
    Responder().Clear();
    Responder().QueueDialog([&](QDialog& dialog) {
        dialog.findChild<QComboBox*>(QStringLiteral("stroke"))->setCurrentText("Volley");
        dialog.findChild<QComboBox*>(QStringLiteral("level"))->setCurrentIndex(0);
        return typeAndOk(dialog, "split step");
    });
    Client().Command(kui::CmTipsAdd);
    EXPECT_EQ(Responder().Texts(), std::vector<QString>{failed});
    EXPECT_EQ(app_->TipStore().SelectedStroke(), "Serve");
    EXPECT_EQ(app_->TipStore().Count(), 1u);
    EXPECT_EQ(ReadFile("serve.tip"), file);
}

// A tip file the program cannot read is told and no view opens.
TEST_F(TipsLookupTest, UnreadableTipFileOpensNoView) {
    WriteFile("forehand.tip", Lines({"ZBD Data File Format 9.0", "0"}));
    EXPECT_EQ(Lookup("Forehand", "Power", 0), nullptr);
    EXPECT_TRUE(Responder().Texts().back().startsWith(QStringLiteral("Unable to load tips file!")));
}

} // namespace
} // namespace kvrtest
