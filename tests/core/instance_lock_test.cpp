// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/instance_lock.h"
#include "support/temp_dir.h"

#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kvrtest {
namespace {

using InstanceLockTest = TempDirTest;
using State = kvr::InstanceLock::State;

std::string OwnPid() {
    return std::to_string(getpid()) + "\n";
}

TEST_F(InstanceLockTest, SecondLockOfAFolderIsRefusedAndChangesNothing) {
    std::filesystem::create_directory("other");
    std::filesystem::create_directory_symlink(Dir(), "other/same");
    {
        kvr::InstanceLock first;
        ASSERT_EQ(first.GetState(), State::Held);
        EXPECT_EQ(ReadFile(kvr::kLockFile), OwnPid());
        WriteFile(kvr::kLockFile, "12345\n");

        kvr::InstanceLock second;
        EXPECT_TRUE(second.HeldElsewhere());
        EXPECT_EQ(second.OwnerPid(), 12345);
        EXPECT_TRUE(kvr::InstanceLock("other/same").HeldElsewhere()); // another name, one folder
        EXPECT_EQ(ReadFile(kvr::kLockFile), "12345\n");
        // Another folder is free.
        EXPECT_EQ(kvr::InstanceLock("other").GetState(), State::Held);
    }
    EXPECT_EQ(kvr::InstanceLock().GetState(), State::Held);
    EXPECT_EQ(ReadFile(kvr::kLockFile), OwnPid());
    // No lock can be taken in a folder that is not there; the program goes on.
    EXPECT_EQ(kvr::InstanceLock("missing").GetState(), State::Unavailable);
}

// A lock file that cannot be used (a dangling link, another user's private
// file left by a start under sudo) still leaves the folder locked, and
// nothing is created through the link.
TEST_F(InstanceLockTest, AnUnusableLockFileStillLocksTheFolder) {
    std::filesystem::create_symlink("gone/kavora.lock", kvr::kLockFile);
    {
        kvr::InstanceLock first;
        EXPECT_EQ(first.GetState(), State::Held);
        EXPECT_TRUE(kvr::InstanceLock().HeldElsewhere());
    }
    EXPECT_TRUE(std::filesystem::is_symlink(kvr::kLockFile));
    EXPECT_FALSE(Exists("gone"));

    std::filesystem::remove(kvr::kLockFile);
    WriteFile(kvr::kLockFile, "1\n");
    ASSERT_EQ(::chmod(kvr::kLockFile, 0600), 0);
    if (getuid() != 0)
        GTEST_SKIP() << "only root can make another user's lock file here";
    // The folder is the user's to read but not to write; the two locks are
    // taken as an unprivileged user, in a child process.
    ASSERT_EQ(::chmod(Dir().c_str(), 0755), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setgroups(0, nullptr) != 0 || setresgid(65534, 65534, 65534) != 0 ||
            setresuid(65534, 65534, 65534) != 0)
            _exit(2);
        if (open(kvr::kLockFile, O_RDONLY) >= 0)
            _exit(3); // the file must be out of reach
        kvr::InstanceLock first;
        kvr::InstanceLock second;
        _exit(first.GetState() == State::Held && second.HeldElsewhere() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadFile(kvr::kLockFile), "1\n");
}

TEST_F(InstanceLockTest, LockOfAKilledProgramIsTakenOver) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t holder = fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        kvr::InstanceLock lock;
        char state = lock.GetState() == State::Held ? 'H' : 'x';
        (void)!write(ready[1], &state, 1);
        pause();
        _exit(0);
    }
    char state = 0;
    ASSERT_EQ(read(ready[0], &state, 1), 1);
    ASSERT_EQ(state, 'H');
    {
        kvr::InstanceLock refused;
        EXPECT_TRUE(refused.HeldElsewhere());
        EXPECT_EQ(refused.OwnerPid(), holder);
    }
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    close(ready[0]);
    close(ready[1]);

    // The dead program's number is still in the file; its lock is gone.
    EXPECT_EQ(ReadFile(kvr::kLockFile), std::to_string(holder) + "\n");
    kvr::InstanceLock taken;
    EXPECT_EQ(taken.GetState(), State::Held);
    EXPECT_EQ(ReadFile(kvr::kLockFile), OwnPid());
}

TEST_F(InstanceLockTest, CallReachesTheListenerOfTheSameFolderOnly) {
    std::filesystem::create_directory("other");
    std::filesystem::create_directory_symlink(Dir(), "link");
    EXPECT_FALSE(kvr::CallRunningInstance());
    {
        kvr::InstanceListener listener;
        ASSERT_GE(listener.Fd(), 0);
        EXPECT_FALSE(listener.AcceptCall()); // nobody called yet
        EXPECT_TRUE(kvr::CallRunningInstance());
        EXPECT_TRUE(listener.AcceptCall());
        EXPECT_TRUE(kvr::CallRunningInstance("link"));
        EXPECT_TRUE(listener.AcceptCall());
        EXPECT_FALSE(kvr::CallRunningInstance("other"));
        // A second listener on the same folder cannot take the name.
        EXPECT_LT(kvr::InstanceListener().Fd(), 0);
    }
    EXPECT_FALSE(kvr::CallRunningInstance());
    // Nothing is left in the folder.
    EXPECT_FALSE(Exists(kvr::kLockFile));
}

} // namespace
} // namespace kvrtest
