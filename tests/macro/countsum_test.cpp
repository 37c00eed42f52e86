// The count and sum statements: the parameter text over every row of its
// table, the operand numbers, the extra command numbers, the cross-table
// values, and whole runs (the one-row table, the operand without '&').
#include <gtest/gtest.h>

#include <string>

#include "csv/csv_table.h"
#include "macro/macro_countsum.h"
#include "macro/macro_run.h"
#include "run_fixture.h"

namespace {

using macro::CountNumbers;

CountNumbers N(int n1, int n2, int n3, int n4, int n5, int n6) {
  CountNumbers n;
  n.num1 = n1;
  n.num2 = n2;
  n.num3 = n3;
  n.num4 = n4;
  n.num5 = n5;
  n.num6 = n6;
  return n;
}

TEST(CountParameterText, EveryRowOfTheTable) {
  struct Row {
    CountNumbers n;
    const char* want;
  } rows[] = {
      {N(7, 2, 3, 4, 5, 6), "7,7,2,3,4,5,6"},
      {N(7, 2, 0, 4, 5, 6), "7,7,2,4,5,6"},
      {N(7, 0, 0, 4, 5, 6), "7,4,5,6"},
      {N(7, 2, 3, 4, 5, 0), "7,7,2,3,4,5"},
      {N(7, 2, 0, 4, 5, 0), "7,7,2,4,5"},
      {N(7, 0, 0, 4, 5, 0), "7,4,5"},
      {N(7, 2, 3, 4, 0, 0), "7,7,2,3,4"},
      {N(7, 2, 0, 4, 0, 0), "7,7,2,4"},
      {N(7, 0, 0, 4, 0, 0), "7,4"},
      {N(7, 2, 3, 0, 0, 0), "7,7,2,3"},
      {N(7, 2, 0, 0, 0, 0), "7,7,2"},
      {N(7, 0, 0, 0, 0, 0), "7"},
  };
  for (const Row& r : rows) {
    const std::string base = r.want;
    EXPECT_EQ(base + ",*", std::string(macro::CountParameterText(r.n, "").GetString()));
    EXPECT_EQ(base + ",abc", std::string(macro::CountParameterText(r.n, "abc").GetString()));
    CountNumbers a = r.n;
    a.a1 = 8;
    EXPECT_EQ(base + ",8,*", std::string(macro::CountParameterText(a, "abc").GetString()));
    a.a2 = 9;
    EXPECT_EQ(base + ",8,9,*", std::string(macro::CountParameterText(a, "").GetString()));
    a.a3 = 10;
    EXPECT_EQ(base + ",8,9,10,*", std::string(macro::CountParameterText(a, "x").GetString()));
    // a3 only while a2 was appended, a2 only while a1 was.
    a.a2 = 0;
    EXPECT_EQ(base + ",8,*", std::string(macro::CountParameterText(a, "").GetString()));
    a.a1 = 0;
    a.a2 = 9;
    EXPECT_EQ(base + ",x", std::string(macro::CountParameterText(a, "x").GetString()));
  }
  // num1 3 only, empty operand.
  EXPECT_EQ("3,*", std::string(macro::CountParameterText(N(3, 0, 0, 0, 0, 0), "").GetString()));
}

TEST(CountOperand, Forms) {
  struct Row {
    const char* name;
    const char* operand;
    unsigned char letter;
    CountNumbers in;
    macro::CountOperandVerdict verdict;
    const char* after;
    unsigned char letterAfter;
    int a1, a2, a3, num2, num3, num4;
  } rows[] = {
      {"address runs", "&2|&3=abc", 'n', N(1, 0, 0, 0, 0, 0), macro::CountOperandVerdict::kRead, "abc", 'n', 2, 3, 0,
       0, 0, 2},
      {"three runs and ';'", "&2;&3|&4=x", 'n', N(1, 0, 0, 5, 0, 0), macro::CountOperandVerdict::kRead, "x", 'n', 2, 3,
       4, 0, 0, 5},
      {"digit start", "4=q", 's', N(1, 0, 0, 0, 0, 0), macro::CountOperandVerdict::kRead, "q", 's', 4, 0, 0, 0, 0, 0},
      {"address without '='", "&2", 'n', N(1, 0, 0, 3, 0, 0), macro::CountOperandVerdict::kRead, "&2", 'n', 0, 0, 0,
       0, 0, 3},
      {"word takes num3", "abc=5", 'n', N(1, 2, 4, 0, 0, 0), macro::CountOperandVerdict::kRead, "abc:5", 'n', 4, 0, 0,
       2, 0, 4},
      {"word takes num2", "abc=5", 'n', N(1, 2, 0, 0, 0, 0), macro::CountOperandVerdict::kRead, "abc:5", 'n', 2, 0, 0,
       0, 0, 2},
      {"word with num4 makes a sum", "abc=5", 'n', N(1, 2, 0, 1, 0, 0), macro::CountOperandVerdict::kRead, "abc:5",
       's', 2, 0, 0, 0, 0, 1},
      {"word for sum", "abc=5", 's', N(1, 0, 0, 0, 0, 0), macro::CountOperandVerdict::kNeedsAddress, "abc=5", 's', 0,
       0, 0, 0, 0, 0},
      {"word without '='", "a;b", 'n', N(1, 0, 0, 0, 0, 0), macro::CountOperandVerdict::kNeedsAddress, "a,b", 'n', 0,
       0, 0, 0, 0, 0},
      {"nothing to read", "abc", 'n', N(1, 0, 0, 0, 0, 0), macro::CountOperandVerdict::kRead, "abc", 'n', 0, 0, 0, 0,
       0, 0},
      {"empty", "", 's', N(1, 0, 0, 0, 0, 0), macro::CountOperandVerdict::kRead, "", 's', 0, 0, 0, 0, 0, 0},
  };
  for (const Row& r : rows) {
    CString op = r.operand;
    unsigned char letter = r.letter;
    CountNumbers n = r.in;
    EXPECT_EQ(r.verdict, macro::ReadCountOperand(&op, &letter, &n)) << r.name;
    EXPECT_EQ(std::string(r.after), std::string(op.GetString())) << r.name;
    EXPECT_EQ(r.letterAfter, letter) << r.name;
    EXPECT_EQ(r.a1, n.a1) << r.name;
    EXPECT_EQ(r.a2, n.a2) << r.name;
    EXPECT_EQ(r.a3, n.a3) << r.name;
    EXPECT_EQ(r.num2, n.num2) << r.name;
    EXPECT_EQ(r.num3, n.num3) << r.name;
    EXPECT_EQ(r.num4, n.num4) << r.name;
  }
}

TEST(CountOperand, ExtraNumbers) {
  CountNumbers n = N(1, 2, 3, 4, 0, 0);
  macro::ReadCountExtraNumbers("&Cn1,2,3,4:x,5,6", &n);
  EXPECT_EQ(5, n.num5);
  EXPECT_EQ(6, n.num6);
  n = N(1, 2, 3, 0, 0, 0);  // num4 0: none read
  macro::ReadCountExtraNumbers("&Cn1,2,3:x,5,6", &n);
  EXPECT_EQ(0, n.num5);
  n = N(1, 2, 3, 4, 0, 0);
  macro::ReadCountExtraNumbers("&Cn1,2,3,4:x,0,7", &n);  // 0 is not kept
  EXPECT_EQ(0, n.num5);
  EXPECT_EQ(7, n.num6);
}

TEST(CountCross, Values) {
  macro::CrossValues v = macro::CountCrossValues(N(2, 0, 0, 0, 0, 0), 'n', '2');
  EXPECT_EQ(1, v.rowMode);
  EXPECT_EQ(0, v.columnMode);
  EXPECT_EQ(1, v.countFlag);
  EXPECT_EQ(0, v.valueMode);
  CountNumbers n = N(2, 3, 4, 1, 0, 0);
  n.a2 = 1;
  v = macro::CountCrossValues(n, 's', 'x');
  EXPECT_EQ(13, v.rowMode);
  EXPECT_EQ(2, v.columnMode);
  EXPECT_EQ(0, v.countFlag);
  n = N(2, 3, 0, 0, 5, 0);
  v = macro::CountCrossValues(n, 's', 'd');
  EXPECT_EQ(2, v.rowMode);
  EXPECT_EQ(2, v.valueMode);
  EXPECT_EQ(1, macro::CountCrossValues(N(2, 0, 0, 0, 0, 0), 's', 'x').rowMode);  // +10 only from mode 2
  EXPECT_EQ(1, macro::CountSortKey(macro::kCountSortDirectionWord));
  EXPECT_EQ(-1, macro::CountSortKey(1));
}

class CountRun : public macrotest::RunFixture<> {
 protected:
  CountRun() : RunFixture(33) {}
  void Load(const std::string& file) { ASSERT_TRUE(table.LoadFileText(file.data(), file.size(), 64)); }
  std::string Text() const {
    std::string s(reinterpret_cast<const char*>(table.m_pTextBuf), table.m_nTextLen);
    for (char& c : s) c = c == 0x06 ? ',' : c;
    return s;
  }
};

TEST_F(CountRun, AWordOperandForSumIsABoxAndTheErrorExit) {
  Load("k,v\r\na,1\r\n");
  RunDocument("\tsum3\tabc=1\r\n\tcount\r\n");
  ASSERT_FALSE(host.boxes.empty());
  EXPECT_EQ("Eror : needs '&' before[ ]", host.boxes[0]);
  EXPECT_EQ("k,v\r\na,1\r\n", Text());  // the statement after it did not run
}

TEST_F(CountRun, ATableOfOneRowGetsAnEmptySecondRow) {
  // The title alone, with its buffer exactly full: the row needs room.
  const std::string title = "h1\x06h2\x06h3";
  ASSERT_TRUE(table.Assign(title.data(), title.size(), 0));
  ASSERT_EQ(0, table.m_nLastRow);
  EXPECT_EQ(macro::kRunEnded, RunDocument("\tcount\r\n"));
  EXPECT_TRUE(host.reports.empty()) << host.reports[0];
  EXPECT_GE(table.m_nLastRow, 1);
}

}  // namespace
