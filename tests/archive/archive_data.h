// Test data of the archive code made from a seed (the same bytes on every
// machine): random bytes and text with repeats. No test framework here, so
// the benchmarks use it too.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace arc {

// Deterministic pseudo-random bytes.
inline std::vector<uint8_t> MakeRandom(size_t n, uint32_t seed) {
  std::vector<uint8_t> v(n);
  uint32_t x = seed * 2654435761u + 1;
  for (auto& b : v) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    b = static_cast<uint8_t>(x >> 24);
  }
  return v;
}

// Text-like data with repeats: words from a small vocabulary.
inline std::string MakeText(size_t n, uint32_t seed) {
  static const char* words[] = {"the ", "archive ", "codec ", "reads ", "and ", "writes ", "ZIP ", "LZH ",
                                "data, ", "members ", "with ", "tables.\r\n", "Huffman ", "window ", "of ", "bytes "};
  std::string s;
  uint32_t x = seed * 2654435761u + 7;
  while (s.size() < n) {
    x = x * 1103515245u + 12345u;
    s += words[(x >> 16) & 15];
    if (((x >> 8) & 31) == 0) s += std::to_string(x % 100000);
  }
  s.resize(n);
  return s;
}

inline std::vector<uint8_t> Bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

}  // namespace arc
