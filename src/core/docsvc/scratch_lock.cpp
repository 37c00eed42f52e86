#include "core/docsvc/scratch_lock.h"

#include <cstdio>
#include <string>

#include "fw/clock.h"
#include "fw/path.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace docsvc {

CString ScratchLock::MutexName(const CString& folder) {
  // FNV-1a over the folder with ASCII letters folded and '/' read as '\',
  // so every spelling of one folder names one object.
  std::uint64_t h = 14695981039346656037ULL;
  for (char ch : folder.Str()) {
    unsigned char c = static_cast<unsigned char>(ch == '/' ? '\\' : ch);
    if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 32);
    h = (h ^ c) * 1099511628211ULL;
  }
  char buf[64];
  std::snprintf(buf, sizeof buf, "Local\\DorvikScratch%016llX", static_cast<unsigned long long>(h));
  return CString(buf);
}

#ifdef _WIN32

ScratchLock::ScratchLock(const CString& folder, std::uint32_t waitMs) {
  HANDLE m = ::CreateMutexA(nullptr, FALSE, MutexName(folder).GetString());
  if (!m) return;
  const DWORD r = ::WaitForSingleObject(m, waitMs);
  if (r == WAIT_OBJECT_0 || r == WAIT_ABANDONED) {
    m_held = true;
    m_handle = reinterpret_cast<std::intptr_t>(m);
  } else {
    ::CloseHandle(m);
  }
}

ScratchLock::~ScratchLock() {
  if (m_held) {
    HANDLE m = reinterpret_cast<HANDLE>(m_handle);
    ::ReleaseMutex(m);
    ::CloseHandle(m);
  }
}

#else

ScratchLock::ScratchLock(const CString& folder, std::uint32_t waitMs) {
  std::string path = fw::ToPosixPath(folder.GetString());
  while (!path.empty() && path.back() == '/') path.pop_back();
  path += ".lock";
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return;
  // The framework's wait polls the lock until it is free or the wait is over.
  struct Try {
    int fd;
    bool got;
  } t{fd, false};
  auto poll = [](void* ctx) {
    Try* t = static_cast<Try*>(ctx);
    t->got = ::flock(t->fd, LOCK_EX | LOCK_NB) == 0;
    return t->got;
  };
  if (!poll(&t)) fw::Wait(waitMs, poll, &t);
  if (t.got) {
    m_held = true;
    m_handle = fd;
    return;
  }
  ::close(fd);
}

ScratchLock::~ScratchLock() {
  if (m_held) {
    ::flock(static_cast<int>(m_handle), LOCK_UN);
    ::close(static_cast<int>(m_handle));
  }
}

#endif

}  // namespace docsvc
