#include "fw/path.h"

#include <cstring>

#include "fw/codepage.h"
#include "fw/file.h"
#include "fw/sjis.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#endif

namespace fw {

std::string ToPosixPath(const char* path) {
  if (path == nullptr) return std::string();
  std::string p = Cp932ToUtf8(path, std::strlen(path));
  for (char& c : p) {
    if (c == '\\') c = '/';
  }
  if (p.size() >= 2 && p[1] == ':' &&
      ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z'))) {
    p.erase(0, 2);
    if (p.empty()) p = "/";
  }
  return p;
}

std::u16string ToWidePath(const char* path) {
  if (path == nullptr) return std::u16string();
  return Cp932ToUtf16(path, std::strlen(path));
}

int LastPathSeparator(const char* path, int len) {
  int last = -1;
  for (int i = 0; i < len;) {
    int n = SjisCharLength(path, len, i);
    if (n == 1 && (path[i] == '\\' || path[i] == '/')) last = i;
    i += n;
  }
  return last;
}

std::string FolderOfPath(const std::string& path) {
  const int cut = LastPathSeparator(path.c_str(), static_cast<int>(path.size()));
  if (cut < 0) return std::string();
  if (cut == 2 && path[1] == ':') return path.substr(0, 3);
  return path.substr(0, static_cast<std::size_t>(cut));
}

bool MakeDir(const char* path) {
  if (filetest::Refuse(filetest::Op::kMakeDir)) return false;
#ifdef _WIN32
  std::u16string w = ToWidePath(path);
  return CreateDirectoryW(reinterpret_cast<const wchar_t*>(w.c_str()), nullptr) != 0;
#else
  return ::mkdir(ToPosixPath(path).c_str(), 0777) == 0;
#endif
}

bool RemoveDir(const char* path) {
  if (filetest::Refuse(filetest::Op::kRemoveDir)) return false;
#ifdef _WIN32
  std::u16string w = ToWidePath(path);
  return RemoveDirectoryW(reinterpret_cast<const wchar_t*>(w.c_str())) != 0;
#else
  return ::rmdir(ToPosixPath(path).c_str()) == 0;
#endif
}

long long FreeDiskSpace(const char* path) {
#ifdef _WIN32
  std::u16string w = ToWidePath(path && *path ? path : ".");
  ULARGE_INTEGER avail;
  if (!GetDiskFreeSpaceExW(reinterpret_cast<const wchar_t*>(w.c_str()), &avail, nullptr, nullptr)) return -1;
  return avail.QuadPart > 0x7FFFFFFFFFFFFFFFull ? 0x7FFFFFFFFFFFFFFFll : static_cast<long long>(avail.QuadPart);
#else
  struct statvfs sv;
  std::string p = path && *path ? ToPosixPath(path) : std::string(".");
  if (::statvfs(p.c_str(), &sv) != 0) return -1;
  unsigned long long n = static_cast<unsigned long long>(sv.f_bavail) * sv.f_frsize;
  return n > 0x7FFFFFFFFFFFFFFFull ? 0x7FFFFFFFFFFFFFFFll : static_cast<long long>(n);
#endif
}

std::string FullPath(const std::string& path) {
#ifdef _WIN32
  std::u16string w = ToWidePath(path.c_str());
  wchar_t buf[32768];
  DWORD n = GetFullPathNameW(reinterpret_cast<const wchar_t*>(w.c_str()), 32768, buf, nullptr);
  if (n == 0 || n >= 32768) return path;
  return Utf16ToCp932(reinterpret_cast<const char16_t*>(buf), n);
#else
  std::string p = ToPosixPath(path.c_str());
  if (p.empty() || p[0] != '/') {
    char cwd[4096];
    if (!::getcwd(cwd, sizeof cwd)) return path;
    p = std::string(cwd) + "/" + p;
  }
  // Drop "." and resolve ".." by text.
  std::string out;
  size_t i = 0;
  while (i < p.size()) {
    size_t j = p.find('/', i);
    if (j == std::string::npos) j = p.size();
    std::string c = p.substr(i, j - i);
    if (c == "..") {
      size_t k = out.rfind('/');
      out.erase(k == std::string::npos ? 0 : k);
    } else if (!c.empty() && c != ".") {
      out += "/" + c;
    }
    i = j + 1;
  }
  return Utf8ToCp932(out.empty() ? std::string("/") : out);
#endif
}

}  // namespace fw
