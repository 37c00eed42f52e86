// The metafile sizes: the placeable key, the enhanced frame, the reductions
// and the zoom resolution, with the broken headers that used to divide by
// zero, run backwards or wrap.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "image/load/image_record.h"
#include "image/view/metafile_size.h"

namespace {

constexpr uint64_t kLimit = 83886080;  // the two default memory settings

std::vector<uint8_t> Placeable(int16_t left, int16_t top, uint16_t right, uint16_t bottom, uint32_t unitsPerInch) {
  std::vector<uint8_t> b(64, 0);
  img::PutLe32(b.data(), 0x9AC6CDD7u);
  auto put16 = [&](size_t at, uint16_t v) { b[at] = uint8_t(v); b[at + 1] = uint8_t(v >> 8); };
  put16(6, uint16_t(left));
  put16(8, uint16_t(top));
  put16(10, right);
  put16(12, bottom);
  img::PutLe32(b.data() + 14, unitsPerInch);
  return b;
}

img::EnhancedFrame Frame(int32_t w001mm, int32_t h001mm, int32_t devX, int32_t devY, int32_t mmX, int32_t mmY) {
  img::EnhancedFrame f;
  f.right = w001mm;
  f.bottom = h001mm;
  f.deviceX = devX;
  f.deviceY = devY;
  f.millimetresX = mmX;
  f.millimetresY = mmY;
  return f;
}

}  // namespace

TEST(MetafileSize, PlaceableKeyAt96Point2PerInch) {
  auto b = Placeable(0, 0, 2880, 1440, 1440);
  const img::WinMetafileStart s = img::ReadWinMetafileStart(b.data(), b.size());
  EXPECT_TRUE(s.placeable);
  EXPECT_EQ(s.width, 192);
  EXPECT_EQ(s.height, 96);
  EXPECT_EQ(s.offset, 22u);
  EXPECT_TRUE(s.passFrame);
  // The byte at offset 35 keeps the frame from the conversion.
  b[35] = 1;
  EXPECT_FALSE(img::ReadWinMetafileStart(b.data(), b.size()).passFrame);
  // A flat box below 100 pixels wide gets a height of 2.
  b = Placeable(0, 0, 720, 0, 1440);
  const img::WinMetafileStart flat = img::ReadWinMetafileStart(b.data(), b.size());
  EXPECT_EQ(flat.width, 48);
  EXPECT_EQ(flat.height, 2);
  // Left is signed, right unsigned: -100 .. 65000 is one wide box.
  b = Placeable(-100, 0, 65000, 1440, 1440);
  EXPECT_EQ(img::ReadWinMetafileStart(b.data(), b.size()).width, (65000 + 100) * 962 / 14400);
}

TEST(MetafileSize, BrokenPlaceableKeysGiveTheDefaultSize) {
  // No key at all.
  std::vector<uint8_t> plain(64, 0);
  img::WinMetafileStart s = img::ReadWinMetafileStart(plain.data(), plain.size());
  EXPECT_FALSE(s.placeable);
  EXPECT_EQ(s.offset, 0u);
  EXPECT_EQ(s.width, 100);
  EXPECT_EQ(s.height, 60);
  // Units per inch 0 (used to divide by zero), boxes running backwards and
  // a box of width 0 above the flat rule: the default size, records still
  // after the key.
  for (auto b : {Placeable(0, 0, 2880, 1440, 0), Placeable(3000, 0, 2880, 1440, 1440),
                 Placeable(0, 2000, 2880, 1440, 1440), Placeable(0, 0, 0, 20000, 1440)}) {
    s = img::ReadWinMetafileStart(b.data(), b.size());
    EXPECT_TRUE(s.placeable);
    EXPECT_EQ(s.offset, 22u);
    EXPECT_EQ(s.width, 100);
    EXPECT_EQ(s.height, 60);
  }
  // The units per inch are 32 bits: the reserved word is the high half.
  auto big = Placeable(0, 0, 2880, 1440, 0x00010000u);
  s = img::ReadWinMetafileStart(big.data(), big.size());
  EXPECT_EQ(s.width, 4);  // 2880 x 962 / 655360
  // Short input is no key.
  EXPECT_FALSE(img::ReadWinMetafileStart(big.data(), 21).placeable);
  EXPECT_FALSE(img::ReadWinMetafileStart(nullptr, 0).placeable);
}

TEST(MetafileSize, EnhancedFrameAndItsBrokenForms) {
  int64_t w = 0, h = 0;
  // 1000 x 800 pixels on a reference of 320 x 240 mm at 1280 x 960 pixels:
  // frame = 250 x 200 mm.
  img::EnhancedMetafileSize(Frame(25000, 20000, 1280, 960, 320, 240), &w, &h);
  EXPECT_EQ(w, 1001);
  EXPECT_EQ(h, 801);
  // Millimetres of 0 (used to divide by zero), a frame running backwards,
  // a negative device: the default size.
  for (const auto& f : {Frame(100000, 80000, 1280, 960, 0, 240), Frame(100000, 80000, 1280, 960, 320, 0),
                        Frame(-100000, 80000, 1280, 960, 320, 240), Frame(100000, 80000, -1280, 960, 320, 240)}) {
    img::EnhancedMetafileSize(f, &w, &h);
    EXPECT_EQ(w, 100);
    EXPECT_EQ(h, 60);
  }
  // Extreme fields: no overflow, a size that is then refused.
  img::EnhancedFrame f = Frame(INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, 1, 1);
  f.left = f.top = INT32_MIN;
  img::EnhancedMetafileSize(f, &w, &h);
  EXPECT_GT(w, 0);
  EXPECT_GT(h, 0);
  EXPECT_TRUE(img::PlanMetafileBitmap(w, h, false, 5, kLimit).tooLarge);
  // The header's own byte positions.
  std::vector<uint8_t> hdr(88, 0);
  img::PutLe32(hdr.data() + 32, 5000);
  img::PutLe32(hdr.data() + 36, 2500);
  img::PutLe32(hdr.data() + 72, 1000);
  img::PutLe32(hdr.data() + 76, 1000);
  img::PutLe32(hdr.data() + 80, 250);
  img::PutLe32(hdr.data() + 84, 250);
  img::EnhancedFrame r;
  ASSERT_TRUE(img::ReadEnhancedFrame(hdr.data(), hdr.size(), &r));
  EXPECT_FALSE(img::ReadEnhancedFrame(hdr.data(), 87, &r));
  img::EnhancedMetafileSize(r, &w, &h);
  EXPECT_EQ(w, 201);
  EXPECT_EQ(h, 101);
}

TEST(MetafileSize, ReductionsZoomAndLimit) {
  img::MetafileBitmap b = img::PlanMetafileBitmap(6000, 4000, false, 5, kLimit);
  EXPECT_EQ(b.reduce, 2);
  EXPECT_EQ(b.width, 3000);
  EXPECT_EQ(b.height, 2000);
  EXPECT_EQ(b.stride, 9000u);
  EXPECT_EQ(b.imageSize, 18000000u);
  EXPECT_FALSE(b.tooLarge);
  b = img::PlanMetafileBitmap(8000, 6000, false, 5, kLimit);
  EXPECT_EQ(b.reduce, 8);
  EXPECT_EQ(b.width, 1000);
  EXPECT_EQ(b.height, 750);
  b = img::PlanMetafileBitmap(5000, 4000, false, 5, kLimit);  // exactly 20,000,000: kept
  EXPECT_EQ(b.reduce, 1);
  // The zoom resolution only while the view feeds its own keys.
  b = img::PlanMetafileBitmap(1000, 800, true, 4, kLimit);
  EXPECT_EQ(b.width, 500);
  EXPECT_EQ(b.height, 400);
  EXPECT_EQ(b.zoomLevel, 5);
  EXPECT_TRUE(b.zoomApplied);
  b = img::PlanMetafileBitmap(1000, 800, false, 4, kLimit);
  EXPECT_EQ(b.width, 1000);
  EXPECT_EQ(b.zoomLevel, 4);
  EXPECT_FALSE(b.zoomApplied);
  b = img::PlanMetafileBitmap(100, 399, true, 8, kLimit);
  EXPECT_EQ(b.width, 800);
  EXPECT_EQ(b.height, 3192);
  b = img::PlanMetafileBitmap(100, 400, true, 8, kLimit);  // above the height limit: as it is
  EXPECT_EQ(b.height, 400);
  EXPECT_EQ(b.zoomLevel, 8);
  b = img::PlanMetafileBitmap(10, 10, true, 1, kLimit);  // never below one pixel
  EXPECT_EQ(b.width, 1);
  EXPECT_EQ(b.height, 1);
  // Height 0 becomes 1; a picture wider than the settings allow is refused.
  EXPECT_EQ(img::PlanMetafileBitmap(10, 0, false, 5, kLimit).height, 1);
  EXPECT_TRUE(img::PlanMetafileBitmap(200000, 399, true, 8, kLimit).tooLarge);
  EXPECT_TRUE(img::PlanMetafileBitmap(4000, 4000, false, 5, 1000000).tooLarge);
}

TEST(MetafileSize, EnhancedByNameInAnyCaseOrBySignature) {
  EXPECT_TRUE(img::IsEnhancedMetafile("C:\\a\\pic.emf", nullptr, 0));
  EXPECT_TRUE(img::IsEnhancedMetafile("C:\\a\\PIC.EMF", nullptr, 0));
  EXPECT_TRUE(img::IsEnhancedMetafile("pic.Emf", nullptr, 0));
  EXPECT_FALSE(img::IsEnhancedMetafile("pic.wmf", nullptr, 0));
  std::vector<uint8_t> head(88, 0);
  std::memcpy(head.data() + 40, " EMF", 4);
  EXPECT_TRUE(img::IsEnhancedMetafile("pic.wmf", head.data(), head.size()));
  EXPECT_FALSE(img::IsEnhancedMetafile("pic.wmf", head.data(), 43));
  EXPECT_FALSE(img::IsEnhancedMetafile("", nullptr, 0));
}
