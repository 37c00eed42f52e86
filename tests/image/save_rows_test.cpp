// The rows the picture save writes: a screen bitmap's 24-bit pixels turned
// back into indexes of the picture's own colour table (1, 4 and 8 bits,
// exact colours, the nearest entry for others, duplicates), and top-down
// clipboard rows turned bottom-up.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "image/load/image_record.h"
#include "image/load/image_size.h"
#include "image/view/save_plan.h"

namespace {

// 24-bit bottom-up rows of w x h whose pixel (x, row) is `colour(x, row)`
// (blue, green, red).
template <typename F>
std::vector<uint8_t> Rgb(uint32_t w, uint32_t h, F colour) {
  const uint64_t stride = img::DibStride(w, 24);
  std::vector<uint8_t> out(size_t(stride * h), 0xEE);  // padding that must not matter
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x) {
      const uint32_t c = colour(x, y);
      uint8_t* p = &out[size_t(y * stride + x * 3)];
      p[0] = uint8_t(c);
      p[1] = uint8_t(c >> 8);
      p[2] = uint8_t(c >> 16);
    }
  return out;
}

std::vector<uint8_t> Palette(uint32_t n, uint32_t (*entry)(uint32_t)) {
  std::vector<uint8_t> p(n * 4, 0);
  for (uint32_t i = 0; i < n; ++i) {
    const uint32_t c = entry(i);
    p[i * 4] = uint8_t(c);
    p[i * 4 + 1] = uint8_t(c >> 8);
    p[i * 4 + 2] = uint8_t(c >> 16);
  }
  return p;
}

uint32_t Odd(uint32_t i) { return (255 - i) << 16 | ((i * 7) & 255) << 8 | i; }

}  // namespace

TEST(SaveRows, EightBitIndexesOfTheOwnTable) {
  const std::vector<uint8_t> pal = Palette(256, Odd);
  const uint32_t w = 37, h = 5;
  const std::vector<uint8_t> rgb = Rgb(w, h, [](uint32_t x, uint32_t y) { return Odd((x + 3 * y) & 255); });
  const uint64_t stride = img::DibStride(w, 8);
  std::vector<uint8_t> out(size_t(stride * h), 0x55);
  ASSERT_TRUE(img::IndexRowsByPalette(rgb.data(), w, h, pal.data(), 256, 8, out.data(), out.size()));
  for (uint32_t y = 0; y < h; ++y) {
    for (uint32_t x = 0; x < w; ++x) EXPECT_EQ(out[size_t(y * stride + x)], (x + 3 * y) & 255) << x << "," << y;
    for (uint64_t x = w; x < stride; ++x) EXPECT_EQ(out[size_t(y * stride + x)], 0) << "padding";
  }
}

TEST(SaveRows, FourAndOneBitPackAndTakeTheNearestOrFirstEntry) {
  // Four bits: 16 greys, one of them twice (entries 3 and 9 both 0x303030).
  uint32_t (*grey)(uint32_t) = [](uint32_t i) { return i == 9 ? 0x303030u : i * 0x101010u; };
  const std::vector<uint8_t> pal = Palette(16, grey);
  const uint32_t w = 5, h = 2;
  // Row 0: entries 1, 2, 3 exactly, then a colour between 4 and 5 nearer 5,
  // then white (nearest entry 15). Row 1: all 0x303030 (entry 3, the first).
  const uint32_t row0[] = {0x101010, 0x202020, 0x303030, 0x4E4E4E, 0xFFFFFF};
  const std::vector<uint8_t> rgb = Rgb(w, h, [&](uint32_t x, uint32_t y) { return y == 0 ? row0[x] : 0x303030u; });
  std::vector<uint8_t> out(8, 0xAA);
  ASSERT_TRUE(img::IndexRowsByPalette(rgb.data(), w, h, pal.data(), 16, 4, out.data(), out.size()));
  EXPECT_EQ(out[0], 0x12);
  EXPECT_EQ(out[1], 0x35);
  EXPECT_EQ(out[2], 0xF0);
  EXPECT_EQ(out[3], 0x00);
  EXPECT_EQ(out[4], 0x33);
  EXPECT_EQ(out[5], 0x33);
  EXPECT_EQ(out[6], 0x30);
  // One bit, a blue and yellow table: 10 pixels over two bytes.
  uint32_t (*two)(uint32_t) = [](uint32_t i) { return i ? 0xFFFF00u : 0x0000FFu; };
  const std::vector<uint8_t> bw = Palette(2, two);
  const std::vector<uint8_t> line = Rgb(10, 1, [](uint32_t x, uint32_t) { return x % 3 == 0 ? 0xFFFF00u : 0x0000FFu; });
  std::vector<uint8_t> bits(4, 0xAA);
  ASSERT_TRUE(img::IndexRowsByPalette(line.data(), 10, 1, bw.data(), 2, 1, bits.data(), bits.size()));
  EXPECT_EQ(bits[0], 0x92);  // 1001 0010
  EXPECT_EQ(bits[1], 0x40);  // 01
}

TEST(SaveRows, RefusesWhatDoesNotFit) {
  const std::vector<uint8_t> pal = Palette(256, Odd);
  const std::vector<uint8_t> rgb = Rgb(4, 4, [](uint32_t, uint32_t) { return 0u; });
  std::vector<uint8_t> out(16, 0x77);
  EXPECT_FALSE(img::IndexRowsByPalette(rgb.data(), 4, 4, pal.data(), 256, 8, out.data(), 15));  // too small
  EXPECT_FALSE(img::IndexRowsByPalette(rgb.data(), 4, 4, pal.data(), 256, 24, out.data(), out.size()));
  EXPECT_FALSE(img::IndexRowsByPalette(rgb.data(), 4, 4, pal.data(), 17, 4, out.data(), out.size()));
  EXPECT_FALSE(img::IndexRowsByPalette(rgb.data(), 4, 4, pal.data(), 0, 8, out.data(), out.size()));
  EXPECT_FALSE(img::IndexRowsByPalette(rgb.data(), 0, 4, pal.data(), 256, 8, out.data(), out.size()));
  EXPECT_FALSE(img::IndexRowsByPalette(nullptr, 4, 4, pal.data(), 256, 8, out.data(), out.size()));
  EXPECT_EQ(out, std::vector<uint8_t>(16, 0x77));
}

TEST(SaveRows, TopDownClipboardRowsTurnBottomUp) {
  std::vector<uint8_t> header(40, 0);
  img::DibHeader d;
  d.biWidth = 2;
  d.biHeight = -3;
  d.biBitCount = 24;
  img::WriteDibHeader(header.data(), d);
  // Rows of 8 bytes: 1..., 2..., 3...
  std::vector<uint8_t> rows;
  for (uint8_t r = 1; r <= 3; ++r) rows.insert(rows.end(), 8, r);
  img::MakeRowsBottomUp(header.data(), rows.data(), rows.size());
  EXPECT_EQ(img::ReadDibHeader(header.data()).biHeight, 3);
  EXPECT_EQ(rows[0], 3);
  EXPECT_EQ(rows[8], 2);
  EXPECT_EQ(rows[16], 1);
  // Bottom-up already, or fewer rows than the header says: left alone.
  img::MakeRowsBottomUp(header.data(), rows.data(), rows.size());
  EXPECT_EQ(rows[0], 3);
  d.biHeight = -4;
  img::WriteDibHeader(header.data(), d);
  img::MakeRowsBottomUp(header.data(), rows.data(), rows.size());
  EXPECT_EQ(img::ReadDibHeader(header.data()).biHeight, -4);
  EXPECT_EQ(rows[0], 3);
}
