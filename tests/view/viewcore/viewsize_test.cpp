#include "view/viewcore/viewsize.h"

#include <gtest/gtest.h>

#include "view/viewcore/statustext.h"

namespace {

using namespace viewcore;

TEST(ViewSize, FontHeightAndIndexChoice) {
  EXPECT_EQ(FontHeightTwips(1), 120);
  EXPECT_EQ(FontHeightTwips(5), 240);
  EXPECT_EQ(FontHeightTwips(11), 420);
  EXPECT_EQ(FontHeightTwips(0), 120);
  EXPECT_EQ(FontHeightTwips(40), 420);
  SizeIndexes s;
  s.text = 2;
  s.table = 7;
  for (int kind : {3, 33, 36}) EXPECT_EQ(DisplayFontHeightTwips(s, kind, 0), 300) << kind;
  EXPECT_EQ(DisplayFontHeightTwips(s, 9, 0), 150);
  EXPECT_EQ(DisplayFontHeightTwips(s, 9, 1), 300);  // a source form uses the table index
  EXPECT_EQ(DisplaySizeIndex(s, 4, 0), 2);
}

TEST(ViewSize, ZoomStepsWithinOneToEleven) {
  SizeIndexes s;
  s.text = 10;
  s.table = 2;
  EXPECT_TRUE(ZoomStep(s, 9, 0, +1));
  EXPECT_EQ(s.text, 11);
  EXPECT_FALSE(ZoomStep(s, 9, 0, +1));
  EXPECT_EQ(s.text, 11);
  EXPECT_TRUE(ZoomStep(s, 33, 0, -1));
  EXPECT_FALSE(ZoomStep(s, 33, 0, -1));
  EXPECT_EQ(s.table, 1);
  EXPECT_EQ(s.text, 11);
  s.text = 0;  // an index out of range is brought back first
  EXPECT_TRUE(ZoomStep(s, 9, 0, -1));
  EXPECT_EQ(s.text, 1);
}

TEST(StatusTexts, TableAndFormats) {
  for (int i = 0; i < static_cast<int>(StatusText::kCount); ++i)
    EXPECT_EQ(static_cast<int>(StatusTextFor(static_cast<StatusText>(i)).id), i);
  EXPECT_EQ(FormatStatus(StatusText::kWidth, 12), "width = 12");
  EXPECT_EQ(FormatStatus(StatusText::kLinesProgress, 21000), "   21000 line  (Push ESC key to stop)");
  EXPECT_EQ(FormatStatus(StatusText::kCaretPosition, 3, 14), "3行 14桁");
  EXPECT_EQ(StatusTextFor(StatusText::kHitCount).pane, StatusPane::kIndicator104);
  EXPECT_EQ(StatusTextFor(StatusText::kLineCount).pane, StatusPane::kPane5);
  EXPECT_EQ(FormatLineSpace(250), "line space = 12.5");
  EXPECT_EQ(FormatLineSpace(240), "line space = 12.0");
  EXPECT_EQ(FormatLineSpace(245), "line space = 12.25");
}

}  // namespace
