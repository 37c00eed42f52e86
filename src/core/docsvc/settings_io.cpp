#include "core/docsvc/settings_io.h"

#include <vector>

#include "fw/file.h"

namespace docsvc {

CString ProgramFilePath(const CString& programDir, const char* name) {
  CString p = programDir;
  if (!p.IsEmpty() && p.Right(1) != "\\") p += "\\";
  return p + name;
}

FileRead ReadWholeFile(const CString& path, std::string* bytes, long long maxBytes) {
  bytes->clear();
  CFileStatus st;
  if (!CFile::GetStatus(path, st)) return FileRead::Missing;
  if (st.m_attribute & CFile::directory) return FileRead::Unreadable;
  CFile f;
  if (!f.Open(path, CFile::modeRead | CFile::shareDenyWrite)) return FileRead::Unreadable;
  try {
    char buf[65536];
    while (static_cast<long long>(bytes->size()) < maxBytes) {
      long long want = maxBytes - static_cast<long long>(bytes->size());
      UINT n = f.Read(buf, static_cast<UINT>(want < static_cast<long long>(sizeof buf) ? want : sizeof buf));
      if (n == 0) break;
      bytes->append(buf, n);
    }
  } catch (const CFileException&) {
    f.Abort();
    bytes->clear();
    return FileRead::Unreadable;
  }
  f.Abort();
  return FileRead::Loaded;
}

bool ReplaceFileContent(const CString& path, const std::string& bytes, CString* error) {
  const CString tmp = path + ".new";
  const CString aside = path + ".old";
  auto removeQuietly = [](const CString& p) {
    try {
      CFileStatus st;
      if (CFile::GetStatus(p, st)) CFile::Remove(p);
    } catch (const CFileException&) {
    }
  };
  removeQuietly(tmp);  // a scratch file an earlier failure could not remove
  try {
    CFile f(tmp, CFile::modeCreate | CFile::modeWrite);
    if (!bytes.empty()) f.Write(bytes.data(), static_cast<UINT>(bytes.size()));
    f.Close();
  } catch (const CFileException& e) {
    if (error) error->Format("%s に書き込めません (%s)", path.GetString(), e.what());
    removeQuietly(tmp);
    return false;
  }
  // The old file moves aside first and comes back when the new one cannot
  // take its name: it is never gone before its replacement is in place.
  CFileStatus st;
  const bool existed = CFile::GetStatus(path, st) != FALSE;
  try {
    if (existed) {
      removeQuietly(aside);
      CFile::Rename(path, aside);
    }
  } catch (const CFileException& e) {
    if (error) error->Format("%s を置き換えられません (%s)", path.GetString(), e.what());
    removeQuietly(tmp);
    return false;
  }
  try {
    CFile::Rename(tmp, path);
  } catch (const CFileException& e) {
    if (error) error->Format("%s を置き換えられません (%s)", path.GetString(), e.what());
    if (existed) {
      try {
        CFile::Rename(aside, path);
      } catch (const CFileException&) {
      }
    }
    removeQuietly(tmp);
    return false;
  }
  if (existed) removeQuietly(aside);
  return true;
}

}  // namespace docsvc
