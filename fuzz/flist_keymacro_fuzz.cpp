// The key-macro file reader on any bytes: at most 199 lines of at most 250
// printable ASCII characters, then "END"; never more than 3000 bytes taken.
#include <cstddef>
#include <cstdint>
#include <string>

#include "filelist/flistcore/keymacro.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size > 8000 ? 8000 : size);
  const flist::KeyMacroFile k = flist::ReadKeyMacroFile(bytes);
  if (k.lines.empty() || k.lines.size() > 200 || k.lines.back() != "END") __builtin_trap();
  std::size_t chars = 0;
  for (std::size_t i = 0; i + 1 < k.lines.size(); ++i) {
    if (k.lines[i].size() > 250) __builtin_trap();
    for (char c : k.lines[i])
      if (c <= 0x20 || c > 0x7E + 1) __builtin_trap();
    chars += k.lines[i].size();
  }
  if (chars > 3000) __builtin_trap();
  if ((k.pc == 0) != (k.lines[0].compare(0, 3, "DVK") == 0 && k.lines.size() > 1)) __builtin_trap();
  return 0;
}
