// The "#"-function chain of a command line with test handlers: collection
// and its limit, classify-only, RP texts, groups and escapes, variable mode,
// cell mode with its growth bound, SPL and ATR, and the library boundary.
#include "macro/macro_cmdfunc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "csv/csv_table.h"
#include "csv/csv_widths.h"
#include "fw/alloc.h"
#include "fw/strtable.h"
#include "macro/macro_builtins.h"
#include "macro/macro_fn_lines.h"
#include "macro/macro_state.h"
#include "test_host.h"

namespace {

using macro::BuiltinArgs;
using macro::BuiltinScope;
using macro::ScopedBuiltin;

constexpr int kUP = 22, kLW = 23, kCQ = 3, kSA = 26, kTU = 24, kRP = 51, kLEN = 25;

void Upper(BuiltinScope& s, BuiltinArgs& a) {
  std::string f = a.Field(s).Str();
  for (char& c : f) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  a.Put(f.data(), static_cast<int>(f.size()));
}
void Bang(BuiltinScope& s, BuiltinArgs& a) {
  a.Put(a.Field(s));
  a.Put("!", 1);
}
void OneQuote(BuiltinScope&, BuiltinArgs& a) { a.Put("\"", 1); }
void WithNul(BuiltinScope& s, BuiltinArgs& a) {
  a.Put(a.Field(s));
  a.Put("!\0tail", 6);
}
void Huge(BuiltinScope&, BuiltinArgs& a) {
  const std::string big(20000, 'h');
  a.Put(big.data(), static_cast<int>(big.size()));
}
void FiveThousand(BuiltinScope&, BuiltinArgs& a) {
  const std::string big(5000, 'w');
  a.Put(big.data(), static_cast<int>(big.size()));
}
std::vector<std::string> g_calls;
void Record(BuiltinScope& s, BuiltinArgs& a) {
  g_calls.push_back(std::string(a.strFuncText) + "|" + std::string(a.strArgText) + "|" + std::to_string(*a.pnParam));
  a.Put(a.Field(s));
}

class Host : public macrotest::TestHost {
 public:
  std::vector<std::string> formats;
  std::vector<std::string> status;
  std::vector<int> codes;
  int ReportMessage(int code, const CString& text) override {
    codes.push_back(code);
    return macrotest::TestHost::ReportMessage(code, text);
  }
  int escapeAfter = -1;
  int FormatCells(const macro::CellFormat& f, int r1, int r2, int c1, int c2) override {
    formats.push_back(std::to_string(f.bold == macro::FormatSwitch::kOn) + ":" + std::to_string(f.textColour) + ":" +
                      std::to_string(f.points) + ":" + std::string(1, f.align ? f.align : '-') + "@" +
                      std::to_string(r1) + "," + std::to_string(r2) + "," + std::to_string(c1) + "," +
                      std::to_string(c2));
    return 0;
  }
  void SetStatusText(int, const CString& text) override { status.push_back(text.GetString()); }
  bool CheckEscapeAbort() override { return escapeAfter >= 0 && static_cast<int>(status.size()) > escapeAfter; }
};

std::vector<std::string> g_exprs;
int FakeEval(macro::CmdFuncScope&, const CString& expr, char* out, int capacity) {
  g_exprs.push_back(expr.GetString());
  return std::snprintf(out, static_cast<std::size_t>(capacity), "7");
}

class CmdFunc : public ::testing::Test {
 protected:
  std::unique_ptr<macro::MacroState> st = std::make_unique<macro::MacroState>();
  std::unique_ptr<csv::Table> table = std::make_unique<csv::Table>();
  std::vector<std::uint32_t> pos = std::vector<std::uint32_t>(csv::kColumnPositionSlots, 0);
  Host host;
  macro::CmdFuncScope scope{*st};

  void SetUp() override {
    scope.host = &host;
    scope.table = table.get();
    scope.columnPos = pos.data();
    scope.columnPosSlots = static_cast<int>(pos.size());
    g_calls.clear();
    g_exprs.clear();
  }
  void Load(const std::string& file) { ASSERT_TRUE(table->LoadFileText(file.data(), file.size(), 64)); }
  std::string Text() const {
    std::string s(reinterpret_cast<const char*>(table->m_pTextBuf), table->m_nTextLen);
    for (char& c : s) c = c == 0x06 ? ',' : c;
    return s;
  }
  int Eval(int a1, int a2, int a3, int a4, const std::string& text) {
    return macro::MacroEvalCommandLineFunctions(scope, a1, a2, a3, a4, CString(text));
  }
};

TEST_F(CmdFunc, TwentyFunctionsSetTheOverLimitMessageAndAreStillApplied) {
  ScopedBuiltin h(kLW, Bang);
  st->m_nCmdLineNo = 7;
  st->m_strMacroVars[180] = "v";
  std::string line;
  for (int k = 0; k < 20; ++k) line += "#LW";
  EXPECT_EQ(1, Eval(0, 0, -1, 180, line));
  EXPECT_EQ("#Over max 20 of #function\nat command line : 7", std::string(st->m_strLastResult()));
  EXPECT_EQ("v" + std::string(20, '!'), std::string(st->m_strMacroVars[180]));

  st->m_strLastResult() = "";
  st->m_strMacroVars[180] = "v";
  EXPECT_EQ(1, Eval(0, 0, -1, 180, line + "#LW#LW"));  // what follows is not evaluated
  EXPECT_EQ("v" + std::string(20, '!'), std::string(st->m_strMacroVars[180]));
  EXPECT_FALSE(st->m_strLastResult().IsEmpty());

  st->m_strLastResult() = "";
  EXPECT_EQ(1, Eval(0, 0, -1, 180, line.substr(3)));  // 19 functions
  EXPECT_TRUE(st->m_strLastResult().IsEmpty());
}

TEST_F(CmdFunc, ClassifyOnlyReturnsTheLastNumberAndChangesNothing) {
  st->m_strMacroVars[170] = "keep";
  EXPECT_EQ(kLEN, Eval(1, 5, 999, 999, "#UP#LEN"));
  EXPECT_EQ(11, Eval(1, 5, 999, 999, "FL999"));  // a bare code is one call
  EXPECT_EQ(kRP, Eval(1, 5, 999, 999, "#RPa#b:c"));
  EXPECT_TRUE(host.reports.empty());  // no handler is needed to classify
  EXPECT_EQ("keep", std::string(st->m_strMacroVars[170]));
}

TEST_F(CmdFunc, HashInsideAnRpTextDoesNotSplit) {
  ScopedBuiltin h(kRP, Record);
  st->m_strMacroVars[181] = "xa#by";
  EXPECT_EQ(1, Eval(0, 0, -1, 181, "#RPa#b:c#d"));
  ASSERT_EQ(1u, g_calls.size());
  // The search and the replacement as the pattern engine reads them.
  EXPECT_EQ(0u, g_calls[0].find("a#b|c#d|"));
  EXPECT_NE(0, std::stoi(g_calls[0].substr(8)) & 0x100000);
  // An escaped ':' stays in the search text.
  g_calls.clear();
  EXPECT_EQ(1, Eval(0, 0, -1, 181, "#RPa\\:b:c"));
  ASSERT_EQ(1u, g_calls.size());
  EXPECT_EQ(0u, g_calls[0].find("a:b|c|"));
}

TEST_F(CmdFunc, GroupsAreEvaluatedPerSegmentAndEscapedOnesNever) {
  ScopedBuiltin h(kLW, Record);
  scope.evalExpression = FakeEval;
  st->m_strMacroVars[182] = "x";
  // An escaped group in the second segment: not evaluated, escapes removed.
  EXPECT_EQ(1, Eval(0, 0, -1, 182, "#LW#LW\\(1+2\\)"));
  EXPECT_TRUE(g_exprs.empty());
  ASSERT_EQ(2u, g_calls.size());
  EXPECT_EQ(0u, g_calls[1].find("LW(1+2)|"));
  // A plain group in the second segment is, with "@n:" and "%+" escaped.
  g_calls.clear();
  EXPECT_EQ(1, Eval(0, 0, -1, 182, "#LW#LW(1%+2)\\(3\\)"));
  ASSERT_EQ(1u, g_exprs.size());
  EXPECT_EQ("@0:1%\\+2", g_exprs[0]);
  EXPECT_EQ(0u, g_calls[1].find("LW7(3)|"));
}

TEST_F(CmdFunc, GroupsGoThroughTheExpressionEvaluatorAndItsCallsComeBack) {
  ScopedBuiltin h(kLW, Record);
  ScopedBuiltin u(kUP, Upper);
  scope.evalExpression = macro::MacroCmdFuncExpression;
  st->m_strMacroVars[182] = "x";
  // Text mode joins the pieces; "#(...)" is arithmetic.
  EXPECT_EQ(1, Eval(0, 0, -1, 182, "#LW(1+2)#LW(#(1+2))"));
  ASSERT_EQ(2u, g_calls.size());
  EXPECT_EQ(0u, g_calls[0].find("LW12|")) << g_calls[0];
  EXPECT_EQ(0u, g_calls[1].find("LW3|")) << g_calls[1];
  // The evaluator's "#" call runs a chain in variable mode, its result in
  // slot 170.
  char out[64] = {};
  st->m_strMacroVars[170] = "stale";
  const int n = macro::MacroCmdFuncExpression(scope, "ab+#LN", out, sizeof out);
  EXPECT_GE(n, 0);
  EXPECT_EQ("ab0", std::string(out));
  // A "#" call inside a group leaves the work slot as the line found it.
  st->m_strMacroVars[170] = "in";
  EXPECT_EQ(1, Eval(1, 4, -1, 1, "#UP(#LN)"));
  EXPECT_EQ("IN", std::string(st->m_strMacroVars[170]));
}

TEST_F(CmdFunc, ParenGroupsDirectly) {
  scope.evalExpression = FakeEval;
  CString text("#AB(1)(2)#CD(3)");
  int p = 0;
  EXPECT_EQ(2, macro::MacroEvalParenGroups(scope, '#', &p, 0, 5, 0, 0, &text));
  EXPECT_EQ("#AB77#CD(3)", std::string(text));
  EXPECT_EQ(5, p);
  EXPECT_EQ((std::vector<std::string>{"@5:1", "@5:2"}), g_exprs);
  // Stop byte 1 wraps the inner text; an opening at index 0 is no group;
  // "^(" does not count.
  g_exprs.clear();
  text = "x(a)^(b)";
  p = 0;
  EXPECT_EQ(1, macro::MacroEvalParenGroups(scope, 1, &p, 0, 0, 0, 0, &text));
  EXPECT_EQ("#(a)", g_exprs[0]);
  EXPECT_EQ("x7^(b)", std::string(text));
  text = "(a)";
  p = 0;
  EXPECT_EQ(0, macro::MacroEvalParenGroups(scope, '#', &p, 0, 0, 0, 0, &text));
}

int LongEval(macro::CmdFuncScope&, const CString&, char* out, int capacity) {
  std::memset(out, 'L', static_cast<std::size_t>(capacity - 1));
  out[capacity - 1] = 0;
  return capacity - 1;
}

TEST_F(CmdFunc, AGroupResultNeverMakesTheLinePassItsBound) {
  scope.evalExpression = LongEval;
  std::string line = "#X";
  for (int k = 0; k < 6; ++k) line += "(1)";
  CString text(line);
  int p = 0;
  EXPECT_EQ(4, macro::MacroEvalParenGroups(scope, '#', &p, 0, 0, 0, 0, &text));
  EXPECT_LE(text.GetLength(), macro::kFuncLineMaxBytes);
  EXPECT_EQ((std::vector<std::string>{"stack over eror"}), host.boxes);
  // A later call shows it again.
  text = CString(line);
  p = 0;
  macro::MacroEvalParenGroups(scope, '#', &p, 0, 0, 0, 0, &text);
  EXPECT_EQ(2u, host.boxes.size());
}

int Recursing(macro::CmdFuncScope& s, const CString&, char* out, int) {
  macro::MacroEvalCommandLineFunctions(s, 0, 0, -1, 183, CString("#LW(1)"));
  out[0] = 0;
  return 0;
}

TEST_F(CmdFunc, NestingThroughGroupsIsBounded) {
  ScopedBuiltin h(kLW, Bang);
  scope.evalExpression = Recursing;
  EXPECT_EQ(1, Eval(0, 0, -1, 183, "#LW(1)"));
  EXPECT_EQ((std::vector<std::string>{"stack over eror"}), host.boxes);
  EXPECT_EQ(0, st->m_nFuncLineDepth);
  EXPECT_EQ(0u, st->m_bFuncLineStackShown);
}

TEST_F(CmdFunc, VariableModeResultsAndSlots) {
  ScopedBuiltin q(kCQ, OneQuote);
  ScopedBuiltin u(kUP, Upper);
  ScopedBuiltin t(kTU, Huge);
  st->m_strMacroVars[184] = "abc";
  EXPECT_EQ(1, Eval(0, 0, -1, 184, "#CQ"));
  EXPECT_EQ("\"\"", std::string(st->m_strMacroVars[184]));  // one quote stored as two
  // A row or column sends the result to slot 170; LN and RN give the row.
  st->m_strMacroVars[170] = "abc";
  EXPECT_EQ(1, Eval(3, 9, -1, 2, "#UP"));
  EXPECT_EQ("ABC", std::string(st->m_strMacroVars[170]));
  EXPECT_EQ(1, Eval(3, 9, -1, 2, "#LN"));
  EXPECT_EQ("9", std::string(st->m_strMacroVars[170]));
  // Slots 0, 5181 and -5 select slot 0.
  for (int slot : {0, 5181, -5}) {
    st->m_strMacroVars[0] = "low";
    st->m_strMacroVars[5181] = "high";
    EXPECT_EQ(1, Eval(0, 0, -1, slot, "#UP"));
    EXPECT_EQ("LOW", std::string(st->m_strMacroVars[0])) << slot;
    EXPECT_EQ("high", std::string(st->m_strMacroVars[5181])) << slot;
  }
  // A handler writing past its capacity is cut at the 13,000-byte result.
  st->m_strMacroVars[185] = "x";
  EXPECT_EQ(1, Eval(0, 0, -1, 185, "#TU"));
  EXPECT_EQ(macro::kVarResultBytes, st->m_strMacroVars[185].GetLength());
  // A value longer than the copy is left as it is.
  st->m_strMacroVars[186] = CString(std::string(macro::kVarCopyBytes + 1, 'a'));
  EXPECT_EQ(1, Eval(0, 0, -1, 186, "#UP"));
  EXPECT_EQ('a', st->m_strMacroVars[186][0]);
}

TEST_F(CmdFunc, StatisticsReadTheTableCell) {
  ScopedBuiltin r(62, Record);  // SUM
  Load("h1,h2\r\n1,22\r\n3\r\n");
  EXPECT_EQ(1, Eval(1, 2, -1, 2, "#SUM"));
  EXPECT_EQ("22", std::string(st->m_strMacroVars[170]));
  EXPECT_EQ(1, Eval(1, 3, -1, 2, "#SUM"));  // a short row
  EXPECT_EQ("0", std::string(st->m_strMacroVars[170]));
}

TEST_F(CmdFunc, AMissingHandlerReportsOnceAndChangesNothing) {
  ScopedBuiltin u(kUP, Upper);
  ScopedBuiltin none(2, nullptr);  // CR
  Load("a,b\r\nx,y\r\nz,w\r\n");
  const std::string before = Text();
  EXPECT_EQ(-1, Eval(1, -1, 1, -1, "#UP#CR"));
  EXPECT_EQ((std::vector<std::string>{"#function not available yet : CR"}), host.reports);
  EXPECT_EQ(before, Text());
  st->m_strMacroVars[187] = "v";
  EXPECT_EQ(-1, Eval(0, 0, -1, 187, "#CR#UP"));
  EXPECT_EQ(2u, host.reports.size());
  EXPECT_EQ("v", std::string(st->m_strMacroVars[187]));
}

TEST_F(CmdFunc, CellModeChangesOnlyDataRowsInTheRange) {
  ScopedBuiltin u(kUP, Upper);
  Load("t1,t2,t3\r\na,b,c\r\nd,e,f\r\ng,h,i\r\n~\r\n!#\r\nu1,u2\r\nj,k\r\nl,m\r\n");
  EXPECT_EQ(1, Eval(3, 8, 2, 2, "#UP"));
  EXPECT_EQ("t1,t2,t3\r\na,b,c\r\nd,E,f\r\ng,H,i\r\n~\r\n!#\r\nu1,u2\r\nj,K\r\nl,m\r\n", Text());
  EXPECT_EQ(8, table->m_nLastRow);
  // Open upper bounds; title rows, the "~" line and the block mark stay.
  EXPECT_EQ(1, Eval(1, -1, 1, -1, "#UP"));
  EXPECT_EQ("t1,t2,t3\r\nA,B,C\r\nD,E,F\r\nG,H,I\r\n~\r\n!#\r\nu1,u2\r\nJ,K\r\nL,M\r\n", Text());
}

TEST_F(CmdFunc, ACellResultEndsBeforeANulSoTheTableKeepsItsRest) {
  ScopedBuiltin n(kLW, WithNul);
  Load("h1,h2\r\na,b\r\nc,d\r\n");
  EXPECT_EQ(1, Eval(1, -1, 1, 1, "#LW"));
  EXPECT_EQ("h1,h2\r\na!,b\r\nc!,d\r\n", Text());
  EXPECT_EQ(2, table->m_nLastRow);
}

TEST_F(CmdFunc, EveryAllocationFailureOfCellModeIsReportedAndLeavesTheTable) {
  ScopedBuiltin u(kUP, Upper);
  const std::string file = "h1,h2\r\nab,cd\r\nef,gh\r\n";
  for (long n = 1;; ++n) {
    Load(file);
    const std::string before = Text();
    host.codes.clear();
    fw::alloctest::Reset();
    fw::alloctest::FailAt(n);
    const int rc = Eval(1, -1, 1, -1, "#UP");
    const bool reached = fw::alloctest::Count() >= n;
    fw::alloctest::Reset();
    if (!reached) {
      EXPECT_EQ(1, rc);
      EXPECT_EQ("h1,h2\r\nAB,CD\r\nEF,GH\r\n", Text());
      break;
    }
    EXPECT_EQ(-1, rc) << n;
    ASSERT_EQ(1u, host.codes.size()) << n;
    EXPECT_TRUE(host.codes[0] == macro::kErrNoWorkBuffer || host.codes[0] == macro::kErrNoViewBuffer) << n;
    EXPECT_EQ(before, Text()) << n;
  }
}

TEST_F(CmdFunc, CellModeProgressAndEscForTheLdFamily) {
  ScopedBuiltin d(20, Upper);  // LD
  std::string file = "h\r\n";
  for (int r = 0; r < 3000; ++r) file += "a\r\n";
  Load(file);
  host.escapeAfter = 1;  // Esc at the second report
  EXPECT_EQ(1, Eval(1, -1, 1, -1, "#LD"));
  ASSERT_EQ(2u, host.status.size());
  EXPECT_EQ("3Kbyte done", host.status[0]);  // output kilobytes after 1,024 cells
  const std::string t = Text();
  EXPECT_EQ(2048, static_cast<int>(std::count(t.begin(), t.end(), 'A')));
  EXPECT_EQ(3000 - 2048, static_cast<int>(std::count(t.begin(), t.end(), 'a')));  // rows after the stop stay
}

TEST_F(CmdFunc, AHugeWidthOverASmallTableAsksForLittleAndStopsAtItsGrowths) {
  // FS with a width of 2^31 over three cells: the estimate takes a width
  // past one result's size as that size, so the walk starts small, grows
  // five times and stops with its report, the table as it was.
  fw::SetStringTableEntry(macro::kStrTooManyReplacements, "too many");
  Load("h\r\na\r\nb\r\nc\r\n");
  const std::string before = Text();
  fw::alloctest::Reset();
  Eval(1, -1, 1, -1, "#FS2147483647");
  const std::size_t largest = fw::alloctest::Largest();
  fw::SetStringTableEntry(macro::kStrTooManyReplacements, nullptr);
  EXPECT_LT(largest, std::size_t{64} << 20);
  EXPECT_EQ((std::vector<std::string>{"too many"}), host.reports);
  EXPECT_EQ(before, Text());
}

TEST_F(CmdFunc, OutputBeyondFiveGrowthsReportsAndKeepsWhatWasDone) {
  ScopedBuiltin w(kSA, FiveThousand);
  fw::SetStringTableEntry(macro::kStrTooManyReplacements, "too many");
  std::string file = "h\r\n";
  for (int r = 0; r < 40; ++r) file += "c" + std::to_string(r) + "\r\n";
  Load(file);
  EXPECT_EQ(1, Eval(1, -1, 1, -1, "#SA"));
  fw::SetStringTableEntry(macro::kStrTooManyReplacements, nullptr);
  EXPECT_EQ((std::vector<std::string>{"too many"}), host.reports);
  const std::string t = Text();
  const std::size_t done = static_cast<std::size_t>(std::count(t.begin(), t.end(), 'w')) / 5000;
  EXPECT_GT(done, 10u);
  EXPECT_LT(done, 40u);
  // The rows after the last one done are as they were.
  for (std::size_t r = done; r < 40; ++r) EXPECT_NE(std::string::npos, t.find("\r\nc" + std::to_string(r) + "\r\n")) << r;
}

TEST_F(CmdFunc, WidthFunctionsMeasureTheColumnsFirst) {
  ScopedBuiltin l(11, Record);  // FL
  Load("a,b\r\nxxxx,y\r\nzz,yyy\r\n");
  EXPECT_EQ(1, Eval(1, -1, 1, 2, "#FL999"));
  EXPECT_EQ(4u, csv::ColumnWidthAt(pos.data(), static_cast<int>(pos.size()), 1));
  EXPECT_EQ(3u, csv::ColumnWidthAt(pos.data(), static_cast<int>(pos.size()), 2));
}

TEST_F(CmdFunc, TheGrowthEstimateIsTakenOverTheRangeClampedToTheTable) {
  ScopedBuiltin l(11, Record);  // FL: 1,000 bytes a cell for FL999
  Load("a,b\r\nxx,y\r\nzz,w\r\n");
  // Unclamped, 2^31 x 2^31 cells x 1,000 bytes would overflow or fail.
  EXPECT_EQ(1, Eval(1, 0x7FFFFFFF, 1, 0x7FFFFFFF, "#FL999"));
  EXPECT_TRUE(host.reports.empty());
  EXPECT_EQ(4u, g_calls.size());
  EXPECT_EQ("a,b\r\nxx,y\r\nzz,w\r\n", Text());
}

TEST_F(CmdFunc, SplAndAtr) {
  Load("k,v\r\n1,(a:b)\r\n");
  EXPECT_EQ(1, Eval(1, 0, 2, 2, "#SPL"));
  EXPECT_EQ("k,v\r\n1,a\r\n1,b\r\n", Text());
  EXPECT_EQ(1, Eval(2, 3, -1, 4, "#ATR:B,CFF0000,P12,AR"));
  EXPECT_EQ(1, Eval(2, 3, 2, 1, "#ATR:B"));
  EXPECT_EQ((std::vector<std::string>{"1:255:12:R@2,3,4,4", "1:-1:0:-@2,3,2,999"}), host.formats);
  EXPECT_EQ(0, Eval(2, 3, 2, 1, "#ATR"));  // no ':'
  EXPECT_EQ(-1, Eval(2, 3, 2, 1, "#ATR:Q"));
  EXPECT_EQ(1u, host.reports.size());
}

}  // namespace

namespace {

// "MLL" wraps the cells of a range into lines of n bytes (a line break in
// a cell is its in-cell code), every cell getting as many lines as the one
// that needs the most; "MLC" joins them again. The file keeps its records.
TEST_F(CmdFunc, CellLinesAreWrappedToTheMostLinesOfTheRangeAndJoined) {
  // ソ (0x83 0x5C) is never cut in two; a quoted cell keeps its quotes.
  Load("k,v\r\n1,abcdef\r\n2,\"\x83\x5C\x83\x5Cx\"\r\n3,\r\n");
  EXPECT_EQ(1, Eval(2, -1, 2, 2, "#MLL4"));
  EXPECT_TRUE(host.reports.empty());
  EXPECT_EQ("k,v\r\n1,abcd\x0E" "ef\r\n2,\"\x83\x5C\x83\x5C\x0Ex\"\r\n3,\x0E\r\n", Text());
  EXPECT_EQ(3, table->m_nLastRow);
  EXPECT_EQ("k,v\r\n1,\"abcd\nef\"\r\n2,\"\x83\x5C\x83\x5C\nx\"\r\n3,\"\n\"\r\n",
            table->FileText(csv::CommaFormKind::kComma));
  EXPECT_EQ(1, Eval(2, -1, 2, 2, "#MLC"));
  EXPECT_EQ("k,v\r\n1,abcdef\r\n2,\"\x83\x5C\x83\x5Cx\"\r\n3,\r\n", Text());
}

TEST(CellLines, CountsWrapsAndJoins) {
  const std::string two = "ab\x7F\x0E" "cdefg";  // a CR LF break, then a long line
  EXPECT_EQ(3, macro::CellLineCount(two, 3));
  EXPECT_EQ(2, macro::CellLineCount(two, 0));  // only its own lines
  EXPECT_EQ("ab\x0E" "cde\x0E" "fg\x0E", macro::WrapCellLines(two, 3, 4));
  EXPECT_EQ(1, macro::CellLineCount("", 5));
  EXPECT_EQ("abcdefg", macro::JoinCellLines(two));
}

}  // namespace
