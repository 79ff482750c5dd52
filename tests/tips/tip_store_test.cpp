#include "support/temp_dir.h"
#include "tips/tip_store.h"

#include <climits>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;
using kvrtest::Exists;
using kvrtest::Lines;
using kvrtest::ReadFile;
using kvrtest::WriteFile;

const std::string kHeader = "ZBD Data File Format 2.0";

TipRecord tip(const std::string& text, int level, int rating, const std::string& stroke = "Serve") {
    TipRecord record;
    record.stroke = stroke;
    record.kind = "T";
    record.tipText = text;
    record.level = level;
    record.frequencyRating = rating;
    return record;
}

class TipStoreTest : public kvrtest::TempDirTest {};

TEST(TipRecordTest, LineRoundTripsByteForByte) {
    const std::string lines[] = {
        R"("Forehand","T","2","7","Turn your shoulders early, then "swing" through")",
        R"("Serve","T","-3","0","")",
        "\"Volley\",\"T\",\"4\",\"10\",\"Nul\0\xff\xfe "s + std::string(3000, 'v') + "\"",
    };
    for (const std::string& line : lines) {
        TipRecord record;
        record.FromLine(line);
        EXPECT_EQ(record.ToLine(), line);
    }
    TipRecord record;
    record.FromLine(lines[0]);
    EXPECT_EQ(record.stroke, "Forehand");
    EXPECT_EQ(record.kind, "T");
    EXPECT_EQ(record.level, 2);
    EXPECT_EQ(record.frequencyRating, 7);
    EXPECT_EQ(record.tipText, R"(Turn your shoulders early, then "swing" through)");
}

TEST(TipRecordTest, MissingFieldsAreEmptyAndHugeNumbersAreClamped) {
    TipRecord record;
    record.FromLine(R"("Serve","T")");
    EXPECT_EQ(record.level, 0);
    EXPECT_EQ(record.frequencyRating, 0);
    EXPECT_EQ(record.tipText, "");
    record.FromLine(R"("Serve","T","99999999999999999999999999999999999999","-99999999999","x")");
    EXPECT_EQ(record.level, INT_MAX);
    EXPECT_EQ(record.frequencyRating, INT_MIN);
    EXPECT_EQ(record.tipText, "x");
    record.FromLine(R"("Serve","T"," +5abc","ten","y")");
    EXPECT_EQ(record.level, 5);
    EXPECT_EQ(record.frequencyRating, 0);
}

TEST(TipRecordTest, QuoteBeforeCommaCannotLoseText) {
    TipRecord read;
    read.FromLine(tip(R"(Say "ready", then split step)", 1, 10).ToLine());
    EXPECT_EQ(read.tipText, R"(Say "ready', then split step)");
    EXPECT_EQ(read.level, 1);
}

TEST(TipRecordTest, EqualsComparesTheTextOnly) {
    EXPECT_TRUE(tip("Watch the ball", 1, 10).Equals(tip("Watch the ball", 4, 0, "Volley")));
    EXPECT_FALSE(tip("Watch the ball", 1, 10).Equals(tip("watch the ball", 1, 10)));
}

TEST_F(TipStoreTest, SelectBindsTheStrokeFileAndClearsOnAnyNewText) {
    TipClass store;
    EXPECT_EQ(store.FileName(), "");
    EXPECT_EQ(store.SelectedStroke(), "forehand.tip");
    const std::pair<const char*, const char*> table[] = {
        {"forehand", "forehand.tip"},
        {"Backhand", "backhand.tip"},
        {"serve", "serve.tip"},
        {"Volley", "volley.tip"},
        {"approach", "approach.tip"},
        {"Return", "return.tip"},
        {"FOREHAND", ""},
        {"forehand.tip", ""},
        {"", ""},
    };
    for (const auto& [stroke, file] : table) {
        store.Select(stroke);
        EXPECT_EQ(store.FileName(), file) << stroke;
        EXPECT_EQ(store.SelectedStroke(), stroke);
    }

    store.Select("Forehand");
    store.AddCopy(tip("a", 1, 1));
    store.Select("Forehand"); // same text: nothing changes
    EXPECT_EQ(store.Count(), 1u);
    store.Select("forehand"); // another text for the same file still clears
    EXPECT_EQ(store.Count(), 0u);
    EXPECT_EQ(store.FileName(), "forehand.tip");
}

TEST_F(TipStoreTest, WithoutAFileLoadsEmptyAndRefusesToSave) {
    TipClass store;
    store.AddCopy(tip("a", 1, 1));
    EXPECT_EQ(store.Save(), 0);
    EXPECT_EQ(store.Load(), 0);
    EXPECT_EQ(store.Count(), 0u);
    store.Select("Smash");
    store.AddCopy(tip("b", 1, 1));
    EXPECT_EQ(store.Save(), 0);
    EXPECT_TRUE(std::filesystem::is_empty(Dir()));
}

TEST_F(TipStoreTest, SavesAndLoadsAStrokeFile) {
    TipClass store;
    store.Select("Serve");
    store.AddCopy(tip("Toss high", 1, 7));
    store.AddCopy(tip("Snap the wrist", 3, 10));
    ASSERT_EQ(store.Save(), 1);
    // Equal keys: the tip added last stands first.
    const std::string file = Lines({kHeader, "2", R"("Serve","T","3","10","Snap the wrist")",
                                    R"("Serve","T","1","7","Toss high")"});
    EXPECT_EQ(ReadFile("serve.tip"), file);

    TipClass loaded;
    loaded.Select("Serve");
    ASSERT_EQ(loaded.Load(), 1);
    ASSERT_EQ(loaded.Count(), 2u);
    // Loading inserts each line in front of the equal keys before it.
    EXPECT_EQ(loaded.At(0)->tipText, "Toss high");
    EXPECT_EQ(loaded.At(1)->tipText, "Snap the wrist");

    loaded.Select("Volley");
    EXPECT_EQ(loaded.Load(), 0); // no volley.tip yet
    EXPECT_EQ(loaded.Count(), 0u);
}

TEST_F(TipStoreTest, CountsAndHighestRatingPerLevel) {
    TipClass store;
    store.Select("Forehand");
    store.AddCopy(tip("a", 1, 3));
    store.AddCopy(tip("b", 1, 9));
    store.AddCopy(tip("c", 1, 7));
    store.AddCopy(tip("d", 2, 0));
    store.AddCopy(tip("e", 2, 0));
    store.AddCopy(tip("f", 3, -4));
    EXPECT_EQ(store.CountAtLevel(1), 3);
    EXPECT_EQ(store.MaxRatingAtLevel(1), 9);
    EXPECT_EQ(store.CountAtLevel(2), 2);
    EXPECT_EQ(store.MaxRatingAtLevel(2), 0);
    EXPECT_EQ(store.CountAtLevel(3), 1);
    EXPECT_EQ(store.MaxRatingAtLevel(3), 0); // never below 0
    EXPECT_EQ(store.CountAtLevel(4), 0);
    EXPECT_EQ(store.MaxRatingAtLevel(4), 0);
}

TEST_F(TipStoreTest, UpgradesAHeaderlessFile) {
    WriteFile("return.tip", Lines({"2", "1", "7", "Split step, early", "4", "10", ""}));
    TipClass store;
    store.Select("Return");
    EXPECT_EQ(store.Load(), 1);
    ASSERT_EQ(store.Count(), 2u);
    EXPECT_EQ(ReadFile("return.tip"), Lines({kHeader, "2", R"("Return","T","4","10","")",
                                             R"("Return","T","1","7","Split step, early")"}));
    EXPECT_EQ(store.At(1)->stroke, "Return");
    EXPECT_EQ(store.At(1)->kind, "T");

    store.Select("return"); // converted tips take the text selected
    WriteFile("return.tip", Lines({"1", "2", "5", "Low to high"}));
    EXPECT_EQ(store.Load(), 1);
    ASSERT_EQ(store.Count(), 1u);
    EXPECT_EQ(store.At(0)->stroke, "return");
}

TEST_F(TipStoreTest, UpgradeStopsAtTheEndOfTheFile) {
    WriteFile("serve.tip",
              Lines({"99999999999", "1", "99999999999", "Toss high", "2", "8", "Bend"}) + "3\r\n");
    TipClass store;
    store.Select("Serve");
    EXPECT_EQ(store.Load(), 1);
    ASSERT_EQ(store.Count(), 2u); // the tip without its text is not made
    EXPECT_EQ(store.At(1)->frequencyRating, INT_MAX);
}

TEST_F(TipStoreTest, UpgradeRefusesDamagedFilesAndOtherVersions) {
    TipClass store;
    store.Select("Serve");
    const std::string damaged =
        Lines({"ZBD Data File Fo rmat 2.0", "1", R"("Serve","T","1","2","x")"});
    WriteFile("serve.tip", damaged);
    EXPECT_EQ(store.Load(), -1);
    EXPECT_EQ(ReadFile("serve.tip"), damaged);

    const std::string older =
        Lines({"ZBD Data File Format 1.0", "1", R"("Serve","T","1","2","x")"});
    WriteFile("serve.tip", older);
    EXPECT_EQ(store.Load(), -1);
    EXPECT_EQ(store.Upgrade(1.0f), -1);
    EXPECT_EQ(ReadFile("serve.tip"), older);

    store.Select("Volley"); // no file to convert
    EXPECT_EQ(store.Upgrade(0.0f), -1);
    EXPECT_FALSE(Exists("volley.tip"));
}

} // namespace
