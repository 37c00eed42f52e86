// The renderer's shared pieces: the Latin-1 transliteration and the output
// buffer every reader writes through.
#include <gtest/gtest.h>

#include <string>

#include "convert/latin1.h"
#include "convert/load_buffer.h"
#include "fw/alloc.h"

namespace {

using convert::TransliterateLatin1;

TEST(Latin1, LettersLoseTheirAccents) {
  EXPECT_EQ('e', TransliterateLatin1(0xE9));
  EXPECT_EQ('A', TransliterateLatin1(0xC6));
  EXPECT_EQ('s', TransliterateLatin1(0xDF));
  EXPECT_EQ('/', TransliterateLatin1(0xF7));
  EXPECT_EQ('X', TransliterateLatin1(0xD7));
  EXPECT_EQ('y', TransliterateLatin1(0xFF));
  EXPECT_EQ('N', TransliterateLatin1(0xD1));
}

TEST(Latin1, SignsBecomeLookAlikes) {
  EXPECT_EQ('C', TransliterateLatin1(0x80));
  EXPECT_EQ('C', TransliterateLatin1(0xA9));
  EXPECT_EQ('R', TransliterateLatin1(0xAE));
  EXPECT_EQ('?', TransliterateLatin1(0xBF));
  EXPECT_EQ(' ', TransliterateLatin1(0xA0));
  EXPECT_EQ('\\', TransliterateLatin1(0xA5));
  EXPECT_EQ('"', TransliterateLatin1(0x93));
  EXPECT_EQ('-', TransliterateLatin1(0x96));
}

TEST(Latin1, ControlMarksBelow0x80) {
  EXPECT_EQ(0x01, TransliterateLatin1(0x01));
  EXPECT_EQ(0x07, TransliterateLatin1(0x07));
  EXPECT_EQ('\'', TransliterateLatin1(0x02));
  EXPECT_EQ('\'', TransliterateLatin1(0x06));
  EXPECT_EQ(0x0D, TransliterateLatin1(0x0B));
  EXPECT_EQ('#', TransliterateLatin1(0x13));
  EXPECT_EQ('[', TransliterateLatin1(0x14));
  EXPECT_EQ(']', TransliterateLatin1(0x15));
  for (int c = 0x20; c < 0x80; ++c) EXPECT_EQ(c, TransliterateLatin1(static_cast<unsigned char>(c)));
}

TEST(Latin1, NothingFrom0x80GivesALeadByte) {
  for (int c = 0x80; c < 0x100; ++c) {
    unsigned char r = TransliterateLatin1(static_cast<unsigned char>(c));
    EXPECT_LT(r, 0x80) << c;
    EXPECT_GE(r, 0x20) << c;
  }
}

TEST(LoadBuffer, GrowsForLongTextAndStaysTerminated) {
  convert::LoadBuffer out;
  ASSERT_TRUE(out.Reserve(8));
  std::string longText(10000, 'x');
  EXPECT_TRUE(out.Printf("%s|%d", longText.c_str(), 42));
  EXPECT_TRUE(out.Append("tail"));
  EXPECT_TRUE(out.Fill(' ', 3));
  std::string expect = longText + "|42tail   ";
  EXPECT_EQ(expect.size(), out.Size());
  EXPECT_EQ(expect, std::string(out.Data()));
  EXPECT_GE(out.Capacity(), out.Size());
  out.Truncate(3);
  EXPECT_STREQ("xxx", out.Data());
  out.Truncate(99);  // never lengthens
  EXPECT_EQ(3u, out.Size());
}

TEST(LoadBuffer, RefusedGrowthKeepsTheText) {
  convert::LoadBuffer out;
  ASSERT_TRUE(out.Append("kept"));
  fw::alloctest::Reset();
  fw::alloctest::FailFrom(1);
  EXPECT_FALSE(out.Append(std::string(100000, 'y').c_str()));
  EXPECT_FALSE(out.Printf("%0*d", 50000, 1));
  fw::alloctest::Reset();
  EXPECT_TRUE(out.Failed());
  EXPECT_STREQ("kept", out.Data());
  EXPECT_EQ(4u, out.Size());
}

}  // namespace
