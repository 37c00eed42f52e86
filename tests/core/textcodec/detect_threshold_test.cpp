// The edges of each rule of encoding detection, one text on each side, so a
// changed threshold shows up as a changed guess.
#include <gtest/gtest.h>

#include <string>

#include "core/textcodec/textcodec.h"

namespace {

using textcodec::DetectTextEncoding;
using textcodec::TextEncoding;

TextEncoding Guess(const std::string& s) { return DetectTextEncoding(s.data(), s.size()); }

std::string Repeat(const std::string& unit, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += unit;
  return s;
}

// UTF-16 little-endian units without a byte order mark.
const std::string kAscii("a\0", 2);      // high byte zero
const std::string kKanji("\x42\x30", 2); // U+3042: no zero byte
const std::string kLowZero("\0\x01", 2); // U+0100: low byte zero

TEST(DetectThreshold, EucWinsWhenOnePairInEightIsKana) {
  // Pairs that read cleanly as both EUC-JP and Shift-JIS half-width kana:
  // "A4 A2" counts as kana, "B0 A1" does not.
  const std::string kana = "\xA4\xA2", other = "\xB0\xA1";
  EXPECT_EQ(Guess(kana + Repeat(other, 7)), TextEncoding::kEucJp);      // 1 in 8
  EXPECT_EQ(Guess(kana + Repeat(other, 8)), TextEncoding::kShiftJis);   // 1 in 9
  EXPECT_EQ(Guess(Repeat(kana, 2) + Repeat(other, 14)), TextEncoding::kEucJp);
  EXPECT_EQ(Guess(Repeat(kana, 2) + Repeat(other, 15)), TextEncoding::kShiftJis);
}

TEST(DetectThreshold, Utf16NeedsAQuarterOfZeroHighBytes) {
  EXPECT_EQ(Guess(Repeat(kAscii, 16) + Repeat(kKanji, 48)), TextEncoding::kUtf16Le);  // 16 of 64
  EXPECT_NE(Guess(Repeat(kAscii, 15) + Repeat(kKanji, 49)), TextEncoding::kUtf16Le);  // 15 of 64
}

TEST(DetectThreshold, Utf16AllowsOneUnitInSixtyFourWithTheOtherByteZero) {
  const std::string base = Repeat(kAscii, 64);
  EXPECT_EQ(Guess(base + Repeat(kLowZero, 2) + Repeat(kKanji, 62)), TextEncoding::kUtf16Le);  // 2 of 128
  EXPECT_NE(Guess(base + Repeat(kLowZero, 3) + Repeat(kKanji, 61)), TextEncoding::kUtf16Le);  // 3 of 128
}

TEST(DetectThreshold, Utf16NeedsFourUnits) {
  EXPECT_NE(Guess(Repeat(kAscii, 3)), TextEncoding::kUtf16Le);
  EXPECT_EQ(Guess(Repeat(kAscii, 4)), TextEncoding::kUtf16Le);
}

TEST(DetectThreshold, Utf16IsJudgedOnTheFirst8192Bytes) {
  // A start of 40 kanji and then ASCII: the first 8192 bytes decide.
  EXPECT_EQ(Guess(Repeat(kKanji, 40) + Repeat(kAscii, 5000)), TextEncoding::kUtf16Le);
  // Past those bytes nothing counts.
  EXPECT_NE(Guess(Repeat(kKanji, 4096) + Repeat(kAscii, 5000)), TextEncoding::kUtf16Le);
}

TEST(DetectThreshold, Base64IsJudgedOnWhatItsLinesDecodeTo) {
  // Two lines of 76 characters: the first decodes to text, the second to
  // control bytes: the whole is no text, so it is not taken for Base64.
  const std::string text = "VGhlIHF1aWNrIGJyb3duIGZveCBqdW1wcyBvdmVyIHRoZSBsYXp5IGRvZywgdHdpY2U6IG9rLi4h";
  const std::string binary = Repeat("AQEB", 19);  // 57 bytes of 0x01
  ASSERT_EQ(text.size(), binary.size());
  EXPECT_EQ(Guess(text + "\r\n" + text + "\r\n"), TextEncoding::kBase64);
  EXPECT_EQ(Guess(text + "\r\n" + binary + "\r\n"), TextEncoding::kShiftJis);
}

}  // namespace
