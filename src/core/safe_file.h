// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <sys/types.h>

// Durable file operations for the data files. A file is never rewritten in
// place: the new contents go to a temporary file in the same folder, which is
// synced and then renamed over the target, so a crash, a full disk or a
// failing call leaves either the old file or the new one, never a mix.
namespace kvr {

// A read-only run: while one of these is alive, no function here writes,
// renames or removes a file (each fails with EROFS and touches nothing), and
// a store or the history that reads a file of an older layout converts it in
// memory only, never saving the result. Made before the stores, it keeps a
// data folder byte for byte as it was: for drawing from the command line,
// where the program may be running in the same folder. Made with an
// `output`, the run may still write that one file (the file a command line
// names to write to, outside the data folder) and nothing else; one run at a
// time names an output.
class ReadOnlyData {
public:
    explicit ReadOnlyData(std::string output = {});
    ~ReadOnlyData();
    ReadOnlyData(const ReadOnlyData&) = delete;
    ReadOnlyData& operator=(const ReadOnlyData&) = delete;
};
// Whether a ReadOnlyData is alive.
bool WritesRefused();

// Makes the entries of `folder` (names added, renamed or removed) durable;
// false when the folder could not be opened or synced.
bool SyncFolder(const std::string& folder);

// A new version of one file, built up in memory and put in place by Commit().
// The temporary file is created at once, so a folder that cannot be written
// to is noticed before any work is done.
//
// What the user set on the file is kept: a symbolic link is followed and the
// file it leads to is replaced (the link stays a link), the new file gets the
// old one's permission bits and, where allowed, its owner and group, and a
// file without write permission is not replaced at all (IsOpen() is false).
// A file that does not exist yet takes its permissions from `permissionsOf`
// when that names an existing file (a backup or a staged copy of it).
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::string path, const std::string& permissionsOf = {});
    ~AtomicFileWriter(); // discards what was not committed
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    void Append(const std::string& text) { contents_ += text; }
    // Writes, syncs and renames the temporary file over the target. Returns
    // false, leaving the target as it was, when any step fails.
    bool Commit();
    void Discard();
    // True once Commit() has put the new file in place, even when syncing the
    // folder afterwards failed.
    bool Replaced() const { return replaced_; }

private:
    std::string path_; // the file replaced: the end of any chain of links
    std::string tempName_;
    std::string contents_;
    int fd_ = -1;
    bool replaced_ = false;
};

// Writes `contents` to `path` atomically and durably. Returns false (with the
// old file, if any, untouched and no temporary file left behind) on failure.
bool WriteFileAtomically(const std::string& path, const std::string& contents,
                         const std::string& permissionsOf = {});

// Renames `from` over `to` and syncs the folder. As AtomicFileWriter does, it
// follows a link at `to` and refuses to replace a file without write
// permission; `from` loses any permission the file it replaces does not
// grant (make it with WriteFileAtomically's `permissionsOf` to keep them).
// Returns false on failure; `renamed`, when given, tells whether the rename
// itself took place (it may have, when only syncing the folder failed).
bool RenameDurably(const std::string& from, const std::string& to, bool* renamed = nullptr);

// Removes `path` and syncs the folder. A file that is already missing counts
// as removed.
bool RemoveDurably(const std::string& path);

// The file a path leads to once every symbolic link on the way is followed
// (the path itself when it is no link, or when nothing is there yet);
// nullopt when the links cannot be followed (a loop, an unreadable link).
std::optional<std::string> FollowLinks(const std::string& path);

// False when a file exists at `path` (through links) that must not be
// replaced: it has no write permission for us, or none for anyone.
bool MayReplace(const std::string& path);

// The error a data file is refused with when it is no regular file (a FIFO,
// a device, a socket, a folder): reading one could block the program for
// good or never end. No system error has this number; ErrorText and the
// backups' reports name it "not a regular file".
inline constexpr int kNotRegularFile = 0x4b56;
inline constexpr const char* kNotRegularFileText = "not a regular file";

// Opens a data file for reading without ever blocking: the file is opened
// non-blocking and kept only when it is a regular file, in blocking mode
// again. The descriptor, or -1 with errno set (kNotRegularFile for anything
// that is not a regular file).
int OpenRegularFile(const std::string& path);

// The whole contents of a regular file; nullopt (errno telling why) when it
// cannot be opened or read, or is no regular file.
std::optional<std::string> ReadWholeFile(const std::string& path);

// False only when `path` is certainly missing. A file whose presence cannot
// be told (a failing stat for any other reason) counts as present, so that
// doubt never makes a caller treat a file with records as absent.
bool FileExists(const std::string& path);

// What tells one version of a file from another: where it lies (device and
// inode), its size, and its modification and status change times. The status
// change time moves with every change of the file and cannot be set back,
// unlike the modification time.
struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{}, changed{};
    bool operator==(const FileStamp& other) const;
};

// The stamp of the file at `path` (through links); `exists` false when it
// cannot be stat'ed.
FileStamp StampOf(const std::string& path);

// A time no later than the stamp of any file change made from now on: the
// coarse clock that stamps file changes, or without one a second ago. Taken
// before a read, for ReadOfOneVersion.
timespec StampClockNow();

// Whether a read of a file that began at `started`, the file's stamp being
// `before` then and `after` once the read was done, certainly read one
// version of it that later stamps will tell apart: the file did not change
// during the read, and its last change came before the read began (a change
// in the same clock tick as the read could leave the same stamp).
bool ReadOfOneVersion(const FileStamp& before, const FileStamp& after, const timespec& started);

// Removes the temporary files that an interrupted write left in `folder`,
// and those of the files that links in `folder` lead to, beside them.
// Called at start-up, before anything is written.
void RemoveStaleTemporaries(const std::string& folder = ".");

} // namespace kvr
