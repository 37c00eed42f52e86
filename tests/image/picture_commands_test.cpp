// The document's display commands on a picture: zoom within 1-9, the fit
// cycle, and the reload's path and style rule.
#include <gtest/gtest.h>

#include "image/view/picture_commands.h"

TEST(PictureCommands, ZoomStaysWithinOneToNine) {
  EXPECT_EQ(img::StepPictureZoom(5, 1), 6);
  EXPECT_EQ(img::StepPictureZoom(5, -1), 4);
  EXPECT_EQ(img::StepPictureZoom(9, 1), 9);
  EXPECT_EQ(img::StepPictureZoom(1, -1), 1);
  EXPECT_EQ(img::StepPictureZoom(8, 1), 9);
  // A word never set (0) or out of range counts as 1:1.
  EXPECT_EQ(img::StepPictureZoom(0, 1), 6);
  EXPECT_EQ(img::StepPictureZoom(77, -1), 4);
  int level = 5;
  for (int i = 0; i < 20; ++i) level = img::StepPictureZoom(level, 1);
  EXPECT_EQ(level, 9);
  for (int i = 0; i < 20; ++i) level = img::StepPictureZoom(level, -1);
  EXPECT_EQ(level, 1);
}

TEST(PictureCommands, FitCycleAndKinds) {
  EXPECT_EQ(img::NextFitMode(0), 1u);
  EXPECT_EQ(img::NextFitMode(1), 2u);
  EXPECT_EQ(img::NextFitMode(2), 0u);
  EXPECT_EQ(img::NextFitMode(7), 0u);
  EXPECT_FALSE(img::IsShownPictureKind(11));
  EXPECT_TRUE(img::IsShownPictureKind(12));
  EXPECT_TRUE(img::IsShownPictureKind(28));
  EXPECT_FALSE(img::IsShownPictureKind(29));
}

TEST(PictureCommands, ReloadPathAndStyleRule) {
  EXPECT_EQ(img::PictureReloadPath("", "C:\\a.png"), "C:\\a.png");
  EXPECT_EQ(img::PictureReloadPath("C:\\tmp\\conv.bmp", "C:\\a.doc"), "C:\\tmp\\conv.bmp");
  uint32_t s[49] = {196};
  s[28] = 3;  // the style word itself and words outside the thirteen do not count
  s[42] = 1;
  s[5] = 7;
  EXPECT_TRUE(img::PictureOptionWordsClear(s, 49));
  for (int w : {31, 36, 41, 43, 48}) {
    uint32_t t[49] = {196};
    t[w] = 1;
    EXPECT_FALSE(img::PictureOptionWordsClear(t, 49)) << w;
  }
}
