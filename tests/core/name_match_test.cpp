// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/name_match.h"

#include <gtest/gtest.h>

namespace {

// The searches find a name that holds the typed text anywhere, whatever its
// case and accents, in UTF-8 and in the Windows-1252 of older files; every
// exact match is still a match.
TEST(NameMatchTest, ContainsIgnoringCaseAndAccents) {
    EXPECT_TRUE(kvr::NameContains("Tournament: Winter Open", "tourn"));
    EXPECT_TRUE(kvr::NameContains("Tournament: Winter Open", "WINTER o"));
    EXPECT_TRUE(kvr::NameContains("Zoë O'Neil", "zoe"));
    EXPECT_TRUE(kvr::NameContains("Zoe O'Neil", "Zoë"));
    EXPECT_TRUE(kvr::NameContains("Zo\xEB O'Neil", "zoe")); // Windows-1252
    EXPECT_TRUE(kvr::NameContains("\x8A"
                                  "eho\x9A",
                                  "sehos")); // Windows-1252 Š, š
    EXPECT_TRUE(kvr::NameContains("Zoe\xCC\x88 O\xE2\x80\x99Neil", "zoe o'neil")); // ¨ and ’
    EXPECT_TRUE(kvr::NameContains("Jörg Straße", "jorg strasse"));
    EXPECT_TRUE(kvr::NameContains("Łukasz Ćwik", "lukasz cwik"));
    EXPECT_TRUE(kvr::NameContains("Nguyễn Văn", "nguyen van"));
    EXPECT_TRUE(kvr::NameContains("Алла", "алла"));
    EXPECT_TRUE(kvr::NameContains("Ann Lee", ""));
    // Invalid UTF-8 holding the typed bytes is still found by them.
    EXPECT_TRUE(kvr::NameContains("Jos\xC3\xA9 \xFF", "Jos\xC3\xA9"));

    EXPECT_FALSE(kvr::NameContains("Ann Lee", "Anne"));
    EXPECT_FALSE(kvr::NameContains("Zoë", "zoey"));
    EXPECT_FALSE(kvr::NameContains("", "a"));
    EXPECT_EQ(kvr::FoldedName("ÆSOP Œuvre Ĳssel"), "aesop oeuvre ijssel");
    EXPECT_EQ(kvr::FoldedName("\xC3 \xD7"), "a \xC3\x97"); // Windows-1252 Ã and ×
}

} // namespace
