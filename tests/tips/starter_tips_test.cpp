// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/temp_dir.h"
#include "tips/tip_store.h"

#include <array>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

namespace {

class StarterTipsTest : public kvrtest::TempDirTest {};

// The shipped tip files load whole through the tip store, every stroke has at
// least three tips at each level, and a save writes back the same bytes (no
// text was split at a comma or cut short).
TEST_F(StarterTipsTest, EveryStrokeAndLevelHasThreeTipsThatLoadWhole) {
    const std::array<const char*, 6> strokes{"Forehand", "Backhand", "Serve",
                                             "Volley",   "Approach", "Return"};
    for (const char* stroke : strokes) {
        SCOPED_TRACE(stroke);
        const std::string file = TipClass::FileNameFor(stroke);
        const std::string shipped = kvrtest::ReadFile(std::string(KAVORA_STARTER_DIR) + "/" + file);
        kvrtest::WriteFile(file, shipped);

        TipClass store;
        store.Select(stroke);
        ASSERT_EQ(store.Load(), 1) << store.Error();
        for (int level = 1; level <= 4; ++level) {
            EXPECT_GE(store.CountAtLevel(level), 3) << "level " << level;
            EXPECT_GT(store.MaxRatingAtLevel(level), 0) << "level " << level;
        }
        for (int i = 0; i < static_cast<int>(store.Count()); ++i) {
            const TipRecord& tip = *store.At(i);
            EXPECT_EQ(tip.stroke, stroke);
            EXPECT_EQ(tip.kind, "T");
            EXPECT_GE(tip.frequencyRating, 1);
            EXPECT_LE(tip.frequencyRating, 10);
            EXPECT_FALSE(tip.tipText.empty());
            EXPECT_LE(tip.tipText.size(), 219u) << tip.tipText;
        }
        ASSERT_EQ(store.Save(), 1);
        EXPECT_EQ(kvrtest::ReadFile(file), shipped);
    }
}

} // namespace
