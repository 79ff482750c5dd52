// SPDX-License-Identifier: GPL-3.0-or-later
#include "charting/chart_store.h"
#include "charting/charting_commands.h"
#include "core/date.h"
#include "core/history.h"
#include "core/play_store.h"
#include "phonebook/phone_store.h"
#include "play/add_play_dialog.h"
#include "play/notes_notebook.h"
#include "play/play_commands.h"
#include "play/rating_dialog.h"
#include "schedule/schedule_commands.h"
#include "support/app_fixture.h"
#include "support/typing.h"
#include "ui/player_list.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>

namespace kvrtest {
namespace {

namespace fs = std::filesystem;
using kvr::Level;
using kvr::Stroke;
using Fields = std::map<QString, QString>;

// A record of the current period on `date`, every rating `rating` except
// Approach (its rating + 1) and Volley (its rating + 2), so that the two
// rows are told apart.
PlayRecord Outing(const std::string& date, int rating = 5) {
    PlayRecord record;
    record.date = ZBD_Date(date).Text();
    record.singlesDoubles = "S";
    record.who = "Ann Lee";
    record.time = "1";
    record.kind = "P";
    record.practiceNotes = "drills";
    for (auto& row : record.ratings)
        row.fill(rating);
    for (int level = 0; level < kvr::kLevelCount; ++level) {
        record.Rating(Stroke::Approach, static_cast<Level>(level)) = rating + 1;
        record.Rating(Stroke::Volley, static_cast<Level>(level)) = rating + 2;
    }
    return record;
}

// Sets the dialog's fields by object name: a text for the edit fields and
// player lists, the item's text for the three choices.
void Fill(QDialog& dialog, const Fields& fields) {
    for (const auto& [name, value] : fields) {
        QWidget* field = dialog.findChild<QWidget*>(name);
        ASSERT_NE(field, nullptr) << name.toStdString();
        if (auto* players = qobject_cast<TPlayerList*>(field))
            players->setEditText(value);
        else if (auto* choice = qobject_cast<QComboBox*>(field))
            choice->setCurrentIndex(choice->findText(value));
        else if (auto* line = qobject_cast<QLineEdit*>(field))
            line->setText(value);
        else if (auto* notes = qobject_cast<QPlainTextEdit*>(field))
            notes->setPlainText(value);
    }
}

void PressOk(QDialog& dialog) {
    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
}

const Fields kSinglesMatch = {
    {"date", "3/10/26"},        {"who", "ann lee"},        {"time", "1.5"},
    {"kind", "Match"},          {"result", "Loss"},        {"score", "6-4 6-3"},
    {"matchNotes", "net rush"}, {"practiceNotes", "serve"}};

// Fills the charting dialog's serve and return counts and presses its OK.
int ChartServesAndReturns(QDialog& charting) {
    for (auto [name, value] : {std::pair{"firstServeAttempts", 40},
                               {"firstServesIn", 25},
                               {"returnAttempts", 40},
                               {"returnsIn", 30}})
        charting.findChild<QSpinBox*>(name)->setValue(value);
    charting.findChild<QPushButton*>("okButton")->click();
    return charting.result();
}

class RecordDialogsTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        ZBD_Date::FixToday(3, 15, 2026);
        WriteFile("coach.dat", Lines({"Pat Smith"}));
    }
    void TearDown() override {
        AppTest::TearDown();
        ZBD_Date::UseSystemClock();
    }

    // `count` records from January 2026 on, one a day.
    static void WritePlayFile(int count) {
        KVR_PlayData store;
        for (int i = 0; i < count; ++i)
            store.AddCopy(Outing(ZBD_Date(1 + i / 28, 1 + i % 28, 2026).Text()));
        ASSERT_EQ(store.Save(), 1);
    }

    // Records a new outing through the menu command with these fields.
    void RecordThroughMenu(const Fields& fields) {
        Responder().QueueDialog([&](QDialog& dialog) {
            Fill(dialog, fields);
            PressOk(dialog);
            return dialog.result();
        });
        Client().Command(kui::CmRecordNotes);
    }

    // Runs Record Notes from its menu command, `player` filling the form.
    void RunRecordNotes(std::function<void(TAddPlayRecordDlg&)> player) {
        Responder().QueueDialog([player](QDialog& dialog) {
            player(static_cast<TAddPlayRecordDlg&>(dialog));
            return dialog.result();
        });
        Client().Command(kui::CmRecordNotes);
    }

    // Edits the notebook's page (the newest record) with its Edit button,
    // `player` filling the form.
    void RunEdit(std::function<void(TAddPlayRecordDlg&)> player) {
        auto& notes = OpenFromMenu<TKvrBrowseWin>(kui::CmBrowseNotes, kui::BrowseNotesView);
        Responder().QueueDialog([player](QDialog& dialog) {
            player(static_cast<TAddPlayRecordDlg&>(dialog));
            return dialog.result();
        });
        Press(notes, "edit");
    }

    const PlayRecord& Stored(int index) { return *App().PlayStore().At(index); }
    TKvrWinApp& App() { return *app_; }
};

// Each check in its order, with its caption, its text and the field it
// puts the focus on; the dialog stays open with what was typed. The time
// limits, a comma as decimal mark and hours as h:mm are part of the same
// walk.
TEST_F(RecordDialogsTest, ChecksRunInOrderAndFocusTheFaultyField) {
    StartWindow();
    RunRecordNotes([&](TAddPlayRecordDlg& dialog) {
        EXPECT_EQ(dialog.findChild<QLineEdit*>("date")->text(), "3/15/2026");
        struct Step {
            Fields change;
            const char* caption;
            const char* text;
            const char* focus;
        };
        const char* missing = "Missing Data Field";
        const char* badTime =
            "Invalid Time Value, input hours played (ie: 1.25 = an hour and 15 minutes)";
        const char* title = "Add Play Record";
        const char* badDate = "Please enter the date as M/D/YYYY, for example 3/15/2026";
        const Step steps[] = {
            {{{"date", ""}}, title, badDate, "date"},
            {{{"date", "2/30/2026"}}, title, badDate, "date"},
            {{{"date", "03/09/26"}}, missing, "Who did you play?", "who"},
            {{{"who", "ann lee"}}, missing, "How long did you play?", "time"},
            {{{"time", "12.01"}}, missing, badTime, "time"},
            {{{"time", "0"}}, missing, badTime, "time"},
            {{{"time", "-1"}}, missing, badTime, "time"},
            {{{"time", "an hour"}}, missing, badTime, "time"},
            {{{"time", "1:75"}}, missing, badTime, "time"},
            {{{"time", "12:30"}}, missing, badTime, "time"},
            {{{"time", "12"}, {"singlesDoubles", "Doubles"}},
             missing,
             "Don't forget your Match Notes",
             "matchNotes"},
            {{{"matchNotes", "lobbed well"}}, missing, "Don't forget the score", "score"},
            {{{"score", "6-4"}}, missing, "Don't forget the other player.", "secondOpponent"},
            {{{"secondOpponent", "bo park"}}, missing, "Don't forget your partner.", "partner"},
            {{{"partner", "cy day"}, {"time", "1,5"}},
             missing,
             "Don't forget your Practice Notes",
             "practiceNotes"},
        };
        for (const Step& step : steps) {
            Fill(dialog, step.change);
            Responder().Clear();
            PressOk(dialog);
            ASSERT_EQ(Responder().Shown().size(), 1u) << step.text;
            EXPECT_EQ(Responder().Shown()[0].caption, step.caption);
            EXPECT_EQ(Responder().Shown()[0].text, step.text);
            ASSERT_NE(dialog.focusWidget(), nullptr) << step.text;
            EXPECT_EQ(dialog.focusWidget()->objectName(), step.focus) << step.text;
            EXPECT_EQ(dialog.result(), QDialog::Rejected);
            EXPECT_EQ(App().PlayStore().Count(), 0u);
        }
        // Hours and minutes are stored as hours.
        Fill(dialog, {{"practiceNotes", "footwork"}, {"time", "1:45"}});
        PressOk(dialog);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    });
    ASSERT_EQ(App().PlayStore().Count(), 1u);
    const PlayRecord& saved = Stored(0);
    EXPECT_EQ(saved.date, "3/9/2026");
    EXPECT_EQ(saved.time, "1.75");
    EXPECT_EQ(saved.singlesDoubles, "D");
    EXPECT_EQ(saved.who, "Ann Lee");
    EXPECT_EQ(saved.secondOpponent, "Bo Park");
    EXPECT_EQ(saved.partner, "Cy Day");
}

// OK with no choice made records a singles match won; typed text is stored
// on one line without double quotes, and the figures are recomputed.
TEST_F(RecordDialogsTest, NoChoicesRecordASinglesMatchWonAndTextIsStorable) {
    StartWindow();
    Responder().QueueAnswer(false); // no charting
    RecordThroughMenu({{"who", "ann lee"},
                       {"time", "2"},
                       {"score", "7-5"},
                       {"matchNotes", "She said \"deep\",\nso I went deep"},
                       {"practiceNotes", QString(300, QLatin1Char('x'))}});
    EXPECT_EQ(clicks_, 1);
    ASSERT_EQ(App().PlayStore().Count(), 1u);

    KVR_PlayData reread;
    ASSERT_EQ(reread.Load(), 1);
    ASSERT_EQ(reread.Count(), 1u);
    const PlayRecord& saved = *reread.At(0);
    EXPECT_EQ(saved.date, "3/15/2026");
    EXPECT_EQ(saved.singlesDoubles, "S");
    EXPECT_EQ(saved.kind, "M");
    EXPECT_EQ(saved.result, "W");
    EXPECT_EQ(saved.score, "7-5");
    EXPECT_EQ(saved.matchNotes, "She said 'deep', so I went deep");
    EXPECT_EQ(saved.practiceNotes, std::string(219, 'x'));
    EXPECT_EQ(App().PlayStore().Stats().currentWins, 1);
}

// A practice keeps no result or score, singles no partner or second
// opponent, whatever was typed before the switch; neither shows those
// fields, and a practice is not offered for charting.
TEST_F(RecordDialogsTest, PracticeAndSinglesDropWhatTheyDoNotUse) {
    StartWindow();
    Responder().QueueDialog([&](QDialog& dialog) {
        Fill(dialog, kSinglesMatch);
        Fill(dialog,
             {{"singlesDoubles", "Doubles"}, {"partner", "cy day"}, {"secondOpponent", "bo"}});
        EXPECT_TRUE(dialog.findChild<QWidget*>("partner")->isVisibleTo(&dialog));
        Fill(dialog, {{"singlesDoubles", "Singles"}, {"kind", "Practice"}});
        for (const char* hidden : {"partner", "secondOpponent", "score", "result", "matchNotes"})
            EXPECT_FALSE(dialog.findChild<QWidget*>(hidden)->isVisibleTo(&dialog)) << hidden;
        PressOk(dialog);
        return dialog.result();
    });
    Client().Command(kui::CmRecordNotes);
    ASSERT_EQ(App().PlayStore().Count(), 1u);
    const PlayRecord& saved = Stored(0);
    EXPECT_EQ(saved.kind, "P");
    EXPECT_EQ(saved.result, "");
    EXPECT_EQ(saved.score, "");
    EXPECT_EQ(saved.partner, "");
    EXPECT_EQ(saved.secondOpponent, "");
    for (const kui::Message& message : Responder().Shown())
        EXPECT_NE(message.caption, "Charting");
}

// The ratings start from the latest record dated before the new one (one
// of the same day is not it), level by level, each dialog position from
// its record row; what the player sets lands in the right row, and Escape
// keeps the values shown.
TEST_F(RecordDialogsTest, RatingsStartFromTheEarlierRecordAndLandInTheirRows) {
    {
        KVR_PlayData store;
        store.AddCopy(Outing("3/1/2026", 3));
        store.AddCopy(Outing("3/10/2026", 7));
        ASSERT_EQ(store.Save(), 1);
    }
    StartWindow();
    EXPECT_EQ(kui::RatingReference(App().PlayStore(), ZBD_Date("2/1/2026")), nullptr);
    EXPECT_EQ(kui::RatingReference(App().PlayStore(), ZBD_Date("4/1/2026"))->date, "3/10/2026");

    std::vector<QString> titles;
    Responder().QueueDialog([&](QDialog& dialog) {
        Fill(dialog, kSinglesMatch); // dated 3/10/2026
        PressOk(dialog);
        return dialog.result();
    });
    const char* order[] = {"forehand", "backhand", "serve", "return", "approach", "volley"};
    const int expected[] = {3, 3, 3, 3, 4, 5}; // Approach from row 5, Volley from row 4
    for (int level = 0; level < 4; ++level)
        Responder().QueueDialog([&, level](QDialog& dialog) {
            titles.push_back(dialog.findChild<QLabel*>("level")->text());
            for (int i = 0; i < 6; ++i)
                EXPECT_EQ(dialog.findChild<QSlider*>(order[i])->value(), expected[i])
                    << level << order[i];
            auto* approach = dialog.findChild<QSlider*>("approach");
            auto* volley = dialog.findChild<QSlider*>("volley");
            QTest::keyClick(approach, Qt::Key_PageUp); // 4 -> 10
            QTest::keyClick(approach, Qt::Key_Up);     // stays at 10
            QTest::keyClick(volley, Qt::Key_PageDown); // 5 -> 0
            QTest::keyClick(volley, Qt::Key_Down);     // stays at 0
            QTest::keyClick(dialog.findChild<QSlider*>("serve"), Qt::Key_Up);
            EXPECT_EQ(dialog.findChild<QLabel*>("approachValue")->text(), "10");
            if (level == 3) {
                QTest::keyClick(&dialog, Qt::Key_Escape);
                return dialog.result();
            }
            dialog.accept();
            return dialog.result();
        });
    Responder().QueueAnswer(false);
    Client().Command(kui::CmRecordNotes);

    EXPECT_EQ(titles, (std::vector<QString>{"Level 1   Consistency", "Level 2   Placement",
                                            "Level 3   Spin", "Level 4   Power"}));
    ASSERT_EQ(App().PlayStore().Count(), 3u);
    // The new record stands before the older one of the same day.
    const PlayRecord& saved = Stored(1);
    ASSERT_EQ(saved.who, "Ann Lee");
    ASSERT_EQ(saved.kind, "M");
    for (int level = 0; level < 4; ++level) {
        const auto column = static_cast<Level>(level);
        EXPECT_EQ(saved.Rating(Stroke::Forehand, column), 3);
        EXPECT_EQ(saved.Rating(Stroke::Serve, column), 4);
        EXPECT_EQ(saved.Rating(Stroke::Approach, column), 10) << level;
        EXPECT_EQ(saved.Rating(Stroke::Volley, column), 0) << level;
    }
}

// The thirtieth record is congratulated; the thirty-first is congratulated
// again, closes the period into history.dat and opens a period of one.
TEST_F(RecordDialogsTest, ThirtiethAndThirtyFirstRecordsCloseThePeriod) {
    WritePlayFile(29);
    StartWindow();
    const QString add = "Add Play Record", ratings = "STROKE RATINGS",
                  congratulations = "Congratulations !";
    RecordThroughMenu(kSinglesMatch);
    EXPECT_EQ(App().PlayStore().Count(), 30u);
    EXPECT_EQ(Responder().DialogsRun(),
              (std::vector<QString>{add, ratings, ratings, ratings, ratings, congratulations}));
    EXPECT_FALSE(Exists("history.dat"));

    Responder().Clear();
    RecordThroughMenu(kSinglesMatch);
    EXPECT_EQ(Responder().DialogsRun(),
              (std::vector<QString>{add, congratulations, ratings, ratings, ratings, ratings}));
    ASSERT_EQ(App().PlayStore().Count(), 1u);
    EXPECT_EQ(KVR_History().CountRecords(), 30);
    KVR_PlayData reread;
    ASSERT_EQ(reread.Load(), 1);
    EXPECT_EQ(reread.Count(), 1u);
    // The first record of the new period starts every rating at 5.
    for (const auto& row : Stored(0).ratings)
        EXPECT_EQ(row, (std::array<int, 4>{5, 5, 5, 5}));
}

// A period that cannot be closed takes no 31st record: the player is told
// why and the dialog stays open with what was typed; once the history can
// be written, OK goes through.
TEST_F(RecordDialogsTest, FailedRolloverKeepsTheDialogOpen) {
    WritePlayFile(30);
    WriteFile("history.dat", Lines({KVR_History::kHeader}));
    fs::permissions("history.dat", fs::perms::owner_read | fs::perms::group_read);
    StartWindow();
    RunRecordNotes([&](TAddPlayRecordDlg& dialog) {
        Fill(dialog, kSinglesMatch);
        PressOk(dialog);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(App().PlayStore().Count(), 30u);
        ASSERT_FALSE(Responder().Shown().empty());
        EXPECT_TRUE(
            Responder().Shown().back().text.startsWith("Unable to start a new goal period"));
        EXPECT_EQ(dialog.findChild<QPlainTextEdit*>("matchNotes")->toPlainText(), "net rush");

        fs::permissions("history.dat", fs::perms::owner_write, fs::perm_options::add);
        Responder().QueueAnswer(false);
        PressOk(dialog);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    });
    EXPECT_EQ(App().PlayStore().Count(), 1u);
    EXPECT_EQ(KVR_History().CountRecords(), 30);
}

// A save that fails is told once, offers no charting, leaves memory as
// play.dat holds it and the dialog open with what was typed; OK once the
// file can be written saves the record with the ratings given before, and
// a match saved offers charting: Yes charts that match, one chart with its
// date, opponent and score.
TEST_F(RecordDialogsTest, FailedSaveIsToldAndASavedMatchIsCharted) {
    WritePlayFile(1);
    fs::permissions("play.dat", fs::perms::owner_read);
    StartWindow();
    RunRecordNotes([&](TAddPlayRecordDlg& dialog) {
        Fill(dialog, kSinglesMatch);
        PressOk(dialog);
        EXPECT_EQ(Responder().Texts(), std::vector<QString>{"Error saving data!"});
        EXPECT_EQ(Responder().Shown()[0].icon, kui::Icon::Warning);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(App().PlayStore().Count(), 1u);
        EXPECT_EQ(dialog.findChild<QPlainTextEdit*>("matchNotes")->toPlainText(), "net rush");
        EXPECT_FALSE(Exists("chart.dat"));

        fs::permissions("play.dat", fs::perms::owner_write, fs::perm_options::add);
        Responder().Clear();
        Responder().QueueAnswer(true);
        Responder().QueueDialog(ChartServesAndReturns);
        PressOk(dialog);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        ASSERT_FALSE(Responder().Shown().empty());
        EXPECT_EQ(Responder().Shown()[0].text, "Continue with Match Charting?");
        EXPECT_EQ(Responder().Shown()[0].caption, "Charting");
        EXPECT_EQ(Responder().DialogsRun(), std::vector<QString>{"CHARTING"});
    });
    KVR_PlayData reread;
    ASSERT_EQ(reread.Load(), 1);
    EXPECT_EQ(reread.Count(), 2u);
    const std::string chart = ReadFile("chart.dat");
    EXPECT_NE(chart.find("\r\n1\r\n\"3/10/2026\",\"Ann Lee\",\"6-4 6-3\",\"40\",\"25\""),
              std::string::npos)
        << chart;
}

// Counts the paints of the widgets it watches.
class PaintCounter : public QObject {
public:
    int Paints(QWidget* widget) const { return paints_.contains(widget) ? paints_.at(widget) : 0; }
    void Watch(QWidget* widget) {
        paints_[widget] = 0;
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints_[static_cast<QWidget*>(watched)];
        return false;
    }

private:
    std::map<QWidget*, int> paints_;
};

// A charted match raises the change signal once for the play records and
// once for the charts; each open view repaints once, and only the views that
// draw what changed: the notebook and the spreadsheet for the record, the
// charting notebook for the chart, not the scheduler.
TEST_F(RecordDialogsTest, AChartedMatchRepaintsEachViewOnce) {
    WritePlayFile(1);
    StartWindow();
    for (int command :
         {kui::CmBrowseNotes, kui::CmSpreadsheet, kui::CmBrowseChartingData, kui::CmScheduler})
        Client().Command(command);
    QApplication::processEvents();
    PaintCounter counter;
    std::vector<QWidget*> views;
    for (int id :
         {kui::BrowseNotesView, kui::SpreadsheetView, kui::ChartingNotesView, kui::SchedulerView}) {
        views.push_back(Client().FindView(id));
        ASSERT_NE(views.back(), nullptr) << id;
        counter.Watch(views.back());
    }
    std::vector<kui::Store> changed;
    const QMetaObject::Connection recording = QObject::connect(
        &App(), &TKvrWinApp::StoreChanged, [&](kui::Store store) { changed.push_back(store); });

    Responder().QueueDialog([](QDialog& dialog) {
        Fill(dialog, kSinglesMatch);
        PressOk(dialog);
        return dialog.result();
    });
    for (int level = 0; level < 4; ++level)
        Responder().QueueDialog([](QDialog& ratings) { return ratings.result(); });
    Responder().QueueAnswer(true);
    Responder().QueueDialog(ChartServesAndReturns);
    Client().Command(kui::CmRecordNotes);
    QObject::disconnect(recording);
    QApplication::processEvents();
    ASSERT_EQ(App().ChartStore().Count(), 1u);
    EXPECT_EQ(std::count(changed.begin(), changed.end(), kui::Store::Play), 1);
    EXPECT_EQ(std::count(changed.begin(), changed.end(), kui::Store::Chart), 1);
    EXPECT_EQ(changed.size(), 2u);
    EXPECT_EQ(counter.Paints(views[0]), 1);
    EXPECT_EQ(counter.Paints(views[1]), 1);
    EXPECT_EQ(counter.Paints(views[2]), 1);
    EXPECT_EQ(counter.Paints(views[3]), 0);
}

// An edit starts from the stored record, keeps its ratings without asking
// them again, and saves the change; a save that fails is told and changes
// nothing, and OK then tries again.
TEST_F(RecordDialogsTest, EditKeepsRatingsAndSaves) {
    {
        KVR_PlayData store;
        PlayRecord practice = Outing("3/1/2026", 8);
        practice.kind = "p";
        store.AddCopy(practice);
        ASSERT_EQ(store.Save(), 1);
    }
    const std::string file = ReadFile("play.dat");
    StartWindow();
    fs::permissions("play.dat", fs::perms::owner_read);
    RunEdit([&](TAddPlayRecordDlg& dialog) {
        EXPECT_EQ(dialog.findChild<QComboBox*>("kind")->currentText(), "Practice");
        EXPECT_EQ(dialog.findChild<QComboBox*>("singlesDoubles")->currentText(), "Singles");
        EXPECT_EQ(dialog.findChild<QComboBox*>("result")->currentIndex(), -1);
        EXPECT_EQ(dialog.findChild<TPlayerList*>("who")->currentText(), "Ann Lee");
        EXPECT_FALSE(dialog.findChild<QWidget*>("score")->isVisibleTo(&dialog));
        Fill(dialog, {{"time", "2.25"}, {"who", "bo park"}});
        // A save that fails keeps the record as play.dat holds it and the
        // form open with what was typed.
        PressOk(dialog);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(Responder().Texts(), std::vector<QString>{"Error saving data!"});
        EXPECT_EQ(Stored(0).who, "Ann Lee");
        EXPECT_EQ(Stored(0).time, "1");
        EXPECT_EQ(ReadFile("play.dat"), file);
        EXPECT_EQ(dialog.findChild<TPlayerList*>("who")->currentText(), "bo park");
        fs::permissions("play.dat", fs::perms::owner_write, fs::perm_options::add);
        PressOk(dialog);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    });
    EXPECT_EQ(Responder().DialogsRun(), std::vector<QString>{"Edit Play Record"});
    KVR_PlayData reread;
    ASSERT_EQ(reread.Load(), 1);
    ASSERT_EQ(reread.Count(), 1u);
    EXPECT_EQ(reread.At(0)->who, "Bo Park");
    EXPECT_EQ(reread.At(0)->time, "2.25");
    EXPECT_EQ(reread.At(0)->Rating(Stroke::Volley, Level::Spin), 10);
}

// Typing near a field's limit shows the characters left beside it, from
// four fifths of the limit on; what the limit refuses is said, not cut.
TEST_F(RecordDialogsTest, FieldsShowTheCharactersLeftNearTheirLimit) {
    StartWindow();
    TAddPlayRecordDlg dialog(&Client(), App().PhoneStore().Names());
    ASSERT_TRUE(ShowActive(dialog));
    auto counter = [&](const char* field) {
        QLabel* label = dialog.findChild<QWidget*>(QString::fromLatin1(field))
                            ->parentWidget()
                            ->findChild<QLabel*>(QStringLiteral("charactersLeft"));
        EXPECT_NE(label, nullptr) << field;
        return label;
    };
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_W, Qt::AltModifier);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Alexandra Whitfield"));
    ASSERT_TRUE(counter("who"));
    EXPECT_FALSE(counter("who")->isVisibleTo(&dialog)); // 19 of 24
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("s"));
    EXPECT_TRUE(counter("who")->isVisibleTo(&dialog));
    EXPECT_EQ(counter("who")->text(), QStringLiteral("4 left"));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("-Lee Jr"));
    EXPECT_EQ(counter("who")->text(), QStringLiteral("0 left"));
    EXPECT_EQ(dialog.findChild<TPlayerList*>("who")->currentText(),
              QStringLiteral("Alexandra Whitfields-Lee"));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), dialog.findChild<QPlainTextEdit*>("practiceNotes"));
    QTest::keyClicks(QApplication::focusWidget(), QString(175, QLatin1Char('x')));
    EXPECT_FALSE(counter("practiceNotes")->isVisibleTo(&dialog));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("yz"));
    EXPECT_EQ(counter("practiceNotes")->text(), QStringLiteral("42 left"));
    EXPECT_TRUE(counter("practiceNotes")->isVisibleTo(&dialog));
    EXPECT_FALSE(counter("score")->isVisibleTo(&dialog));
    // Full: what is typed more, at the end or at the start, is refused and
    // the text stays whole.
    QTest::keyClicks(QApplication::focusWidget(), QString(50, QLatin1Char('z')));
    EXPECT_EQ(counter("practiceNotes")->text(), QStringLiteral("0 left"));
    const QString full =
        QString(175, QLatin1Char('x')) + QStringLiteral("yz") + QString(42, QLatin1Char('z'));
    auto* notes = dialog.findChild<QPlainTextEdit*>("practiceNotes");
    EXPECT_EQ(notes->toPlainText(), full);
    QTest::keyClick(notes, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClicks(notes, QStringLiteral("AB"));
    EXPECT_EQ(notes->toPlainText(), full);
}

// An edited outing's ratings can be set again with "Ratings...", four
// levels from the outing's own ratings (a second time from the ones just
// set); Cancel keeps the stored ratings, OK stores the new ones.
TEST_F(RecordDialogsTest, EditedOutingRatingsCanBeSetAgain) {
    {
        KVR_PlayData store;
        store.AddCopy(Outing("3/1/2026", 8));
        ASSERT_EQ(store.Save(), 1);
    }
    const std::string saved = ReadFile("play.dat");
    StartWindow();
    // Alt+T presses "Ratings..." (an accelerator clicks a moment later):
    // at each level Forehand starts at `from` and Up raises it, Volley
    // (8 + 2) goes to 0 with Page Down, Escape goes on.
    auto pressRatings = [&](TAddPlayRecordDlg& dialog, int from) {
        for (int level = 0; level < kvr::kLevelCount; ++level)
            Responder().QueueDialog([from](QDialog& ratings) {
                auto* forehand = ratings.findChild<QSlider*>("forehand");
                EXPECT_EQ(forehand->value(), from);
                QTest::keyClick(forehand, Qt::Key_Up);
                QTest::keyClick(ratings.findChild<QSlider*>("volley"), Qt::Key_PageDown);
                QTest::keyClick(&ratings, Qt::Key_Escape);
                return ratings.result();
            });
        if (!dialog.isVisible()) {
            dialog.show();
            dialog.activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
        }
        const size_t before = Responder().DialogsRun().size();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_T, Qt::AltModifier);
        EXPECT_TRUE(QTest::qWaitFor([&] { return Responder().DialogsRun().size() == before + 4; }));
    };
    RunEdit([&](TAddPlayRecordDlg& dialog) {
        pressRatings(dialog, 8);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    });
    EXPECT_EQ(ReadFile("play.dat"), saved);
    RunEdit([&](TAddPlayRecordDlg& dialog) {
        pressRatings(dialog, 8);
        pressRatings(dialog, 9); // from the ratings just set
        PressOk(dialog);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    });
    KVR_PlayData reread;
    ASSERT_EQ(reread.Load(), 1);
    const PlayRecord& edited = *reread.At(0);
    EXPECT_EQ(edited.Rating(Stroke::Forehand, Level::Consistency), 10);
    EXPECT_EQ(edited.Rating(Stroke::Forehand, Level::Power), 10);
    EXPECT_EQ(edited.Rating(Stroke::Volley, Level::Spin), 0);
    EXPECT_EQ(edited.Rating(Stroke::Approach, Level::Placement), 9);
    EXPECT_EQ(edited.practiceNotes, "drills");
}

// An edit left untouched stores nothing, whatever the stored record holds
// beyond what the fields take (texts longer than their fields, a name in
// small letters, a partner kept on a singles record); a change typed into
// one field changes that field alone.
TEST_F(RecordDialogsTest, EditKeepsUntouchedFieldsWhole) {
    PlayRecord stored = Outing("3/1/2026");
    stored.who = "ann lee-montgomery of the club";
    stored.partner = "Bo";
    stored.time = "1.5 hours!";
    stored.practiceNotes = std::string(230, 'p');
    {
        KVR_PlayData store;
        store.AddCopy(stored);
        ASSERT_EQ(store.Save(), 1);
    }
    const std::string file = ReadFile("play.dat");
    StartWindow();
    PlayRecord& record = *App().PlayStore().At(0);
    std::filesystem::remove("play.dat");
    RunEdit([](TAddPlayRecordDlg& dialog) {
        QTest::mouseClick(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                          Qt::LeftButton);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    });
    EXPECT_FALSE(fs::exists("play.dat"));
    EXPECT_EQ(record.ToLine(), stored.ToLine());

    RunEdit([](TAddPlayRecordDlg& dialog) {
        auto* time = dialog.findChild<QLineEdit*>("time");
        time->setFocus();
        QTest::keyClick(time, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(time, "2");
        QTest::mouseClick(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                          Qt::LeftButton);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    });
    stored.time = "2";
    KVR_PlayData reread;
    ASSERT_EQ(reread.Load(), 1);
    ASSERT_EQ(reread.Count(), 1u);
    EXPECT_EQ(reread.At(0)->ToLine(), stored.ToLine());
    EXPECT_NE(file, ReadFile("play.dat"));
}

// The whole entry from the keyboard: accelerators reach their fields, the
// player list offers a name from the phone book and takes it when chosen,
// Tab moves down the form and Enter in the notes presses OK.
TEST_F(RecordDialogsTest, KeyboardAlone) {
    WriteFile("phone.dat", Lines({"ZBD Data File Format 2.5", "1",
                                  "\"Ann Lee\",\"\",\"\",\"\",\"\",\"\",\"\""}));
    StartWindow();
    RunRecordNotes([&](TAddPlayRecordDlg& dialog) {
        ASSERT_TRUE(ShowActive(dialog));
        EXPECT_EQ(QApplication::focusWidget(), dialog.findChild<QLineEdit*>("date"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), dialog.findChild<QComboBox*>("singlesDoubles"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_W, Qt::AltModifier);
        // Enter in a player list is OK too: here the name is still missing.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_EQ(Responder().Texts(), std::vector<QString>{"Who did you play?"});
        QTest::keyClicks(QApplication::focusWidget(), "an");
        // The letters typed stay as typed until the offered name is chosen.
        auto* who = dialog.findChild<TPlayerList*>("who");
        EXPECT_EQ(who->currentText(), "an");
        ASSERT_TRUE(who->Suggester()->popup()->isVisible());
        QTest::keyClick(KeyTarget(), Qt::Key_Down);
        EXPECT_EQ(who->currentText(), "an");
        QTest::keyClick(KeyTarget(), Qt::Key_Return);
        EXPECT_EQ(who->currentText(), "Ann Lee");
        EXPECT_FALSE(who->Suggester()->popup()->isVisible());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_M, Qt::AltModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_L); // Lesson
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_I, Qt::AltModifier);
        QTest::keyClicks(QApplication::focusWidget(), "1");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), dialog.findChild<QPlainTextEdit*>("practiceNotes"));
        QTest::keyClicks(QApplication::focusWidget(), "topspin");
        Responder().QueueAnswer(false);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    });
    ASSERT_EQ(App().PlayStore().Count(), 1u);
    EXPECT_EQ(Stored(0).kind, "L");
    EXPECT_EQ(Stored(0).who, "Ann Lee");
    EXPECT_EQ(Stored(0).practiceNotes, "topspin");
}

// A typed name stays as typed: the phone book's names that hold it are
// offered under the field, and neither Tab, Enter (which presses OK) nor an
// accelerator takes one; Escape closes the list.
TEST_F(RecordDialogsTest, TypedNameStaysAsTypedUntilAnOfferedNameIsChosen) {
    WriteFile("phone.dat",
              Lines({"ZBD Data File Format 2.5", "2", "\"Ann Lee\",\"\",\"\",\"\",\"\",\"\",\"\"",
                     "\"Joanna Ray\",\"\",\"\",\"\",\"\",\"\",\"\""}));
    StartWindow();
    TAddPlayRecordDlg dialog(&Client(), App().PhoneStore().Names());
    ASSERT_TRUE(ShowActive(dialog));
    auto* who = dialog.findChild<TPlayerList*>("who");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_W, Qt::AltModifier);
    QTest::keyClicks(KeyTarget(), "Ann");
    EXPECT_EQ(who->currentText(), "Ann");
    EXPECT_EQ(who->Suggestions(QStringLiteral("Ann")), (QStringList{"Ann Lee", "Joanna Ray"}));
    ASSERT_TRUE(who->Suggester()->popup()->isVisible());
    // Enter with no offered name highlighted presses OK: the time is missing.
    QTest::keyClick(KeyTarget(), Qt::Key_Return);
    EXPECT_EQ(Responder().Texts(), std::vector<QString>{"How long did you play?"});
    EXPECT_EQ(who->currentText(), "Ann");

    who->setFocus();
    QTest::keyClicks(KeyTarget(), " ");
    ASSERT_TRUE(who->Suggester()->popup()->isVisible());
    QTest::keyClick(KeyTarget(), Qt::Key_M, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), dialog.findChild<QComboBox*>("kind"));
    EXPECT_FALSE(who->Suggester()->popup()->isVisible());
    EXPECT_EQ(who->currentText(), "Ann ");

    who->setFocus();
    QTest::keyClick(KeyTarget(), Qt::Key_Backspace);
    QTest::keyClick(KeyTarget(), Qt::Key_Down);
    QTest::keyClick(KeyTarget(), Qt::Key_Escape);
    EXPECT_FALSE(who->Suggester()->popup()->isVisible());
    QTest::keyClick(KeyTarget(), Qt::Key_Tab);
    EXPECT_EQ(who->currentText(), "Ann");
}

// The list holds each name once, sorted regardless of case, from a plain
// list of stored names (an empty one left out, bytes that are no UTF-8 read
// as Windows-1252); a text in the list selects its entry, any other is
// shown as typed.
TEST_F(RecordDialogsTest, PlayerListFillsSortedNamesOnceAndShowsTheText) {
    StartApp();
    const std::vector<std::string> names{"bob", "Ann", "", "Bob", "Carl", "Zo\xEB"};
    TPlayerList list;
    list.addItem(QStringLiteral("Carl"));
    list.addItem(QStringLiteral("ann"));
    list.FillPlayers(names, QStringLiteral("Zed"));
    QStringList items;
    for (int i = 0; i < list.count(); ++i)
        items.push_back(list.itemText(i));
    EXPECT_EQ(items, (QStringList{"Ann", "ann", "Bob", "bob", "Carl", QStringLiteral("Zoë")}));
    EXPECT_EQ(list.currentIndex(), -1);
    EXPECT_EQ(list.currentText(), "Zed");
    list.FillPlayers(names, QStringLiteral("bob"));
    EXPECT_EQ(list.currentIndex(), 3);
    EXPECT_EQ(list.count(), 6);
}

// A date after today is recorded only when the player says so: No takes
// the player back to the date, Yes is asked once for that date, even when
// another check refuses the form first.
TEST_F(RecordDialogsTest, LaterDateIsRecordedOnlyWhenThePlayerSaysSo) {
    StartWindow();
    RunRecordNotes([&](TAddPlayRecordDlg& dialog) {
        ASSERT_TRUE(ShowActive(dialog));
        auto* date = dialog.findChild<QLineEdit*>("date");
        QTest::keyClicks(QApplication::focusWidget(), "4/2/2026");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_W, Qt::AltModifier);
        QTest::keyClicks(QApplication::focusWidget(), "ann lee");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_M, Qt::AltModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_P); // Practice
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_I, Qt::AltModifier);
        QTest::keyClicks(QApplication::focusWidget(), "1");
        Responder().QueueAnswer(false);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        ASSERT_EQ(Responder().Shown().size(), 1u);
        const kui::Message asked = Responder().Shown()[0];
        EXPECT_EQ(asked.kind, kui::Message::Kind::YesNo);
        EXPECT_EQ(asked.caption, "Add Play Record");
        EXPECT_EQ(asked.text,
                  "4/2/2026 is 18 days from today.\nRecord this outing on that date anyway?");
        EXPECT_EQ(QApplication::focusWidget(), date);
        EXPECT_EQ(date->selectedText(), "4/2/2026");
        // Yes, but the practice notes are missing: the date is not asked
        // again once they are given.
        Responder().Clear();
        Responder().QueueAnswer(true);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_EQ(Responder().Texts(),
                  (std::vector<QString>{asked.text, "Don't forget your Practice Notes"}));
        QTest::keyClicks(QApplication::focusWidget(), "drills");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(Responder().Shown().size(), 2u);
    });
    ASSERT_EQ(App().PlayStore().Count(), 1u);
    EXPECT_EQ(Stored(0).date, "4/2/2026");

    // Today asks nothing.
    Responder().Clear();
    RunRecordNotes([&](TAddPlayRecordDlg& dialog) {
        Fill(dialog,
             {{"who", "bo park"}, {"time", "1"}, {"kind", "Lesson"}, {"practiceNotes", "x"}});
        PressOk(dialog);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    });
    EXPECT_TRUE(Responder().Shown().empty());
    EXPECT_EQ(App().PlayStore().Count(), 2u);
}

// The form is as tall as the rows it shows: a practice or lesson leaves no
// empty space where the match's rows were, and a match grows it back.
TEST_F(RecordDialogsTest, FormIsAsTallAsTheRowsOfItsKindOfPlay) {
    StartWindow();
    RunRecordNotes([&](TAddPlayRecordDlg& dialog) {
        ASSERT_TRUE(ShowActive(dialog));
        auto* okButton = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        auto* notes = dialog.findChild<QPlainTextEdit*>("practiceNotes");
        auto gapUnderNotes = [&] {
            return okButton->mapTo(&dialog, QPoint()).y() -
                   notes->parentWidget()->mapTo(&dialog, QPoint(0, notes->height())).y();
        };
        const int matchHeight = dialog.height();
        const int matchGap = gapUnderNotes();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_M, Qt::AltModifier);
        for (Qt::Key kind : {Qt::Key_P, Qt::Key_L}) {
            QTest::keyClick(QApplication::focusWidget(), kind);
            QCoreApplication::processEvents();
            EXPECT_LT(dialog.height(), matchHeight);
            EXPECT_LE(gapUnderNotes(), matchGap);
            EXPECT_EQ(dialog.height(), dialog.sizeHint().height());
        }
        const int practiceHeight = dialog.height();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home); // Match
        QCoreApplication::processEvents();
        EXPECT_GT(dialog.height(), practiceHeight);
        EXPECT_EQ(dialog.height(), dialog.sizeHint().height());
        EXPECT_TRUE(dialog.findChild<QWidget*>("matchNotes")->isVisible());
        dialog.reject();
    });
}

} // namespace
} // namespace kvrtest
