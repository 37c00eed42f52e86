// LzwDecode in its three variants against a plain encoder, and the stream
// forms of hand-made codes.
#include <gtest/gtest.h>

#include <random>

#include "archive/lzw_decode.h"
#include "lzw_encode.h"

using imgtest::LzwEncoder;

namespace {

std::vector<uint8_t> Decode(std::vector<uint8_t> in, int32_t expected, uint32_t variant, uint32_t k) {
  const int32_t n = int32_t(in.size());
  in.resize(std::max<size_t>(in.size(), size_t(expected)) + 16);
  const int32_t got = arc::LzwDecode(in.data(), n, expected, variant, k);
  in.resize(size_t(got));
  return in;
}

std::vector<uint8_t> Mixed(size_t n, uint32_t seed, int alphabet) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> v(n);
  for (auto& b : v) b = uint8_t(rng() % unsigned(alphabet));
  return v;
}

TEST(Lzw, GifRoundTripsAcrossWidthsAndFullTables) {
  for (uint32_t k : {2u, 4u, 8u}) {
    const std::vector<uint8_t> data = Mixed(60000, k, 1 << k);
    LzwEncoder enc(false, k);
    EXPECT_EQ(Decode(enc.Encode(data), int32_t(data.size()), arc::kLzwGif, k), data) << k;
  }
}

TEST(Lzw, TiffRoundTripsWithEarlyChange) {
  const std::vector<uint8_t> data = Mixed(50000, 9, 256);
  LzwEncoder enc(true, 8);
  EXPECT_EQ(Decode(enc.Encode(data), int32_t(data.size()), arc::kLzwTiff, 8), data);
}

// Fault: long runs make strings of thousands of bytes; they decode whole.
TEST(Lzw, LongRunsDecodeExactly) {
  for (int32_t n : {100000, 100001, 1200000}) {
    std::vector<uint8_t> data(size_t(n), 7);
    data[size_t(n / 2)] = 9;
    LzwEncoder gif(false, 8), tif(true, 8);
    EXPECT_EQ(Decode(gif.Encode(data), n, arc::kLzwGif, 8), data) << n;
    EXPECT_EQ(Decode(tif.Encode(data), n, arc::kLzwTiff, 8), data) << n;
  }
}

TEST(Lzw, JoinedTiffStripsDecodeIntoOneOutput) {
  const std::vector<uint8_t> a = Mixed(3000, 1, 16), b = Mixed(2000, 2, 200);
  LzwEncoder enc(true, 8);
  std::vector<uint8_t> s = enc.Encode(a);
  std::vector<uint8_t> t = enc.Encode(b);
  s.insert(s.end(), t.begin(), t.end());
  std::vector<uint8_t> want = a;
  want.insert(want.end(), b.begin(), b.end());
  EXPECT_EQ(Decode(s, int32_t(want.size()), arc::kLzwTiff, 8), want);
}

TEST(Lzw, TextVariantWritesAtSignForZero) {
  const std::vector<uint8_t> data = {'a', 0, 'b', 0, 0, 'c'};
  LzwEncoder enc(true, 8);
  // The decode runs while the read position is below the length - 2: the
  // stream sits inside longer data.
  std::vector<uint8_t> s = enc.Encode(data, false);
  s.insert(s.end(), {0, 0, 0});
  EXPECT_EQ(Decode(s, 6, arc::kLzwText, 8),
            (std::vector<uint8_t>{'a', '@', 'b', '@', '@', 'c'}));
}

TEST(Lzw, StopsExactlyAtExpectedLength) {
  const std::vector<uint8_t> data = Mixed(5000, 4, 256);
  LzwEncoder gif(false, 8), tif(true, 8);
  std::vector<uint8_t> want(data.begin(), data.begin() + 1234);
  EXPECT_EQ(Decode(gif.Encode(data), 1234, arc::kLzwGif, 8), want);
  EXPECT_EQ(Decode(tif.Encode(data), 1234, arc::kLzwTiff, 8), want);
}

// KwKwK right after a clear: the code equal to the next free index.
TEST(Lzw, KwKwKAfterClear) {
  // GIF, k = 2: clear 4, end 5; codes 4, 1, 6, 5 at width 3 give 1, 1, 1.
  uint32_t bits = 4 | 1 << 3 | 6 << 6 | 5 << 9;
  std::vector<uint8_t> s = {uint8_t(bits), uint8_t(bits >> 8)};
  EXPECT_EQ(Decode(s, 3, arc::kLzwGif, 2), (std::vector<uint8_t>{1, 1, 1}));
}

// Fault: a minimum code size whose clear code passes the table.
TEST(Lzw, CodeSizeAboveElevenRefused) {
  std::vector<uint8_t> s(100, 0xFF);
  EXPECT_EQ(arc::LzwDecode(s.data(), 100, 100, arc::kLzwGif, 12), 0);
  EXPECT_GE(arc::LzwDecode(s.data(), 100, 100, arc::kLzwGif, 11), 0);
}

TEST(Lzw, GarbageStaysInBounds) {
  std::mt19937 rng(11);
  for (int i = 0; i < 200; ++i) {
    std::vector<uint8_t> in = Mixed(rng() % 3000 + 1, uint32_t(i), 256);
    for (uint32_t v : {0u, 1u, 2u}) {
      const int32_t expected = int32_t(rng() % 20000 + 1);
      std::vector<uint8_t> out = Decode(in, expected, v, 2 + rng() % 10);
      EXPECT_LE(out.size(), size_t(expected));
    }
  }
}

}  // namespace
