// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <map>
#include <string>

#include <gtest/gtest.h>

namespace kvrtest {

// Runs each test in a fresh temporary working folder, removed afterwards.
class TempDirTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    const std::filesystem::path& Dir() const { return dir_; }

private:
    std::filesystem::path dir_;
    std::filesystem::path previous_;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& contents);
bool Exists(const std::string& path);
// Every file of `folder` (not its subfolders) by name, with its bytes.
std::map<std::string, std::string> FolderFiles(const std::string& folder = ".");

// The lines of a text, joined with CR LF as the data files are written.
std::string Lines(std::initializer_list<std::string> lines);

// Waits until the clock that stamps file changes has moved past the last
// change of the file at `path` (a clock tick at most), so that what the
// program reads of it from then on counts as read of that version
// (kvr::ReadOfOneVersion).
void SettleFileClock(const std::string& path);

} // namespace kvrtest
