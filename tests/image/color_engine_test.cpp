// The colour engine on crafted pictures: hue codes and distances, the six
// rewrite steps worked out by hand, the table walk's bounds, the region
// word, the neighbour modes, damaged headers and short buffers, and the
// table walk against the 24-bit walk on the same colours.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "image/load/dib_convert.h"
#include "image/load/image_record.h"
#include "image/load/image_size.h"
#include "image/view/color_engine.h"

namespace cw = img::colorword;
namespace word = img::word;

namespace {

uint32_t Colorref(int r, int g, int b) { return uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16; }

struct Bgr {
  int b, g, r;
  bool operator==(const Bgr& o) const { return b == o.b && g == o.g && r == o.r; }
};
std::ostream& operator<<(std::ostream& os, const Bgr& c) {
  return os << "(b" << c.b << " g" << c.g << " r" << c.r << ")";
}

// A 24-bit picture of width x height (bottom row first) with its header.
struct Picture {
  int width, height;
  uint64_t stride;
  std::vector<uint8_t> info = std::vector<uint8_t>(img::kInfoArea, 0);
  std::vector<uint8_t> src, dst;
  Picture(int w, int h, Bgr fill) : width(w), height(h), stride(img::DibStride(uint32_t(w), 24)) {
    img::DibHeader hd;
    hd.biWidth = w;
    hd.biHeight = h;
    hd.biBitCount = 24;
    hd.biSizeImage = uint32_t(stride * uint64_t(h));
    img::WriteDibHeader(info.data(), hd);
    src.assign(hd.biSizeImage, 0);
    dst.assign(hd.biSizeImage, 0);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) Set(x, y, fill);
  }
  // (x, y) with y counted from the top, as the selection counts it.
  uint64_t At(int x, int y) const { return uint64_t(height - 1 - y) * stride + uint64_t(x) * 3; }
  void Set(int x, int y, Bgr c) {
    const uint64_t a = At(x, y);
    src[a] = uint8_t(c.b), src[a + 1] = uint8_t(c.g), src[a + 2] = uint8_t(c.r);
  }
  Bgr Out(int x, int y) const {
    const uint64_t a = At(x, y);
    return {dst[a], dst[a + 1], dst[a + 2]};
  }
  int Run(const img::ImageViewOptions& o, img::ImageRect sel = {}) {
    img::PixelStep s;
    s.src = src.data();
    s.dst = dst.data();
    s.info = info.data();
    s.srcLimit = uint32_t(src.size());
    s.dstCapacity = uint32_t(dst.size());
    return img::ApplyColorEffects(s, o, sel, 40);
  }
};

// The engine's rewrite of one colour, through a one-entry colour table.
Bgr RewriteOne(Bgr c, const img::ImageViewOptions& o) {
  std::vector<uint8_t> info(img::kInfoArea, 0);
  img::DibHeader hd;
  hd.biWidth = hd.biHeight = 1;
  hd.biBitCount = 8;
  img::WriteDibHeader(info.data(), hd);
  info[40] = uint8_t(c.b), info[41] = uint8_t(c.g), info[42] = uint8_t(c.r);
  img::PixelStep s;
  s.info = info.data();
  EXPECT_EQ(img::ApplyColorEffects(s, o, {}, 44), 0);
  return {info[40], info[41], info[42]};
}

img::ImageViewOptions AllOn() {
  img::ImageViewOptions o;
  o[cw::bApplyAll] = 1;
  return o;
}

}  // namespace

TEST(ColorHue, CodesAndDistances) {
  struct Case {
    int r, g, b, code;
  } cases[] = {
      {200, 200, 200, -150}, {255, 0, 0, 0},     {0, 255, 0, 639}, {0, 0, 0, -1},   {3, 0, 0, -1},
      {0, 0, 255, 1409},     {255, 255, 0, 384}, {0, 255, 255, 1024}, {255, 0, 255, 1664},
      {7, 0, 7, -3},         {0, 8, 8, 1024},    {100, 60, 20, 170},
  };
  for (const Case& c : cases) EXPECT_EQ(img::ColorHueCode(c.r, c.g, c.b), c.code) << c.r << "," << c.g << "," << c.b;
  EXPECT_EQ(img::HueDistance(-150, -10), 140);   // two greys: their difference
  EXPECT_EQ(img::HueDistance(-150, 639), 254);   // one grey
  EXPECT_EQ(img::HueDistance(0, 2000), 12);      // across red: 48 / 4
  EXPECT_EQ(img::HueDistance(0, 1024), 256);     // opposite hues
  EXPECT_EQ(img::HueDistance(639, 0), 159);
}

TEST(ColorEngine, RewriteStepsByHand) {
  struct Case {
    const char* what;
    std::vector<std::pair<int, int32_t>> words;
    Bgr in, want;
  } cases[] = {
      {"replacement", {{cw::bUseReplacement, 1}, {word::clrReplacement, int32_t(Colorref(200, 100, 50))}},
       {10, 20, 30}, {50, 100, 200}},
      // k = 60 x 256 / 350 = 43
      {"keep brightness",
       {{cw::bUseReplacement, 1}, {cw::bKeepBrightness, 1}, {word::clrReplacement, int32_t(Colorref(200, 100, 50))}},
       {10, 20, 30}, {8, 16, 33}},
      // k = (60 + 40) x 256 / 350 = 73
      {"keep brightness plus 5 steps",
       {{cw::bUseReplacement, 1}, {cw::bKeepBrightness, 1}, {cw::nBrightness, 5},
        {word::clrReplacement, int32_t(Colorref(200, 100, 50))}},
       {10, 20, 30}, {14, 28, 57}},
      {"keep brightness of black stays", {{cw::bKeepBrightness, 1}, {cw::nBrightness, 9}}, {0, 0, 0}, {0, 0, 0}},
      {"darker below zero", {{cw::bKeepBrightness, 1}, {cw::nBrightness, -100}}, {10, 20, 30}, {0, 0, 0}},
      {"grey", {{cw::bGrey, 1}}, {10, 20, 31}, {20, 20, 20}},
      {"grey with brightness", {{cw::bGrey, 1}, {cw::bKeepBrightness, 1}, {cw::nBrightness, 7}}, {10, 20, 31},
       {34, 34, 34}},
      {"grey clamped", {{cw::bGrey, 1}, {cw::bKeepBrightness, 1}, {cw::nBrightness, -20}}, {10, 20, 31}, {0, 0, 0}},
      {"inversion", {{cw::bInvert, 1}}, {0, 100, 255}, {255, 155, 0}},
      {"tone curve -3", {{cw::bTone, 1}, {cw::nToneLevel, -3}}, {144, 145, 10}, {200, 200, 5}},
      {"tone curve 4", {{cw::bTone, 1}, {cw::nToneLevel, 4}}, {255, 100, 128}, {254, 50, 64}},
      {"tone level 10 at 500", {{cw::bTone, 1}, {cw::nToneLevel, 10}}, {200, 200, 100}, {255, 255, 255}},
      {"tone level 10 at 499", {{cw::bTone, 1}, {cw::nToneLevel, 10}}, {200, 199, 100}, {0, 0, 0}},
      {"tone level 16 leaves it", {{cw::bTone, 1}, {cw::nToneLevel, 16}}, {1, 2, 3}, {1, 2, 3}},
      // q = 350 x 5 >> 4 = 109, factor 512
      {"saturation 200%", {{cw::bSaturation, 1}, {cw::nSaturation, 200}}, {100, 50, 200}, {91, 0, 255}},
      // factor 128: the halves round down, also below zero
      {"saturation 50%", {{cw::bSaturation, 1}, {cw::nSaturation, 50}}, {100, 50, 200}, {104, 79, 154}},
      // t = (340 + 80) x 10 >> 7 = 32
      {"balance", {{cw::bBalance, 1}, {cw::nBalance, 10}}, {10, 50, 200}, {42, 50, 168}},
      {"balance negative", {{cw::bBalance, 1}, {cw::nBalance, -10}}, {10, 50, 200}, {0, 50, 233}},
      // The steps in order: replacement (0,0,255 as b,g,r), grey 85, inverted
      // 170, curve 1 (170 + 85 - 64 = 191), saturation 300% around
      // q = 573 x 5 >> 4 = 179: 179 + 12 x 768 >> 8 = 215.
      {"all in order",
       {{cw::bUseReplacement, 1}, {word::clrReplacement, int32_t(Colorref(255, 0, 0))}, {cw::bGrey, 1},
        {cw::bInvert, 1}, {cw::bTone, 1}, {cw::nToneLevel, 1}, {cw::bSaturation, 1}, {cw::nSaturation, 300}},
       {9, 9, 9}, {215, 215, 215}},
      {"colour option -2 inverts all", {{word::nColorOption, -2}, {cw::bApplyAll, 0}}, {1, 2, 3}, {254, 253, 252}},
  };
  for (const Case& c : cases) {
    img::ImageViewOptions o = AllOn();
    for (auto [w, v] : c.words) o[w] = v;
    EXPECT_EQ(RewriteOne(c.in, o), c.want) << c.what;
  }
}

TEST(ColorEngine, SelectionByToleranceAndHue) {
  img::ImageViewOptions o;
  o[word::clrReference] = int32_t(Colorref(200, 100, 50));
  o[cw::bInvert] = 1;
  o[cw::nSelectTolerance] = 10;
  EXPECT_EQ(RewriteOne({60, 110, 190}, o), (Bgr{195, 145, 65}));  // all within 10
  EXPECT_EQ(RewriteOne({61, 110, 190}, o), (Bgr{61, 110, 190}));  // blue 11 off
  o[cw::bInvertSelection] = 1;
  EXPECT_EQ(RewriteOne({61, 110, 190}, o), (Bgr{194, 145, 65}));
  EXPECT_EQ(RewriteOne({60, 110, 190}, o), (Bgr{60, 110, 190}));
  // The table keeps the selection when the grey switch is on.
  o[cw::bGrey] = 1;
  EXPECT_EQ(RewriteOne({61, 110, 190}, o), (Bgr{61, 110, 190}));
  // Hue mode: a darker shade of the same hue is near, a grey is 254 away.
  img::ImageViewOptions h;
  h[word::clrReference] = int32_t(Colorref(200, 100, 50));
  h[cw::bHueMode] = 1;
  h[cw::nSelectTolerance] = 3;
  h[cw::bInvert] = 1;
  EXPECT_EQ(RewriteOne({25, 50, 100}, h), (Bgr{230, 205, 155}));
  EXPECT_EQ(RewriteOne({100, 100, 100}, h), (Bgr{100, 100, 100}));
  h[cw::nSelectTolerance] = 254;
  EXPECT_EQ(RewriteOne({100, 100, 100}, h), (Bgr{155, 155, 155}));
}

// A 256-colour grey ramp reversed by its table alone.
TEST(ColorEngine, TableOfEightBitPictureChangesAlone) {
  std::vector<uint8_t> info(img::kInfoArea, 0);
  img::DibHeader hd;
  hd.biWidth = 16;
  hd.biHeight = 16;
  hd.biBitCount = 8;
  img::WriteDibHeader(info.data(), hd);
  for (int i = 0; i < 256; ++i) info[40 + 4 * i] = uint8_t(i), info[41 + 4 * i] = uint8_t(255 - i),
                                info[42 + 4 * i] = uint8_t(i / 2), info[43 + 4 * i] = 0x77;
  std::vector<uint8_t> src(256), dst(256, 0x5A);
  for (int i = 0; i < 256; ++i) src[i] = uint8_t(i);
  const std::vector<uint8_t> srcBefore = src;
  img::PixelStep s{src.data(), dst.data(), info.data(), 256, 256};
  img::ImageViewOptions o = AllOn();
  o[cw::bGrey] = 1;
  EXPECT_EQ(img::ApplyColorEffects(s, o, {}, 40 + 1024), 0);
  for (int i = 0; i < 256; ++i) {
    const int g = (i + 255 - i + i / 2) / 3;
    ASSERT_EQ(info[40 + 4 * i], g) << i;
    ASSERT_EQ(info[41 + 4 * i], g) << i;
    ASSERT_EQ(info[42 + 4 * i], g) << i;
    ASSERT_EQ(info[43 + 4 * i], 0x77) << i;
  }
  EXPECT_EQ(src, srcBefore);
  EXPECT_EQ(dst, std::vector<uint8_t>(256, 0x5A));
  EXPECT_EQ(img::ReadDibHeader(info.data()).biWidth, 16);
}

// The table walk stops at the info size and never passes the 2000-byte area
// (the area is exactly 2000 bytes here), and a damaged header size never
// lets it rewrite the header.
TEST(ColorEngine, TableWalkBounds) {
  struct Case {
    uint32_t biSize, infoSize;
    uint32_t firstChanged, endChanged;  // [first, end) entries rewritten
  } cases[] = {
      {40, 48, 40, 48},        {40, 50, 40, 48},       {40, 3000, 40, 2000},   {1990, 3000, 1990, 1998},
      {1998, 2000, 0, 0},      {12, 60, 40, 60},       {0xFFFFFFF0u, 3000, 0, 0}, {40, 0, 0, 0},
      {100, 90, 0, 0},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> info(img::kInfoArea, 0x10);
    img::DibHeader hd;
    hd.biSize = c.biSize;
    hd.biWidth = hd.biHeight = 1;
    hd.biBitCount = 4;
    img::WriteDibHeader(info.data(), hd);
    const std::vector<uint8_t> before = info;
    img::PixelStep s;
    s.info = info.data();
    img::ImageViewOptions o = AllOn();
    o[cw::bInvert] = 1;
    EXPECT_EQ(img::ApplyColorEffects(s, o, {}, c.infoSize), 0);
    for (uint32_t i = 0; i < img::kInfoArea; ++i) {
      const bool changed = i >= c.firstChanged && i < c.endChanged && (i - c.firstChanged) % 4 != 3;
      ASSERT_EQ(info[i], changed ? 0xEF : before[i]) << "biSize " << c.biSize << " info " << c.infoSize << " at " << i;
    }
  }
}

TEST(ColorEngine, DamagedHeadersChangeNothing) {
  struct Case {
    int32_t width, height;
    uint16_t bits;
  } cases[] = {{0, 4, 24}, {4, 0, 24}, {-4, 4, 24}, {4, -4, 24}, {4, 4, 16}, {4, 4, 32}, {4, 4, 0}, {4, 4, 12}};
  for (const Case& c : cases) {
    std::vector<uint8_t> info(img::kInfoArea, 0x33), src(64, 1), dst(64, 2);
    img::DibHeader hd;
    hd.biWidth = c.width;
    hd.biHeight = c.height;
    hd.biBitCount = c.bits;
    img::WriteDibHeader(info.data(), hd);
    const std::vector<uint8_t> before = info;
    img::PixelStep s{src.data(), dst.data(), info.data(), 64, 64};
    img::ImageViewOptions o = AllOn();
    o[cw::bInvert] = 1;
    EXPECT_EQ(img::ApplyColorEffects(s, o, {}, 2000), 0) << c.width << "x" << c.height << "x" << c.bits;
    EXPECT_EQ(info, before);
    EXPECT_EQ(dst, std::vector<uint8_t>(64, 2));
  }
}

TEST(ColorEngine, RegionWordInsideAndOutside) {
  // 6 x 4, selection columns 1..3, rows 1..2 (right and bottom exclusive),
  // given out of order.
  const img::ImageRect sel{4, 3, 1, 1};
  // Every pixel is selected by apply-to-all or by the inverted selection of
  // a colour that does not occur; the region word still decides.
  struct Case {
    int region, applyAll, invertSel;
  } cases[] = {{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {2, 1, 0}, {1, 0, 1}, {2, 0, 1}, {3, 1, 0}};
  for (const Case& c : cases) {
    Picture p(6, 4, {10, 20, 30});
    img::ImageViewOptions o;
    o[word::clrReference] = int32_t(Colorref(200, 200, 200));
    o[cw::bApplyAll] = c.applyAll;
    o[cw::bInvert] = 1;
    o[cw::bInvertSelection] = c.invertSel;
    o[word::m_bRegionSet] = c.region;
    EXPECT_EQ(p.Run(o, sel), 1);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 6; ++x) {
        const bool inside = x >= 1 && x < 4 && y >= 1 && y < 3;
        const bool all = c.applyAll || c.invertSel;
        const bool changed = all && (c.region == 1 ? inside : c.region == 2 ? !inside : true);
        const Bgr want = changed ? Bgr{245, 235, 225} : Bgr{10, 20, 30};
        EXPECT_EQ(p.Out(x, y), want)
            << "region " << c.region << " all " << c.applyAll << " invert " << c.invertSel << " at " << x << "," << y;
      }
  }
}

// One red pixel alone in grey, and a red 2 x 2 block, in a 5 x 5 picture.
TEST(ColorEngine, NeighbourModes) {
  const Bgr grey{128, 128, 128}, red{0, 0, 250}, green{0, 255, 0};
  struct Case {
    const char* what;
    int inside, outside, variant, low, high;
    bool greenNeighbour;
    bool loneChanged, blockChanged;
  } cases[] = {
      {"outside 1..8: the lone pixel has 0", 0, 1, 0, 1, 8, false, true, false},
      {"inside 1..8: the block's 3 count", 1, 0, 0, 1, 8, false, false, true},
      {"inside 3..3", 1, 0, 0, 3, 3, false, false, true},
      {"inside 4..8", 1, 0, 0, 4, 8, false, false, false},
      {"outside 0..2", 0, 1, 0, 0, 2, false, false, true},
      {"outside with variant, no green", 0, 1, 1, 1, 8, false, false, false},
      {"outside with variant, green beside", 0, 1, 1, 1, 8, true, true, false},
      {"inside with variant rewrites nothing", 1, 0, 1, 0, 8, true, false, false},
  };
  for (const Case& c : cases) {
    Picture p(5, 5, grey);
    p.Set(0, 0, red);  // the lone pixel (top left)
    for (int y = 3; y < 5; ++y)
      for (int x = 3; x < 5; ++x) p.Set(x, y, red);
    if (c.greenNeighbour) p.Set(1, 1, green), p.Set(2, 2, green);
    img::ImageViewOptions o;
    o[word::clrReference] = int32_t(Colorref(250, 0, 0));
    o[word::clrReplacement] = int32_t(Colorref(0, 255, 0));
    o[cw::nSelectTolerance] = 8;
    o[cw::nNeighbourTolerance] = 8;
    o[cw::bUseReplacement] = 1;
    o[cw::bNeighbourInside] = c.inside;
    o[cw::bNeighbourOutside] = c.outside;
    o[cw::bNeighbourVariant] = c.variant;
    o[cw::nNeighbourLow] = c.low;
    o[cw::nNeighbourHigh] = c.high;
    EXPECT_EQ(p.Run(o), 1);
    EXPECT_EQ(p.Out(0, 0), c.loneChanged ? green : red) << c.what;
    EXPECT_EQ(p.Out(3, 3), c.blockChanged ? green : red) << c.what;
    EXPECT_EQ(p.Out(4, 4), c.blockChanged ? green : red) << c.what;
    EXPECT_EQ(p.Out(2, 0), grey) << c.what;
  }
  // Apply-to-all after the neighbour tests selects every pixel, except with
  // the inside mode's variant.
  Picture p(5, 5, grey);
  img::ImageViewOptions o = AllOn();
  o[cw::bInvert] = 1;
  o[cw::bNeighbourInside] = 1;
  o[cw::nNeighbourLow] = 9;
  o[cw::nNeighbourHigh] = 9;
  p.Run(o);
  EXPECT_EQ(p.Out(2, 2), (Bgr{127, 127, 127}));
  o[cw::bNeighbourVariant] = 1;
  p.Run(o);
  EXPECT_EQ(p.Out(2, 2), grey);
}

// Reads past the source limit repeat its last byte; nothing is written at
// or past the capacity (the buffers are exactly as large as the limits).
TEST(ColorEngine, ShortBuffers) {
  Picture p(5, 3, {1, 2, 3});  // stride 16, 48 bytes
  for (size_t i = 0; i < p.src.size(); ++i) p.src[i] = uint8_t(i);
  img::ImageViewOptions o = AllOn();
  o[cw::bInvert] = 1;
  std::vector<uint8_t> src(p.src.begin(), p.src.begin() + 20);
  std::vector<uint8_t> dst(40, 0xEE);
  img::PixelStep s{src.data(), dst.data(), p.info.data(), 20, 40};
  EXPECT_EQ(img::ApplyColorEffects(s, o, {}, 40), 1);
  for (int i = 0; i < 40; ++i) {
    const int off = i % 16;
    const int srcByte = i < 20 ? i : 19;
    // Pixels that fit whole below the capacity are inverted; the padding
    // and the start of a pixel cut by the capacity are copied.
    const int pixelStart = i - off + off / 3 * 3;
    const int want = off < 15 && pixelStart + 3 <= 40 ? 255 - srcByte : srcByte;
    ASSERT_EQ(dst[i], want) << i;
  }
}

// Every palette picture gives the same colours whether its table is
// rewritten or it is widened to 24 bits and its pixels are rewritten.
TEST(ColorEngine, TableWalkAgreesWithPixelWalk) {
  std::mt19937 rng(71);
  const int w = 13, h = 7;
  for (int round = 0; round < 300; ++round) {
    std::vector<uint8_t> info(img::kInfoArea, 0);
    img::DibHeader hd;
    hd.biWidth = w;
    hd.biHeight = h;
    hd.biBitCount = 8;
    hd.biClrUsed = 256;
    img::WriteDibHeader(info.data(), hd);
    for (int i = 0; i < 1024; ++i) info[40 + i] = (i % 4 == 3) ? 0 : uint8_t(rng());
    const uint32_t stride8 = uint32_t(img::DibStride(w, 8));
    std::vector<uint8_t> idx(stride8 * h);
    for (auto& b : idx) b = uint8_t(rng());
    img::ImageViewOptions o;
    for (int wd : {11, 17, 20, 21, 22}) o[wd] = int32_t(rng() % 300) - 40;
    o[cw::nToneLevel] = int32_t(rng() % 22) - 6;
    o[word::clrReference] = int32_t(rng() & 0xFFFFFF);
    o[word::clrReplacement] = int32_t(rng() & 0xFFFFFF);
    for (int wd : {34, 36, 37, 39, 40, 41, 45, 46, 48}) o[wd] = int32_t(rng() % 2);
    if (!o[cw::bGrey]) o[cw::bInvertSelection] = int32_t(rng() % 2);
    if (rng() % 8 == 0) o[word::nColorOption] = -2;

    // The 24-bit widening of the picture before and after the table walk.
    const uint32_t size24 = uint32_t(img::DibStride(w, 24) * h);
    std::vector<uint8_t> wide(size24 + 16), out24(size24), fromTable(size24 + 16);
    std::vector<uint8_t> info24 = info;
    ASSERT_GE(img::ConvertDibPixels(idx.data(), wide.data(), info24.data(), uint32_t(idx.size()), size24 + 16), 3u);
    img::PixelStep s24{wide.data(), out24.data(), info24.data(), size24, size24};
    ASSERT_EQ(img::ApplyColorEffects(s24, o, {}, 40), 1);

    img::PixelStep st;
    st.info = info.data();
    ASSERT_EQ(img::ApplyColorEffects(st, o, {}, 40 + 1024), 0);
    ASSERT_GE(img::ConvertDibPixels(idx.data(), fromTable.data(), info.data(), uint32_t(idx.size()), size24 + 16), 3u);
    fromTable.resize(size24);
    ASSERT_EQ(out24, fromTable) << "round " << round;
  }
}

// Random pictures, options and selections on buffers exactly as large as
// the limits (ASan's redzones lie right behind them): the 24-bit walk leaves
// the header alone and copies what it does not select.
TEST(ColorEngine, ExactBuffersWithRandomShapes) {
  std::mt19937 rng(2026);
  for (int round = 0; round < 3000; ++round) {
    const int w = int(rng() % 40) + 1, h = int(rng() % 40) + 1;
    static const uint16_t kBits[] = {1, 4, 8, 24};
    const uint16_t bits = kBits[rng() % 4];
    std::vector<uint8_t> info(img::kInfoArea);
    for (auto& b : info) b = uint8_t(rng());
    img::DibHeader hd;
    hd.biWidth = w;
    hd.biHeight = h;
    hd.biBitCount = bits;
    img::WriteDibHeader(info.data(), hd);
    const uint32_t full = uint32_t(img::DibStride(uint32_t(w), bits) * uint32_t(h));
    const uint32_t srcLen = rng() % 3 ? full : uint32_t(rng() % (full + 1));
    const uint32_t dstLen = rng() % 3 ? full : uint32_t(rng() % (full + 1));
    std::vector<uint8_t> src(srcLen), dst(dstLen);
    for (auto& b : src) b = uint8_t(rng() % 4 * 60);
    img::ImageViewOptions o;
    for (int wd = 1; wd <= img::kRegionWord; ++wd) o[wd] = int32_t(rng() % 5) - 1;
    o[word::clrReference] = int32_t(rng() % 4 * 60 * 0x010101);
    o[cw::nSelectTolerance] = int32_t(rng() % 80);
    o[cw::nNeighbourTolerance] = int32_t(rng() % 80);
    o[cw::nNeighbourHigh] = int32_t(rng() % 9);
    o[cw::nToneLevel] = int32_t(rng() % 24) - 7;
    const img::ImageRect sel{int32_t(rng() % 50) - 5, int32_t(rng() % 50) - 5, int32_t(rng() % 50) - 5,
                             int32_t(rng() % 50) - 5};
    const std::vector<uint8_t> infoBefore = info;
    img::PixelStep s{src.data(), dst.data(), info.data(), srcLen, dstLen};
    const int got = img::ApplyColorEffects(s, o, sel, uint32_t(rng() % 2400));
    ASSERT_EQ(got, bits == 24 ? 1 : 0) << round;
    if (bits != 24) continue;
    ASSERT_EQ(info, infoBefore) << round;
    // Nothing selected: the walk is a copy (reads past the limit repeat its
    // last byte).
    o[cw::nSelectTolerance] = -1;
    o[cw::bApplyAll] = 0;
    o[cw::bInvertSelection] = 0;
    o[word::nColorOption] = 0;
    ASSERT_EQ(img::ApplyColorEffects(s, o, sel, 40), 1);
    for (uint32_t i = 0; i < dstLen; ++i)
      ASSERT_EQ(dst[i], i < srcLen ? src[i] : srcLen ? src[srcLen - 1] : 0) << round << " at " << i;
  }
}
