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
};

// Makes today's backup (today as ZBD_Date gives it) of the data files in
// `dataFolder` unless it exists, then removes the backups past the newest
// kBackupDays. The copies are written and synced before the day's folder
// takes its final name, so a backup folder is always complete. A file that
// cannot be read is left out and reported, and marked so that a later start
// of the same day copies it (Made once it could); a copy that cannot be
// written leaves no backup for the day. Nothing outside backups/ is changed.
BackupResult MakeDailyBackup(const std::string& dataFolder = ".");

// Keeps the data files a change is about to write over (an import, a merge)
// as they are now, before it is made. When today's backup is not there yet,
// it is made (every file, as at start-up); otherwise the `files` that exist
// are copied, with the same care, into a folder of their own beside it,
// backups/YYYY-MM-DD-HHMMSS (a number added when that is taken). These
// folders go with their day: the backups of the newest kBackupDays days are
// kept. Failed means the change should not be made.
BackupResult BackupBeforeChange(const std::vector<std::string>& files,
                                const std::string& dataFolder = ".");

} // namespace kvr
