// The region's files: the writer's format by the name's ending, the kinds a
// picture can be inserted from, and the clip built from an inserted BMP of
// any depth (hostile headers refused, 4-bit rows widened through the table).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "image/edit/figure_tools.h"
#include "image/edit/region_files.h"
#include "image/load/image_record.h"

namespace {

// A BMP of w x h at `bits` with `colours` table entries; the table entry i
// is (i, 2 i, 3 i) and every pixel byte is `fill`.
std::vector<uint8_t> Bmp(int w, int h, int bits, int colours, uint8_t fill) {
  const int stride = ((w * bits + 31) / 32) * 4;
  const int offset = 54 + 4 * colours;
  std::vector<uint8_t> b(static_cast<size_t>(offset + stride * h), fill);
  std::memset(b.data(), 0, static_cast<size_t>(offset));
  b[0] = 'B';
  b[1] = 'M';
  img::PutLe32(b.data() + 2, static_cast<uint32_t>(b.size()));
  img::PutLe32(b.data() + 10, static_cast<uint32_t>(offset));
  img::DibHeader hd;
  hd.biWidth = w;
  hd.biHeight = h;
  hd.biBitCount = static_cast<uint16_t>(bits);
  hd.biClrUsed = static_cast<uint32_t>(colours);
  img::WriteDibHeader(b.data() + 14, hd);
  for (int i = 0; i < colours; ++i) {
    b[54 + 4 * i] = static_cast<uint8_t>(i);
    b[54 + 4 * i + 1] = static_cast<uint8_t>(2 * i);
    b[54 + 4 * i + 2] = static_cast<uint8_t>(3 * i);
  }
  return b;
}

TEST(RegionFiles, TheNamesEndingChoosesTheWriter) {
  EXPECT_EQ(image::RegionSaveFormat("a.jpg"), 7);   // JPEG, quality selector 2
  EXPECT_EQ(image::RegionSaveFormat("a.JPEG"), 8);  // JPEG, quality selector 3
  EXPECT_EQ(image::RegionSaveFormat("a.Png"), 5);
  EXPECT_EQ(image::RegionSaveFormat("a.bmz"), 4);
  EXPECT_EQ(image::RegionSaveFormat("a.bmp"), 0);
  EXPECT_EQ(image::RegionSaveFormat("a.gif"), 0);   // any other: a BMP
  EXPECT_EQ(image::RegionSaveFormat("jpg"), 0);
  for (int kind : {12, 13, 14, 15, 16, 22}) EXPECT_TRUE(image::InsertableKind(kind)) << kind;
  for (int kind : {0, 11, 17, 21, 27, 28}) EXPECT_FALSE(image::InsertableKind(kind)) << kind;
}

TEST(RegionFiles, AFourBitPictureBecomesA24BitClip) {
  std::vector<uint8_t> bmp = Bmp(3, 2, 4, 16, 0x12);  // pixels 1, 2, 1 on each row
  const image::InsertPlan p = image::PlanInsertClip(bmp.data(), bmp.size());
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.width, 3);
  EXPECT_EQ(p.height, 2);
  EXPECT_EQ(p.clipBytes, 54 + 12 * 2);
  std::vector<uint8_t> clip(static_cast<size_t>(p.clipBytes));
  ASSERT_FALSE(image::BuildInsertClip(p, bmp.data(), bmp.size(), clip.data(), clip.size() - 1));
  ASSERT_TRUE(image::BuildInsertClip(p, bmp.data(), bmp.size(), clip.data(), clip.size()));
  EXPECT_EQ(clip[0], 'B');
  EXPECT_EQ(img::GetLe32(clip.data() + 2), 54u + 24u);
  EXPECT_EQ(img::GetLe32(clip.data() + 10), 54u);
  const img::DibHeader h = img::ReadDibHeader(clip.data() + 14);
  EXPECT_EQ(h.biBitCount, 24);
  EXPECT_EQ(h.biSizeImage, 24u);
  EXPECT_EQ(h.biClrUsed, 0u);
  const std::vector<uint8_t> row(clip.begin() + 54, clip.begin() + 54 + 9);
  EXPECT_EQ(row, (std::vector<uint8_t>{1, 2, 3, 2, 4, 6, 1, 2, 3}));
  // A 24-bit picture is taken as it is.
  bmp = Bmp(2, 2, 24, 0, 77);
  const image::InsertPlan q = image::PlanInsertClip(bmp.data(), bmp.size());
  ASSERT_TRUE(q.ok);
  std::vector<uint8_t> out(static_cast<size_t>(q.clipBytes));
  ASSERT_TRUE(image::BuildInsertClip(q, bmp.data(), bmp.size(), out.data(), out.size()));
  EXPECT_EQ(std::vector<uint8_t>(out.begin() + 54, out.end()), std::vector<uint8_t>(bmp.begin() + 54, bmp.end()));
}

TEST(RegionFiles, HostileHeadersAreRefused) {
  const std::vector<uint8_t> good = Bmp(4, 4, 8, 256, 5);
  ASSERT_TRUE(image::PlanInsertClip(good.data(), good.size()).ok);
  auto refused = [&](auto change) {
    std::vector<uint8_t> b = good;
    change(b);
    return !image::PlanInsertClip(b.data(), b.size()).ok;
  };
  EXPECT_TRUE(refused([](std::vector<uint8_t>& b) { b[0] = 'X'; }));
  EXPECT_TRUE(refused([](std::vector<uint8_t>& b) { img::PutLe32(b.data() + 22, 0xFFFFFFFFu); }));  // top-down
  EXPECT_TRUE(refused([](std::vector<uint8_t>& b) { img::PutLe32(b.data() + 18, 0x7FFFFFFF); }));   // too wide
  EXPECT_TRUE(refused([](std::vector<uint8_t>& b) { b[28] = 7; }));                                 // 7 bits
  EXPECT_TRUE(refused([](std::vector<uint8_t>& b) { b[30] = 1; }));                                 // RLE
  EXPECT_TRUE(refused([](std::vector<uint8_t>& b) { img::PutLe32(b.data() + 10, 0xFFFFFF00u); }));  // rows past
  EXPECT_TRUE(refused([](std::vector<uint8_t>& b) { img::PutLe32(b.data() + 10, 20); }));           // in the header
  EXPECT_TRUE(refused([](std::vector<uint8_t>& b) { img::PutLe32(b.data() + 14, 0xFFFFFFF0u); }));  // header size
  // Every truncation of the rows is refused, never read past.
  for (size_t n = 0; n < good.size(); ++n) EXPECT_FALSE(image::PlanInsertClip(good.data(), n).ok) << n;
}

}  // namespace

namespace {

TEST(FigureTools, TheLineStyleAndFillKindStepAndShowTheirValues) {
  int style = 0;
  std::vector<int> seen;
  for (int i = 0; i < 8; ++i) seen.push_back(style = image::NextLineStyle(style));
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4, 5, 6, 0, 1}));
  EXPECT_EQ(image::NextLineStyle(-3), 0);
  EXPECT_EQ(image::NextLineStyle(99), 0);
  EXPECT_EQ(image::LineStyleCaption(3), "線種 3");
  int fill = 0;
  seen.clear();
  for (int i = 0; i < 5; ++i) seen.push_back(fill = image::NextFillKind(fill));
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 11, 0, 1}));
  EXPECT_EQ(image::NextFillKind(7), 0);
  EXPECT_NE(image::FillKindCaption(11), image::FillKindCaption(2));
  EXPECT_EQ(image::FillKindCaption(7), image::FillKindCaption(0));
}

}  // namespace
