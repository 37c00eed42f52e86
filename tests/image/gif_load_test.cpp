// The GIF loader on files made here with the test encoder.
#include <gtest/gtest.h>

#include "image_test_host.h"
#include "lzw_encode.h"

using namespace imgtest;

namespace {

struct GifLayout {
  uint16_t w = 4, h = 3;
  uint32_t k = 2;
  int globalBits = 1;  // table of 2 << n entries; -1 none
  bool interlace = false;
  int transparent = -1;
  std::vector<uint8_t> indices;  // in file (row) order
  std::vector<uint8_t> table;    // RGB triples
  bool secondFrame = false;
};

std::vector<uint8_t> MakeGif(const GifLayout& g) {
  std::vector<uint8_t> v = {'G', 'I', 'F', '8', '9', 'a'};
  Le16(v, g.w);
  Le16(v, g.h);
  v.push_back(g.globalBits >= 0 ? uint8_t(0x80 | g.globalBits) : 0);
  v.push_back(0);
  v.push_back(0);
  if (g.globalBits >= 0) {
    std::vector<uint8_t> t = g.table;
    t.resize(3u * (2u << g.globalBits), 0);
    v.insert(v.end(), t.begin(), t.end());
  }
  if (g.transparent >= 0) v.insert(v.end(), {0x21, 0xF9, 4, 1, 0, 0, uint8_t(g.transparent), 0});
  v.insert(v.end(), {0x21, 0xFE, 3, 'a', 'b', 'c', 0});  // a comment
  for (int frame = 0; frame < (g.secondFrame ? 2 : 1); ++frame) {
    v.push_back(',');
    Le16(v, 0);
    Le16(v, 0);
    Le16(v, g.w);
    Le16(v, g.h);
    v.push_back(g.interlace ? 0x40 : 0);
    v.push_back(uint8_t(g.k));
    LzwEncoder enc(false, g.k);
    std::vector<uint8_t> idx = g.indices;
    if (frame) for (auto& b : idx) b = uint8_t(b ^ 1);
    std::vector<uint8_t> z = enc.Encode(idx);
    for (size_t at = 0; at < z.size(); at += 255) {
      const size_t n = std::min<size_t>(255, z.size() - at);
      v.push_back(uint8_t(n));
      v.insert(v.end(), z.begin() + long(at), z.begin() + long(at + n));
    }
    v.push_back(0);
  }
  v.push_back(';');
  return v;
}

TEST(GifLoad, TwoColoursBecomeFourBitRows) {
  GifLayout g;
  g.w = 5;
  g.h = 2;
  g.indices = {0, 1, 1, 0, 1, 1, 1, 0, 0, 0};
  g.table = {0, 0, 0, 255, 255, 255};
  Record rec;
  RecordingHost host;
  ASSERT_EQ(Load(rec, host, MakeGif(g), img::kKindGif).result, 0);
  EXPECT_EQ(rec.Header().biBitCount, 4);
  EXPECT_EQ(host.LastStatus(), "GIF 2 bit");
  EXPECT_EQ(rec.PictureRow(0)[0], 0x01);
  EXPECT_EQ(rec.PictureRow(0)[1], 0x10);
  EXPECT_EQ(rec.PictureRow(0)[2], 0x10);  // the odd last pixel alone in the high nibble
  EXPECT_EQ(rec.PictureRow(1)[0], 0x11);
  EXPECT_EQ(rec.m_nLoadInfoSize, 40u + 64);
  EXPECT_EQ(rec.m_bmiLoad[44], 255);
}

TEST(GifLoad, InterlacedRowOrder) {
  GifLayout g;
  g.w = 1;
  g.h = 10;
  g.k = 8;
  g.globalBits = 7;
  // File rows are the picture rows 0, 8, 4, 2, 6, 1, 3, 5, 7, 9.
  g.indices = {0, 8, 4, 2, 6, 1, 3, 5, 7, 9};
  g.interlace = true;
  Record rec;
  RecordingHost host;
  ASSERT_EQ(Load(rec, host, MakeGif(g), img::kKindGif).result, 0);
  EXPECT_EQ(rec.Header().biBitCount, 8);
  for (int y = 0; y < 10; ++y) EXPECT_EQ(rec.PictureRow(y)[0], y);
}

TEST(GifLoad, TransparentBlackShowsGrey) {
  GifLayout g;
  g.indices = std::vector<uint8_t>(12, 0);
  g.table = {0, 0, 0, 255, 255, 255};
  g.transparent = 0;
  Record rec;
  RecordingHost host;
  ASSERT_EQ(Load(rec, host, MakeGif(g), img::kKindGif).result, 0);
  EXPECT_EQ(rec.m_bmiLoad[40], 248);
  EXPECT_EQ(rec.m_bmiLoad[42], 248);
  g.transparent = 1;  // white stays white
  Record rec2;
  ASSERT_EQ(Load(rec2, host, MakeGif(g), img::kKindGif).result, 0);
  EXPECT_EQ(rec2.m_bmiLoad[40], 0);
  EXPECT_EQ(rec2.m_bmiLoad[44], 255);
}

TEST(GifLoad, FirstFrameTruncationAndNoTable) {
  GifLayout g;
  g.w = 16;
  g.h = 16;
  g.k = 8;
  g.globalBits = -1;
  for (int i = 0; i < 256; ++i) g.indices.push_back(uint8_t(i * 37));
  g.secondFrame = true;
  std::vector<uint8_t> f = MakeGif(g);
  Record rec;
  RecordingHost host;
  ASSERT_EQ(Load(rec, host, f, img::kKindGif).result, 0);
  EXPECT_EQ(rec.PictureRow(0)[1], 37);
  EXPECT_EQ(rec.m_bmiLoad[40], 0);  // no colour entries copied
  // Cut inside the data: the rest is colour 0.
  f.resize(f.size() / 3);
  Record rec2;
  ASSERT_EQ(Load(rec2, host, f, img::kKindGif).result, 0);
  EXPECT_EQ(rec2.PictureRow(15)[15], 0);
}

// Fault: code sizes past the table, colour tables and blocks cut by the end,
// huge sides in a tiny file.
TEST(GifLoad, HostileFormsRefused) {
  GifLayout g;
  g.indices = std::vector<uint8_t>(12, 1);
  g.table = {0, 0, 0, 255, 255, 255};
  std::vector<uint8_t> f = MakeGif(g);
  RecordingHost host;
  for (uint8_t k : {9, 11, 12}) {
    std::vector<uint8_t> h = f;
    const size_t at = 13 + 12 + 7 + 10;  // minimum code size byte
    ASSERT_EQ(h[at - 10], ',');
    h[at] = k;
    Record rec;
    EXPECT_EQ(Load(rec, host, h, img::kKindGif).result, -1) << int(k);
  }
  {
    std::vector<uint8_t> h(f.begin(), f.begin() + 15);  // table cut off
    Record rec;
    EXPECT_EQ(Load(rec, host, h, img::kKindGif).result, -1);
  }
  {
    std::vector<uint8_t> h(f.begin(), f.begin() + 13 + 6 + 4);  // extension cut off
    Record rec;
    EXPECT_EQ(Load(rec, host, h, img::kKindGif).result, -1);
  }
  {
    GifLayout big = g;
    big.w = big.h = 65535;
    big.indices = {1, 1, 1};
    Record rec;
    const int r = Load(rec, host, MakeGif(big), img::kKindGif).result;
    if (r == 0) EXPECT_LE(uint64_t(rec.m_nLoadHeight) * rec.m_nLoadStride, rec.m_nLoadDataSize);
  }
}

}  // namespace
