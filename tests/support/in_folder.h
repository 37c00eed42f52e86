// The current folder changed for a scope (the program's archive writer
// takes the names of the current folder's items), put back at its end.
#pragma once

#include <string>

#include "fw/cstring.h"
#include "fw/path.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace testsupport {

struct InFolder {
  std::string old;
  bool ok = false;
  explicit InFolder(const CString& folder) {
#ifdef _WIN32
    wchar_t buf[1024];
    DWORD n = GetCurrentDirectoryW(1024, buf);
    old.assign(reinterpret_cast<const char*>(buf), n * sizeof(wchar_t));
    std::u16string w = fw::ToWidePath(folder);
    ok = SetCurrentDirectoryW(reinterpret_cast<const wchar_t*>(w.c_str())) != 0;
#else
    char buf[4096];
    if (getcwd(buf, sizeof buf)) old = buf;
    ok = chdir(fw::ToPosixPath(folder).c_str()) == 0;
#endif
  }
  ~InFolder() {
#ifdef _WIN32
    std::wstring w(reinterpret_cast<const wchar_t*>(old.data()), old.size() / sizeof(wchar_t));
    SetCurrentDirectoryW(w.c_str());
#else
    if (!old.empty() && chdir(old.c_str()) != 0) {
    }
#endif
  }
};

}  // namespace testsupport
