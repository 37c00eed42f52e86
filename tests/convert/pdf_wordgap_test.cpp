// The word-spacing scale of the two PDF view commands, walked press by press.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "convert/pdf_wordgap.h"

namespace {

struct Point {
  int width, td;
  const char* status;
};

TEST(PdfWordGap, WideningWalksTheScaleToItsWideEnd) {
  const std::vector<Point> presses = {
      {5, 90, "TD adjust 5"},      {5, 95, "TD adjust 10"},  {5, 100, "TD adjust 15"}, {5, 105, "TD adjust 20"},
      {5, 110, "TD adjust 25"},    {5, 115, "TD adjust 30"}, {4, 115, "width adjust 1"}, {3, 115, "width adjust 2"},
      {2, 115, "width adjust 3"},  {1, 115, "width adjust 4"},
  };
  int w = 5, td = 85;
  for (const Point& p : presses) {
    const convert::PdfWordGap g = convert::StepPdfWordGap(w, td, true);
    EXPECT_TRUE(g.changed);
    EXPECT_EQ(p.width, g.widthAdjust);
    EXPECT_EQ(p.td, g.tdAdjust);
    EXPECT_STREQ(p.status, static_cast<const char*>(g.status));
    w = g.widthAdjust;
    td = g.tdAdjust;
  }
  // The wide end: nothing moves.
  const convert::PdfWordGap end = convert::StepPdfWordGap(w, td, true);
  EXPECT_FALSE(end.changed);
  EXPECT_EQ(1, end.widthAdjust);
  EXPECT_STREQ("width adjust 4", static_cast<const char*>(end.status));
}

TEST(PdfWordGap, TighteningUndoesThenGoesToTheTightEnd) {
  int w = 1, td = 115;
  std::vector<Point> seen;
  for (int i = 0; i < 30; ++i) {
    const convert::PdfWordGap g = convert::StepPdfWordGap(w, td, false);
    if (!g.changed) break;
    w = g.widthAdjust;
    td = g.tdAdjust;
    seen.push_back({w, td, ""});
  }
  // 4 width steps back to 5, then TD from 115 down to 40 in 15 steps.
  ASSERT_EQ(19u, seen.size());
  EXPECT_EQ(5, seen[3].width);
  EXPECT_EQ(115, seen[3].td);
  EXPECT_EQ(85, seen[9].td);
  EXPECT_EQ(5, w);
  EXPECT_EQ(40, td);
  EXPECT_STREQ("TD adjust -45", static_cast<const char*>(convert::StepPdfWordGap(w, td, false).status));
}

TEST(PdfWordGap, ValuesOffTheScaleComeOntoIt) {
  struct Case {
    int w, td;
    bool widen;
    int outW, outTd;
  } cases[] = {
      {0, 85, true, 1, 90},     {9, 85, false, 5, 80},  {3, 60, true, 3, 65},  {3, 60, false, 4, 60},
      {5, 87, true, 5, 90},     {5, 200, true, 4, 115}, {5, 10, false, 5, 40},
  };
  for (const Case& c : cases) {
    const convert::PdfWordGap g = convert::StepPdfWordGap(c.w, c.td, c.widen);
    EXPECT_EQ(c.outW, g.widthAdjust) << c.w << "/" << c.td;
    EXPECT_EQ(c.outTd, g.tdAdjust) << c.w << "/" << c.td;
  }
}

}  // namespace
