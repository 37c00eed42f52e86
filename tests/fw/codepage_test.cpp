#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "fw/codepage.h"
#include "fw/file.h"
#include "support/scratch.h"

namespace {

struct Pair {
  const char* sjis;
  std::u16string utf16;
  const char* note;
};

// Values as iconv's CP932 gives them (checked against the tool in
// Codepage.AgreesWithIconvOnEveryCode natively).
const Pair kRoundTrip[] = {
    {"A\\~", u"A\\~", "ASCII, 0x5C and 0x7E stay themselves"},
    {"\xB1\xDF\xA1", u"\uFF71\uFF9F\uFF61", "half-width katakana"},
    {"\x82\xA0", u"\u3042", "hiragana a"},
    {"\x87\x40", u"\u2460", "NEC special: circled 1"},
    {"\x87\x54", u"\u2160", "NEC special: Roman numeral one"},
    {"\xFB\xFC", u"\u9AD9", "IBM extension: taka"},
    {"\xFA\x40", u"\u2170", "IBM extension: small Roman numeral one"},
    {"\xFA\x5C", u"\u7E8A", "IBM extension with a 0x5C trail byte"},
    {"\x81\x60\x81\x7C\x81\xCA", u"\uFF5E\uFF0D\uFFE2", "tilde, minus, not sign"},
    {"\x81\xE0\x81\xBE", u"\u2252\u222A", "JIS symbols NEC also has"},
    {"\xF0\x40", u"\uE000", "user-defined area"},
};

// Codes that decode to a character whose own code is another one.
const Pair kDecodeOnly[] = {
    {"\xED\x40", u"\u7E8A", "NEC-selected IBM extension"},
    {"\xEE\xEF", u"\u2170", "NEC-selected small Roman numeral"},
    {"\x87\x90\x87\x9B", u"\u2252\u2229", "NEC duplicates of JIS symbols"},
    {"\xFA\x4A\xEE\xF9", u"\u2160\uFFE2", "IBM / NEC-selected duplicates"},
};

const Pair kInvalid[] = {
    {"a\x80" "b", u"a\u30FBb", "0x80 starts nothing"},
    {"\xA0\xFD\xFE\xFF", u"\u30FB\u30FB\u30FB\u30FB", "0xA0 and 0xFD-0xFF"},
    {"\x85\x40z", u"\u30FBz", "unassigned pair: one replacement for both bytes"},
    {"\x81\n", u"\u30FB\n", "lead byte before a line feed keeps the line feed"},
    {"\x81\x7F", u"\u30FB\x7F", "0x7F is no trail byte"},
    {"x\x82", u"x\u30FB", "lead byte at the very end"},
};

std::u16string Decode(const char* s) { return fw::Cp932ToUtf16(s, std::char_traits<char>::length(s)); }

}  // namespace

TEST(Codepage, TableRoundTrips) {
  for (const Pair& p : kRoundTrip) {
    EXPECT_EQ(p.utf16, Decode(p.sjis)) << p.note;
    EXPECT_EQ(std::string(p.sjis), fw::Utf16ToCp932(p.utf16)) << p.note;
  }
  for (const Pair& p : kDecodeOnly) EXPECT_EQ(p.utf16, Decode(p.sjis)) << p.note;
}

TEST(Codepage, InvalidInputIsReplacedAndNeverOverread) {
  for (const Pair& p : kInvalid) EXPECT_EQ(p.utf16, Decode(p.sjis)) << p.note;
  // A length that cuts a character in two: only the given bytes are read.
  const char text[] = "\x82\xA0\x82\xA2";
  EXPECT_EQ(u"\u3042\u30FB", fw::Cp932ToUtf16(text, 3));
  EXPECT_EQ(u"", fw::Cp932ToUtf16(text, 0));
  EXPECT_EQ(u"", fw::Cp932ToUtf16(nullptr, 5));
  // Embedded NUL bytes are characters like any other.
  EXPECT_EQ(std::u16string(u"a\0b", 3), fw::Cp932ToUtf16("a\0b", 3));
}

TEST(Codepage, TextsFullOfUnassignedCodesDecodeInLinearTime) {
  // 0x88 0x88 is a well-formed pair without a character: every one is
  // replaced, and the valid characters between them still come through.
  auto text = [](std::size_t units) {
    std::string s;
    for (std::size_t i = 0; i < units; ++i) s += (i % 4 == 3) ? "\x82\xA0" : "\x88\x88";
    return s;
  };
  // Decodes `s` `times` times over; the seconds of all of them together.
  auto timed = [](const std::string& s, int times, std::u16string* u) {
    auto t0 = std::chrono::steady_clock::now();
    for (int k = 0; k < times; ++k) *u = fw::Cp932ToUtf16(s.data(), s.size());
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  };
  // The best of a few runs: on a loaded machine one run can be held up long
  // enough to look like growth.
  auto best = [&](const std::string& s, int times, std::u16string* u) {
    double b = 1e9;
    for (int run = 0; run < 5; ++run) b = std::min(b, timed(s, times, u));
    return b;
  };
  std::u16string u;
  // Sixteen decodes of 16 K units against one of 256 K: the same work when
  // it is linear, so both take about as long and are as exposed to a busy
  // machine; the old quadratic work took 16 times as long for the large one.
  const double small = best(text(1 << 14), 16, &u);
  ASSERT_EQ(std::size_t(1) << 14, u.size());
  EXPECT_EQ(u"\u30FB\u30FB\u30FB\u3042", u.substr(0, 4));
  const double large = best(text(1 << 18), 1, &u);
  ASSERT_EQ(std::size_t(1) << 18, u.size());
  EXPECT_LT(large, 4 * small + 0.02) << small << " s for 16 x 16 K units, " << large << " s for 256 K";
}

TEST(Codepage, EncodingUnmappableGivesQuestionMarks) {
  EXPECT_EQ("?", fw::Utf16ToCp932(u"\u20AC"));          // euro: not in the code page
  EXPECT_EQ("?", fw::Utf16ToCp932(u"\u00A6"));          // broken bar: no look-alike
  EXPECT_EQ("a?b", fw::Utf16ToCp932(u"a\U0001F600b"));   // one '?' for a surrogate pair
  EXPECT_EQ("?x", fw::Utf16ToCp932(std::u16string(u"\xD800x")));  // unpaired high half
  EXPECT_EQ("x?", fw::Utf16ToCp932(std::u16string(u"x\xDC00")));  // unpaired low half
  // JIS-style code points of characters CP932 keeps elsewhere.
  EXPECT_EQ("\x81\x60\x81\x61\x81\x5C\x5C", fw::Utf16ToCp932(u"\u301C\u2016\u2014\u00A5"));
}

TEST(Codepage, Utf8) {
  EXPECT_EQ("\xE2\x91\xA0\xE9\xAB\x99\xEF\xBD\xB1", fw::Cp932ToUtf8("\x87\x40\xFB\xFC\xB1", 5));
  EXPECT_EQ("\x87\x40\xFB\xFC\xB1", fw::Utf8ToCp932(std::string("\xE2\x91\xA0\xE9\xAB\x99\xEF\xBD\xB1")));
  EXPECT_EQ("\xF0\x9F\x98\x80", fw::Utf16ToUtf8(u"\U0001F600"));
  EXPECT_EQ(u"\U0001F600", fw::Utf8ToUtf16(std::string("\xF0\x9F\x98\x80")));
  // Bad UTF-8: a stray continuation byte, an overlong '/', a surrogate, a cut sequence.
  EXPECT_EQ(u"\uFFFDa", fw::Utf8ToUtf16(std::string("\x80" "a")));
  EXPECT_EQ(u"\uFFFD\uFFFD", fw::Utf8ToUtf16(std::string("\xC0\xAF")));
  EXPECT_EQ(u"\uFFFD", fw::Utf8ToUtf16(std::string("\xED\xA0\x80")));
  EXPECT_EQ(u"x\uFFFD", fw::Utf8ToUtf16(std::string("x\xE3\x81")));
  EXPECT_EQ("\xEF\xBF\xBD", fw::Utf16ToUtf8(std::u16string(u"\xDC00")));
}

// The UTF-8 conversion looks units up in a table made from the UTF-16 one:
// on random texts (ASCII runs, half-width katakana, pairs with every kind of
// trail byte, stray and cut lead bytes) both give the same bytes.
TEST(Codepage, Utf8TableAgreesWithTheUtf16Road) {
  unsigned seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7FFF;
  };
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    const int units = static_cast<int>(next() % 40);
    for (int k = 0; k < units; ++k) {
      switch (next() % 4) {
        case 0:
          text += std::string(next() % 12, static_cast<char>('a' + next() % 26));
          break;
        case 1: {
          const int lead = next() % 2 ? 0x81 + static_cast<int>(next() % 31) : 0xE0 + static_cast<int>(next() % 29);
          text += static_cast<char>(lead);
          text += static_cast<char>(0x30 + next() % 0xD0);  // trail bytes and others
          break;
        }
        default:
          text += static_cast<char>(next() % 256);
      }
    }
    EXPECT_EQ(fw::Utf16ToUtf8(fw::Cp932ToUtf16(text)), fw::Cp932ToUtf8(text)) << "round " << round;
  }
  // Every unit on its own and after a lead byte.
  for (int b = 0; b < 256; ++b) {
    for (const std::string& t : {std::string(1, static_cast<char>(b)), std::string("\x81") + static_cast<char>(b),
                                 std::string("\xFC") + static_cast<char>(b) + "A"}) {
      EXPECT_EQ(fw::Utf16ToUtf8(fw::Cp932ToUtf16(t)), fw::Cp932ToUtf8(t)) << "byte " << b;
    }
  }
}

#ifndef _WIN32
namespace {

// Runs iconv -c over a file; "-c" leaves out what it cannot convert.
std::string RunIconv(const CString& inputPath, const char* from, const char* to) {
  std::string cmd = std::string("iconv -c -f ") + from + " -t " + to + " '" +
                    fw::ToPosixPath(inputPath) + "' 2>/dev/null";
  std::string out;
  FILE* p = popen(cmd.c_str(), "r");
  if (p == nullptr) return out;
  char buf[65536];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  pclose(p);
  return out;
}

std::vector<std::string> Lines(const std::string& s) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\n') {
      lines.push_back(s.substr(start, i - start));
      start = i + 1;
    }
  }
  return lines;
}

}  // namespace

TEST(Codepage, AgreesWithIconvOnEveryCode) {
  testsupport::Scratch scratch;
  // Every single byte but LF, and every lead byte with every trail byte, one
  // per line after an "X".
  std::vector<std::string> codes;
  for (int b = 0; b < 256; ++b) {
    if (b != '\n') codes.push_back(std::string(1, static_cast<char>(b)));
  }
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (lead > 0x9F && lead < 0xE0) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail == 0x7F) continue;
      codes.push_back(std::string{static_cast<char>(lead), static_cast<char>(trail)});
    }
  }
  std::string input;
  for (const std::string& c : codes) input += "X" + c + "\n";
  CString path = scratch.Path("codes.txt");
  {
    CFile f(path, CFile::modeCreate | CFile::modeWrite);
    f.Write(input.data(), static_cast<UINT>(input.size()));
  }
  std::vector<std::string> lines = Lines(RunIconv(path, "CP932", "UTF-8"));
  ASSERT_EQ(codes.size(), lines.size()) << "iconv output not line for line";
  int checked = 0;
  for (std::size_t i = 0; i < codes.size(); ++i) {
    std::string mine = fw::Cp932ToUtf8(codes[i]);
    std::string theirs = lines[i].substr(1);
    // iconv -c drops a rejected lead byte and may then read the trail byte
    // alone, as ASCII or half-width katakana, which no double-byte code gives.
    std::u16string t16 = fw::Utf8ToUtf16(theirs);
    bool rejected = t16.empty() || (codes[i].size() == 2 && t16.size() == 1 &&
                                    (t16[0] < 0x80 || (t16[0] >= 0xFF61 && t16[0] <= 0xFF9F)));
    if (rejected) {
      EXPECT_EQ("\xE3\x83\xBB", mine) << "code " << std::hex
                                      << (static_cast<unsigned char>(codes[i][0]) * 256 +
                                          (codes[i].size() == 2 ? static_cast<unsigned char>(codes[i][1]) : 0));
    } else {
      EXPECT_EQ(theirs, mine) << "code " << std::hex
                              << (static_cast<unsigned char>(codes[i][0]) * 256 +
                                  (codes[i].size() == 2 ? static_cast<unsigned char>(codes[i][1]) : 0));
      ++checked;
    }
  }
  EXPECT_GT(checked, 9000);  // the code page has about 9,400 double-byte characters

  // The other way: every BMP character outside the surrogates.
  std::string utf8;
  std::vector<char16_t> chars;
  for (unsigned c = 0x80; c <= 0xFFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    chars.push_back(static_cast<char16_t>(c));
    utf8 += "X" + fw::Utf16ToUtf8(std::u16string(1, static_cast<char16_t>(c))) + "\n";
  }
  CString path2 = scratch.Path("chars.txt");
  {
    CFile f(path2, CFile::modeCreate | CFile::modeWrite);
    f.Write(utf8.data(), static_cast<UINT>(utf8.size()));
  }
  lines = Lines(RunIconv(path2, "UTF-8", "CP932"));
  ASSERT_EQ(chars.size(), lines.size());
  for (std::size_t i = 0; i < chars.size(); ++i) {
    std::string theirs = lines[i].substr(1);
    std::string mine = fw::Utf16ToCp932(std::u16string(1, chars[i]));
    EXPECT_EQ(theirs.empty() ? std::string("?") : theirs, mine) << "U+" << std::hex << chars[i];
  }
}
#endif
