// SPDX-License-Identifier: GPL-3.0-or-later
#include "schedule/sched_store.h"
#include "support/records.h"
#include "support/temp_dir.h"

#include <memory>
#include <string>

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;
using kvrtest::Lines;
using kvrtest::MakeEvent;
using kvrtest::ReadFile;
using kvrtest::WriteFile;

const std::string kHeader = "ZBD Data File Format 2.0";

class SchedStoreTest : public kvrtest::TempDirTest {};

TEST(SchedRecordTest, LinesRoundTripByteForByte) {
    const std::string lines[] = {
        R"("3/7/2001","Lee Smith","6:30 pm","Courts, court 4","Bring "new" balls, and water")",
        "\"1/2/2001\",\"Nul\0Byte\",\"\xff\xfe\",\""s + std::string(5000, 'x') + "\",\"\"",
    };
    for (const std::string& line : lines) {
        SchedRecord record;
        record.FromLine(line);
        EXPECT_EQ(record.ToLine(), line);
    }
    SchedRecord record;
    record.FromLine(R"("03/07/01","Lee")");
    EXPECT_EQ(record.ToLine(), R"("3/7/2001","Lee","","","")");

    // A quote before a comma inside a text would end the field early.
    record.who = R"(Lee "Ace",Smith)";
    SchedRecord read;
    read.FromLine(record.ToLine());
    EXPECT_EQ(read.who, R"(Lee "Ace',Smith)");
    EXPECT_EQ(read.ToLine(), record.ToLine());
}

TEST_F(SchedStoreTest, FileRoundTripsAndLoadReadsToTheEndWhateverTheCount) {
    const std::string file = Lines(
        {kHeader, "3", R"("12/25/2000","Ann","9 am","Park, east","Doubles")",
         R"("1/1/2001","Cy","","","")", R"("5/1/2001","Lee","6:30 pm","Club","Bring "balls"")"});
    WriteFile("sched.dat", file);
    SchedClass store;
    ASSERT_EQ(store.Load(), 1);
    ASSERT_EQ(store.Save(), 1);
    EXPECT_EQ(ReadFile("sched.dat"), file);

    WriteFile("sched.dat", Lines({kHeader, "99999999999999999999", R"("3/07/01","Lee","","","")",
                                  "", R"("2/1/2001","Ann","","","")"}));
    // Every record is read; a count above the lines held is a file cut short.
    ASSERT_EQ(store.Load(), -1);
    ASSERT_EQ(store.Count(), 2u);
    EXPECT_EQ(store.At(0)->who, "Ann");
    EXPECT_EQ(store.At(1)->date, "3/7/2001");
}

TEST_F(SchedStoreTest, RemoveTakesTheFirstEqualEvent) {
    SchedClass store;
    store.AddCopy(MakeEvent("5/1/2001", "Lee", "6 pm", "added first"));
    store.AddCopy(MakeEvent("5/1/2001", "Lee", "6 pm", "added second"));
    store.AddCopy(MakeEvent("6/1/2001", "Ann"));
    SchedRecord otherTime = MakeEvent("5/1/2001", "Lee", "7 pm");
    store.Remove(&otherTime);
    store.Remove(nullptr);
    ASSERT_EQ(store.Count(), 3u);

    SchedRecord probe = MakeEvent("5/1/2001", "Lee", "6 pm", "notes differ");
    store.Remove(&probe);
    ASSERT_EQ(store.Count(), 2u);
    EXPECT_EQ(store.At(0)->notes, "added first");
}

// Take picks the event itself out of the list, not the first one equal to
// it, and PutBack returns it to its place: the list is as it was.
TEST_F(SchedStoreTest, TakeAndPutBackMoveExactlyTheEventGiven) {
    SchedClass store;
    store.AddCopy(MakeEvent("5/1/2001", "Lee", "6 pm", "second"));
    store.AddCopy(MakeEvent("5/1/2001", "Lee", "6 pm", "first"));
    store.AddCopy(MakeEvent("6/1/2001", "Bo", "7 pm", "later"));
    SchedRecord* second = store.At(1);
    ASSERT_EQ(second->notes, "second");
    store.lastFound = second;
    int index = -1;
    std::unique_ptr<SchedRecord> taken = store.Take(second, index);
    EXPECT_EQ(taken.get(), second);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(store.lastFound, nullptr);
    ASSERT_EQ(store.Count(), 2u);
    EXPECT_EQ(store.At(0)->notes, "first");
    store.PutBack(std::move(taken), index);
    ASSERT_EQ(store.Count(), 3u);
    EXPECT_EQ(store.At(1), second);
    EXPECT_EQ(store.At(2)->notes, "later");

    SchedRecord stranger = *second;
    EXPECT_EQ(store.Take(&stranger, index), nullptr);
    EXPECT_EQ(index, -1);
    EXPECT_EQ(store.Take(nullptr, index), nullptr);
    EXPECT_EQ(store.Count(), 3u);
}

class SchedFindTest : public SchedStoreTest {
protected:
    void SetUp() override {
        SchedStoreTest::SetUp();
        store.AddCopy(MakeEvent("1/15/2001", "Lee Early"));
        store.AddCopy(MakeEvent("5/1/2001", "Leslie"));
        store.AddCopy(MakeEvent("5/1/2001", "Lee")); // stands before Leslie
        store.AddCopy(MakeEvent("5/3/2001", "Tournament Lee"));
        store.AddCopy(MakeEvent("6/9/2001", "Lee Late"));
    }

    // Runs a search and repeats it from the date found last until it fails.
    std::string SearchAll(const std::string& name, const char* from, int direction) {
        std::string seen;
        for (SchedRecord* e = store.Find(name, ZBD_Date(from), direction); e;
             e = store.Find(name, store.lastDate, direction))
            seen += e->who + ";";
        return seen;
    }

    SchedClass store;
};

TEST_F(SchedFindTest, ContinuesFromTheEventFoundLastAndStartsOverOnAnyChange) {
    SchedRecord* first = store.Find("le", ZBD_Date("2/1/2001"), SchedClass::kForward);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->who, "Lee"); // the name is capitalised first
    EXPECT_EQ(store.lastName, "Le");
    EXPECT_EQ(store.lastDate.Text(), "5/1/2001");
    EXPECT_EQ(store.Find("Le", store.lastDate, SchedClass::kForward)->who, "Leslie");
    EXPECT_EQ(store.Find("Le", ZBD_Date("2/1/2001"), SchedClass::kForward), first);

    // The name may stand anywhere in who; a failed search keeps the state.
    EXPECT_EQ(SearchAll("Lee", "1/1/2001", SchedClass::kForward),
              "Lee Early;Lee;Tournament Lee;Lee Late;");
    EXPECT_EQ(store.lastName, "Lee");
    EXPECT_EQ(store.lastDate.Text(), "6/9/2001");
    // Backward starts at the first event on or after the date.
    EXPECT_EQ(SearchAll("Lee", "12/1/2001", SchedClass::kBackward),
              "Lee Late;Tournament Lee;Lee;Lee Early;");
    EXPECT_EQ(SearchAll("Lee L", "6/9/2001", SchedClass::kBackward), "Lee Late;");
    // Changing the direction starts over.
    EXPECT_EQ(store.Find("Lee L", store.lastDate, SchedClass::kForward)->who, "Lee Late");
}

TEST_F(SchedFindTest, EmptyNameKeepsTheStateAndNoMatchResetsIt) {
    SchedRecord* found = store.Find("Leslie", ZBD_Date("1/1/2001"), SchedClass::kForward);
    EXPECT_EQ(store.Find("", ZBD_Date("1/1/2001"), SchedClass::kBackward), nullptr);
    EXPECT_EQ(store.lastFound, found);
    EXPECT_EQ(store.lastName, "Leslie");

    EXPECT_EQ(store.Find("Nobody", ZBD_Date("garbage"), SchedClass::kBackward), nullptr);
    EXPECT_EQ(store.lastFound, nullptr);
    EXPECT_EQ(store.lastName, "");
    EXPECT_EQ(store.lastDirection, SchedClass::kForward);
    EXPECT_EQ(store.lastDate.Text(), "1/1/1999");
    SchedClass empty;
    EXPECT_EQ(empty.Find("Lee", ZBD_Date("1/1/2001"), SchedClass::kBackward), nullptr);
}

TEST_F(SchedFindTest, ANewEventIsNeverTakenForARemovedOne) {
    SchedRecord* found = store.Find("Leslie", ZBD_Date("1/1/2001"), SchedClass::kForward);
    store.Remove(found);
    EXPECT_EQ(store.lastFound, nullptr);
    EXPECT_EQ(store.lastName, "Leslie");
    // The allocator may well give the new event the removed one's address.
    store.AddCopy(MakeEvent("5/1/2001", "Leslie", "8 pm"));
    SchedRecord* next = store.Find("Leslie", store.lastDate, SchedClass::kForward);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->time, "8 pm");
}

// The same through the base store, whose RemoveAt, Clear and Load know
// nothing of the search: removing another event keeps the event found last,
// removing it, clearing or loading forgets it.
TEST_F(SchedFindTest, RemovalsThroughTheBaseStoreForgetTheEventFoundLast) {
    ZBD_Data<SchedRecord>& base = store;
    const SchedRecord* found = store.Find("Leslie", ZBD_Date("1/1/2001"), SchedClass::kForward);
    ASSERT_EQ(store.At(0)->who, "Lee Early");
    base.RemoveAt(0);
    EXPECT_EQ(store.lastFound, found);
    base.RemoveAt(99);
    EXPECT_EQ(store.lastFound, found);
    int at = 0;
    while (store.At(at) != found)
        ++at;
    base.RemoveAt(at);
    EXPECT_EQ(store.lastFound, nullptr);

    ASSERT_EQ(base.Save(), 1);
    ASSERT_NE(store.Find("Lee", ZBD_Date("1/1/2001"), SchedClass::kForward), nullptr);
    EXPECT_EQ(base.Load(), 1);
    EXPECT_EQ(store.lastFound, nullptr);
    ASSERT_NE(store.Find("Lee", ZBD_Date("1/1/2001"), SchedClass::kForward), nullptr);
    base.Clear();
    EXPECT_EQ(store.lastFound, nullptr);
}

TEST_F(SchedStoreTest, UpgradesAHeaderlessFile) {
    WriteFile("sched.dat", Lines({"2", "lee smith", "03/07/01", "6 pm", "Club, court 2", "", "Ann",
                                  "2/1/2001", "9 am", "Park", "Doubles"}));
    SchedClass store;
    EXPECT_EQ(store.Load(), 2);
    EXPECT_EQ(ReadFile("sched.dat"),
              Lines({kHeader, "2", R"("2/1/2001","Ann","9 am","Park","Doubles")",
                     R"("03/07/01","lee smith","6 pm","Club, court 2","")"}));
    ASSERT_EQ(store.Load(), 1);
    EXPECT_EQ(store.At(1)->date, "3/7/2001");

    // The end of the file stops the reading; a short last event keeps its fields.
    WriteFile("sched.dat",
              Lines({"4000000000", "Ann", "2/1/2001", "9 am", "Park", "", "Lee", "3/7/2001"}));
    EXPECT_EQ(store.Load(), 2);
    EXPECT_EQ(store.At(1)->who, "Lee");
    EXPECT_EQ(store.At(1)->time, "");

    // A first line that is no count is damage, not an old file: left alone.
    const std::string damaged = Lines({"ZBD Data File Fo rmat 2.0", "1", R"("3/7/2001","Lee")"});
    WriteFile("sched.dat", damaged);
    EXPECT_EQ(store.Load(), -1);
    EXPECT_EQ(ReadFile("sched.dat"), damaged);
    WriteFile("sched.dat", Lines({"ZBD Data File Format 1.0", "0"}));
    EXPECT_EQ(store.Load(), -1);
}

} // namespace
