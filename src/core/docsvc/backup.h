// Backup copies (SaveFile mode 99) in the program's "\TMP\BACKUP\" folder and
// the scratch folders below the program folder.
//
// A backup of "memo.txt" made on 6 December is "memo_A1206~.txt": the name,
// "_", a letter, month and day, "~", then the extension ("memo_A1206~" for a
// name without one). The first letter from "A" whose name is free is taken.
// When all 26 of the day are there, the oldest (earliest write time; the
// earlier letter on a tie) is dropped, the later letters move down by one so
// the letters stay in the order the copies were made, and the new copy
// becomes "Z". A newer backup is never overwritten.
#pragma once

#include <vector>

#include "fw/cstring.h"

namespace docsvc {

// "\TMP", "\TMP\BACKUP" and "\TMP1" below the program folder.
CString ScratchDir(const CString& programDir);
CString BackupDir(const CString& programDir);
CString XlsxScratchDir(const CString& programDir);

// "\TMP\XLSX" below the program folder: the parts of an Office package
// unpacked for reading (emptied at the start of every such conversion).
CString PackageScratchDir(const CString& programDir);

// Empties a scratch folder completely, with no backup copies: every file
// below it is made writable and removed, every sub-folder removed, through
// the file layer (CFileFind, CFile::SetStatus, CFile::Remove, fw::RemoveDir).
// The walk is repeated until the folder is empty or a walk removes nothing.
// A link inside is removed as an entry, never followed. The folder itself
// stays. True when it is empty afterwards (or does not exist).
bool EmptyScratchFolder(const CString& folder);

// Creates the three scratch folders where missing; false when one cannot be
// made.
bool EnsureScratchFolders(const CString& programDir);

// The backup name of a file name for a letter and a day.
CString BackupName(const CString& fileName, char letter, int month, int day);

// Which name the next backup takes, given the names in the backup folder
// (matched without regard to ASCII case, as the file system does). When all
// letters are taken, *rotate is set and the result is the "Z" name (after
// RotateBackups made room).
CString NextBackupName(const CString& fileName, int month, int day, const std::vector<CString>& folderNames,
                       bool* rotate);

struct BackupResult {
  bool ok = false;
  bool skipped = false;  // the file lies in the backup folder itself
  CString backupPath;
  CString error;
};

// The backup copy of `path` into BackupDir(programDir) for the given day
// (the caller passes today's local month and day). The folder is created
// when missing; the copy is written through CFile (so its write time is
// the time of the backup).
BackupResult MakeBackup(const CString& path, const CString& programDir, int month, int day);

}  // namespace docsvc
