// The encodes kept as golden files in tests/image/data/ (made by
// jpeg_golden_gen through make_golden.sh).
#pragma once

#include <cstdint>

namespace jpegtest {

struct GoldenCase {
  int w, h, level;
  uint32_t seed;
  const char* file;
};

inline constexpr GoldenCase kGoldenCases[] = {{1, 1, 1, 1, "golden_1x1_l1.jpg"},
                                              {17, 17, 2, 2, "golden_17x17_l2.jpg"},
                                              {64, 48, 3, 3, "golden_64x48_l3.jpg"},
                                              {33, 20, 1, 4, "golden_33x20_l1.jpg"}};

}  // namespace jpegtest
