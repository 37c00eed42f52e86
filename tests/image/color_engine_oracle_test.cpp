// The colour engine against outside tools: ImageMagick's -negate for the
// inversion and colour option -2, its -fx on the channel sum for the tone
// thresholds and on the channel mean for the grey switch, Pillow's inversion
// of a palette picture for the table walk, and the hue code and distance
// written again in Python (color_hue_reference.py).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "image/load/dib_convert.h"
#include "image/load/image_record.h"
#include "image/load/image_size.h"
#include "image/view/color_engine.h"
#include "support/outside_tool.h"

namespace fs = std::filesystem;
namespace cw = img::colorword;

namespace {

const char* kPillowPython = "/usr/bin/python3";
const std::string kHueScript = TABRYE_TEST_ROOT "/tests/image/color_hue_reference.py";

fs::path Folder(const char* name) {
  fs::path d = fs::path(TABRYE_BIN_ROOT) / "color_oracles" / name;
  fs::remove_all(d);
  fs::create_directories(d);
  return d;
}

std::vector<uint8_t> ReadAll(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

void WriteAll(const fs::path& p, const std::vector<uint8_t>& b) {
  std::ofstream f(p, std::ios::binary);
  f.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

void RunShell(const std::string& cmd) { ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd; }

// A picture as ImageMagick's raw RGB bytes (top row first) and as DIB rows.
struct Raw {
  int w, h;
  std::vector<uint8_t> rgb;
};

std::vector<uint8_t> ToDib(const Raw& r) {
  const uint64_t stride = img::DibStride(uint32_t(r.w), 24);
  std::vector<uint8_t> d(stride * uint64_t(r.h), 0);
  for (int y = 0; y < r.h; ++y)
    for (int x = 0; x < r.w; ++x) {
      const uint8_t* s = &r.rgb[(size_t(y) * r.w + x) * 3];
      uint8_t* o = &d[uint64_t(r.h - 1 - y) * stride + uint64_t(x) * 3];
      o[0] = s[2], o[1] = s[1], o[2] = s[0];
    }
  return d;
}

std::vector<uint8_t> FromDib(const std::vector<uint8_t>& d, int w, int h) {
  const uint64_t stride = img::DibStride(uint32_t(w), 24);
  std::vector<uint8_t> rgb(size_t(w) * h * 3);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint8_t* s = &d[uint64_t(h - 1 - y) * stride + uint64_t(x) * 3];
      uint8_t* o = &rgb[(size_t(y) * w + x) * 3];
      o[0] = s[2], o[1] = s[1], o[2] = s[0];
    }
  return rgb;
}

// The engine over a raw picture, answering raw RGB.
std::vector<uint8_t> Engine(const Raw& r, const img::ImageViewOptions& o) {
  std::vector<uint8_t> info(img::kInfoArea, 0);
  img::DibHeader hd;
  hd.biWidth = r.w;
  hd.biHeight = r.h;
  hd.biBitCount = 24;
  img::WriteDibHeader(info.data(), hd);
  std::vector<uint8_t> src = ToDib(r), dst(src.size());
  img::PixelStep s{src.data(), dst.data(), info.data(), uint32_t(src.size()), uint32_t(dst.size())};
  EXPECT_EQ(img::ApplyColorEffects(s, o, {}, 40), 1);
  return FromDib(dst, r.w, r.h);
}

struct Source {
  const char* make;  // ImageMagick's picture
  int w, h;
};
const Source kSources[] = {
    {"-seed 1 -size 37x23 plasma:", 37, 23},
    {"-seed 2 -size 64x48 plasma:", 64, 48},
    {"-seed 3 -size 1x1 plasma:", 1, 1},
    {"-seed 4 -size 17x5 plasma:fuchsia-green", 17, 5},
    {"-size 31x9 gradient:red-blue", 31, 9},
    {"rose:", 70, 46},
};

Raw Make(const fs::path& d, const Source& s, const char* name) {
  const fs::path p = d / name;
  RunShell(std::string("convert ") + s.make + " -depth 8 rgb:'" + p.string() + "'");
  return {s.w, s.h, ReadAll(p)};
}

std::vector<uint8_t> Convert(const fs::path& d, const Raw& r, const std::string& ops) {
  const fs::path in = d / "conv_in.rgb", out = d / "conv_out.rgb";
  WriteAll(in, r.rgb);
  const std::string size = std::to_string(r.w) + "x" + std::to_string(r.h);
  RunShell("convert -size " + size + " -depth 8 rgb:'" + in.string() + "' " + ops + " -depth 8 rgb:'" + out.string() + "'");
  return ReadAll(out);
}

int MaxDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  if (a.size() != b.size()) return 1000;
  int m = 0;
  for (size_t i = 0; i < a.size(); ++i) m = std::max(m, std::abs(int(a[i]) - int(b[i])));
  return m;
}

}  // namespace

TEST(ColorEngineOracle, InversionIsNegate) {
  REQUIRE_TOOLS("convert");
  const fs::path d = Folder("negate");
  for (const Source& s : kSources) {
    const Raw r = Make(d, s, "in.rgb");
    ASSERT_EQ(r.rgb.size(), size_t(s.w) * s.h * 3) << s.make;
    const std::vector<uint8_t> want = Convert(d, r, "-negate");
    img::ImageViewOptions all;
    all[cw::bApplyAll] = 1;
    all[cw::bInvert] = 1;
    EXPECT_EQ(Engine(r, all), want) << s.make;
    img::ImageViewOptions option;
    option[img::word::nColorOption] = -2;
    EXPECT_EQ(Engine(r, option), want) << s.make;
  }
}

TEST(ColorEngineOracle, ToneThresholdsAreChannelSumTests) {
  REQUIRE_TOOLS("convert");
  const fs::path d = Folder("threshold");
  for (const Source& s : kSources) {
    const Raw r = Make(d, s, "in.rgb");
    for (int level = 6; level <= 15; ++level) {
      const int t = img::kToneThreshold[level - 6];
      const std::vector<uint8_t> want = Convert(d, r, "-fx '(r+g+b)*255 > " + std::to_string(t) + ".5 ? 1 : 0'");
      img::ImageViewOptions o;
      o[cw::bApplyAll] = 1;
      o[cw::bTone] = 1;
      o[cw::nToneLevel] = level;
      EXPECT_EQ(Engine(r, o), want) << s.make << " level " << level;
    }
  }
}

TEST(ColorEngineOracle, GreyIsChannelMean) {
  REQUIRE_TOOLS("convert");
  const fs::path d = Folder("grey");
  for (const Source& s : kSources) {
    const Raw r = Make(d, s, "in.rgb");
    const std::vector<uint8_t> want = Convert(d, r, "-fx '(r+g+b)/3'");
    img::ImageViewOptions o;
    o[cw::bApplyAll] = 1;
    o[cw::bGrey] = 1;
    EXPECT_LE(MaxDifference(Engine(r, o), want), 1) << s.make;
  }
}

// A random palette picture made by Pillow: its table inverted by the engine
// and widened to 24 bits is Pillow's inversion of its RGB form.
TEST(ColorEngineOracle, PaletteInversionMatchesPillow) {
  if (!fs::exists(kPillowPython)) GTEST_SKIP() << "no " << kPillowPython;
  const fs::path d = Folder("palette");
  for (int seed : {1, 2, 3}) {
    const int w = 5 + seed * 4, h = 3 + seed;
    RunShell(std::string(kPillowPython) + " '" + kHueScript + "' palette '" + d.string() + "' " + std::to_string(w) + " " +
        std::to_string(h) + " " + std::to_string(seed));
    const std::vector<uint8_t> idx = ReadAll(d / "pal.idx"), pal = ReadAll(d / "pal.pal"), inv = ReadAll(d / "pal.inv");
    ASSERT_EQ(idx.size(), size_t(w * h));
    ASSERT_EQ(pal.size(), 768u);
    std::vector<uint8_t> info(img::kInfoArea, 0);
    img::DibHeader hd;
    hd.biWidth = w;
    hd.biHeight = h;
    hd.biBitCount = 8;
    img::WriteDibHeader(info.data(), hd);
    for (int i = 0; i < 256; ++i)
      info[40 + 4 * i] = pal[3 * i + 2], info[41 + 4 * i] = pal[3 * i + 1], info[42 + 4 * i] = pal[3 * i];
    const uint64_t stride = img::DibStride(uint32_t(w), 8);
    std::vector<uint8_t> rows(stride * h, 0);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) rows[uint64_t(h - 1 - y) * stride + x] = idx[size_t(y) * w + x];
    const std::vector<uint8_t> rowsBefore = rows;
    img::ImageViewOptions o;
    o[cw::bApplyAll] = 1;
    o[cw::bInvert] = 1;
    img::PixelStep s;
    s.src = rows.data();
    s.info = info.data();
    ASSERT_EQ(img::ApplyColorEffects(s, o, {}, 40 + 1024), 0);
    EXPECT_EQ(rows, rowsBefore);
    std::vector<uint8_t> wide(img::DibStride(uint32_t(w), 24) * h + 16);
    ASSERT_GE(img::ConvertDibPixels(rows.data(), wide.data(), info.data(), uint32_t(rows.size()), uint32_t(wide.size())),
              3u);
    EXPECT_EQ(FromDib(wide, w, h), inv) << "seed " << seed;
  }
}

TEST(ColorEngineOracle, HueCodesMatchReference) {
  REQUIRE_TOOLS("python3");
  std::istringstream lines(testsupport::RunCapture("python3 '" + kHueScript + "' codes"));
  int r, g, b, code, n = 0;
  while (lines >> r >> g >> b >> code) {
    ASSERT_EQ(img::ColorHueCode(r, g, b), code) << r << " " << g << " " << b;
    ++n;
  }
  EXPECT_GT(n, 140000);
}

TEST(ColorEngineOracle, HueDistancesMatchReference) {
  REQUIRE_TOOLS("python3");
  std::istringstream lines(testsupport::RunCapture("python3 '" + kHueScript + "' distances"));
  int a, c, dist, n = 0;
  while (lines >> a >> c >> dist) {
    ASSERT_EQ(img::HueDistance(a, c), dist) << a << " " << c;
    ++n;
  }
  EXPECT_GT(n, 5000);
}
