// The compiler of the CSV condition statements, alone: texts in, pieces,
// joiners, groups and actions out.
#include "csv/csv_condcompile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using csv::CompileCondition;
using csv::CompiledCondition;

// "joiner/close/open" of each piece, then "|final".
std::string Codes(const CompiledCondition& c) {
  std::string s;
  for (const auto& p : c.pieces) s += std::to_string(p.joiner * 100 + p.closeBefore * 10 + p.open) + " ";
  return s + "|" + std::to_string(c.finalClose);
}

std::string Ops(const CompiledCondition& c) {
  std::string s;
  for (const auto& p : c.pieces)
    s += "[" + p.left + "]" + std::string(1, p.op1 ? p.op1 : '_') + std::string(1, p.op2 ? p.op2 : '_') + "[" +
         p.right + "]";
  return s;
}

TEST(CondCompile, PiecesJoinersAndWords) {
  const auto c = CompileCondition("&5==A || &5>#(100)", "&SL");
  ASSERT_EQ(c.pieces.size(), 2u);
  EXPECT_EQ(Codes(c), "200 200 |0");
  EXPECT_EQ(Ops(c), "[&5]==[A][&5]>#[#(100)]");
  EXPECT_EQ(c.mode, csv::kCondSelect);
  // The words AND and OR give the same pieces and codes as && and ||.
  EXPECT_EQ(Codes(CompileCondition("&1==a AND &2==b OR &3==c", "&SL")),
            Codes(CompileCondition("&1==a && &2==b || &3==c", "&SL")));
  EXPECT_EQ(Ops(CompileCondition("&1==a AND &2==b OR &3==c", "&SL")),
            Ops(CompileCondition("&1==a && &2==b || &3==c", "&SL")));
  const auto g1 = CompileCondition("(&1==a)OR(&2==b)", "&SL");
  const auto g2 = CompileCondition("(&1==a)||(&2==b)", "&SL");
  EXPECT_EQ(Codes(g1), Codes(g2));
  EXPECT_EQ(Codes(g1), "201 211 |1");
  // "#(...)" never groups; "\(" stays literal.
  const auto f = CompileCondition("&1>#((2+3)*2) && &2==\\(x\\)", "&SL");
  EXPECT_EQ(Codes(f), "200 100 |0");
  EXPECT_EQ(f.pieces[0].right, "#((2+3)*2)");
  EXPECT_EQ(f.pieces[1].right, "(x)");
  // "::" starts a group.
  const auto grp = CompileCondition("&1==a::&2==b && &3==c", "&SL");
  ASSERT_EQ(grp.groupStarts.size(), 2u);
  EXPECT_EQ(grp.groupStarts[1], 1);
}

TEST(CondCompile, EveryOperatorForm) {
  struct Case {
    const char* cmd;
    char op1, op2;
    const char* right;
  } cases[] = {
      {"&1==x", '=', '=', "x"},  {"&1!=x", '!', '=', "x"},  {"&1!>x", '!', '>', "x"},
      {"&1!<x", '!', '<', "x"},  {"&1!#5", '!', '#', "#5"}, {"&1~=x", '~', '=', "x"},
      {"&1~!x", '~', '!', "x"},  {"&1~>x", '~', '>', "x"},  {"&1~<x", '~', '<', "x"},
      {"&1>x", '>', 'x', "x"},   {"&1<x", '<', 'x', "x"},   {"&1>#5", '>', '#', "#5"},
      {"&1<$5", '<', '$', "5"},  {"&1=#5", '=', '#', "#5"}, {"&1>=5", '>', '=', "5"},
  };
  for (const Case& k : cases) {
    const auto c = CompileCondition(k.cmd, "&SL");
    ASSERT_EQ(c.pieces.size(), 1u) << k.cmd;
    EXPECT_EQ(c.pieces[0].left, "&1") << k.cmd;
    EXPECT_EQ(c.pieces[0].op1, k.op1) << k.cmd;
    EXPECT_EQ(c.pieces[0].op2, k.op2) << k.cmd;
    EXPECT_EQ(c.pieces[0].right, k.right) << k.cmd;
  }
  // The pattern forms: ':' with '=' for a whole-text pattern, '>' otherwise.
  for (const char* cmd : {"&1=:abc", "&1=0:abc", "&1=nc:abc", "&1=:|abc|"}) {
    const auto c = CompileCondition(cmd, "&SL");
    EXPECT_EQ(c.pieces[0].op1, ':') << cmd;
    EXPECT_TRUE(c.pieces[0].pattern) << cmd;
  }
  EXPECT_EQ(CompileCondition("&1=:abc", "&SL").pieces[0].op2, '>');
  EXPECT_EQ(CompileCondition("&1=1:abc", "&SL").pieces[0].op2, '=');
  EXPECT_EQ(CompileCondition("&1=:|abc|", "&SL").pieces[0].op2, '=');
  // A trailing '=' is an assignment target.
  const auto t = CompileCondition("&D171=", "5");
  EXPECT_TRUE(t.pieces[0].assignTarget);
  EXPECT_EQ(t.assignPiece, 0);
  EXPECT_EQ(t.pieces[0].left, "&D171");
}

TEST(CondCompile, EarlyFormsAndTheStepForm) {
  EXPECT_EQ(CompileCondition("&[0]&1==a", "&SL").status, csv::kCondNothing);
  EXPECT_EQ(CompileCondition("", "&SL").status, csv::kCondEmpty);
  EXPECT_EQ(CompileCondition("abc", "&SL").status, csv::kCondBareWord);
  EXPECT_EQ(CompileCondition("x@#(1)", "&SL").status, csv::kCondOk);
  // A command ending in '=' and an operand beginning with '=' are one assignment.
  const auto a = CompileCondition("&3=", "=x");
  ASSERT_EQ(a.actions.size(), 1u);
  EXPECT_EQ(a.actions[0].value, "x");
  const auto s1 = CompileCondition("&D5++", ">");
  EXPECT_TRUE(s1.stepForm);
  EXPECT_EQ(s1.command, "&D5=");
  EXPECT_EQ(s1.operand, "#(&D5+1)");
  EXPECT_FALSE(s1.findForm);
  const auto s2 = CompileCondition("&D5--5", ">");
  EXPECT_EQ(s2.command, "&D5=");
  EXPECT_EQ(s2.operand, "#(&D5-5)");
  EXPECT_EQ(CompileCondition("&D5++x", ">").operand, "#(&D5+1)");
  EXPECT_TRUE(CompileCondition("&1==a", ">").findForm);
}

TEST(CondCompile, OperandWordsAndMerges) {
  EXPECT_EQ(CompileCondition("&1==a", "&KR1").mode, csv::kCondKillCols1);
  EXPECT_EQ(CompileCondition("&1==a", "&checkline").mode, csv::kCondCheckLines);
  const auto mk = CompileCondition("&1==a", "&MKH2");
  EXPECT_EQ(mk.mode, csv::kCondActions);
  EXPECT_EQ(mk.markKind, 5);
  EXPECT_TRUE(mk.actions.empty());
  const auto ml = CompileCondition("&1==a", "&ML2+; ");
  EXPECT_EQ(ml.mode, csv::kCondMergeRows);
  EXPECT_TRUE(ml.mergeHasPlus);
  EXPECT_EQ(ml.mergeJoiner, "; ");
  EXPECT_EQ(ml.mergeColumnText, "&ML2");
  const auto mr = CompileCondition("&1==a", "&MR2c");
  EXPECT_EQ(mr.mode, csv::kCondMergeCells);
  EXPECT_EQ(mr.mergeOption, 'c');
  EXPECT_EQ(CompileCondition("&1==a", "&mergerow3k").mode, csv::kCondMergeRows);
  EXPECT_EQ(CompileCondition("&1==a", "&Sl").mode, csv::kCondActions);  // case counts
}

TEST(CondCompile, ActionSplit) {
  bool many = false;
  auto a = csv::SplitActions("&3=x || &D5=$(a||b) && &4=y", &many);
  ASSERT_EQ(a.size(), 3u);
  EXPECT_EQ(a[0].target, "&3");
  EXPECT_EQ(a[1].value, "$(a||b)");
  EXPECT_EQ(a[2].target, "&4");
  a = csv::SplitActions("&1=a\\=b::&2=c!!&3=d", &many);
  ASSERT_EQ(a.size(), 3u);
  EXPECT_EQ(a[0].value, "a\\=b");
  a = csv::SplitActions("inc &D5||dec &D6||&D7++||&D8--", &many);
  ASSERT_EQ(a.size(), 4u);
  EXPECT_EQ(a[0].target, "&D5");
  EXPECT_EQ(a[0].value, "#(&D5+1)");
  EXPECT_EQ(a[1].value, "#(&D6-1)");
  EXPECT_EQ(a[2].value, "#(&D7+1)");
  EXPECT_EQ(a[3].value, "#(&D8-1)");
  // "&D10==&c": the first '=' separates the target.
  a = csv::SplitActions("&D10==&5", &many);
  EXPECT_EQ(a[0].target, "&D10");
  EXPECT_EQ(a[0].value, "=&5");
  std::string forty;
  for (int k = 0; k < 41; ++k) forty += (k ? "||" : "") + std::string("&D5=") + std::to_string(k);
  a = csv::SplitActions(forty, &many);
  EXPECT_TRUE(many);
  EXPECT_EQ(a.size(), 40u);
}

TEST(CondCompile, LimitsAndBrackets) {
  auto chain = [](int n) {
    std::string s;
    for (int k = 0; k < n; ++k) s += (k ? " || " : "") + std::string("&1==") + std::to_string(k);
    return s;
  };
  auto c40 = CompileCondition(chain(40), "&SL");
  EXPECT_TRUE(c40.tooManyPieces);
  EXPECT_EQ(c40.pieces.size(), 40u);
  EXPECT_EQ(c40.pieces.back().right, "39");
  auto c41 = CompileCondition(chain(41), "&SL");
  EXPECT_TRUE(c41.tooManyPieces);
  EXPECT_EQ(c41.pieces.size(), 40u);
  EXPECT_EQ(c41.pieces.back().right, "39");
  EXPECT_FALSE(CompileCondition(chain(39), "&SL").tooManyPieces);
  // Ten and more brackets keep their counts apart from the joiner.
  const auto b = CompileCondition(std::string(12, '(') + "&1==a" + std::string(12, ')') + " && &2==b", "&SL");
  ASSERT_EQ(b.pieces.size(), 2u);
  EXPECT_EQ(b.pieces[0].open, 12);
  EXPECT_EQ(b.pieces[1].closeBefore, 12);
  EXPECT_EQ(b.pieces[1].joiner, csv::kJoinAnd);
  // Nesting past the stack is refused.
  EXPECT_EQ(CompileCondition(std::string(41, '(') + "&1==a" + std::string(41, ')'), "&SL").status,
            csv::kCondTooDeep);
  EXPECT_EQ(CompileCondition(std::string(40, '(') + "&1==a" + std::string(40, ')'), "&SL").status, csv::kCondOk);
}

}  // namespace
