// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/date.h"
#include "schedule/sched_store.h"
#include "support/app_fixture.h"

#include <algorithm>
#include <cstdio>

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

} // namespace
} // namespace kvrtest
