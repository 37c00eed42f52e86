// The 64-byte Shift-JIS check against its byte loop, over random texts of the
// bytes that decide pairing (lead-range, trail-range and other bytes, line
// ends, NUL), read from every offset, and through the decoder.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/textcodec/sjis_map.h"
#include "core/textcodec/sjis_scan.h"
#include "core/textcodec/textcodec.h"

namespace {

// Mostly lead-range and trail-range bytes in long runs, some plain bytes and
// the range edges.
std::string RandomSjisish(std::mt19937& rng, std::size_t n) {
  static const std::uint8_t kBytes[] = {0x81, 0x82, 0x9F, 0xE0, 0xEA, 0xFC,  // lead range
                                        0x40, 0x7E, 0x80, 0xA0, 0xA1, 0xDF,  // trail only
                                        0x7F, 0xFD, 0xFF, 0x3F, 0x00,        // neither
                                        'a',  ',',  '"',  '\r', '\n'};
  std::string s(n, '\0');
  const int kind = static_cast<int>(rng() % 3);
  for (auto& c : s) {
    std::uint32_t r = rng() % 100;
    if (kind == 0 && r < 70) c = static_cast<char>(kBytes[rng() % 6]);       // long lead runs
    else if (kind == 1 && r < 90) c = static_cast<char>(0x20 + rng() % 0x60); // mostly ASCII
    else c = static_cast<char>(kBytes[rng() % sizeof kBytes]);
  }
  return s;
}

struct FastScan {
  explicit FastScan(bool on) { textcodec::SetFastTextScans(on); }
  ~FastScan() { textcodec::SetFastTextScans(true); }
};

std::size_t Find(const std::string& s, std::size_t off, bool fast) {
  FastScan f(fast);
  // An exact heap copy, so that a read past the end is caught.
  const std::size_t n = s.size() - off;
  std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[n ? n : 1]);
  std::memcpy(copy.get(), s.data() + off, n);
  return textcodec::FindBrokenSjisLead(copy.get(), n);
}

TEST(SjisScanTest, SecondBytesOfABlockMatchAWalkOverIt) {
  std::mt19937 rng(31);
  for (int round = 0; round < 20000; ++round) {
    std::uint64_t leads = 0;
    const int density = static_cast<int>(rng() % 4);
    for (int b = 0; b < 64; ++b)
      if (rng() % 4 <= static_cast<std::uint32_t>(density)) leads |= 1ull << b;
    std::uint64_t carryIn = rng() & 1, carry = carryIn;
    const std::uint64_t got = textcodec::SjisSecondBytes(leads, &carry);
    std::uint64_t want = 0;
    bool second = carryIn != 0;
    for (int b = 0; b < 64; ++b) {
      if (second) {
        want |= 1ull << b;
        second = false;
      } else {
        second = (leads >> b & 1) != 0;
      }
    }
    ASSERT_EQ(want, got) << round;
    ASSERT_EQ(second ? 1u : 0u, carry) << round;
  }
}

TEST(SjisScanTest, FirstBrokenLeadMatchesTheByteLoopAtEveryOffset) {
  std::mt19937 rng(7);
  for (int round = 0; round < 3000; ++round) {
    const std::string s = RandomSjisish(rng, rng() % 300);
    for (std::size_t off = 0; off <= s.size(); ++off)
      ASSERT_EQ(Find(s, off, false), Find(s, off, true)) << round << " at " << off;
  }
}

TEST(SjisScanTest, CleanTextsAndBrokenLeadsAtEveryPlace) {
  // Clean pairs with a lead-range trail byte, then one lead without its
  // trail byte put at each place of a 200-byte text.
  std::string clean;
  while (clean.size() < 200) clean += (clean.size() % 7 == 3) ? "a" : "\x88\x9F";
  ASSERT_EQ(clean.size(), Find(clean, 0, true));
  for (std::size_t at = 0; at + 1 < clean.size(); ++at) {
    std::string s = clean;
    s[at] = '\x81';
    s[at + 1] = ',';
    ASSERT_EQ(Find(s, 0, false), Find(s, 0, true)) << at;
  }
  // A lead ending the text, right after a pair that crosses a block's end.
  const std::string end = std::string(127, 'a') + "\x88\x9F\x95";
  EXPECT_EQ(129u, Find(end, 0, true));
  EXPECT_EQ(129u, Find(end, 0, false));
  const std::string paired = std::string(127, 'a') + "\x88\x9F";
  EXPECT_EQ(paired.size(), Find(paired, 0, true));
}

TEST(SjisScanTest, CheckedDecodeIsTheSameWithAndWithoutTheFastScan) {
  std::mt19937 rng(19);
  for (int round = 0; round < 3000; ++round) {
    const std::string s = RandomSjisish(rng, rng() % 400);
    std::string slow, fast;
    std::size_t rs, rf;
    {
      FastScan f(false);
      rs = textcodec::DecodeToSjis(textcodec::TextEncoding::kShiftJis, s.data(), s.size(), slow);
    }
    rf = textcodec::DecodeToSjis(textcodec::TextEncoding::kShiftJis, s.data(), s.size(), fast);
    ASSERT_EQ(rs, rf) << round;
    ASSERT_EQ(slow, fast) << round;
  }
}

// Texts near the UTF-8 verdict's line (about 16 valid sequences per invalid
// byte), with Shift-JIS and EUC-JP pairs mixed in: detection stopping early
// gives the answer of the scan that reads every byte.
TEST(SjisScanTest, DetectionStoppingEarlyGivesTheSameAnswer) {
  static const char* const kPieces[] = {"\xE3\x81\x82", "\xC3\xA9", "\xF0\x9F\x98\x80", "abc,", "\r\n",
                                        "\x82\xA0",     "\x93\x8C", "\xA4\xA2",          "\xB1",  "\xE3\x81"};
  std::mt19937 rng(23);
  int utf8 = 0, other = 0;
  for (int round = 0; round < 4000; ++round) {
    std::string s;
    const std::uint32_t share = rng() % 50;  // per thousand pieces not UTF-8
    const std::size_t pieces = 1 + rng() % 600;
    for (std::size_t k = 0; k < pieces; ++k) {
      const bool odd = rng() % 1000 < share;
      s += kPieces[odd ? 5 + rng() % 5 : rng() % 5];
    }
    if (rng() % 4 == 0) s.resize(rng() % (s.size() + 1));
    textcodec::TextEncoding slow, fast;
    {
      FastScan f(false);
      slow = textcodec::DetectTextEncoding(s.data(), s.size());
    }
    fast = textcodec::DetectTextEncoding(s.data(), s.size());
    ASSERT_EQ(static_cast<int>(slow), static_cast<int>(fast)) << round;
    (slow == textcodec::TextEncoding::kUtf8 ? utf8 : other)++;
  }
  // Both answers occur often enough for the comparison to mean something.
  EXPECT_GT(utf8, 400);
  EXPECT_GT(other, 400);
}

}  // namespace
