// The reader the fuzz targets draw their numbers from: the input's bytes in
// order, 0 once they run out; each target adds its own mix of numbers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace fuzz {

struct ByteReader {
  const uint8_t* p;
  size_t n;
  uint8_t Byte() {
    if (!n) return 0;
    --n;
    return *p++;
  }
  // Four bytes, least significant first.
  uint32_t Word() { return uint32_t(Byte()) | uint32_t(Byte()) << 8 | uint32_t(Byte()) << 16 | uint32_t(Byte()) << 24; }
};

}  // namespace fuzz
