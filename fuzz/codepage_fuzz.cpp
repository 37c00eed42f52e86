// Decodes any bytes as CP932 and as UTF-8. Every decoded character has a
// code to go back to, so decoding, encoding and decoding again must give the
// same text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fw/codepage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 16) size = 1 << 16;
  const char* text = reinterpret_cast<const char*>(data);

  std::u16string u = fw::Cp932ToUtf16(text, size);
  if (u.size() > size) __builtin_trap();
  std::string back = fw::Utf16ToCp932(u);
  if (fw::Cp932ToUtf16(back) != u) __builtin_trap();

  std::u16string v = fw::Utf8ToUtf16(text, size);
  if (v.size() > size) __builtin_trap();
  std::string utf8 = fw::Utf16ToUtf8(v);
  if (fw::Utf8ToUtf16(utf8) != v) __builtin_trap();
  fw::Utf16ToCp932(v);
  return 0;
}
