// The line-wise replace over a whole buffer.
#include <gtest/gtest.h>

#include <string>

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
