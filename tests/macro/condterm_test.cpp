// The piece test of CSV conditions: exact scaled comparison, the numeric
// operator table, the left operand's number, the text forms and the whole
// test on rows of a small table.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <memory>
#include <string>

#include "core/pattern/pattern.h"
#include "csv/csv_table.h"
#include "macro/macro_condterm.h"
#include "macro/macro_expr.h"
#include "macro/macro_lines.h"
#include "macro/macro_scaled.h"
#include "macro/macro_state.h"
#include "test_host.h"

namespace {

using macro::CompareScaled;
using macro::ComparePieceOperands;
using macro::PieceOperand;
using macro::PieceOperator;

PieceOperand Num(std::int64_t m, int scale = 0) {
  PieceOperand p;
  p.number = true;
  p.mantissa = m;
  p.scale = scale;
  return p;
}

PieceOperand Text(const std::string& s) {
  PieceOperand p;
  p.text = s;
  return p;
}

int Cmp(const char* op, const PieceOperand& l, const PieceOperand& r) {
  PieceOperator o;
  o.first = op[0];
  o.second = op[0] ? op[1] : 0;
  return ComparePieceOperands(o, l, r);
}

TEST(PieceCompareScaled, ExactAtAnyScale) {
  // 1 against 0.0000000000000000001: aligning would need 10^19.
  EXPECT_EQ(CompareScaled(1, 0, 1, 19), 1);
  EXPECT_EQ(CompareScaled(1, 19, 1, 0), -1);
  EXPECT_EQ(CompareScaled(-1, 0, -1, 19), -1);
  EXPECT_EQ(CompareScaled(1, 0, 1, 40), 1);
  EXPECT_EQ(CompareScaled(INT64_MAX, 0, 1, -19), -1);           // 9.2e18 < 1e19
  EXPECT_EQ(CompareScaled(INT64_MAX, 18, 9, 0), 1);             // 9.22... > 9
  EXPECT_EQ(CompareScaled(9223372036854775800, 18, 92233720368547758, 16), 0);
  EXPECT_EQ(CompareScaled(9223372036854775801, 18, 92233720368547758, 16), 1);
  EXPECT_EQ(CompareScaled(INT64_MIN, 0, INT64_MIN, 0), 0);
  EXPECT_EQ(CompareScaled(INT64_MIN, 1, INT64_MIN, 0), 1);      // -922...5.8 > -922...58
  EXPECT_EQ(CompareScaled(INT64_MIN, 0, INT64_MAX, 0), -1);
  EXPECT_EQ(CompareScaled(INT64_MIN, 19, -1, 0), 1);            // -0.92... > -1
  EXPECT_EQ(CompareScaled(15, 1, 150, 2), 0);                   // 1.5 and 1.50
  EXPECT_EQ(CompareScaled(15, -2, 1500, 0), 0);                 // trailing zeros
  EXPECT_EQ(CompareScaled(7, macro::kScaleInteger, 70, 1), 0);  // 999 is an integer
  EXPECT_EQ(CompareScaled(0, 5, 0, -5), 0);
  EXPECT_EQ(CompareScaled(0, 0, -1, 100000), 1);
  EXPECT_EQ(CompareScaled(1, INT_MIN, 1, INT_MAX), 1);
}

// The numeric operator table: what holds for left < right, left = right and
// left > right.
TEST(PieceNumeric, EveryRowOfTheOperatorTable) {
  struct Row {
    const char* op;
    int less, equal, greater;
  } const rows[] = {
      {"=>", 0, 1, 1}, {"=<", 1, 1, 0}, {"=!", 1, 0, 1}, {"==", 0, 1, 0}, {"=#", 0, 1, 0},
      {"!>", 1, 1, 0}, {"!<", 0, 1, 1}, {"!=", 1, 0, 1}, {"!#", 1, 0, 1},
      {">=", 0, 1, 1}, {">!", 1, 1, 0}, {">#", 0, 0, 1}, {">$", 0, 0, 1},
      {"<=", 1, 1, 0}, {"<!", 0, 1, 1}, {"<#", 1, 0, 0}, {"<>", 1, 0, 0},
      {"~=", 0, 0, 0}, {"~>", 0, 0, 0}, {"~<", 0, 0, 0}, {"~!", 0, 0, 0},
      {":=", 0, 0, 0}, {":>", 0, 0, 0},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(Cmp(r.op, Num(199, 2), Num(2)), r.less) << r.op;
    EXPECT_EQ(Cmp(r.op, Num(15, 1), Num(150, 2)), r.equal) << r.op;
    EXPECT_EQ(Cmp(r.op, Num(2), Num(199, 2)), r.greater) << r.op;
  }
  // '~' never holds numerically, whatever the values.
  EXPECT_EQ(Cmp("~=", Num(5), Num(5)), 0);
  EXPECT_EQ(Cmp("==", Num(1, 0), Num(1, 19)), 0);
  EXPECT_EQ(Cmp(">", Num(1, 0), Num(1, 19)), 1);
}

TEST(PieceNumeric, NotANumberIsAFlagNotAValue) {
  // A right operand of 65535 is a number: a numeric text left equal to it...
  EXPECT_EQ(Cmp("==", Text("65535"), Num(65535)), 1);
  EXPECT_EQ(Cmp("==", Num(65535), Num(65535)), 1);
  // ...and a text left compares as 65535 against a number.
  EXPECT_EQ(Cmp("==", Text("abc"), Num(65535)), 1);
  EXPECT_EQ(Cmp(">", Text("abc"), Num(65534)), 1);
  EXPECT_EQ(Cmp("<", Text("abc"), Num(6553501, 2)), 1);
  EXPECT_EQ(Cmp("==", Text("12a"), Num(12)), 0);
  EXPECT_EQ(Cmp("==", Text("1E"), Num(1)), 0);
  EXPECT_EQ(Cmp("==", Text("-"), Num(0)), 0);
  EXPECT_EQ(Cmp("==", Text("#"), Num(65535)), 1);
  // A text right operand "65535" is text, compared byte-wise.
  EXPECT_EQ(Cmp("==", Text("65535.0"), Text("65535")), 0);
}

TEST(PieceNumeric, LeftTextReadWholeAndTheZeroForms) {
  std::int64_t m = -1;
  int s = -1;
  auto read = [&](const std::string& t) {
    macro::LeftOperandNumber(Text(t), &m, &s);
    return CompareScaled(m, s, 0, 0) == 0 ? std::string("0") : std::string(macro::FormatScaledNumber(m, s, 0).GetString());
  };
  for (const char* zero : {"#0", "#0.0", "#0.00", " 0.0", " 0.00", "", "  ", "\"\"", "#\"0\"", "\"#0.0\"", "0"})
    EXPECT_EQ(read(zero), "0") << "[" << zero << "]";
  EXPECT_EQ(read("\"1,234\""), "1234");
  EXPECT_EQ(read(" 12.50 "), "12.50");
  EXPECT_EQ(read("#\"1,200.5\""), "1200.5");
  EXPECT_EQ(read("-3.25"), "-3.25");
  EXPECT_EQ(read("1.5E3"), "1500");
  EXPECT_EQ(read("abc"), "65535");
  EXPECT_EQ(read("12 apples"), "65535");
  EXPECT_EQ(read("#abc"), "65535");
  EXPECT_EQ(read("\"12"), "12");  // the reader's own leading quote
  EXPECT_EQ(read("12\""), "65535");
  EXPECT_EQ(read("\xe7\x95\xaa"), "65535");
  // A number left keeps its scale; 999 stands for an integer.
  macro::LeftOperandNumber(Num(7, macro::kScaleInteger), &m, &s);
  EXPECT_EQ(s, 0);
  EXPECT_EQ(Cmp("==", Text("#0.00"), Num(0, 3)), 1);
  EXPECT_EQ(Cmp("==", Text("\"1,234\""), Num(1234)), 1);
}

TEST(PieceNumeric, WholeNumberReading) {
  std::int64_t m = 0;
  int s = 0;
  auto whole = [&](const std::string& t) { return macro::ParseScaledNumberWhole(t.data(), t.size(), &m, &s); };
  EXPECT_TRUE(whole("1,234.5"));
  EXPECT_EQ(m, 12345);
  EXPECT_EQ(s, 1);
  EXPECT_TRUE(whole("2E-2"));
  EXPECT_EQ(s, 2);
  EXPECT_TRUE(whole("0x1F"));
  EXPECT_EQ(m, 31);
  EXPECT_FALSE(whole("12a"));
  EXPECT_EQ(m, 12);  // the same number ParseScaledNumber reads
  EXPECT_FALSE(whole("1E"));
  EXPECT_FALSE(whole("1E+"));
  EXPECT_FALSE(whole("1Ex"));
  EXPECT_FALSE(whole("-"));
  EXPECT_FALSE(whole(""));
  EXPECT_FALSE(whole("\""));
  EXPECT_FALSE(whole("."));
}

TEST(PieceText, NullForms) {
  EXPECT_EQ(Cmp("==", Text(""), Text("NULL")), 1);
  EXPECT_EQ(Cmp("==", Text("\"\""), Text("NULL")), 0);
  EXPECT_EQ(Cmp("==", Text(""), Text("NULLQ")), 1);
  EXPECT_EQ(Cmp("==", Text("\"\""), Text("NULLQ")), 1);
  EXPECT_EQ(Cmp("==", Text("\"\""), Text("NULL+\"\"")), 1);
  EXPECT_EQ(Cmp("==", Text(""), Text("NULL\"\"")), 1);
  EXPECT_EQ(Cmp("==", Text(" "), Text("NULLQ")), 0);
  EXPECT_EQ(Cmp("==", Text("NULL"), Text("NULL")), 1);
  EXPECT_EQ(Cmp("!=", Text(""), Text("NULL")), 0);
  EXPECT_EQ(Cmp("!=", Text("\"\""), Text("NULL")), 1);
  EXPECT_EQ(Cmp("!#", Text("\"\""), Text("NULLQ")), 0);
}

TEST(PieceText, ByteOrderOfShiftJisCells) {
  const std::string so = "\x83\x5C", hyo = "\x95\x5C", ta = "\x83\x5E";
  // Unsigned bytes: every double-byte character sorts after ASCII.
  EXPECT_EQ(Cmp(">", Text(so), Text("z")), 1);
  EXPECT_EQ(Cmp("<", Text(so), Text(ta)), 1);
  EXPECT_EQ(Cmp("<", Text(so), Text(hyo)), 1);
  EXPECT_EQ(Cmp(">=", Text(so), Text(so)), 1);
  EXPECT_EQ(Cmp(">", Text(so), Text(so)), 0);
  EXPECT_EQ(Cmp("<=", Text(so), Text(so + "a")), 1);  // a prefix first
  EXPECT_EQ(Cmp("==", Text(so), Text(hyo)), 0);
  // Text order, not numeric: "99" > "100".
  EXPECT_EQ(Cmp(">", Text("99"), Text("100")), 1);
  EXPECT_EQ(Cmp("=>", Text("99"), Text("99")), 1);   // '=' first: equality
  EXPECT_EQ(Cmp("=>", Text("99"), Text("100")), 0);
}

TEST(PieceText, TildeFormsAndTheirSwap) {
  EXPECT_EQ(Cmp("~=", Text("abcdef"), Text("abc")), 1);
  EXPECT_EQ(Cmp("~=", Text("xabc"), Text("abc")), 0);
  EXPECT_EQ(Cmp("~!", Text("xabc"), Text("abc")), 1);
  EXPECT_EQ(Cmp("~!", Text("abcx"), Text("abc")), 0);
  EXPECT_EQ(Cmp("~>", Text("xxabcx"), Text("abc")), 1);
  EXPECT_EQ(Cmp("~>", Text("ab"), Text("abc")), 0);
  EXPECT_EQ(Cmp("~<", Text("abc"), Text("xxabcx")), 1);
  EXPECT_EQ(Cmp("~<", Text("abcd"), Text("abc")), 0);
  EXPECT_EQ(Cmp("~#", Text("abc"), Text("abc")), 0);
  // "!~" is "~!", "=~" is "~=", ">~" is "~>", "<~" is "~<".
  EXPECT_EQ(Cmp("!~", Text("xabc"), Text("abc")), 1);
  EXPECT_EQ(Cmp("!~", Text("abcx"), Text("abc")), 0);
  EXPECT_EQ(Cmp("=~", Text("abcx"), Text("abc")), 1);
  EXPECT_EQ(Cmp(">~", Text("xabcx"), Text("abc")), 1);
  EXPECT_EQ(Cmp("<~", Text("abc"), Text("xabcx")), 1);
  // "=!" is "!=" and "<!" is "!<" (a '!' first: not equal).
  EXPECT_EQ(Cmp("=!", Text("a"), Text("b")), 1);
  EXPECT_EQ(Cmp("<!", Text("a"), Text("a")), 0);
  // Containment stands at character starts: no '\' inside ソ or 表.
  const std::string so = "\x83\x5C", hyo = "\x95\x5C";
  EXPECT_EQ(Cmp("~>", Text("a" + so + "b"), Text("\\")), 0);
  EXPECT_EQ(Cmp("~<", Text("\\"), Text(hyo)), 0);
  EXPECT_EQ(Cmp("~>", Text(so + "\\"), Text("\\")), 1);
  EXPECT_EQ(Cmp("~>", Text("a" + hyo + "b"), Text(hyo)), 1);
}

TEST(PieceText, PatternFormsWholeOrAnywhere) {
  const pat::ConditionPattern whole = pat::PrepareConditionPattern("1:ab&");
  const pat::ConditionPattern anywhere = pat::PrepareConditionPattern(":b%d");
  ASSERT_EQ(whole.secondOperator, '=');
  ASSERT_EQ(anywhere.secondOperator, '>');
  PieceOperator op;
  op.first = ':';
  op.second = '=';
  op.pattern = &whole;
  EXPECT_GT(ComparePieceOperands(op, Text("abxyz"), Text("")), 0);
  EXPECT_EQ(ComparePieceOperands(op, Text("xabxyz"), Text("")), 0);
  op.second = '>';
  op.pattern = &anywhere;
  EXPECT_GT(ComparePieceOperands(op, Text("aabcd"), Text("")), 0);
  EXPECT_EQ(ComparePieceOperands(op, Text("abd"), Text("")), 0);
  // The pattern form never holds on a number.
  EXPECT_EQ(ComparePieceOperands(op, Text("aabcd"), Num(0)), 0);
  op.pattern = nullptr;
  EXPECT_EQ(ComparePieceOperands(op, Text("aabcd"), Text("x")), 0);
}

// The whole test on the rows of a table, operands valued by the evaluator.
class PieceOnRows : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string text = "a,b,c\r\n99,1.50,\x83\x5C\r\n100,,\"\"\r\n1.99,x,\x95\x5C\r\n";
    ASSERT_TRUE(table.LoadFileText(text.data(), text.size(), 64));
    ctx.env = &env;
    ctx.lineTable = macro::MacroTableLineIndex(&st->m_lineIndex, table);
  }
  int Test(int row, const char* op, const std::string& left, const std::string& right, char kind = 1) {
    ctx.row = row;
    ctx.column = 1;
    const int line = macro::LineOffsetFromTable(table, row - 1, ctx.lineTable);
    PieceOperator o;
    o.first = op[0];
    o.second = op[1];
    return macro::MacroCsvTestPiece(ctx, line, o, kind, CString(left), CString(right));
  }

  std::unique_ptr<macro::MacroState> st = std::make_unique<macro::MacroState>();
  csv::Table table;
  macrotest::TestHost host;
  macro::MacroEnv env{*st, &host, &table, &st->m_lineIndex, {}};
  macro::ExprContext ctx;
};

TEST_F(PieceOnRows, TextOrNumberFollowsTheRightOperand) {
  // "&1>$100": the right operand "100" is text, and "99" sorts after it.
  EXPECT_EQ(Test(2, ">$", "&1", "100"), 1);
  // "&1>#(100)": a number, and 99 is not greater.
  EXPECT_EQ(Test(2, ">#", "&1", "#(100)"), 0);
  EXPECT_EQ(Test(2, "<#", "&1", "#(100)"), 1);
  EXPECT_EQ(Test(3, "==", "&1", "#(100)"), 1);
  EXPECT_EQ(Test(2, "==", "&2", "#(1.5)"), 1);   // 1.50 and 1.5
  EXPECT_EQ(Test(4, ">#", "&1", "#(1.989)"), 1);
  EXPECT_EQ(Test(4, ">#", "&2", "#(65534)"), 1); // "x" compares as 65535
  // An empty right operand is the number 0; an empty cell is 0 too.
  EXPECT_EQ(Test(3, "==", "&2", ""), 1);
  EXPECT_EQ(Test(3, "==", "&2", "#(0)"), 1);
  // A number left against a text right compares its printed text.
  EXPECT_EQ(Test(2, "==", "#(&2*2)", "3.00"), 1);
  // The TAB kind holds at once, whatever the operands.
  EXPECT_EQ(Test(2, "==", "&1", "nothing", macro::kPieceKindAlways), 1);
}

TEST_F(PieceOnRows, NullFormsAndShiftJisCells) {
  EXPECT_EQ(Test(3, "==", "&2", "NULL"), 1);
  EXPECT_EQ(Test(3, "==", "&3", "NULL"), 0);
  EXPECT_EQ(Test(3, "==", "&3", "NULLQ"), 1);
  EXPECT_EQ(Test(3, "==", "&3", "NULL+\"\""), 1);
  EXPECT_EQ(Test(3, "==", "&2", "NULL+\"\""), 1);
  EXPECT_EQ(Test(2, "==", "&3", "\x83\x5C"), 1);
  EXPECT_EQ(Test(4, "==", "&3", "\x83\x5C"), 0);
  EXPECT_EQ(Test(4, ">", "&3", "\x83\x5C"), 1);
}

}  // namespace
