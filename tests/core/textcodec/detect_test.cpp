// The detection thresholds, each tried on both sides, and the kinds of plain
// files that must never be taken for Base64.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/textcodec/textcodec.h"

namespace {

using textcodec::TextEncoding;

TextEncoding Detect(const std::string& s) { return textcodec::DetectTextEncoding(s.data(), s.size()); }

std::string Repeat(const std::string& s, std::size_t n) {
  std::string out;
  for (std::size_t i = 0; i < n; ++i) out += s;
  return out;
}

const textcodec::DetectThresholds& T() { return textcodec::DetectionThresholds(); }

TEST(DetectThresholds, Utf16WithoutAMark) {
  // 64 units: ASCII ones have a zero high byte, U+3042 none.
  const std::string ascii("a\0", 2), kana("\x42\x30", 2), zeroLow("\0\x30", 2);
  const std::size_t units = 64, need = units / T().utf16ZeroShare;
  EXPECT_EQ(TextEncoding::kUtf16Le, Detect(Repeat(ascii, need) + Repeat(kana, units - need)));
  EXPECT_NE(TextEncoding::kUtf16Le, Detect(Repeat(ascii, need - 1) + Repeat(kana, units - need + 1)));
  // Units with a zero low byte: at most one in utf16OtherZeroShare.
  const std::size_t other = units / T().utf16OtherZeroShare;
  EXPECT_EQ(TextEncoding::kUtf16Le,
            Detect(Repeat(ascii, 32) + Repeat(zeroLow, other) + Repeat(kana, units - 32 - other)));
  EXPECT_NE(TextEncoding::kUtf16Le,
            Detect(Repeat(ascii, 32) + Repeat(zeroLow, other + 1) + Repeat(kana, units - 33 - other)));
}

TEST(DetectThresholds, BinHexMarkerWithinTheFirstLines) {
  const std::string marker = "(This file must be converted; you knew that already.)\r\n:abc:\r\n";
  const std::size_t lines = T().binHexMarkerLines;
  EXPECT_EQ(TextEncoding::kBinHex, Detect(Repeat("note\r\n", lines - 1) + marker));
  EXPECT_NE(TextEncoding::kBinHex, Detect(Repeat("note\r\n", lines) + marker));
  // Either wording, blanks before it allowed; not in the middle of a line.
  EXPECT_EQ(TextEncoding::kBinHex, Detect("  (This file must be converted with BinHex 4.0)\n:x:"));
  EXPECT_NE(TextEncoding::kBinHex, Detect("He wrote (This file must be converted) here.\n"));
  // Only the first binHexMarkerSearch bytes are looked at.
  EXPECT_NE(TextEncoding::kBinHex, Detect(std::string(T().binHexMarkerSearch, 'x') + "\n" + marker));
}

TEST(DetectThresholds, Base64Length) {
  // "ABCDEFGHIJKL" on two lines: 16 characters.
  ASSERT_EQ(16u, T().base64MinChars);
  EXPECT_EQ(TextEncoding::kBase64, Detect("QUJDREVG\nR0hJSktM\n"));
  EXPECT_EQ(TextEncoding::kShiftJis, Detect("QUJDREVG\nR0hJ\n"));
  // A single line needs 24.
  ASSERT_EQ(24u, T().base64MinSingleLine);
  EXPECT_EQ(TextEncoding::kBase64, Detect("QUJDREVGR0hJSktMTU5PUFFS"));
  EXPECT_EQ(TextEncoding::kShiftJis, Detect("QUJDREVGR0hJSktMTU5P"));
}

std::string Base64Of(const std::string& bytes) {
  std::string out;
  EXPECT_TRUE(textcodec::EncodeSjis(bytes.data(), bytes.size(), TextEncoding::kBase64, &out));
  return out;
}

TEST(DetectThresholds, Base64ContentMustReadAsText) {
  // 30 decoded bytes; 0xFD reads as no text.
  const unsigned percent = T().base64TextPercent;
  ASSERT_EQ(90u, percent);
  std::string enough, fewer;
  for (int i = 0; i < 3; ++i) enough += "aaaaaaaaa\xFD";       // 27 of 30: 90 %
  fewer = "aaaaaaaa\xFD" "aaaaaaaaa\xFD" "aaaaaaaa\xFD\xFD";    // 26 of 30
  EXPECT_EQ(TextEncoding::kBase64, Detect(Base64Of(enough)));
  EXPECT_EQ(TextEncoding::kShiftJis, Detect(Base64Of(fewer)));
  // Control characters: never text.
  EXPECT_EQ(TextEncoding::kShiftJis, Detect(Base64Of(std::string(27, 'a') + "\x01\x02\x03")));
  // Shift-JIS, UTF-8 and UTF-16 text inside (24 Base64 characters or more).
  EXPECT_EQ(TextEncoding::kBase64, Detect(Base64Of("\x82\xA0\x82\xA2\x82\xA4\x8A\xBF\x8E\x9A\x82\xC5\x82\xB7\x81\x42")));
  EXPECT_EQ(TextEncoding::kBase64, Detect(Base64Of(Repeat("\xE3\x81\x82\xE3\x81\x84\xE3\x81\x86", 2))));
  EXPECT_EQ(TextEncoding::kBase64, Detect(Base64Of(std::string("\xFF\xFEh\0e\0l\0l\0o\0,\0w\0o\0r\0l\0d\0", 24))));
}

TEST(DetectThresholds, Utf8DespiteAFewBadBytes) {
  const std::string a = "\xE3\x81\x82";  // あ
  const std::size_t per = T().utf8ValidPerInvalid;
  EXPECT_EQ(TextEncoding::kUtf8, Detect(Repeat(a, per) + "\xFF"));
  EXPECT_NE(TextEncoding::kUtf8, Detect(Repeat(a, per - 1) + "\xFF"));
  // One bad byte in thousands of lines is still UTF-8.
  std::string big = Repeat("\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE6\x96\x87\r\n", 4000);
  big.insert(big.size() / 2, "\x82");
  EXPECT_EQ(TextEncoding::kUtf8, Detect(big));
}

TEST(DetectThresholds, EucKanaShare) {
  // E0 E0 is a pair in both EUC-JP and Shift-JIS; A4 A2 (あ) is kana in EUC.
  const std::string pair = "\xE0\xE0", kana = "\xA4\xA2";
  const std::size_t share = T().eucKanaShare;
  EXPECT_EQ(TextEncoding::kEucJp, Detect(Repeat(pair, share - 1) + kana));
  EXPECT_EQ(TextEncoding::kShiftJis, Detect(Repeat(pair, share) + kana));
}

TEST(DetectPlainFiles, NumberListsWordsAndHexAreNeverBase64) {
  EXPECT_EQ(TextEncoding::kShiftJis, Detect("20240105\n20240212\n20240318\n20240420\n"));
  EXPECT_EQ(TextEncoding::kShiftJis, Detect("20240105\r\n20240212\r\n20240318\r\n20240420\r\n"));
  std::mt19937 rng(1207);
  std::uniform_int_distribution<int> digit(0, 9), lines(4, 40), hex(0, 15), letter(0, 25);
  int base64 = 0;
  for (int round = 0; round < 2000; ++round) {
    std::string numbers, codes, words, dump;
    const int n = lines(rng);
    for (int i = 0; i < n; ++i) {
      for (int k = 0; k < 8; ++k) numbers += static_cast<char>('0' + digit(rng));
      numbers += round % 2 ? "\r\n" : "\n";
      for (int k = 0; k < 12; ++k) codes += static_cast<char>(k < 2 ? 'A' + letter(rng) : '0' + digit(rng));
      codes += "\n";
      for (int k = 0; k < 4; ++k) words += static_cast<char>((k == 0 ? 'A' : 'a') + letter(rng));
      words += "\n";
      for (int k = 0; k < 32; ++k) dump += "0123456789abcdef"[hex(rng)];
      dump += "\n";
    }
    for (const std::string* s : {&numbers, &codes, &words, &dump}) base64 += Detect(*s) == TextEncoding::kBase64;
  }
  EXPECT_EQ(0, base64);
}

}  // namespace
