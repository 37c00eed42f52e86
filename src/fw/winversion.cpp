#include "fw/winversion.h"

#include <windows.h>

namespace fw {

bool ReadSystemVersion(unsigned long* major, unsigned long* minor, unsigned long* build) {
  *major = *minor = *build = 0;
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof info;
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  const auto rtlGetVersion =
      ntdll ? reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
            : nullptr;
  bool got = rtlGetVersion && rtlGetVersion(&info) == 0;
  if (!got) {
    info = {};
    info.dwOSVersionInfoSize = sizeof info;
    got = GetVersionExW(&info) != FALSE;
  }
  if (!got) return false;
  *major = info.dwMajorVersion;
  *minor = info.dwMinorVersion;
  *build = info.dwBuildNumber;
  return true;
}

}  // namespace fw
