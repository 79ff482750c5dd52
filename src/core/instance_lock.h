// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

// One running program per data folder. The first start takes a lock on the
// folder itself and on a file in it (where each can be had) and holds them
// for the whole run; the kernel frees them when the process ends, however it
// ends, so the lock of a program that died is simply taken over. The holder
// also listens on a local socket named after the folder, through which a
// second start asks it to bring its window forward.
namespace kvr {

inline constexpr const char* kLockFile = "kavora.lock";

class InstanceLock {
public:
    enum class State {
        Held,          // this process holds the folder
        HeldElsewhere, // another running program holds it
        Unavailable,   // no lock can be taken here (a file system without
                       // locks): the caller asks whether to go on
    };

    // Tries to take the lock of `folder` at once, without waiting. When it is
    // held elsewhere, nothing in the folder is changed.
    explicit InstanceLock(const std::string& folder = ".");
    ~InstanceLock(); // gives the lock up
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    State GetState() const { return state_; }
    bool HeldElsewhere() const { return state_ == State::HeldElsewhere; }
    // The process id the holder wrote into the lock file; 0 when unknown.
    long OwnerPid() const { return ownerPid_; }

private:
    int fd_ = -1;       // the lock file
    int folderFd_ = -1; // the folder itself
    State state_ = State::Unavailable;
    long ownerPid_ = 0;
};

// The folder's full path with every symbolic link resolved, so that two
// names of one folder are one folder; the path as given when it cannot be
// resolved.
std::string CanonicalFolder(const std::string& folder = ".");

// The lock holder's end of the call: a listening socket in the abstract
// namespace, named after the folder and the user, so it leaves no file
// behind.
class InstanceListener {
public:
    explicit InstanceListener(const std::string& folder = ".");
    ~InstanceListener();
    InstanceListener(const InstanceListener&) = delete;
    InstanceListener& operator=(const InstanceListener&) = delete;

    // The socket to watch for calls; -1 when it could not be set up.
    int Fd() const { return fd_; }
    // Takes one waiting call. True when it came from a program of the same
    // user (anyone else's call is dropped).
    bool AcceptCall();

private:
    int fd_ = -1;
};

// A second start's call to the program that holds `folder`. True when that
// program was reached.
bool CallRunningInstance(const std::string& folder = ".");

} // namespace kvr
