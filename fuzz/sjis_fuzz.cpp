// Walks any byte string character by character.
#include <cstddef>
#include <cstdint>

#include "fw/sjis.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  int len = static_cast<int>(size > 1 << 20 ? 1 << 20 : size);
  int pos = 0;
  while (pos < len) {
    int n = fw::SjisCharLength(text, len, pos);
    if (n <= 0) __builtin_trap();
    pos += n;
  }
  return 0;
}
