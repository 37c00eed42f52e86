#include "fw/filefind.h"

#include <cstring>
#include <string>

#include "fw/codepage.h"
#include "fw/path.h"
#include "fw/sjis.h"

#ifdef _WIN32
#include <windows.h>

#include "fw/filetime_win.h"
#else
#include <dirent.h>
#include <sys/stat.h>
#endif

namespace fw {
namespace {

bool SameChar(const char* a, int an, const char* b, int bn) {
  if (an != bn) return false;
  if (an == 2) return a[0] == b[0] && a[1] == b[1];
  char x = a[0], y = b[0];
  if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
  if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
  return x == y;
}

// Iterative wildcard match with one backtrack point, on whole characters.
bool Match(const char* m, int mlen, const char* s, int slen) {
  int mi = 0, si = 0, starM = -1, starS = 0;
  while (si < slen) {
    int mn = mi < mlen ? SjisCharLength(m, mlen, mi) : 0;
    int sn = SjisCharLength(s, slen, si);
    if (mn == 1 && m[mi] == '*') {
      starM = ++mi;
      starS = si;
      continue;
    }
    if (mn > 0 && ((mn == 1 && m[mi] == '?') || SameChar(m + mi, mn, s + si, sn))) {
      mi += mn;
      si += sn;
      continue;
    }
    if (starM < 0) return false;
    mi = starM;
    starS += SjisCharLength(s, slen, starS);
    si = starS;
  }
  while (mi < mlen && m[mi] == '*') ++mi;
  return mi == mlen;
}

}  // namespace

bool MatchWildcard(const char* mask, const char* name) {
  if (mask == nullptr || name == nullptr) return false;
  if (std::strcmp(mask, "*.*") == 0 || std::strcmp(mask, "*") == 0) return true;
  return Match(mask, static_cast<int>(std::strlen(mask)), name, static_cast<int>(std::strlen(name)));
}

}  // namespace fw

BOOL CFileFind::FindFile(const char* pattern) {
  Close();
  if (pattern == nullptr) pattern = "*.*";
  int len = static_cast<int>(std::strlen(pattern));
  int sep = fw::LastPathSeparator(pattern, len);
  m_root = CString(pattern, sep + 1);
#ifdef _WIN32
  // The system matches the pattern (and knows short names and the rules of
  // its file systems).
  std::u16string w = fw::ToWidePath(pattern);
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(reinterpret_cast<const wchar_t*>(w.c_str()), &fd);
  if (h == INVALID_HANDLE_VALUE) return FALSE;
  do {
    Entry e;
    e.name = CString(fw::Utf16ToCp932(reinterpret_cast<const char16_t*>(fd.cFileName),
                                      std::char_traits<char16_t>::length(
                                          reinterpret_cast<const char16_t*>(fd.cFileName))));
    e.size = (static_cast<ULONGLONG>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
    e.attributes = fd.dwFileAttributes;
    e.ctime = fw::FileTimeToUnix(fd.ftCreationTime);
    e.mtime = fw::FileTimeToUnix(fd.ftLastWriteTime);
    e.atime = fw::FileTimeToUnix(fd.ftLastAccessTime);
    m_entries.push_back(std::move(e));
  } while (FindNextFileW(h, &fd));
  FindClose(h);
#else
  CString mask = CString(pattern + sep + 1);
  std::string dir = sep < 0 ? std::string(".") : fw::ToPosixPath(CString(pattern, sep + 1));
  if (dir.empty()) dir = ".";
  DIR* d = ::opendir(dir.c_str());
  if (d == nullptr) return FALSE;
  while (struct dirent* de = ::readdir(d)) {
    std::string native = de->d_name;
    CString name(fw::Utf8ToCp932(native));
    if (!fw::MatchWildcard(mask, name)) continue;
    std::string full = dir + (dir.back() == '/' ? "" : "/") + native;
    struct stat st;
    if (::stat(full.c_str(), &st) != 0) continue;  // vanished or a dangling link
    Entry e;
    e.name = name;
    e.size = S_ISDIR(st.st_mode) ? 0 : static_cast<ULONGLONG>(st.st_size);
    e.attributes = S_ISDIR(st.st_mode) ? 0x10 : 0x20;
    if ((st.st_mode & S_IWUSR) == 0) e.attributes |= 0x01;
    if (native.size() > 1 && native[0] == '.' && native != "..") e.attributes |= 0x02;
    // A symbolic link is a reparse point, as on Windows.
    struct stat lst;
    if (::lstat(full.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) e.attributes |= 0x400;
    e.ctime = st.st_ctime;
    e.mtime = st.st_mtime;
    e.atime = st.st_atime;
    m_entries.push_back(std::move(e));
  }
  ::closedir(d);
#endif
  return m_entries.empty() ? FALSE : TRUE;
}

BOOL CFileFind::StepNext() {
  if (m_next >= m_entries.size()) return FALSE;
  m_started = true;
  ++m_next;
  return m_next < m_entries.size() ? TRUE : FALSE;
}

void CFileFind::Close() {
  m_entries.clear();
  m_root.Empty();
  m_next = 0;
  m_started = false;
}

const CFileFind::Entry* CFileFind::Current() const {
  if (!m_started || m_next == 0 || m_next > m_entries.size()) return nullptr;
  return &m_entries[m_next - 1];
}

CString CFileFind::GetFileName() const {
  const Entry* e = Current();
  return e != nullptr ? e->name : CString();
}

CString CFileFind::GetFilePath() const {
  const Entry* e = Current();
  if (e == nullptr) return CString();
  return m_root + e->name;
}

CString CFileFind::TitleOf() const {
  CString name = GetFileName();
  int dot = name.ReverseFind('.');
  return dot > 0 ? name.Left(dot) : name;
}

CString CFileFind::GetRoot() const {
  int len = m_root.GetLength();
  // Keep the separator of a root folder ("\", "C:\"), drop it otherwise.
  if (len <= 1 || (len == 3 && m_root[1] == ':')) return m_root;
  return m_root.Left(len - 1);
}

ULONGLONG CFileFind::GetLength() const {
  const Entry* e = Current();
  return e != nullptr ? e->size : 0;
}

BOOL CFileFind::GetLastWriteTime(CTime& time) const {
  const Entry* e = Current();
  if (e == nullptr) return FALSE;
  time = CTime(e->mtime);
  return TRUE;
}

BOOL CFileFind::GetCreationTime(CTime& time) const {
  const Entry* e = Current();
  if (e == nullptr) return FALSE;
  time = CTime(e->ctime);
  return TRUE;
}

BOOL CFileFind::GetLastAccessTime(CTime& time) const {
  const Entry* e = Current();
  if (e == nullptr) return FALSE;
  time = CTime(e->atime);
  return TRUE;
}

DWORD CFileFind::GetAttributes() const {
  const Entry* e = Current();
  return e != nullptr ? e->attributes : 0;
}

BOOL CFileFind::IsDots() const {
  const Entry* e = Current();
  return e != nullptr && IsDirectory() && (e->name == "." || e->name == "..");
}
