// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/date.h"
#include "phonebook/phone_store.h"
#include "schedule/sched_store.h"
#include "support/app_fixture.h"

#include <algorithm>
#include <cstdio>

#include <QComboBox>
#include <QTableWidget>
#include <QTest>

namespace kvrtest {
namespace {

using ConflictMergeTest = AppTest;

const std::string kSchedCopy = "sched.sync-conflict-20261207-183012-ABCDEFG.dat";
const std::string kPhoneCopy = "phone (Pat's conflicted copy 2026-12-07).dat";
const std::string kPlayCopy = "play (conflicted copy 2026-12-07 183012).dat";
const std::string kCoachCopy = "coach (conflicted copy 2026-12-07 183012).dat";

bool AskedToMerge(const ScriptedResponder& responder) {
    const auto& shown = responder.Shown();
    return std::any_of(shown.begin(), shown.end(), [](const kui::Message& message) {
        return message.kind == kui::Message::Kind::Choice;
    });
}

TEST_F(ConflictMergeTest, NotNowWritesNothingMergeAddsTheMissingEventsAndTheNextStartAsksNoMore) {
    ZBD_Date::FixToday(12, 7, 2026);
    WriteCoach();
    SaveRecords<SchedClass>({MakeEvent("3/1/2026", "Ann Lee"), MakeEvent("3/8/2026", "Bob Ray")});
    ASSERT_EQ(std::rename("sched.dat", kSchedCopy.c_str()), 0);
    SaveRecords<SchedClass>({MakeEvent("3/1/2026", "Ann Lee")});
    const std::string liveSched = ReadFile("sched.dat");
    WritePlayFiles({MakePlay("11/2/2026"), MakePlay("11/5/2026", "Cy Hall")}, {});
    ASSERT_EQ(std::rename("play.dat", kPlayCopy.c_str()), 0);
    WritePlayFiles({MakePlay("11/2/2026")}, {});
    const std::string damaged = Lines({"ZBD Data File Format 2.5", "1", "no record at all"});
    WriteFile(kPhoneCopy, damaged);
    WriteFile(kCoachCopy, Lines({"Kim Park"}));

    // Not now: nothing is written, and the question comes again.
    Responder().QueueChoice(1);
    StartWindow();
    WaitForFirstPaint(Client());
    ASSERT_TRUE(AskedToMerge(Responder()));
    const kui::Message& question = Responder().Shown().back();
    EXPECT_EQ(question.buttons, (QStringList{"Merge", "Not now"}));
    EXPECT_TRUE(question.text.contains(QStringLiteral(
        "'sched.sync-conflict-20261207-183012-ABCDEFG.dat', a copy of 'sched.dat': 1 event to "
        "add, 1 already there")));
    EXPECT_TRUE(question.text.contains(QStringLiteral(
        "'phone (Pat's conflicted copy 2026-12-07).dat', a copy of 'phone.dat': could not be "
        "read (damaged)")));
    EXPECT_TRUE(question.text.contains(QStringLiteral("holds the name 'Kim Park'")));
    EXPECT_EQ(ReadFile("sched.dat"), liveSched);
    EXPECT_TRUE(Exists(kSchedCopy));
    EXPECT_FALSE(Exists("conflicts"));

    // Merge: the missing event is added and the change signal raised; the
    // readable copies go to conflicts/, the damaged one stays.
    app_.reset();
    Responder().Clear();
    Responder().QueueChoice(0);
    StartWindow();
    std::vector<kui::Store> changed;
    QObject::connect(app_.get(), &TKvrWinApp::StoreChanged,
                     [&changed](kui::Store store) { changed.push_back(store); });
    WaitForFirstPaint(Client());
    ASSERT_TRUE(AskedToMerge(Responder()));
    EXPECT_EQ(app_->SchedStore().Count(), 2u);
    EXPECT_EQ(app_->PlayStore().Count(), 2u);
    EXPECT_EQ(std::count(changed.begin(), changed.end(), kui::Store::Schedule), 1);
    // The figures after the first paint, then the merge.
    EXPECT_EQ(std::count(changed.begin(), changed.end(), kui::Store::Play), 2);
    SchedClass merged;
    ASSERT_EQ(merged.Load(), 1);
    ASSERT_EQ(merged.Count(), 2u);
    EXPECT_EQ(merged.At(1)->who, "Bob Ray");
    EXPECT_EQ(ReadFile("backups/2026-12-07/sched.dat"), liveSched);
    EXPECT_TRUE(Exists("conflicts/" + kSchedCopy));
    EXPECT_TRUE(Exists("conflicts/" + kCoachCopy));
    EXPECT_TRUE(Exists("conflicts/" + kPlayCopy));
    EXPECT_FALSE(Exists(kSchedCopy));
    EXPECT_EQ(ReadFile(kPhoneCopy), damaged);
    EXPECT_EQ(ReadFile("coach.dat"), Lines({"Pat Smith"}));
    const QString result = Responder().Shown().back().text;
    EXPECT_TRUE(result.contains(QStringLiteral(
        "'sched.sync-conflict-20261207-183012-ABCDEFG.dat': 1 event added to 'sched.dat'; the "
        "copy is kept as 'conflicts/sched.sync-conflict-20261207-183012-ABCDEFG.dat'.")));
    EXPECT_TRUE(result.contains(QStringLiteral("1 outing into the current goal period")));
    EXPECT_TRUE(result.contains(QStringLiteral("could not be read (damaged)")));

    // The next start names the damaged copy again, but has nothing to merge.
    app_.reset();
    Responder().Clear();
    StartWindow();
    WaitForFirstPaint(Client());
    EXPECT_FALSE(AskedToMerge(Responder()));
    ASSERT_EQ(Responder().Shown().size(), 1u);
    EXPECT_TRUE(Responder().Shown()[0].text.contains(QString::fromStdString(kPhoneCopy)));
    EXPECT_EQ(app_->SchedStore().Count(), 2u);
}

// A phone entry changed on the other machine is no new entry: the offer
// says so, and so does where the outings go and that a goal period closes;
// Merge shows it beside the player's own, which stays unless he chooses the
// copy's. Only what is new is added.
TEST_F(ConflictMergeTest, ADifferingEntryIsChosenSideBySideAndTheOfferSaysWhereOutingsGo) {
    ZBD_Date::FixToday(12, 7, 2026);
    WriteCoach();
    SaveRecords<KVR_PhoneData>({MakePhone("Ann Lee", "555 0101", "theirs"), MakePhone("Bo Park")});
    ASSERT_EQ(std::rename("phone.dat", kPhoneCopy.c_str()), 0);
    SaveRecords<KVR_PhoneData>({MakePhone("Ann Lee", "555 0100", "mine")});
    const std::vector<PlayRecord> period = MakePeriod(30, 11, "P");
    std::vector<PlayRecord> more = period;
    more.push_back(MakePlay("12/1/2026", "Cy Hall"));
    WritePlayFiles(more, {});
    ASSERT_EQ(std::rename("play.dat", kPlayCopy.c_str()), 0);
    WritePlayFiles(period, {});

    Responder().QueueChoice(0);
    std::vector<QString> rows;
    Responder().QueueDialog([&rows](QDialog& dialog) {
        auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("differences"));
        if (!table || table->rowCount() != 1)
            return -1;
        rows = {table->item(0, 0)->text(), table->item(0, 1)->text()};
        auto* keep = dialog.findChild<QComboBox*>(QStringLiteral("keep0"));
        if (!keep || keep->currentText() != QStringLiteral("Yours"))
            return -1;
        keep->setFocus();
        QTest::keyClick(keep, Qt::Key_Down); // the copy's
        dialog.accept();
        return dialog.result();
    });
    StartWindow();
    WaitForFirstPaint(Client());
    ASSERT_TRUE(AskedToMerge(Responder()));
    const auto& shown = Responder().Shown();
    const auto question = std::find_if(shown.begin(), shown.end(), [](const kui::Message& m) {
        return m.kind == kui::Message::Kind::Choice;
    });
    EXPECT_TRUE(question->text.contains(
        QStringLiteral("1 entry to add, 0 already there (skipped), 1 entry differing from yours")))
        << question->text.toStdString();
    EXPECT_TRUE(question->text.contains(QStringLiteral(
        "Merge would put: 1 outing into the current goal period. The current goal period would "
        "pass thirty outings, so 1 goal period of thirty would move into the history.")))
        << question->text.toStdString();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_TRUE(rows[0].contains(QStringLiteral("555 0100")));
    EXPECT_TRUE(rows[1].contains(QStringLiteral("555 0101")));

    KVR_PhoneData phones;
    ASSERT_EQ(phones.Load(), 1);
    ASSERT_EQ(phones.Count(), 2u); // Ann Lee taken from the copy, Bo Park added
    EXPECT_EQ(phones.At(0)->phoneNumber, "555 0101");
    EXPECT_EQ(phones.At(1)->name, "Bo Park");
    EXPECT_EQ(app_->PlayStore().Count(), 1u);
    // The result says what was replaced, not only what was added.
    EXPECT_TRUE(shown.back().text.contains(
        QStringLiteral("1 entry added to 'phone.dat', 1 entry of yours replaced by the copy's")))
        << shown.back().text.toStdString();
}

} // namespace
} // namespace kvrtest
