#include "core/docsvc/scratch_lock.h"

#include <cstdio>
#include <string>

#include "fw/clock.h"
#include "fw/path.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <map>
#include <mutex>
#include <thread>
#include <utility>
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

namespace {

// The locks this process's threads hold, by lock file and thread: like the
// Windows mutex, which its owning thread may take again, a thread that holds
// a folder's lock takes it again at once (a second flock on another
// descriptor would wait for itself); other threads wait as other copies do.
struct HeldLock {
  int fd;
  int count;
};
std::mutex g_heldMutex;
using HeldKey = std::pair<std::string, std::thread::id>;
std::map<HeldKey, HeldLock>& HeldLocks() {
  static std::map<HeldKey, HeldLock> held;
  return held;
}

}  // namespace

ScratchLock::ScratchLock(const CString& folder, std::uint32_t waitMs) {
  std::string path = fw::ToPosixPath(folder.GetString());
  while (!path.empty() && path.back() == '/') path.pop_back();
  path += ".lock";
  {
    std::lock_guard<std::mutex> guard(g_heldMutex);
    auto it = HeldLocks().find(HeldKey(path, std::this_thread::get_id()));
    if (it != HeldLocks().end()) {
      ++it->second.count;
      m_held = true;
      m_path = path;
      return;
    }
  }
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
    std::lock_guard<std::mutex> guard(g_heldMutex);
    HeldLocks()[HeldKey(path, std::this_thread::get_id())] = HeldLock{fd, 1};
    m_held = true;
    m_path = path;
    return;
  }
  ::close(fd);
}

ScratchLock::~ScratchLock() {
  if (!m_held) return;
  std::lock_guard<std::mutex> guard(g_heldMutex);
  auto it = HeldLocks().find(HeldKey(m_path, std::this_thread::get_id()));
  if (it == HeldLocks().end() || --it->second.count > 0) return;
  ::flock(it->second.fd, LOCK_UN);
  ::close(it->second.fd);
  HeldLocks().erase(it);
}

#endif

}  // namespace docsvc
