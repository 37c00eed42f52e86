// The TIFF loader on directories made here: values by type in both byte
// orders, refused forms, bounds of every offset, PackBits.
#include <gtest/gtest.h>

#include "fw/alloc.h"
#include "image/load/tiff_codecs.h"
#include "image_test_host.h"

using namespace imgtest;

namespace {

// A TIFF: header, one directory of the given entries, then `data` at the
// offset returned by DataAt().
struct TiffBuilder {
  bool big = false;
  struct E {
    uint16_t tag, type;
    uint32_t count;
    std::vector<uint8_t> value;  // 4 bytes inline
  };
  std::vector<E> entries;
  std::vector<uint8_t> data;
  void Put16(std::vector<uint8_t>& v, uint32_t x) const {
    if (big) {
      v.push_back(uint8_t(x >> 8));
      v.push_back(uint8_t(x));
    } else {
      Le16(v, uint16_t(x));
    }
  }
  void Put32(std::vector<uint8_t>& v, uint32_t x) const {
    if (big) Be32(v, x);
    else Le32(v, x);
  }
  void Short(uint16_t tag, uint32_t x) {
    std::vector<uint8_t> v;
    Put16(v, x);
    Put16(v, 0);
    entries.push_back({tag, 3, 1, v});
  }
  void Long(uint16_t tag, uint32_t x) {
    std::vector<uint8_t> v;
    Put32(v, x);
    entries.push_back({tag, 4, 1, v});
  }
  uint32_t DataAt() const { return 8 + 2 + 12 * uint32_t(entries.size()) + 4; }
  std::vector<uint8_t> Build() const {
    std::vector<uint8_t> v = big ? std::vector<uint8_t>{'M', 'M', 0, 42} : std::vector<uint8_t>{'I', 'I', 42, 0};
    Put32(v, 8);
    Put16(v, uint32_t(entries.size()));
    for (const E& e : entries) {
      Put16(v, e.tag);
      Put16(v, e.type);
      Put32(v, e.count);
      v.insert(v.end(), e.value.begin(), e.value.end());
    }
    Put32(v, 0);
    v.insert(v.end(), data.begin(), data.end());
    return v;
  }
};

TiffBuilder Rgb(bool big, uint32_t w, uint32_t h) {
  TiffBuilder t;
  t.big = big;
  t.Long(256, w);  // a LONG width
  t.Short(257, h);
  t.Short(258, 8);
  t.Short(259, 1);
  t.Short(262, 2);
  t.Short(277, 3);
  t.Short(279, w * h * 3);
  t.Short(273, 0);  // patched below
  return t;
}

std::vector<uint8_t> WithData(TiffBuilder t, const std::vector<uint8_t>& px) {
  t.entries.back().value.clear();
  t.Put16(t.entries.back().value, t.DataAt());
  t.Put16(t.entries.back().value, 0);
  t.data = px;
  return t.Build();
}

TEST(TiffLoad, BothByteOrdersByFieldType) {
  std::vector<uint8_t> px;
  for (int i = 0; i < 2 * 2 * 3; ++i) px.push_back(uint8_t(i * 10));
  for (bool big : {false, true}) {
    Record rec;
    RecordingHost host;
    ASSERT_EQ(Load(rec, host, WithData(Rgb(big, 2, 2), px), img::kKindTiff).result, 0) << big;
    EXPECT_EQ(host.status.front(), "Uncompressed , RGB direct");
    EXPECT_EQ(rec.Header().biBitCount, 24);
    // Top row first in the file, bottom row first in the record; B, G, R.
    EXPECT_EQ(rec.PictureRow(0)[0], 20);
    EXPECT_EQ(rec.PictureRow(0)[2], 0);
    EXPECT_EQ(rec.PictureRow(1)[0], 80);
  }
}

TEST(TiffLoad, UnsupportedFormsRefusedWithStatus) {
  const std::vector<uint8_t> px(100, 1);
  struct Change {
    uint16_t tag;
    uint32_t value;
  };
  for (Change c : {Change{284, 2}, Change{258, 16}, Change{338, 1}, Change{277, 4}, Change{258, 0}}) {
    TiffBuilder t = Rgb(false, 2, 2);
    t.entries.insert(t.entries.end() - 1, TiffBuilder::E{c.tag, 3, 1, {uint8_t(c.value), uint8_t(c.value >> 8), 0, 0}});
    Record rec;
    RecordingHost host;
    EXPECT_EQ(Load(rec, host, WithData(t, px), img::kKindTiff).result, -1) << c.tag;
    EXPECT_EQ(rec.m_nLoadBitsOwner, 0u);
  }
}

// Fault: every offset bounded by the data.
TEST(TiffLoad, OffsetsPastTheEnd) {
  const std::vector<uint8_t> px(12, 1);
  RecordingHost host;
  {
    std::vector<uint8_t> f = WithData(Rgb(false, 2, 2), px);
    img::PutLe32(f.data() + 4, 0x7FFFFFF0);  // IFD offset
    Record rec;
    EXPECT_EQ(Load(rec, host, f, img::kKindTiff).result, -1);
  }
  {
    TiffBuilder t = Rgb(false, 2, 2);
    t.entries.back() = TiffBuilder::E{273, 4, 1, {0xF0, 0xFF, 0xFF, 0x7F}};  // strip offset
    t.data = px;
    Record rec;
    EXPECT_EQ(Load(rec, host, t.Build(), img::kKindTiff).result, -1);
    t.entries.back() = TiffBuilder::E{273, 4, 3, {0xF0, 0xFF, 0xFF, 0x7F}};  // offset array
    EXPECT_EQ(Load(rec, host, t.Build(), img::kKindTiff).result, -1);
  }
  {
    // A palette whose ColorMap lies past the end; 16 bits with a ColorMap.
    for (uint32_t bits : {8u, 16u}) {
      TiffBuilder t;
      t.Short(256, 2);
      t.Short(257, 2);
      t.Short(258, bits);
      t.Short(259, 1);
      t.Short(262, 3);
      t.entries.push_back({320, 3, 768, {0, 0, 0, 0x70}});
      t.Short(279, 4);
      t.Short(273, 0);
      Record rec;
      EXPECT_EQ(Load(rec, host, WithData(t, {1, 2, 3, 4}), img::kKindTiff).result, -1) << bits;
    }
  }
  {
    // Width x height x 3 past 32 bits.
    TiffBuilder t = Rgb(false, 60000, 60000);
    Record rec;
    EXPECT_EQ(Load(rec, host, WithData(t, px), img::kKindTiff).result, -1);
  }
}

TEST(TiffLoad, PackBitsStopsAtOutMax) {
  const uint8_t runs[] = {0xFE, 7, 0x02, 1, 2, 3, 0x80, 0xFF, 9};
  std::vector<uint8_t> out;
  EXPECT_EQ(img::PackBitsDecode(runs, sizeof runs, 5, &out), 5u);
  EXPECT_EQ(out, (std::vector<uint8_t>{7, 7, 7, 1, 2}));
  out.clear();
  EXPECT_EQ(img::PackBitsDecode(runs, sizeof runs, 100, &out), 8u);
  EXPECT_EQ(out.back(), 9);
  const uint8_t cut[] = {0x7F, 1, 2};  // a literal run past the input
  out.clear();
  EXPECT_EQ(img::PackBitsDecode(cut, sizeof cut, 100, &out), 2u);
}

}  // namespace

namespace {

// Every allocation of a GIF, TIFF and zipped-bitmap load failing in turn:
// the load fails with the memory message (the zipped bitmap's work buffer
// with string 210) and nothing is left allocated.
TEST(LoaderMemory, EachAllocationFailsCleanly) {
  std::vector<std::pair<int, std::vector<uint8_t>>> files;
  {
    std::vector<uint8_t> px;
    for (int i = 0; i < 4 * 3 * 3; ++i) px.push_back(uint8_t(i));
    files.emplace_back(img::kKindTiff, WithData(Rgb(false, 4, 3), px));
  }
  {
    // A GIF of one colour index run (LZW literal codes at width 3).
    const std::vector<uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a', 2, 0, 1, 0, 0x80, 0, 0, 0, 0, 0, 255, 255, 255,
                                      ',', 0, 0, 0, 0, 2, 0, 1, 0, 0, 2, 2, 0x4C, 0x01, 0, ';'};
    files.emplace_back(img::kKindGif, gif);
  }
  const long live = fw::alloctest::Live();
  for (const auto& kf : files) {
    Record ok;
    RecordingHost okHost;
    ASSERT_EQ(Load(ok, okHost, kf.second, kf.first).result, 0) << kf.first;
    for (long n = 1;; ++n) {
      Record rec;
      RecordingHost host;
      fw::alloctest::Reset();
      fw::alloctest::FailAt(n);
      const int r = Load(rec, host, kf.second, kf.first).result;
      const bool reached = fw::alloctest::Count() >= n;
      fw::alloctest::Reset();
      if (!reached) break;
      EXPECT_EQ(r, -1) << kf.first << " " << n;
      EXPECT_EQ(host.boxes, std::vector<unsigned>{152}) << kf.first << " " << n;
    }
  }
  EXPECT_EQ(fw::alloctest::Live(), live);
}

}  // namespace

namespace {

// Fault: 8-bit min-is-white is shown through an inverted grey table.
TEST(TiffLoad, MinIsWhiteGreyInverted) {
  TiffBuilder t;
  t.Short(256, 2);
  t.Short(257, 1);
  t.Short(258, 8);
  t.Short(259, 1);
  t.Short(262, 0);
  t.Short(279, 2);
  t.Short(273, 0);
  Record rec;
  RecordingHost host;
  ASSERT_EQ(Load(rec, host, WithData(t, {0, 200}), img::kKindTiff).result, 0);
  EXPECT_EQ(host.status.front(), "Uncompressed , Normal B/W");
  EXPECT_EQ(rec.m_bmiLoad[40], 255);          // value 0 is white
  EXPECT_EQ(rec.m_bmiLoad[40 + 4 * 200], 55);
  EXPECT_EQ(rec.m_pLoadBits[1], 200);
}

}  // namespace
