// SPDX-License-Identifier: GPL-3.0-or-later
// A change of the play data: planned without files, committed as one
// change, and held while one that could not be finished waits.

#include "core/history.h"
#include "core/outing_import.h"
#include "core/play_change.h"
#include "core/play_store.h"
#include "support/records.h"
#include "support/temp_dir.h"

#include <filesystem>

#include <gtest/gtest.h>

namespace {

using kvrtest::Exists;
using kvrtest::ReadFile;
using kvrtest::WriteFile;
using Strings = std::vector<std::string>;

PlayRecord Outing(int month, int day, const std::string& who) {
    return kvrtest::MakePlay(ZBD_Date(month, day, 2026).Text(), who);
}

Strings Whos(const std::vector<PlayRecord>& records) {
    Strings whos;
    for (const PlayRecord& record : records)
        whos.push_back(record.who);
    return whos;
}

Strings HistoryWhos(const std::vector<std::string>& lines) {
    Strings whos;
    for (const std::string& line : lines) {
        PlayRecord record;
        record.FromLine(line);
        whos.push_back(record.who);
    }
    return whos;
}

// Ten outings in March, a history of two; a batch of 70: two older than the
// period, 68 at or after its start. 78 in the period close two periods of
// thirty, eighteen remain. The history stays newest first with its own lines
// byte for byte; an outing goes before those of its date already there, and
// the same outing twice in a batch is kept twice (duplicates are dropped
// before the plan, as an import reads them).
TEST(PlayChangePlan, PlacesOutingsClosesFullPeriodsAndKeepsTheHistory) {
    std::vector<PlayRecord> march;
    for (int day = 1; day <= 10; ++day)
        march.push_back(Outing(3, day, "P" + std::to_string(day)));
    std::vector<const PlayRecord*> period;
    for (const PlayRecord& record : march)
        period.push_back(&record);
    const std::string pastLine = Outing(1, 10, "H1").ToHistoryLine() + " ";
    const Strings history = {Outing(2, 10, "H2").ToHistoryLine(), pastLine};

    std::vector<PlayRecord> batch = {Outing(2, 1, "Old2"), Outing(1, 1, "Old1"),
                                     Outing(3, 5, "Same"), Outing(3, 5, "Same")};
    for (int n = 0; n < 66; ++n)
        batch.push_back(Outing(4 + n / 28, 1 + n % 28, "N" + std::to_string(n)));
    const kvr::PlayPlan plan = kvr::PlanPlayChange(period, history, batch, false);

    EXPECT_EQ(plan.toHistory, 2u);
    EXPECT_EQ(plan.toPeriod, 68u);
    EXPECT_EQ(plan.periodsClosed, 2);
    EXPECT_FALSE(plan.periodComplete);
    EXPECT_TRUE(plan.historyChanges);
    ASSERT_EQ(plan.period.size(), 18u);
    EXPECT_EQ(plan.period.front().who, "N48");
    EXPECT_EQ(plan.period.back().who, "N65");
    ASSERT_EQ(plan.history.size(), 64u);
    const Strings whos = HistoryWhos(plan.history);
    EXPECT_EQ(whos.front(), "N47");
    EXPECT_EQ(Strings(whos.end() - 4, whos.end()), (Strings{"H2", "Old2", "H1", "Old1"}));
    EXPECT_EQ(plan.history[plan.history.size() - 2], pastLine);
    // March 5: both copies of the batch's outing, before the period's own.
    const auto fifth = std::find(whos.begin(), whos.end(), "P5");
    ASSERT_NE(fifth, whos.end());
    EXPECT_EQ(Strings(fifth, fifth + 3), (Strings{"P5", "Same", "Same"}));
    for (size_t i = 1; i < plan.history.size(); ++i)
        EXPECT_GE(KVR_History::SortDay(plan.history[i - 1]), KVR_History::SortDay(plan.history[i]));

    // A batch inside the period, under thirty: the history is left alone.
    const kvr::PlayPlan small = kvr::PlanPlayChange(period, history, {Outing(3, 20, "A")}, false);
    EXPECT_FALSE(small.historyChanges);
    EXPECT_EQ(small.history, history);
    EXPECT_EQ(Whos(small.period).back(), "A");

    // A new goal period: everything goes, nothing stays.
    const kvr::PlayPlan closing = kvr::PlanPlayChange(period, history, {}, true);
    EXPECT_TRUE(closing.period.empty());
    EXPECT_EQ(closing.history.size(), 12u);
    EXPECT_EQ(HistoryWhos(closing.history).front(), "P10");

    // An empty period starts after the history's newest outing, or where
    // the source says; the outings before it go to the history.
    const std::vector<PlayRecord> log = {Outing(2, 5, "Feb"), Outing(2, 20, "Later")};
    const kvr::PlayPlan afterHistory = kvr::PlanPlayChange({}, history, log, false);
    EXPECT_EQ(Whos(afterHistory.period), (Strings{"Later"}));
    EXPECT_EQ(afterHistory.toHistory, 1u);
    const kvr::PlayPlan fromSource =
        kvr::PlanPlayChange({}, history, log, false, ZBD_Date(2, 1, 2026).DayNumber());
    EXPECT_EQ(Whos(fromSource.period), (Strings{"Feb", "Later"}));
    EXPECT_FALSE(fromSource.historyChanges);
}

class PlayChangeTest : public kvrtest::TempDirTest {};

// A change cut short before its mark is dropped at the next start; one cut
// short after it is finished, whatever play.dat holds by then. A recovery
// that fails holds both files: no save, no goal period, no import, until a
// start finishes it.
TEST_F(PlayChangeTest, TheMarkAloneDecidesAndHoldsTheFilesUntilFinished) {
    std::vector<PlayRecord> period;
    for (int day = 1; day <= 3; ++day)
        period.push_back(Outing(3, day, "P" + std::to_string(day)));
    kvrtest::WritePlayFiles(period, {Outing(1, 5, "Past")});
    const std::string play = ReadFile("play.dat");
    const std::string history = ReadFile("history.dat");

    // Staged, not decided.
    WriteFile("history.staged", "a new history");
    WriteFile("play.staged", "a new period");
    EXPECT_EQ(KVR_PlayData::RecoverInterruptedChange(), 0);
    EXPECT_FALSE(Exists("history.staged"));
    EXPECT_FALSE(Exists("play.staged"));
    EXPECT_EQ(ReadFile("play.dat"), play);

    // Decided, with history.dat read-only: the finish fails and waits.
    KVR_PlayData store;
    ASSERT_EQ(store.Load(), 1);
    std::filesystem::permissions("history.dat", std::filesystem::perms::owner_read);
    {
        // What a new goal period stages, cut short at its first rename.
        std::vector<const PlayRecord*> current;
        for (unsigned i = 0; i < store.Count(); ++i)
            current.push_back(store.At(static_cast<int>(i)));
        const kvr::PlayPlan plan =
            kvr::PlanPlayChange(current, {Outing(1, 5, "Past").ToHistoryLine()}, {}, true);
        WriteFile("history.staged", kvr::HistoryFileText(plan));
        WriteFile("play.staged", kvr::PlayFileText(plan, 2.0f));
        WriteFile("play.commit", "goal period\r\n");
    }
    EXPECT_EQ(KVR_PlayData::RecoverInterruptedChange(), -1);
    const auto pending = kvr::FindPendingPlayChange();
    ASSERT_TRUE(pending);
    EXPECT_EQ(pending->kind, kvr::PlayChangeKind::GoalPeriod);
    ASSERT_EQ(pending->waiting.size(), 2u);
    EXPECT_STREQ(pending->waiting[0].staged, "history.staged");

    // Nothing writes the two files meanwhile, and play.dat holding records
    // changes nothing of the decision.
    EXPECT_TRUE(store.WritesHeld());
    EXPECT_EQ(store.Commit(kvr::Added(Outing(3, 9, "Typed"))), 0);
    EXPECT_EQ(store.Count(), 3u);
    EXPECT_EQ(store.StartNewGoalPeriod(), -1);
    EXPECT_EQ(kvr::AddOutings(store, {Outing(1, 1, "Old")}).result,
              kvr::PlacedOutings::Result::Failed);
    EXPECT_EQ(store.History().SortByDate(), -1);
    EXPECT_EQ(ReadFile("play.dat"), play);
    EXPECT_EQ(ReadFile("history.dat"), history);

    std::filesystem::permissions("history.dat", std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    EXPECT_EQ(KVR_PlayData::RecoverInterruptedChange(), 1);
    EXPECT_FALSE(kvr::PlayChangePending());
    KVR_PlayData after;
    ASSERT_EQ(after.Load(), 1);
    EXPECT_EQ(after.Count(), 0u);
    KVR_History reader;
    Strings whos;
    while (reader.ReadNext() == 1)
        whos.push_back(reader.Current().who);
    EXPECT_EQ(whos, (Strings{"P3", "P2", "P1", "Past"}));
    EXPECT_EQ(KVR_PlayData::RecoverInterruptedChange(), 0);
}

} // namespace
