// The loaders against Pillow's decode of pictures made by Pillow and
// ImageMagick (image_oracle.py applies the loader's own rules to Pillow's
// pixels), and the PNG writer's files checked by Pillow and zlib.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "image/load/dib_convert.h"
#include "image/load/image_dispatch.h"
#include "image/write/dib_reduce.h"
#include "image/write/png_write.h"
#include "image_test_host.h"
#include "support/outside_tool.h"

namespace fs = std::filesystem;
using namespace imgtest;

namespace {

const char* kPython = "/usr/bin/python3";

fs::path Folder(const char* name) {
  fs::path d = fs::path(TABRYE_BIN_ROOT) / "image_oracles" / name;
  fs::remove_all(d);
  fs::create_directories(d);
  return d;
}

std::vector<uint8_t> ReadAll(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

std::string RunTool(const std::string& cmd, int* rc) {
  std::string out;
  FILE* p = popen(cmd.c_str(), "r");
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  *rc = pclose(p);
  return out;
}

int KindOf(const fs::path& p) {
  const std::string e = p.extension().string();
  return e == ".png" ? img::kKindPng : e == ".gif" ? img::kKindGif : e == ".tif" ? img::kKindTiff : img::kKindBmp;
}

TEST(ImageOracle, LoadersMatchPillow) {
  if (!fs::exists(kPython)) GTEST_SKIP() << "no " << kPython;
  REQUIRE_TOOLS("convert");
  const fs::path d = Folder("load");
  const std::string cmd = std::string(kPython) + " '" TABRYE_TEST_ROOT "/tests/image/image_oracle.py' make '" +
                          d.string() + "'";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
  int checked = 0;
  for (const auto& e : fs::directory_iterator(d)) {
    if (e.path().extension() != ".expect") continue;
    const fs::path pic = e.path().parent_path() / e.path().stem();
    std::vector<uint8_t> want = ReadAll(e.path());
    const auto nl = std::find(want.begin(), want.end(), '\n');
    std::istringstream head(std::string(want.begin(), nl));
    uint32_t bits, w, h, colours;
    head >> bits >> w >> h >> colours;
    const std::vector<uint8_t> table(nl + 1, nl + 1 + 4 * colours);
    const std::vector<uint8_t> rows(nl + 1 + 4 * colours, want.end());
    Record rec;
    RecordingHost host;
    img::LoadRequest req;
    req.kind = KindOf(pic);
    const img::LoadOutcome o = img::LoadImageFile(rec, host, pic.string(), req);
    ASSERT_EQ(o.result, 0) << pic;
    EXPECT_EQ(rec.Header().biBitCount, bits) << pic;
    EXPECT_EQ(uint32_t(rec.m_nLoadWidth), w) << pic;
    EXPECT_EQ(uint32_t(rec.m_nLoadHeight), h) << pic;
    ASSERT_EQ(rec.m_nLoadDataSize, rows.size()) << pic;
    size_t diff = 0;
    while (diff < rows.size() && rec.m_pLoadBits[diff] == rows[diff]) ++diff;
    EXPECT_EQ(diff, rows.size()) << pic << " first difference " << int(rec.m_pLoadBits[diff]) << " "
                                 << int(rows[diff < rows.size() ? diff : 0]) << " w " << rec.m_nLoadWidth;
    if (colours) {
      EXPECT_EQ(rec.m_nLoadInfoSize, 40 + 4 * colours) << pic;
      EXPECT_EQ(0, std::memcmp(rec.m_bmiLoad + 40, table.data(), table.size())) << pic;
    }
    ++checked;
  }
  EXPECT_GE(checked, 29 + 23);
}

// Bitmaps (Pillow at 1, 4, 8, 24 bits, widths 1, 3, 5, 10; ImageMagick's
// 16-bit 5-5-5 and 5-6-5 and its default V5 headers at 24 and 32 bits): the
// record converted to 24 bits equals Pillow's pixels (16 bits: the
// loader's channel rule applied to the stored pixels).
TEST(ImageOracle, BitmapsMatchPillow) {
  if (!fs::exists(kPython)) GTEST_SKIP() << "no " << kPython;
  REQUIRE_TOOLS("convert");
  const fs::path d = Folder("bmp");
  const std::string cmd = std::string(kPython) + " '" TABRYE_TEST_ROOT "/tests/image/image_oracle.py' make '" +
                          d.string() + "'";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
  int checked = 0;
  for (const auto& e : fs::directory_iterator(d)) {
    if (e.path().extension() != ".expect24") continue;
    const fs::path pic = e.path().parent_path() / e.path().stem();
    std::vector<uint8_t> want = ReadAll(e.path());
    const auto nl = std::find(want.begin(), want.end(), '\n');
    const std::vector<uint8_t> rows(nl + 1, want.end());
    Record rec;
    RecordingHost host;
    img::LoadRequest req;
    req.kind = img::kKindBmp;
    ASSERT_EQ(img::LoadImageFile(rec, host, pic.string(), req).result, 0) << pic;
    EXPECT_EQ(rec.Header().biSize, 40u) << pic;
    std::vector<uint8_t> got(rows.size() + 16);
    uint8_t info[img::kInfoArea];
    std::memcpy(info, rec.m_bmiLoad, sizeof info);
    if (rec.Header().biBitCount == 24)
      got.assign(rec.m_pLoadBits, rec.m_pLoadBits + rec.m_nLoadDataSize);
    else
      img::ConvertDibPixels(rec.m_pLoadBits, got.data(), info, rec.m_nLoadDataSize, uint32_t(got.size()));
    got.resize(rows.size());
    size_t diff = 0;
    while (diff < rows.size() && got[diff] == rows[diff]) ++diff;
    EXPECT_EQ(diff, rows.size()) << pic << " first difference";
    ++checked;
  }
  EXPECT_GE(checked, 21);
}

// A greyscale cjpeg file clears the colour option and says "Jpeg 1 color".
TEST(ImageOracle, GreyscaleJpegFromCjpeg) {
  REQUIRE_TOOLS("cjpeg", "convert");
  const fs::path d = Folder("jpeg");
  const std::string cmd = "convert -size 16x8 gradient: '" + (d / "g.pgm").string() + "' && cjpeg -grayscale '" +
                          (d / "g.pgm").string() + "' > '" + (d / "g.jpg").string() + "'";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  Record rec;
  RecordingHost host;
  img::LoadRequest req;
  req.kind = img::kKindJpeg;
  req.option = 1;
  ASSERT_EQ(img::LoadImageFile(rec, host, (d / "g.jpg").string(), req).result, 0);
  EXPECT_EQ(host.LastStatus(), "Jpeg 1 color");
  EXPECT_EQ(rec.m_aImageSettings[img::kColorOption], 0u);
  EXPECT_EQ(rec.Header().biBitCount, 24);
}

// Writes the DIB at each depth and lets Pillow and zlib judge the file.
TEST(ImageOracle, PngWriterFilesPassPillowAndZlib) {
  if (!fs::exists(kPython)) GTEST_SKIP() << "no " << kPython;
  const fs::path d = Folder("write");
  const uint32_t w = 9, h = 5;
  std::vector<uint8_t> px24(Stride(w, 24) * h);
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x) {
      uint8_t* p = px24.data() + y * Stride(w, 24) + 3 * x;
      p[0] = uint8_t(x * 30);
      p[1] = uint8_t(y * 60);
      p[2] = uint8_t(255 - x * 20);
    }
  for (uint32_t bits : {24u, 8u, 4u, 1u}) {
    uint8_t info[img::kInfoArea] = {};
    img::DibHeader hd;
    hd.biWidth = int32_t(w);
    hd.biHeight = int32_t(h);
    hd.biBitCount = 24;
    hd.biSizeImage = uint32_t(px24.size());
    img::WriteDibHeader(info, hd);
    std::vector<uint8_t> px = px24;
    if (bits != 24) {
      px.assign(Stride(w, bits) * h, 0);
      ASSERT_GT(img::ReduceDib24(px24.data(), px.data(), info, bits, int32_t(px24.size()), int32_t(px.size())), 0);
    }
    const fs::path out = d / ("w" + std::to_string(bits) + ".png");
    RecordingWriteHost host;
    const uint32_t n = img::WritePngFile(host, px.data(), info, out.string());
    ASSERT_GT(n, 0u);
    EXPECT_EQ(fs::file_size(out), n);
    int rc = 0;
    const std::string text =
        RunTool(std::string(kPython) + " '" TABRYE_TEST_ROOT "/tests/image/image_oracle.py' check '" + out.string() + "'",
            &rc);
    ASSERT_EQ(rc, 0) << text;
    std::istringstream in(text);
    uint32_t gw, gh, pal;
    std::string mode;
    in >> gw >> gh >> mode >> pal;
    EXPECT_EQ(gw, w);
    EXPECT_EQ(gh, h);
    EXPECT_EQ(pal, bits == 24 ? 0u : 1u << bits);
    for (uint32_t y = 0; y < h; ++y) {
      std::string hex;
      in >> hex;
      const uint8_t* s = px24.data() + (h - 1 - y) * Stride(w, 24);
      for (uint32_t x = 0; x < w; ++x) {
        const uint8_t* p = s + 3 * x;
        if (bits == 24) {
          EXPECT_EQ(std::stoul(hex.substr(6 * x, 6), nullptr, 16), uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]);
        } else {
          const uint32_t idx = std::stoul(hex.substr(2 * x, 2), nullptr, 16);
          const uint32_t want = bits == 8 ? img::Reduce8(p[0], p[1], p[2])
                                : bits == 4 ? img::Reduce4(p[0], p[1], p[2])
                                            : img::Reduce1(p[0], p[1], p[2]);
          EXPECT_EQ(idx, want) << bits << " " << x << "," << y;
        }
      }
    }
  }
}

}  // namespace
