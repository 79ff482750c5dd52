#include "schedule/sched_store.h"
#include "support/temp_dir.h"

#include <string>

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;
using kvrtest::Lines;
using kvrtest::ReadFile;
using kvrtest::WriteFile;

const std::string kHeader = "ZBD Data File Format 2.0";

SchedRecord event(const std::string& date, const std::string& who, const std::string& time = "6 pm",
                  const std::string& where = "Club", const std::string& notes = "Bring balls") {
    SchedRecord record;
    record.date = date;
    record.who = who;
    record.time = time;
    record.where = where;
    record.notes = notes;
    return record;
}

class SchedStoreTest : public kvrtest::TempDirTest {};

TEST(SchedRecordTest, LineRoundTripsByteForByte) {
    const std::string lines[] = {
        R"("3/7/2001","Lee Smith","6:30 pm","City Courts, court 4","Bring "new" balls, and water")",
        R"("12/31/2089","","","","")",
        "\"1/2/2001\",\"Nul\0Byte\",\"\xff\xfe\",\""s + std::string(5000, 'x') + "\",\"\"",
    };
    for (const std::string& line : lines) {
        SchedRecord record;
        record.FromLine(line);
        EXPECT_EQ(record.ToLine(), line);
    }
    SchedRecord record;
    record.FromLine(lines[0]);
    EXPECT_EQ(record.date, "3/7/2001");
    EXPECT_EQ(record.who, "Lee Smith");
    EXPECT_EQ(record.where, "City Courts, court 4");
    EXPECT_EQ(record.notes, R"(Bring "new" balls, and water)");
}

TEST(SchedRecordTest, DateIsNormalisedAndMissingFieldsAreEmpty) {
    SchedRecord record;
    record.FromLine(R"("03/07/01","Lee")");
    EXPECT_EQ(record.date, "3/7/2001");
    EXPECT_EQ(record.who, "Lee");
    EXPECT_EQ(record.time, "");
    EXPECT_EQ(record.notes, "");
}

TEST(SchedRecordTest, QuoteBeforeCommaCannotShiftFields) {
    SchedRecord record = event("3/7/2001", R"(Lee "Ace",Smith)", "6 pm", "Club", "ok");
    SchedRecord read;
    read.FromLine(record.ToLine());
    EXPECT_EQ(read.who, R"(Lee "Ace',Smith)");
    EXPECT_EQ(read.time, "6 pm");
    EXPECT_EQ(read.where, "Club");
    EXPECT_EQ(read.notes, "ok");
}

TEST(SchedRecordTest, EqualsComparesDateWhoAndTimeOnly) {
    EXPECT_TRUE(event("5/1/2001", "Lee", "6 pm", "Club", "a")
                    .Equals(event("5/1/2001", "Lee", "6 pm", "Park", "b")));
    EXPECT_FALSE(event("5/1/2001", "Lee", "6 pm").Equals(event("5/1/2001", "Lee", "7 pm")));
    EXPECT_FALSE(event("5/1/2001", "Lee").Equals(event("5/1/2001", "Leslie")));
    EXPECT_FALSE(event("5/1/2001", "Lee").Equals(event("5/2/2001", "Lee")));
}

TEST_F(SchedStoreTest, SavesAndLoadsInDateOrder) {
    SchedClass store;
    store.AddCopy(event("5/1/2001", "Lee"));
    store.AddCopy(event("12/25/2000", "Ann"));
    store.AddCopy(event("5/1/2001", "Bob"));
    store.AddCopy(event("1/1/2001", "Cy"));
    ASSERT_EQ(store.Count(), 4u);
    EXPECT_EQ(store.At(0)->who, "Ann");
    EXPECT_EQ(store.At(1)->who, "Cy");
    EXPECT_EQ(store.At(2)->who, "Bob"); // among equal dates the one added last first
    EXPECT_EQ(store.At(3)->who, "Lee");
    ASSERT_EQ(store.Save(), 1);
    const std::string file = ReadFile("sched.dat");
    EXPECT_EQ(file, Lines({kHeader, "4", event("12/25/2000", "Ann").ToLine(),
                           event("1/1/2001", "Cy").ToLine(), event("5/1/2001", "Bob").ToLine(),
                           event("5/1/2001", "Lee").ToLine()}));

    SchedClass loaded;
    ASSERT_EQ(loaded.Load(), 1);
    ASSERT_EQ(loaded.Count(), 4u);
    EXPECT_EQ(loaded.At(0)->who, "Ann");
    EXPECT_EQ(loaded.At(1)->who, "Cy");
}

TEST_F(SchedStoreTest, FileRoundTripsByteForByte) {
    const std::string file = Lines(
        {kHeader, "3", R"("12/25/2000","Ann","9 am","Park, east","Doubles")",
         R"("1/1/2001","Cy","","","")", R"("5/1/2001","Lee","6:30 pm","Club","Bring "balls"")"});
    WriteFile("sched.dat", file);
    SchedClass store;
    ASSERT_EQ(store.Load(), 1);
    ASSERT_EQ(store.Save(), 1);
    EXPECT_EQ(ReadFile("sched.dat"), file);
}

TEST_F(SchedStoreTest, LoadNormalisesDatesAndReadsToTheEndWhateverTheCount) {
    WriteFile("sched.dat", Lines({kHeader, "999999999999999999999", R"("3/07/01","Lee")", "",
                                  R"("2/1/2001","Ann")"}));
    SchedClass store;
    ASSERT_EQ(store.Load(), 1);
    ASSERT_EQ(store.Count(), 2u);
    EXPECT_EQ(store.At(0)->who, "Ann");
    EXPECT_EQ(store.At(1)->date, "3/7/2001");
}

TEST_F(SchedStoreTest, NewerFormatIsRefusedAndOlderUnknownVersionFails) {
    WriteFile("sched.dat", Lines({"ZBD Data File Format 2.1", "1", R"("3/7/2001","Lee")"}));
    SchedClass store;
    store.AddCopy(event("1/1/2001", "Kept"));
    EXPECT_EQ(store.Load(), -2);
    EXPECT_EQ(store.Count(), 1u);
    WriteFile("sched.dat", Lines({"ZBD Data File Format 1.0", "1", R"("3/7/2001","Lee")"}));
    EXPECT_EQ(store.Load(), -1);
}

TEST_F(SchedStoreTest, RemoveTakesTheFirstEqualEvent) {
    SchedClass store;
    store.AddCopy(event("5/1/2001", "Lee", "6 pm", "Club", "first added"));
    store.AddCopy(event("5/1/2001", "Lee", "6 pm", "Park", "second added"));
    store.AddCopy(event("6/1/2001", "Ann"));
    store.Remove(nullptr);
    SchedRecord missing = event("5/1/2001", "Lee", "7 pm");
    store.Remove(&missing);
    ASSERT_EQ(store.Count(), 3u);

    SchedRecord probe = event("5/1/2001", "Lee", "6 pm", "anywhere", "anything");
    store.Remove(&probe);
    ASSERT_EQ(store.Count(), 2u);
    EXPECT_EQ(store.At(0)->notes, "first added");
    store.Remove(store.At(0)); // an event of the store itself
    ASSERT_EQ(store.Count(), 1u);
    EXPECT_EQ(store.At(0)->who, "Ann");
}

class SchedFindTest : public SchedStoreTest {
protected:
    void SetUp() override {
        SchedStoreTest::SetUp();
        store.AddCopy(event("1/15/2001", "Lee Early"));
        store.AddCopy(event("5/1/2001", "Leslie"));
        store.AddCopy(event("5/1/2001", "Lee")); // stands before Leslie
        store.AddCopy(event("5/3/2001", "Tournament Lee"));
        store.AddCopy(event("6/9/2001", "Lee Late"));
    }
    SchedClass store;
};

TEST_F(SchedFindTest, ContinuesFromTheEventFoundLastAndStartsOverOnAnyChange) {
    const ZBD_Date jan1("1/1/2001");
    SchedRecord* first = store.Find("le", ZBD_Date("2/1/2001"), SchedClass::kForward);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->who, "Lee"); // the name is capitalised first
    EXPECT_EQ(store.lastName, "Le");
    EXPECT_EQ(store.lastDate.Text(), "5/1/2001");
    EXPECT_EQ(store.lastFound, first);

    // Same search from the date found last: the next match.
    SchedRecord* second = store.Find("Le", store.lastDate, SchedClass::kForward);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->who, "Leslie");
    // From another date: starts over.
    SchedRecord* again = store.Find("Le", ZBD_Date("2/1/2001"), SchedClass::kForward);
    EXPECT_EQ(again, first);

    // Continuing forward walks on across dates; the name must start who.
    std::string seen;
    for (SchedRecord* e = store.Find("Lee", jan1, SchedClass::kForward); e;
         e = store.Find("Lee", store.lastDate, SchedClass::kForward))
        seen += e->who + ";";
    EXPECT_EQ(seen, "Lee Early;Lee;Lee Late;");
    EXPECT_EQ(store.lastName, "Lee"); // a failed search keeps the state
    EXPECT_EQ(store.lastDate.Text(), "6/9/2001");
}

TEST_F(SchedFindTest, BackwardStartsAtTheFirstEventOnOrAfterTheDate) {
    SchedRecord* last = store.Find("Lee", ZBD_Date("12/1/2001"), SchedClass::kBackward);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->who, "Lee Late");
    EXPECT_EQ(store.lastDirection, SchedClass::kBackward);
    std::string seen = last->who + ";";
    while (SchedRecord* e = store.Find("Lee", store.lastDate, SchedClass::kBackward))
        seen += e->who + ";";
    EXPECT_EQ(seen, "Lee Late;Lee;Lee Early;");

    // Starting from a day that holds an event includes that event.
    SchedRecord* onDay = store.Find("Lee Late", ZBD_Date("6/9/2001"), SchedClass::kBackward);
    ASSERT_NE(onDay, nullptr);
    EXPECT_EQ(onDay->who, "Lee Late");
    // Changing the direction starts over.
    SchedRecord* forward = store.Find("Lee Late", store.lastDate, SchedClass::kForward);
    EXPECT_EQ(forward, onDay);
    EXPECT_EQ(store.Find("Lee Late", store.lastDate, SchedClass::kForward), nullptr);
}

TEST_F(SchedFindTest, EmptyNameOrEmptyStoreFindsNothingAndKeepsTheState) {
    SchedRecord* found = store.Find("Lee L", ZBD_Date("1/1/2001"), SchedClass::kForward);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(store.Find("", ZBD_Date("1/1/2001"), SchedClass::kBackward), nullptr);
    EXPECT_EQ(store.lastFound, found);
    EXPECT_EQ(store.lastName, "Lee L");
    EXPECT_EQ(store.lastDirection, SchedClass::kForward);

    EXPECT_EQ(store.Find("Nobody", ZBD_Date("1/1/2001"), SchedClass::kForward), nullptr);
    EXPECT_EQ(store.lastFound, nullptr); // the changed name reset the search
    EXPECT_EQ(store.lastName, "");
    EXPECT_EQ(store.lastDate.Text(), "1/1/1999");

    SchedClass empty;
    EXPECT_EQ(empty.Find("Lee", ZBD_Date("1/1/2001"), SchedClass::kBackward), nullptr);
    EXPECT_EQ(empty.Find("Lee", ZBD_Date("garbage"), SchedClass::kForward), nullptr);
}

TEST_F(SchedFindTest, DestroyingTheEventFoundLastForgetsIt) {
    SchedRecord* found = store.Find("Leslie", ZBD_Date("1/1/2001"), SchedClass::kForward);
    ASSERT_NE(found, nullptr);
    store.Remove(found);
    EXPECT_EQ(store.lastFound, nullptr);
    EXPECT_EQ(store.lastName, "Leslie"); // the rest of the state stays

    // A new event, wherever it is allocated, is never taken for the old one.
    store.AddCopy(event("5/1/2001", "Leslie", "8 pm"));
    SchedRecord* next = store.Find("Leslie", store.lastDate, SchedClass::kForward);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->time, "8 pm");

    store.Clear();
    EXPECT_EQ(store.lastFound, nullptr);
}

TEST_F(SchedStoreTest, UpgradesAHeaderlessFile) {
    WriteFile("sched.dat", Lines({"2", "lee smith", "03/07/01", "6 pm", "Club, court 2", "", "Ann",
                                  "2/1/2001", "9 am", "Park", "Doubles"}));
    SchedClass store;
    EXPECT_EQ(store.Load(), 2);
    ASSERT_EQ(store.Count(), 2u);
    EXPECT_EQ(store.At(0)->who, "Ann");
    EXPECT_EQ(store.At(1)->who, "lee smith");
    EXPECT_EQ(store.At(1)->date, "03/07/01"); // as read; normalised at the next load
    EXPECT_EQ(store.At(1)->where, "Club, court 2");
    EXPECT_EQ(store.At(1)->notes, "");
    EXPECT_EQ(ReadFile("sched.dat"),
              Lines({kHeader, "2", R"("2/1/2001","Ann","9 am","Park","Doubles")",
                     R"("03/07/01","lee smith","6 pm","Club, court 2","")"}));

    SchedClass reloaded;
    ASSERT_EQ(reloaded.Load(), 1);
    EXPECT_EQ(reloaded.At(1)->date, "3/7/2001");
}

TEST_F(SchedStoreTest, UpgradeStopsAtTheEndOfTheFileAndKeepsAShortLastEvent) {
    WriteFile("sched.dat",
              Lines({"4000000000", "Ann", "2/1/2001", "9 am", "Park", "x", "Lee", "3/7/2001"}));
    SchedClass store;
    EXPECT_EQ(store.Load(), 2);
    ASSERT_EQ(store.Count(), 2u);
    EXPECT_EQ(store.At(1)->who, "Lee");
    EXPECT_EQ(store.At(1)->time, "");
}

TEST_F(SchedStoreTest, UpgradeLeavesADamagedFileAlone) {
    const std::string damaged = Lines({"ZBD Data File Fo rmat 2.0", "1", R"("3/7/2001","Lee")"});
    WriteFile("sched.dat", damaged);
    SchedClass store;
    EXPECT_EQ(store.Load(), -1);
    EXPECT_EQ(store.Count(), 0u);
    EXPECT_EQ(ReadFile("sched.dat"), damaged);
}

} // namespace
