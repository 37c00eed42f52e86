// The "%" letter at the end of a picture's name.
#include <gtest/gtest.h>

#include "core/docopen/picture_suffix.h"

TEST(PictureSuffix, LettersAndTheirCodes) {
  const struct {
    const char* path;
    const char* plain;
    int code;
  } cases[] = {{"C:\\p\\a.bmp%R", "C:\\p\\a.bmp", 1}, {"a.png%B", "a.png", 2}, {"a.jpg%L", "a.jpg", 3},
               {"a.gif%H", "a.gif", 4},             {"a.tif%V", "a.tif", 5}, {"a.bmp%x", "a.bmp", 9}};
  for (const auto& c : cases) {
    std::string plain;
    int code = 0;
    ASSERT_TRUE(docopen::SplitPictureSuffix(c.path, &plain, &code)) << c.path;
    EXPECT_EQ(plain, c.plain);
    EXPECT_EQ(code, c.code);
  }
}

TEST(PictureSuffix, AnythingElseIsLeftAlone) {
  std::string plain = "kept";
  int code = 7;
  for (const char* p : {"a.bmp", "a.bmp%r", "a.bmp%X", "a.bmp%", "a.bmp%%", "a.bmpR", "%R", "", "a.bmp%RR",
                        "a.bmp%1"}) {
    EXPECT_FALSE(docopen::SplitPictureSuffix(p, &plain, &code)) << p;
  }
  EXPECT_EQ(plain, "kept");
  EXPECT_EQ(code, 7);
  // A Shift-JIS name before the suffix stays whole.
  ASSERT_TRUE(docopen::SplitPictureSuffix("\x95\x5c.bmp%R", &plain, &code));
  EXPECT_EQ(plain, "\x95\x5c.bmp");
}

// Word 8 after an open: the suffix's number; without one it is cleared for
// another file and kept when the shown file is opened again (a reload).
TEST(PictureSuffix, TheTurnServesOnlyThePictureItWasAskedFor) {
  std::string plain;
  EXPECT_EQ(docopen::TransformCodeForOpen("C:\\p\\a.bmp%R", "C:\\p\\b.bmp", 0, &plain), 1u);
  EXPECT_EQ(plain, "C:\\p\\a.bmp");
  // A suffix replaces whatever the word held, also on the shown file.
  EXPECT_EQ(docopen::TransformCodeForOpen("C:\\p\\a.bmp%x", "C:\\p\\a.bmp", 1, &plain), 9u);
  // The next picture without a suffix is shown as it is.
  EXPECT_EQ(docopen::TransformCodeForOpen("C:\\p\\b.bmp", "C:\\p\\a.bmp", 1, &plain), 0u);
  EXPECT_EQ(plain, "C:\\p\\b.bmp");
  // The same file again (the reload after a zoom or flip) keeps its turn,
  // whatever the case of its letters or the kind of its slashes.
  EXPECT_EQ(docopen::TransformCodeForOpen("C:\\p\\a.bmp", "C:\\p\\a.bmp", 3, &plain), 3u);
  EXPECT_EQ(docopen::TransformCodeForOpen("c:/P/A.BMP", "C:\\p\\a.bmp", 4, &plain), 4u);
  // No document shown, or a Shift-JIS name that differs only in a trail
  // byte a case fold would change: another file.
  EXPECT_EQ(docopen::TransformCodeForOpen("a.bmp", "", 2, &plain), 0u);
  EXPECT_EQ(docopen::TransformCodeForOpen("\x83\x41.bmp", "\x83\x61.bmp", 2, &plain), 0u);
  // No output wanted: the word all the same.
  EXPECT_EQ(docopen::TransformCodeForOpen("a.bmp%V", "", 0, nullptr), 5u);
}
