// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/play_store.h"
#include "support/records.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

using kvrtest::Lines;
using kvrtest::ReadFile;
using kvrtest::WriteFile;

PlayRecord SinglesMatch() {
    PlayRecord record = kvrtest::MakePlay("3/7/2001", "Pat Cash", "M");
    record.score = "6-4 7-5";
    record.matchNotes = "Served well";
    record.practiceNotes = "Work on the return";
    return record;
}

class PlayStoreTest : public kvrtest::TempDirTest {};

TEST_F(PlayStoreTest, LineLayoutOfASinglesMatch) {
    PlayRecord record = SinglesMatch();
    for (int stroke = 0; stroke < kvr::kStrokeCount; ++stroke)
        for (int level = 0; level < kvr::kLevelCount; ++level)
            record.ratings[stroke][level] = stroke * 10 + level;
    // Level by level; Forehand, Backhand, Serve, Volley, Return, Approach within a level.
    EXPECT_EQ(
        record.ToLine(),
        R"("3/7/2001","S","","Pat Cash","","1.5","M","W","6-4 7-5","","","Served well","Work on the return")"
        R"(,"0","10","20","40","30","50")"
        R"(,"1","11","21","41","31","51")"
        R"(,"2","12","22","42","32","52")"
        R"(,"3","13","23","43","33","53")");
    PlayRecord back;
    back.FromLine(record.ToLine());
    EXPECT_TRUE(back.Equals(record));
    EXPECT_EQ(back.ratings, record.ratings);
}

TEST_F(PlayStoreTest, FromLineNormalisesAndFillsGaps) {
    PlayRecord record;
    record.FromLine(R"("03/07/01","D","Ann","Bob","Cy","2","P","","","junk","junk","m","p")");
    EXPECT_EQ(record.date, "3/7/2001");
    EXPECT_EQ(record.partner, "Ann");
    EXPECT_EQ(record.secondOpponent, "Cy");
    EXPECT_EQ(record.spare1, "");
    EXPECT_EQ(record.spare2, "");
    EXPECT_EQ(record.practiceNotes, "p");
    for (const auto& stroke : record.ratings)
        for (int rating : stroke)
            EXPECT_EQ(rating, 0);
    record.FromLine("");
    EXPECT_EQ(record.date, "-1/-1/-1");
    EXPECT_EQ(record.who, "");
}

TEST_F(PlayStoreTest, LineBreaksInNotesBecomeBlanks) {
    PlayRecord record = SinglesMatch();
    record.matchNotes = "first line\r\nsecond line\nthird";
    PlayRecord back;
    back.FromLine(record.ToLine());
    EXPECT_EQ(back.matchNotes, "first line  second line third");
    EXPECT_EQ(record.ToLine().find('\n'), std::string::npos);
}

TEST_F(PlayStoreTest, EqualsComparesTextsOnly) {
    PlayRecord a = SinglesMatch(), b = SinglesMatch();
    b.Rating(kvr::Stroke::Serve, kvr::Level::Power) = 9;
    EXPECT_TRUE(a.Equals(b));
    b.score = "6-4";
    EXPECT_FALSE(a.Equals(b));
    PlayRecord c;
    c.Assign(b);
    EXPECT_TRUE(c.Equals(b));
    EXPECT_EQ(c.Rating(kvr::Stroke::Serve, kvr::Level::Power), 9);
}

TEST_F(PlayStoreTest, StoreKeepsDateOrderAndRoundTripsTheFile) {
    KVR_PlayData store;
    PlayRecord record = SinglesMatch();
    for (const char* date : {"5/1/2001", "3/7/2001", "12/25/2000", "3/7/2001"}) {
        record.date = date;
        record.who = std::string("Player ") + date;
        store.AddCopy(record);
    }
    store.At(0)->who = "oldest";
    ASSERT_EQ(store.Save(), 1);
    std::string saved = ReadFile("play.dat");
    EXPECT_EQ(saved.substr(0, saved.find("\r\n", saved.find("\r\n") + 2) + 2),
              "ZBD Data File Format 2.0\r\n4\r\n");

    KVR_PlayData loaded;
    ASSERT_EQ(loaded.Load(), 1);
    ASSERT_EQ(loaded.Count(), 4u);
    EXPECT_EQ(loaded.At(0)->who, "oldest");
    EXPECT_EQ(loaded.At(3)->date, "5/1/2001");
    ASSERT_EQ(loaded.Save(), 1);
    EXPECT_EQ(ReadFile("play.dat"), saved);
}

std::string VersionZeroRecord(int index, const std::string& date, const std::string& who) {
    std::string text = std::to_string(index) + "\r\n";
    for (const std::string& line :
         {date, std::string("M"), std::string("1.5"), who, std::string("6-3"), std::string("W"),
          std::string("match"), std::string("practice")})
        text += line + "\r\n";
    for (int rating = 1; rating <= 24; ++rating)
        text += std::to_string(rating % 11) + "\r\n";
    return text;
}

TEST_F(PlayStoreTest, ConvertsAHeaderlessFile) {
    WriteFile("play.dat", "2\r\n" + VersionZeroRecord(0, "03/07/01", "Ann") +
                              VersionZeroRecord(1, "1/2/2001", "Bob"));
    KVR_PlayData store;
    ASSERT_EQ(store.Load(), 1);
    ASSERT_EQ(store.Count(), 2u);
    const PlayRecord& bob = *store.At(0);
    EXPECT_EQ(bob.who, "Bob");
    EXPECT_EQ(bob.kind, "M");
    EXPECT_EQ(bob.time, "1.5");
    EXPECT_EQ(bob.score, "6-3");
    EXPECT_EQ(bob.result, "W");
    EXPECT_EQ(bob.singlesDoubles, "");
    EXPECT_EQ(bob.Rating(kvr::Stroke::Forehand, kvr::Level::Consistency), 1);
    EXPECT_EQ(bob.Rating(kvr::Stroke::Volley, kvr::Level::Consistency),
              4); // fourth within the level
    EXPECT_EQ(bob.Rating(kvr::Stroke::Approach, kvr::Level::Power), 24 % 11);
    EXPECT_EQ(store.At(1)->date, "3/7/2001");
    // Rewritten at once in the current layout.
    EXPECT_EQ(ReadFile("play.dat").rfind("ZBD Data File Format 2.0\r\n2\r\n", 0), 0u);
    KVR_PlayData again;
    EXPECT_EQ(again.Load(), 1);
    EXPECT_EQ(again.Count(), 2u);
}

TEST_F(PlayStoreTest, HeaderlessFileWithAWrongIndexStops) {
    std::string original =
        "2\r\n" + VersionZeroRecord(0, "1/1/2001", "Ann") + VersionZeroRecord(5, "1/2/2001", "Bob");
    WriteFile("play.dat", original);
    KVR_PlayData store;
    EXPECT_EQ(store.Load(), -1);
    EXPECT_EQ(store.Count(), 1u);
    EXPECT_EQ(ReadFile("play.dat"), original);
}

TEST_F(PlayStoreTest, TruncatedHeaderlessFileKeepsItsCompleteRecords) {
    std::string second = VersionZeroRecord(1, "1/2/2001", "Bob");
    WriteFile("play.dat", "2000000000\r\n" + VersionZeroRecord(0, "1/1/2001", "Ann") +
                              second.substr(0, second.size() / 2));
    KVR_PlayData store;
    EXPECT_EQ(store.Load(), 1);
    ASSERT_EQ(store.Count(), 1u);
    EXPECT_EQ(store.At(0)->who, "Ann");
}

TEST_F(PlayStoreTest, NewerOrUnknownVersions) {
    WriteFile("play.dat", Lines({"ZBD Data File Format 2.1", "0"}));
    KVR_PlayData store;
    EXPECT_EQ(store.Load(), -2);
    WriteFile("play.dat", Lines({"ZBD Data File Format 1.0", "0"}));
    EXPECT_EQ(store.Load(), -1);
}

} // namespace
