#include "core/docsvc/backup.h"

#include <vector>

#include "core/docsvc/pathpart.h"
#include "fw/file.h"
#include "fw/filefind.h"
#include "fw/path.h"

namespace docsvc {
namespace {

// The backup's messages: one table.
enum BackupError { kBakNoFolder, kBakRead, kBakWrite, kBakRotate };
const char* const kBackupErrorText[] = {
    "バックアップフォルダ %s を作成できません",
    "%s を読み込めません",
    "バックアップ %s を書き込めません",
    "古いバックアップ %s を整理できません",
};

CString Error(BackupError e, const CString& path) {
  CString s;
  s.Format(kBackupErrorText[e], path.GetString());
  return s;
}

bool Exists(const CString& path) {
  CFileStatus st;
  return CFile::GetStatus(path, st) != FALSE;
}

bool SameName(const CString& a, const CString& b) { return a.CompareNoCase(b) == 0; }

bool Contains(const std::vector<CString>& names, const CString& n) {
  for (const CString& x : names)
    if (SameName(x, n)) return true;
  return false;
}

std::vector<CString> ListFolder(const CString& dir) {
  std::vector<CString> names;
  CFileFind ff;
  BOOL more = ff.FindFile(dir + "\\*");
  while (more) {
    more = ff.FindNextFile();
    if (!ff.IsDots() && !ff.IsDirectory()) names.push_back(ff.GetFileName());
  }
  ff.Close();
  return names;
}

// Copies src to dst through CFile; the copy's write time is now.
bool CopyBytes(const CString& src, const CString& dst, CString* error) {
  CFile in;
  if (!in.Open(src, CFile::modeRead | CFile::shareDenyNone)) {
    *error = Error(kBakRead, src);
    return false;
  }
  std::vector<char> buf(1 << 16);
  CFile out;
  if (!out.Open(dst, CFile::modeCreate | CFile::modeWrite)) {
    *error = Error(kBakWrite, dst);
    return false;
  }
  bool reading = true;
  try {
    for (;;) {
      reading = true;
      UINT n = in.Read(buf.data(), static_cast<UINT>(buf.size()));
      if (n == 0) break;
      reading = false;
      out.Write(buf.data(), n);
    }
    reading = false;
    out.Close();
  } catch (const CFileException&) {
    out.Abort();
    try {
      CFile::Remove(dst);
    } catch (const CFileException&) {
    }
    *error = reading ? Error(kBakRead, src) : Error(kBakWrite, dst);
    return false;
  }
  return true;
}

// All 26 letters are taken: drop the oldest and move the later letters down.
bool RotateBackups(const CString& dir, const CString& fileName, int month, int day, CString* error) {
  int oldest = 0;
  std::int64_t oldestTime = 0;
  for (int i = 0; i < 26; ++i) {
    CFileStatus st;
    const CString p = dir + "\\" + BackupName(fileName, static_cast<char>('A' + i), month, day);
    if (!CFile::GetStatus(p, st)) continue;
    if (i == 0 || st.m_mtime.GetTime() < oldestTime) {
      oldest = i;
      oldestTime = st.m_mtime.GetTime();
    }
  }
  CString path;
  try {
    path = dir + "\\" + BackupName(fileName, static_cast<char>('A' + oldest), month, day);
    CFileStatus st;
    if (CFile::GetStatus(path, st)) {
      if (st.m_attribute & CFile::readOnly) {
        st.m_attribute = CFile::normal;
        CFile::SetStatus(path, st);
      }
      CFile::Remove(path);
    }
    for (int i = oldest + 1; i < 26; ++i) {
      const CString from = dir + "\\" + BackupName(fileName, static_cast<char>('A' + i), month, day);
      path = dir + "\\" + BackupName(fileName, static_cast<char>('A' + i - 1), month, day);
      if (Exists(from)) CFile::Rename(from, path);
    }
  } catch (const CFileException&) {
    *error = Error(kBakRotate, path);
    return false;
  }
  return true;
}

// One walk of EmptyScratchFolder over `dir`: removes what it can and counts
// it. Sets *empty when nothing is left below `dir`.
int RemoveBelow(const CString& dir, bool* empty) {
  struct Item {
    CString path;
    bool folder;
    bool link;
    bool readOnly;
  };
  std::vector<Item> items;
  CFileFind ff;
  BOOL more = ff.FindFile(dir + "\\*");
  while (more) {
    more = ff.FindNextFile();
    if (ff.IsDots()) continue;
    items.push_back({ff.GetFilePath(), ff.IsDirectory() != FALSE, ff.MatchesMask(0x400) != FALSE,
                     ff.IsReadOnly() != FALSE});
  }
  ff.Close();
  int removed = 0;
  int left = 0;
  for (const Item& it : items) {
    try {
      // Read-only entries (a read-only folder keeps its entries) are made
      // writable first.
      if (it.readOnly && !it.link) {
        CFileStatus st;
        if (CFile::GetStatus(it.path, st)) {
          st.m_attribute = static_cast<BYTE>(st.m_attribute & ~CFile::readOnly);
          st.m_ctime = st.m_mtime = st.m_atime = CTime();
          CFile::SetStatus(it.path, st);
        }
      }
      if (it.folder && !it.link) {
        bool below = false;
        removed += RemoveBelow(it.path, &below);
        if (below && fw::RemoveDir(it.path)) {
          ++removed;
        } else {
          ++left;
        }
        continue;
      }
      // A link to a folder goes as a folder entry on Windows, as a file here;
      // what it points to is never walked.
      if (it.folder && fw::RemoveDir(it.path)) {
        ++removed;
        continue;
      }
      CFile::Remove(it.path);
      ++removed;
    } catch (const CFileException&) {
      ++left;
    }
  }
  *empty = left == 0;
  return removed;
}

bool HasEntries(const CString& dir) {
  CFileFind ff;
  BOOL more = ff.FindFile(dir + "\\*");
  while (more) {
    more = ff.FindNextFile();
    if (!ff.IsDots()) return true;
  }
  return false;
}

}  // namespace

CString PackageScratchDir(const CString& programDir) { return programDir + "\\TMP\\XLSX"; }

bool EmptyScratchFolder(const CString& folder) {
  CFileStatus st;
  if (!CFile::GetStatus(folder, st)) return true;
  if (!(st.m_attribute & CFile::directory)) return false;
  for (;;) {
    bool empty = false;
    int removed = RemoveBelow(folder, &empty);
    if (empty && !HasEntries(folder)) return true;
    if (removed == 0) return false;
  }
}

CString ScratchDir(const CString& programDir) { return programDir + "\\TMP"; }
CString BackupDir(const CString& programDir) { return programDir + "\\TMP\\BACKUP"; }
CString XlsxScratchDir(const CString& programDir) { return programDir + "\\TMP1"; }

bool EnsureScratchFolders(const CString& programDir) {
  bool ok = true;
  for (const CString& d : {ScratchDir(programDir), BackupDir(programDir), XlsxScratchDir(programDir)}) {
    CFileStatus st;
    if (CFile::GetStatus(d, st) && (st.m_attribute & CFile::directory)) continue;
    if (!fw::MakeDir(d)) ok = false;
  }
  return ok;
}

CString BackupName(const CString& fileName, char letter, int month, int day) {
  CString stamp;
  stamp.Format("_%c%02d%02d~", letter, month, day);
  CString ext = GetPathPart(fileName, 5);
  CString out = GetPathPart(fileName, 2) + stamp;
  if (!ext.IsEmpty()) out += "." + ext;
  return out;
}

CString NextBackupName(const CString& fileName, int month, int day, const std::vector<CString>& folderNames,
                       bool* rotate) {
  *rotate = false;
  for (char c = 'A'; c <= 'Z'; ++c) {
    CString n = BackupName(fileName, c, month, day);
    if (!Contains(folderNames, n)) return n;
  }
  *rotate = true;
  return BackupName(fileName, 'Z', month, day);
}

BackupResult MakeBackup(const CString& path, const CString& programDir, int month, int day) {
  BackupResult r;
  const CString dir = BackupDir(programDir);
  if (GetPathPart(path, 3).CompareNoCase(dir) == 0) {
    r.ok = true;
    r.skipped = true;
    return r;
  }
  if (!EnsureScratchFolders(programDir)) {
    CFileStatus st;
    if (!CFile::GetStatus(dir, st)) {
      r.error = Error(kBakNoFolder, dir);
      return r;
    }
  }
  {
    // Nothing is rotated away for a source that cannot be read.
    CFile probe;
    if (!probe.Open(path, CFile::modeRead | CFile::shareDenyNone)) {
      r.error = Error(kBakRead, path);
      return r;
    }
    probe.Abort();
  }
  const CString name = GetPathPart(path, 1);
  bool rotate = false;
  CString next = NextBackupName(name, month, day, ListFolder(dir), &rotate);
  if (rotate && !RotateBackups(dir, name, month, day, &r.error)) return r;
  r.backupPath = dir + "\\" + next;
  if (!CopyBytes(path, r.backupPath, &r.error)) return r;
  r.ok = true;
  return r;
}

}  // namespace docsvc
