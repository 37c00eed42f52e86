// The region editing's geometry and copy: the rectangle a copy takes, scan
// lines and byte spans at each bit count, the clip's header bytes, hostile
// clip headers, the per-line fill with the background, and restore's clamp
// and its 0x1F for bytes outside the undo data.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "image/edit/region_clip.h"
#include "image/edit/region_copy.h"
#include "image/edit/region_geometry.h"
#include "image/edit/region_restore.h"

namespace {

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
uint32_t Le16(const std::vector<uint8_t>& b, size_t at) { return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8; }

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

// A 40-byte info header (and a zeroed colour table behind it) as the view
// keeps it.
std::vector<uint8_t> Info(int width, int height, int bits, uint32_t used, size_t tableEntries) {
  std::vector<uint8_t> info(40 + 4 * tableEntries);
  Put32(info, 0, 40);
  Put32(info, 4, uint32_t(width));
  Put32(info, 8, uint32_t(height));
  info[12] = 1;
  info[14] = uint8_t(bits);
  Put32(info, 32, used);
  for (size_t i = 0; i < tableEntries; ++i) info[40 + 4 * i] = uint8_t(i);  // blue = index
  return info;
}

}  // namespace

TEST(RegionGeometry, CopyRectFromAnyCornerOrderAndWithoutRegion) {
  for (const CRect& r : {CRect(2, 3, 10, 7), CRect(10, 7, 2, 3), CRect(10, 3, 2, 7), CRect(2, 7, 10, 3)}) {
    const image::CopyRect c = image::PickCopyRect(r, 50, 40, 0);
    EXPECT_TRUE(c.rect.left == 2 && c.rect.top == 3 && c.rect.right == 10 && c.rect.bottom == 7);
    EXPECT_FALSE(c.wholeImage || c.storeAsRegion);
  }
  // No region (right below 0): the whole picture, made the region only when
  // nothing is being dragged.
  image::CopyRect c = image::PickCopyRect(CRect(-1, -1, -1, -1), 50, 40, 0);
  EXPECT_TRUE(c.wholeImage && c.storeAsRegion && c.rect.right == 50 && c.rect.bottom == 40 && c.rect.left == 0);
  c = image::PickCopyRect(CRect(5, 5, -1, 9), 50, 40, 1);
  EXPECT_TRUE(c.wholeImage && !c.storeAsRegion);
  // Restore takes the clip's region only with no region and a drag going on.
  CRect out;
  ASSERT_TRUE(image::PickRestoreRect(CRect(-1, -1, -1, -1), CRect(9, 8, 1, 2), 1, &out));
  EXPECT_TRUE(out.left == 1 && out.bottom == 8);
  EXPECT_FALSE(image::PickRestoreRect(CRect(-1, -1, -1, -1), CRect(9, 8, 1, 2), 0, &out));
  EXPECT_FALSE(image::PickRestoreRect(CRect(-1, -1, -1, -1), CRect(-1, -1, -1, -1), 2, &out));
}

TEST(RegionCopy, SpansAndScanLinesAtEachBitCount) {
  struct Case {
    int bits;
    int64_t left, right, stride, width;
  } cases[] = {
      {24, 6, 30, 24, 8},  // byte offsets x * 3
      {32, 8, 40, 32, 8},
      {8, 2, 10, 8, 8},    // at 8 bits and fewer the column is the offset
      {4, 2, 10, 8, 16},   // the width is the span in pixels: span x 8 / bits
      {1, 2, 10, 8, 64},
  };
  for (const Case& c : cases) {
    image::CopyPlanInput in;
    in.rect = CRect(10, 7, 2, 3);
    in.imageWidth = 20;
    in.imageHeight = 12;
    in.bits = c.bits;
    const image::CopyPlan p = image::PlanRegionCopy(in);
    ASSERT_TRUE(p.ok) << c.bits;
    EXPECT_EQ(p.lines.first, 12 - 7) << c.bits;  // bottom-up rows
    EXPECT_EQ(p.lines.end, 12 - 3) << c.bits;
    EXPECT_EQ(p.leftByte, c.left) << c.bits;
    EXPECT_EQ(p.rightByte, c.right) << c.bits;
    EXPECT_EQ(p.clip.stride, c.stride) << c.bits;
    EXPECT_EQ(p.clip.width, c.width) << c.bits;
    EXPECT_EQ(p.clip.rows, 4) << c.bits;
    EXPECT_EQ(p.clip.pixelBytes, c.stride * 4) << c.bits;
  }
  // Negative offsets become 0; the stride rounds the span up to 4.
  image::CopyPlanInput in;
  in.rect = CRect(-4, 0, 5, 2);
  in.imageWidth = 20;
  in.imageHeight = 12;
  image::CopyPlan p = image::PlanRegionCopy(in);
  EXPECT_EQ(p.leftByte, 0);
  EXPECT_EQ(p.span, 15);
  EXPECT_EQ(p.clip.stride, 16);
  EXPECT_EQ(p.clip.width, 5);
  EXPECT_EQ(p.lines.first, 10);
  EXPECT_EQ(p.lines.end, 12);
  // Pixel offset: 14 + 40 + 4 x colours, 256 for an 8-bit picture without a count.
  in.bits = 8;
  EXPECT_EQ(image::PlanRegionCopy(in).clip.pixelOffset, 14 + 40 + 1024);
  in.bits = 4;
  in.coloursUsed = 5;
  EXPECT_EQ(image::PlanRegionCopy(in).clip.pixelOffset, 14 + 40 + 20);
}

TEST(RegionCopy, HugeRegionsAreRefusedNotWrapped) {
  image::CopyPlanInput in;
  in.imageWidth = 100;
  in.imageHeight = 100;
  in.rect = CRect(0, -2000000000, 2000000000, 2000000000);  // rows x stride past 2^63 / 2^32
  EXPECT_FALSE(image::PlanRegionCopy(in).ok);
  in.rect = CRect(-2147483647, 0, 2147483647, 1);  // one row of 6 GB
  EXPECT_FALSE(image::PlanRegionCopy(in).ok);
  in.rect = CRect(0, 0, 100, 100);
  in.infoSize = 1990;  // header and table past the 2000 bytes the view keeps
  in.bits = 8;
  EXPECT_FALSE(image::PlanRegionCopy(in).ok);
  in.infoSize = 40;
  EXPECT_TRUE(image::PlanRegionCopy(in).ok);
}

TEST(RegionClip, HeaderBytesOfACopy) {
  image::CopyPlanInput in;
  in.rect = CRect(1, 1, 4, 3);
  in.imageWidth = 6;
  in.imageHeight = 5;
  in.bits = 8;
  const image::CopyPlan p = image::PlanRegionCopy(in);
  ASSERT_TRUE(p.ok);
  std::vector<uint8_t> info = Info(6, 5, 8, 0, 256);
  info[40 + 4 * 7 + 1] = 0xAB;  // a mark in the colour table
  Put32(info, 20, 999);         // the picture's own size of image
  std::vector<uint8_t> clip(size_t(p.clipBufferBytes), 0xEE);
  ASSERT_TRUE(image::WriteClipHeader(p.clip, info.data(), info.size(), clip.data(), clip.size()));
  EXPECT_EQ(clip[0], 'B');
  EXPECT_EQ(clip[1], 'M');
  EXPECT_EQ(Le32(clip, 2), 1078u + 8u);  // offset of rows + pixel bytes (stride 4 x 2 rows)
  EXPECT_EQ(Le32(clip, 6), 0u);
  EXPECT_EQ(Le16(clip, 10), 1078u);
  EXPECT_EQ(Le16(clip, 12), 0u);
  EXPECT_EQ(Le32(clip, 14), 40u);
  EXPECT_EQ(Le32(clip, 18), 3u * 8 / 8);  // width = span x 8 / bits
  EXPECT_EQ(Le32(clip, 22), 2u);          // rows
  EXPECT_EQ(Le16(clip, 26), 1u);
  EXPECT_EQ(Le16(clip, 28), 8u);
  EXPECT_EQ(Le32(clip, 34), 8u);          // size of image
  EXPECT_EQ(Le32(clip, 46), 0u);          // colours used
  EXPECT_EQ(clip[54 + 4 * 7 + 1], 0xAB);  // colour table copied
  EXPECT_EQ(clip[1078], 0xEE);            // the rows are not the header's

  // Too small a clip or too short an info: nothing written.
  std::vector<uint8_t> small(1077, 0xEE);
  EXPECT_FALSE(image::WriteClipHeader(p.clip, info.data(), info.size(), small.data(), small.size()));
  EXPECT_EQ(small[0], 0xEE);
  EXPECT_FALSE(image::WriteClipHeader(p.clip, info.data(), 100, clip.data(), clip.size()));

  // The reader takes back what the writer wrote.
  const image::ClipReadResult back = image::ReadClipLayout(clip.data(), size_t(p.clip.FileBytes()));
  ASSERT_TRUE(back.ok()) << image::ClipErrorText(back.error);
  EXPECT_EQ(back.layout.width, 3);
  EXPECT_EQ(back.layout.rows, 2);
  EXPECT_EQ(back.layout.stride, 4);
  EXPECT_EQ(back.layout.pixelOffset, 1078);
  EXPECT_EQ(back.layout.colours, 256);
}

TEST(RegionClip, HostileHeadersAreRefused) {
  // A good 24-bit clip of 3 x 2 pixels: rows of 12 bytes.
  std::vector<uint8_t> good(54 + 24);
  good[0] = 'B';
  good[1] = 'M';
  good[10] = 54;
  Put32(good, 14, 40);
  Put32(good, 18, 3);
  Put32(good, 22, 2);
  good[26] = 1;
  good[28] = 24;
  ASSERT_TRUE(image::ReadClipLayout(good.data(), good.size()).ok());

  struct Case {
    const char* what;
    size_t at;
    uint32_t value;
    int width;  // 4 or 2 bytes written
    image::ClipError error;
  } cases[] = {
      {"no signature", 0, 'X', 1, image::ClipError::kNotBitmap},
      {"rows past the end", 22, 3, 4, image::ClipError::kTruncated},
      {"width past the end", 18, 0x7FFFFFFF, 4, image::ClipError::kTruncated},
      {"2^31 rows", 22, 0x7FFFFFFF, 4, image::ClipError::kTruncated},
      {"row offset past the end", 10, 100, 2, image::ClipError::kTruncated},
      {"row offset past the header room", 10, 2015, 2, image::ClipError::kBadHeader},
      {"row offset inside the header", 10, 20, 2, image::ClipError::kBadHeader},
      {"info size past 2000", 14, 0xFFFFFFF0, 4, image::ClipError::kBadHeader},
      {"info size below 40", 14, 12, 4, image::ClipError::kBadHeader},
      {"negative width", 18, 0xFFFFFFFD, 4, image::ClipError::kBadSize},
      {"top-down rows", 22, 0xFFFFFFFE, 4, image::ClipError::kBadSize},
      {"bit count 0", 28, 0, 2, image::ClipError::kBadBits},
      {"bit count 7", 28, 7, 2, image::ClipError::kBadBits},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bad = good;
    for (int i = 0; i < c.width; ++i) bad[c.at + i] = uint8_t(c.value >> (8 * i));
    const image::ClipReadResult r = image::ReadClipLayout(bad.data(), bad.size());
    EXPECT_EQ(r.error, c.error) << c.what;
    EXPECT_STRNE(image::ClipErrorText(r.error), "") << c.what;
  }
  // A colour count past the rows' offset is cut to the room before them.
  std::vector<uint8_t> table = good;
  Put32(table, 46, 200);
  table[10] = 54 + 8;
  const image::ClipReadResult cut = image::ReadClipLayout(table.data(), table.size() + 0);
  EXPECT_EQ(cut.error, image::ClipError::kTruncated);  // the rows now end past the buffer
  table.resize(table.size() + 8);
  ASSERT_TRUE(image::ReadClipLayout(table.data(), table.size()).ok());
  EXPECT_EQ(image::ReadClipLayout(table.data(), table.size()).layout.colours, 2);

  for (size_t n = 0; n < good.size(); ++n)
    EXPECT_FALSE(image::ReadClipLayout(good.data(), n).ok()) << n << " bytes";
}

TEST(RegionRestore, ClampAt15000AndOutsideUndoData) {
  // 24 bits, a region from pixel 4000 to 6000: bytes 12000 .. 18000 clamped to 15000.
  const image::RestorePlan p = image::PlanRegionRestore(CRect(6000, 1, 4000, 0), 2, 24);
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.left, 12000);
  EXPECT_EQ(p.right, 15000);
  EXPECT_EQ(p.span, 3000);
  EXPECT_EQ(p.lines.first, 1);
  std::vector<uint8_t> row(18004, 0x55);
  std::vector<uint8_t> undo(1000);
  for (size_t i = 0; i < undo.size(); ++i) undo[i] = uint8_t(i % 200);
  image::RestoreLine(p, 1, row.data(), row.size(), undo.data(), undo.size());
  EXPECT_EQ(row[11999], 0x55);
  EXPECT_EQ(row[12000], 0);
  EXPECT_EQ(row[12999], 999 % 200);
  EXPECT_EQ(row[13000], image::kUndoOutsideByte);  // read position past the undo data
  EXPECT_EQ(row[14999], 0x1F);
  EXPECT_EQ(row[15000], 0x55);  // right part lost to the clamp
  image::RestoreLine(p, 0, row.data(), row.size(), undo.data(), undo.size());  // not a region line
  EXPECT_EQ(row[0], 0x55);

  // Left of 0: consumed, not written; at 8 bits the column is the offset.
  const image::RestorePlan q = image::PlanRegionRestore(CRect(-2, 0, 5, 2), 2, 8);
  EXPECT_EQ(q.left, -2);
  EXPECT_EQ(q.span, 8);
  std::vector<uint8_t> line(8, 0xAA);
  const uint8_t u[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  image::RestoreLine(q, 1, line.data(), line.size(), u, sizeof u);  // second line: undo bytes 8..15
  EXPECT_EQ(image::RestoreUndoOffset(q, 1), 8);
  const std::vector<uint8_t> want = {11, 12, 13, 14, 15, 16, 0xAA, 0xAA};
  EXPECT_EQ(line, want);
  EXPECT_FALSE(image::PlanRegionRestore(CRect(0, 0, 5, 2), 2, 4).ok);  // below 8 bits: nothing
}
