// Writing a document file so that a failed save changes nothing: the bytes
// go to a temporary file in the target's folder, and only when all of them
// are written does that file take the target's name. A read-only target, a
// missing folder, a full disk or a target that cannot be replaced gives a
// clear error with the original file as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "fw/cstring.h"

namespace viewcore {

struct SafeWriteOptions {
  // Backup of the existing target (docsvc::MakeBackup into the program's
  // "\TMP\BACKUP\") before anything is written; a backup that cannot be made
  // stops the save. Empty programDir: no backup.
  CString programDir;
  // Modification time (seconds since 1970) the written file is to carry
  // (the document's m_tOpenedFileTime when m_bKeepFileDate is set); 0 = now.
  std::int64_t keepModTime = 0;
  // Asked before writing a file that would not hold `lost` characters of the
  // text (they would become "〓"); false stops the save (kNotConfirmed).
  // Empty: such a save goes ahead.
  std::function<bool(std::size_t lost)> confirmLoss;
};

// Why a save failed; one text each in the table of safewrite.cpp.
enum class SaveError {
  kNone,
  kReadOnly,       // the target is write-protected
  kIsFolder,       // the target names a folder
  kBackupFailed,   // the backup copy could not be made
  kCannotCreate,   // no temporary file in the folder (missing folder, no rights)
  kWriteFailed,    // writing stopped (disk full, I/O error)
  kCannotReplace,  // the target could not be replaced
  kEncodeFailed,   // the text has no form in the file's encoding
  kRestoreFailed,  // the target could not be replaced nor put back: the old content is in a side file
  kNotConfirmed,   // the user chose not to save a file that would lose characters
};

struct SaveResult {
  bool ok = false;
  SaveError error = SaveError::kNone;
  CString message;     // the error for the user (empty when ok)
  CString backupPath;  // the backup made, if any
  CString warning;     // saved, but the file time or attributes could not be set
};

// The question asked through confirmLoss before losing `lost` characters.
CString LossQuestionText(std::size_t lost);

// The user's text of an error for `path`.
CString SaveErrorText(SaveError e, const CString& path);

// Writes `len` bytes to `path` as described above. An existing target keeps
// its hidden/system/archive attributes. A failed save removes what it made
// (the temporary file and the backup of the unchanged target); the tests
// reach every failure through fw::filetest.
SaveResult SafeWriteFile(const CString& path, const void* data, std::size_t len, const SafeWriteOptions& options);

}  // namespace viewcore
