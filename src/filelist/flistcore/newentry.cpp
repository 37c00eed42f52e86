#include "filelist/flistcore/newentry.h"

#include "fw/file.h"

namespace flist {

std::string NewEntryPreset(const std::string& cursorName) {
  return cursorName == ".." || cursorName == "." ? std::string() : cursorName;
}

namespace {

bool CreateEmpty(const CString& path, UINT flags) {
  CFile f;
  if (!f.Open(path, flags)) return false;
  try {
    f.Close();
  } catch (const CFileException&) {
    return false;
  }
  return true;
}

}  // namespace

NewFileResult MakeNewFile(fileops::FileOpsHost& host, const CString& path,
                          const std::function<bool()>& confirmOverwrite) {
  if (path.IsEmpty()) return NewFileResult::kFailed;
  const std::uint32_t a = fileops::EntryAttributes(path);
  if (a == 0xFFFFFFFFu) {
    // Opened without truncation: if the name appeared since the test above,
    // its contents stay.
    return CreateEmpty(path, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite) ? NewFileResult::kCreated
                                                                                          : NewFileResult::kFailed;
  }
  if (a & fileops::kAttrFolder) return NewFileResult::kFailed;
  if (!confirmOverwrite()) return NewFileResult::kKept;
  const docsvc::BackupResult b = host.Backup(path);
  if (!b.ok && !b.skipped &&
      host.Ask(fileops::Text::kDeleteWithoutBackup, path, fileops::Buttons::kYesNoDefaultNo) != fileops::kAnswerYes)
    return NewFileResult::kKept;
  return CreateEmpty(path, CFile::modeCreate | CFile::modeWrite) ? NewFileResult::kEmptied : NewFileResult::kFailed;
}

}  // namespace flist
