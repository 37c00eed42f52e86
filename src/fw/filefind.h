// CFileFind: lists the entries of a folder that match a pattern such as
// "C:\data\*.csv". Wildcards: "*" any run of characters, "?" one character
// (a double-byte character counts as one); ASCII letters match either case;
// "*.*" matches every name. "." and ".." are listed as the system gives them.
//
//   CFileFind ff;
//   BOOL more = ff.FindFile("C:\\data\\*.*");
//   while (more) { more = ff.FindNextFile(); ... ff.GetFileName() ... }
#pragma once

#include <vector>

#include "fw/cstring.h"
#include "fw/datetime.h"
#include "fw/types.h"

class CFileFind {
 public:
  CFileFind() = default;
  ~CFileFind() = default;

  // TRUE when at least one entry matches; then FindNextFile gives the first.
  BOOL FindFile(const char* pattern = nullptr);
  // Steps to the next entry; FALSE when the entry stepped to is the last one.
  // (windows.h renames FindNextFile and GetFileTitle to their "A" forms in
  // code that includes it; both spellings are there, whatever the order.)
  BOOL FindNextFile() { return StepNext(); }
#if defined(_WIN32) && !defined(FindNextFile)
  BOOL FindNextFileA() { return StepNext(); }
#endif
  void Close();

  CString GetFileName() const;
  CString GetFilePath() const;   // root + separator + name
  CString GetFileTitle() const { return TitleOf(); }  // name without its extension
#if defined(_WIN32) && !defined(GetFileTitle)
  CString GetFileTitleA() const { return TitleOf(); }
#endif
  CString GetRoot() const;       // folder part of the pattern
  ULONGLONG GetLength() const;
  BOOL GetLastWriteTime(CTime& time) const;
  BOOL GetCreationTime(CTime& time) const;
  BOOL GetLastAccessTime(CTime& time) const;
  DWORD GetAttributes() const;
  BOOL MatchesMask(DWORD mask) const { return (GetAttributes() & mask) != 0; }
  BOOL IsDirectory() const { return MatchesMask(0x10); }
  BOOL IsReadOnly() const { return MatchesMask(0x01); }
  BOOL IsHidden() const { return MatchesMask(0x02); }
  BOOL IsSystem() const { return MatchesMask(0x04); }
  BOOL IsArchived() const { return MatchesMask(0x20); }
  BOOL IsDots() const;

 private:
  struct Entry {
    CString name;
    ULONGLONG size = 0;
    DWORD attributes = 0;
    std::int64_t ctime = 0, mtime = 0, atime = 0;
  };
  const Entry* Current() const;
  BOOL StepNext();
  CString TitleOf() const;

  std::vector<Entry> m_entries;
  CString m_root;          // pattern up to and including its last separator
  std::size_t m_next = 0;  // entry FindNextFile steps to
  bool m_started = false;
};

namespace fw {
// Matches a name against a wildcard mask as CFileFind does.
bool MatchWildcard(const char* mask, const char* name);
}  // namespace fw
