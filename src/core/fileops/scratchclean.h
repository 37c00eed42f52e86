// Clearing the scratch folders below the program folder: "\TMP" and the
// day's backups of "\TMP\BACKUP" when the first file-list pane is built, and
// "\TMP" and "\TMP1" when a pane goes away at exit.
#pragma once

#include <string>

#include "core/fileops/fileprims.h"
#include "fw/cstring.h"

namespace fileops {

// Removes a scratch file without a backup: attributes made normal first, so
// a read-only one goes too. False when the removal failed.
bool RemoveScratchFile(const CString& path);

// Removals of the start-up clean-up of "\TMP" at most.
constexpr int kStartRemovals = 30;
// Entries of "\TMP" the exit clean-up keeps by name; every file counted
// beyond them goes.
constexpr int kExitKeptEntries = 202;

// Today's key of the backup clean-up: month and day as "%02d%02d".
std::string BackupDayKey(int month, int day);

// Whether a name in the backup folder is a backup of another day: its base
// name (before the last ".") ends in "~" and the four characters before
// that "~" are not `todayKey` (a base name of four characters or fewer has
// an empty key). "." and ".." never are.
bool IsStaleBackupName(const std::string& name, const std::string& todayKey);

// Start-up: the files of "\TMP" made writable and removed, its sub-folders
// other than "BACKUP" removed with everything below them (at most 30
// removals, at most `capacity` entries read), then the backups of other
// days in "\TMP\BACKUP" (at most `capacity` entries). The day is the
// framework clock's local date. Returns the files and folders removed.
int CleanScratchAtStart(FileOpsHost& host, const CString& programDir, int capacity);

// Exit: the files of "\TMP" that begin with "Dorvik", "TMP_", "temp." or
// "pdftmp.", and every file counted after the 202nd entry; the document's
// current file (`currentFilePath`'s name) stays while `loadState` is 99.
// Sub-folders other than "BACKUP" go as at start-up; "\TMP1" goes with
// everything below it. Returns the files and folders removed.
int CleanScratchAtExit(FileOpsHost& host, const CString& programDir, int capacity, const CString& currentFilePath,
                       int loadState);

}  // namespace fileops
