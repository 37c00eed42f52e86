// FILETIME (100 ns ticks since 1601-01-01) and Unix seconds, for the file and
// time code on Windows. Windows only.
#pragma once

#ifdef _WIN32
#include <windows.h>

#include <cstdint>

namespace fw {

constexpr std::int64_t kFileTimeEpoch = 11644473600LL;  // 1601-01-01 to 1970-01-01 in seconds

// Unix seconds of a FILETIME; 0 for an unset (zero) time.
inline std::int64_t FileTimeToUnix(const FILETIME& ft) {
  ULARGE_INTEGER v;
  v.LowPart = ft.dwLowDateTime;
  v.HighPart = ft.dwHighDateTime;
  if (v.QuadPart == 0) return 0;
  return static_cast<std::int64_t>(v.QuadPart / 10000000ULL) - kFileTimeEpoch;
}

inline FILETIME UnixToFileTime(std::int64_t t) {
  ULARGE_INTEGER v;
  v.QuadPart = static_cast<ULONGLONG>(t + kFileTimeEpoch) * 10000000ULL;
  FILETIME ft;
  ft.dwLowDateTime = v.LowPart;
  ft.dwHighDateTime = v.HighPart;
  return ft;
}

}  // namespace fw
#endif
