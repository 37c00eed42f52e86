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
  try {
    CFile f(tmp, CFile::modeCreate | CFile::modeWrite);
    if (!bytes.empty()) f.Write(bytes.data(), static_cast<UINT>(bytes.size()));
    f.Close();
  } catch (const CFileException& e) {
    if (error) error->Format("%s に書き込めません (%s)", path.GetString(), e.what());
    try {
      CFile::Remove(tmp);
    } catch (const CFileException&) {
    }
    return false;
  }
  try {
    CFileStatus st;
    if (CFile::GetStatus(path, st)) CFile::Remove(path);
    CFile::Rename(tmp, path);
  } catch (const CFileException& e) {
    if (error) error->Format("%s を置き換えられません (%s)", path.GetString(), e.what());
    return false;
  }
  return true;
}

FileRead LoadInfFile(const CString& path, InfFile& f) {
  std::string bytes;
  FileRead r = ReadWholeFile(path, &bytes);
  if (r == FileRead::Loaded) ReadInfText(bytes, f.s, &f.unknown, &f.issues);
  return r;
}

FileRead LoadSysFile(const CString& path, SysFile& f) {
  std::string bytes;
  FileRead r = ReadWholeFile(path, &bytes);
  if (r == FileRead::Loaded) ReadSysText(bytes, f.s, &f.unknown, &f.issues);
  return r;
}

bool SaveInfFile(const CString& path, const InfFile& f, CString* error) {
  return ReplaceFileContent(path, WriteInfText(f.s, f.unknown), error);
}

bool SaveSysFile(const CString& path, const SysFile& f, CString* error) {
  return ReplaceFileContent(path, WriteSysText(f.s, f.unknown), error);
}

bool WriteMissingSettingsFiles(const CString& programDir, CString* error) {
  CFileStatus st;
  const CString inf = ProgramFilePath(programDir, kInfFileName);
  if (!CFile::GetStatus(inf, st) && !SaveInfFile(inf, InfFile(), error)) return false;
  const CString sys = ProgramFilePath(programDir, kSysFileName);
  if (!CFile::GetStatus(sys, st) && !SaveSysFile(sys, SysFile(), error)) return false;
  return true;
}

}  // namespace docsvc
