#include "fw/mapped_file.h"

#include <cerrno>

#include "fw/path.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fw {
namespace {
const unsigned char kEmpty[1] = {0};
}

#ifdef _WIN32

bool MappedFile::Open(const char* path, CFileException* error) {
  Close();
  auto fail = [&](DWORD err) {
    if (error != nullptr) *error = CFileException(FileErrorCause(err), static_cast<LONG>(err), path);
    return false;
  };
  std::u16string w = ToWidePath(path);
  HANDLE file = CreateFileW(reinterpret_cast<const wchar_t*>(w.c_str()), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return fail(GetLastError());
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file, &size)) {
    DWORD err = GetLastError();
    CloseHandle(file);
    return fail(err);
  }
  if (size.QuadPart == 0) {
    CloseHandle(file);
    m_data = kEmpty;
    m_size = 0;
    return true;
  }
  HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  DWORD err = GetLastError();
  CloseHandle(file);  // the mapping keeps the file open
  if (mapping == nullptr) return fail(err);
  void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
  if (view == nullptr) {
    err = GetLastError();
    CloseHandle(mapping);
    return fail(err);
  }
  m_handle = reinterpret_cast<std::intptr_t>(mapping);
  m_data = static_cast<const unsigned char*>(view);
  m_size = static_cast<std::uint64_t>(size.QuadPart);
  m_mapped = true;
  return true;
}

void MappedFile::Close() {
  if (m_mapped) {
    UnmapViewOfFile(m_data);
    CloseHandle(reinterpret_cast<HANDLE>(m_handle));
  }
  m_handle = -1;
  m_data = nullptr;
  m_size = 0;
  m_mapped = false;
}

#else

bool MappedFile::Open(const char* path, CFileException* error) {
  Close();
  auto fail = [&](int err) {
    if (error != nullptr) *error = CFileException(FileErrorCause(err), err, path);
    return false;
  };
  std::string p = ToPosixPath(path);
  int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return fail(errno);
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    int err = errno;
    ::close(fd);
    return fail(err);
  }
  if (S_ISDIR(st.st_mode)) {
    ::close(fd);
    return fail(EISDIR);
  }
  if (st.st_size == 0) {
    ::close(fd);
    m_data = kEmpty;
    return true;
  }
  void* view = ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
  int err = errno;
  ::close(fd);
  if (view == MAP_FAILED) return fail(err);
  m_data = static_cast<const unsigned char*>(view);
  m_size = static_cast<std::uint64_t>(st.st_size);
  m_mapped = true;
  return true;
}

void MappedFile::Close() {
  if (m_mapped) ::munmap(const_cast<unsigned char*>(m_data), static_cast<std::size_t>(m_size));
  m_data = nullptr;
  m_size = 0;
  m_mapped = false;
}

#endif

}  // namespace fw
