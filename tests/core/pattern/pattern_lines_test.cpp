// The line-wise replace over a whole buffer.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/pattern/pattern.h"

using namespace pat;

namespace {

struct LinesRun {
  int count;
  std::string out;
  ReplaceLinesStats stats;
};

LinesRun Lines(const std::string& userSearch, const std::string& userRepl, const std::string& text,
          ReplaceLinesOptions options = ReplaceLinesOptions()) {
  std::string rule = userSearch + '\x1C' + userRepl;
  ExpandEscapeSequences(rule, kEscapeSearch);
  std::string s, r;
  unsigned flags = TranslateSearchPattern(rule, &s, &r, '&') | kFlagsMacroReplace;
  LinesRun run;
  run.count = ReplaceLines(text.data(), static_cast<int>(text.size()), s, r, flags, options,
                           &run.out, &run.stats);
  return run;
}

}  // namespace

TEST(PatternLines, ProtectedLinesAndTabs) {
  const std::string text = "a\x06" "b\r\n!\x06" "a\x06" "b\r\na\x06" "b";
  LinesRun r = Lines("a\tb", "X", text);  // TAB = the cell boundary
  EXPECT_EQ(2, r.count);
  EXPECT_EQ("X\r\n!\x06" "a\x06" "b\r\nX", r.out);
  EXPECT_EQ(1, r.stats.passes);
  EXPECT_EQ(1, r.stats.fieldCount);
  EXPECT_EQ(2, r.stats.lineCount);
  LinesRun t = Lines("a", "1\t2", "a\r\n");  // TAB in the replacement too
  EXPECT_EQ("1\x06" "2\r\n", t.out);
  EXPECT_EQ(2, t.stats.fieldCount);
}

TEST(PatternLines, NullDeletesAndRangeLimits) {
  const std::string text = "ab\nab\nab\nab\n";
  EXPECT_EQ("a\na\na\na\n", Lines("b", "NULL", text).out);
  ReplaceLinesOptions o;
  o.firstLine = 1;
  o.lastLine = 2;
  LinesRun r = Lines("b", "NULL", text, o);
  EXPECT_EQ(2, r.count);
  EXPECT_EQ("ab\na\na\nab\n", r.out);
  o.firstLine = 0;
  o.lastLine = 0;
  EXPECT_EQ("a\nab\nab\nab\n", Lines("b", "NULL", text, o).out);
}

TEST(PatternLines, ColumnRange) {
  ReplaceLinesOptions o;
  o.colFirst = o.colLast = 2;
  LinesRun r = Lines("a", "Q", "a\x06" "a\r\na\r\n", o);
  EXPECT_EQ(1, r.count);
  EXPECT_EQ("a\x06Q\r\na\r\n", r.out);
}

TEST(PatternLines, GrowingReplacementRestartsWithALargerBuffer) {
  std::string text;
  for (int i = 0; i < 200; ++i) text += "aaaaaaaaaa\r\n";
  LinesRun r = Lines("a", "aaaaaaaa", text);  // eight times as long: pass 1 (2x) and 2 (4x) are too small
  EXPECT_EQ(2000, r.count);                // the count of the last pass only
  EXPECT_EQ(3, r.stats.passes);
  std::string want;
  for (int i = 0; i < 200; ++i) want += std::string(80, 'a') + "\r\n";
  EXPECT_EQ(want, r.out);
}

namespace {
bool StopAt30000(void* ctx, int line) {
  ++*static_cast<int*>(ctx);
  return line >= 30000;
}
}  // namespace

TEST(PatternLines, PollStopsAndKeepsTheRest) {
  std::string text;
  for (int i = 0; i < 50000; ++i) text += "x\n";
  int polls = 0;
  ReplaceLinesOptions o;
  o.poll = &StopAt30000;
  o.pollContext = &polls;
  LinesRun r = Lines("x", "y", text, o);
  EXPECT_TRUE(r.stats.stopped);
  EXPECT_EQ(30000, r.count);
  EXPECT_EQ(11, polls);  // lines 20000, 21000, ..., 30000
  EXPECT_EQ('y', r.out[2 * 29999]);
  EXPECT_EQ('x', r.out[2 * 30000]);
  EXPECT_EQ(text.size(), r.out.size());
}

TEST(PatternLines, EmptyTextAndBadArguments) {
  LinesRun r = Lines("a", "b", "");
  EXPECT_EQ(0, r.count);
  EXPECT_EQ("", r.out);
  std::string out;
  EXPECT_EQ(kErrBadArgument, ReplaceLines(nullptr, 5, "a", "b", 0, ReplaceLinesOptions(), &out, nullptr));
  EXPECT_EQ(kErrBadArgument, ReplaceLines("a", -1, "a", "b", 0, ReplaceLinesOptions(), &out, nullptr));
}

// Lines that cannot match are copied many at a time; the result must be the
// one of the engine going line by line: output, count, statistics and every
// progress poll, with ranges, cells, protected lines, folded case and stops.
TEST(PatternLines, SkippingLinesWithoutTheRequiredBytesChangesNothing) {
  std::mt19937 rng(17);
  const char* words[] = {"東京", "大阪", "station", "STATION", "abc", "1", "x", "!\x06", "\x06", "\r\n", "\n",
                         "\"", "表", "ｶﾀ", "A", "z9"};
  const char* searches[] = {"東京", "station", "ab", "1", "表", "ﾀ", "x&z", "%1", "|1", "\tabc", "京&阪",
                            "z9|", "nc:abc", "0:STATION", "東京\t大阪", "<&>"};
  for (int round = 0; round < 1500; ++round) {
    std::string text;
    const int n = 1 + static_cast<int>(rng() % 200);
    for (int i = 0; i < n; ++i) text += words[rng() % (sizeof words / sizeof words[0])];
    // Many lines, so the poll lines (from 20000, every 1000th) come by too.
    if (round % 50 == 0) {
      std::string many;
      for (int i = 0; i < 25000; ++i) many += (i % 997 == 0) ? "東京\r\n" : "line\r\n";
      text = many + text;
    }
    const std::string search = searches[rng() % (sizeof searches / sizeof searches[0])];
    std::string rule = search + '\x1C' + (rng() % 3 ? "R" : "NULL");
    ExpandEscapeSequences(rule, kEscapeSearch);
    std::string s, r;
    const unsigned flags = TranslateSearchPattern(rule, &s, &r, '&') | kFlagsMacroReplace;
    ReplaceLinesOptions o;
    if (rng() % 3 == 0) {
      o.firstLine = static_cast<int>(rng() % 5);
      o.lastLine = o.firstLine + static_cast<int>(rng() % 40) - 5;
    }
    if (rng() % 4 == 0) {
      o.colFirst = 1 + static_cast<int>(rng() % 2);
      o.colLast = static_cast<int>(rng() % 3);
    }
    struct Polls {
      std::vector<int> seen;
      int stopAt;
      static bool Poll(void* c, int line) {
        Polls* p = static_cast<Polls*>(c);
        p->seen.push_back(line);
        return line == p->stopAt;
      }
    };
    Polls fast{{}, (round % 100 == 0) ? 22000 : -1}, slow{{}, fast.stopAt};
    o.poll = &Polls::Poll;
    ReplaceLinesStats fs, ss;
    std::string fo, so;
    o.pollContext = &fast;
    const int fc = ReplaceLines(text.data(), static_cast<int>(text.size()), s, r, flags, o, &fo, &fs);
    SetLineSkipping(false);
    o.pollContext = &slow;
    const int sc = ReplaceLines(text.data(), static_cast<int>(text.size()), s, r, flags, o, &so, &ss);
    SetLineSkipping(true);
    ASSERT_EQ(sc, fc) << "round " << round << " search " << search;
    ASSERT_TRUE(so == fo) << "round " << round << " search " << search;
    EXPECT_EQ(ss.passes, fs.passes);
    EXPECT_EQ(ss.stopped, fs.stopped);
    EXPECT_EQ(ss.fieldCount, fs.fieldCount);
    EXPECT_EQ(ss.lineCount, fs.lineCount);
    ASSERT_EQ(slow.seen, fast.seen) << "round " << round;
  }
}
