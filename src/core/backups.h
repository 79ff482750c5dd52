// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

// Daily backups of the data files, kept in the data folder itself:
// backups/YYYY-MM-DD/ holds a copy of every data file as it was at the day's
// first start. The newest kBackupDays backups are kept; older ones are
// removed, but only folders that are certainly backups of this program.
namespace kvr {

inline constexpr const char* kBackupFolder = "backups";
inline constexpr int kBackupDays = 14;

// The files a backup copies (those of them that exist).
const std::vector<std::string>& BackupFileNames();

// Whether writing to `path` would write over one of the data folder's own
// files (a data file, a backup a goal-period change keeps, a file of a
// change that waits, the folder's lock) or over the folder itself, links
// followed both ways. An export or a picture must never be written there.
bool NamesDataFile(const std::string& path, const std::string& dataFolder = ".");

struct BackupResult {
    enum class Outcome {
        Made,        // today's backup was written
        AlreadyMade, // today's backup was there already, complete
        NothingToCopy,
        Failed, // no backup made, or one without some files: see problems
    };
    Outcome outcome = Outcome::NothingToCopy;
    // The day's folder, relative to the data folder ("backups/2026-12-07").
    std::string folder;
    // What went wrong, one line per failure: the file and the system's
    // reason.
    std::vector<std::string> problems;

    // Why the backup failed, in the words every message about it uses:
    // "<what> of your data files in 'backups/2026-12-07' could not be made"
    // and its problems, each on a line of its own after a colon, or with
    // `oneLine` after "; " each. Empty when the backup did not fail.
    std::string FailureText(const std::string& what = "the backup", bool oneLine = false) const;
};

// Makes today's backup (today as ZBD_Date gives it) of the data files in
// `dataFolder` unless it exists, then removes the backups past the newest
// kBackupDays. The copies are written and synced before the day's folder
// takes its final name, so a backup folder is always complete. A file that
// cannot be read is left out and reported, and marked so that a later start
// of the same day copies it (Made once it could); a copy that cannot be
// written leaves no backup for the day. Nothing outside backups/ is changed.
BackupResult MakeDailyBackup(const std::string& dataFolder = ".");

// Keeps the data files `names` (of BackupFileNames) as they are now, before
// an import or a merge changes them, in today's folder of the daily backups:
// today's backup is made first when there is none, and a file whose bytes
// differ from its copy there (it changed since the day's first start) is
// copied beside it as "sched.dat.before-183012" (the time of day; "-2",
// "-3"... when that name is taken). These copies go with their day's folder.
// Made when a copy was written, AlreadyMade when the day's folder holds the
// files as they are, NothingToCopy when none of them exists, Failed (with
// the problems) when a file could not be kept.
BackupResult BackupBeforeChange(const std::vector<std::string>& names,
                                const std::string& dataFolder = ".");

// How every change of the data files (an import, a merge) starts: the files
// it changes are kept first (BackupBeforeChange), and when they could not be
// the change does not go on. Empty when it may go on, else why not
// (BackupResult::FailureText, `oneLine` for a line of the command line).
std::string KeepBeforeChange(const std::vector<std::string>& names, bool oneLine = false,
                             const std::string& dataFolder = ".");

} // namespace kvr
