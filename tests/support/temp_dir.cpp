// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/temp_dir.h"

#include "core/date.h"
#include "core/safe_file.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace kvrtest {

namespace {

// What the code under test keeps in the user's cache folder (the summary of
// the past records) goes to a folder of this test program's own, made as it
// starts and removed as it ends, and so do the programs it runs.
class OwnCacheFolder {
public:
    OwnCacheFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kavora-cache-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        dir_ = pattern;
        ::setenv("XDG_CACHE_HOME", pattern.c_str(), 1);
    }
    ~OwnCacheFolder() {
        // Not from a child a test forked.
        if (::getpid() != owner_)
            return;
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

private:
    std::filesystem::path dir_;
    pid_t owner_ = ::getpid();
};

const OwnCacheFolder ownCacheFolder;

} // namespace

void TempDirTest::SetUp() {
    previous_ = std::filesystem::current_path();
    std::string pattern = (std::filesystem::temp_directory_path() / "kavora-test-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    std::filesystem::current_path(dir_);
}

void TempDirTest::TearDown() {
    ZBD_Date::UseSystemClock();
    std::filesystem::current_path(previous_);
    std::error_code ignored;
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(dir_, ignored);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

void WriteFile(const std::string& path, const std::string& contents) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << contents;
}

bool Exists(const std::string& path) {
    return std::filesystem::exists(path);
}

std::map<std::string, std::string> FolderFiles(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        files[entry.path().filename().string()] =
            entry.is_regular_file() ? ReadFile(entry.path().string()) : std::string();
    return files;
}

std::string Lines(std::initializer_list<std::string> lines) {
    std::string text;
    for (const auto& line : lines)
        text += line + "\r\n";
    return text;
}

void SettleFileClock(const std::string& path) {
    const kvr::FileStamp stamp = kvr::StampOf(path);
    ASSERT_TRUE(stamp.exists) << path;
    for (int waited = 0; waited < 5000; ++waited) {
        if (kvr::ReadOfOneVersion(stamp, stamp, kvr::StampClockNow()))
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    FAIL() << "the clock does not move";
}

} // namespace kvrtest
