// LzwDecode in its three variants with a minimum code size and an expected
// length from the first bytes: the result never passes the expected length.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/lzw_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4 || size > (1 << 20)) return 0;
  const uint32_t variant = data[0] % 3;
  const uint32_t k = data[1] & 15;
  const int32_t expected = int32_t((uint32_t(data[2]) << 8 | data[3]) * 8 + 1);
  std::vector<uint8_t> buf(data + 4, data + size);
  const int32_t n = int32_t(buf.size());
  buf.resize(std::max<size_t>(buf.size(), size_t(expected)));
  const int32_t got = arc::LzwDecode(buf.data(), n, expected, variant, k);
  if (got < 0 || got > expected) __builtin_trap();
  if (variant == arc::kLzwGif && k > 11 && got != 0) __builtin_trap();
  return 0;
}
