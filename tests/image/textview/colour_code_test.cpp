// Colour codes read from a selection and written for a chosen colour, and
// the total-size row's enabling.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "image/textview/colour_code.h"

namespace {

using namespace image::textview;

std::uint32_t Read(const std::string& text) {
  std::uint32_t c = 0xDEADBEEF;
  EXPECT_TRUE(ReadColourCode(text, &c)) << text;
  return c;
}

TEST(ColourCode, ReadsHexIntoColorref) {
  EXPECT_EQ(Read("#ff0000"), 0x0000FFu);  // red
  EXPECT_EQ(Read("#00FF00"), 0x00FF00u);
  EXPECT_EQ(Read("#0000ff"), 0xFF0000u);
  EXPECT_EQ(Read("#FF8000"), 0x0080FFu);
  EXPECT_EQ(Read("#123456789"), 0x563412u);  // digits 2 to 7 only
  EXPECT_EQ(Read("#fff"), 0xFF0F00u);        // short codes fill from the right
  EXPECT_EQ(Read("#f"), 0u);
  EXPECT_EQ(Read("#"), 0u);
  EXPECT_EQ(Read("# 1"), 0x010200u);         // below '0': the code itself
  EXPECT_EQ(Read("#g00000"), 0u);            // 'g' counts 16, carried out of red

  std::uint32_t c = 7;
  EXPECT_FALSE(ReadColourCode("ff0000", &c));
  EXPECT_FALSE(ReadColourCode("", &c));
  EXPECT_EQ(c, 7u);
  EXPECT_TRUE(ReadColourCode("#abc", nullptr));
}

TEST(ColourCode, WritesHexAndDecimalForms) {
  EXPECT_EQ(FormatColourCode(0xFF0000, true), "#0000ff");  // blue
  EXPECT_EQ(FormatColourCode(0x0000FF, true), "#ff0000");
  EXPECT_EQ(FormatColourCode(0, true), "#000000");
  EXPECT_EQ(FormatColourCode(0x01FFFFFF, true), "#ffffff");  // high byte ignored
  EXPECT_EQ(FormatColourCode(10 | (20 << 8) | (255 << 16), false), " 10, 20,255");
  EXPECT_EQ(FormatColourCode(0, false), "  0,  0,  0");
  for (std::uint32_t c : {0x123456u, 0xABCDEFu, 0x00FF80u}) {
    EXPECT_EQ(Read(FormatColourCode(c, true)), c);
  }
}

TEST(ColourCode, TotalSizeEnabled) {
  EXPECT_TRUE(TotalSizeEnabled(4, false));
  EXPECT_TRUE(TotalSizeEnabled(10, false));
  EXPECT_TRUE(TotalSizeEnabled(33, true));
  EXPECT_FALSE(TotalSizeEnabled(0, false));
  EXPECT_FALSE(TotalSizeEnabled(33, false));
}

}  // namespace
