// The whole display run: sizes and their 64-bit products, headers it must
// refuse, the order of the steps and the buffer toggle (seen through a test
// colour engine), the final copy, the height cut, no allocation, and runs on
// buffers of exactly the sizes handed in.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "display_test_util.h"
#include "fw/alloc.h"
#include "image/view/display_pipeline.h"
#include "image/view/transforms.h"

using namespace imgview;
namespace w = img::word;

namespace {

// The buffers of one run, A with the view's slack.
struct PipeRun {
  TestPic pic;
  std::vector<uint8_t> a, b;
  img::DisplayRequest q;
  explicit PipeRun(const TestPic& p, uint64_t bSize = 0, uint64_t slack = 910000) : pic(p) {
    a.assign(p.px.size() + slack, 0);
    std::memcpy(a.data(), p.px.data(), p.px.size());
    b.assign(bSize ? bSize : p.px.size() * 3 * 256 + 400000, 0);
    q.a = a.data();
    q.aSize = uint32_t(a.size());
    q.srcBytes = uint32_t(p.px.size());
    q.b = b.data();
    q.bSize = uint32_t(b.size());
    q.info = pic.info.data();
    q.infoSize = 40 + 4 * (p.Bits() <= 8 ? 1u << p.Bits() : 0);
    q.options[w::nZoomLevel] = 5;
  }
  img::DisplayResult Go(const img::DisplayServices& sv = {}) { return img::TransformImageForDisplay(q, sv); }
  TestPic Out(const img::DisplayResult& r) const {
    TestPic o;
    o.info = pic.info;
    o.px.assign(b.begin(), b.begin() + r.size);
    return o;
  }
};

TEST(DisplaySizes, ExpectedAllowedAndAdvice) {
  const uint64_t mb40 = 41943040;
  struct Case {
    uint64_t size;
    int level;
    uint64_t expected, allowed;
    bool advice, forOutput;
    uint64_t megabytes;
  };
  const Case cases[] = {
      {60000000, 4, 15000000, 15000000, true, false, 58},   // the input setting is passed
      {30000000, 4, 7500000, 7500000, false, false, 0},
      {4999999, 3, 4999999, 4999999, false, false, 0},      // below 5,000,000: not divided
      {5000000, 3, 312500, 312500, false, false, 0},
      {30000000, 5, 30000000, 30000000, false, false, 0},
      {60000000, 6, 240000000, mb40, true, true, 229},      // "pict out to 229MB]"
      {20000000, 9, 5120000000ull, mb40, true, true, 4883}, // 256 x 20 MB passes 2^32
      {100, 0, 100, 100, false, false, 0},                  // a level outside 1-9 counts as 1:1
  };
  for (const Case& c : cases) {
    const img::DisplaySizes s = img::ComputeDisplaySizes(c.size, c.level, mb40, mb40);
    EXPECT_EQ(s.expected, c.expected) << c.size << " " << c.level;
    EXPECT_EQ(s.allowed, c.allowed) << c.size << " " << c.level;
    EXPECT_EQ(s.inputRead, std::min(c.size, mb40));
    EXPECT_EQ(s.advice, c.advice) << c.size << " " << c.level;
    EXPECT_EQ(s.adviceForOutput, c.forOutput) << c.size << " " << c.level;
    EXPECT_EQ(s.adviceMegabytes, c.megabytes) << c.size << " " << c.level;
  }
  const img::FinalSize f = img::ComputeFinalSize(1000 * 120, 120, 1000, 1u << 30, 50000);
  EXPECT_TRUE(f.heightCut);
  EXPECT_EQ(f.height, 416);
  EXPECT_EQ(f.size, 416u * 120);
}

TEST(DisplayPipeline, RefusesHeadersItCannotWalk) {
  struct Case {
    int bits, width, height;
    int64_t sizeDelta;  // srcBytes against stride x height
  };
  const Case cases[] = {{0, 4, 4, 0},  {2, 4, 4, 0},   {3, 4, 4, 0}, {12, 4, 4, 0}, {24, 0, 4, 0},
                        {24, -3, 4, 0}, {24, 4, 0, 0}, {24, 4, -2, 0}, {24, 4, 4, -1}, {1, 33, 2, -1}};
  for (const Case& c : cases) {
    TestPic p = MakePic(8, 8, 24, 1);
    img::DibHeader h = p.H();
    h.biBitCount = uint16_t(c.bits);
    h.biWidth = c.width;
    h.biHeight = c.height;
    img::WriteDibHeader(p.info.data(), h);
    const bool walkable = (c.bits == 1 || c.bits == 24) && c.width > 0 && c.height > 0;
    const uint64_t need = walkable ? img::DibStride(uint32_t(c.width), uint32_t(c.bits)) * uint32_t(c.height) : 16;
    p.px.assign(size_t(int64_t(need) + c.sizeDelta), 0);
    PipeRun run(p);
    run.q.options[w::nColorOption] = 3;  // would walk forever at p = 0
    run.q.options[w::nZoomLevel] = 4;
    EXPECT_EQ(run.Go().size, 0u) << c.bits << " " << c.width << "x" << c.height;
  }
}

TEST(DisplayPipeline, StepsToggleAndEndInB) {
  const TestPic src = MakePic(6, 4, 24, 3);
  // Mirror and flip: two steps, the picture ends in A and is copied into B.
  PipeRun two(src);
  two.q.options[w::bFlipH] = 1;
  two.q.options[w::bFlipV] = 1;
  const img::DisplayResult r2 = two.Go();
  ASSERT_EQ(r2.steps, 2);
  const TestPic o2 = two.Out(r2);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) ASSERT_EQ(o2.At(x, y), src.At(5 - x, 3 - y));
  // Nothing asked: no step, the picture still copied into B.
  PipeRun none(src);
  const img::DisplayResult r0 = none.Go();
  EXPECT_EQ(r0.steps, 0);
  EXPECT_EQ(r0.size, src.px.size());
  EXPECT_EQ(0, std::memcmp(none.b.data(), src.px.data(), src.px.size()));
}

TEST(DisplayPipeline, ColorEngineToggleAndSkipFlags) {
  const TestPic src = MakePic(4, 4, 24, 5);
  int calls = 0;
  // A test engine: with word 40 at 1 it writes the picture inverted into the
  // destination and answers 1; otherwise it changes nothing and answers 0.
  img::DisplayServices sv;
  sv.colorEngine = [&calls](const img::PixelStep& s, const img::ImageViewOptions& o, const img::ImageRect&,
                            uint32_t infoSize) {
    ++calls;
    EXPECT_EQ(infoSize, 40u);
    if (o[40] != 1) return 0;
    const uint32_t n = img::ReadDibHeader(s.info).biSizeImage;
    for (uint32_t i = 0; i < n && i < s.srcLimit && i < s.dstCapacity; ++i) s.dst[i] = uint8_t(255 - s.src[i]);
    return 1;
  };
  struct Case {
    int writes, skip, cut;
    int calls, steps;
  };
  const Case cases[] = {
      {1, 0, 0, 1, 2},  // mirror, engine: the engine's picture is shown
      {0, 0, 0, 1, 1},  // an engine that answers 0 does not toggle
      {1, 1, 0, 1, 2},  // the skip flag counts only with the region cut
      {1, 1, 1, 0, 2},  // skipped: mirror and the cut
  };
  for (const Case& c : cases) {
    PipeRun run(src);
    img::ImageViewOptions& o = run.q.options;
    o[w::bFlipH] = 1;
    o[w::nEffectStyle] = 1;
    o[w::bNeedTransform] = 1;
    o[40] = c.writes;
    o[w::nSkipColorEngine] = c.skip;
    o[w::bRegionCut] = c.cut;
    run.q.selection = {0, 0, 4, 4};
    calls = 0;
    const img::DisplayResult r = run.Go(sv);
    EXPECT_EQ(calls, c.calls);
    EXPECT_EQ(r.steps, c.steps);
    if (!c.cut) {
      const TestPic out = run.Out(r);
      for (int x = 0; x < 4; ++x)
        EXPECT_EQ(out.At(x, 1), c.writes ? (~src.At(3 - x, 1) & 0xFFFFFF) : src.At(3 - x, 1));
    }
  }
}

TEST(DisplayPipeline, RegionCutDividesBySteps) {
  const TestPic src = MakePic(16, 16, 24, 9);
  for (int mirror : {0, 1}) {
    PipeRun run(src);
    img::ImageViewOptions& o = run.q.options;
    o[w::nZoomLevel] = 4;
    o[w::bFlipH] = mirror;
    o[w::nEffectStyle] = 2;
    o[w::bNeedTransform] = 1;
    o[w::bRegionCut] = 1;
    run.q.selection = {4, 4, 12, 12};
    const img::DisplayResult r = run.Go();
    ASSERT_GT(r.size, 0u);
    EXPECT_TRUE(r.regionCut);
    // One step before the cut (odd): the selection is halved to 2..6 and
    // cut as 1..6; two steps (even): it is cut as 3..12.
    EXPECT_EQ(r.width, mirror ? 9 : 5) << mirror;
    EXPECT_EQ(r.widthBefore, r.width);
  }
}

TEST(DisplayPipeline, ResultRecord) {
  const TestPic src = MakePic(100, 50, 24, 2);  // stride 300, 15,000 bytes
  {
    PipeRun run(src);
    run.q.textBufSize = 6000;  // the output setting holds 20 rows
    run.q.imageReduce = 99;
    run.q.trimMode = 1;
    const img::DisplayResult r = run.Go();
    EXPECT_TRUE(r.heightCut);
    EXPECT_EQ(r.height, 20);
    EXPECT_EQ(r.size, 6000u);
    EXPECT_EQ(r.imageReduce, 1);
    EXPECT_FALSE(r.showCaption);
    EXPECT_EQ(r.widthBefore, 100);
    EXPECT_EQ(r.heightBefore, 50);
    EXPECT_EQ(r.sizes.expected, 15000u);
  }
  {
    PipeRun run(src);
    run.q.textBufSize2 = 15000;  // the loader cut the picture at this size
    run.q.options[w::nZoomLevel] = 6;
    const img::DisplayResult r = run.Go();
    EXPECT_TRUE(r.overMark);
    EXPECT_TRUE(r.showCaption);
    EXPECT_EQ(r.width, 200);
    EXPECT_EQ(r.sizes.expected, 60000u);
  }
  {  // An 8-bit picture widened to 24 bits: the final size is the widened rows.
    PipeRun run(MakePic(10, 10, 8, 4));
    run.q.options[w::nEffectStyle] = 1;
    run.q.options[w::bTo24] = 1;
    const img::DisplayResult r = run.Go();
    EXPECT_EQ(r.bits, 24);
    EXPECT_EQ(r.size, 32u * 10);
  }
}

TEST(DisplayPipeline, AllocatesNothing) {
  PipeRun run(MakePic(40, 30, 8, 6));
  img::ImageViewOptions& o = run.q.options;
  o[w::nZoomLevel] = 7;
  o[w::nZoomFine] = 8;
  o[w::nRotation] = 1;
  o[w::bFlipH] = 1;
  o[w::nEffectStyle] = 1;
  o[w::bTo24] = 1;
  o[w::bNeedTransform] = 1;
  o[w::bFilterOn] = 1;
  o[w::nFilter] = -2;
  fw::alloctest::Reset();
  EXPECT_GT(run.Go().size, 0u);
  EXPECT_EQ(fw::alloctest::Count(), 0);
}

// Random pictures, options and selections on buffers of exactly the sizes
// handed in: every run stays inside them (the sanitizer would see a byte
// outside) and answers a size within B.
TEST(DisplayPipeline, RandomRunsStayInside) {
  std::mt19937 rng(7);
  const int depths[] = {1, 4, 8, 16, 24, 32};
  for (int round = 0; round < 400; ++round) {
    const TestPic p = MakePic(int(rng() % 24) + 1, int(rng() % 24) + 1, depths[rng() % 6], uint32_t(round));
    PipeRun run(p, rng() % (p.px.size() * 8 + 64) + 1, rng() % 2 ? 0 : rng() % 200);
    img::ImageViewOptions& o = run.q.options;
    o[w::nZoomLevel] = int(rng() % 11);
    o[w::nZoomFine] = int(rng() % 12) - 1;
    o[w::nRotation] = int(rng() % 5);
    o[w::nColorOption] = int(rng() % 4) - 2;
    o[w::nStretchMode] = int(rng() % 5) - 1;
    o[w::bFlipH] = int(rng() % 2);
    o[w::bFlipV] = int(rng() % 2);
    o[w::nEffectStyle] = int(rng() % 3);
    o[w::bNeedTransform] = int(rng() % 2);
    o[w::bTo24] = int(rng() % 2);
    o[w::bFilterOn] = int(rng() % 2);
    o[w::nFilter] = int(rng() % 13) - 6;
    o[w::bRegionCut] = int(rng() % 2);
    run.q.selection = {int(rng() % 60) - 10, int(rng() % 60) - 10, int(rng() % 60) - 10, int(rng() % 60) - 10};
    run.q.textBufSize = uint32_t(rng() % 2 ? 41943040 : rng() % 5000 + 1);
    const img::DisplayResult r = run.Go();
    EXPECT_LE(r.size, run.q.bSize);
  }
}

}  // namespace

namespace {

// The standard services hand the real colour engine to the run: the
// inversion switch over every pixel, after a mirror; and the transform's
// caption of the run.
TEST(DisplayPipeline, StandardServicesRunTheColourEngineAndGiveTheCaption) {
  const TestPic src = MakePic(6, 4, 24, 11);
  PipeRun run(src);
  run.q.options[w::bFlipH] = 1;
  run.q.options[w::nEffectStyle] = 1;
  run.q.options[w::bNeedTransform] = 1;
  run.q.options[34] = 1;  // apply to all
  run.q.options[46] = 1;  // inversion
  const img::DisplayResult r = run.Go(img::StandardDisplayServices());
  ASSERT_EQ(r.steps, 2);
  const TestPic out = run.Out(r);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) ASSERT_EQ(out.At(x, y), src.At(5 - x, y) ^ 0xFFFFFFu) << x << "," << y;
  const img::CaptionText caption = img::BuildImageCaption(img::TransformCaptionInput(run.q, r));
  ASSERT_TRUE(caption.built);
  EXPECT_EQ(0u, caption.text.rfind("W6 x H4 x 24bits ", 0)) << caption.text;
}

}  // namespace
