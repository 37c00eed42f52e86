// The argument list's answer reader over any bytes and start position:
// every step moves the position on, no answer holds a ',' or a control
// byte, and the answers end within the list.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "macro/macro_argcursor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  if (size > 8192) size = 8192;
  std::int32_t pos;
  std::memcpy(&pos, data, sizeof pos);
  if (data[0] & 1) pos = 0;
  const std::string text(reinterpret_cast<const char*>(data + 4), size - 4);
  const CString arg(text.c_str());
  const std::string& s = arg.Str();
  CString answer;
  std::size_t steps = 0;
  while (true) {
    const std::int32_t before = pos;
    if (!macro::MacroNextArgAnswer(arg, &pos, &answer)) {
      if (pos != before) __builtin_trap();
      break;
    }
    if (pos <= before || static_cast<std::size_t>(pos) > s.size()) __builtin_trap();
    for (unsigned char c : answer.Str())
      if (c == ',' || c < 0x20) __builtin_trap();
    if (answer.Str().size() > static_cast<std::size_t>(pos - before)) __builtin_trap();
    if (++steps > s.size() + 1) __builtin_trap();
  }
  return 0;
}
