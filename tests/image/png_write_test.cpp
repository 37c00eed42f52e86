// The PNG writer's layout: chunks, rows, palette sizes, the end at IEND.
#include <gtest/gtest.h>

#include "archive/arc_state.h"
#include "image/load/raw_inflate.h"
#include "image_test_host.h"

using namespace imgtest;

namespace {

struct Chunks {
  std::vector<std::pair<std::string, std::vector<uint8_t>>> list;
  size_t end = 0;
};

Chunks Walk(const std::vector<uint8_t>& f) {
  Chunks c;
  size_t pos = 8;
  while (pos + 12 <= f.size()) {
    const uint32_t n = img::GetBe32(f.data() + pos);
    c.list.emplace_back(std::string(f.begin() + long(pos) + 4, f.begin() + long(pos) + 8),
                        std::vector<uint8_t>(f.begin() + long(pos) + 8, f.begin() + long(pos + 8 + n)));
    pos += 12 + n;
  }
  c.end = pos;
  return c;
}

std::vector<uint8_t> Inflated(const std::vector<uint8_t>& idat, size_t expect) {
  std::vector<uint8_t> buf(idat.begin() + 2, idat.end() - 4);
  buf.resize(std::max(buf.size() + 400, expect + 400));
  const int32_t n = img::InflateRawInMemory(buf.data(), int32_t(idat.size() - 6), int32_t(expect + 1), 2);
  EXPECT_GE(n, 0);
  buf.resize(size_t(n));
  return buf;
}

std::vector<uint8_t> Build(uint32_t w, uint32_t h, uint16_t bits, uint32_t clrUsed, std::vector<uint8_t> px) {
  uint8_t info[img::kInfoArea] = {};
  img::DibHeader hd;
  hd.biWidth = int32_t(w);
  hd.biHeight = int32_t(h);
  hd.biBitCount = bits;
  hd.biClrUsed = clrUsed;
  img::WriteDibHeader(info, hd);
  for (int k = 0; k < 256; ++k) info[40 + 4 * k + 2] = uint8_t(k);
  std::vector<uint8_t> out;
  bool noMemory = false;
  EXPECT_TRUE(img::BuildPngFile(px.data(), info, 1 << 30, &out, &noMemory));
  return out;
}

TEST(PngWrite, OnePixel24Bit) {
  const std::vector<uint8_t> f = Build(1, 1, 24, 0, {10, 20, 30, 0});
  const Chunks c = Walk(f);
  ASSERT_EQ(c.list.size(), 3u);
  EXPECT_EQ(c.list[0].first, "IHDR");
  EXPECT_EQ(c.list[0].second[8], 8);
  EXPECT_EQ(c.list[0].second[9], 2);
  EXPECT_EQ(c.list[1].first, "IDAT");
  EXPECT_EQ(c.list[2].first, "IEND");
  EXPECT_EQ(c.end, f.size());  // nothing after IEND
  EXPECT_EQ(Inflated(c.list[1].second, 4), (std::vector<uint8_t>{0, 30, 20, 10}));
}

TEST(PngWrite, OneBitNineWideAndPaletteSizes) {
  const std::vector<uint8_t> f = Build(9, 2, 1, 0, {0xFF, 0x80, 0, 0, 0x55, 0x00, 0, 0});
  const Chunks c = Walk(f);
  ASSERT_EQ(c.list[1].first, "PLTE");
  EXPECT_EQ(c.list[1].second.size(), 6u);
  EXPECT_EQ(Inflated(c.list[2].second, 6), (std::vector<uint8_t>{0, 0x55, 0x00, 0, 0xFF, 0x80}));
  const std::vector<uint8_t> g = Build(2, 1, 8, 16, {1, 2, 0, 0});
  EXPECT_EQ(Walk(g).list[1].second.size(), 768u);
}

TEST(PngWrite, WrittenFileLoadsBack) {
  std::vector<uint8_t> px(Stride(7, 24) * 3);
  for (size_t i = 0; i < px.size(); ++i) px[i] = uint8_t(i * 5);
  for (uint32_t y = 0; y < 3; ++y)
    for (uint32_t i = 21; i < Stride(7, 24); ++i) px[y * Stride(7, 24) + i] = 0;
  const std::vector<uint8_t> f = Build(7, 3, 24, 0, px);
  Record rec;
  RecordingHost host;
  ASSERT_EQ(Load(rec, host, f, img::kKindPng).result, 0);
  EXPECT_EQ(std::vector<uint8_t>(rec.m_pLoadBits, rec.m_pLoadBits + px.size()), px);
}

TEST(PngWrite, ChunkCrcOfNothingIsZero) {
  uint8_t b[8] = {1, 2, 3, 4, 9, 9, 9, 9};
  img::PngChunkCrc(4, 4, b);
  EXPECT_EQ(img::GetBe32(b + 4), 0u);
}

}  // namespace
