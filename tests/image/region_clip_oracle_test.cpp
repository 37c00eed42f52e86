// A copied clip is a BMP file other programs read: Pillow opens the clip of
// a region partly outside a 24-bit picture, and of an 8-bit picture with its
// colour table, and sees the region's pixels with the background outside.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "image/edit/region_clip.h"
#include "image/edit/region_copy.h"
#include "support/outside_tool.h"

namespace fs = std::filesystem;

namespace {

const char* kPython = "/usr/bin/python3";

// What Pillow sees in the file: "w h" then "r,g,b" of every pixel, top row first.
std::string PillowPixels(const fs::path& file) {
  const std::string cmd = std::string(kPython) +
                          " -c \"import sys; from PIL import Image; im = Image.open(sys.argv[1]).convert('RGB'); "
                          "print(im.size[0], im.size[1]); print(' '.join('%d,%d,%d' % p for p in im.getdata()))\" '" +
                          file.string() + "' 2>&1";
  return testsupport::RunCapture(cmd);
}

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

// Copies `rect` of a picture (rows bottom-up, `stride` bytes each) into a
// clip file and returns its bytes.
std::vector<uint8_t> CopyClip(const CRect& rect, int w, int h, int bits, const std::vector<uint8_t>& rows,
                              size_t stride, const std::vector<uint8_t>& info, uint32_t back) {
  image::CopyPlanInput in;
  in.rect = rect;
  in.imageWidth = w;
  in.imageHeight = h;
  in.bits = bits;
  const image::CopyPlan p = image::PlanRegionCopy(in);
  EXPECT_TRUE(p.ok);
  std::vector<uint8_t> clip(size_t(p.clipBufferBytes));
  EXPECT_TRUE(image::WriteClipHeader(p.clip, info.data(), info.size(), clip.data(), clip.size()));
  for (int64_t line = p.lines.first; line < p.lines.end; ++line) {
    const bool read = line >= 0 && line < h;
    image::CopyClipRow(p, line, read ? rows.data() + line * stride : nullptr, read ? stride : 0, back,
                       clip.data() + image::ClipRowOffset(p, line), size_t(p.clip.stride));
  }
  clip.resize(size_t(p.clip.FileBytes()));
  return clip;
}

fs::path WriteTemp(const std::string& name, const std::vector<uint8_t>& bytes) {
  const fs::path dir = fs::path(TABRYE_BIN_ROOT) / "region_clip_oracle";
  fs::create_directories(dir);
  const fs::path file = dir / name;
  std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return file;
}

}  // namespace

TEST(RegionClipOracle, PillowReadsA24BitClipWithBackground) {
  if (!fs::exists(kPython)) GTEST_SKIP() << "no " << kPython;
  const int w = 7, h = 5;
  const size_t stride = 24;  // 21 bytes rounded up
  std::vector<uint8_t> rows(stride * h);
  auto colour = [](int x, int yTop, int c) { return uint8_t(x * 30 + yTop * 7 + c * 50); };
  for (int yTop = 0; yTop < h; ++yTop)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c) rows[(h - 1 - yTop) * stride + x * 3 + c] = colour(x, yTop, c);
  std::vector<uint8_t> info(40);
  Put32(info, 0, 40);
  const uint32_t back = 0x00C8B4A0;  // red 160, green 180, blue 200
  const CRect rect(3, -1, 9, 3);     // two columns right of the picture, one row above it
  const fs::path file = WriteTemp("clip24.bmp", CopyClip(rect, w, h, 24, rows, stride, info, back));

  std::ostringstream want;
  want << "6 4\n";
  for (int y = -1; y < 3; ++y)
    for (int x = 3; x < 9; ++x) {
      const bool inside = x < w && y >= 0;
      if (x != 3 || y != -1) want << ' ';
      if (inside)
        want << int(colour(x, y, 2)) << ',' << int(colour(x, y, 1)) << ',' << int(colour(x, y, 0));
      else
        want << "160,180,200";
    }
  want << '\n';
  EXPECT_EQ(PillowPixels(file), want.str());
}

TEST(RegionClipOracle, PillowReadsAn8BitClipThroughItsColourTable) {
  if (!fs::exists(kPython)) GTEST_SKIP() << "no " << kPython;
  const int w = 6, h = 3;
  const size_t stride = 8;
  std::vector<uint8_t> rows(stride * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) rows[y * stride + x] = uint8_t(y * w + x);  // scan line y
  std::vector<uint8_t> info(40 + 4 * 256);
  Put32(info, 0, 40);
  info[14] = 8;
  for (int i = 0; i < 256; ++i) {
    info[40 + 4 * i] = uint8_t(i);           // blue
    info[40 + 4 * i + 1] = uint8_t(255 - i); // green
    info[40 + 4 * i + 2] = uint8_t(i * 3);   // red
  }
  const fs::path file = WriteTemp("clip8.bmp", CopyClip(CRect(1, 0, 5, 2), w, h, 8, rows, stride, info, 0));
  // Region rows top-down: scan line 2 then 1; columns 1-4.
  std::ostringstream want;
  want << "4 2\n";
  bool first = true;
  for (int line = 2; line >= 1; --line)
    for (int x = 1; x < 5; ++x) {
      const int i = line * w + x;
      want << (first ? "" : " ") << (i * 3 % 256) << ',' << (255 - i) << ',' << i;
      first = false;
    }
  want << '\n';
  EXPECT_EQ(PillowPixels(file), want.str());
}
