#include "core/fileops/fileprims.h"

#include <string>
#include <vector>

#include "core/crypto/encname.h"
#include "core/docsvc/schedule_runner.h"
#include "core/fileops/ftpprims.h"
#include "fw/file.h"
#include "fw/path.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace fileops {

namespace {

bool IsLink(std::uint32_t attributes) {
  return attributes != 0xFFFFFFFFu && (attributes & kAttrReparse) != 0;
}

// Removes a file through the framework; false when the system refused.
bool RemoveThroughFramework(const CString& path) {
  try {
    CFile::Remove(path);
    return true;
  } catch (const CFileException&) {
    return false;
  }
}

// Clears the read-only bit (attributes normal, times kept).
bool MakeWritable(const CString& path) {
  CFileStatus st;
  st.m_attribute = CFile::normal;
  try {
    CFile::SetStatus(path, st);
    return true;
  } catch (const CFileException&) {
    return false;
  }
}

struct Listed {
  std::string name;
  std::uint32_t attributes;
};

}  // namespace

CString JoinEntryPath(const CString& folder, const std::string& name) {
  CString full = folder;
  const int n = full.GetLength();
  if (n == 0 || fw::LastPathSeparator(full.GetString(), n) != n - 1) full += "\\";
  full += name.c_str();
  return full;
}

// --- host defaults -------------------------------------------------------------

CString FileOpsHost::StoredName(const CString& path) {
  return CString(crypto::TranslateEncryptedName(path.Str(), 0, KeyCode().Str()));
}

docsvc::BackupResult FileOpsHost::Backup(const CString& path) { return BackupForToday(path, ProgramDir()); }

docsvc::BackupResult BackupForToday(const CString& path, const CString& programDir) {
  const docsvc::LocalTime today = docsvc::CurrentLocalTime();
  return docsvc::MakeBackup(path, programDir, today.month, today.day);
}

// --- attributes ------------------------------------------------------------------

std::uint32_t EntryAttributes(const CString& path) {
#ifdef _WIN32
  const std::u16string w = fw::ToWidePath(path.GetString());
  const DWORD a = ::GetFileAttributesW(reinterpret_cast<const wchar_t*>(w.c_str()));
  return a == INVALID_FILE_ATTRIBUTES ? 0xFFFFFFFFu : static_cast<std::uint32_t>(a);
#else
  const std::string p = fw::ToPosixPath(path.GetString());
  struct stat st;
  if (::lstat(p.c_str(), &st) != 0) return 0xFFFFFFFFu;
  std::uint32_t a = 0;
  if (S_ISLNK(st.st_mode)) {
    struct stat target;
    a = kAttrReparse;
    if (::stat(p.c_str(), &target) == 0 && S_ISDIR(target.st_mode)) a |= kAttrFolder;
    else a |= kAttrArchive;
    return a;
  }
  a = S_ISDIR(st.st_mode) ? kAttrFolder : kAttrArchive;
  if ((st.st_mode & S_IWUSR) == 0) a |= kAttrReadOnly;
  return a;
#endif
}

// --- the primitives ----------------------------------------------------------------

int ChangeDirectory(FileOpsHost& host, const CString& path, int useFtp, int skip) {
  if (skip != 0) return 1;
  if (FtpSite* site = FtpSiteOf(host, path, useFtp)) return FtpChangeDirectory(*site, path);
  return ChangeDirectory(host.Folders(), path.Str(), useFtp, skip);
}

int RemoveFolder(FileOpsHost& host, const CString& path, int useFtp) {
  if (FtpSite* site = FtpSiteOf(host, path, useFtp)) return FtpRemoveFolder(*site, path);
  if (fw::RemoveDir(path)) return kDone;
  // A symbolic link to a folder is a file to the system's file removal on
  // some systems; the link goes, never what it points to.
  if (IsLink(EntryAttributes(path)) && RemoveThroughFramework(path)) return kDone;
  return kFailed;
}

int RemoveFile(FileOpsHost& host, const CString& path, int mode, int useFtp, int quiet) {
  if (mode == kModeSkip) return kDone;
  const CString stored = host.StoredName(path);
  if (stored.IsEmpty()) return kFailed;
  if (FtpSite* site = FtpSiteOf(host, path, useFtp)) return FtpRemoveFile(*site, stored);
  // Nothing there: nothing to copy, nothing to ask.
  if (EntryAttributes(stored) == 0xFFFFFFFFu) return kFailed;
  const docsvc::BackupResult b = host.Backup(stored);
  if (!b.ok && !b.skipped && quiet == 0) {
    // Removing without the copy loses the undo: the user decides.
    if (host.Ask(Text::kDeleteWithoutBackup, stored, Buttons::kYesNoDefaultNo) != kAnswerYes) return kFailed;
  }
  if (RemoveThroughFramework(stored)) return kDone;
  if (mode != kModeForce) return kFailed;
  if (!MakeWritable(stored)) return kFailed;
  return RemoveThroughFramework(stored) ? kDone : kFailed;
}

void DeleteEntry(FileOpsHost& host, const CString& path, int isFolder, int mode, int confirm, int quiet, int useFtp,
                 int limit) {
  if (mode == kModeSkip) return;
  if (isFolder) {
    if (RemoveFolder(host, path, useFtp) == kDone) return;
    if (mode == kModeAsk && quiet == 0) {
      if (host.Ask(Text::kDeleteFolderQuery, path, Buttons::kYesNoCancel) != kAnswerYes) return;
    }
    if (DeleteDirectoryTree(host, path, mode, confirm, quiet, useFtp, limit) == kFailed) {
      if (quiet == 0) host.Ask(Text::kCannotDelete, path, Buttons::kOk);
      return;
    }
    RemoveFolder(host, path, useFtp);  // a folder that still holds entries stays, silently
    return;
  }
  bool askThis = confirm == kConfirmEach && quiet == 0;
  if (confirm == kConfirmAll && quiet == 0) {
    const int a = host.Ask(Text::kDeleteAllFilesQuery, CString(), Buttons::kYesNoCancel);
    if (a == kAnswerCancel) return;
    askThis = a != kAnswerYes;
  }
  if (askThis && host.Ask(Text::kDeleteOne, path, Buttons::kYesNoCancel) != kAnswerYes) return;
  if (RemoveFile(host, path, mode, useFtp, quiet) == kFailed && quiet == 0)
    host.Ask(Text::kCannotDelete, path, Buttons::kOk);
}

int DeleteDirectoryTree(FileOpsHost& host, const CString& folder, int mode, int confirm, int quiet, int useFtp,
                        int limit) {
  if (FtpSite* site = FtpSiteOf(host, folder, useFtp))
    return FtpDeleteDirectoryTree(host, *site, folder, mode, confirm, quiet, limit);
  // A junction or a symbolic link is never entered: what it points to is
  // not part of the tree.
  if (IsLink(EntryAttributes(folder))) return kFailed;
  FolderHost& folders = host.Folders();
  if (ChangeDirectory(folders, folder.Str(), useFtp, 0) < 0) return kFailed;
  // The entries are read first (at most `limit`, "." and ".." counted) and
  // deleted afterwards, so removals never disturb the folder's reading.
  std::vector<Listed> entries;
  long read = 0;
  const bool ok = folders.ListCurrentDir([&](const FolderEntry& e) {
    if (read >= limit) return false;
    ++read;
    if (!IsDotEntry(e.name)) entries.push_back(Listed{e.name, e.attributes});
    return read < limit;
  });
  if (!ok) {
    host.SetTitle(Text::kFolderOpenFailed);
    return kFailed;
  }
  for (const Listed& e : entries) {
    const int isFolder = (e.attributes & kAttrFolder) ? 1 : 0;
    DeleteEntry(host, JoinEntryPath(folder, e.name), isFolder, mode, confirm, quiet, useFtp, limit);
  }
  ChangeDirectory(folders, "..", useFtp, 0);
  return kDone;
}

int GetDirectoryTreeSize(FileOpsHost& host, const CString& folder, int useFtp) {
  if (host.EscapeConfirmed()) return kStopped;
  if (FtpSite* site = FtpSiteOf(host, folder, useFtp, true)) return FtpGetDirectoryTreeSize(host, *site, folder);
  FolderHost& folders = host.Folders();
  if (ChangeDirectory(folders, folder.Str(), useFtp, 0) < 0) return kFailed;
  int result = kDone;
  bool stopped = false;
  const bool ok = folders.ListCurrentDir([&](const FolderEntry& e) {
    if (IsDotEntry(e.name)) return true;
    if (e.attributes & kAttrFolder) {
      ++host.TreeDepth();
      if (host.TreeDepth() > kMaxTreeDepth) {
        result = kFailed;
        stopped = true;
        return false;
      }
      const int r = GetDirectoryTreeSize(host, JoinEntryPath(folder, e.name), useFtp);
      if (r < 0) {
        result = r == kFailed ? kDone : r;  // only Esc travels up
        stopped = true;
        return false;
      }
      --host.TreeDepth();
      return true;
    }
    host.TreeBytes() += e.size;  // 64-bit lengths: files beyond 4 GiB count in full
    ++host.TreeFiles();
    return true;
  });
  if (!ok) {
    host.SetTitle(Text::kFolderOpenFailed);
    return kFailed;
  }
  if (stopped) return result;  // an early end does not go back to the parent
  ChangeDirectory(folders, "..", useFtp, 0);
  return kDone;
}

int MakeFolder(FileOpsHost& host, const CString& path, int flag) {
  if (FtpSite* site = FtpSiteOf(host, path, flag)) return FtpMakeFolder(*site, path);
  return fw::MakeDir(path) ? kDone : kFailed;
}

}  // namespace fileops
