// The JPEG loader: rows from the decoder's planes, bottom-up in B, G, R
// order, alignment bytes 0, the status text and the colour option.
#include <gtest/gtest.h>

#include "image/jpeg/jpeg_decoder.h"
#include "image/jpeg/jpeg_encoder.h"
#include "image/jpeg/jpeg_errors.h"
#include "image_test_host.h"

using namespace imgtest;

namespace {

std::vector<uint8_t> EncodeJpeg(int w, int h) {
  std::vector<uint8_t> r(size_t(w * h)), g(r.size()), b(r.size());
  for (int i = 0; i < w * h; ++i) {
    r[size_t(i)] = uint8_t(i * 9);
    g[size_t(i)] = uint8_t(255 - i * 5);
    b[size_t(i)] = uint8_t(i * 3 + 40);
  }
  jpeg::JEncodeParams p;
  p.width = w;
  p.height = h;
  jpeg::JEncoder enc(r.data(), g.data(), b.data());
  enc.SetParams(&p);
  EXPECT_EQ(enc.Encode(), 0);
  const uint8_t* data = nullptr;
  int64_t n = 0;
  enc.GetOutput(&data, &n);
  return std::vector<uint8_t>(data, data + n);
}

TEST(JpegLoad, RowsFromThePlanes) {
  const std::vector<uint8_t> f = EncodeJpeg(5, 3);
  jpeg::JDecoder dec;
  ASSERT_EQ(dec.ReadHeader(f.data(), int64_t(f.size())), 0);
  ASSERT_EQ(dec.Decode(), 0);
  uint8_t *r, *g, *b;
  int w, h, c;
  dec.GetInfo(&r, &g, &b, &w, &h, &c);
  Record rec;
  RecordingHost host;
  ASSERT_EQ(Load(rec, host, f, img::kKindJpeg).result, 0);
  EXPECT_EQ(rec.m_nLoadStride, 16u);
  for (int y = 0; y < 3; ++y) {
    const uint8_t* row = rec.PictureRow(y);
    for (int x = 0; x < 5; ++x) {
      EXPECT_EQ(row[3 * x], b[y * 5 + x]);
      EXPECT_EQ(row[3 * x + 1], g[y * 5 + x]);
      EXPECT_EQ(row[3 * x + 2], r[y * 5 + x]);
    }
    EXPECT_EQ(row[15], 0);
  }
  jpeg::JFree(r);
  jpeg::JFree(g);
  jpeg::JFree(b);
  EXPECT_EQ(host.LastStatus(), "Jpeg 3 color");
}

TEST(JpegLoad, OptionShowsCmy) {
  Record rec;
  RecordingHost host;
  ASSERT_EQ(Load(rec, host, EncodeJpeg(8, 8), img::kKindJpeg, 1).result, 0);
  EXPECT_EQ(host.LastStatus(), "Jpeg 3 color cmy");
  EXPECT_EQ(rec.m_aImageSettings[img::kColorOption], 1u);
  EXPECT_EQ(rec.m_aImageSettings[img::kNeedTransform], 1u);
}

TEST(JpegLoad, DamagedFileFails) {
  std::vector<uint8_t> f = EncodeJpeg(8, 8);
  f.resize(20);
  Record rec;
  RecordingHost host;
  EXPECT_EQ(Load(rec, host, f, img::kKindJpeg).result, -1);
  EXPECT_EQ(rec.m_nLoadBitsOwner, 0u);
}

}  // namespace

#include "fw/alloc.h"

namespace {

// Each allocation of a JPEG load failing in turn (the decoder's and the
// loader's): the load fails, string 152 is shown once, nothing is left.
TEST(JpegLoad, EachAllocationFailsCleanly) {
  const std::vector<uint8_t> f = EncodeJpeg(24, 16);
  const long live = fw::alloctest::Live();
  for (int n = 1;; ++n) {
    Record rec;
    RecordingHost host;
    jpeg::JSetAllocFailure(n);
    const int r = Load(rec, host, f, img::kKindJpeg).result;
    const int calls = jpeg::JAllocCount();
    jpeg::JSetAllocFailure(0);
    if (calls < n) {
      EXPECT_EQ(r, 0);
      break;
    }
    EXPECT_EQ(r, -1) << n;
    EXPECT_EQ(host.boxes, std::vector<unsigned>{152}) << n;
  }
  ExpectEachAllocationFailureReported(f, img::kKindJpeg);
  EXPECT_EQ(fw::alloctest::Live(), live);
}

}  // namespace
