// The pixel transforms alone, on buffers of exactly the sizes they may use:
// the rules that no outside tool defines (packing at 1 and 4 bits, the
// repeat and skip patterns, the reduction's choices, the region cut, the
// filter's orientation) and the round trips at every depth.
#include <gtest/gtest.h>

#include <cstring>

#include "display_test_util.h"
#include "image/view/transforms.h"

using namespace imgview;
using img::PixelStep;

namespace {

const int kDepths[] = {1, 4, 8, 16, 24, 32};

void ExpectSame(const TestPic& a, const TestPic& b, const char* what) {
  ASSERT_EQ(a.W(), b.W()) << what;
  ASSERT_EQ(a.Ht(), b.Ht()) << what;
  for (int y = 0; y < a.Ht(); ++y)
    for (int x = 0; x < a.W(); ++x) ASSERT_EQ(a.At(x, y), b.At(x, y)) << what << " at " << x << "," << y;
}

TEST(DisplayTransforms, RoundTripsGiveTheSourceBack) {
  const int sizes[][2] = {{1, 1}, {3, 5}, {7, 2}, {10, 13}, {17, 9}, {9, 17}};
  for (int bits : kDepths)
    for (auto& sz : sizes) {
      const TestPic src = MakePic(sz[0], sz[1], bits, uint32_t(bits * 100 + sz[0] * 7 + sz[1]));
      SCOPED_TRACE(testing::Message() << bits << " bits " << sz[0] << "x" << sz[1]);
      auto repeat = [&](int times, auto fn) {
        TestPic cur = src, next;
        for (int i = 0; i < times; ++i) {
          EXPECT_TRUE(RunStep(cur, &next, fn));
          cur = next;
        }
        return cur;
      };
      ExpectSame(src, repeat(4, [](const PixelStep& s) { return img::RotateImage(s, 1); }), "four right turns");
      ExpectSame(src, repeat(2, [](const PixelStep& s) { return img::RotateImage(s, 2); }), "two half turns");
      ExpectSame(src, repeat(2, [](const PixelStep& s) { return img::MirrorImageRows(s); }), "two mirrors");
      ExpectSame(src, repeat(2, [](const PixelStep& s) { return img::FlipImageRows(s); }), "two flips");
      // A left turn at 4 bits may drop a column; elsewhere four give the source.
      auto odd = [](int n) { return (n & 1) && n % 8 != 1; };
      const bool drops = bits == 4 && (odd(sz[0]) || odd(sz[1]));
      if (!drops)
        ExpectSame(src, repeat(4, [](const PixelStep& s) { return img::RotateImage(s, 3); }), "four left turns");
      // One turn: the pixel at column x, row y goes to column h - 1 - y, row x.
      const TestPic r = repeat(1, [](const PixelStep& s) { return img::RotateImage(s, 1); });
      ASSERT_EQ(r.W(), sz[1]);
      ASSERT_EQ(r.Ht(), sz[0]);
      for (int y = 0; y < sz[1]; ++y)
        for (int x = 0; x < sz[0]; ++x) ASSERT_EQ(r.At(sz[1] - 1 - y, x), src.At(x, y));
    }
}

TEST(DisplayTransforms, EdgeCases) {
  {  // A 1-bit picture of width 10 mirrored keeps its pixels at the left.
    TestPic p = MakePic(10, 2, 1, 5), m;
    ASSERT_TRUE(RunStep(p, &m, [](const PixelStep& s) { return img::MirrorImageRows(s); }));
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 10; ++x) EXPECT_EQ(m.At(x, y), p.At(9 - x, y));
    EXPECT_EQ(m.px[1] & 0x3F, 0) << "bits past the width";
  }
  {  // Reduction by 2 with fine factor 8: 20 pixels become 8.
    TestPic p = MakePic(20, 20, 24, 6), r;
    ASSERT_TRUE(RunStep(p, &r, [](const PixelStep& s) { return img::ReduceImage(s, 2, 8, 0, 0); }));
    EXPECT_EQ(r.W(), 8);
    EXPECT_EQ(r.Ht(), 8);
  }
  {  // Enlargement by 4 with fine factor 6: 5 pixels become 12, as 2,3,2,2,3.
    TestPic p = MakePic(5, 5, 8, 7), e;
    ASSERT_TRUE(RunStep(p, &e, [](const PixelStep& s) { return img::EnlargeImage(s, 4, 6); }));
    EXPECT_EQ(e.W(), 12);
    const int from[12] = {0, 0, 1, 1, 1, 2, 2, 3, 3, 4, 4, 4};
    for (int x = 0; x < 12; ++x) EXPECT_EQ(e.At(x, e.Ht() - 1), p.At(from[x], 4)) << x;
  }
  {  // A 3 x 2 picture turned once: 2 x 3, top-right is the former top-left.
    TestPic p = MakePic(3, 2, 24, 8), r;
    ASSERT_TRUE(RunStep(p, &r, [](const PixelStep& s) { return img::RotateImage(s, 1); }));
    EXPECT_EQ(r.W(), 2);
    EXPECT_EQ(r.Ht(), 3);
    EXPECT_EQ(r.At(1, 0), p.At(0, 0));
  }
  {  // Colour option 1 on pure blue: blue 255, green 255, red 0.
    TestPic p = MakePic(1, 1, 24, 9), c;
    p.Set(0, 0, 0x0000FF);
    ASSERT_TRUE(RunStep(p, &c, [](const PixelStep& s) { return img::ApplyColorOption(s, 1); }));
    EXPECT_EQ(c.At(0, 0), 0x00FFFFu);
  }
  EXPECT_FALSE(img::HasFilterKernel(0));
  EXPECT_FALSE(img::HasFilterKernel(6));
  EXPECT_FALSE(img::HasFilterKernel(-6));
}

TEST(DisplayTransforms, EnlargePatternsFillTheirWidth) {
  for (int m : {2, 4, 8, 16})
    for (int f = 6; f <= 9; ++f) {
      const img::StepPattern p = img::EnlargePattern(m, f);
      ASSERT_EQ(p.length, 5);
      int sum = 0;
      for (int i = 0; i < 5; ++i) sum += p.count[i];
      EXPECT_EQ(sum, 5 * m * f / 10) << m << " " << f;
    }
  const img::StepPattern p = img::EnlargePattern(16, 0);
  EXPECT_EQ(p.length, 1);
  EXPECT_EQ(p.count[0], 16);
}

TEST(DisplayTransforms, SkipPatternsTakeFOfTenD) {
  // A cycle (one output without a count, then one per count) consumes 10 d
  // source units and gives f outputs.
  for (int d : {1, 2, 4, 8, 16})
    for (int f = 6; f <= 9; ++f) {
      const img::StepPattern p = img::ReducePattern(d, f);
      int used = 1 + p.baseSkip;
      for (int i = 0; i < p.length; ++i) used += p.count[i] == 3 ? 1 : p.count[i] + p.baseSkip;
      EXPECT_EQ(used, 10 * d) << d << " " << f;
      EXPECT_EQ(1 + p.length, f) << d << " " << f;
    }
}

TEST(DisplayTransforms, ReductionChoices) {
  {  // 1 bit: a dark one-pixel line survives when colour 0 is dark, vanishes
     // when colour 0 is light.
    for (int ink : {0, 255}) {
      TestPic p = MakePic(8, 4, 1, 1), r;
      for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) p.Set(x, y, x == 2 ? 0 : 1);
      ASSERT_TRUE(RunStep(p, &r, [ink](const PixelStep& s) { return img::ReduceImage(s, 2, 0, ink, 0); }));
      EXPECT_EQ(r.W(), 4);
      EXPECT_EQ(r.At(1, 0), ink < 128 ? 0u : 1u) << ink;
      EXPECT_EQ(r.At(0, 0), 1u);
    }
  }
  {  // 8 bits: colour-table brightness is read as signed bytes. A light
     // entry (200) reads darker than a mid one (50); the darker-still 130
     // is then an extremum and replaces 50.
    TestPic p = MakePic(4, 2, 8, 2), r;
    auto entry = [&](int k, uint8_t v) { std::memset(&p.info[40 + 4 * k], v, 3); };
    entry(1, 200);
    entry(2, 50);
    entry(3, 130);
    const uint32_t row[4] = {1, 1, 2, 3};
    for (int x = 0; x < 4; ++x) p.Set(x, 1, row[x]);
    ASSERT_TRUE(RunStep(p, &r, [](const PixelStep& s) { return img::ReduceImage(s, 2, 0, 0, 0); }));
    EXPECT_EQ(r.At(0, 0), 1u);
    EXPECT_EQ(r.At(1, 0), 3u);
  }
  {  // 24 bits: truncated means of 2 x 2 blocks; the top output row, whose
     // row two on lies past the limit, keeps its single sample.
    TestPic p = MakePic(4, 4, 24, 3), r;
    ASSERT_TRUE(RunStep(p, &r, [](const PixelStep& s) { return img::ReduceImage(s, 2, 0, 0, 0); }));
    for (int c = 0; c < 3; ++c) {
      auto ch = [&](int x, int y) { return int(p.At(x, y) >> (8 * c) & 255); };
      EXPECT_EQ(int(r.At(0, 1) >> (8 * c) & 255), (ch(0, 3) + ch(1, 3) + ch(0, 2) + ch(1, 2)) / 4);
      EXPECT_EQ(int(r.At(1, 0) >> (8 * c) & 255), ch(2, 1));
    }
  }
}

TEST(DisplayTransforms, RegionCutRules) {
  const TestPic p = MakePic(8, 8, 24, 11);
  struct Case {
    img::ImageRect sel;
    int w, h, firstX, firstY;  // cut size and the source pixel at its top-left
  };
  const Case cases[] = {
      {{2, 3, 6, 5}, 5, 3, 2, 2},    // left and top lowered, 24-bit columns from left + 1
      {{6, 5, 2, 3}, 5, 3, 2, 2},    // corners in any order
      {{-1, -1, 4, 4}, 4, 4, 1, 0},  // small negatives become 0
      {{0, 6, 3, 6}, 3, 5, 1, 5},    // a height below 2 becomes 5
  };
  for (const Case& c : cases) {
    TestPic out;
    int32_t cw = 0, ch = 0;
    ASSERT_TRUE(RunStep(p, &out, [&](const PixelStep& s) { return img::CutImageRegion(s, c.sel, &cw, &ch); }));
    EXPECT_EQ(cw, c.w);
    EXPECT_EQ(ch, c.h);
    ASSERT_EQ(out.W(), c.w);
    ASSERT_EQ(out.Ht(), c.h);
    for (int y = 0; y < c.h; ++y)
      for (int x = 0; x < c.w; ++x) {
        const int sx = c.firstX + x, sy = c.firstY + y;
        const uint32_t want = sx < 8 && sy < 8 ? p.At(sx, sy) : 0xFFFFFFu;
        ASSERT_EQ(out.At(x, y), want) << x << "," << y;
      }
    // The rest of each row is 0xFF.
    for (uint64_t i = uint64_t(c.w) * 3; i < out.Stride(); ++i) EXPECT_EQ(out.px[i], 0xFF);
  }
  {  // 8 bits start at the lowered left; 1 bit at the pixel after it.
    const TestPic q8 = MakePic(16, 4, 8, 12), q1 = MakePic(16, 4, 1, 13);
    TestPic o8, o1;
    int32_t cw, ch;
    const img::ImageRect sel{5, 1, 12, 3};
    ASSERT_TRUE(RunStep(q8, &o8, [&](const PixelStep& s) { return img::CutImageRegion(s, sel, &cw, &ch); }));
    ASSERT_TRUE(RunStep(q1, &o1, [&](const PixelStep& s) { return img::CutImageRegion(s, sel, &cw, &ch); }));
    for (int x = 0; x < 8; ++x) {
      EXPECT_EQ(o8.At(x, 0), q8.At(4 + x, 0));
      EXPECT_EQ(o1.At(x, 0), q1.At(5 + x, 0));
    }
  }
}

TEST(DisplayTransforms, FilterKernelsKeepFlatAreasAndFaceTheScreen) {
  for (int f : {-5, -4, -3, -2, -1, 1, 2, 3, 4, 5}) {
    TestPic flat = MakePic(5, 5, 24, 1), out;
    std::fill(flat.px.begin(), flat.px.end(), 77);
    ASSERT_TRUE(RunStep(flat, &out, [f](const PixelStep& s) { return img::FilterImage3x3(s, f, {}); }));
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 5; ++x) ASSERT_EQ(out.At(x, y), 0x4D4D4Du) << f;
  }
  // One bright pixel under the uneven kernel -5: the pixel left of it and
  // below it on screen sees it through the "above" row (weight 1), the one
  // left of it and above it through the "below" row (weight 2).
  TestPic dot = MakePic(5, 5, 24, 1), out;
  std::fill(dot.px.begin(), dot.px.end(), 0);
  dot.Set(2, 2, 0xA0A0A0);
  ASSERT_TRUE(RunStep(dot, &out, [](const PixelStep& s) { return img::FilterImage3x3(s, -5, {}); }));
  EXPECT_EQ(out.At(2, 2) & 255, 160u * 2 / 16);
  EXPECT_EQ(out.At(1, 3) & 255, 160u * 1 / 16);
  EXPECT_EQ(out.At(1, 1) & 255, 160u * 2 / 16);
  // Sharpening clamps: a white dot on black goes to 255, its neighbours to 0.
  dot.Set(2, 2, 0xFFFFFF);
  ASSERT_TRUE(RunStep(dot, &out, [](const PixelStep& s) { return img::FilterImage3x3(s, 5, {}); }));
  EXPECT_EQ(out.At(2, 2), 0xFFFFFFu);
  EXPECT_EQ(out.At(2, 1), 0u);
  // A selection of right -1 covers the whole width; rows outside it are copied.
  TestPic ramp = MakePic(6, 4, 24, 4), sel;
  ASSERT_TRUE(RunStep(ramp, &sel, [](const PixelStep& s) { return img::FilterImage3x3(s, -3, {3, 1, -1, 2}); }));
  ASSERT_TRUE(RunStep(ramp, &out, [](const PixelStep& s) { return img::FilterImage3x3(s, -3, {}); }));
  // Rows from height - bottom - 1 to height - top counted from the bottom:
  // the bottom row lies outside, the row above the selection inside.
  for (int x = 0; x < 6; ++x) {
    EXPECT_EQ(sel.At(x, 3), ramp.At(x, 3)) << "the bottom row lies outside";
    EXPECT_EQ(sel.At(x, 0), out.At(x, 0)) << "column " << x << " is inside";
    EXPECT_EQ(sel.At(x, 2), out.At(x, 2)) << "column " << x << " is inside";
  }
}

TEST(DisplayTransforms, ClippedAccessStaysInside) {
  // Every transform on buffers far shorter than the picture: reads repeat,
  // writes are dropped (the sanitizer sees any byte outside).
  std::mt19937 rng(42);
  for (int round = 0; round < 300; ++round) {
    const int bits = kDepths[rng() % 6];
    const TestPic p = MakePic(int(rng() % 40) + 1, int(rng() % 40) + 1, bits, uint32_t(round));
    std::vector<uint8_t> src(p.px.begin(), p.px.begin() + long(rng() % (p.px.size() + 1)));
    std::vector<uint8_t> dst(rng() % (p.px.size() * 3 + 1));
    std::vector<uint8_t> info(p.info);
    PixelStep s{src.data(), dst.data(), info.data(), uint32_t(src.size()), uint32_t(dst.size())};
    const int q = int(rng() % 3) + 1, lev = int(rng() % 5);
    const img::ImageRect sel{int(rng() % 50) - 5, int(rng() % 50) - 5, int(rng() % 50) - 5, int(rng() % 50) - 5};
    int32_t cw, ch;
    switch (rng() % 8) {
      case 0: img::MirrorImageRows(s); break;
      case 1: img::FlipImageRows(s); break;
      case 2: img::RotateImage(s, q); break;
      case 3: img::EnlargeImage(s, 2 << lev % 4, int(rng() % 11)); break;
      case 4: img::ReduceImage(s, 1 << lev, int(rng() % 11), int(rng() % 256), int(rng() % 5)); break;
      case 5: img::ApplyColorOption(s, int(rng() % 3)); break;
      case 6: img::CutImageRegion(s, sel, &cw, &ch); break;
      case 7: img::FilterImage3x3(s, int(rng() % 11) - 5, sel); break;
    }
  }
}

}  // namespace
