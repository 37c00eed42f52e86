// Scaled decimal numbers and the expression evaluator.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

#include "macro/macro_scaled.h"

namespace {

using macro::FormatScaledNumber;
using macro::ParseScaledNumber;

using Num = std::pair<std::int64_t, int>;

Num Parse(const std::string& s) {
  std::int64_t m = -1;
  int sc = -1;
  ParseScaledNumber(CString(s), &m, &sc);
  return {m, sc};
}

TEST(ScaledNumber, ParsesSeparatorsHexSignsAndExponents) {
  EXPECT_EQ(Parse("1,234.50"), Num(123450, 2));
  EXPECT_EQ(Parse("0x1F"), Num(31, 0));
  EXPECT_EQ(Parse("-5"), Num(-5, 0));
  EXPECT_EQ(Parse("5-"), Num(5, 0));
  EXPECT_EQ(Parse("1.5E3"), Num(15, -2));
  EXPECT_EQ(Parse("2E-2"), Num(2, 2));
  EXPECT_EQ(Parse(""), Num(0, 0));
  EXPECT_EQ(Parse("\"12.5\""), Num(125, 1));
  EXPECT_EQ(Parse("1 234\\5"), Num(12345, 0));
  EXPECT_EQ(Parse("-0.5"), Num(-5, 1));
}

TEST(ScaledNumber, ReadingWrapsAndNegatesInSixtyFourBits) {
  // 2^63 wraps to INT64_MIN; its negation stays INT64_MIN (two's complement).
  EXPECT_EQ(Parse("9223372036854775808").first, INT64_MIN);
  EXPECT_EQ(Parse("-9223372036854775808").first, INT64_MIN);
  EXPECT_EQ(Parse("18446744073709551617").first, 1);
  EXPECT_EQ(Parse("0x8000000000000001").first, static_cast<std::int64_t>(0x8000000000000001ull));
  // A scale from a long exponent is bounded, not overflowed.
  EXPECT_LE(Parse("1E-99999999999999999999").second, 100000);
}

TEST(ScaledNumber, Formats) {
  EXPECT_EQ(FormatScaledNumber(5, 3, 0), CString("0.005"));
  EXPECT_EQ(FormatScaledNumber(-1234, 2, 0), CString("-12.34"));
  EXPECT_EQ(FormatScaledNumber(7, 999, 0), CString("7"));
  EXPECT_EQ(FormatScaledNumber(-7, 999, 0), CString("-7"));
  EXPECT_EQ(FormatScaledNumber(15, -2, 0), CString("1500"));
  EXPECT_EQ(FormatScaledNumber(0, 2, 0), CString("0.00"));
  EXPECT_EQ(FormatScaledNumber(123450, 2, 0), CString("1234.50"));
  EXPECT_EQ(FormatScaledNumber(1000000001, 0, 0), CString("1000000001"));
  EXPECT_EQ(FormatScaledNumber(1234567890123456789, 0, 0), CString("1234567890123456789"));
  EXPECT_EQ(FormatScaledNumber(INT64_MIN, 0, 0), CString("-9223372036854775808"));
  EXPECT_EQ(FormatScaledNumber(INT64_MAX, 3, 0), CString("9223372036854775.807"));
  EXPECT_EQ(FormatScaledNumber(12345, 2, 1), CString(std::string(25, ' ') + "123.45"));
  EXPECT_EQ(FormatScaledNumber(5, 2, 1), CString(std::string(27, ' ') + "0.05"));
  EXPECT_EQ(FormatScaledNumber(42, 0, 1), CString(std::string(28, ' ') + "42"));
  EXPECT_EQ(FormatScaledNumber(1, 5000, 0).GetLength(), 200);
}

}  // namespace

// --- the evaluator -----------------------------------------------------------

#include <memory>
#include <vector>

#include "csv/csv_table.h"
#include "macro/macro_expr.h"
#include "macro/macro_lines.h"
#include "macro/macro_state.h"
#include "test_host.h"

namespace {

class Eval : public ::testing::Test {
 protected:
  void SetUp() override {
    Load("a,b,c\r\n1,2.5,x\r\n3,4.25,\"q\"\r\n10,20,30\r\n");
  }
  void Load(const std::string& csvText) {
    ASSERT_TRUE(table.LoadFileText(csvText.data(), csvText.size(), 64));
    ctx.lineTable = macro::MacroTableLineIndex(&st->m_lineIndex, table);
  }
  std::string Run(const std::string& expr, int outSize = 9005) {
    std::vector<char> out(static_cast<size_t>(outSize) + 8, '\x7f');
    kind = 0;
    value = 0;
    ctx.env = &env;
    n = macro::MacroEvalExpression(line, out.data(), outSize, CString(expr), &kind, &value, &ctx);
    for (size_t k = static_cast<size_t>(outSize); k < out.size(); ++k) EXPECT_EQ(out[k], '\x7f') << "written past";
    return std::string(out.data());
  }

  std::unique_ptr<macro::MacroState> st = std::make_unique<macro::MacroState>();
  csv::Table table;
  macrotest::TestHost host;
  macro::MacroEnv env{*st, &host, &table, &st->m_lineIndex, {}};
  macro::ExprContext ctx;
  int line = 0, n = 0;
  char kind = 0;
  std::int64_t value = 0;
};

TEST_F(Eval, ArithmeticCasesOfTheLanguage) {
  EXPECT_EQ(Run("#(0.1+0.2)"), "0.3");
  EXPECT_EQ(kind, '#');
  EXPECT_EQ(value, 3);
  EXPECT_EQ(ctx.scale, 1);
  EXPECT_EQ(Run("#(1.50+2)"), "3.50");
  EXPECT_EQ(Run("#(7/2)"), "3");
  EXPECT_EQ(Run("#(7/2.0)"), "3.5");
  EXPECT_EQ(Run("#(2*3+4)"), "10");
  EXPECT_EQ(Run("#(2*(3+4))"), "14");
  EXPECT_EQ(Run("#(5/0)"), "99999999");
  st->m_nZeroDivValue = -1;
  EXPECT_EQ(Run("#(5/0)"), "-1");
  EXPECT_EQ(Run("#(5%0)"), "5");
  EXPECT_EQ(Run("#(-7%3)"), "-1");
  EXPECT_EQ(Run("#(7.5%0.4)"), "0.30");
  EXPECT_EQ(Run("#12"), "12");
  EXPECT_EQ(Run("#-12"), "-12");
  EXPECT_EQ(Run("#(1,234.5+0x1F)"), "1265.5");
  EXPECT_EQ(Run("#(1.5E3*2)"), "3000");
  EXPECT_EQ(Run("#(1.5E3/4)"), "375");
  EXPECT_EQ(Run("#(3--2)"), "5");
  EXPECT_EQ(Run("#(3+-2)"), "1");
  EXPECT_EQ(Run("#(--5)"), "5");
  EXPECT_EQ(Run("#(2*-3)"), "-6");
  EXPECT_EQ(Run("#( \"4\" * 2 )"), "8");
  EXPECT_EQ(Run("#(1/3.000)"), "0.333");
}

TEST_F(Eval, OverflowWrapsInTwosComplement) {
  EXPECT_EQ(Run("#(9223372036854775807+1)"), "-9223372036854775808");
  EXPECT_EQ(Run("#(-9223372036854775807-2)"), "9223372036854775807");
  EXPECT_EQ(Run("#(9223372036854775807*2)"), "-2");
  EXPECT_EQ(Run("#((0-9223372036854775807-1)/-1)"), "-9223372036854775808");
  EXPECT_EQ(Run("#((0-9223372036854775807-1)%-1)"), "0");
  // A divisor whose trailing zeros carry it past 64 bits divides by zero.
  EXPECT_EQ(Run("#(1/1E64)"), "99999999");
  EXPECT_EQ(Run("#(7%1E64)"), "7");
  // Scale alignment guards large negative mantissas as it guards positive
  // ones: the smaller-scale side is not multiplied past the limit.
  EXPECT_EQ(Run("#(900000000000000000+0.5)"), "900000000000000000");
  EXPECT_EQ(Run("#(-900000000000000000+0.5)"), "-900000000000000000");
}

TEST_F(Eval, TextModeJoinsPiecesAndReferences) {
  st->m_strMacroVars[5] = "abc";
  EXPECT_EQ(Run("x+&D5+y"), "xabcy");
  EXPECT_EQ(kind, 0);
  EXPECT_EQ(Run("a\\+b"), "a+b");
  EXPECT_EQ(Run("a\\&D5"), "a\\&D5");
  EXPECT_EQ(Run("$(1+2)z"), "1+2z");
  EXPECT_EQ(Run("=&2@2"), "2.5");
  EXPECT_EQ(Run("&3@3"), "\"q\"");
  ctx.quote = 1;
  EXPECT_EQ(Run("&3@3"), "q");
  ctx.quote = 0;
  EXPECT_EQ(Run("&D5Q"), "\"abc\"");
  // A range outside "<<>>" reads its first cell.
  EXPECT_EQ(Run("<&1-2@2-3>"), "<1>");
  EXPECT_EQ(Run(""), "");
  EXPECT_EQ(n, -1);
  char out[8];
  EXPECT_EQ(macro::MacroEvalExpression(0, out, sizeof out, "#(2*3)", nullptr, nullptr, &ctx), 1);
  EXPECT_STREQ(out, "6");
  EXPECT_EQ(macro::MacroEvalExpression(0, out, sizeof out, "#(2*3)", nullptr, nullptr, nullptr), -1);
}

TEST_F(Eval, CellReferencesAndTheCurrentCell) {
  EXPECT_EQ(Run("#(&2@2+&2@3)"), "6.75");
  ctx.row = 4;
  ctx.column = 3;
  line = macro::LineOffsetFromTable(table, 3, ctx.lineTable);
  EXPECT_EQ(Run("#(&@*2)"), "60");   // the current cell
  EXPECT_EQ(Run("#(&1+@4)"), "40");  // column 1 of this row, row 4 of this column
  EXPECT_EQ(Run("@2:&2"), "2.5");
  EXPECT_EQ(Run("#(&2@U1)"), "4.25");
  // A row past the end reads nothing, never row 1.
  EXPECT_EQ(Run("&1@9"), "");
  EXPECT_EQ(Run("&1@0"), "");
}

TEST_F(Eval, RangesAddTheirCells) {
  EXPECT_EQ(Run("#(<<&1-2@2-3|&@+>>)"), "10.75");
  EXPECT_EQ(Run("#(<<&1@0-0|&@+>>)"), "14");   // first row below 1 is 1, end row 0 the last
  EXPECT_EQ(Run("#(<<&1@2-4|&@*>>)"), "30");   // joined with the body's operator
  EXPECT_EQ(Run("#(1+<<&2@2-3|&@>>)"), "7.75");
  EXPECT_EQ(Run("#(<<&9@2-3|&@+>>)"), "0");
}

TEST_F(Eval, NestedRangesStopAtTheCellBudget) {
  // Each level values its body for 12 cells: 12^3 inner cells in all.
  const std::string inner = "<<&1-3@1-4|&@+>>";
  const std::string mid = "<<&1-3@1-4|" + inner + "+>>";
  const std::string outer = "#(<<&1-3@1-4|" + mid + "+>>)";
  EXPECT_EQ(Run(outer), "10188.00");  // (1+2.5+3+4.25+10+20+30) x 144
  st->m_nMacroEvalCellLimit = 1000;
  Run(outer);
  EXPECT_EQ(st->m_strMacroVars[146], CString("EROR"));
  EXPECT_LE(st->m_nMacroEvalCells, 1000 + 3);  // one more per level that was under way
}

TEST_F(Eval, SplicesAndTheirBound) {
  st->m_strMacroVars[5] = "3+4";
  EXPECT_EQ(Run("#(2*$(&D5))"), "10");
  // A value that splices itself ends within the bound.
  st->m_strMacroVars[6] = "$(&D6)1";
  Run("#(1+$(&D6))");
  EXPECT_EQ(st->m_strMacroVars[146], CString("EROR"));
}

TEST_F(Eval, RefusesOverlongAndNestsBoundedly) {
  EXPECT_EQ(Run("#(" + std::string(30000, '1') + ")"), "");
  EXPECT_EQ(n, -1);
  EXPECT_EQ(st->m_strMacroVars[146], CString("EROR"));
  // 200 brackets pass the 118 levels of the stack.
  host.boxes.clear();
  EXPECT_EQ(Run("#" + std::string(200, '(') + "1" + std::string(200, ')')), "");
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0], "stack over eror");
  // "$(" nested thousands deep stops at 32 evaluations, one message.
  host.boxes.clear();
  std::string deep = "1";
  for (int k = 0; k < 3000; ++k) deep = "$(#(" + deep + "))";
  Run("#(" + deep + ")");
  EXPECT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(st->m_nMacroEvalDepth, 0);
}

TEST_F(Eval, DeepBracketsInsideEveryNestedEvaluation) {
  // 110 bracket levels in each of 40 nested splices: the most frames the
  // bounds allow, on the thread's ordinary stack.
  std::string deep = "1";
  for (int k = 0; k < 40; ++k) deep = "#(" + std::string(110, '(') + "$(" + deep + ")" + std::string(110, ')') + ")";
  host.boxes.clear();
  Run(deep);
  EXPECT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(st->m_nMacroEvalDepth, 0);
  std::string fine = "1";
  for (int k = 0; k < 20; ++k) fine = "#(" + std::string(100, '(') + "$(" + fine + ")+1" + std::string(100, ')') + ")";
  EXPECT_EQ(Run(fine), "21");
}

TEST_F(Eval, OutputIsCutAtItsCapacity) {
  st->m_strMacroVars[7] = CString(std::string(3000, 'v'));
  EXPECT_EQ(Run("&D7+&D7", 200).size(), 199u);
  EXPECT_EQ(n, 199);
  EXPECT_EQ(Run("#(123456789*1000)", 5), "1234");
  EXPECT_EQ(Run("&D7", 9005).size(), 3000u);
}

int UpperHook(void* user, macro::ExprContext* c, const CString& text) {
  ++*static_cast<int*>(user);
  c->env->state.m_strMacroVars[macro::kSlotFunctionResult] = CString(std::string("42") + (text.Str() == "#X" ? "" : "0"));
  return 0;
}

TEST_F(Eval, FunctionCallsGoThroughTheHook) {
  host.reports.clear();
  EXPECT_EQ(Run("a+#RG3+b"), "ab");
  ASSERT_EQ(host.reports.size(), 1u);
  EXPECT_EQ(host.reports[0], "#function not available yet : #RG3");
  int calls = 0;
  env.functions.call = UpperHook;
  env.functions.user = &calls;
  EXPECT_EQ(Run("#(#X+1)"), "43");
  EXPECT_EQ(Run("a+#X+b"), "a42b");
  EXPECT_EQ(calls, 2);
}

// A function whose evaluation evaluates two more calls of itself: within
// the depth bound that would be 2^32 calls.
int BranchingHook(void* user, macro::ExprContext* c, const CString&) {
  ++*static_cast<long*>(user);
  char out[64];
  char kind = 0;
  std::int64_t value = 0;
  macro::ExprContext sub = *c;
  macro::MacroEvalExpression(0, out, sizeof out, CString("#(#X+#X)"), &kind, &value, &sub);
  c->env->state.m_strMacroVars[macro::kSlotFunctionResult] = "1";
  return 0;
}

TEST_F(Eval, EvaluationsThatBranchAtEveryLevelEndWithinTheirBudget) {
  long calls = 0;
  env.functions.call = BranchingHook;
  env.functions.user = &calls;
  st->m_nMacroEvalNestLimit = 5000;
  host.boxes.clear();
  Run("#(#X+#X)");
  EXPECT_LT(calls, 4 * 5000);
  EXPECT_EQ(host.boxes, (std::vector<std::string>{"stack over eror"}));
  EXPECT_EQ(st->m_nMacroEvalDepth, 0);
  // The next outermost evaluation has its whole budget again.
  env.functions.call = UpperHook;
  int upper = 0;
  env.functions.user = &upper;
  EXPECT_EQ(Run("#(#X+1)"), "43");
}

}  // namespace
