// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/play_store.h"
#include "phonebook/phone_store.h"
#include "play/statistics.h"
#include "support/records.h"
#include "support/temp_dir.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using kvrtest::Lines;
using kvrtest::MakePhone;
using kvrtest::ReadFile;
using kvrtest::WriteFile;

constexpr const char* kHeader = "ZBD Data File Format 2.5";

std::vector<std::string> names(const KVR_PhoneData& book) {
    std::vector<std::string> result;
    for (unsigned i = 0; i < book.Count(); ++i)
        result.push_back(book.At(static_cast<int>(i))->name);
    return result;
}

using PhoneStoreTest = kvrtest::TempDirTest;

TEST_F(PhoneStoreTest, SavesInByteOrderOfNamesAndReadsBack) {
    KVR_PhoneData book;
    book.AddCopy(MakePhone("adam", "555-0101"));
    PhoneRecord zoe = MakePhone("Zoe", "555 0202", "Left-handed lob, \"moon\" balls");
    zoe.rating = "4.5";
    zoe.playingSide = "L";
    zoe.playingStyle = "A";
    zoe.backhandStyle = "1";
    zoe.stats.lastPlayed = "1/2/2026"; // never written
    book.AddCopy(zoe);
    book.AddCopy(MakePhone("Bob"));
    EXPECT_EQ(names(book), (std::vector<std::string>{"Bob", "Zoe", "adam"}));
    ASSERT_EQ(book.Save(), 1);
    EXPECT_EQ(ReadFile("phone.dat"),
              Lines({kHeader, "3", R"("Bob","","","","","","")",
                     R"("Zoe","555 0202","4.5","L","A","1","Left-handed lob, "moon" balls")",
                     R"("adam","555-0101","","","","","")"}));

    KVR_PhoneData loaded;
    ASSERT_EQ(loaded.Load(), 1);
    ASSERT_EQ(loaded.Count(), 3u);
    const PhoneRecord& read = *loaded.At(1);
    EXPECT_EQ(read.name, "Zoe");
    EXPECT_EQ(read.phoneNumber, "555 0202");
    EXPECT_EQ(read.rating, "4.5");
    EXPECT_EQ(read.playingSide, "L");
    EXPECT_EQ(read.playingStyle, "A");
    EXPECT_EQ(read.backhandStyle, "1");
    EXPECT_EQ(read.notes, "Left-handed lob, \"moon\" balls");
    EXPECT_TRUE(read.stats.lastPlayed.empty());
}

TEST_F(PhoneStoreTest, ShortLinesReadAsEmptyFieldsAndEqualityIsNameAndPhone) {
    // A short line is no record of phone.dat (a record cut short): the load
    // is a damaged one, and the rebuild reads it with its missing fields
    // empty.
    WriteFile("phone.dat", Lines({kHeader, "2", R"("Cy","555")", "", R"("Al")"}));
    KVR_PhoneData book;
    ASSERT_EQ(book.Load(), -1);
    EXPECT_EQ(book.Count(), 0u);
    WriteFile("phone.dat", Lines({kHeader, "2", MakePhone("Cy", "555", "").ToLine(), "",
                                  R"("Al","","","","","","")"}));
    ASSERT_EQ(book.Load(), 1);
    ASSERT_EQ(book.Count(), 2u);
    EXPECT_EQ(book.At(1)->phoneNumber, "555");
    EXPECT_EQ(book.At(1)->notes, "");

    PhoneRecord a = MakePhone("Al", "1", "one note");
    PhoneRecord b = MakePhone("Al", "1", "another");
    EXPECT_TRUE(a.Equals(b));
    b.phoneNumber = "2";
    EXPECT_FALSE(a.Equals(b));

    PhoneRecord copy = MakePhone("x", "y", "z");
    copy.rating = "3.0";
    a.stats.winLossRecord = "1 - 0 - 0";
    copy.Assign(a);
    EXPECT_EQ(copy.name, "Al");
    EXPECT_EQ(copy.rating, "");
    EXPECT_EQ(copy.notes, "one note");
    EXPECT_EQ(copy.stats.winLossRecord, "1 - 0 - 0");
}

TEST_F(PhoneStoreTest, FindNextSkipsTheShownEntryAndWraps) {
    KVR_PhoneData book;
    EXPECT_EQ(book.FindNext("Al", 0), -1);
    book.AddCopy(MakePhone("Al"));
    EXPECT_EQ(book.FindNext("Al", 0), -1); // one entry never finds anything
    for (const char* name : {"Alan Smith", "Bea", "alex"})
        book.AddCopy(MakePhone(name));
    ASSERT_EQ(names(book), (std::vector<std::string>{"Al", "Alan Smith", "Bea", "alex"}));

    EXPECT_EQ(book.FindNext("al", 0), 1);     // searched as "Al"
    EXPECT_EQ(book.FindNext("al", 1), 3);     // "alex" too: case is ignored
    EXPECT_EQ(book.FindNext("al", 3), 0);     // wraps
    EXPECT_EQ(book.FindNext("alan s", 0), 1); // every word capitalised
    EXPECT_EQ(book.FindNext("Bea", 2), -1);   // only the entry shown
    EXPECT_EQ(book.FindNext("", 0), -1);
    EXPECT_EQ(book.FindNext("Be", -1), 2);   // nothing shown: all tested
    EXPECT_EQ(book.FindNext("smith", 2), 1); // anywhere in the name
    EXPECT_EQ(book.FindNext("Al", 99), 0);
}

TEST_F(PhoneStoreTest, VersionZeroFileIsConvertedAndRewritten) {
    WriteFile("phone.dat", Lines({"3", "Zed", "555-1", "Plays \"hard\"", "x", "y", "Amy", "555-2",
                                  "", "x", "y", "Kim", "", "Lefty", "x", "y"}));
    KVR_PhoneData book;
    ASSERT_EQ(book.Load(), 1);
    ASSERT_EQ(names(book), (std::vector<std::string>{"Amy", "Kim", "Zed"}));
    EXPECT_EQ(book.At(2)->phoneNumber, "555-1");
    EXPECT_EQ(book.At(1)->notes, "Lefty");
    EXPECT_EQ(ReadFile("phone.dat"), Lines({kHeader, "3", R"("Amy","555-2","","","","","")",
                                            R"("Kim","","","","","","Lefty")",
                                            // A double quote would break the line apart.
                                            R"("Zed","555-1","","","","","Plays 'hard'")"}));
    KVR_PhoneData again;
    EXPECT_EQ(again.Load(), 1);
    EXPECT_EQ(again.At(2)->notes, "Plays 'hard'");
}

// The count line neither limits nor sizes the conversion: every entry up to
// the end of the file is kept, and a huge count costs nothing.
TEST_F(PhoneStoreTest, VersionZeroCountIsNotTrusted) {
    WriteFile("phone.dat", Lines({"99999999999999999999999999999999999999", "Amy", "1", "", "x",
                                  "y", "Bo", "2", "note"}));
    KVR_PhoneData book;
    ASSERT_EQ(book.Load(), 1);
    ASSERT_EQ(names(book), (std::vector<std::string>{"Amy", "Bo"}));
    EXPECT_EQ(book.At(1)->notes, "note");

    WriteFile("phone.dat", Lines({"1", "Amy", "1", "", "x", "y", "Bo", "2", "", "x", "y", ""}));
    KVR_PhoneData fewer;
    ASSERT_EQ(fewer.Load(), 1);
    EXPECT_EQ(names(fewer), (std::vector<std::string>{"Amy", "Bo"}));
}

TEST_F(PhoneStoreTest, VersionTwoFileKeepsNamePhoneAndNotes) {
    WriteFile("phone.dat",
              Lines({"ZBD Data File Format 2.0", "2",
                     R"("Zoe","555","4.5","R","A","1","Net rusher")", "", R"("Al","556")"}));
    KVR_PhoneData book;
    ASSERT_EQ(book.Load(), 1);
    ASSERT_EQ(book.Count(), 2u);
    EXPECT_EQ(book.At(1)->notes, "Net rusher");
    EXPECT_EQ(book.At(1)->rating, "");
    EXPECT_EQ(ReadFile("phone.dat"), Lines({kHeader, "2", R"("Al","556","","","","","")",
                                            R"("Zoe","555","","","","","Net rusher")"}));
}

TEST_F(PhoneStoreTest, UnknownOrNewerVersionsAreRefusedAndTheFileKept) {
    const std::string old = Lines({"ZBD Data File Format 1.0", "1", R"("Al")"});
    WriteFile("phone.dat", old);
    KVR_PhoneData book;
    EXPECT_EQ(book.Load(), -1);
    EXPECT_EQ(book.Count(), 0u);
    EXPECT_EQ(ReadFile("phone.dat"), old);

    WriteFile("phone.dat", Lines({"ZBD Data File Format 2.6", "1", R"("Al")"}));
    EXPECT_EQ(book.Load(), -2);
    EXPECT_EQ(KVR_PhoneData().Load(), -2);
}

// Opponent figures from the history (newest first) and the current period.
class OpponentStatsTest : public kvrtest::TempDirTest {
protected:
    static std::string Outing(const std::string& date, const std::string& partner,
                              const std::string& who, const std::string& second,
                              const std::string& kind, const std::string& score,
                              const std::string& result) {
        std::string line;
        for (const std::string& field :
             {date, std::string(second.empty() ? "S" : "D"), partner, who, second, std::string("1"),
              kind, result, score, std::string(), std::string(), std::string(), std::string()}) {
            line += line.empty() ? "" : ",";
            line += '"' + field + '"';
        }
        return line;
    }

    void SetUp() override {
        TempDirTest::SetUp();
        WriteFile("history.dat", Lines({"KVR History Data Format 2.0",
                                        Outing("2/1/2026", "Ann", "Bob", "Cy", "M", "6-4 6-3", "W"),
                                        Outing("1/10/2026", "", "Bob", "", "Match", "3-6 2-6", "L"),
                                        Outing("12/20/2025", "", "Ann", "", "M", "6-0", "W"),
                                        Outing("12/1/2025", "", "Dan", "", "P", "", "")}));
        WriteFile("play.dat", Lines({"ZBD Data File Format 2.0", "5",
                                     Outing("3/1/2026", "", "Bob", "", "L", "", ""),
                                     Outing("3/5/2026", "", "Eve", "", "M", "5-5", "U"),
                                     Outing("3/9/2026", "Bob", "Eve", "Fay", "m", "7-5", "w"),
                                     Outing("3/10/2026", "", "Gus", "Gus", "M", "6-1", "W"),
                                     Outing("3/11/2026", "Hal", "Hal", "", "M", "1-6", "l")}));
        ASSERT_EQ(play_.Load(), 1);
    }

    OpponentStats For(const std::string& name) {
        OpponentStats stats{"x", "x", "x"};
        EXPECT_TRUE(ComputeOpponentStats(play_, name, stats));
        return stats;
    }

    KVR_PlayData play_;
};

TEST_F(OpponentStatsTest, LastOutingAndRecordPerPerson) {
    // Only ever the partner in the current period; an opponent in the past.
    OpponentStats bob = For("Bob");
    EXPECT_EQ(bob.lastPlayed, "3/9/2026");
    EXPECT_EQ(bob.lastOuting, "Match 7-5 w");
    EXPECT_EQ(bob.winLossRecord, "1 - 1 - 0");

    // Past records only: the newest one shows; the partner outing counts no win.
    OpponentStats ann = For("Ann");
    EXPECT_EQ(ann.lastPlayed, "2/1/2026");
    EXPECT_EQ(ann.lastOuting, "Match 6-4 6-3 W");
    EXPECT_EQ(ann.winLossRecord, "1 - 0 - 0");

    OpponentStats dan = For("Dan");
    EXPECT_EQ(dan.lastOuting, "Practice  ");
    EXPECT_EQ(dan.winLossRecord, "0 - 0 - 0");

    EXPECT_EQ(For("Eve").winLossRecord, "1 - 0 - 1");
    EXPECT_EQ(For("Eve").lastPlayed, "3/9/2026");
    EXPECT_EQ(For("Gus").winLossRecord, "1 - 0 - 0"); // both opponents: one match
    EXPECT_EQ(For("Hal").winLossRecord, "0 - 1 - 0");

    OpponentStats stranger = For("bob"); // names compare case-sensitively
    EXPECT_EQ(stranger.lastPlayed, "");
    EXPECT_EQ(stranger.lastOuting, "");
    EXPECT_EQ(stranger.winLossRecord, "0 - 0 - 0");

    // A lesson sets the last outing while the partner outing comes later.
    OpponentStats lesson;
    WriteFile("play.dat", Lines({"ZBD Data File Format 2.0", "1",
                                 Outing("3/1/2026", "", "Bob", "", "L", "", "")}));
    ASSERT_EQ(play_.Load(), 1);
    ComputeOpponentStats(play_, "Bob", lesson);
    EXPECT_EQ(lesson.lastPlayed, "3/1/2026");
    EXPECT_EQ(lesson.lastOuting, "Lesson  ");
}

// The whole book in one pass gives what each entry gets on its own,
// including repeated names and an entry without a name.
TEST_F(OpponentStatsTest, WholeBookMatchesOneByOne) {
    KVR_PhoneData book;
    for (const char* name :
         {"Ann", "Bob", "Bob", "Cy", "Dan", "Eve", "Fay", "Gus", "Hal", "Zed", "bob", ""})
        book.AddCopy(MakePhone(name));
    book.ComputeAllStats(play_);
    for (unsigned i = 0; i < book.Count(); ++i) {
        const PhoneRecord& person = *book.At(static_cast<int>(i));
        OpponentStats alone = For(person.name);
        EXPECT_EQ(person.stats.lastPlayed, alone.lastPlayed) << "'" << person.name << "'";
        EXPECT_EQ(person.stats.lastOuting, alone.lastOuting) << "'" << person.name << "'";
        EXPECT_EQ(person.stats.winLossRecord, alone.winLossRecord) << "'" << person.name << "'";
    }
    EXPECT_EQ(book.At(0)->stats.lastPlayed, "3/11/2026"); // "" is every singles partner
    EXPECT_EQ(book.At(2)->stats.winLossRecord, "1 - 1 - 0");
}

} // namespace
