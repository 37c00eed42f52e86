// CFile: unbuffered binary file access; CFileException: what went wrong;
// CFileStatus: times, size and attributes of a file. Paths are program
// paths (Shift-JIS, "\" separators; see fw/path.h).
//
// Errors throw CFileException by value (catch by const reference): the
// opening constructor, Read, Write, Seek, SetLength, and any use of a file
// that is not open. Open() and GetStatus() report failure by their result.
#pragma once

#include <cstdint>
#include <exception>

#include "fw/cstring.h"
#include "fw/datetime.h"
#include "fw/types.h"

class CFileException : public std::exception {
 public:
  enum Cause {
    none = 0,
    generic = 1,
    fileNotFound = 2,
    badPath = 3,
    tooManyOpenFiles = 4,
    accessDenied = 5,
    invalidFile = 6,
    removeCurrentDir = 7,
    directoryFull = 8,
    badSeek = 9,
    hardIO = 10,
    sharingViolation = 11,
    lockViolation = 12,
    diskFull = 13,
    endOfFile = 14,
  };

  CFileException() = default;
  CFileException(int cause, LONG osError, const char* fileName)
      : m_cause(cause), m_lOsError(osError), m_strFileName(fileName) {}

  const char* what() const noexcept override;

  int m_cause = none;
  LONG m_lOsError = 0;  // errno natively, GetLastError() on Windows
  CString m_strFileName;
};

struct CFileStatus {
  CTime m_ctime;        // creation (natively the status change time)
  CTime m_mtime;        // last write
  CTime m_atime;        // last access
  ULONGLONG m_size = 0;
  BYTE m_attribute = 0; // CFile::Attribute bits
  char m_szFullName[260] = {};  // the path as given, cut to fit
  // SetStatus leaves a time of 0 as it is, unless its bit is here (the
  // epoch itself is then set): kGiveCTime, kGiveATime, kGiveMTime.
  BYTE m_timesGiven = 0;
  enum : BYTE { kGiveCTime = 1, kGiveATime = 2, kGiveMTime = 4 };
};

class CFile {
 public:
  enum OpenFlags : UINT {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeReadWrite = 0x0002,
    shareCompat = 0x0000,
    shareExclusive = 0x0010,
    shareDenyWrite = 0x0020,
    shareDenyRead = 0x0030,
    shareDenyNone = 0x0040,
    modeNoInherit = 0x0080,
    // With modeCreate: only a new file; an existing name fails with the
    // system's "already exists" error and is left as it is.
    modeCreateNew = 0x0100,
    modeCreate = 0x1000,
    modeNoTruncate = 0x2000,
    typeText = 0x4000,   // CStdioFile only
    typeBinary = 0x8000,
  };
  enum Attribute : BYTE {
    normal = 0x00,
    readOnly = 0x01,
    hidden = 0x02,
    system = 0x04,
    volume = 0x08,
    directory = 0x10,
    archive = 0x20,
  };
  enum SeekPosition { begin = 0, current = 1, end = 2 };

  CFile() = default;
  CFile(const char* path, UINT openFlags);  // throws CFileException on failure
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;
  virtual ~CFile();

  // FALSE on failure, with the cause in *error when given.
  virtual BOOL Open(const char* path, UINT openFlags, CFileException* error = nullptr);
  virtual void Close();   // throws when the system reports an error
  virtual void Abort();   // closes, never throws

  BOOL IsOpen() const { return m_hFile != kInvalid; }

  // Bytes read; fewer than asked only at the end of the file.
  virtual UINT Read(void* buffer, UINT count);
  virtual void Write(const void* buffer, UINT count);
  virtual ULONGLONG Seek(LONGLONG offset, UINT from);
  void SeekToBegin() { Seek(0, begin); }
  ULONGLONG SeekToEnd() { return Seek(0, end); }
  virtual ULONGLONG GetPosition() const;
  virtual ULONGLONG GetLength() const;
  virtual void SetLength(ULONGLONG length);
  virtual void Flush();

  const CString& GetFilePath() const { return m_strFileName; }
  CString GetFileName() const;  // the part after the last separator

  BOOL GetStatus(CFileStatus& status) const;
  static BOOL GetStatus(const char* path, CFileStatus& status);
  // Sets the attributes and the times that are not 0 (or given in
  // m_timesGiven); throws on failure.
  static void SetStatus(const char* path, const CFileStatus& status);
  // The same on this open file, through its handle (no path lookup): the
  // times not 0 (or given), and the attribute bits (read-only, hidden,
  // system, archive; none: a normal file) as the file's attributes.
  // Throws on failure.
  void SetOpenStatus(const CFileStatus& status);
  static void Remove(const char* path);                  // throws on failure
  static void Rename(const char* oldPath, const char* newPath);

 protected:
  static constexpr std::intptr_t kInvalid = -1;
  void ThrowOsError(long osError) const;  // CFileException with the mapped cause
  void CheckOpen() const;

  std::intptr_t m_hFile = kInvalid;  // fd natively, HANDLE on Windows
  CString m_strFileName;
};

namespace fw {
// Cause code for an errno value (native) or a GetLastError() value (Windows).
int FileErrorCause(long osError);

// Test hook for the failure paths of code that writes files. Calls of
// CFile::Write, CFile::Rename, CFile::Remove, CFile::SetStatus, fw::MakeDir
// and fw::RemoveDir are numbered per operation from 1 after Reset(); a
// planned failure throws the CFileException the system's own failure would
// give (Write: disk full; the others: access denied) before anything is
// done; MakeDir and RemoveDir return false instead, with the system's
// last error set to access denied. Typical use:
//
//   fw::filetest::Reset();
//   fw::filetest::FailAt(fw::filetest::Op::kRename, 2);  // the second rename fails
//   RunSave();                                            // must roll back
//   fw::filetest::Reset();
namespace filetest {
enum class Op { kWrite, kRename, kRemove, kSetStatus, kMakeDir, kRemoveDir };
void Reset();                // counters to 0, no failures planned
void FailAt(Op op, long n);  // only call n of `op` fails (0: none)
void FailFrom(Op op, long n);  // calls n, n+1, ... of `op` fail (0: none)
long Count(Op op);           // calls of `op` since Reset()
long Failed(Op op);          // of those, how many were refused
// Numbers one call of `op` and says whether the plan refuses it (for the
// calls that report failure by their result rather than by throwing).
bool Refuse(Op op);
}  // namespace filetest
}  // namespace fw
