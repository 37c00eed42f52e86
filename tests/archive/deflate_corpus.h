// Inputs that drive the Deflate match finder through its different paths,
// made from fixed seeds (the same bytes on every machine).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive_test_util.h"

namespace arc {

inline const std::vector<std::string>& DeflateCorpusNames() {
  static const std::vector<std::string> names = {"text", "random", "runs", "debruijn", "pairs", "prefix4",
                                                 "prefix6", "mixed", "sjis", "short"};
  return names;
}

inline std::vector<uint8_t> DeflateCorpusInput(const std::string& name) {
  std::vector<uint8_t> v;
  uint32_t x = 12345;
  auto next = [&x] {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    return x;
  };
  if (name == "text") return Bytes(MakeText(300000, 1));
  if (name == "random") return MakeRandom(200000, 3);
  if (name == "runs") {
    while (v.size() < 150000) v.insert(v.end(), 1 + next() % 700, static_cast<uint8_t>(next() % 4));
    return v;
  }
  if (name == "debruijn") return DeBruijn(4, 8);
  // Repeated 2-, 4- and 6-byte prefixes followed by varying bytes: long chains.
  if (name == "pairs") {
    while (v.size() < 200000) v.insert(v.end(), {'q', 'z', static_cast<uint8_t>(next())});
    return v;
  }
  if (name == "prefix4") {
    while (v.size() < 200000) v.insert(v.end(), {'a', 'b', 'c', 'd', static_cast<uint8_t>(next())});
    return v;
  }
  if (name == "prefix6") {
    while (v.size() < 200000)
      v.insert(v.end(), {'a', 'b', 'c', 'd', 'e', 'f', static_cast<uint8_t>(next()), static_cast<uint8_t>(next())});
    return v;
  }
  if (name == "mixed") {
    for (uint32_t seed = 1; v.size() < 400000; ++seed) {
      std::vector<uint8_t> part = seed % 3 == 0 ? MakeRandom(20000 + seed * 97, seed) : Bytes(MakeText(30000, seed));
      v.insert(v.end(), part.begin(), part.end());
      v.insert(v.end(), 300 + seed, static_cast<uint8_t>(seed));
    }
    return v;
  }
  if (name == "sjis") {
    // Double-byte text: lead bytes 0x82/0x83 with varying second bytes.
    while (v.size() < 120000) {
      uint32_t r = next();
      v.push_back(static_cast<uint8_t>(0x82 + (r & 1)));
      v.push_back(static_cast<uint8_t>(0x9F + (r >> 8) % 80));
      if ((r >> 20) % 16 == 0) v.insert(v.end(), {'\r', '\n'});
    }
    return v;
  }
  if (name == "short") return Bytes("abcabcabcabd abcabd");
  return v;
}

}  // namespace arc
