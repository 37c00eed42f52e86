// The launch stand-in's record: "key=value" lines it writes when started.
// Waited for (bounded), read, and taken away for the next start.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "support/file_bytes.h"

namespace shelltest {

// Empty when no record came within `timeoutMs`.
inline std::map<std::string, std::string> TakeLaunchRecord(const std::string& record, int timeoutMs = 20000) {
  std::map<std::string, std::string> out;
  // The stand-in renames its record into place; for a moment after the
  // rename the file can still be held by the rename itself (reads then fail
  // with a sharing violation), so wait for the whole record, not the name.
  const DWORD start = GetTickCount();
  std::string text;
  for (;;) {
    if (GetFileAttributesA(record.c_str()) != INVALID_FILE_ATTRIBUTES) {
      text = testsupport::ReadFileBytes(record);
      if (text.find("folder=") != std::string::npos) break;
    }
    if (GetTickCount() - start > static_cast<DWORD>(timeoutMs)) return out;
    Sleep(20);
  }
  while (!DeleteFileA(record.c_str()) && GetFileAttributesA(record.c_str()) != INVALID_FILE_ATTRIBUTES &&
         GetTickCount() - start <= static_cast<DWORD>(timeoutMs))
    Sleep(20);
  std::size_t p = 0;
  while (p < text.size()) {
    std::size_t e = text.find('\n', p);
    if (e == std::string::npos) e = text.size();
    const std::string line = text.substr(p, e - p);
    const std::size_t eq = line.find('=');
    if (eq != std::string::npos) out[line.substr(0, eq)] = line.substr(eq + 1);
    p = e + 1;
  }
  return out;
}

}  // namespace shelltest
