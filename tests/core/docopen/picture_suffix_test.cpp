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
