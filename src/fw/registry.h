// Reading texts from the registry. The program only reads the system's keys
// (the openers of file types, the Windows version); nothing here writes.
#pragma once

#include <windows.h>

#include "fw/cstring.h"

namespace fw {

// The text of value `name` (null or "": the key's default value) of
// `root`\`subKey`, in the system's code page. A REG_EXPAND_SZ value comes
// back with its environment references expanded. False, with *out empty,
// when the key or the value is missing or the value is not a text.
bool ReadRegistryText(HKEY root, const char* subKey, const char* name, CString* out);

// True when `root`\`subKey` opens for reading.
bool RegistryKeyExists(HKEY root, const char* subKey);

}  // namespace fw
