#include "fw/file.h"

#include <atomic>
#include <cerrno>
#include <cstring>

#include "fw/path.h"

#ifdef _WIN32
#include <windows.h>

#include "fw/filetime_win.h"
#else
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>
#endif

namespace {

const struct {
  int cause;
  const char* text;
} kCauseText[] = {
    {CFileException::none, "no error"},
    {CFileException::generic, "unspecified error"},
    {CFileException::fileNotFound, "file not found"},
    {CFileException::badPath, "bad path"},
    {CFileException::tooManyOpenFiles, "too many open files"},
    {CFileException::accessDenied, "access denied"},
    {CFileException::invalidFile, "invalid file"},
    {CFileException::removeCurrentDir, "cannot remove the current folder"},
    {CFileException::directoryFull, "folder full"},
    {CFileException::badSeek, "bad seek"},
    {CFileException::hardIO, "hardware I/O error"},
    {CFileException::sharingViolation, "sharing violation"},
    {CFileException::lockViolation, "lock violation"},
    {CFileException::diskFull, "disk full"},
    {CFileException::endOfFile, "end of file"},
};

#ifdef _WIN32
const struct {
  DWORD os;
  int cause;
} kOsCause[] = {
    {ERROR_FILE_NOT_FOUND, CFileException::fileNotFound},
    {ERROR_PATH_NOT_FOUND, CFileException::badPath},
    {ERROR_INVALID_NAME, CFileException::badPath},
    {ERROR_BAD_PATHNAME, CFileException::badPath},
    {ERROR_INVALID_DRIVE, CFileException::badPath},
    {ERROR_BAD_NETPATH, CFileException::badPath},
    {ERROR_TOO_MANY_OPEN_FILES, CFileException::tooManyOpenFiles},
    {ERROR_ACCESS_DENIED, CFileException::accessDenied},
    {ERROR_FILE_EXISTS, CFileException::accessDenied},  // a name made only new
    {ERROR_WRITE_PROTECT, CFileException::accessDenied},
    {ERROR_INVALID_HANDLE, CFileException::invalidFile},
    {ERROR_CURRENT_DIRECTORY, CFileException::removeCurrentDir},
    {ERROR_CANNOT_MAKE, CFileException::directoryFull},
    {ERROR_NEGATIVE_SEEK, CFileException::badSeek},
    {ERROR_SEEK, CFileException::badSeek},
    {ERROR_CRC, CFileException::hardIO},
    {ERROR_READ_FAULT, CFileException::hardIO},
    {ERROR_WRITE_FAULT, CFileException::hardIO},
    {ERROR_SHARING_VIOLATION, CFileException::sharingViolation},
    {ERROR_LOCK_VIOLATION, CFileException::lockViolation},
    {ERROR_DISK_FULL, CFileException::diskFull},
    {ERROR_HANDLE_DISK_FULL, CFileException::diskFull},
    {ERROR_HANDLE_EOF, CFileException::endOfFile},
};

const wchar_t* Wide(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

HANDLE H(std::intptr_t h) { return reinterpret_cast<HANDLE>(h); }

// Times, size and attribute bits from either record kind the system fills:
// both carry the same five fields under the same names.
template <typename Record>
void FillStatus(const Record& r, CFileStatus& status) {
  status.m_ctime = CTime(fw::FileTimeToUnix(r.ftCreationTime));
  status.m_mtime = CTime(fw::FileTimeToUnix(r.ftLastWriteTime));
  status.m_atime = CTime(fw::FileTimeToUnix(r.ftLastAccessTime));
  status.m_size = (static_cast<ULONGLONG>(r.nFileSizeHigh) << 32) | r.nFileSizeLow;
  status.m_attribute = static_cast<BYTE>(r.dwFileAttributes);
}

// What a file has on record; false when there is no such file.
bool ReadStatus(const char* path, CFileStatus& status) {
  std::u16string w = fw::ToWidePath(path);
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(Wide(w), GetFileExInfoStandard, &data)) return false;
  FillStatus(data, status);
  return true;
}

// The same record through an open handle: no look-up of the path.
bool ReadOpenStatus(std::intptr_t handle, const char*, CFileStatus& status) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(H(handle), &info)) return false;
  FillStatus(info, status);
  return true;
}

long LastOsError() { return static_cast<LONG>(GetLastError()); }
#else
const struct {
  int os;
  int cause;
} kOsCause[] = {
    {ENOENT, CFileException::fileNotFound},
    {ENOTDIR, CFileException::badPath},
    {ENAMETOOLONG, CFileException::badPath},
    {EMFILE, CFileException::tooManyOpenFiles},
    {ENFILE, CFileException::tooManyOpenFiles},
    {EACCES, CFileException::accessDenied},
    {EPERM, CFileException::accessDenied},
    {EISDIR, CFileException::accessDenied},
    {EROFS, CFileException::accessDenied},
    {EEXIST, CFileException::accessDenied},
    {EBADF, CFileException::invalidFile},
    {EBUSY, CFileException::removeCurrentDir},
    {ENOTEMPTY, CFileException::accessDenied},
    {ESPIPE, CFileException::badSeek},
    {EIO, CFileException::hardIO},
    {ETXTBSY, CFileException::sharingViolation},
    {ENOLCK, CFileException::lockViolation},
    {ENOSPC, CFileException::diskFull},
    {EDQUOT, CFileException::diskFull},
    {EFBIG, CFileException::diskFull},
};

// ENOENT means a missing folder on the way when the parent is not there.
int OpenFailureCause(int err, const std::string& posixPath) {
  if (err == ENOENT) {
    std::string::size_type slash = posixPath.find_last_of('/');
    if (slash != std::string::npos && slash > 0) {
      struct stat st;
      std::string parent = posixPath.substr(0, slash);
      if (::stat(parent.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return CFileException::badPath;
    }
  }
  return fw::FileErrorCause(err);
}

// Attribute bits of a native file: the directory bit, read-only when the
// owner may not write, archive for every regular file, hidden for names
// starting with '.'.
BYTE NativeAttributes(const struct stat& st, const std::string& posixPath) {
  BYTE a = 0;
  if (S_ISDIR(st.st_mode)) {
    a |= CFile::directory;
  } else {
    a |= CFile::archive;
  }
  if ((st.st_mode & S_IWUSR) == 0) a |= CFile::readOnly;
  std::string::size_type slash = posixPath.find_last_of('/');
  std::string name = slash == std::string::npos ? posixPath : posixPath.substr(slash + 1);
  if (name.size() > 1 && name[0] == '.' && name != "..") a |= CFile::hidden;
  return a;
}

void FillStatus(const struct stat& st, const std::string& posixPath, CFileStatus& status) {
  status.m_ctime = CTime(static_cast<std::int64_t>(st.st_ctime));
  status.m_mtime = CTime(static_cast<std::int64_t>(st.st_mtime));
  status.m_atime = CTime(static_cast<std::int64_t>(st.st_atime));
  status.m_size = S_ISDIR(st.st_mode) ? 0 : static_cast<ULONGLONG>(st.st_size);
  status.m_attribute = NativeAttributes(st, posixPath);
}

bool ReadStatus(const char* path, CFileStatus& status) {
  std::string p = fw::ToPosixPath(path);
  struct stat st;
  if (::stat(p.c_str(), &st) != 0) return false;
  FillStatus(st, p, status);
  return true;
}

bool ReadOpenStatus(std::intptr_t handle, const char* path, CFileStatus& status) {
  struct stat st;
  if (::fstat(static_cast<int>(handle), &st) != 0) return false;
  FillStatus(st, fw::ToPosixPath(path), status);
  return true;
}

long LastOsError() { return errno; }
#endif

// A failed call on `path`, with the cause mapped from the system's error.
[[noreturn]] void ThrowPathError(long osError, const char* path) {
  throw CFileException(fw::FileErrorCause(osError), static_cast<LONG>(osError), path);
}

// The fault hook's state, one slot per fw::filetest::Op.
struct FaultPlan {
  std::atomic<long> count{0};
  std::atomic<long> failed{0};
  std::atomic<long> failAt{0};
  std::atomic<long> failFrom{0};
};
FaultPlan g_fault[6];

#ifdef _WIN32
constexpr long kFaultDiskFull = ERROR_DISK_FULL;
constexpr long kFaultDenied = ERROR_ACCESS_DENIED;
#else
constexpr long kFaultDiskFull = ENOSPC;
constexpr long kFaultDenied = EACCES;
#endif

// Numbers this call of `op`; true when the test hook refuses it.
bool FaultPlanned(fw::filetest::Op op) {
  FaultPlan& f = g_fault[static_cast<int>(op)];
  const long n = ++f.count;
  const long at = f.failAt.load(), from = f.failFrom.load();
  if ((at != 0 && n == at) || (from != 0 && n >= from)) {
    ++f.failed;
    return true;
  }
  return false;
}

// Numbers this call of `op` and throws when the test hook refuses it.
void FaultPoint(fw::filetest::Op op, const char* path) {
  if (FaultPlanned(op)) ThrowPathError(op == fw::filetest::Op::kWrite ? kFaultDiskFull : kFaultDenied, path);
}

void FillFullName(CFileStatus& status, const char* path) {
  std::size_t n = std::strlen(path);
  if (n >= sizeof status.m_szFullName) n = sizeof status.m_szFullName - 1;
  std::memcpy(status.m_szFullName, path, n);
  status.m_szFullName[n] = '\0';
}

}  // namespace

namespace fw {
int FileErrorCause(long osError) {
  for (const auto& e : kOsCause) {
    if (static_cast<long>(e.os) == osError) return e.cause;
  }
  return CFileException::generic;
}

namespace filetest {
void Reset() {
  for (FaultPlan& f : g_fault) {
    f.count = 0;
    f.failed = 0;
    f.failAt = 0;
    f.failFrom = 0;
  }
}
void FailAt(Op op, long n) { g_fault[static_cast<int>(op)].failAt = n; }
void FailFrom(Op op, long n) { g_fault[static_cast<int>(op)].failFrom = n; }
long Count(Op op) { return g_fault[static_cast<int>(op)].count.load(); }
long Failed(Op op) { return g_fault[static_cast<int>(op)].failed.load(); }
bool Refuse(Op op) {
  if (!FaultPlanned(op)) return false;
#ifdef _WIN32
  SetLastError(kFaultDenied);
#else
  errno = kFaultDenied;
#endif
  return true;
}
}  // namespace filetest
}  // namespace fw

const char* CFileException::what() const noexcept {
  for (const auto& e : kCauseText) {
    if (e.cause == m_cause) return e.text;
  }
  return "unspecified error";
}

CFile::CFile(const char* path, UINT openFlags) {
  CFileException error;
  if (!Open(path, openFlags, &error)) throw error;
}

CFile::~CFile() { Abort(); }

void CFile::ThrowOsError(long osError) const { ThrowPathError(osError, m_strFileName); }

void CFile::CheckOpen() const {
  if (!IsOpen()) throw CFileException(CFileException::invalidFile, 0, m_strFileName);
}

CString CFile::GetFileName() const {
  int sep = fw::LastPathSeparator(m_strFileName, m_strFileName.GetLength());
  return m_strFileName.Mid(sep + 1);
}

BOOL CFile::GetStatus(const char* path, CFileStatus& status) {
  status = CFileStatus();
  if (path == nullptr || !ReadStatus(path, status)) return FALSE;
  FillFullName(status, path);
  return TRUE;
}

BOOL CFile::GetStatus(CFileStatus& status) const {
  if (!IsOpen()) return FALSE;
  status = CFileStatus();
  if (!ReadOpenStatus(m_hFile, m_strFileName, status)) return FALSE;
  FillFullName(status, m_strFileName);
  return TRUE;
}

#ifdef _WIN32

BOOL CFile::Open(const char* path, UINT flags, CFileException* error) {
  Abort();
  m_strFileName = path;
  DWORD access = 0;
  switch (flags & 3) {
    case modeRead: access = GENERIC_READ; break;
    case modeWrite: access = GENERIC_WRITE; break;
    default: access = GENERIC_READ | GENERIC_WRITE; break;
  }
  DWORD share = 0;
  switch (flags & 0x70) {
    case shareDenyWrite: share = FILE_SHARE_READ; break;
    case shareDenyRead: share = FILE_SHARE_WRITE; break;
    case shareDenyNone: share = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
    default: share = 0; break;
  }
  DWORD create = OPEN_EXISTING;
  if (flags & modeCreate) {
    create = (flags & modeCreateNew) ? CREATE_NEW : (flags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
  }
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, (flags & modeNoInherit) ? FALSE : TRUE};
  std::u16string w = fw::ToWidePath(path);
  HANDLE h = INVALID_HANDLE_VALUE;
  // (Only a write of a file that may exist looks the path up first.)
  const DWORD attrs = (access & GENERIC_WRITE) && create != CREATE_NEW ? GetFileAttributesW(Wide(w))
                                                                      : INVALID_FILE_ATTRIBUTES;
  if ((access & GENERIC_WRITE) && attrs != INVALID_FILE_ATTRIBUTES &&
      (attrs & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) == FILE_ATTRIBUTE_READONLY) {
    // The system refuses this too; checked here as well because Wine run by
    // root would not.
    SetLastError(ERROR_ACCESS_DENIED);
  } else {
    h = CreateFileW(Wide(w), access, share, &sa, create, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  if (h == INVALID_HANDLE_VALUE) {
    DWORD err = GetLastError();
    if (error != nullptr) *error = CFileException(fw::FileErrorCause(err), static_cast<LONG>(err), path);
    return FALSE;
  }
  m_hFile = reinterpret_cast<std::intptr_t>(h);
  return TRUE;
}

void CFile::Close() {
  if (!IsOpen()) return;
  HANDLE h = H(m_hFile);
  m_hFile = kInvalid;
  if (!CloseHandle(h)) ThrowOsError(GetLastError());
}

void CFile::Abort() {
  if (!IsOpen()) return;
  CloseHandle(H(m_hFile));
  m_hFile = kInvalid;
}

UINT CFile::Read(void* buffer, UINT count) {
  CheckOpen();
  if (count == 0) return 0;
  DWORD got = 0;
  if (!ReadFile(H(m_hFile), buffer, count, &got, nullptr)) ThrowOsError(GetLastError());
  return got;
}

void CFile::Write(const void* buffer, UINT count) {
  CheckOpen();
  FaultPoint(fw::filetest::Op::kWrite, m_strFileName);
  if (count == 0) return;
  DWORD put = 0;
  if (!WriteFile(H(m_hFile), buffer, count, &put, nullptr)) ThrowOsError(GetLastError());
  if (put < count) ThrowOsError(ERROR_DISK_FULL);
}

ULONGLONG CFile::Seek(LONGLONG offset, UINT from) {
  CheckOpen();
  DWORD method = from == current ? FILE_CURRENT : (from == end ? FILE_END : FILE_BEGIN);
  LARGE_INTEGER dist, pos;
  dist.QuadPart = offset;
  if (!SetFilePointerEx(H(m_hFile), dist, &pos, method)) ThrowOsError(GetLastError());
  return static_cast<ULONGLONG>(pos.QuadPart);
}

ULONGLONG CFile::GetPosition() const {
  CheckOpen();
  LARGE_INTEGER zero, pos;
  zero.QuadPart = 0;
  if (!SetFilePointerEx(H(m_hFile), zero, &pos, FILE_CURRENT)) ThrowOsError(GetLastError());
  return static_cast<ULONGLONG>(pos.QuadPart);
}

ULONGLONG CFile::GetLength() const {
  CheckOpen();
  LARGE_INTEGER size;
  if (!GetFileSizeEx(H(m_hFile), &size)) ThrowOsError(GetLastError());
  return static_cast<ULONGLONG>(size.QuadPart);
}

void CFile::SetLength(ULONGLONG length) {
  CheckOpen();
  ULONGLONG pos = GetPosition();
  Seek(static_cast<LONGLONG>(length), begin);
  if (!SetEndOfFile(H(m_hFile))) ThrowOsError(GetLastError());
  if (pos < length) Seek(static_cast<LONGLONG>(pos), begin);
}

void CFile::Flush() {
  CheckOpen();
  if (!FlushFileBuffers(H(m_hFile))) ThrowOsError(GetLastError());
}

void CFile::SetStatus(const char* path, const CFileStatus& status) {
  FaultPoint(fw::filetest::Op::kSetStatus, path);
  std::u16string w = fw::ToWidePath(path);
  auto fail = [path]() { ThrowPathError(LastOsError(), path); };
  DWORD attrs = GetFileAttributesW(Wide(w));
  if (attrs == INVALID_FILE_ATTRIBUTES) fail();
  bool wantReadOnly = (status.m_attribute & readOnly) != 0;
  // A read-only file cannot be opened to set its times: clear the bit first.
  if (attrs & FILE_ATTRIBUTE_READONLY) {
    if (!SetFileAttributesW(Wide(w), attrs & ~FILE_ATTRIBUTE_READONLY)) fail();
  }
  const bool setC = status.m_ctime.GetTime() != 0 || (status.m_timesGiven & CFileStatus::kGiveCTime);
  const bool setA = status.m_atime.GetTime() != 0 || (status.m_timesGiven & CFileStatus::kGiveATime);
  const bool setM = status.m_mtime.GetTime() != 0 || (status.m_timesGiven & CFileStatus::kGiveMTime);
  if (setC || setA || setM) {
    DWORD flags = (attrs & FILE_ATTRIBUTE_DIRECTORY) ? FILE_FLAG_BACKUP_SEMANTICS : 0;
    HANDLE h = CreateFileW(Wide(w), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, flags, nullptr);
    if (h == INVALID_HANDLE_VALUE) fail();
    FILETIME c = fw::UnixToFileTime(status.m_ctime.GetTime());
    FILETIME a = fw::UnixToFileTime(status.m_atime.GetTime());
    FILETIME m = fw::UnixToFileTime(status.m_mtime.GetTime());
    BOOL ok = SetFileTime(h, setC ? &c : nullptr, setA ? &a : nullptr, setM ? &m : nullptr);
    DWORD err = GetLastError();
    CloseHandle(h);
    if (!ok) {
      SetLastError(err);
      fail();
    }
  }
  DWORD keep = attrs & ~static_cast<DWORD>(0x27);  // bits the status does not carry
  DWORD newAttrs = keep | (status.m_attribute & 0x27);
  if (!wantReadOnly) newAttrs &= ~FILE_ATTRIBUTE_READONLY;
  if (!SetFileAttributesW(Wide(w), newAttrs)) fail();
}

void CFile::SetOpenStatus(const CFileStatus& status) {
  CheckOpen();
  FaultPoint(fw::filetest::Op::kSetStatus, m_strFileName);
  FILE_BASIC_INFO info = {};  // a time of 0 is left as it is
  auto time = [](const CTime& t, bool given, LARGE_INTEGER* out) {
    if (!given) return;
    const FILETIME ft = fw::UnixToFileTime(t.GetTime());
    out->QuadPart = static_cast<LONGLONG>((static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
  };
  time(status.m_ctime, status.m_ctime.GetTime() != 0 || (status.m_timesGiven & CFileStatus::kGiveCTime),
       &info.CreationTime);
  time(status.m_atime, status.m_atime.GetTime() != 0 || (status.m_timesGiven & CFileStatus::kGiveATime),
       &info.LastAccessTime);
  time(status.m_mtime, status.m_mtime.GetTime() != 0 || (status.m_timesGiven & CFileStatus::kGiveMTime),
       &info.LastWriteTime);
  const DWORD bits = status.m_attribute & 0x27;
  info.FileAttributes = bits != 0 ? bits : FILE_ATTRIBUTE_NORMAL;
  if (!SetFileInformationByHandle(H(m_hFile), FileBasicInfo, &info, sizeof info)) ThrowOsError(GetLastError());
}

void CFile::Remove(const char* path) {
  FaultPoint(fw::filetest::Op::kRemove, path);
  std::u16string w = fw::ToWidePath(path);
  if (!DeleteFileW(Wide(w))) ThrowPathError(LastOsError(), path);
}

void CFile::Rename(const char* oldPath, const char* newPath) {
  FaultPoint(fw::filetest::Op::kRename, oldPath);
  std::u16string a = fw::ToWidePath(oldPath);
  std::u16string b = fw::ToWidePath(newPath);
  if (!MoveFileW(Wide(a), Wide(b))) ThrowPathError(LastOsError(), oldPath);
}

#else  // native

BOOL CFile::Open(const char* path, UINT flags, CFileException* error) {
  Abort();
  m_strFileName = path;
  int oflags = O_CLOEXEC;
  switch (flags & 3) {
    case modeRead: oflags |= O_RDONLY; break;
    case modeWrite: oflags |= O_WRONLY; break;
    default: oflags |= O_RDWR; break;
  }
  const bool onlyNew = (flags & modeCreate) && (flags & modeCreateNew);
  if (onlyNew) oflags |= O_CREAT | O_EXCL;
  else if (flags & modeCreate) oflags |= O_CREAT | ((flags & modeNoTruncate) ? 0 : O_TRUNC);
  std::string p = fw::ToPosixPath(path);
  int fd = -1;
  int err = 0;
  struct stat before;
  if ((flags & 3) != modeRead && !onlyNew && ::stat(p.c_str(), &before) == 0 && S_ISREG(before.st_mode) &&
      (before.st_mode & S_IWUSR) == 0) {
    err = EACCES;  // read-only attribute: refused even where the user could write anyway
  } else {
    fd = ::open(p.c_str(), oflags, 0666);
    err = errno;
  }
  if (fd >= 0 && !onlyNew) {  // (a file made new here is no folder)
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {  // folders are no files
      ::close(fd);
      fd = -1;
      err = EISDIR;
    }
  }
  if (fd < 0) {
    if (error != nullptr) *error = CFileException(OpenFailureCause(err, p), err, path);
    return FALSE;
  }
  m_hFile = fd;
  return TRUE;
}

void CFile::Close() {
  if (!IsOpen()) return;
  int fd = static_cast<int>(m_hFile);
  m_hFile = kInvalid;
  if (::close(fd) != 0) ThrowOsError(errno);
}

void CFile::Abort() {
  if (!IsOpen()) return;
  ::close(static_cast<int>(m_hFile));
  m_hFile = kInvalid;
}

UINT CFile::Read(void* buffer, UINT count) {
  CheckOpen();
  char* p = static_cast<char*>(buffer);
  UINT done = 0;
  while (done < count) {
    ssize_t n = ::read(static_cast<int>(m_hFile), p + done, count - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowOsError(errno);
    }
    if (n == 0) break;
    done += static_cast<UINT>(n);
  }
  return done;
}

void CFile::Write(const void* buffer, UINT count) {
  CheckOpen();
  FaultPoint(fw::filetest::Op::kWrite, m_strFileName);
  const char* p = static_cast<const char*>(buffer);
  UINT done = 0;
  while (done < count) {
    ssize_t n = ::write(static_cast<int>(m_hFile), p + done, count - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowOsError(errno);
    }
    if (n == 0) ThrowOsError(ENOSPC);
    done += static_cast<UINT>(n);
  }
}

ULONGLONG CFile::Seek(LONGLONG offset, UINT from) {
  CheckOpen();
  int whence = from == current ? SEEK_CUR : (from == end ? SEEK_END : SEEK_SET);
  off_t r = ::lseek(static_cast<int>(m_hFile), static_cast<off_t>(offset), whence);
  if (r < 0) {
    if (errno == EINVAL) throw CFileException(CFileException::badSeek, EINVAL, m_strFileName);
    ThrowOsError(errno);
  }
  return static_cast<ULONGLONG>(r);
}

ULONGLONG CFile::GetPosition() const {
  CheckOpen();
  off_t r = ::lseek(static_cast<int>(m_hFile), 0, SEEK_CUR);
  if (r < 0) ThrowOsError(errno);
  return static_cast<ULONGLONG>(r);
}

ULONGLONG CFile::GetLength() const {
  CheckOpen();
  struct stat st;
  if (::fstat(static_cast<int>(m_hFile), &st) != 0) ThrowOsError(errno);
  return static_cast<ULONGLONG>(st.st_size);
}

void CFile::SetLength(ULONGLONG length) {
  CheckOpen();
  if (::ftruncate(static_cast<int>(m_hFile), static_cast<off_t>(length)) != 0) ThrowOsError(errno);
}

void CFile::Flush() { CheckOpen(); }  // no buffer of our own; the system keeps the data

// The access and modification times a status gives (UTIME_OMIT for a time
// left alone); false when it gives neither.
static bool StatusTimes(const CFileStatus& status, struct timespec times[2]) {
  const bool setA = status.m_atime.GetTime() != 0 || (status.m_timesGiven & CFileStatus::kGiveATime);
  const bool setM = status.m_mtime.GetTime() != 0 || (status.m_timesGiven & CFileStatus::kGiveMTime);
  times[0].tv_sec = static_cast<time_t>(status.m_atime.GetTime());
  times[0].tv_nsec = setA ? 0 : UTIME_OMIT;
  times[1].tv_sec = static_cast<time_t>(status.m_mtime.GetTime());
  times[1].tv_nsec = setM ? 0 : UTIME_OMIT;
  return setA || setM;
}

// The permission bits for a status's read-only bit (the owner's write bit).
static mode_t StatusMode(mode_t mode, const CFileStatus& status) {
  return (status.m_attribute & CFile::readOnly) ? (mode & ~static_cast<mode_t>(0222)) : (mode | S_IWUSR);
}

void CFile::SetOpenStatus(const CFileStatus& status) {
  CheckOpen();
  FaultPoint(fw::filetest::Op::kSetStatus, m_strFileName);
  const int fd = static_cast<int>(m_hFile);
  struct timespec times[2];
  if (StatusTimes(status, times) && ::futimens(fd, times) != 0) ThrowOsError(errno);
  struct stat st;
  if (::fstat(fd, &st) != 0) ThrowOsError(errno);
  const mode_t mode = st.st_mode & 07777;
  const mode_t want = StatusMode(mode, status);
  if (want != mode && ::fchmod(fd, want) != 0) ThrowOsError(errno);
}

// Natively only the read-only bit (owner's write permission) and the
// modification and access times can be set.
void CFile::SetStatus(const char* path, const CFileStatus& status) {
  FaultPoint(fw::filetest::Op::kSetStatus, path);
  std::string p = fw::ToPosixPath(path);
  auto fail = [path]() { ThrowPathError(LastOsError(), path); };
  struct stat st;
  if (::stat(p.c_str(), &st) != 0) fail();
  struct timespec times[2];
  if (StatusTimes(status, times) && ::utimensat(AT_FDCWD, p.c_str(), times, 0) != 0) fail();
  const mode_t mode = st.st_mode & 07777;
  const mode_t want = StatusMode(mode, status);
  if (want != mode && ::chmod(p.c_str(), want) != 0) fail();
}

void CFile::Remove(const char* path) {
  FaultPoint(fw::filetest::Op::kRemove, path);
  std::string p = fw::ToPosixPath(path);
  struct stat st;
  // Windows removes files only; keep folders out here too.
  if (::lstat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    throw CFileException(CFileException::accessDenied, EISDIR, path);
  }
  // Read-only files are not removed, as on Windows.
  if (::lstat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) == 0) {
    throw CFileException(CFileException::accessDenied, EACCES, path);
  }
  if (::unlink(p.c_str()) != 0) ThrowPathError(LastOsError(), path);
}

void CFile::Rename(const char* oldPath, const char* newPath) {
  FaultPoint(fw::filetest::Op::kRename, oldPath);
  std::string a = fw::ToPosixPath(oldPath);
  std::string b = fw::ToPosixPath(newPath);
  // Windows never replaces an existing target; POSIX rename would. Where
  // the file system can say so in the same call, one call does both.
#ifdef RENAME_NOREPLACE
  if (::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_NOREPLACE) == 0) return;
  if (errno == EEXIST) throw CFileException(CFileException::accessDenied, EEXIST, oldPath);
  if (errno != EINVAL && errno != ENOSYS) ThrowPathError(LastOsError(), oldPath);
#endif
  struct stat st;
  if (::lstat(b.c_str(), &st) == 0) throw CFileException(CFileException::accessDenied, EEXIST, oldPath);
  if (::rename(a.c_str(), b.c_str()) != 0) ThrowPathError(LastOsError(), oldPath);
}

#endif
