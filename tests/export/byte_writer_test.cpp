// The growing byte writer: escapes, whole double-byte characters, and a
// memory shortage that stops appending without losing what was written.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "export/byte_writer.h"
#include "fw/alloc.h"

namespace {

using exportcore::ByteWriter;

std::string Text(const ByteWriter& w) { return std::string(w.Data(), w.Size()); }

TEST(ByteWriter, EscapesAmpersandFirstAndKeepsDoubleByteCharactersWhole) {
  ByteWriter w;
  w.AppendEscaped("a&b\"c<d>e &amp;");
  EXPECT_EQ(Text(w), "a&amp;b&quot;c&lt;d&gt;e &amp;amp;");

  // "ソ" is 0x83 0x5C and "表" 0x95 0x5C: the trail byte stays; 0x81 0x94 is '#'-like,
  // a pair whose trail byte is '>' -> 0x81 0x3E is no pair.
  w.Clear();
  const char in[] = {'\x83', '\x5C', '\x95', '\x5C', '\x81', '<', '\x81', '\x1F', '\x82', '\x3E'};
  w.AppendEscaped(in, sizeof in);
  EXPECT_EQ(Text(w), std::string("\x83\x5C\x95\x5C\x81&lt;\x81\x1F\x82&gt;"));
}

TEST(ByteWriter, DecimalsFormatsAndCopiesThatStopBeforeACutCharacter) {
  ByteWriter w;
  w.AppendDecimal(-1234567890123LL);
  w.AppendByte(' ');
  w.AppendFormat("<c r=\"%s%d\"/>", "AB", 12);
  EXPECT_EQ(Text(w), "-1234567890123 <c r=\"AB12\"/>");
  // The extremes and zero, as "%lld" writes them.
  w.Clear();
  w.AppendDecimal(0);
  w.AppendByte(' ');
  w.AppendDecimal(-9);
  w.AppendByte(' ');
  w.AppendDecimal(std::numeric_limits<long long>::max());
  w.AppendByte(' ');
  w.AppendDecimal(std::numeric_limits<long long>::min());
  EXPECT_EQ(Text(w), "0 -9 9223372036854775807 -9223372036854775808");
  // A long formatted item goes past the small stack buffer.
  w.Clear();
  std::string big(1000, 'x');
  w.AppendFormat("[%s]", big.c_str());
  EXPECT_EQ(Text(w), "[" + big + "]");

  w.Clear();
  w.AppendSjis("ab\x83\x5C\x83", 5);  // the last lead byte has lost its trail byte
  EXPECT_EQ(Text(w), "ab\x83\x5C");
}

TEST(ByteWriter, GrowsPastItsInitialCapacity) {
  ByteWriter w;
  ASSERT_TRUE(w.Reserve(16));
  std::string expect;
  for (int i = 0; i < 100000; ++i) {
    w.AppendDecimal(i);
    expect += std::to_string(i);
  }
  EXPECT_FALSE(w.Failed());
  EXPECT_EQ(Text(w), expect);
}

TEST(ByteWriter, AMemoryShortageKeepsTheTextAndRefusesLaterAppends) {
  ByteWriter w;
  w.Append("head");
  fw::alloctest::Reset();
  fw::alloctest::FailFrom(1);
  w.Append(std::string(10000, 'y').c_str());
  fw::alloctest::Reset();
  EXPECT_TRUE(w.Failed());
  EXPECT_EQ(Text(w), "head");
  w.Append("more");  // memory is back, but the part stays incomplete
  EXPECT_EQ(Text(w), "head");
  // A size that cannot be had at all fails the same way.
  ByteWriter huge;
  EXPECT_FALSE(huge.Reserve(~0ULL));
  EXPECT_TRUE(huge.Failed());
}

}  // namespace
