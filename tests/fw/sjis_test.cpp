#include <gtest/gtest.h>

#include <cstring>

#include "fw/sjis.h"

TEST(Sjis, LeadBytes) {
  EXPECT_FALSE(fw::IsSjisLeadByte(0x41));
  EXPECT_FALSE(fw::IsSjisLeadByte(0x80));
  EXPECT_TRUE(fw::IsSjisLeadByte(0x81));
  EXPECT_TRUE(fw::IsSjisLeadByte(0x9F));
  EXPECT_FALSE(fw::IsSjisLeadByte(0xA0));  // half-width katakana range
  EXPECT_FALSE(fw::IsSjisLeadByte(0xDF));
  EXPECT_TRUE(fw::IsSjisLeadByte(0xE0));
  EXPECT_TRUE(fw::IsSjisLeadByte(0xFC));
  EXPECT_FALSE(fw::IsSjisLeadByte(0xFD));
}

TEST(Sjis, CharLengthNeverRunsPastTheEnd) {
  const char* s = "a\x95\x5C\x83";  // 'a', "表", then a lone lead byte at the end
  int len = static_cast<int>(std::strlen(s));
  EXPECT_EQ(1, fw::SjisCharLength(s, len, 0));
  EXPECT_EQ(2, fw::SjisCharLength(s, len, 1));
  EXPECT_EQ(1, fw::SjisCharLength(s, len, 3));
  EXPECT_EQ(0, fw::SjisCharLength(s, len, 4));
  EXPECT_EQ(0, fw::SjisCharLength(s, len, -1));
}

TEST(Sjis, NarrowLiteralsAreShiftJis) {
  // Sources are UTF-8 and compiled to CP932: "表" is 0x95 0x5C.
  const char* s = "表";
#if defined(__clang__)
  GTEST_SKIP() << "clang keeps UTF-8 literals";
#endif
  ASSERT_EQ(2u, std::strlen(s));
  EXPECT_EQ(0x95, static_cast<unsigned char>(s[0]));
  EXPECT_EQ(0x5C, static_cast<unsigned char>(s[1]));
}
