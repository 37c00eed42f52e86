#include "core/fileops/filecopy.h"

#include <cerrno>
#include <limits>
#include <vector>

#include "core/docsvc/sjis_state.h"
#include "core/fileops/fileprims.h"
#include "fw/file.h"
#include "fw/path.h"
#include "fw/sjis.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdio>
#include <sys/stat.h>
#endif

namespace fileops {

namespace {

constexpr const char* kTemporarySuffix = ".~copy";
constexpr BYTE kCopiedAttributes = CFile::readOnly | CFile::hidden | CFile::system | CFile::archive;

// Length of the text without trailing separators (whole characters); a
// root keeps nothing of its separator ("C:\" gives 2).
int TrimmedLength(const CString& path) {
  int n = path.GetLength();
  while (n > 0 && fw::LastPathSeparator(path.GetString(), n) == n - 1) --n;
  return n;
}

std::string FoldedTrimmed(const CString& path) {
  const CString folded = ::MakeLowerSjis(path);
  return std::string(folded.GetString(), static_cast<std::size_t>(TrimmedLength(folded)));
}

bool RemoveQuietly(const CString& path) {
  try {
    CFile::Remove(path);
    return true;
  } catch (const CFileException&) {
  }
  // A temporary that already carries the source's read-only bit.
  try {
    CFileStatus st;
    st.m_attribute = CFile::normal;
    CFile::SetStatus(path, st);
    CFile::Remove(path);
    return true;
  } catch (const CFileException&) {
    return false;
  }
}

// The destination side reports busy as refused: the user sees the same
// "write-protected or in use" text for both.
std::uint32_t DestinationError(std::uint32_t code) {
  if (code == kErrSharing || code == 33 /* lock violation */) return kErrAccessDenied;
  if (code == 183 /* already exists */) return kErrFileExists;
  return code;
}

// Renames `from` over `to`, replacing a file there, through the test hook.
void RenameReplacing(const CString& from, const CString& to) {
  if (fw::filetest::Refuse(fw::filetest::Op::kRename)) {
#ifdef _WIN32
    throw CFileException(CFileException::accessDenied, ERROR_ACCESS_DENIED, from);
#else
    throw CFileException(CFileException::accessDenied, EACCES, from);
#endif
  }
#ifdef _WIN32
  const std::u16string a = fw::ToWidePath(from);
  const std::u16string b = fw::ToWidePath(to);
  if (!::MoveFileExW(reinterpret_cast<const wchar_t*>(a.c_str()), reinterpret_cast<const wchar_t*>(b.c_str()),
                     MOVEFILE_REPLACE_EXISTING)) {
    const DWORD e = ::GetLastError();
    throw CFileException(fw::FileErrorCause(static_cast<long>(e)), static_cast<LONG>(e), from);
  }
#else
  const std::string a = fw::ToPosixPath(from);
  const std::string b = fw::ToPosixPath(to);
  if (::rename(a.c_str(), b.c_str()) != 0) {
    const int e = errno;
    throw CFileException(fw::FileErrorCause(e), e, from);
  }
#endif
}

}  // namespace

std::uint32_t SystemErrorOf(long osError) {
#ifdef _WIN32
  return static_cast<std::uint32_t>(osError);
#else
  switch (osError) {
    case 0: return kErrNone;
    case ENOENT: return kErrNotFound;
    case ENOTDIR: return kErrPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY: return kErrAccessDenied;
    case EBUSY: return kErrSharing;
    case EEXIST: return kErrFileExists;
    case ENOSPC:
    case EDQUOT: return kErrDiskFull;
    case ENAMETOOLONG: return kErrPathTooLong;
    case EINVAL: return 87;
    case EMFILE:
    case ENFILE: return 4;
    case EIO: return 1117;
    default: return 31;  // a device error of no closer kind
  }
#endif
}

CString CopyTemporaryFor(const CString& destination) {
  const int sep = fw::LastPathSeparator(destination.GetString(), destination.GetLength());
  CString result(std::string(destination.GetString(), static_cast<std::size_t>(sep + 1)).c_str());
  result += ".";
  result += destination.GetString() + (sep + 1);
  result += kTemporarySuffix;
  return result;
}

struct PlacedFileWriter::Impl {
  CFile out;
};

PlacedFileWriter::PlacedFileWriter(const CString& destination, const CopyFileOptions& options, std::uint64_t total)
    : destination_(destination), options_(options), pacer_(options, total) {}

PlacedFileWriter::~PlacedFileWriter() { Abandon(); }

void PlacedFileWriter::Abandon() {
  if (!impl_) return;
  if (impl_->out.IsOpen()) impl_->out.Abort();
  delete impl_;
  impl_ = nullptr;
  RemoveQuietly(temporary_);
}

void PlacedFileWriter::Fail(std::uint32_t error) {
  Abandon();
  result_.placed = false;
  result_.error = error;
}

bool PlacedFileWriter::Open(std::uint32_t destinationAttributes) {
  result_ = CopyFileResult();
  if (IsRefusedName(GetPathLastName(destination_))) {
    result_.error = kErrInvalidName;
    return false;
  }
  const std::uint32_t existing =
      destinationAttributes == kLookUpDestination ? EntryAttributes(destination_) : destinationAttributes;
  if (existing != 0xFFFFFFFFu) {
    if (options_.failIfExists) {
      result_.error = kErrFileExists;
      return false;
    }
    if (existing & (kAttrFolder | kAttrReadOnly)) {
      result_.error = kErrAccessDenied;
      return false;
    }
  }
  temporary_ = CopyTemporaryFor(destination_);
  impl_ = new Impl;
  const UINT mode = CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive | CFile::typeBinary;
  CFileException createError;
  // Made new, which needs no look-up of the name first.
  bool created = impl_->out.Open(temporary_, mode | CFile::modeCreateNew, &createError) != FALSE;
  // A temporary of an interrupted earlier copy can stand in the way: a
  // writable one is written over; one that is not (hidden, read-only) goes,
  // and the create is tried once more.
  if (!created && EntryAttributes(temporary_) != 0xFFFFFFFFu &&
      !(created = impl_->out.Open(temporary_, mode, &createError) != FALSE)) {
    if (!RemoveQuietly(temporary_)) {
      delete impl_;
      impl_ = nullptr;
      result_.error = kErrAccessDenied;
      return false;
    }
    created = impl_->out.Open(temporary_, mode, &createError) != FALSE;
  }
  if (!created) {
    delete impl_;
    impl_ = nullptr;
    result_.error = DestinationError(SystemErrorOf(createError.m_lOsError));
    if (result_.error == kErrNone) result_.error = kErrAccessDenied;
    return false;
  }
#ifdef _WIN32
  try {
    CFileStatus hide;
    hide.m_attribute = CFile::hidden;
    impl_->out.SetOpenStatus(hide);
  } catch (const CFileException&) {
  }
#endif
  return true;
}

bool PlacedFileWriter::Write(const void* data, std::uint32_t count) {
  if (!impl_) return false;
  try {
    impl_->out.Write(data, count);
  } catch (const CFileException& e) {
    std::uint32_t error = DestinationError(SystemErrorOf(e.m_lOsError));
    if (error == kErrNone) error = e.m_cause == CFileException::diskFull ? kErrDiskFull : kErrAccessDenied;
    Fail(error);
    return false;
  }
  bool overflow = false;
  if (!pacer_.Count(count, &overflow)) {
    Fail(overflow ? kErrAccessDenied : kErrNone);
    result_.stopped = !overflow;
    return false;
  }
  return true;
}

bool CopyPacer::Count(std::uint32_t count, bool* overflow) {
  if (overflow) *overflow = false;
  if (done_ > std::numeric_limits<std::uint64_t>::max() - count) {
    if (overflow) *overflow = true;
    return false;
  }
  done_ += count;
  ++chunks_;
  bool poll = chunks_ % kStopPollEvery == 0;
  if (done_ > kProgressStart && ++sinceProgress_ >= kProgressEvery) {
    sinceProgress_ = 0;
    if (options_.progress) options_.progress(done_, total_ > done_ ? total_ : done_);
    poll = true;
  }
  return !(poll && options_.stop && options_.stop());
}

bool PlacedFileWriter::Commit(std::int64_t mtime, std::uint32_t attributes) {
  if (!impl_) return false;
  try {
    // Time and attributes go through the open handle (every write is done,
    // so closing changes neither), then the file is closed and renamed.
    CFileStatus st;
    if (mtime != kKeepWriteTime) {
      st.m_mtime = CTime(static_cast<time_t>(mtime));
      st.m_timesGiven = CFileStatus::kGiveMTime;
    }
    st.m_attribute = static_cast<BYTE>(attributes & kCopiedAttributes);
    impl_->out.SetOpenStatus(st);
    impl_->out.Close();
    if (options_.failIfExists) CFile::Rename(temporary_, destination_);  // never replaces
    else RenameReplacing(temporary_, destination_);
  } catch (const CFileException& e) {
    std::uint32_t error = DestinationError(SystemErrorOf(e.m_lOsError));
    if (error == kErrNone) error = e.m_cause == CFileException::diskFull ? kErrDiskFull : kErrAccessDenied;
    Fail(error);
    return false;
  }
  delete impl_;
  impl_ = nullptr;
  result_ = CopyFileResult();
  result_.placed = true;
  return true;
}

CopyFileResult PlaceFileCopy(const CString& source, const CString& destination, const CopyFileOptions& options) {
  CopyFileResult r;
  CFile in;
  CFileException openError;
  if (!in.Open(source, CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary, &openError)) {
    r.error = SystemErrorOf(openError.m_lOsError);
    if (r.error == kErrNone) r.error = kErrNotFound;
    return r;
  }
  CFileStatus sourceStatus;
  if (!in.GetStatus(sourceStatus)) {
    r.error = kErrAccessDenied;
    return r;
  }
  if (IsRefusedName(GetPathLastName(destination))) {
    r.error = kErrInvalidName;
    return r;
  }
  // Copying a file onto itself would replace it with itself at best; a
  // move would then remove its only copy.
  const std::uint32_t existing = EntryAttributes(destination);
  if (existing != 0xFFFFFFFFu && SameFileOrFolder(source, destination)) {
    r.error = kErrSameFile;
    return r;
  }
  PlacedFileWriter writer(destination, options, sourceStatus.m_size);
  if (!writer.Open(existing)) return writer.Result();
  // The source is read many pieces at a time (fewer system calls on large
  // files); the writer still gets, counts and reports them piece by piece.
  constexpr UINT kReadBlock = 64 * kCopyPiece;
  std::vector<char> block(kReadBlock);
  try {
    for (;;) {
      const UINT got = in.Read(block.data(), kReadBlock);
      for (UINT at = 0; at < got; at += kCopyPiece) {
        const UINT n = got - at < kCopyPiece ? got - at : kCopyPiece;
        if (!writer.Write(block.data() + at, n)) return writer.Result();
      }
      if (got < kReadBlock) break;
    }
  } catch (const CFileException& e) {
    std::uint32_t error = SystemErrorOf(e.m_lOsError);
    if (error == kErrNone) error = kErrAccessDenied;
    writer.Fail(error);
    return writer.Result();
  }
  in.Close();
  writer.Commit(sourceStatus.m_mtime.GetTime(), sourceStatus.m_attribute);
  return writer.Result();
}

// --- path checks ------------------------------------------------------------------

CString GetPathLastName(const CString& path) {
  const int sep = fw::LastPathSeparator(path.GetString(), path.GetLength());
  if (sep < 0) return path;
  return CString(path.GetString() + sep + 1);
}

bool IsSameOrInsideFolder(const CString& source, const CString& destination) {
  const std::string s = FoldedTrimmed(source);
  const std::string d = FoldedTrimmed(destination);
  if (s.empty()) return !d.empty() || destination.GetLength() > 0;  // a root holds everything on it
  if (d.size() < s.size() || d.compare(0, s.size(), s) != 0) return false;
  // The same bytes from the start parse the same way, so s.size() is a
  // character boundary of d.
  return d.size() == s.size() || d[s.size()] == '\\' || d[s.size()] == '/';
}

bool SamePathText(const CString& a, const CString& b) { return FoldedTrimmed(a) == FoldedTrimmed(b); }

namespace {

struct Identity {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
};

bool IdentityOf(const CString& path, Identity* id) {
#ifdef _WIN32
  const std::u16string w = fw::ToWidePath(path);
  HANDLE h = ::CreateFileW(reinterpret_cast<const wchar_t*>(w.c_str()), 0,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  const BOOL ok = ::GetFileInformationByHandle(h, &info);
  ::CloseHandle(h);
  if (!ok) return false;
  id->volume = info.dwVolumeSerialNumber;
  id->index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  // Some file systems give no index; identity then says nothing.
  return id->index != 0;
#else
  struct stat st;
  if (::stat(fw::ToPosixPath(path).c_str(), &st) != 0) return false;
  id->volume = static_cast<std::uint64_t>(st.st_dev);
  id->index = static_cast<std::uint64_t>(st.st_ino);
  return true;
#endif
}

}  // namespace

bool SameFileOrFolder(const CString& a, const CString& b) {
  if (SamePathText(a, b)) return true;
  Identity ia, ib;
  if (!IdentityOf(a, &ia) || !IdentityOf(b, &ib)) return false;
  return ia.volume == ib.volume && ia.index == ib.index;
}

bool IsRefusedName(const CString& name) {
  const std::string n(name.GetString(), static_cast<std::size_t>(name.GetLength()));
  if (n.empty() || n == "." || n == "..") return true;
  for (std::size_t i = 0; i < n.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(n[i]);
    // The whole code page 932 lead-byte set, as the system reads the name:
    // a narrower set would take a separator for a second byte.
    if (fw::IsSjisLeadByte(c) && i + 1 < n.size()) {
      ++i;  // a double-byte character: its second byte may be 0x5C or 0x7C
      continue;
    }
    if (c < 0x20) return true;
    switch (c) {
      case '<': case '>': case ':': case '"': case '/': case '\\': case '|': case '?': case '*':
        return true;
      default:
        break;
    }
  }
  if (n.back() == ' ' || n.back() == '.') return true;
  // A device name, with or without an extension, blanks before it ignored.
  std::string base = n.substr(0, n.find('.'));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (char& c : base) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  if (base == "con" || base == "prn" || base == "aux" || base == "nul" || base == "conin$" || base == "conout$")
    return true;
  if (base.size() == 4 && (base.compare(0, 3, "com") == 0 || base.compare(0, 3, "lpt") == 0) && base[3] >= '1' &&
      base[3] <= '9')
    return true;
  return false;
}

CString RobocopyParameters(const CString& source, const CString& destination) {
  auto quoted = [](const CString& path) {
    std::string p(path.GetString(), static_cast<std::size_t>(TrimmedLength(path)));
    // "C:\" trimmed is "C:", the drive's current folder: name its root.
    if (p.empty() || p.back() == ':') p += "\\.";
    return "\"" + p + "\"";
  };
  const std::string text = quoted(source) + " " + quoted(destination) + " /e /dcopy:t";
  return CString(text.c_str());
}

}  // namespace fileops
