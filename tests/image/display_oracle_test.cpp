// The display pipeline against outside tools: Pillow's transposes at widths
// and heights 1-17 and every depth (1-, 4- and 8-bit results expanded through
// their colour tables), ImageMagick's -flop, -flip, -rotate, -sample, -crop
// and -negate on 640 x 480 pictures through the display tool (compare
// -metric AE), and the near oracles of the reduction and the 3x3 filter.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "display_bmp.h"
#include "display_test_util.h"
#include "image/view/display_pipeline.h"
#include "image/write/dib_reduce.h"
#include "support/outside_tool.h"

namespace fs = std::filesystem;
using namespace imgview;
namespace w = img::word;

namespace {

const char* kPython = "/usr/bin/python3";

fs::path Folder(const char* name) {
  fs::path d = fs::path(TABRYE_BIN_ROOT) / "display_oracles" / name;
  fs::remove_all(d);
  fs::create_directories(d);
  return d;
}

std::string Q(const fs::path& p) { return "'" + p.string() + "'"; }

// One pipeline run in this process; the displayed picture as RGB rows.
struct Shown {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
};
Shown Show(const Picture& pic, const img::ImageViewOptions& o, img::ImageRect sel = {}) {
  std::vector<uint8_t> info(pic.info);
  std::vector<uint8_t> a(pic.bits.size() + 910000), b(pic.bits.size() * 3 * 256 + 1000000);
  std::memcpy(a.data(), pic.bits.data(), pic.bits.size());
  img::DisplayRequest q;
  q.a = a.data();
  q.aSize = uint32_t(a.size());
  q.srcBytes = uint32_t(pic.bits.size());
  q.b = b.data();
  q.bSize = uint32_t(b.size());
  q.info = info.data();
  q.options = o;
  q.selection = sel;
  q.textBufSize = q.textBufSize2 = 1u << 30;
  const img::DisplayResult r = img::TransformImageForDisplay(q, {});
  Shown s;
  if (r.size == 0) return s;
  s.width = r.width;
  s.height = r.height;
  s.rgb = ToRgb(info.data(), b.data(), r.size);
  return s;
}

img::ImageViewOptions Opts(std::initializer_list<std::pair<int, int>> words) {
  img::ImageViewOptions o;
  o[w::nZoomLevel] = 5;
  for (auto& [k, v] : words) o[k] = v;
  return o;
}

Picture FromTest(const TestPic& t) {
  Picture p;
  p.info = t.info;
  p.bits = t.px;
  p.infoSize = 40 + 4 * (t.Bits() <= 8 ? 1u << t.Bits() : 0);
  return p;
}

// A picture of `bits` made from a 24-bit one by the writer's fixed tables.
Picture AtDepth(const Picture& p24, int bits) {
  if (bits == 24) return p24;
  Picture p;
  p.info = p24.info;
  const img::DibHeader h = p24.Header();
  p.bits.assign(img::DibStride(uint32_t(h.biWidth), uint32_t(bits)) * uint32_t(h.biHeight), 0);
  img::ReduceDib24(p24.bits.data(), p.bits.data(), p.info.data(), uint32_t(bits), int32_t(p24.bits.size()),
                   int32_t(p.bits.size()));
  img::DibHeader o = p.Header();
  o.biSizeImage = uint32_t(p.bits.size());
  o.biHeight = h.biHeight;
  img::WriteDibHeader(p.info.data(), o);
  p.infoSize = 40 + 4 * (1u << bits);
  return p;
}

bool ReadRgb(const fs::path& f, int* w, int* h, std::vector<uint8_t>* rgb) {
  std::ifstream in(f, std::ios::binary);
  if (!(in >> *w >> *h)) return false;
  in.get();
  rgb->assign(size_t(*w) * size_t(*h) * 3, 0);
  in.read(reinterpret_cast<char*>(rgb->data()), std::streamsize(rgb->size()));
  return bool(in);
}

// The first differing sample of `got` (gw wide) against the left cols of `want`.
std::string FirstDiff(const Shown& got, int ww, const std::vector<uint8_t>& want) {
  for (int y = 0; y < got.height; ++y)
    for (int x = 0; x < got.width * 3; ++x)
      if (got.rgb[size_t(y) * got.width * 3 + x] != want[size_t(y) * ww * 3 + x])
        return "at x " + std::to_string(x / 3) + " y " + std::to_string(y);
  return "";
}

TEST(DisplayOracle, TransposesMatchPillowAtEveryDepthAndSmallSize) {
  if (!fs::exists(kPython)) GTEST_SKIP() << "no " << kPython;
  const fs::path d = Folder("geometry");
  struct In {
    std::string name;
    Picture pic;
  };
  std::vector<In> ins;
  int n = 0;
  for (int bits : {1, 4, 8, 16, 24, 32})
    for (int k = 1; k <= 17; ++k) {
      if ((bits == 16 || bits == 32) && k % 3) continue;
      const int sizes[2][2] = {{k, (k * 5) % 17 + 1}, {(k * 3) % 17 + 1, k}};
      for (auto& sz : sizes) {
        Picture p = FromTest(MakePic(sz[0], sz[1], bits, uint32_t(bits * 1000 + sz[0] * 31 + sz[1])));
        In in{"in" + std::to_string(n++), p};
        // Pillow gets 16- and 32-bit pictures as the pipeline widens them.
        Picture base = p;
        if (bits == 16 || bits == 32) {
          Shown s = Show(p, Opts({}));
          ASSERT_GT(s.width, 0);
          base.info = p.info;
          img::DibHeader h = base.Header();
          h.biBitCount = 24;
          img::WriteDibHeader(base.info.data(), h);
          const uint64_t st = img::DibStride(uint32_t(s.width), 24);
          base.bits.assign(st * uint64_t(s.height), 0);
          for (int y = 0; y < s.height; ++y)
            for (int x = 0; x < s.width; ++x)
              for (int c = 0; c < 3; ++c)
                base.bits[(s.height - 1 - y) * st + 3 * x + c] = s.rgb[(size_t(y) * s.width + x) * 3 + 2 - c];
        }
        ASSERT_TRUE(WriteBmp((d / (in.name + ".bmp")).string(), base.info.data(), base.bits.data(),
                             uint32_t(base.bits.size())));
        ins.push_back(in);
      }
    }
  const std::string cmd =
      std::string(kPython) + " '" TABRYE_TEST_ROOT "/tests/image/display_oracle.py' geometry " + Q(d);
  ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
  const std::pair<const char*, img::ImageViewOptions> ops[] = {
      {"flop", Opts({{w::bFlipH, 1}})},   {"flip", Opts({{w::bFlipV, 1}})},
      {"r90", Opts({{w::nRotation, 1}})}, {"r180", Opts({{w::nRotation, 2}})},
      {"r270", Opts({{w::nRotation, 3}})},
  };
  int checked = 0;
  for (const In& in : ins)
    for (auto& [op, o] : ops) {
      int ww, wh;
      std::vector<uint8_t> want;
      ASSERT_TRUE(ReadRgb(d / (in.name + "." + op + ".rgb"), &ww, &wh, &want)) << in.name << op;
      const Shown got = Show(in.pic, o);
      const int bits = in.pic.Header().biBitCount;
      SCOPED_TRACE(testing::Message() << in.name << " " << op << " " << bits << " bits "
                                      << in.pic.Header().biWidth << "x" << in.pic.Header().biHeight);
      ASSERT_EQ(got.height, wh);
      // A left turn at 4 bits may drop the last column (the source's bottom row).
      if (bits == 4 && std::string(op) == "r270" && got.width == ww - 1) {
        EXPECT_TRUE((ww & 1) && ww % 8 != 1);
      } else {
        ASSERT_EQ(got.width, ww);
      }
      EXPECT_EQ(FirstDiff(got, ww, want), "");
      ++checked;
    }
  EXPECT_GE(checked, 5 * 4 * 34);
}

// ImageMagick's command of each operation and the tool's option words.
struct MagickCase {
  const char* name;
  const char* magick;
  const char* words;
};

TEST(DisplayOracle, ToolMatchesImageMagickAt640x480) {
  REQUIRE_TOOLS("convert", "compare");
  const fs::path d = Folder("magick");
  ASSERT_EQ(std::system(("convert -seed 3 -size 640x480 plasma: -type TrueColor " + Q(d / "p24.bmp")).c_str()), 0);
  // Rectangle of the selection 100,50 - 300,200 by the cut's rules: left and
  // top lowered to 99 and 49, 201 x 151, the 24-bit columns from 100.
  const MagickCase cases[] = {
      {"flop", "-flop", "bFlipH=1"},
      {"flip", "-flip", "bFlipV=1"},
      {"r90", "-rotate 90", "nRotation=1"},
      {"r180", "-rotate 180", "nRotation=2"},
      {"r270", "-rotate 270", "nRotation=3"},
      {"mirror_turn", "-flop -rotate 90", "bFlipH=1 nRotation=1"},
      {"option1", "-negate -separate -swap 0,2 -combine", "nColorOption=1"},
      {"cut", "-crop 201x151+100+49 +repage",
       "nEffectStyle=2 bNeedTransform=1 bRegionCut=1 sel=100,50,300,200"},
  };
  for (const MagickCase& c : cases) {
    const fs::path ours = d / (std::string(c.name) + ".ours.bmp"), theirs = d / (std::string(c.name) + ".im.bmp");
    const std::string run = std::string("'" DISPLAY_TOOL "' ") + Q(d / "p24.bmp") + " " + Q(ours) + " " + c.words +
                            " > /dev/null";
    ASSERT_EQ(std::system(run.c_str()), 0) << run;
    ASSERT_EQ(std::system(("convert " + Q(d / "p24.bmp") + " " + c.magick + " -type TrueColor " + Q(theirs)).c_str()),
              0);
    const std::string ae = testsupport::RunCapture("compare -metric AE " + Q(ours) + " " + Q(theirs) +
                                                   " null: 2>&1");
    EXPECT_EQ(ae, "0") << c.name;
  }
}

// The same turns at 640 x 480 with 1, 4 and 8 bits (the plasma through the
// writer's fixed tables), ImageMagick's outputs read back by the loader.
TEST(DisplayOracle, TurnsMatchImageMagickAt640x480InPalettes) {
  REQUIRE_TOOLS("convert");
  const fs::path d = Folder("palette");
  ASSERT_EQ(std::system(("convert -seed 4 -size 640x480 plasma: -type TrueColor " + Q(d / "p24.bmp")).c_str()), 0);
  Picture p24;
  ASSERT_TRUE(ReadBmp((d / "p24.bmp").string(), &p24));
  const std::pair<const char*, img::ImageViewOptions> ops[] = {
      {"-flop", Opts({{w::bFlipH, 1}})},         {"-flip", Opts({{w::bFlipV, 1}})},
      {"-rotate 90", Opts({{w::nRotation, 1}})}, {"-rotate 180", Opts({{w::nRotation, 2}})},
      {"-rotate 270", Opts({{w::nRotation, 3}})},
  };
  for (int bits : {1, 4, 8}) {
    const Picture p = AtDepth(p24, bits);
    const fs::path in = d / ("p" + std::to_string(bits) + ".bmp");
    ASSERT_TRUE(WriteBmp(in.string(), p.info.data(), p.bits.data(), uint32_t(p.bits.size())));
    std::string cmd = "convert " + Q(in);
    for (size_t k = 0; k < 5; ++k)
      cmd += std::string(" \\( +clone ") + ops[k].first + " -type TrueColor -write " +
             Q(d / ("o" + std::to_string(k) + ".bmp")) + " +delete \\)";
    ASSERT_EQ(std::system((cmd + " null:").c_str()), 0) << cmd;
    for (size_t k = 0; k < 5; ++k) {
      Picture want;
      ASSERT_TRUE(ReadBmp((d / ("o" + std::to_string(k) + ".bmp")).string(), &want));
      const Shown got = Show(p, ops[k].second);
      ASSERT_EQ(got.width, want.Header().biWidth);
      ASSERT_EQ(got.height, want.Header().biHeight);
      const std::vector<uint8_t> rgb = ToRgb(want.info.data(), want.bits.data(), uint32_t(want.bits.size()));
      EXPECT_EQ(FirstDiff(got, got.width, rgb), "") << bits << " bits " << ops[k].first;
    }
  }
}

// Enlargement without a fine factor and the cut at 1, 4 and 8 bits and the
// region's 0xFF rows, against ImageMagick (the outputs read back through
// the program's loader).
TEST(DisplayOracle, EnlargementAndCutMatchImageMagickAtEveryDepth) {
  REQUIRE_TOOLS("convert");
  const fs::path d = Folder("enlarge");
  ASSERT_EQ(std::system(("convert -seed 5 -size 37x23 plasma: -type TrueColor " + Q(d / "s24.bmp")).c_str()), 0);
  Picture p24;
  ASSERT_TRUE(ReadBmp((d / "s24.bmp").string(), &p24));
  for (int bits : {1, 4, 8, 24}) {
    const Picture p = AtDepth(p24, bits);
    const fs::path in = d / ("s" + std::to_string(bits) + ".bmp");
    ASSERT_TRUE(WriteBmp(in.string(), p.info.data(), p.bits.data(), uint32_t(p.bits.size())));
    // Cut 4,3 - 20,30: lowered to 3,2; 17 x 28 (rows past the bottom 0xFF);
    // the first column 3 at 8 bits, 4 at the other depths.
    const int firstX = bits == 8 ? 3 : 4;
    std::string cmd = "convert " + Q(in);
    for (int m : {2, 4, 8, 16})
      cmd += " \\( +clone -sample " + std::to_string(100 * m) + "% -type TrueColor -write " +
             Q(d / ("x" + std::to_string(m) + ".bmp")) + " +delete \\)";
    cmd += " \\( +clone -crop 17x21+" + std::to_string(firstX) + "+2 +repage -type TrueColor -write " +
           Q(d / "cut.bmp") + " +delete \\) null:";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    for (int m : {2, 4, 8, 16}) {
      Picture want;
      ASSERT_TRUE(ReadBmp((d / ("x" + std::to_string(m) + ".bmp")).string(), &want));
      const Shown got = Show(p, Opts({{w::nZoomLevel, 5 + (m == 2 ? 1 : m == 4 ? 2 : m == 8 ? 3 : 4)}}));
      const std::vector<uint8_t> rgb = ToRgb(want.info.data(), want.bits.data(), uint32_t(want.bits.size()));
      ASSERT_EQ(got.width, want.Header().biWidth) << bits << " x" << m;
      ASSERT_EQ(got.height, want.Header().biHeight) << bits << " x" << m;
      EXPECT_EQ(FirstDiff(got, got.width, rgb), "") << bits << " bits x" << m;
    }
    Picture want;
    ASSERT_TRUE(ReadBmp((d / "cut.bmp").string(), &want));
    const std::vector<uint8_t> rgb = ToRgb(want.info.data(), want.bits.data(), uint32_t(want.bits.size()));
    const Shown got = Show(p, Opts({{w::nEffectStyle, 2}, {w::bNeedTransform, 1}, {w::bRegionCut, 1}}), {4, 3, 20, 30});
    ASSERT_EQ(got.width, 17) << bits;
    ASSERT_EQ(got.height, 28) << bits;
    // Rows 0-20 are the picture's rows 2-22; the rows past its bottom are white.
    Shown top = got;
    top.height = 21;
    EXPECT_EQ(FirstDiff(top, 17, rgb), "") << bits << " bits";
    for (size_t i = size_t(21) * 17 * 3; i < got.rgb.size(); ++i) ASSERT_EQ(got.rgb[i], 255) << bits << " " << i;
  }
}

double Psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  double se = 0;
  for (size_t i = 0; i < a.size(); ++i) se += double(int(a[i]) - int(b[i])) * (int(a[i]) - int(b[i]));
  return se == 0 ? 99 : 10 * std::log10(255.0 * 255.0 * double(a.size()) / se);
}

TEST(DisplayOracle, ReductionNearImageMagick) {
  REQUIRE_TOOLS("convert");
  const fs::path d = Folder("reduce");
  ASSERT_EQ(std::system(("convert -seed 8 -size 640x480 plasma: -type TrueColor " + Q(d / "p.bmp") + " && convert " + Q(d / "p.bmp") +
                         " \\( +clone " +
                         "-filter box -resize 50% -type TrueColor -write " + Q(d / "half.bmp") +
                         " +delete \\) \\( +clone -scale 25% -type TrueColor -write " + Q(d / "quarter.bmp") +
                         " +delete \\) null:")
                            .c_str()),
            0);
  Picture p, half, quarter;
  ASSERT_TRUE(ReadBmp((d / "p.bmp").string(), &p));
  ASSERT_TRUE(ReadBmp((d / "half.bmp").string(), &half));
  ASSERT_TRUE(ReadBmp((d / "quarter.bmp").string(), &quarter));
  const Shown h = Show(p, Opts({{w::nZoomLevel, 4}}));
  ASSERT_EQ(h.width, 320);
  ASSERT_EQ(h.height, 240);
  const std::vector<uint8_t> want = ToRgb(half.info.data(), half.bits.data(), uint32_t(half.bits.size()));
  int worst = 0;
  for (size_t i = 320 * 3; i < want.size(); ++i) worst = std::max(worst, std::abs(int(h.rgb[i]) - int(want[i])));
  EXPECT_LE(worst, 2);
  const Shown qt = Show(p, Opts({{w::nZoomLevel, 3}}));
  ASSERT_EQ(qt.width, 160);
  const std::vector<uint8_t> wq = ToRgb(quarter.info.data(), quarter.bits.data(), uint32_t(quarter.bits.size()));
  EXPECT_GE(Psnr(qt.rgb, wq), 30.0);
}

TEST(DisplayOracle, FilterNearImageMagick) {
  REQUIRE_TOOLS("convert");
  const fs::path d = Folder("filter");
  struct K {
    int filter;
    const char* kernel;
    bool interiorOnly;
  };
  const K kernels[] = {
      {-1, "0,1,0,1,12,1,0,1,0", false},       {-2, "0,2,0,2,8,2,0,2,0", false},
      {-3, "1,1,1,1,8,1,1,1,1", true},         {-4, "1,2,1,2,4,2,1,2,1", true},
      {-5, "1,2,1,2,2,2,2,2,2", true},         {1, "0,-1,0,-1,20,-1,0,-1,0", false},
      {2, "0,-2,0,-2,24,-2,0,-2,0", false},    {3, "0,-4,0,-4,32,-4,0,-4,0", false},
      {4, "0,-8,0,-8,48,-8,0,-8,0", false},    {5, "0,-16,0,-16,80,-16,0,-16,0", false},
  };
  // ImageMagick filters the 8-bit picture read back, as the pipeline does.
  std::string cmd = "convert -seed 9 -size 97x61 plasma: -type TrueColor " + Q(d / "p.bmp") + " && convert " +
                    Q(d / "p.bmp");
  for (const K& k : kernels)
    cmd += std::string(" \\( +clone -virtual-pixel edge -define convolve:scale=0.0625 -morphology Correlate '3x3: ") +
           k.kernel + "' -type TrueColor -write " + Q(d / ("f" + std::to_string(k.filter + 5) + ".bmp")) +
           " +delete \\)";
  ASSERT_EQ(std::system((cmd + " null:").c_str()), 0) << cmd;
  Picture p;
  ASSERT_TRUE(ReadBmp((d / "p.bmp").string(), &p));
  for (const K& k : kernels) {
    Picture want;
    ASSERT_TRUE(ReadBmp((d / ("f" + std::to_string(k.filter + 5) + ".bmp")).string(), &want));
    const std::vector<uint8_t> rgb = ToRgb(want.info.data(), want.bits.data(), uint32_t(want.bits.size()));
    const Shown got = Show(
        p, Opts({{w::nEffectStyle, 2}, {w::bNeedTransform, 1}, {w::bFilterOn, 1}, {w::nFilter, k.filter}}));
    ASSERT_EQ(got.width, 97);
    int worst = 0;
    for (int y = 0; y < 61; ++y)
      for (int x = 0; x < 97; ++x) {
        if (k.interiorOnly && (x == 0 || y == 0 || x == 96 || y == 60)) continue;
        for (int c = 0; c < 3; ++c) {
          const size_t i = (size_t(y) * 97 + x) * 3 + c;
          worst = std::max(worst, std::abs(int(got.rgb[i]) - int(rgb[i])));
        }
      }
    EXPECT_LE(worst, 1) << "nFilter " << k.filter;
  }
}

}  // namespace
