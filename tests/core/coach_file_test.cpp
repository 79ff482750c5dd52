// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/coach_file.h"
#include "core/safe_file.h"
#include "support/temp_dir.h"

#include <sys/stat.h>

namespace kvrtest {
namespace {

using CoachFileTest = TempDirTest;

TEST_F(CoachFileTest, NoNameUntilOneIsStored) {
    EXPECT_EQ(kvr::ReadPlayerName(), std::nullopt);
    WriteFile("coach.dat", "");
    EXPECT_EQ(kvr::ReadPlayerName(), std::nullopt);
    WriteFile("coach.dat", "Pat Rally\r\n");
    EXPECT_EQ(kvr::ReadPlayerName(), std::nullopt);
    WriteFile("coach.dat", Lines({"KVR Coach Data Format 1.0", "   "}));
    EXPECT_EQ(kvr::ReadPlayerName(), std::nullopt);
}

TEST_F(CoachFileTest, NameRoundTripsEvenThePlaceholderText) {
    ASSERT_TRUE(kvr::WritePlayerName("Pat Rally"));
    EXPECT_EQ(kvr::ReadPlayerName(), "Pat Rally");
    ASSERT_TRUE(kvr::WritePlayerName("Line\r\nbreak"));
    EXPECT_EQ(ReadFile("coach.dat"), Lines({"KVR Coach Data Format 1.0", "Line  break"}));
}

TEST_F(CoachFileTest, OlderOneLineFileAndOddBytes) {
    WriteFile("coach.dat", "  Monica Seles  \n");
    EXPECT_EQ(kvr::ReadPlayerName(), "Monica Seles");
    WriteFile("coach.dat", std::string("Ann\0Lee\r\n", 9));
    EXPECT_EQ(kvr::ReadPlayerName(), "Ann");
    WriteFile("coach.dat", std::string(100000, 'x'));
    EXPECT_EQ(kvr::ReadPlayerName()->size(), 100000u); // the caller keeps 24 characters
}

// Only a missing file is a first run: one that is there but cannot be read
// (here a FIFO, which is not even waited on) still holds the player's name.
TEST_F(CoachFileTest, AFileThatCannotBeReadIsNoFirstRun) {
    int error = -1;
    EXPECT_EQ(kvr::ReadPlayerName(kvr::kCoachFile, &error), std::nullopt);
    EXPECT_EQ(error, 0);
    ASSERT_EQ(::mkfifo(kvr::kCoachFile, 0600), 0);
    EXPECT_EQ(kvr::ReadPlayerName(kvr::kCoachFile, &error), std::nullopt);
    EXPECT_EQ(error, kvr::kNotRegularFile);
}

TEST_F(CoachFileTest, UnwritableFileKeepsTheOldOne) {
    std::filesystem::create_directory("coach.dat");
    EXPECT_FALSE(kvr::WritePlayerName("Ann"));
    EXPECT_EQ(kvr::ReadPlayerName(), std::nullopt);
}

} // namespace
} // namespace kvrtest
