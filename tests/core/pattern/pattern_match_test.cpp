// MatchPattern / PatternProgram: matches, replacements, limits; and a
// comparison with a plain recursive matcher over random patterns and texts.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/pattern/pattern.h"

using namespace pat;

namespace {

struct Result {
  int count;
  std::string out;
};

// Replaces over a whole text (every line) with a user rule.
Result Replace(const std::string& userRule, const std::string& text,
               unsigned extra = kFlagsMacroReplace, char anyRun = '&') {
  std::string rule = userRule;
  ExpandEscapeSequences(rule, kEscapeSearch);
  std::string s, r;
  unsigned flags = TranslateSearchPattern(rule, &s, &r, anyRun) | extra;
  Result res;
  res.count = ReplaceInText(text, s, r, flags, 1 << 20, &res.out);
  return res;
}

std::string Rule(const std::string& search, const std::string& repl) {
  return search + '\x1C' + repl;
}

}  // namespace

TEST(PatternMatch, LiteralsWildcardsAndAnchors) {
  EXPECT_EQ("xQx", Replace(Rule("abc", "Q"), "xabcx").out);
  EXPECT_EQ("QQa", Replace(Rule("aa", "Q"), "aaaaa").out);  // leftmost, non-overlapping
  EXPECT_EQ("QYb", Replace(Rule("a&b", "Q"), "aXbYb").out);  // the shortest run
  EXPECT_EQ("Q", Replace(Rule("a&b", "Q"), "ab").out);      // a run may be empty
  EXPECT_EQ("xQQ", Replace(Rule("a%", "Q"), "xa表ab").out);  // '%' takes a whole character
  EXPECT_EQ("Qbc abc", Replace(Rule("|a", "Q"), "abc abc").out);
  EXPECT_EQ("abc abQ", Replace(Rule("c|", "Q"), "abc abc").out);
  EXPECT_EQ("Q", Replace(Rule("|abc|", "Q"), "abc").out);
  EXPECT_EQ(0, Replace(Rule("|ab|", "Q"), "abc").count);
  EXPECT_EQ("Q", Replace(Rule("1:a&", "Q"), "abc").out);
  EXPECT_EQ(">abc", Replace(Rule("|", ">"), "abc").out);  // an anchor alone inserts
  EXPECT_EQ(0, Replace(Rule("", "Q"), "abc").count);      // an empty search never matches
}

TEST(PatternMatch, ReplacementForms) {
  EXPECT_EQ("ac", Replace(Rule("b", "NULL"), "abc").out);
  EXPECT_EQ("a[b]c", Replace(Rule("b", "[$P]"), "abc").out);
  EXPECT_EQ("a$Pc", Replace(Rule("b", "\\$P"), "abc").out);
  Result r = Replace("b", "abcb");  // no replacement part: counted, text kept
  EXPECT_EQ(2, r.count);
  EXPECT_EQ("abcb", r.out);
}

namespace {
bool UpperHook(void* ctx, std::string_view name, std::string_view matched, std::string* out) {
  ++*static_cast<int*>(ctx);
  if (name != "UP") return false;
  for (char c : matched) *out += static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  return true;
}
}  // namespace

TEST(PatternMatch, FunctionReplacementThroughTheHook) {
  EXPECT_EQ("xaby", Replace(Rule("ab", "$NUP"), "xaby").out);  // no hook: the match
  int calls = 0;
  SetFunctionHook(&UpperHook, &calls);
  EXPECT_EQ("xAB-y", Replace(Rule("ab", "$NUP-"), "xaby").out);
  EXPECT_EQ("xaby", Replace(Rule("ab", "$NOTHER"), "xaby").out);  // hook declines
  EXPECT_EQ(2, calls);
  SetFunctionHook(nullptr, nullptr);
}

TEST(PatternMatch, CaseFolding) {
  EXPECT_EQ(1, Replace(Rule("abc", "Q"), "xABCx", kFlagReplaceMode).count);  // no keep case
  EXPECT_EQ(0, Replace(Rule("abc", "Q"), "xABCx", kFlagsMacroReplace).count);
  EXPECT_EQ(1, Replace(Rule("nc:abc", "Q"), "xABCx", kFlagsMacroReplace).count);
  EXPECT_EQ(1, Replace(Rule("ABC", "Q"), "xabcx", kFlagReplaceMode).count);
  // Double-byte characters never fold: "ア" is 0x83 0x41, "ャ" 0x83 0x61.
  EXPECT_EQ("\x83\x41", std::string("ア"));
  EXPECT_EQ(0, Replace(Rule("ア", "Q"), "ャ", kFlagReplaceMode).count);
  EXPECT_EQ(0, Replace(Rule("ャ", "Q"), "ア", kFlagReplaceMode).count);
  EXPECT_EQ(0, Replace(Rule("a", "Q"), "ア", kFlagReplaceMode).count);  // trail 'A' is no letter
  EXPECT_EQ("Qア", Replace(Rule("a", "Q"), "Aア", kFlagReplaceMode).out);
}

TEST(PatternMatch, NeverInsideADoubleByteCharacter) {
  // 0x5C is the trail byte of "表" (0x95 0x5C).
  Result r = Replace(Rule("\\\\", "Q"), "表\\表");
  EXPECT_EQ(1, r.count);
  EXPECT_EQ("表Q表", r.out);
  // The lead byte alone does not match a character either.
  EXPECT_EQ(0, Replace(Rule("\\x95", "Q"), "表").count);
  // 0x83 0x83 is a pair, so the 'A' after it stands alone; with one more 0x83 it is a trail.
  EXPECT_EQ("\x83\x83Q", Replace(Rule("A", "Q"), "\x83\x83" "A").out);
  EXPECT_EQ("\x83\x83\x83\x41", Replace(Rule("A", "Q"), "\x83\x83\x83\x41").out);
  // A lone lead byte before a line end does not swallow it.
  EXPECT_EQ("Q\x83\nQ", Replace(Rule("x", "Q"), "x\x83\nx").out);
  EXPECT_EQ("\x83x", Replace(Rule("x", "Q"), "\x83x").out);  // 0x83 'x' is one character
}

TEST(PatternMatch, CellBoundaries) {
  const std::string line = "abd\x06" "b\x06" "d\x06" "bxd";
  Result r = Replace(Rule("b&d", "Q"), line);  // runs never cross a cell boundary
  EXPECT_EQ(2, r.count);
  EXPECT_EQ("aQ\x06" "b\x06" "d\x06" "Q", r.out);
  EXPECT_EQ(0, Replace(Rule("b%d", "Q"), "b\x06" "d").count);
  EXPECT_EQ("Q", Replace(Rule("b\x06" "d", "Q"), "b\x06" "d").out);  // a literal 0x06 crosses
  EXPECT_EQ("Qb\x06Qd", Replace(Rule("\\<", "Q"), "b\x06" "d").out);
  EXPECT_EQ("bQ\x06" "dQ", Replace(Rule("\\>", "Q"), "b\x06" "d").out);
  EXPECT_EQ("x\x06Q\x06" "abc", Replace(Rule("\\<ab\\>", "Q"), "x\x06" "ab\x06" "abc").out);
}

TEST(PatternMatch, WholeWord) {
  Result r = Replace(Rule("cat", "Q"), "cat concat cat_ (cat)", kFlagsMacroReplace | kFlagWholeWord);
  EXPECT_EQ(2, r.count);
  EXPECT_EQ("Q concat cat_ (Q)", r.out);
  // A double-byte character before the match is no word character.
  EXPECT_EQ(1, Replace(Rule("A", "Q"), "アA", kFlagsMacroReplace | kFlagWholeWord).count);
}

TEST(PatternMatch, OneLinePerCallAndItsPositions) {
  PatternProgram p;
  p.Compile("b", "XX", kFlagsMacroReplace | kFlagHasReplacement);
  const std::string src = "abc\r\nbb\nb";
  char out[64];
  int rp = 0, ol = 0;
  EXPECT_EQ(1, p.MatchLine(src.data(), static_cast<int>(src.size()), &rp, out, &ol, 64, 0, 0, nullptr));
  EXPECT_EQ(5, rp);
  EXPECT_EQ("aXXc\r\n", std::string(out, static_cast<size_t>(ol)));
  PatternHit hits[kMaxHits];
  EXPECT_EQ(2, p.MatchLine(src.data(), static_cast<int>(src.size()), &rp, out, &ol, 64, 0, 0, hits));
  EXPECT_EQ(8, rp);
  EXPECT_EQ(5, hits[0].start);
  EXPECT_EQ(6, hits[1].start);
  EXPECT_EQ(1, hits[1].length);
  EXPECT_EQ(1, p.MatchLine(src.data(), static_cast<int>(src.size()), &rp, out, &ol, 64, 0, 0, nullptr));
  EXPECT_EQ(9, rp);
  EXPECT_EQ("aXXc\r\nXXXX\nXX", std::string(out, static_cast<size_t>(ol)));
  // The end anchor stands before the CR LF.
  p.Compile(std::string("c\x04"), "Q", kFlagsMacroReplace | kFlagHasReplacement);
  rp = ol = 0;
  EXPECT_EQ(1, p.MatchLine(src.data(), static_cast<int>(src.size()), &rp, out, &ol, 64, 0, 0, nullptr));
  EXPECT_EQ("abQ\r\n", std::string(out, static_cast<size_t>(ol)));
}

TEST(PatternMatch, OutputLimitIsAClearFailure) {
  PatternProgram p;
  p.Compile("a", "bbb", kFlagsMacroReplace | kFlagHasReplacement);
  const std::string src = "aa\nz";
  std::vector<char> out(16, '#');
  int rp = 0, ol = 2;
  // The line needs 7 bytes after the 2 already there.
  EXPECT_EQ(kErrOutputFull, p.MatchLine(src.data(), 4, &rp, out.data(), &ol, 8, 0, 0, nullptr));
  EXPECT_EQ(0, rp);
  EXPECT_EQ(2, ol);
  EXPECT_EQ('#', out[8]);  // nothing written at or past the limit
  EXPECT_EQ(2, p.MatchLine(src.data(), 4, &rp, out.data(), &ol, 9, 0, 0, nullptr));
  EXPECT_EQ(3, rp);
  EXPECT_EQ(9, ol);
  EXPECT_EQ('#', out[9]);
  EXPECT_EQ(kErrBadArgument, p.MatchLine(src.data(), 4, &rp, out.data(), &ol, 5, 0, 0, nullptr));
  rp = 5;
  EXPECT_EQ(kErrBadArgument, p.MatchLine(src.data(), 4, &rp, out.data(), &ol, 16, 0, 0, nullptr));
  // Count-only calls need no buffer.
  rp = 0;
  EXPECT_EQ(2, p.MatchLine(src.data(), 4, &rp, nullptr, nullptr, 0, 0, 0, nullptr));
}

TEST(PatternMatch, HitsKeepTheFirstHundred) {
  std::string text(250, 'a');
  PatternProgram p;
  p.Compile("a", "", kFlagsMacroReplace);
  std::vector<PatternHit> hits(kMaxHits + 1, PatternHit{-7, -7});
  int rp = 0;
  EXPECT_EQ(250, p.MatchLine(text.data(), 250, &rp, nullptr, nullptr, 0, 0, 0, hits.data()));
  EXPECT_EQ(99, hits[99].start);
  EXPECT_EQ(-7, hits[100].start);
}

TEST(PatternMatch, ColumnRestriction) {
  const std::string line = "a\x06" "a\x06" "a\x06" "a\r\n";
  PatternProgram p;
  p.Compile("a", "Q", kFlagsMacroReplace | kFlagHasReplacement);
  auto run = [&](int c1, int c2) {
    char out[64];
    int rp = 0, ol = 0;
    int n = p.MatchLine(line.data(), static_cast<int>(line.size()), &rp, out, &ol, 64, c1, c2, nullptr);
    EXPECT_EQ(static_cast<int>(line.size()), rp);
    return std::to_string(n) + ":" + std::string(out, static_cast<size_t>(ol));
  };
  EXPECT_EQ("1:a\x06Q\x06" "a\x06" "a\r\n", run(2, 2));
  EXPECT_EQ("2:a\x06Q\x06Q\x06" "a\r\n", run(2, 3));
  EXPECT_EQ("3:a\x06Q\x06Q\x06Q\r\n", run(2, 0));
  EXPECT_EQ("0:a\x06" "a\x06" "a\x06" "a\r\n", run(5, 5));  // the line has 4 cells
  // Anchors stand at the edges of the chosen cells.
  p.Compile(std::string("\x02" "a"), "Q", kFlagsMacroReplace | kFlagHasReplacement);
  EXPECT_EQ("1:a\x06" "a\x06Q\x06" "a\r\n", run(3, 3));
}

TEST(PatternMatch, OneFieldSubject) {
  PatternProgram p;
  p.Compile("b", "Q", kFlagsMacroReplace | kFlagHasReplacement | kFlagOneField);
  const std::string src = "abb\x06" "b";
  char out[16];
  int rp = 0, ol = 0;
  EXPECT_EQ(2, p.MatchLine(src.data(), 5, &rp, out, &ol, 16, 0, 0, nullptr));
  EXPECT_EQ(3, rp);  // stops at the 0x06, which is not taken
  EXPECT_EQ("aQQ", std::string(out, static_cast<size_t>(ol)));
}

TEST(PatternMatch, MatchPatternEntryCachesAndRecompiles) {
  const std::string src = "abc";
  char out[16];
  int rp = 0, ol = 0;
  EXPECT_EQ(1, MatchPattern(src.data(), out, "b", "X", &rp, &ol, 3, kFlagsMacroReplace | kFlagHasReplacement,
                            16, 0, 0, nullptr));
  EXPECT_EQ("aXc", std::string(out, static_cast<size_t>(ol)));
  rp = ol = 0;
  EXPECT_EQ(1, MatchPattern(src.data(), out, "c", "Y", &rp, &ol, 3, kFlagsMacroReplace | kFlagHasReplacement,
                            16, 0, 0, nullptr));
  EXPECT_EQ("abY", std::string(out, static_cast<size_t>(ol)));
}

TEST(PatternMatch, FindGivesTheFirstMatch) {
  PatternProgram p;
  p.Compile(std::string("a\x01" "c"), "", kFlagsMacroReplace);
  PatternHit h;
  const std::string text = "xxabc";
  ASSERT_TRUE(p.Find(text.data(), 0, 5, &h));
  EXPECT_EQ(2, h.start);
  EXPECT_EQ(3, h.length);
  EXPECT_FALSE(p.Find(text.data(), 3, 5, &h));
  const std::string two = "abc abc xabc";
  ASSERT_TRUE(p.FindLast(two.data(), 0, 11, &h));  // the last one ends past 11
  EXPECT_EQ(4, h.start);
  ASSERT_TRUE(p.FindLast(two.data(), 0, 12, &h));
  EXPECT_EQ(9, h.start);
  ASSERT_TRUE(p.FindLast(two.data(), 0, 12, &h, 9));  // starting before the caret at 9
  EXPECT_EQ(4, h.start);
  ASSERT_TRUE(p.Find(two.data(), 0, 12, &h, 1));  // from the caret on
  EXPECT_EQ(4, h.start);
  PatternProgram anchored;
  anchored.Compile(std::string("\x02" "abc"), "", kFlagsMacroReplace);
  EXPECT_TRUE(anchored.Find(two.data(), 0, 12, &h, 0));
  EXPECT_FALSE(anchored.Find(two.data(), 0, 12, &h, 4));  // the anchor stays at the line start
}

// ---- Comparison with a plain recursive matcher ----
namespace {

bool Lead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool Trail(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

struct Ref {
  std::string pat, s;
  int begin, end;
  bool fold, whole;

  int Len(const std::string& t, size_t i, size_t lim) const {
    return Lead(static_cast<unsigned char>(t[i])) && i + 1 < lim &&
                   Trail(static_cast<unsigned char>(t[i + 1]))
               ? 2
               : 1;
  }
  static unsigned char F(unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; }

  int Match(size_t pi, int pos) const {
    if (pi == pat.size()) return (!whole || pos == end) ? pos : -1;
    unsigned char c = static_cast<unsigned char>(pat[pi]);
    switch (c) {
      case 0x01:
        if (pos >= end || s[pos] == 6) return -1;
        return Match(pi + 1, pos + Len(s, pos, end));
      case 0x03:
        for (int q = pos;; q += Len(s, q, end)) {
          int r = Match(pi + 1, q);
          if (r >= 0) return r;
          if (q >= end || s[q] == 6) return -1;
        }
      case 0x02: return pos == begin ? Match(pi + 1, pos) : -1;
      case 0x04: return pos == end ? Match(pi + 1, pos) : -1;
      case 0x18: return (pos == begin || s[pos - 1] == 6) ? Match(pi + 1, pos) : -1;
      case 0x19: return (pos == end || s[pos] == 6) ? Match(pi + 1, pos) : -1;
      default: break;
    }
    size_t pl = static_cast<size_t>(Len(pat, pi, pat.size()));
    if (pos >= end) return -1;
    int sl = Len(s, pos, end);
    if (static_cast<int>(pl) != sl) return -1;
    for (int k = 0; k < sl; ++k) {
      unsigned char a = static_cast<unsigned char>(s[pos + k]);
      unsigned char b = static_cast<unsigned char>(pat[pi + k]);
      if (sl == 1 && fold) {
        a = F(a);
        b = F(b);
      }
      if (a != b) return -1;
    }
    return Match(pi + pl, pos + sl);
  }

  Result Run(const std::string& repl) {
    Result r{0, ""};
    bool anchored = whole || (!pat.empty() && pat[0] == 0x02);
    if (pat.empty() && !whole) return Result{0, s};
    int copied = 0, prevEnd = -1;
    for (int p = begin; p <= end;) {
      int m = Match(0, p);
      if (m >= 0 && !(m == p && p == prevEnd)) {
        ++r.count;
        r.out += s.substr(static_cast<size_t>(copied), static_cast<size_t>(p - copied)) + repl;
        copied = prevEnd = m;
        if (m > p) {
          p = m;
          if (anchored) break;
          continue;
        }
      }
      if (anchored || p >= end) break;
      p += Len(s, static_cast<size_t>(p), static_cast<size_t>(end));
    }
    r.out += s.substr(static_cast<size_t>(copied));
    return r;
  }
};

}  // namespace

TEST(PatternMatch, AgreesWithARecursiveMatcher) {
  const std::vector<std::string> textAtoms = {"a", "b", "A", "\x06", "表", "\\", "ア", "ャ", "\x83", "x"};
  const std::vector<std::string> patAtoms = {"a", "b", "A", "\x06", "表", "\\", "ア", "\x83", "\x01",
                                             "\x03", "\x18", "\x19", "ab", "x"};
  std::mt19937 rng(12345);
  auto pick = [&](const std::vector<std::string>& v) { return v[rng() % v.size()]; };
  for (int iter = 0; iter < 20000; ++iter) {
    std::string text, pattern;
    int tl = static_cast<int>(rng() % 10), pl = static_cast<int>(rng() % 5);
    for (int i = 0; i < tl; ++i) text += pick(textAtoms);
    if (rng() % 4 == 0) pattern += '\x02';
    for (int i = 0; i < pl; ++i) pattern += pick(patAtoms);
    if (rng() % 4 == 0) pattern += '\x04';
    unsigned flags = kFlagHasReplacement | ((rng() & 1) ? kFlagKeepCase : 0) |
                     ((rng() % 5 == 0) ? kFlagWholeText : 0);
    Ref ref{pattern, text, 0, static_cast<int>(text.size()), !(flags & kFlagKeepCase),
            (flags & kFlagWholeText) != 0};
    Result want = ref.Run("<>");
    PatternProgram p;
    p.Compile(pattern, "<>", flags);
    std::vector<char> out(text.size() * 3 + 16);
    int rp = 0, ol = 0;
    int n = p.MatchLine(text.data(), static_cast<int>(text.size()), &rp, out.data(), &ol,
                        static_cast<int>(out.size()), 0, 0, nullptr);
    ASSERT_EQ(want.count, n) << "iteration " << iter;
    ASSERT_EQ(want.out, std::string(out.data(), static_cast<size_t>(ol))) << "iteration " << iter;
  }
}

TEST(PatternMatch, FailingRunsStayLinear) {
  // Each start position would retry every run extent without the memo of
  // failed stretches; with it a long line costs about one pass per run.
  const std::string line(200000, 'a');
  for (const char* pattern : {"\x03" "a\x03" "a\x03" "a\x03" "b", "a\x03" "a\x03" "b", "\x01\x03\x01\x03" "b"}) {
    PatternProgram p;
    p.Compile(pattern, "", kFlagsMacroReplace);
    int rp = 0;
    EXPECT_EQ(0, p.MatchLine(line.data(), static_cast<int>(line.size()), &rp, nullptr, nullptr, 0, 0, 0, nullptr));
  }
}
