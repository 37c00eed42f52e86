// The encoder's own rules: edge repetition and colour conversion, the header
// as laid out, coefficient coding at its edges, the output buffer, failing
// allocations, and golden files that keep every output byte fixed.
#include <gtest/gtest.h>

#include <string>

#include "image/jpeg/jpeg_tables.h"
#include "jpeg_test_util.h"
#include "jpeg_golden.h"
#include "support/file_bytes.h"

namespace jpeg {

// Reaches the encoder's per-MCU state.
struct JEncoderAccess {
  static void Load(JEncoder& e, int col, int row) { e.LoadMCU(col, row); }
  static const int* Y(JEncoder& e, int b) { return e.mY[b]; }
  static const int* Cb(JEncoder& e) { return e.mCb; }
  static void Start(JEncoder& e, int size) { e.mOut = new (e.mOutStore) JOutBitStream(size); }
  static void CodeBlock(JEncoder& e, const int (&work)[64], int c) {
    for (int i = 0; i < 64; ++i) e.mWork[i] = work[i];
    e.EncodeHuffman(c);
  }
  static JOutBitStream& Out(JEncoder& e) { return *e.mOut; }
};

}  // namespace jpeg

using namespace jpegtest;
using jpeg::JEncoderAccess;

namespace {

jpeg::JEncodeParams Params(int w, int h, const char* comment = nullptr) {
  jpeg::JEncodeParams p;
  p.width = w;
  p.height = h;
  p.comment = comment;
  p.densityUnits = 1;
  p.xDensity = 96;
  p.yDensity = 96;
  return p;
}

TEST(JpegEncoder, EdgePixelsAreRepeatedAndColoursConvertedByTheFixedFormulas) {
  const uint8_t r = 200, g = 100, b = 50;
  jpeg::JEncoder one(&r, &g, &b);
  auto p = Params(1, 1);
  one.SetParams(&p);
  JEncoderAccess::Load(one, 0, 0);
  const int y = ((153 * 200) >> 9) + ((601 * 100) >> 10) + ((467 * 50) >> 12) - 128;
  const int cb = (50 >> 1) - ((1357 * 100) >> 12) - ((691 * 200) >> 12);
  for (int blk = 0; blk < 4; ++blk)
    for (int i = 0; i < 64; ++i) ASSERT_EQ(JEncoderAccess::Y(one, blk)[i], y);
  for (int i = 0; i < 64; ++i) ASSERT_EQ(JEncoderAccess::Cb(one)[i], cb);

  // 17 x 17: the right and bottom MCUs repeat column 16 and row 16.
  Planes s = Synthetic(17, 17, 4);
  jpeg::JEncoder e(s.r.data(), s.g.data(), s.b.data());
  auto q = Params(17, 17);
  e.SetParams(&q);
  JEncoderAccess::Load(e, 1, 1);
  const std::size_t corner = 16 * 17 + 16;
  const int yc = ((153 * s.r[corner]) >> 9) + ((601 * s.g[corner]) >> 10) + ((467 * s.b[corner]) >> 12) - 128;
  for (int blk = 0; blk < 4; ++blk)
    for (int i = 0; i < 64; ++i) ASSERT_EQ(JEncoderAccess::Y(e, blk)[i], yc);
  JEncoderAccess::Load(e, 1, 0);  // column 16 of rows 0..15, repeated across
  for (int row = 0; row < 8; ++row) {
    const std::size_t k = static_cast<std::size_t>(row) * 17 + 16;
    const int yk = ((153 * s.r[k]) >> 9) + ((601 * s.g[k]) >> 10) + ((467 * s.b[k]) >> 12) - 128;
    for (int x = 0; x < 8; ++x) ASSERT_EQ(JEncoderAccess::Y(e, 1)[row * 8 + x], yk);
  }
}

TEST(JpegEncoder, HeaderIsLaidOutAsWritten) {
  Planes s = Synthetic(20, 10, 1);
  const std::string with = EncodePlanes(s, 1, "JPEG by Dorvik");
  const std::string without = EncodePlanes(s, 1, nullptr);
  ASSERT_FALSE(with.empty());
  auto u = [](const std::string& f, std::size_t i) { return static_cast<int>(static_cast<uint8_t>(f[i])); };
  // SOI, APP0 "JFIF" 1.02, units 1, 96 x 96, no thumbnail.
  const std::string app0 = std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x02\x01\x00\x60\x00\x60\x00\x00", 20);
  EXPECT_EQ(with.substr(0, 20), app0);
  EXPECT_EQ(with.substr(20, 4), std::string("\xFF\xFE\x00\x10", 4));
  EXPECT_EQ(with.substr(24, 14), "JPEG by Dorvik");
  EXPECT_EQ(without.find(std::string("\xFF\xFE", 2)), std::string::npos);
  EXPECT_EQ(with.size(), without.size() + 18);
  // Two DQT (zigzag order), four DHT, SOF0 with ids 0, 1, 2, SOS.
  std::size_t at = 20;
  EXPECT_EQ(without.substr(at, 5), std::string("\xFF\xDB\x00\x43\x00", 5));
  for (int i = 0; i < 64; ++i) EXPECT_EQ(u(without, at + 5 + i), jpeg::kQuantTables[0][0][jpeg::kZigzag[i]]);
  at += 69;
  EXPECT_EQ(without.substr(at, 5), std::string("\xFF\xDB\x00\x43\x01", 5));
  at += 69;
  for (const auto& d : jpeg::kStandardDht) {
    EXPECT_EQ(without.substr(at, d.size), std::string(reinterpret_cast<const char*>(d.bytes), d.size));
    at += d.size;
  }
  EXPECT_EQ(without.substr(at, 19),
            std::string("\xFF\xC0\x00\x11\x08\x00\x0A\x00\x14\x03\x00\x22\x00\x01\x11\x01\x02\x11\x01", 19));
  at += 19;
  EXPECT_EQ(without.substr(at, 14), std::string("\xFF\xDA\x00\x0C\x03\x00\x00\x01\x11\x02\x11\x00\x3F\x00", 14));
  EXPECT_EQ(without.substr(without.size() - 2), std::string("\xFF\xD9", 2));
}

TEST(JpegEncoder, CoefficientsAreCodedAtTheEdgesOfTheTables) {
  const uint8_t px = 0;
  jpeg::JEncoder e(&px, &px, &px);
  JEncoderAccess::Start(e, 64);
  const auto& dc = jpeg::StandardCodeTable(0);
  const auto& ac = jpeg::StandardCodeTable(2);
  // DC -1 (size 1, bit 0), then a single AC +1 at zigzag 63: three ZRL,
  // run 14 size 1, bit 1, and no EOB.
  int work[64] = {};
  work[0] = -1;
  work[63] = 1;
  JEncoderAccess::CodeBlock(e, work, 0);
  jpeg::JOutBitStream expect(64);
  expect.SetBits(dc.code[1], dc.length[1]);
  expect.SetBits(0, 1);
  for (int i = 0; i < 3; ++i) expect.SetBits(ac.code[151], ac.length[151]);
  expect.SetBits(ac.code[141], ac.length[141]);
  expect.SetBits(1, 1);
  // DC from -1 to 1: difference 2 (size 2, bits 10); AC +1 at zigzag 1, EOB.
  int next[64] = {};
  next[0] = 1;
  next[1] = 1;
  JEncoderAccess::CodeBlock(e, next, 0);
  expect.SetBits(dc.code[2], dc.length[2]);
  expect.SetBits(2, 2);
  expect.SetBits(ac.code[1], ac.length[1]);
  expect.SetBits(1, 1);
  expect.SetBits(ac.code[0], ac.length[0]);
  auto& out = JEncoderAccess::Out(e);
  out.SetByte(0xFF);  // completes the last byte with 1 bits
  expect.SetByte(0xFF);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.Data()), out.Written()),
            std::string(reinterpret_cast<const char*>(expect.Data()), expect.Written()));
}

TEST(JpegEncoder, OutputBufferAndFill) {
  Planes s = Synthetic(1, 1, 1);
  jpeg::JEncoder e(s.r.data(), s.g.data(), s.b.data());
  auto p = Params(1, 1, "JPEG by Dorvik");
  e.SetParams(&p);
  e.SetQuality(2);
  const uint8_t* data = reinterpret_cast<const uint8_t*>(1);
  int64_t size = -1;
  e.GetOutput(&data, &size);
  EXPECT_EQ(data, nullptr);
  EXPECT_EQ(size, 0);
  ASSERT_EQ(e.Encode(), 0);
  e.GetOutput(&data, &size);
  EXPECT_GT(size, 600);
  EXPECT_LT(size, 10240);
  // The last entropy-coded byte is completed with 1 bits before FF D9.
  EXPECT_EQ(data[size - 2], 0xFF);
  EXPECT_EQ(data[size - 1], 0xD9);
  const int last = data[size - 3];
  EXPECT_NE(last & 1, 0);

  // Noise at the finest level: far more than 3 bytes a pixel of codes
  // would overflow the fixed buffer; the encoder never fails for room.
  Planes noise = Synthetic(64, 64, 1);
  uint32_t x = 1;
  for (auto* plane : {&noise.r, &noise.g, &noise.b})
    for (auto& v : *plane) v = static_cast<uint8_t>((x = x * 1664525u + 1013904223u) >> 24);
  int rc = -5;
  const std::string n = EncodePlanes(noise, 3, nullptr, &rc);
  EXPECT_EQ(rc, 0);
  EXPECT_LT(static_cast<int64_t>(n.size()), jpeg::JEncoder::OutputBound(64, 64, 0));
  EXPECT_EQ(DecodeBytes(n).decode, 0);

  // Sizes a frame header cannot hold.
  for (int w : {0, 65536}) {
    jpeg::JEncoder big(s.r.data(), s.g.data(), s.b.data());
    auto bp = Params(w, 1);
    big.SetParams(&bp);
    EXPECT_EQ(big.Encode(), -1);
  }
}

TEST(JpegEncoder, QuantiserFastFormsEqualTheShiftAndDivisionForms) {
  for (const auto& set : jpeg::kQuantTables)
    for (const auto& table : set)
      for (uint8_t q : table) ASSERT_TRUE(jpeg::QuantiserPlanMatchesDivision(q, 65535)) << int(q);
  for (int q = 1; q < 256; ++q) ASSERT_TRUE(jpeg::QuantiserPlanMatchesDivision(q, 65535)) << q;
}

TEST(JpegEncoder, EachFailingAllocationGivesMinusOne) {
  Planes s = Synthetic(30, 30, 2);
  for (int n = 1;; ++n) {
    jpeg::JSetAllocFailure(n);
    int rc = 0;
    EncodePlanes(s, 2, "c", &rc);
    const int used = jpeg::JSetAllocFailure(0);
    if (used < n) {
      EXPECT_EQ(rc, 0);
      break;
    }
    EXPECT_EQ(rc, -1) << n;
  }
}

// Golden files: the bytes of these encodes were checked by jpeginfo, djpeg
// and Pillow when they were made (tests/image/data/make_golden.sh); any
// change of the encoder's arithmetic or speed work must keep them.
TEST(JpegEncoder, OutputStaysByteIdenticalToGoldenFiles) {
  const std::string dir = TABRYE_TEST_ROOT "/tests/image/data/";
  for (const GoldenCase& g : kGoldenCases) {
    const std::string want = testsupport::ReadFileBytes(dir + g.file);
    ASSERT_FALSE(want.empty()) << g.file;
    EXPECT_EQ(EncodePlanes(Synthetic(g.w, g.h, g.seed), g.level), want) << g.file;
  }
}

}  // namespace
