#include "core/fileops/folderhost.h"

#include <cstring>

#include "fw/codepage.h"
#include "fw/path.h"

#ifdef _WIN32
#include <windows.h>

#include "fw/filetime_win.h"
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>
#endif

namespace fileops {

namespace {

bool IsSep(char c) { return c == '\\' || c == '/'; }

// Names of ASCII characters only are the same bytes in the program's code
// page: they skip the converter (most names of most folders).
#ifdef _WIN32
bool NarrowAscii(const char16_t* p, std::size_t n, std::string& out) {
  char16_t any = 0;
  for (std::size_t i = 0; i < n; ++i) any |= p[i];
  if (any >= 0x80) return false;
  out.resize(n);
  for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<char>(p[i]);
  return true;
}
#else
bool CopyAscii(const char* p, std::size_t n, std::string& out) {
  unsigned char any = 0;
  for (std::size_t i = 0; i < n; ++i) any |= static_cast<unsigned char>(p[i]);
  if (any >= 0x80) return false;
  out.assign(p, n);
  return true;
}

// Reading a folder natively: the kernel's name lookup and status of each
// entry are most of a big listing's time, so names are read in batches and
// a big batch's status is taken on several threads; the entries are handed
// on in the order read.
constexpr std::size_t kStatBatch = 8192;         // names read before their status is taken
constexpr std::size_t kThreadedStatFrom = 2048;  // a batch this big is split over threads
constexpr std::size_t kStatPiece = 256;          // names a thread takes at a time
constexpr unsigned kMaxStatThreads = 4;

struct NameBatch {
  std::vector<char> names;         // each NUL-terminated
  std::vector<std::size_t> at;     // where each name starts
  std::vector<struct stat> st;
  std::vector<signed char> kind;   // -1 skipped, 0 an entry, 1 a symbolic link (followed)
  void Clear() {
    names.clear();
    at.clear();
  }
};

void StatOne(int fd, NameBatch& b, std::size_t i) {
  const char* name = b.names.data() + b.at[i];
  struct stat& st = b.st[i];
  if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
    b.kind[i] = -1;
    return;
  }
  if (!S_ISLNK(st.st_mode)) {
    b.kind[i] = 0;
    return;
  }
  b.kind[i] = ::fstatat(fd, name, &st, 0) == 0 ? 1 : -1;  // a dangling link is skipped
}

void StatBatch(int fd, NameBatch& b) {
  const std::size_t n = b.at.size();
  b.st.resize(n);
  b.kind.resize(n);
  unsigned threads = 1;
  if (n >= kThreadedStatFrom) {
    const unsigned cores = std::thread::hardware_concurrency();
    threads = std::min(cores ? cores : 1u, kMaxStatThreads);
  }
  std::atomic<std::size_t> next{0};
  const auto work = [&] {
    for (;;) {
      const std::size_t from = next.fetch_add(kStatPiece);
      if (from >= n) return;
      const std::size_t to = std::min(n, from + kStatPiece);
      for (std::size_t i = from; i < to; ++i) StatOne(fd, b, i);
    }
  };
  std::vector<std::thread> helpers;
  for (unsigned t = 1; t < threads; ++t) {
    try {
      helpers.emplace_back(work);
    } catch (...) {
      break;  // no more threads: those there are do the rest
    }
  }
  work();
  for (std::thread& h : helpers) h.join();
}
#endif

// Splits a Shift-JIS path at separators that stand on character boundaries.
std::vector<std::string> Components(const std::string& path) {
  std::vector<std::string> out;
  std::string cur;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(path[i]);
    if (((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) && i + 1 < path.size()) {
      cur += path[i];
      cur += path[i + 1];
      ++i;
      continue;
    }
    if (IsSep(path[i])) {
      out.push_back(cur);
      cur.clear();
    } else {
      cur += path[i];
    }
  }
  out.push_back(cur);
  return out;
}

}  // namespace

std::string ResolvePath(const std::string& base, const std::string& path) {
  // An absolute path ("X:..." or starting with a separator) stands alone.
  std::string whole;
  const bool absolute = (path.size() >= 2 && path[1] == ':') || (!path.empty() && IsSep(path[0]));
  if (absolute) {
    whole = path;
    if (!path.empty() && IsSep(path[0]) && base.size() >= 2 && base[1] == ':' && !(path.size() > 1 && IsSep(path[1])))
      whole = base.substr(0, 2) + path;
  } else {
    whole = base + "\\" + path;
  }
  std::vector<std::string> parts = Components(whole);
  std::vector<std::string> out;
  std::string head;
  std::size_t from = 0;
  if (!parts.empty() && parts[0].size() == 2 && parts[0][1] == ':') {
    head = parts[0];
    from = 1;
  } else if (parts.size() >= 3 && parts[0].empty() && parts[1].empty()) {
    head = "\\\\" + parts[2];  // UNC server
    from = 3;
  } else if (!parts.empty() && parts[0].empty()) {
    from = 1;
  }
  for (std::size_t i = from; i < parts.size(); ++i) {
    if (parts[i].empty() || parts[i] == ".") continue;
    if (parts[i] == "..") {
      if (!out.empty()) out.pop_back();
      continue;
    }
    out.push_back(parts[i]);
  }
  std::string r = head;
  for (const std::string& p : out) r += "\\" + p;
  if (r.empty()) r = "\\";
  return r;
}

int ChangeDirectory(FolderHost& host, const std::string& path, int useFtp, int skip) {
  (void)useFtp;
  if (skip != 0) return 1;
  std::string p = path;
  if (p.size() < 3) p += "\\";
  return host.SetCurrentDir(p) ? 0 : -1;
}

// --- LocalFolderHost ----------------------------------------------------------

bool LocalFolderHost::SetCurrentDir(const std::string& path) {
  const std::string full = ResolvePath(m_current.empty() ? fw::FullPath(".") : m_current, path);
#ifdef _WIN32
  std::string sys = full;
  if (sys.size() == 2 && sys[1] == ':') sys += "\\";
  const std::u16string w = fw::ToWidePath(sys.c_str());
  if (!::SetCurrentDirectoryW(reinterpret_cast<const wchar_t*>(w.c_str()))) return false;
#else
  const std::string native = fw::ToPosixPath((full.size() == 2 && full[1] == ':' ? full + "\\" : full).c_str());
  struct stat st;
  if (::stat(native.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || ::access(native.c_str(), R_OK | X_OK) != 0)
    return false;
#endif
  m_current = full;
  return true;
}

bool LocalFolderHost::ListCurrentDir(const std::function<bool(const FolderEntry&)>& each) {
  if (m_current.empty()) m_current = fw::FullPath(".");
  // One entry object for the whole folder: its name keeps its buffer.
  FolderEntry e;
#ifdef _WIN32
  // The system's folder reading, each entry handed on as it comes: names,
  // sizes, attributes and times are all in the find data, so no entry costs
  // another call (the basic level leaves out the short names nobody reads).
  std::string pattern = m_current;
  // A separator of its own at the end, not the 0x5C trail byte of "表".
  const int n = static_cast<int>(pattern.size());
  if (n == 0 || fw::LastPathSeparator(pattern.c_str(), n) != n - 1) pattern += "\\";
  pattern += "*.*";
  const std::u16string w = fw::ToWidePath(pattern.c_str());
  const wchar_t* wp = reinterpret_cast<const wchar_t*>(w.c_str());
  WIN32_FIND_DATAW fd;
  HANDLE h = ::FindFirstFileExW(wp, FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (h == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_INVALID_PARAMETER)
    h = ::FindFirstFileW(wp, &fd);  // a system without the basic level
  if (h == INVALID_HANDLE_VALUE) return false;
  do {
    const char16_t* name = reinterpret_cast<const char16_t*>(fd.cFileName);
    const std::size_t len = std::char_traits<char16_t>::length(name);
    if (!NarrowAscii(name, len, e.name)) e.name = fw::Utf16ToCp932(name, len);
    e.size = (static_cast<std::uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
    e.attributes = fd.dwFileAttributes;
    e.mtime = fw::FileTimeToUnix(fd.ftLastWriteTime);
    if (!each(e)) break;
  } while (::FindNextFileW(h, &fd));
  ::FindClose(h);
  return true;
#else
  // The same entries and attributes as CFileFind gives natively, read with
  // one lstat per entry relative to the open folder (stat again only for a
  // symbolic link, which is a reparse point as on Windows). Names are read
  // in batches; a big batch has its status taken on several threads.
  const std::string dir = fw::ToPosixPath((m_current.size() == 2 && m_current[1] == ':' ? m_current + "\\" : m_current).c_str());
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return false;
  const int fd = ::dirfd(d);
  bool any = false, more = true, stopped = false;
  // "." and ".." come first, as the system's find functions give them, so
  // a walk that reads a limited number of entries counts them first.
  for (const char* dots : {".", ".."}) {
    struct stat st;
    if (::fstatat(fd, dots, &st, 0) != 0) continue;
    e.name = dots;
    e.size = 0;
    e.attributes = kAttrFolder;
    e.mtime = st.st_mtime;
    any = true;
    if (!each(e)) {
      stopped = true;
      break;
    }
  }
  NameBatch b;
  while (more && !stopped) {
    b.Clear();
    while (b.at.size() < kStatBatch) {
      const struct dirent* de = ::readdir(d);
      if (!de) {
        more = false;
        break;
      }
      if (de->d_name[0] == '.' && (de->d_name[1] == 0 || (de->d_name[1] == '.' && de->d_name[2] == 0))) continue;
      b.at.push_back(b.names.size());
      b.names.insert(b.names.end(), de->d_name, de->d_name + std::strlen(de->d_name) + 1);
    }
    StatBatch(fd, b);
    for (std::size_t i = 0; i < b.at.size(); ++i) {
      if (b.kind[i] < 0) continue;  // gone since, or a dangling link
      const char* native = b.names.data() + b.at[i];
      const struct stat& st = b.st[i];
      const std::size_t len = std::strlen(native);
      if (!CopyAscii(native, len, e.name)) e.name = fw::Utf8ToCp932(native, len);
      const bool folder = S_ISDIR(st.st_mode);
      e.size = folder ? 0 : static_cast<std::uint64_t>(st.st_size);
      e.attributes = (folder ? kAttrFolder : kAttrArchive) | (b.kind[i] == 1 ? kAttrReparse : 0);
      if ((st.st_mode & S_IWUSR) == 0) e.attributes |= kAttrReadOnly;
      if (len > 1 && native[0] == '.' && !(len == 2 && native[1] == '.')) e.attributes |= kAttrHidden;
      e.mtime = st.st_mtime;
      any = true;
      if (!each(e)) {
        stopped = true;
        break;
      }
    }
  }
  ::closedir(d);
  return any;
#endif
}

// --- MemoryFolderHost -----------------------------------------------------------

MemoryFolderHost::MemoryFolderHost() { m_current = "C:"; m_folders["C:"]; }

std::string MemoryFolderHost::Normal(const std::string& path) { return ResolvePath("C:", path); }

void MemoryFolderHost::AddFolder(const std::string& path, std::uint32_t extra, std::int64_t mtime) {
  const std::string p = Normal(path);
  if (m_folders.count(p)) return;
  m_folders[p];
  const std::vector<std::string> parts = Components(p);
  if (parts.size() < 2) return;
  std::string parent = p.substr(0, p.size() - parts.back().size() - 1);
  AddFolder(parent);
  FolderEntry e;
  e.name = parts.back();
  e.attributes = kAttrFolder | extra;
  e.mtime = mtime;
  m_folders[Normal(parent)].push_back(e);
}

void MemoryFolderHost::AddFile(const std::string& path, std::uint64_t size, std::int64_t mtime, std::uint32_t attributes) {
  const std::string p = Normal(path);
  const std::vector<std::string> parts = Components(p);
  const std::string parent = parts.size() < 2 ? "C:" : p.substr(0, p.size() - parts.back().size() - 1);
  AddFolder(parent);
  FolderEntry e;
  e.name = parts.back();
  e.size = size;
  e.mtime = mtime;
  e.attributes = attributes;
  m_folders[Normal(parent)].push_back(e);
}

bool MemoryFolderHost::SetCurrentDir(const std::string& path) {
  const std::string p = ResolvePath(m_current, path);
  if (!m_folders.count(p) || m_locked.count(p)) return false;
  m_current = p;
  ++entered;
  return true;
}

bool MemoryFolderHost::ListCurrentDir(const std::function<bool(const FolderEntry&)>& each) {
  auto it = m_folders.find(m_current);
  if (it == m_folders.end()) return false;
  FolderEntry dot;
  dot.name = ".";
  dot.attributes = kAttrFolder;
  if (!each(dot)) return true;
  dot.name = "..";
  if (!each(dot)) return true;
  for (const FolderEntry& e : it->second)
    if (!each(e)) break;
  return true;
}

}  // namespace fileops
