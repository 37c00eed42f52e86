// The framework's own message texts: loading from the string table and
// filling "%1" and "%2" placeholders.
#pragma once

#include "fw/cstring.h"

namespace fw {

CString LoadText(unsigned id);
// Text `id` with "%1" replaced by a1 and "%2" by a2.
CString FormatText(unsigned id, const char* a1, const char* a2 = nullptr);
CString FormatPlaceholders(const char* pattern, const char* a1, const char* a2 = nullptr);

}  // namespace fw
