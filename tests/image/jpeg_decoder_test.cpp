// The decoder on hand-made and damaged files: refusals with their result
// codes, odd but valid segments, the first-MCU and marker rules, memory
// limits and failing allocations, and the table-driven reader against the
// bit-by-bit reference on many damaged inputs.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "jpeg_reference.h"
#include "jpeg_test_util.h"

using namespace jpegtest;

namespace {

std::string Word(int v) { return std::string{static_cast<char>((v >> 8) & 0xFF), static_cast<char>(v & 0xFF)}; }
std::string Seg(int marker, const std::string& body) {
  return std::string{'\xFF', static_cast<char>(marker)} + Word(static_cast<int>(body.size()) + 2) + body;
}
std::string Bytes(std::initializer_list<int> v) {
  std::string s;
  for (int b : v) s += static_cast<char>(b);
  return s;
}

// A greyscale file with one-code tables: DC category 8 is code 0, AC EOB is
// code 0; quantisation 1 everywhere. `scan` is the entropy-coded data.
const std::string kDcCat8 = Bytes({0x00, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8});
const std::string kAcEob = Bytes({0x10, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
std::string GreyFile(int w, int h, const std::string& scan, const std::string& dcTable = kDcCat8,
                     const std::string& acTable = kAcEob) {
  std::string f = Bytes({0xFF, 0xD8});
  f += Seg(0xDB, std::string(1, '\0') + std::string(64, '\x01'));
  f += Seg(0xC0, Bytes({8}) + Word(h) + Word(w) + Bytes({1, 1, 0x11, 0}));
  f += Seg(0xC4, dcTable);
  f += Seg(0xC4, acTable);
  f += Seg(0xDA, Bytes({1, 1, 0x00, 0, 63, 0}));
  return f + scan + Bytes({0xFF, 0xD9});
}

// A small file of our encoder (no comment) and the offset of a marker in it.
std::string OurFile(int w = 24, int h = 20, const char* comment = nullptr) {
  return EncodePlanes(Synthetic(w, h, 5), 2, comment);
}
std::size_t At(const std::string& f, int marker) { return f.find(std::string{'\xFF', static_cast<char>(marker)}); }

int HeaderResult(const std::string& f) {
  jpeg::JDecoder d;
  return d.ReadHeader(reinterpret_cast<const uint8_t*>(f.data()), static_cast<int64_t>(f.size()));
}

// ReadHeader and Decode both run; the first nonzero result (or 0).
int Result(const std::string& f) {
  DecodeResult r = DecodeBytes(f);
  return r.header != 0 ? r.header : r.decode;
}

TEST(JpegDecoder, InvalidFrameScanAndSegmentValuesGiveMinusTwo) {
  const std::string ok = OurFile();
  ASSERT_EQ(Result(ok), 0);
  const std::size_t sof = At(ok, 0xC0), sos = At(ok, 0xDA), dqt = At(ok, 0xDB), app = At(ok, 0xE0);
  auto with = [&](std::size_t at, int value) {
    std::string f = ok;
    f[at] = static_cast<char>(value);
    return f;
  };
  EXPECT_EQ(Result(with(sof + 11, 0x02)), -2);  // H = 0
  EXPECT_EQ(Result(with(sof + 11, 0x20)), -2);  // V = 0
  EXPECT_EQ(Result(with(sof + 11, 0x52)), -2);  // H = 5
  EXPECT_EQ(Result(with(sof + 12, 4)), -2);     // Tq = 4
  EXPECT_EQ(Result(with(sof + 9, 2)), -2);      // Nf = 2
  EXPECT_EQ(Result(with(sos + 4, 5)), -2);      // Ns = 5
  EXPECT_EQ(Result(with(sos + 4, 1)), -2);      // Ns differs from Nf
  EXPECT_EQ(Result(with(sos + 6, 0x30)), -2);   // Td = 3
  EXPECT_EQ(Result(with(sos + 6, 0x03)), -2);   // Ta = 3
  EXPECT_EQ(Result(with(dqt + 3, 0)), -2);      // L = 0
  EXPECT_EQ(Result(with(app + 3, 1)), -2);      // APP0 L = 1
  EXPECT_EQ(Result(with(app + 3, 8)), -2);      // JFIF shorter than its fields
  EXPECT_EQ(Result(with(sof + 1, 0xC2)), -2);   // progressive frame
  EXPECT_EQ(Result(with(sof + 1, 0xC9)), -2);   // arithmetic frame
  EXPECT_EQ(Result(with(sof + 1, 0xC8)), -2);   // reserved code
  EXPECT_EQ(Result(with(sof + 1, 0xD3)), -2);   // restart marker between segments
  // SOS without SOF0.
  std::string noFrame = ok.substr(0, sof) + ok.substr(sos);
  EXPECT_EQ(Result(noFrame), -2);
  // A segment that runs past the data.
  EXPECT_EQ(HeaderResult(ok.substr(0, sof + 8)), -2);
  // COM with L = 0 and L = 1.
  for (int l : {0, 1}) {
    std::string com = ok.substr(0, app) + Bytes({0xFF, 0xFE, 0, l}) + ok.substr(app);
    EXPECT_EQ(Result(com), -2) << l;
  }
  // APP0 and APP13 with fewer than five bytes are skipped.
  std::string shortApp = ok.substr(0, app) + Seg(0xE0, "JF") + Seg(0xED, "") + ok.substr(app);
  EXPECT_EQ(Result(shortApp), 0);
  // No SOI at all: the search runs out.
  EXPECT_EQ(HeaderResult(std::string(100, 'x')), -2);
  EXPECT_EQ(HeaderResult(""), -2);
}

TEST(JpegDecoder, SegmentsAroundTheImageAreReadOrSkippedExactly) {
  const std::string ok = EncodePlanes(Synthetic(40, 33, 9), 3, "JPEG by Dorvik");
  DecodeResult base = DecodeBytes(ok);
  ASSERT_EQ(base.decode, 0);
  jpeg::JDecoder d;
  ASSERT_EQ(d.ReadHeader(reinterpret_cast<const uint8_t*>(ok.data()), int64_t(ok.size())), 0);
  EXPECT_STREQ(d.Comment(), "JPEG by Dorvik");
  EXPECT_EQ(d.JfifKind(), 1);
  EXPECT_EQ(d.PhotoFlag(), 1);
  EXPECT_EQ(d.DensityUnits(), 1);
  EXPECT_EQ(d.XDensity(), 96);
  EXPECT_EQ(d.Flags(), 1 | 2 | 4 | 8 | 16);

  // A JFXX extension whose thumbnail bytes look like markers, APP1 and APP15
  // segments, and junk before SOI.
  const std::size_t dqt = At(ok, 0xDB);
  std::string jfxx = Seg(0xE0, std::string("JFXX\0", 5) + Bytes({0x10, 0xFF, 0xD9, 0xFF, 0xDA, 0x00}));
  std::string f = std::string("\x12\xFF\x00 junk", 7) + ok.substr(0, dqt) + jfxx + Seg(0xE1, "Exif\xFF\xD9") + Seg(0xEF, "x") +
                  ok.substr(dqt);
  jpeg::JDecoder e;
  ASSERT_EQ(e.ReadHeader(reinterpret_cast<const uint8_t*>(f.data()), int64_t(f.size())), 0);
  EXPECT_EQ(e.JfifKind(), 2);
  DecodeResult r = DecodeBytes(f);
  EXPECT_EQ(r.decode, 0);
  EXPECT_TRUE(r.planes == base.planes);

  // Without DQT every table stays 0: a flat grey picture, not garbage.
  std::string noDqt = ok;
  for (int i = 0; i < 2; ++i) noDqt.erase(At(noDqt, 0xDB), 69);
  DecodeResult grey = DecodeBytes(noDqt);
  ASSERT_EQ(grey.decode, 0);
  for (uint8_t v : grey.planes.r) ASSERT_EQ(v, 128);
  for (uint8_t v : grey.planes.b) ASSERT_EQ(v, 128);

  // DRI and DNL segments in the header.
  const std::size_t sof = At(ok, 0xC0);
  std::string dnl = ok.substr(0, sof) + Seg(0xDC, Word(33)) + ok.substr(sof);
  EXPECT_EQ(Result(dnl), 0);
}

TEST(JpegDecoder, FirstMcuDifferenceOfMinus255AndStuffedFirstByte) {
  // Two blocks, each DC category 8 with bits 00000000 (-255), then EOB:
  // 0 00000000 0 | 0 00000000 0 | fill.
  std::string f = GreyFile(16, 8, Bytes({0x00, 0x00, 0x0F}));
  DecodeResult r = DecodeBytes(f);
  ASSERT_EQ(r.decode, 0);
  // First block: 172 (the first MCU's -255), second: 172 - 255.
  EXPECT_EQ(r.planes.r[0], 149);
  EXPECT_EQ(r.planes.r[8], 117);
  for (int x = 0; x < 16; ++x) EXPECT_EQ(r.planes.r[7 * 16 + x], r.planes.r[x]);

  // A DC code of eight 1 bits and a 0 (category 0) makes the first
  // entropy-coded byte a stuffed FF 00; then 0 (its last bit) and EOB.
  const std::string dcTable = Bytes({0x00, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 5, 5, 5, 5, 5, 5, 5, 5, 0});
  DecodeResult b = DecodeBytes(GreyFile(8, 8, Bytes({0xFF, 0x00, 0x3F}), dcTable));
  ASSERT_EQ(b.decode, 0);
  for (uint8_t v : b.planes.g) ASSERT_EQ(v, 128);
}

TEST(JpegDecoder, FramesWithoutPixelsAreRefused) {
  const std::string ok = OurFile();
  const std::size_t sof = At(ok, 0xC0);
  // Height at sof + 5, width at sof + 7 (16 bits each).
  for (int field : {5, 7}) {
    std::string f = ok;
    f[sof + field] = f[sof + field + 1] = '\0';
    EXPECT_EQ(HeaderResult(f), -2) << field;
    EXPECT_EQ(Result(f), -2) << field;
    EXPECT_EQ(DecodeBytes<ReferenceBits>(f).header, -2) << field;
    // A caller that decodes in spite of the header's result gets -2 too, and
    // no planes.
    jpeg::JDecoder d;
    d.ReadHeader(reinterpret_cast<const uint8_t*>(f.data()), static_cast<int64_t>(f.size()));
    EXPECT_EQ(d.Decode(), -2) << field;
    uint8_t *r = nullptr, *g = nullptr, *b = nullptr;
    int w = -1, h = -1, n = -1;
    d.GetInfo(&r, &g, &b, &w, &h, &n);
    EXPECT_TRUE(r == nullptr && g == nullptr && b == nullptr) << field;
  }
  // A DNL segment in the header that sets the height to 0.
  std::string dnl = ok.substr(0, At(ok, 0xDA)) + Seg(0xDC, Word(0)) + ok.substr(At(ok, 0xDA));
  EXPECT_EQ(Result(dnl), -2);
  EXPECT_EQ(Result(GreyFile(8, 0, Bytes({0x00, 0x3F}))), -2);
  EXPECT_EQ(Result(GreyFile(0, 8, Bytes({0x00, 0x3F}))), -2);
  EXPECT_EQ(Result(GreyFile(1, 1, Bytes({0x00, 0x3F}))), 0);
}

// A value whose bits run into a marker is the negative marker code itself
// (-217 for FF D9), not that code put through the sign extension: the block
// decodes like one that holds -217 written out in its eight bits (00100110).
TEST(JpegDecoder, ValueRunningIntoAMarkerIsTheNegativeCode) {
  // AC table: "0" is run 0 / size 8, "1" is EOB. The FF of the marker then
  // reads as a 1 bit: EOB, and the only block is complete.
  const std::string ac = Bytes({0x10, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x08, 0x00});
  struct Case {
    const char* what;
    std::string cut, written;
  };
  const Case cases[] = {
      // DC code 0, seven value bits, then FF D9 | written: 0 00100110 1 fill.
      {"DC", Bytes({0x00}), Bytes({0x13, 0x7F})},
      // DC 0 10000000, AC code 0, six value bits, then FF D9 |
      // written: 0 10000000 0 00100110 1 fill.
      {"AC", Bytes({0x40, 0x00}), Bytes({0x40, 0x09, 0xBF})},
  };
  for (const Case& c : cases) {
    const std::string cut = GreyFile(8, 8, c.cut, kDcCat8, ac);
    const std::string written = GreyFile(8, 8, c.written, kDcCat8, ac);
    DecodeResult a = DecodeBytes(cut), b = DecodeBytes<ReferenceBits>(cut), e = DecodeBytes(written);
    ASSERT_EQ(a.decode, 0) << c.what;
    ASSERT_EQ(b.decode, 0) << c.what;
    ASSERT_EQ(e.decode, 0) << c.what;
    EXPECT_TRUE(a.planes == e.planes) << c.what;
    EXPECT_TRUE(b.planes == e.planes) << c.what;
  }
  // The DC block alone: (((362 * -217) >> 9) * 362 >> 9 >> 2) + 128 = 100.
  DecodeResult dc = DecodeBytes(GreyFile(8, 8, Bytes({0x00}), kDcCat8, ac));
  ASSERT_EQ(dc.decode, 0);
  for (uint8_t v : dc.planes.r) ASSERT_EQ(v, 100);
}

TEST(JpegDecoder, HuffmanCodesThatMatchNothingAreFormatErrors) {
  // The DC table's only code is 0: a 1 bit matches nothing.
  EXPECT_EQ(Result(GreyFile(8, 8, Bytes({0x80}))), -2);
  // An empty AC table.
  std::string f = GreyFile(8, 8, Bytes({0x00, 0x3F}));
  const std::size_t dht = f.find(Bytes({0xFF, 0xC4, 0x00, 0x14, 0x10}));
  ASSERT_NE(dht, std::string::npos);
  f[dht + 5] = 0;
  EXPECT_EQ(Result(f), -2);
  // A scan that is only a marker ends quietly.
  EXPECT_EQ(Result(GreyFile(8, 8, "")), 0);
}

TEST(JpegDecoder, HugeFramesAreRefusedBeforeAllocation) {
  std::string f = OurFile();
  const std::size_t sof = At(f, 0xC0);
  f[sof + 5] = f[sof + 6] = f[sof + 7] = f[sof + 8] = '\xFF';  // 65535 x 65535
  jpeg::JDecoder d;
  ASSERT_EQ(d.ReadHeader(reinterpret_cast<const uint8_t*>(f.data()), int64_t(f.size())), 0);
  jpeg::JSetAllocFailure(0);
  EXPECT_EQ(d.Decode(), -1);
  EXPECT_EQ(jpeg::JSetAllocFailure(0), 0);  // nothing was allocated

  // An explicit limit below the picture's planes.
  const std::string small = OurFile(64, 64);
  EXPECT_EQ(DecodeBytes(small, 3 * 64 * 64 - 1).decode, -1);
  EXPECT_EQ(DecodeBytes(small, 3 * 64 * 64).decode, 0);
}

TEST(JpegDecoder, EachFailingAllocationGivesMinusOneAndLeaksNothing) {
  const std::string f = EncodePlanes(Synthetic(40, 24, 3), 2, "comment");
  int n = 1;
  for (;; ++n) {
    jpeg::JSetAllocFailure(n);
    DecodeResult r = DecodeBytes(f);
    const int used = jpeg::JSetAllocFailure(0);
    if (used < n) {
      EXPECT_EQ(r.decode, 0);
      break;
    }
    EXPECT_TRUE(r.header == -1 || (r.header == 0 && r.decode == -1)) << n;
  }
  EXPECT_GT(n, 15);  // tables, comment, planes and units were all tried
}

// The table-driven reader and the bit-by-bit reference agree on files cut
// short at every length and on files with damaged bytes.
TEST(JpegDecoder, TableDrivenReaderMatchesBitByBitReference) {
  std::vector<std::string> files = {OurFile(33, 17), GreyFile(16, 8, Bytes({0x00, 0x00, 0x0F})),
                                    EncodePlanes(Synthetic(16, 16, 2), 1, nullptr)};
  // A restart interval of one MCU with RST markers, written by hand into our file.
  {
    std::string f = OurFile(48, 16);
    const std::size_t sos = At(f, 0xDA);
    files.push_back(f.substr(0, sos) + Seg(0xDD, Word(1)) + f.substr(sos));
  }
  std::mt19937 rng(12345);
  int compared = 0;
  for (const std::string& base : files) {
    const std::size_t scan = At(base, 0xDA);
    for (std::size_t len = scan; len <= base.size(); ++len) {
      const std::string f = base.substr(0, len);
      DecodeResult a = DecodeBytes(f), b = DecodeBytes<ReferenceBits>(f);
      ASSERT_EQ(a.header, b.header) << len;
      ASSERT_EQ(a.decode, b.decode) << len;
      ASSERT_TRUE(a.planes == b.planes) << len;
      ++compared;
    }
    for (int i = 0; i < 300; ++i) {
      std::string f = base;
      const int flips = 1 + static_cast<int>(rng() % 3);
      for (int k = 0; k < flips; ++k) {
        const std::size_t at = scan + rng() % (f.size() - scan);
        const int kind = static_cast<int>(rng() % 4);
        f[at] = kind == 0 ? '\xFF' : kind == 1 ? '\x00' : static_cast<char>(rng() & 0xFF);
      }
      DecodeResult a = DecodeBytes(f), b = DecodeBytes<ReferenceBits>(f);
      ASSERT_EQ(a.decode, b.decode) << i;
      ASSERT_TRUE(a.planes == b.planes) << i;
      ++compared;
    }
  }
  EXPECT_GT(compared, 1000);
}

}  // namespace
