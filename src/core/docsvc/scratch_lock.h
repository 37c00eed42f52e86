// The lock of a scratch folder that running copies of the program share
// ("\TMP1" below the program folder: the XLSX export and the merge build
// their package tree there). A copy holds it from emptying the folder to
// the end of its use, so another copy never empties its tree or packs its
// parts. On Windows it is a named mutex in the session ("Local\" as the
// instance registry names its objects) named after the folder; natively a
// lock file beside the folder ("<folder>.lock", flock).
#pragma once

#include <cstdint>
#include <string>

#include "fw/cstring.h"

namespace docsvc {

class ScratchLock {
 public:
  // Waits up to `waitMs` milliseconds for the lock of `folder`.
  explicit ScratchLock(const CString& folder, std::uint32_t waitMs = kDefaultWaitMs);
  ~ScratchLock();
  ScratchLock(const ScratchLock&) = delete;
  ScratchLock& operator=(const ScratchLock&) = delete;

  // True when this object holds the lock.
  bool Held() const { return m_held; }

  // How long a run waits for another copy to finish with the folder.
  static constexpr std::uint32_t kDefaultWaitMs = 60000;

  // The kernel object's name for a folder (case and separators of the
  // path do not matter).
  static CString MutexName(const CString& folder);

 private:
  bool m_held = false;
  std::intptr_t m_handle = -1;  // mutex HANDLE on Windows
#ifndef _WIN32
  std::string m_path;  // the lock file natively (the process keeps one descriptor per file)
#endif
};

}  // namespace docsvc
