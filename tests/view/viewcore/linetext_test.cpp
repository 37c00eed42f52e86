#include "view/viewcore/linetext.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using namespace viewcore;

TEST(CopyLineSjis, CutsAtLineEndsAndNul) {
  char buf[32];
  EXPECT_EQ(CopyLineSjis("abc\r\ndef", 8, buf, sizeof buf), 3);
  EXPECT_STREQ(buf, "abc");
  EXPECT_EQ(CopyLineSjis("ab\0cd", 5, buf, sizeof buf), 2);
  EXPECT_EQ(CopyLineSjis("xy\nz", 4, buf, sizeof buf), 2);
  EXPECT_EQ(CopyLineSjis("", 0, buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "");
}

TEST(CopyLineSjis, DoubleByteCharactersStayWhole) {
  char buf[8];
  // "表" is 0x95 0x5C: its trail byte is no backslash and the pair is kept.
  EXPECT_EQ(CopyLineSjis("表示", 4, buf, 8), 4);
  EXPECT_STREQ(buf, "表示");
  // Room for 3 bytes + NUL: the second character does not fit whole.
  EXPECT_EQ(CopyLineSjis("あいう", 6, buf, 4), 2);
  EXPECT_STREQ(buf, "あ");
  // A lead byte at the end of the source or before a CR is left out.
  EXPECT_EQ(CopyLineSjis("a\x82", 2, buf, 8), 1);
  EXPECT_STREQ(buf, "a");
  EXPECT_EQ(CopyLineSjis("a\x82\r", 3, buf, 8), 1);
  // 0x80 is a lead byte of this routine's set: it takes the next byte along.
  EXPECT_EQ(CopyLineSjis("\x80" "Ab", 3, buf, 8), 3);
}

TEST(CopyLineSjis, BufferSizeIsHonoured) {
  char buf[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(CopyLineSjis("abcdef", 6, buf, 0), 0);
  EXPECT_EQ(buf[0], 'x');
  EXPECT_EQ(CopyLineSjis("abcdef", 6, buf, 1), 0);
  EXPECT_EQ(buf[0], '\0');
  EXPECT_EQ(CopyLineSjis("abcdef", 6, buf, 4), 3);
  EXPECT_STREQ(buf, "abc");
  EXPECT_EQ(CopyLineSjis("abcdef", 6, nullptr, 4), 0);
}

TEST(GetLineTextSjis, LinesOfAText) {
  const char text[] = "one\r\n表\rthree\nlast";
  const std::size_t len = std::strlen(text);
  char buf[3000];
  EXPECT_EQ(GetLineTextSjis(text, len, 0, buf, sizeof buf), 3);
  EXPECT_EQ(GetLineTextSjis(text, len, 1, buf, sizeof buf), 2);
  EXPECT_STREQ(buf, "表");
  EXPECT_EQ(GetLineTextSjis(text, len, 2, buf, sizeof buf), 5);
  EXPECT_EQ(GetLineTextSjis(text, len, 3, buf, sizeof buf), 4);
  EXPECT_STREQ(buf, "last");
  EXPECT_EQ(GetLineTextSjis(text, len, 4, buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "");
  EXPECT_EQ(GetLineTextSjis(text, len, -1, buf, sizeof buf), 0);
}

TEST(LineColumns, ColumnOfCharacter) {
  const char line[] = "a\t表b";  // a, TAB, double-byte, b
  const std::size_t n = std::strlen(line);
  // Byte offsets (delta 99999): a=0, TAB=1, 表=2, b=4.
  const int w = TabWidthForDelta(kByteOffsetDelta);
  EXPECT_EQ(LineColumnOfChar(line, n, 0, w), 0);
  EXPECT_EQ(LineColumnOfChar(line, n, 2, w), 2);
  EXPECT_EQ(LineColumnOfChar(line, n, 3, w), 4);
  EXPECT_EQ(LineColumnOfChar(line, n, 4, w), 5);
  // Tab stops every 8 units.
  EXPECT_EQ(LineColumnOfChar(line, n, 2, TabWidthForDelta(0)), 8);
  EXPECT_EQ(LineColumnOfChar(line, n, 3, 8), 10);
  // Past the end: one unit each.
  EXPECT_EQ(LineColumnOfChar(line, n, 6, w), 7);
  // A lead byte at the very end counts as one byte.
  EXPECT_EQ(LineColumnOfChar("a\x88", 2, 2, w), 2);
}

TEST(LineColumns, CalcLineMetricsIsTheInverse) {
  const char line[] = "a\t表b";
  const std::size_t n = std::strlen(line);
  EXPECT_EQ(CalcLineMetrics(line, n, 0, 1), 0);
  EXPECT_EQ(CalcLineMetrics(line, n, 2, 1), 2);
  EXPECT_EQ(CalcLineMetrics(line, n, 3, 1), 2);  // inside 表: stops before it
  EXPECT_EQ(CalcLineMetrics(line, n, 4, 1), 3);
  EXPECT_EQ(CalcLineMetrics(line, n, 99, 1), 4);
  EXPECT_EQ(CalcLineMetrics(line, n, 8, 0), 2);  // TAB reaches column 8
  for (int c = 0; c <= 4; ++c)
    EXPECT_EQ(CalcLineMetrics(line, n, LineColumnOfChar(line, n, c, 1), 1), c);
}

TEST(LineColumns, CharAndByteIndexes) {
  const char t[] = "aあb";
  EXPECT_EQ(CharIndexOfByte(t, 4, 0), 0);
  EXPECT_EQ(CharIndexOfByte(t, 4, 1), 1);
  EXPECT_EQ(CharIndexOfByte(t, 4, 2), 1);  // trail byte
  EXPECT_EQ(CharIndexOfByte(t, 4, 3), 2);
  EXPECT_EQ(CharIndexOfByte(t, 4, 99), 3);
  EXPECT_EQ(ByteOfCharIndex(t, 4, 2), 3u);
  EXPECT_EQ(ByteOfCharIndex(t, 4, 9), 4u);
}

TEST(FindTextMatchCase, Basics) {
  const char t[] = "Abc abc ABC";
  const std::size_t n = std::strlen(t);
  EXPECT_EQ(FindTextMatchCase(t, n, 0, -1, "abc"), 4);
  EXPECT_EQ(FindTextMatchCase(t, n, 5, -1, "abc"), -1);
  EXPECT_EQ(FindTextMatchCase(t, n, 0, 6, "abc"), -1);  // must end before `to`
  EXPECT_EQ(FindTextMatchCase(t, n, 0, 7, "abc"), 4);
  EXPECT_EQ(FindTextMatchCase(t, n, 0, -1, ""), -1);
  EXPECT_EQ(FindTextMatchCase(t, n, 20, -1, "A"), -1);
}

TEST(FindTextMatchCase, TrailBytesNeverStartAMatch) {
  // "ア" is 0x83 0x41: its trail byte is an 'A'; "表" ends in 0x5C.
  const char t[] = "アA表\\";
  const std::size_t n = std::strlen(t);
  EXPECT_EQ(FindTextMatchCase(t, n, 0, -1, "A"), 2);
  EXPECT_EQ(FindTextMatchCase(t, n, 1, -1, "A"), 2);  // from a trail byte
  EXPECT_EQ(FindTextMatchCase(t, n, 0, -1, "\\"), 5);
  // A double-byte pattern at the text's end.
  EXPECT_EQ(FindTextMatchCase(t, n - 1, 0, -1, "表"), 3);
}

}  // namespace
