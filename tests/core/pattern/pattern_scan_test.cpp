// The whole-text scans against the careful paths: the literal finder 16
// bytes at a time against one byte at a time and a plain search, the plain
// literal's matches against the engine line by line, and the line-wise
// replace with and without its whole-text paths. Inputs are made of the
// bytes that matter: lead and trail bytes (also ones equal to ASCII bytes),
// CR, LF, NUL, 0x06, letters of both cases and the pattern's own bytes.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/pattern/pattern.h"
#include "core/pattern/pattern_literal.h"

using namespace pat;

namespace {

const char* const kPieces[] = {"a", "A", "b", "s", "t", "S", "\\", "\x5C", "\x83", "\x81", "\x82\xA0", "\x95\x5C",
                               "\x83\x41", "\x83\x83", "\x93\x8C", "\x8B\x9E", "\r", "\n", "\r\n", "" /* NUL */,
                               "\x06", "!", "1", "@", "`", "\xFC", "\xE0\x40", "ｶ"};

std::string Pick(std::mt19937& rng, int count) {
  std::string s;
  for (int i = 0; i < count; ++i) {
    const unsigned k = rng() % (sizeof kPieces / sizeof kPieces[0]);
    if (k == 19) s += '\0';  // the NUL piece (a C string cannot hold it)
    else s += kPieces[k];
  }
  return s;
}

int Naive(const std::string& text, const std::string& bytes, const std::vector<unsigned char>& fold, int from, int end) {
  const int n = static_cast<int>(bytes.size());
  auto low = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; };
  for (int p = from; p + n <= end; ++p) {
    bool ok = true;
    for (int i = 0; i < n && ok; ++i) {
      unsigned char a = static_cast<unsigned char>(text[p + i]), b = static_cast<unsigned char>(bytes[i]);
      const bool letter = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z');
      if (i < static_cast<int>(fold.size()) && fold[i] && letter) ok = low(a) == low(b);
      else ok = a == b;
    }
    if (ok) return p;
  }
  return -1;
}

struct Compiled {
  std::string search, repl;
  unsigned flags;
};
Compiled Translate(const std::string& userSearch, const std::string& userRepl, unsigned extra) {
  std::string rule = userSearch + '\x1C' + userRepl;
  ExpandEscapeSequences(rule, kEscapeSearch);
  Compiled c;
  c.flags = TranslateSearchPattern(rule, &c.search, &c.repl, '&') | extra;
  return c;
}

}  // namespace

TEST(PatternScan, LiteralFinderAgreesWithAPlainSearch) {
  std::mt19937 rng(4242);
  for (int round = 0; round < 20000; ++round) {
    const std::string text = Pick(rng, static_cast<int>(rng() % 70));
    std::string bytes = Pick(rng, 1 + static_cast<int>(rng() % 3));
    if (rng() % 3 == 0 && text.size() > 4) {  // a piece of the text itself, so hits come often
      const size_t at = rng() % (text.size() - 2);
      bytes = text.substr(at, 1 + rng() % 3);
    }
    std::vector<unsigned char> fold(bytes.size());
    for (auto& f : fold) f = static_cast<unsigned char>(rng() % 2);
    detail::LiteralFinder finder;
    finder.Init(bytes, fold);
    const int len = static_cast<int>(text.size());
    const int from = len ? static_cast<int>(rng() % (len + 1)) : 0;
    const int end = from + static_cast<int>(rng() % (len - from + 1));
    const int want = Naive(text, bytes, fold, from, end);
    ASSERT_EQ(want, finder.NextPortable(text.data(), from, end)) << "round " << round;
    ASSERT_EQ(want, finder.Next(text.data(), from, end)) << "round " << round;
    // Backwards: the last place, found as the last of the forward places.
    int last = -1;
    for (int p = Naive(text, bytes, fold, from, end); p >= 0; p = Naive(text, bytes, fold, p + 1, end)) last = p;
    ASSERT_EQ(last, finder.PrevPortable(text.data(), from, end)) << "round " << round;
    ASSERT_EQ(last, finder.Prev(text.data(), from, end)) << "round " << round;
  }
}

TEST(PatternScan, LiteralFinderOnLongTextsAtEveryEnd) {
  // Hits in every lane of the 16-byte blocks and right at the end of the text.
  std::string text(300, 'x');
  detail::LiteralFinder finder;
  finder.Init("Ab", {1, 0});
  for (int at = 0; at + 2 <= 300; ++at) {
    std::string t = text;
    t[at] = (at % 2) ? 'a' : 'A';
    t[at + 1] = 'b';
    for (int end = at + 1; end <= 300; end += (end < at + 40 ? 1 : 37)) {
      const int want = end >= at + 2 ? at : -1;
      ASSERT_EQ(want, finder.Next(t.data(), 0, end)) << at << " " << end;
      ASSERT_EQ(want, finder.NextPortable(t.data(), 0, end)) << at << " " << end;
      ASSERT_EQ(want, finder.Prev(t.data(), 0, end)) << at << " " << end;
      ASSERT_EQ(want < 0 ? -1 : at, finder.Prev(t.data(), at, end)) << at << " " << end;
      ASSERT_EQ(-1, finder.Prev(t.data(), at + 1, end)) << at << " " << end;
    }
  }
  finder.Init("aB", {0, 0});  // exact: another case is no hit
  EXPECT_EQ(-1, finder.Next("xxxxxxxxxxxxxxxxxxxxAbxxxxab", 0, 28));
}

TEST(PatternScan, PlainLiteralMatchesAreTheEngineMatches) {
  // A trail byte equal to the literal's first byte is never a hit: the
  // double-byte state is known from any line start on, since CR and LF are
  // never trail bytes.
  PatternProgram p;
  p.Compile("\x5C" "A", "", kFlagsMacroReplace);
  ASSERT_TRUE(p.IsPlainLiteral());
  const std::string t = "\x95\x5C" "A\r\n\x83\x83\x95\x5C" "A \x83\x83\x5C" "A";
  PatternHit h;
  ASSERT_TRUE(p.NextLiteralMatch(t.data(), 0, static_cast<int>(t.size()), &h));
  EXPECT_EQ(static_cast<int>(t.size()) - 2, h.start);

  std::mt19937 rng(99);
  const char* searches[] = {"a", "A", "st", "\\\\", "表", "ア", "\\x83", "\\x5C" "A", "\\x06", "1", "nc:sT", "nc:a表",
                            "東京", "ｶ", "\\x81\\x81", "@`"};
  for (int round = 0; round < 6000; ++round) {
    const std::string search = searches[rng() % (sizeof searches / sizeof searches[0])];
    Compiled c = Translate(search, "R", (rng() % 2) ? kFlagsMacroReplace : kFlagReplaceMode);
    PatternProgram prog;
    prog.Compile(c.search, c.repl, c.flags);
    if (!prog.IsPlainLiteral()) continue;
    const std::string text = Pick(rng, static_cast<int>(rng() % 60));
    const int len = static_cast<int>(text.size());
    // Careful path: every line (CR, LF or CR LF ends one) through Find.
    std::vector<PatternHit> want, got;
    for (int ls = 0; ls <= len;) {
      int le = ls;
      while (le < len && text[le] != '\r' && text[le] != '\n') ++le;
      for (int from = ls; from <= le;) {
        PatternHit x;
        if (!prog.Find(text.data(), ls, le, &x, from)) break;
        want.push_back(x);
        from = x.start + x.length;
      }
      if (le >= len) break;
      ls = le + ((text[le] == '\r' && le + 1 < len && text[le + 1] == '\n') ? 2 : 1);
    }
    for (int from = 0;;) {
      PatternHit x;
      if (!prog.NextLiteralMatch(text.data(), from, len, &x)) break;
      got.push_back(x);
      from = x.start + x.length;
    }
    ASSERT_EQ(want.size(), got.size()) << "round " << round << " " << search;
    for (size_t i = 0; i < want.size(); ++i) {
      ASSERT_EQ(want[i].start, got[i].start) << "round " << round;
      ASSERT_EQ(want[i].length, got[i].length) << "round " << round;
    }
  }
}

TEST(PatternScan, LineWiseReplaceEqualsTheLineByLineEngine) {
  // The plain-literal pass, the line-start scan and the literal skip against
  // one engine call per line: output, count, statistics (passes included:
  // long replacements make a pass restart) and every poll.
  std::mt19937 rng(31337);
  const char* searches[] = {"a", "st", "nc:st", "表", "\\x5C", "\\x83", "|1", "|a", "nc:|S", "|表", "\\x06",
                            "!", "a&b", "%1", "東京", "ｶ", "|\\x83", "1|", "\\x81\\x81"};
  const char* repls[] = {"R", "NULL", "$P$P", "RRRRRRRRRRRRRRRRRRRR", "\\x83"};
  for (int round = 0; round < 4000; ++round) {
    std::string text = Pick(rng, static_cast<int>(rng() % 120));
    if (round % 200 == 0) {
      std::string many;
      for (int i = 0; i < 23000; ++i) many += (i % 991 == 0) ? "a1\n" : "xy\r\n";
      text = many + text;
    }
    const std::string search = searches[rng() % (sizeof searches / sizeof searches[0])];
    const std::string repl = repls[rng() % (sizeof repls / sizeof repls[0])];
    Compiled c = Translate(search, repl, (rng() % 2) ? kFlagsMacroReplace : kFlagReplaceMode);
    ReplaceLinesOptions o;
    if (rng() % 3 == 0) {
      o.firstLine = static_cast<int>(rng() % 4);
      o.lastLine = o.firstLine + static_cast<int>(rng() % 10) - 3;
    }
    if (rng() % 5 == 0) {
      o.colFirst = 1 + static_cast<int>(rng() % 2);
      o.colLast = static_cast<int>(rng() % 3);
    }
    struct Polls {
      std::vector<int> seen;
      int stopAt;
      static bool Poll(void* ctx, int line) {
        Polls* p = static_cast<Polls*>(ctx);
        p->seen.push_back(line);
        return line == p->stopAt;
      }
    };
    Polls fast{{}, (round % 400 == 0) ? 21000 : -1}, slow{{}, fast.stopAt};
    o.poll = &Polls::Poll;
    ReplaceLinesStats fs, ss;
    std::string fo, so;
    o.pollContext = &fast;
    const int fc = ReplaceLines(text.data(), static_cast<int>(text.size()), c.search, c.repl, c.flags, o, &fo, &fs);
    SetLineSkipping(false);
    o.pollContext = &slow;
    const int sc = ReplaceLines(text.data(), static_cast<int>(text.size()), c.search, c.repl, c.flags, o, &so, &ss);
    SetLineSkipping(true);
    ASSERT_EQ(sc, fc) << "round " << round << " search " << search;
    ASSERT_TRUE(so == fo) << "round " << round << " search " << search;
    ASSERT_EQ(ss.passes, fs.passes) << "round " << round;
    ASSERT_EQ(ss.stopped, fs.stopped);
    ASSERT_EQ(ss.fieldCount, fs.fieldCount);
    ASSERT_EQ(ss.lineCount, fs.lineCount);
    ASSERT_EQ(slow.seen, fast.seen) << "round " << round;
  }
}

TEST(PatternScan, WhatTheScansLookFor) {
  PatternProgram p;
  p.Compile("\x02" "ab", "", kFlagsMacroReplace);  // |ab
  EXPECT_FALSE(p.IsPlainLiteral());
  const std::string t = "ab\nxab\nab";
  EXPECT_EQ(0, p.NextPossibleLineStart(t.data(), 0, 9));
  EXPECT_EQ(7, p.NextPossibleLineStart(t.data(), 3, 9));  // "xab" does not begin with it
  EXPECT_EQ(9, p.NextPossibleLineStart(t.data(), 8, 9));
  p.Compile("a\x03" "xyz", "", kFlagsMacroReplace);  // a&xyz: the longest literal
  EXPECT_EQ(-1, p.NextPossibleLineStart(t.data(), 0, 9));
  EXPECT_EQ(4, p.NextPossible("abcdxyz", 0, 7));
  EXPECT_EQ(7, p.NextPossible("abcdxy", 0, 7));  // none: the end
  p.Compile("\x01", "", kFlagsMacroReplace);  // no literal: every line
  EXPECT_EQ(-1, p.NextPossible("abc", 0, 3));
  p.Compile("abc", "", kFlagReplaceMode);  // case ignored: letters in either case
  EXPECT_TRUE(p.IsPlainLiteral());
  EXPECT_EQ(2, p.NextPossible("xxAbC", 0, 5));
  p.Compile("a\nb", "", kFlagsMacroReplace);  // a line break is never inside a line's match
  EXPECT_FALSE(p.IsPlainLiteral());
  p.Compile("ab", "", kFlagsMacroReplace | kFlagWholeWord);
  EXPECT_FALSE(p.IsPlainLiteral());
}
