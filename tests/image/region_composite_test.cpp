// The compositing engine on 24-bit pictures held in plain buffers: a paste
// lands at the region and restore puts the original back byte for byte;
// clear, the key colour, the near-white rule, the paste offset's source
// start, the sizes and the undo bytes for positions left of the picture.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "image/edit/region_composite.h"
#include "image/edit/region_paint.h"
#include "image/edit/region_restore.h"

namespace {

using image::CompositeInput;
using image::CompositePlan;
using image::CompositeSizes;

// A 24-bit picture, rows bottom-up, each padded to 4 bytes.
struct Picture {
  int w, h;
  int64_t stride;
  std::vector<uint8_t> bytes;
  Picture(int width, int height, uint32_t seed) : w(width), h(height), stride((int64_t(width) * 3 + 3) / 4 * 4) {
    bytes.resize(size_t(stride * h));
    std::mt19937 rng(seed);
    for (uint8_t& b : bytes) b = uint8_t(rng());
  }
  uint8_t* Line(int y) { return bytes.data() + y * stride; }
  // Byte c (0 blue, 1 green, 2 red) of pixel (x, y), y counted from the top.
  uint8_t At(int x, int yTop, int c) const { return bytes[size_t((h - 1 - yTop) * stride + x * 3 + c)]; }
};

// A clip or working copy: 54 header bytes, then w x h pixels bottom-up.
std::vector<uint8_t> Source(int w, int h, uint32_t seed) {
  std::vector<uint8_t> s(size_t(54 + (int64_t(w) * 3 + 3) / 4 * 4 * h));
  std::mt19937 rng(seed);
  for (size_t i = 54; i < s.size(); ++i) s[i] = uint8_t(rng());
  s[0] = 'B';
  s[1] = 'M';
  return s;
}
uint8_t SourceAt(const std::vector<uint8_t>& s, int w, int h, int x, int yTop, int c) {
  return s[size_t(54 + (h - 1 - yTop) * ((int64_t(w) * 3 + 3) / 4 * 4) + x * 3 + c)];
}

CompositeSizes Sizes(int mode, const CRect& region, const CRect& clipRect, const Picture& pic, int dragState = 0) {
  image::CompositeSizeInput s;
  s.mode = mode == image::kCompositeKeyPaste ? image::kCompositeOffsetPaste : mode;
  s.region = region;
  s.clipRect = clipRect;
  s.dragState = dragState;
  s.imageWidth = pic.w;
  s.imageHeight = pic.h;
  return image::PlanCompositeSizes(s);
}

CompositePlan Plan(int mode, const CompositeSizes& sizes, const Picture& pic, size_t sourceSize,
                   CPoint offset = CPoint(), int dragState = 0, int frame = 0) {
  CompositeInput in;
  in.mode = mode;
  in.imageHeight = pic.h;
  in.sizes = sizes;
  in.pasteOffset = offset;
  in.sourceLimit = int64_t(sourceSize);
  in.background = 0x00102030;  // red 0x30, green 0x20, blue 0x10
  in.dragState = dragState;
  in.labelFrame = frame;
  return image::PlanComposite(in);
}

void CompositeAll(const CompositePlan& p, Picture& pic, const std::vector<uint8_t>& src, std::vector<uint8_t>& undo) {
  for (int y = 0; y < pic.h; ++y)
    image::CompositeLine(p, y, pic.Line(y), size_t(pic.stride), src.data(), src.size(), undo.data(), undo.size());
}

void RestoreAll(const CRect& region, Picture& pic, const std::vector<uint8_t>& undo) {
  const image::RestorePlan r = image::PlanRegionRestore(region, pic.h, 24);
  for (int y = 0; y < pic.h; ++y) image::RestoreLine(r, y, pic.Line(y), size_t(pic.stride), undo.data(), undo.size());
}

}  // namespace

TEST(RegionComposite, PasteLandsAtTheRegionAndRestoreGivesItBack) {
  Picture pic(9, 7, 1);
  const Picture before = pic;
  const std::vector<uint8_t> clip = Source(3, 2, 2);
  const CRect region(5, 3, 2, 1);  // any corner order
  const CompositeSizes sizes = Sizes(image::kCompositePaste, region, CRect(0, 0, 3, 2), pic);
  ASSERT_TRUE(sizes.ok);
  EXPECT_FALSE(sizes.rescale);
  const CompositePlan p = Plan(image::kCompositePaste, sizes, pic, clip.size());
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.undoBytes, 2 * 12);
  std::vector<uint8_t> undo(size_t(p.undoBytes));
  CompositeAll(p, pic, clip, undo);
  for (int y = 0; y < pic.h; ++y)
    for (int x = 0; x < pic.w; ++x)
      for (int c = 0; c < 3; ++c) {
        const bool inside = x >= 2 && x < 5 && y >= 1 && y < 3;
        const uint8_t want = inside ? SourceAt(clip, 3, 2, x - 2, y - 1, c) : before.At(x, y, c);
        ASSERT_EQ(pic.At(x, y, c), want) << x << "," << y << "," << c;
      }
  RestoreAll(region, pic, undo);
  EXPECT_EQ(pic.bytes, before.bytes);
}

TEST(RegionComposite, RoundTripsForRegionsPartlyOutsideAndEverySavingMode) {
  const CRect regions[] = {CRect(-2, -1, 3, 4), CRect(6, 5, 12, 9), CRect(0, 0, 10, 8), CRect(4, -3, 1, 11)};
  const int modes[] = {image::kCompositePaste, image::kCompositeSaveOnly, image::kCompositeOffsetPaste,
                       image::kCompositeKeyPaste, image::kCompositeFill};
  uint32_t seed = 10;
  for (const CRect& region : regions)
    for (int mode : modes)
      for (int drag : {0, 2}) {
        Picture pic(10, 8, ++seed);
        const Picture before = pic;
        const CRect clipRect(0, 0, 4, 3);
        const CompositeSizes sizes = Sizes(mode, region, clipRect, pic, drag);
        const int sw = sizes.rescale ? int(sizes.targetWidth) : 4, sh = sizes.rescale ? int(sizes.targetHeight) : 3;
        const std::vector<uint8_t> src = Source(sw, sh, ++seed);
        const CompositePlan p = Plan(mode, sizes, pic, src.size(), CPoint(1, -1), drag, 8);
        ASSERT_TRUE(p.ok);
        std::vector<uint8_t> undo(size_t(p.undoBytes));
        CompositeAll(p, pic, src, undo);
        if (mode == image::kCompositeSaveOnly) {
          EXPECT_EQ(pic.bytes, before.bytes);
        } else {
          EXPECT_NE(pic.bytes, before.bytes);
        }
        RestoreAll(region, pic, undo);
        EXPECT_EQ(pic.bytes, before.bytes) << region.left << "," << region.top << " mode " << mode << " drag " << drag;
      }
}

TEST(RegionComposite, ClearWritesTheBackgroundOrTheClearByte) {
  Picture pic(6, 4, 3);
  const Picture before = pic;
  const CRect region(1, 1, 4, 3);
  const CompositeSizes sizes = Sizes(image::kCompositeClear, region, CRect(0, 0, 3, 2), pic);
  CompositePlan p = Plan(image::kCompositeClear, sizes, pic, 0);
  EXPECT_EQ(p.undoBytes, 0);
  for (int y = 0; y < pic.h; ++y)
    image::CompositeLine(p, y, pic.Line(y), size_t(pic.stride), nullptr, 0, nullptr, 0);
  const uint8_t bgr[3] = {0x10, 0x20, 0x30};
  for (int y = 0; y < pic.h; ++y)
    for (int x = 0; x < pic.w; ++x)
      for (int c = 0; c < 3; ++c) {
        const bool inside = x >= 1 && x < 4 && y >= 1 && y < 3;
        ASSERT_EQ(pic.At(x, y, c), inside ? bgr[c] : before.At(x, y, c)) << x << "," << y;
      }
  // A picture loaded at 8 bits: every byte of the region is the clear byte,
  // the index of the first palette entry equal to the background.
  uint8_t table[4 * 4] = {0, 0, 0, 0, 0x10, 0x20, 0x31, 0, 0x10, 0x20, 0x30, 0, 0x10, 0x20, 0x30, 0};
  EXPECT_EQ(image::ClearIndexByte(8, table, sizeof table, 4, 0x00102030), 2);
  EXPECT_EQ(image::ClearIndexByte(8, table, sizeof table, 2, 0x00102030), 0);   // not among the colours
  EXPECT_EQ(image::ClearIndexByte(8, table, 8, 256, 0x00102030), 0);            // table shorter than the count
  EXPECT_EQ(image::ClearIndexByte(4, table, sizeof table, 4, 0x00102030), 0);
  CompositeInput in;
  in.mode = image::kCompositeClear;
  in.imageHeight = pic.h;
  in.sizes = sizes;
  in.loaded24 = false;
  in.clearByte = 2;
  p = image::PlanComposite(in);
  image::CompositeLine(p, 2, pic.Line(2), size_t(pic.stride), nullptr, 0, nullptr, 0);
  for (int i = 3; i < 12; ++i) EXPECT_EQ(pic.Line(2)[i], 2);
  EXPECT_EQ(pic.Line(2)[12], before.bytes[size_t(2 * pic.stride + 12)]);
}

TEST(RegionComposite, KeyColourShadowAndNearWhite) {
  EXPECT_EQ(image::LabelKeyColour(0x00000000), 0x00030201u);
  EXPECT_EQ(image::LabelKeyColour(0x00FFFEFD), 0x00FCFCFEu);  // passing 255: minus instead
  const uint32_t key = image::LabelKeyColour(0x00102030);

  // One row of 3 pixels: key colour, near white, ordinary.
  Picture pic(3, 1, 4);
  std::vector<uint8_t> src = Source(3, 1, 5);
  const uint8_t px[3][3] = {{uint8_t(key >> 16), uint8_t(key >> 8), uint8_t(key)}, {200, 250, 255}, {200, 199, 255}};
  for (int i = 0; i < 3; ++i)
    for (int c = 0; c < 3; ++c) src[size_t(54 + 3 * i + c)] = px[i][c];
  const CRect region(0, 0, 3, 1);

  struct Case {
    int mode, drag, frame;
    const char* what;
    int expect[3];  // 0 left alone, 1 source, 2 halved
  } cases[] = {
      {image::kCompositePaste, 0, 0, "plain paste", {1, 1, 1}},
      {image::kCompositePaste, 2, 0, "drag 2 keys", {0, 1, 1}},
      {image::kCompositePaste, 2, 18, "frame 18 shadows", {2, 1, 1}},
      {image::kCompositeLabel, 0, 8, "label frame 8", {2, 1, 1}},
      {image::kCompositeKeyPaste, 0, 0, "near white left out", {1, 0, 1}},
  };
  for (const Case& c : cases) {
    Picture p = pic;
    const CompositeSizes sizes = Sizes(c.mode, region, CRect(0, 0, 3, 1), p, c.drag);
    const CompositePlan plan = Plan(c.mode, sizes, p, src.size(), CPoint(), c.drag, c.frame);
    std::vector<uint8_t> undo(size_t(plan.undoBytes));
    CompositeAll(plan, p, src, undo);
    for (int i = 0; i < 3; ++i)
      for (int b = 0; b < 3; ++b) {
        const uint8_t old = pic.bytes[size_t(3 * i + b)];
        const uint8_t want = c.expect[i] == 0 ? old : c.expect[i] == 1 ? px[i][b] : uint8_t(old / 2);
        EXPECT_EQ(p.bytes[size_t(3 * i + b)], want) << c.what << " pixel " << i;
      }
  }
}

TEST(RegionComposite, PasteOffsetSourceStart) {
  Picture pic(12, 10, 6);
  const CompositeSizes sizes = Sizes(image::kCompositeOffsetPaste, CRect(0, 0, 10, 5), CRect(0, 0, 10, 8), pic);
  EXPECT_FALSE(sizes.rescale);  // the offset paste keeps the clip's size
  // Clip stride 32; the clip's top meets the region's top (8 - 5 rows up),
  // one row back for y = 1, 2 pixels on for x = 2.
  CompositePlan p = Plan(image::kCompositeOffsetPaste, sizes, pic, 1000, CPoint(2, 1));
  EXPECT_EQ(p.sourceStart, 54 + (8 - 5 - 1) * 32 + 6);
  EXPECT_EQ(p.sourceAdvance, 32);
  EXPECT_EQ(p.sourceRowBytes, 30 - 6);
  EXPECT_EQ(p.firstWrite, 0);
  p = Plan(image::kCompositeOffsetPaste, sizes, pic, 1000, CPoint(-1, 0));
  EXPECT_EQ(p.sourceStart, 54 + 3 * 32 - 3);
  EXPECT_EQ(p.firstWrite, 3);  // a negative x moves the first written byte right

  // With x = -1 the block lands one pixel right: column 0 keeps its bytes.
  const std::vector<uint8_t> clip = Source(10, 8, 7);
  const Picture before = pic;
  std::vector<uint8_t> undo(size_t(p.undoBytes));
  CompositeAll(p, pic, clip, undo);
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(pic.At(0, 0, c), before.At(0, 0, c));
    EXPECT_EQ(pic.At(1, 0, c), SourceAt(clip, 10, 8, 0, 0, c));
    EXPECT_EQ(pic.At(9, 4, c), SourceAt(clip, 10, 8, 8, 4, c));
  }

  // The lowest region line below 0: line 0 reads the source rows after it.
  const CompositeSizes low = Sizes(image::kCompositePaste, CRect(0, 5, 3, 12), CRect(0, 0, 3, 7), pic);
  const CompositePlan q = Plan(image::kCompositePaste, low, pic, 1000);
  EXPECT_EQ(q.lines.first, -2);
  EXPECT_EQ(image::CompositeSourceRow(q, 0), 54 + 2 * 12);
  EXPECT_EQ(image::CompositeUndoOffset(q, 0), 0);
  EXPECT_EQ(image::CompositeUndoOffset(q, -1), -1);
}

TEST(RegionComposite, OutsideTheClipIsBackgroundAndUndoMarksLeftOfRow) {
  // An offset paste of a 2 x 1 clip into a 3 x 2 region: the other cells
  // take the background.
  Picture pic(4, 3, 8);
  const std::vector<uint8_t> clip = Source(2, 1, 9);
  const CRect region(-1, 0, 3, 2);
  const CompositeSizes sizes = Sizes(image::kCompositeOffsetPaste, region, CRect(0, 0, 2, 1), pic);
  const CompositePlan p = Plan(image::kCompositeOffsetPaste, sizes, pic, clip.size());
  std::vector<uint8_t> undo(size_t(p.undoBytes), 0xEE);
  CompositeAll(p, pic, clip, undo);
  const uint8_t bgr[3] = {0x10, 0x20, 0x30};
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(pic.At(0, 0, c), SourceAt(clip, 2, 1, 1, 0, c));  // the clip's top row at the top
    EXPECT_EQ(pic.At(1, 0, c), bgr[c]);                         // past the clip's row
    EXPECT_EQ(pic.At(0, 1, c), bgr[c]);                         // below the clip's rows
  }
  // Undo bytes of pixel -1 are 0x7F; the undo buffer ends where it ends.
  EXPECT_EQ(undo[0], image::kUndoLeftOfRowByte);
  EXPECT_EQ(undo[2], 0x7F);
  std::vector<uint8_t> small(5, 0xEE);
  Picture again(4, 3, 8);
  const Picture orig = again;
  CompositeAll(p, again, clip, small);  // never written past its 5 bytes (ASan in the fuzz tree)
  EXPECT_EQ(small[3], orig.bytes[size_t(orig.stride * 1)]);
  EXPECT_EQ(small[4], orig.bytes[size_t(orig.stride * 1 + 1)]);
  EXPECT_EQ(image::SelModeAfterComposite(2), 4);
  EXPECT_EQ(image::SelModeAfterComposite(4), 4);
  EXPECT_EQ(image::SelModeAfterComposite(0), 1);
  EXPECT_EQ(image::SelModeAfterComposite(3), 1);
}

TEST(RegionComposite, SizesRescaleAndWorkingCopy) {
  image::CompositeSizeInput s;
  s.region = CRect(10, 10, 17, 30);  // 7 x 20, as the clip
  s.clipRect = CRect(0, 0, 7, 20);
  s.imageWidth = 50;
  s.imageHeight = 40;
  CompositeSizes z = image::PlanCompositeSizes(s);
  EXPECT_TRUE(z.targetStride == 24 && !z.rescale && !z.workCopy && z.workBytes == 100);
  s.rotation = 1;  // crosswise: 20 x 7, stride (20 x 24 + 31) / 8 = 63 -> 60
  z = image::PlanCompositeSizes(s);
  EXPECT_TRUE(z.targetWidth == 20 && z.targetStride == 60 && z.rescale && z.workCopy);
  EXPECT_TRUE(z.workBytes == 60 * 7 && z.workBufferBytes == 60 * 7 + 10000);
  s.mode = image::kCompositeRotate;  // mode 10 is crosswise at rotations 0 and 2
  EXPECT_EQ(image::PlanCompositeSizes(s).targetWidth, 7);
  s.mode = image::kCompositeOffsetPaste;
  s.rotation = 0;
  s.clipRect = CRect(0, 0, 3, 3);
  EXPECT_FALSE(image::PlanCompositeSizes(s).rescale);  // never rescaled
  s.mode = image::kCompositePaste;
  s.clipRect = CRect(7, 20, 0, 0);
  s.dragState = 2;  // always rescaled while dragging
  EXPECT_TRUE(image::PlanCompositeSizes(s).rescale);
  s.region = CRect(-1, -1, -1, -1);  // no region, drag state 1: the whole picture both ways
  s.dragState = 1;
  z = image::PlanCompositeSizes(s);
  EXPECT_TRUE(z.region.right == 50 && z.clipHeight == 40 && !z.rescale);
  s.region = CRect(0, -2000000000, 2000000000, 2000000000);  // too large for memory
  s.dragState = 0;
  EXPECT_FALSE(image::PlanCompositeSizes(s).ok);
}

TEST(RegionPaint, ModesChooseTheFillThePenOrTheFloodFill) {
  image::RegionPaintInput in;
  in.width = 30;
  in.height = 20;
  in.cursor = CPoint(4, 7);
  in.mode = image::kCompositeFill;
  image::RegionPaintPlan p = image::PlanRegionPaint(in);
  EXPECT_EQ(p.kind, image::RegionPaintKind::kFillRect);
  EXPECT_EQ(p.rect, CRect(0, 0, 30, 20));
  // The pen: one pixel at size 0, a 2 x 2 dot at size 1, a square from 2.
  in.mode = image::kCompositePaint;
  in.shapeKind = 11;
  p = image::PlanRegionPaint(in);
  ASSERT_EQ(p.kind, image::RegionPaintKind::kPenPixels);
  EXPECT_EQ(p.pixelCount, 1);
  in.lineStyle = 1;
  p = image::PlanRegionPaint(in);
  ASSERT_EQ(p.pixelCount, 4);
  EXPECT_EQ(p.pixels[3], CPoint(5, 8));
  in.lineStyle = 3;
  p = image::PlanRegionPaint(in);
  EXPECT_EQ(p.kind, image::RegionPaintKind::kPenSquare);
  EXPECT_EQ(p.rect, CRect(4, 7, 7, 10));
  // Other figures flood-fill: to the border colour with tool 11.
  in.shapeKind = 0;
  in.mode = image::kCompositePaint2;
  EXPECT_EQ(image::PlanRegionPaint(in).kind, image::RegionPaintKind::kFloodSurface);
  in.imageTool = 11;
  EXPECT_EQ(image::PlanRegionPaint(in).kind, image::RegionPaintKind::kFloodBorder);
  EXPECT_EQ(image::PlanRegionPaint(in).at, CPoint(4, 7));
  // The other modes paint nothing; extreme sizes do not overflow.
  in.mode = image::kCompositePaste;
  EXPECT_EQ(image::PlanRegionPaint(in).kind, image::RegionPaintKind::kNone);
  in.mode = image::kCompositePaint;
  in.shapeKind = 11;
  in.lineStyle = INT32_MAX;
  in.cursor = CPoint(INT32_MAX, INT32_MAX);
  EXPECT_EQ(image::PlanRegionPaint(in).kind, image::RegionPaintKind::kPenSquare);  // no overflow (UBSan)
}
