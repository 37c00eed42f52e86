// The tone curves: the table read against the curves' rows (knee, slopes)
// for every value and level, and the four meeting points worked by hand.
#include <gtest/gtest.h>

#include "image/view/tone_curve.h"

namespace {

// One curve as its row reads: below `low` one segment, from `low` to `high`
// (both included) the middle segment, above `high` the last.
int32_t FromRow(int32_t level, int32_t v) {
  const int32_t h = v >> 1;
  struct Row {
    int32_t level, low, high;
  };
  static const Row sCurves[] = {{-3, 16, 144}, {-2, 32, 160}, {-1, 48, 176}, {1, 64, 192}, {2, 80, 208}, {3, 96, 224}};
  int32_t r;
  if (level == -5) {
    r = v + v;
  } else if (level == -4) {
    r = v <= 127 ? v + h : h + 128;
  } else if (level == 4) {
    r = v < 128 ? h : v + h - 128;
  } else {
    r = v < 128 ? 0 : v + v - 255;
    for (const Row& row : sCurves)
      if (row.level == level) r = v < row.low ? h : v <= row.high ? v + h - row.low : h + 128;
  }
  return r > 255 ? 255 : r;
}

}  // namespace

TEST(ToneCurve, EveryValueOfEveryLevel) {
  for (int32_t level = -8; level <= 8; ++level)
    for (int32_t v = 0; v < 256; ++v) {
      ASSERT_EQ(img::ToneCurveValue(v, level), FromRow(level, v)) << "level " << level << " value " << v;
      ASSERT_EQ(img::ToneCurveFormula(v, level), FromRow(level, v)) << "level " << level << " value " << v;
    }
  for (int32_t level : {-1000000, 5, 6, 15, 2147483647, -2147483647 - 1})
    for (int32_t v = 0; v < 256; ++v) ASSERT_EQ(img::ToneCurveValue(v, level), FromRow(0, v)) << level;
}

TEST(ToneCurve, MeetingPointsAndEnds) {
  struct Case {
    int32_t level, value, want;
  } cases[] = {
      {-3, 144, 200}, {-3, 145, 200}, {4, 255, 254}, {-5, 200, 255}, {0, 127, 0},  {0, 200, 145},
      {-4, 127, 190}, {-4, 128, 192}, {3, 95, 47},   {3, 96, 48},  {3, 224, 240}, {3, 225, 240},   {-5, 127, 254}, {1, 255, 255},
      // Values outside 0..255 are taken at the nearest end.
      {-5, -7, 0},    {0, 300, 255},  {4, 1000, 254},
  };
  for (const Case& c : cases) EXPECT_EQ(img::ToneCurveValue(c.value, c.level), c.want) << c.level << " " << c.value;
}
