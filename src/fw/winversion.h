// The Windows version numbers as the system itself reports them
// (RtlGetVersion, which a program's compatibility settings do not change,
// unlike GetVersionEx).
#pragma once

namespace fw {

// False (numbers 0) when the system gives none.
bool ReadSystemVersion(unsigned long* major, unsigned long* minor, unsigned long* build);

}  // namespace fw
