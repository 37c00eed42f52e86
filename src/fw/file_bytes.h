// A whole file read into memory.
#pragma once

#include <cstdint>
#include <vector>

#include "fw/cstring.h"

namespace fw {

// Reads the whole file `path` into *bytes; false when it cannot be opened or
// read (*bytes then holds what was read).
bool ReadFileBytes(const CString& path, std::vector<std::uint8_t>* bytes);

}  // namespace fw
