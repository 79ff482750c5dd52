// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/records.h"
#include "support/temp_dir.h"
#include "tips/tip_store.h"

#include <climits>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;
using kvrtest::Lines;
using kvrtest::MakeTip;
using kvrtest::ReadFile;
using kvrtest::WriteFile;

const std::string kHeader = "ZBD Data File Format 2.0";

class TipStoreTest : public kvrtest::TempDirTest {};

TEST(TipRecordTest, LinesRoundTripAndNumbersAreClamped) {
    const std::string lines[] = {
        R"("Forehand","T","2","7","Turn early, then "swing" through")",
        "\"Volley\",\"\",\"-3\",\"0\",\"Nul\0\xff\xfe "s + std::string(3000, 'v') + "\"",
    };
    for (const std::string& line : lines) {
        TipRecord record;
        record.FromLine(line);
        EXPECT_EQ(record.ToLine(), line);
    }
    TipRecord record;
    record.FromLine(R"("Serve","T","99999999999999999999999999999999999999","-99999999999")");
    EXPECT_EQ(record.level, INT_MAX);
    EXPECT_EQ(record.frequencyRating, INT_MIN);
    EXPECT_EQ(record.tipText, "");

    record.tipText = R"(Say "ready", then split)";
    TipRecord read;
    read.FromLine(record.ToLine());
    EXPECT_EQ(read.tipText, R"(Say "ready', then split)");
}

TEST_F(TipStoreTest, SelectBindsTheStrokeFileAndClearsOnAnyNewText) {
    TipClass store;
    EXPECT_EQ(store.FileName(), "");
    const std::pair<const char*, const char*> table[] = {
        {"forehand", "forehand.tip"},
        {"Backhand", "backhand.tip"},
        {"serve", "serve.tip"},
        {"Volley", "volley.tip"},
        {"approach", "approach.tip"},
        {"Return", "return.tip"},
        {"FOREHAND", ""},
        {"forehand.tip", ""},
    };
    for (const auto& [stroke, file] : table) {
        store.Select(stroke);
        EXPECT_EQ(store.FileName(), file) << stroke;
    }
    store.Select("Forehand");
    store.AddCopy(MakeTip("a", 1, 1));
    store.Select("Forehand");
    EXPECT_EQ(store.Count(), 1u);
    store.Select("forehand"); // the same file, but another text
    EXPECT_EQ(store.Count(), 0u);
}

TEST_F(TipStoreTest, WithoutAFileLoadsEmptyAndRefusesToSave) {
    TipClass store;
    store.AddCopy(MakeTip("a", 1, 1));
    EXPECT_EQ(store.Save(), 0);
    EXPECT_EQ(store.Load(), 0);
    EXPECT_EQ(store.Count(), 0u);
    store.Select("Smash");
    store.AddCopy(MakeTip("b", 1, 1));
    EXPECT_EQ(store.Save(), 0);
    EXPECT_TRUE(std::filesystem::is_empty(Dir()));
}

TEST_F(TipStoreTest, CountsAndHighestRatingPerLevel) {
    TipClass store;
    for (const TipRecord& t : {MakeTip("a", 1, 3), MakeTip("b", 1, 9), MakeTip("c", 1, 7),
                               MakeTip("d", 2, 0), MakeTip("e", 2, 0), MakeTip("f", 3, -4)})
        store.AddCopy(t);
    EXPECT_EQ(store.CountAtLevel(1), 3);
    EXPECT_EQ(store.MaxRatingAtLevel(1), 9);
    EXPECT_EQ(store.CountAtLevel(2), 2);
    EXPECT_EQ(store.MaxRatingAtLevel(2), 0);
    EXPECT_EQ(store.MaxRatingAtLevel(3), 0); // never below 0
    EXPECT_EQ(store.CountAtLevel(4), 0);
    EXPECT_EQ(store.MaxRatingAtLevel(4), 0);
}

TEST_F(TipStoreTest, UpgradesAHeaderlessFile) {
    WriteFile("return.tip", Lines({"2", "1", "7", "Split step, early", "4", "10", ""}));
    TipClass store;
    store.Select("return");
    EXPECT_EQ(store.Load(), 1);
    EXPECT_EQ(ReadFile("return.tip"), Lines({kHeader, "2", R"("return","T","4","10","")",
                                             R"("return","T","1","7","Split step, early")"}));

    // The end of the file stops the reading; a tip without its text is not made.
    WriteFile("return.tip", Lines({"99999999999", "1", "99999999999", "Low to high", "2", "8"}));
    EXPECT_EQ(store.Load(), 1);
    ASSERT_EQ(store.Count(), 1u);
    EXPECT_EQ(store.At(0)->frequencyRating, INT_MAX);

    const std::string damaged =
        Lines({"ZBD Data File Fo rmat 2.0", "1", R"("Serve","T","1","2","x")"});
    WriteFile("return.tip", damaged);
    EXPECT_EQ(store.Load(), -1);
    EXPECT_EQ(ReadFile("return.tip"), damaged);
    EXPECT_EQ(store.Upgrade(1.0f), -1);
    store.Select("Volley"); // no file to convert
    EXPECT_EQ(store.Upgrade(0.0f), -1);
    EXPECT_FALSE(kvrtest::Exists("volley.tip"));
}

} // namespace
