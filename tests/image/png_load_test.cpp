// The PNG loader on files made here: every colour type and depth with each
// filter, Adam7 against the same picture without interlace, transparency and
// compositing, and the hostile forms.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "fw/alloc.h"
#include "image/load/image_loaders.h"
#include "image_test_host.h"

using namespace imgtest;

namespace {

uint32_t Channels(uint8_t type) { return type == 2 ? 3 : type == 4 ? 2 : type == 6 ? 4 : 1; }

// Filters one row (raw bytes) with filter type f against prev.
std::vector<uint8_t> FilterRow(const std::vector<uint8_t>& row, const std::vector<uint8_t>* prev, uint8_t f,
                               uint32_t bpp) {
  std::vector<uint8_t> out(row.size() + 1);
  out[0] = f;
  for (size_t i = 0; i < row.size(); ++i) {
    const int a = i >= bpp ? row[i - bpp] : 0, b = prev ? (*prev)[i] : 0, c = prev && i >= bpp ? (*prev)[i - bpp] : 0;
    int pred = 0;
    switch (f) {
      case 1: pred = a; break;
      case 2: pred = b; break;
      case 3: pred = (a + b) / 2; break;
      case 4: {
        const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
        pred = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
        break;
      }
    }
    out[i + 1] = uint8_t(row[i] - pred);
  }
  return out;
}

uint32_t Sample(const std::vector<uint8_t>& row, uint64_t k, uint32_t bits) {
  const uint64_t bit = k * bits;
  return (row[bit >> 3] >> (8 - bits - (bit & 7))) & ((1u << bits) - 1);
}
void PutSample(std::vector<uint8_t>& row, uint64_t k, uint32_t bits, uint32_t v) {
  const uint64_t bit = k * bits;
  row[bit >> 3] = uint8_t(row[bit >> 3] | v << (8 - bits - (bit & 7)));
}

// A picture as raw PNG rows (top first), random content.
struct Picture {
  uint32_t w, h;
  uint8_t depth, type;
  std::vector<std::vector<uint8_t>> rows;
  uint32_t PixelBits() const { return depth * Channels(type); }
  uint64_t RowBytes() const { return (uint64_t(w) * PixelBits() + 7) / 8; }
};

Picture RandomPicture(uint32_t w, uint32_t h, uint8_t depth, uint8_t type, uint32_t seed) {
  Picture p{w, h, depth, type, {}};
  std::mt19937 rng(seed);
  for (uint32_t y = 0; y < h; ++y) {
    std::vector<uint8_t> r(p.RowBytes());
    for (auto& b : r) b = uint8_t(rng());
    // Bits past the last pixel are 0.
    const uint64_t used = uint64_t(w) * p.PixelBits();
    if (used % 8) r.back() = uint8_t(r.back() & (0xFF << (8 - used % 8)));
    p.rows.push_back(r);
  }
  return p;
}

std::vector<uint8_t> Encode(const Picture& p, bool interlace, uint8_t filter, int parts = 1,
                            const std::vector<uint8_t>& plte = {}, const std::vector<uint8_t>& trns = {}) {
  const uint32_t bpp = std::max<uint32_t>(1, p.PixelBits() / 8);
  std::vector<uint8_t> raw;
  static const uint32_t kPass[7][4] = {{0, 8, 0, 8}, {4, 8, 0, 8}, {0, 4, 4, 8}, {2, 4, 0, 4},
                                       {0, 2, 2, 4}, {1, 2, 0, 2}, {0, 1, 1, 2}};
  const int passes = interlace ? 7 : 1;
  for (int k = 0; k < passes; ++k) {
    const uint32_t x0 = interlace ? kPass[k][0] : 0, dx = interlace ? kPass[k][1] : 1;
    const uint32_t y0 = interlace ? kPass[k][2] : 0, dy = interlace ? kPass[k][3] : 1;
    if (x0 >= p.w || y0 >= p.h) continue;
    const uint64_t cols = (p.w - x0 + dx - 1) / dx;
    std::vector<uint8_t> prev;
    bool first = true;
    for (uint32_t y = y0; y < p.h; y += dy) {
      std::vector<uint8_t> row((cols * p.PixelBits() + 7) / 8);
      for (uint64_t c = 0; c < cols; ++c) {
        const uint64_t x = x0 + c * dx;
        if (p.PixelBits() >= 8)
          std::memcpy(row.data() + c * bpp, p.rows[y].data() + x * bpp, bpp);
        else
          PutSample(row, c, p.PixelBits(), Sample(p.rows[y], x, p.PixelBits()));
      }
      std::vector<uint8_t> f = FilterRow(row, first ? nullptr : &prev, filter, bpp);
      raw.insert(raw.end(), f.begin(), f.end());
      prev = row;
      first = false;
    }
  }
  PngBuilder b;
  b.Ihdr(p.w, p.h, p.depth, p.type, interlace ? 1 : 0);
  if (!plte.empty()) b.Chunk("PLTE", plte);
  if (!trns.empty()) b.Chunk("tRNS", trns);
  b.Idat(raw, parts);
  b.End();
  return b.v;
}

std::vector<uint8_t> Palette(int n) {
  std::vector<uint8_t> t;
  for (int k = 0; k < n; ++k) t.insert(t.end(), {uint8_t(k * 3), uint8_t(k * 5), uint8_t(255 - k)});
  return t;
}

// The record's rows as one buffer (bottom row first) and its header.
struct Loaded {
  int result = -9;
  img::DibHeader h;
  std::vector<uint8_t> bits;
  std::vector<uint8_t> table;
  std::string status;
};

Loaded LoadPng(const std::vector<uint8_t>& f, uint32_t limit = 41943040) {
  Record rec;
  RecordingHost host;
  host.textBufSize = host.textBufSize2 = limit;
  Loaded l;
  l.result = Load(rec, host, f, img::kKindPng).result;
  if (l.result == 0) {
    l.h = rec.Header();
    l.bits.assign(rec.m_pLoadBits, rec.m_pLoadBits + rec.m_nLoadDataSize);
    l.table.assign(rec.m_bmiLoad + 40, rec.m_bmiLoad + rec.m_nLoadInfoSize);
    l.status = host.LastStatus();
    EXPECT_LE(rec.m_nLoadDataSize, rec.m_nLoadBitsAlloc);
  }
  return l;
}

TEST(PngLoad, EveryTypeDepthAndFilterDecodes) {
  struct Form {
    uint8_t type, depth;
  };
  const Form forms[] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}, {3, 1},
                        {3, 2}, {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};
  for (const Form& fm : forms) {
    const Picture p = RandomPicture(13, 7, fm.depth, fm.type, fm.type * 100 + fm.depth);
    const std::vector<uint8_t> plte = fm.type == 3 ? Palette(1 << fm.depth) : std::vector<uint8_t>();
    const Loaded base = LoadPng(Encode(p, false, 0, 1, plte));
    ASSERT_EQ(base.result, 0) << int(fm.type) << "/" << int(fm.depth);
    for (uint8_t f = 1; f <= 4; ++f) {
      const Loaded l = LoadPng(Encode(p, false, f, 3, plte));
      ASSERT_EQ(l.result, 0);
      EXPECT_EQ(l.bits, base.bits) << "type " << int(fm.type) << " depth " << int(fm.depth) << " filter " << int(f);
    }
    // Spot checks of the output form.
    const uint32_t want = fm.type == 3 || (fm.type == 0 && fm.depth < 8) ? (fm.depth == 2 ? 4 : fm.depth) : 24;
    EXPECT_EQ(base.h.biBitCount, want);
    EXPECT_EQ(base.status, "Ping " + std::to_string(want) + " bit");
    if (fm.type == 2) {
      // Top-left pixel: the high bytes of red, green, blue.
      const uint8_t* top = base.bits.data() + 6 * base.h.biSizeImage / 7;
      const uint32_t s = fm.depth == 16 ? 2 : 1;
      EXPECT_EQ(top[0], p.rows[0][2 * s]);
      EXPECT_EQ(top[1], p.rows[0][s]);
      EXPECT_EQ(top[2], p.rows[0][0]);
    }
  }
}

// Faults: empty Adam7 passes store no filter bytes; 2-bit palette rows are
// spread like grey ones; interlaced pictures below 8 bits put each pass's
// pixels at their own columns.
TEST(PngLoad, Adam7EqualsPlainForSmallPictures) {
  struct Form {
    uint8_t type, depth;
  };
  const Form forms[] = {{3, 1}, {3, 2}, {3, 4}, {3, 8}, {0, 2}, {0, 8}, {2, 8}, {6, 8}, {0, 16}};
  for (const Form& fm : forms)
    for (uint32_t w = 1; w <= 9; ++w)
      for (uint32_t h = 1; h <= 9; ++h) {
        const Picture p = RandomPicture(w, h, fm.depth, fm.type, w * 31 + h);
        const std::vector<uint8_t> plte = fm.type == 3 ? Palette(1 << fm.depth) : std::vector<uint8_t>();
        const Loaded plain = LoadPng(Encode(p, false, 0, 1, plte));
        const Loaded inter = LoadPng(Encode(p, true, 4, 1, plte));
        ASSERT_EQ(plain.result, 0);
        ASSERT_EQ(inter.result, 0);
        EXPECT_EQ(inter.bits, plain.bits) << int(fm.type) << "/" << int(fm.depth) << " " << w << "x" << h;
      }
}

TEST(PngLoad, TwoBitPaletteSpreadsToFourBitIndices) {
  Picture p{4, 1, 2, 3, {{0x1B}}};  // indices 0, 1, 2, 3
  const Loaded l = LoadPng(Encode(p, false, 1, 1, Palette(4)));
  ASSERT_EQ(l.result, 0);
  EXPECT_EQ(l.h.biBitCount, 4);
  EXPECT_EQ(l.bits[0], 0x01);
  EXPECT_EQ(l.bits[1], 0x23);
  EXPECT_EQ(l.table[4 * 3 + 2], 3 * 3);  // entry 3's red
}

TEST(PngLoad, GreyTablesAndTransparency) {
  Picture g2{4, 1, 2, 0, {{0x1B}}};
  Loaded l = LoadPng(Encode(g2, false, 0));
  ASSERT_EQ(l.result, 0);
  EXPECT_EQ(l.table.size(), 64u);
  EXPECT_EQ(l.table[4], 85);
  EXPECT_EQ(l.table[12], 255);
  // Palette with tRNS: alpha 128 turns (100,100,100) into (227,227,227); 0 gives white.
  Picture pal{2, 1, 8, 3, {{0, 1}}};
  l = LoadPng(Encode(pal, false, 0, 1, {100, 100, 100, 10, 20, 30}, {128, 0}));
  ASSERT_EQ(l.result, 0);
  EXPECT_EQ(l.table[0], 227);
  EXPECT_EQ(l.table[2], 227);
  EXPECT_EQ(l.table[4], 255);
  // RGBA over white: alpha 10 nearly white, alpha 250 unchanged.
  Picture rgba{2, 1, 8, 6, {{0, 0, 0, 10, 40, 50, 60, 250}}};
  l = LoadPng(Encode(rgba, false, 0));
  ASSERT_EQ(l.result, 0);
  EXPECT_EQ(l.bits[0], (255 * 245) >> 8);
  EXPECT_EQ(l.bits[3], 60);
  EXPECT_EQ(l.bits[5], 40);
  // Grey + alpha composited like RGBA.
  Picture ga{1, 1, 8, 4, {{100, 10}}};
  l = LoadPng(Encode(ga, false, 0));
  ASSERT_EQ(l.result, 0);
  EXPECT_EQ(l.h.biBitCount, 24);
  EXPECT_EQ(l.bits[0], ((100 * 10) >> 8) + ((255 * 245) >> 8));
}

TEST(PngLoad, BackgroundChunk) {
  Picture rgba{1, 1, 8, 6, {{200, 200, 200, 0}}};
  PngBuilder b;
  b.Ihdr(1, 1, 8, 6);
  b.Chunk("bKGD", {0, 10, 0, 20, 0, 30});
  b.Idat({0, 200, 200, 200, 0});
  b.End();
  Loaded l = LoadPng(b.v);
  ASSERT_EQ(l.result, 0);
  EXPECT_EQ(l.bits[0], (30 * 255) >> 8);
  EXPECT_EQ(l.bits[2], (10 * 255) >> 8);
  // A short bKGD is passed over.
  PngBuilder c;
  c.Ihdr(1, 1, 8, 6);
  c.Chunk("bKGD", {0, 10});
  c.Idat({0, 200, 200, 200, 0});
  c.End();
  EXPECT_EQ(LoadPng(c.v).bits[0], 254);
}

// Fault: chunks walked by their lengths: "IDAT" or "IHDR" inside a text chunk
// changes nothing.
TEST(PngLoad, ChunkNamesInsideTextAreData) {
  const Picture p = RandomPicture(5, 5, 8, 2, 7);
  const std::vector<uint8_t> plain = Encode(p, false, 0);
  PngBuilder b;
  b.Ihdr(5, 5, 8, 2);
  std::vector<uint8_t> text = {'C', 'o', 'm', 'm', 'e', 'n', 't', 0};
  const char* fake = "\0\0\0\x05IDATxxxxx\0\0\0\x0dIHDR";
  text.insert(text.end(), fake, fake + 22);
  b.Chunk("tEXt", text);
  std::vector<uint8_t> rest(plain.begin() + 33, plain.end());
  b.v.insert(b.v.end(), rest.begin(), rest.end());
  const Loaded a = LoadPng(plain), c = LoadPng(b.v);
  ASSERT_EQ(c.result, 0);
  EXPECT_EQ(c.bits, a.bits);
}

// Fault: every read bounded by the data; tables capped at 256.
TEST(PngLoad, HostileFormsRefusedOrBounded) {
  const Picture p = RandomPicture(3, 3, 8, 3, 1);
  // tRNS and PLTE of 300 entries.
  Loaded l = LoadPng(Encode(p, false, 0, 1, Palette(300), std::vector<uint8_t>(300, 7)));
  EXPECT_EQ(l.result, 0);
  // A chunk length past the end.
  std::vector<uint8_t> f = Encode(p, false, 0, 1, Palette(256));
  std::vector<uint8_t> g = f;
  img::PutBe32(g.data() + 33, 0x7FFFFFF0);
  EXPECT_EQ(LoadPng(g).result, -1);
  // IDAT before IHDR.
  PngBuilder b;
  b.Idat({0, 1, 2, 3});
  b.Ihdr(3, 1, 8, 0);
  b.End();
  EXPECT_EQ(LoadPng(b.v).result, -1);
  // A first IDAT of one byte.
  PngBuilder c;
  c.Ihdr(1, 1, 8, 0);
  c.Chunk("IDAT", {0x78});
  c.End();
  EXPECT_EQ(LoadPng(c.v).result, -1);
  // Width 2^31, and a picture past the memory settings.
  PngBuilder d;
  d.Ihdr(0x80000000u, 1, 8, 0);
  d.Idat({0, 0});
  d.End();
  EXPECT_EQ(LoadPng(d.v).result, -1);
  PngBuilder e;
  e.Ihdr(60000, 60000, 8, 2);
  e.Idat({0, 0});
  e.End();
  EXPECT_EQ(LoadPng(e.v).result, -1);
  // A cut stream: the rest of the picture is 0.
  const Picture q = RandomPicture(20, 20, 8, 0, 3);
  std::vector<uint8_t> full = Encode(q, false, 0);
  PngBuilder t;
  t.Ihdr(20, 20, 8, 0);
  std::vector<uint8_t> z(full.begin() + 33 + 8, full.end() - 12 - 4);
  z.resize(z.size() / 2);
  t.Chunk("IDAT", z);
  t.End();
  l = LoadPng(t.v);
  if (l.result == 0) {
    EXPECT_EQ(l.bits[0], 0);  // bottom row never arrived
  }
}

TEST(PngLoad, AllocationFailureGives152WithoutLeaks) {
  const Picture p = RandomPicture(9, 9, 8, 2, 5);
  const std::vector<uint8_t> f = Encode(p, true, 2);
  ExpectEachAllocationFailureReported(f, img::kKindPng);
}

}  // namespace
