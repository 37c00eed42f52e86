// The caption texts: size, zoom and rotation parts, the joined forms, the
// memory advice (with the 240,000,000-byte example and sizes past 32 bits),
// the metafile reduction and its 99.
#include <gtest/gtest.h>

#include "image/view/display_caption.h"

namespace {

img::CaptionInput Base() {
  img::CaptionInput in;
  in.width = 640;
  in.height = 480;
  in.bits = 24;
  in.imageSize = 921600;
  in.expected = 921600;
  in.outputLimit = 41943040;
  in.inputLimit = 41943040;
  return in;
}

}  // namespace

TEST(DisplayCaption, PlainCaptions) {
  struct Case {
    const char* what;
    void (*set)(img::CaptionInput&);
    const char* want;
  } cases[] = {
      {"1:1", [](img::CaptionInput&) {}, "W640 x H480 x 24bits  1/1"},
      {"zoom first at 1:1 keeps the size first", [](img::CaptionInput& c) { c.zoomFirst = true; },
       "W640 x H480 x 24bits  1/1"},
      {"zoom first at 1/2", [](img::CaptionInput& c) { c.zoomFirst = true, c.zoomLevel = 4; },
       " 1/2   W640 x H480 x 24bits "},
      {"1/16", [](img::CaptionInput& c) { c.zoomLevel = 1; }, "W640 x H480 x 24bits  1/16"},
      {"x 4", [](img::CaptionInput& c) { c.zoomLevel = 7; }, "W640 x H480 x 24bits  x 4"},
      {"x 16", [](img::CaptionInput& c) { c.zoomLevel = 9; }, "W640 x H480 x 24bits  x 16"},
      {"fine 7 at 1:1", [](img::CaptionInput& c) { c.zoomFine = 7; }, "W640 x H480 x 24bits  x70%"},
      {"fine 8 at 1/2", [](img::CaptionInput& c) { c.zoomLevel = 4, c.zoomFine = 8; }, "W640 x H480 x 24bits  x40%"},
      {"fine 6 at 1/16", [](img::CaptionInput& c) { c.zoomLevel = 1, c.zoomFine = 6; }, "W640 x H480 x 24bits  x3%"},
      {"fine 6 at x4", [](img::CaptionInput& c) { c.zoomLevel = 7, c.zoomFine = 6; }, "W640 x H480 x 24bits  x240%"},
      {"fine 10 is none", [](img::CaptionInput& c) { c.zoomFine = 10; }, "W640 x H480 x 24bits  1/1"},
      {"level outside 1..9 read at the nearest end", [](img::CaptionInput& c) { c.zoomLevel = -40; },
       "W640 x H480 x 24bits  1/16"},
      {"over", [](img::CaptionInput& c) { c.over = true, c.bits = 8; }, "W640 x H(480)Over! x 8bits  1/1"},
      {"90", [](img::CaptionInput& c) { c.rotation = 1; }, "W640 x H480 x 24bits  1/1  + 90deg"},
      {"180", [](img::CaptionInput& c) { c.rotation = 2; }, "W640 x H480 x 24bits  1/1  +180deg"},
      {"270 after the zoom first",
       [](img::CaptionInput& c) { c.rotation = 3, c.zoomFirst = true, c.zoomLevel = 6; },
       " x 2   W640 x H480 x 24bits   +270deg"},
      {"rotation 4 has no part", [](img::CaptionInput& c) { c.rotation = 4; }, "W640 x H480 x 24bits  1/1"},
      {"compressed", [](img::CaptionInput& c) { c.imageReduce = 8, c.rotation = 1; },
       "W640 x H480 x 24bits  1/1  + 90deg  (compressed  1/8 )"},
      {"no advice in the plain caption", [](img::CaptionInput& c) { c.expected = 1u << 30; },
       "W640 x H480 x 24bits  1/1"},
  };
  for (const auto& c : cases) {
    img::CaptionInput in = Base();
    c.set(in);
    const img::CaptionText t = img::BuildImageCaption(in);
    EXPECT_EQ(t.text, c.want) << c.what;
    EXPECT_TRUE(t.built && t.show) << c.what;
  }
}

TEST(DisplayCaption, TransformCaptionsAndAdvice) {
  struct Case {
    const char* what;
    void (*set)(img::CaptionInput&);
    const char* want;
  } cases[] = {
      {"fits", [](img::CaptionInput&) {}, "W640 x H480 x 24bits  1/1"},
      {"zoom first is not used", [](img::CaptionInput& c) { c.zoomFirst = true, c.zoomLevel = 4; },
       "W640 x H480 x 24bits  1/2"},
      // 60,000,000 bytes at x2: 240,000,000 expected, 228 MB + 1.
      {"pict out",
       [](img::CaptionInput& c) {
         c.imageSize = 60000000, c.expected = 240000000, c.zoomLevel = 6, c.inputLimit = 100000000;
       },
       "W640 x H480 x 24bits  x 2 [OVER! set pict out to 229MB]"},
      {"pict out past 32 bits",
       [](img::CaptionInput& c) { c.imageSize = 20971520, c.expected = 20971520ull * 256, c.zoomLevel = 9; },
       "W640 x H480 x 24bits  x 16 [OVER! set pict out to 5121MB]"},
      {"pict file",
       [](img::CaptionInput& c) { c.imageSize = 30000000, c.expected = 7500000, c.inputLimit = 20971520, c.zoomLevel = 4; },
       "W640 x H480 x 24bits  1/2 [OVER! set pict file to  29MB]"},
      {"exactly at the limits", [](img::CaptionInput& c) { c.imageSize = c.inputLimit, c.expected = c.outputLimit; },
       "W640 x H480 x 24bits  1/1"},
      {"both over: the output is advised",
       [](img::CaptionInput& c) { c.imageSize = 50000000, c.expected = 50000000, c.over = true, c.rotation = 2; },
       "W640 x H(480)Over! x 24bits  1/1  +180deg [OVER! set pict out to  48MB]"},
      {"advice before the reduction",
       [](img::CaptionInput& c) { c.expected = 41943041, c.imageReduce = 2; },
       "W640 x H480 x 24bits  1/1 [OVER! set pict out to  41MB]  (compressed  1/2 )"},
  };
  for (const auto& c : cases) {
    img::CaptionInput in = Base();
    in.kind = img::CaptionKind::kTransform;
    c.set(in);
    EXPECT_EQ(img::BuildImageCaption(in).text, c.want) << c.what;
  }
}

TEST(DisplayCaption, ReductionOf99AndWhereShown) {
  img::CaptionInput in = Base();
  in.imageReduce = 99;
  img::CaptionText t = img::BuildImageCaption(in);
  EXPECT_FALSE(t.built);
  EXPECT_FALSE(t.show);
  EXPECT_EQ(t.text, "");
  EXPECT_EQ(t.imageReduce, 1);
  in.kind = img::CaptionKind::kTransform;
  t = img::BuildImageCaption(in);
  EXPECT_TRUE(t.built);
  EXPECT_EQ(t.text, "W640 x H480 x 24bits  1/1");
  EXPECT_EQ(t.imageReduce, 1);
  in.imageReduce = 2;
  in.loadState = 1;
  EXPECT_FALSE(img::BuildImageCaption(in).show);
  in.loadState = 0;
  in.trimMode = 3;
  EXPECT_FALSE(img::BuildImageCaption(in).show);
  EXPECT_EQ(img::BuildImageCaption(in).imageReduce, 2);
  EXPECT_TRUE(img::PlainCaptionOver(12, 41943040, 41943040));
  EXPECT_FALSE(img::PlainCaptionOver(13, 41943040, 41943040));
  EXPECT_FALSE(img::PlainCaptionOver(12, 41943039, 41943040));
}
