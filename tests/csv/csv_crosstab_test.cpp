// The cross tabulation: the operand's list forms and labels, the pivot's
// cells for one to three key levels, value fields and counting, the group
// summary with its subtotal lines and drop flag, and every allocation
// failure leaving the table as it was.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "csv/csv_crosstab.h"
#include "csv/csv_groupsum.h"
#include "csv/csv_pivotkeys.h"
#include "csv/csv_totals.h"
#include "csv_test_util.h"
#include "fw/alloc.h"
#include "support/alloc_walk.h"

namespace {

using csvtest::MakeTable;
using csvtest::Recorder;
using csvtest::Text;

std::string Cross(const std::string& file, int first, int levels, int count, int fourth, const std::string& operand = "",
                  int number = 0) {
  auto t = MakeTable(file);
  Recorder rec;
  EXPECT_EQ(0, csv::CsvCrossTabulate(*t, first, levels, count, fourth, operand, number, &rec));
  EXPECT_TRUE(rec.calls.empty());
  csvtest::ExpectIndexesAgain(*t);
  return Text(*t);
}

std::vector<std::string> Lines(const std::string& s) {
  std::vector<std::string> out;
  std::size_t from = 0;
  for (;;) {
    const std::size_t at = s.find("\r\n", from);
    out.push_back(s.substr(from, at == std::string::npos ? std::string::npos : at - from));
    if (at == std::string::npos) break;
    from = at + 2;
  }
  return out;
}

std::size_t Fields(const std::string& line) {
  std::size_t n = 1;
  for (char c : line) n += c == ',';
  return n;
}

TEST(CsvPivotOperand, LabelsLimitsAndListForms) {
  csv::PivotOperand op = csv::ReadPivotOperand("", 1, 0);
  EXPECT_EQ(20, op.limit);
  EXPECT_EQ(csv::PivotListForm::kData, op.form);
  EXPECT_EQ(30, csv::ReadPivotOperand("N30", 1, 30).limit);
  EXPECT_EQ(500, csv::ReadPivotOperand("N900", 1, 900).limit);
  op = csv::ReadPivotOperand("N5:rest:sum", 1, 5);
  EXPECT_EQ(5, op.limit);
  EXPECT_EQ("rest", op.overflowLabel);
  EXPECT_EQ("sum", op.totalLabel);
  op = csv::ReadPivotOperand("NULLN7:rest", 1, 7);
  EXPECT_EQ(7, op.limit);
  EXPECT_EQ("rest", op.overflowLabel);
  EXPECT_EQ("Total", op.totalLabel);
  op = csv::ReadPivotOperand("a,b^x,y", 2, 0);
  ASSERT_EQ(csv::PivotListForm::kProduct, op.form);
  ASSERT_EQ(8u, op.listed.size());
  EXPECT_EQ("a", op.listed[2].t[0]);
  EXPECT_EQ("other", op.listed[2].t[1]);
  EXPECT_EQ("b", op.listed[7].t[0]);
  EXPECT_EQ("total", op.listed[7].t[1]);
  op = csv::ReadPivotOperand("a|x,b|other", 2, 0);
  ASSERT_EQ(csv::PivotListForm::kExplicit, op.form);
  ASSERT_EQ(2u, op.listed.size());
  EXPECT_EQ("other", op.listed[1].t[1]);
  std::string many;
  for (int k = 0; k < 600; ++k) many += (k ? "," : "") + std::to_string(k);
  EXPECT_EQ(510u, csv::ReadPivotOperand(many, 1, 0).listed.size());
  EXPECT_EQ(500u, csv::ReadPivotOperand(many + "^" + many, 2, 0).listed.size());
}

TEST(CsvCrossTabulate, OneLevelLimitsAndOverflow) {
  std::string file = "n,v,k\r\n";
  for (int k = 0; k < 600; ++k) file += "r," + std::to_string(k % 7) + ",k" + std::to_string(1000 + k) + "\r\n";
  // limit + overflow + total columns after the one label field.
  EXPECT_EQ(1u + 20 + 2, Fields(Lines(Cross(file, 1, 1, 0, 0))[0]));
  EXPECT_EQ(1u + 30 + 2, Fields(Lines(Cross(file, 1, 1, 0, 0, "N30", 30))[0]));
  EXPECT_EQ(1u + 500 + 2, Fields(Lines(Cross(file, 1, 1, 0, 0, "N900", 900))[0]));
  // Labels, and a key past the limit in the overflow and the total column.
  const auto lines = Lines(Cross("n,v,k\r\na,1,x\r\na,2,y\r\na,4,z\r\n", 1, 1, 0, 0, "N2:rest:sum", 2));
  ASSERT_EQ(3u, lines.size());
  EXPECT_EQ("n,x,y,rest,sum", lines[0]);
  EXPECT_EQ("a,1,2,4,7", lines[1]);
  EXPECT_EQ("Total,1,2,4,7", lines[2]);
}

TEST(CsvCrossTabulate, AnEmptyInnermostKeyHasItsOwnColumn) {
  const auto lines = Lines(Cross("n,v,k\r\na,1,x\r\na,2,\r\nb,4,x\r\n", 1, 1, 0, 0));
  EXPECT_EQ("n,,x,Other,Total", lines[0]);
  EXPECT_EQ("a,2,1,0,3", lines[1]);
  EXPECT_EQ("b,0,4,0,4", lines[2]);
  EXPECT_EQ("Total,2,5,0,7", lines[3]);
}

TEST(CsvCrossTabulate, TwoLevelsFillOwnGroupAndTotal) {
  // Sorted on the outer key (0x83 0x5C before 0x95 0x5C), then the inner.
  const std::string file = "g,v,o,i\r\ns,1,\x83\x5C,x\r\ns,2,\x83\x5C,y\r\nt,4,\x95\x5C,x\r\ns,8,\x83\x5C,x\r\n";
  const auto lines = Lines(Cross(file, 1, 2, 0, 0, "N20", 20));
  ASSERT_EQ(4u, lines.size());
  EXPECT_EQ("g,x,y,total,x,total,-,-", lines[0]);
  EXPECT_EQ("s,9,2,11,0,0,0,11", lines[1]);
  EXPECT_EQ("t,0,0,0,4,4,0,4", lines[2]);
  EXPECT_EQ("Total,9,2,11,4,4,0,15", lines[3]);
}

TEST(CsvCrossTabulate, ThreeLevels) {
  const std::string file = "n,v,o,m,i\r\na,1,A,p,x\r\na,2,A,p,y\r\na,4,A,q,x\r\nb,8,B,p,x\r\n";
  const auto lines = Lines(Cross(file, 1, 3, 0, 0));
  ASSERT_EQ(4u, lines.size());
  // (A,p,x) (A,p,y) (A,p,total) (A,q,x) (A,q,total) (A,Total,--) (B,p,x)
  // (B,p,total) (B,Total,--) (Other) (Total)
  EXPECT_EQ("n,x,y,total,x,total,--,x,total,--,-,-", lines[0]);
  EXPECT_EQ("a,1,2,3,4,4,7,0,0,0,0,7", lines[1]);
  EXPECT_EQ("b,0,0,0,0,0,0,8,8,8,0,8", lines[2]);
  EXPECT_EQ("Total,1,2,3,4,4,7,8,8,8,0,15", lines[3]);
}

TEST(CsvCrossTabulate, CountModeAndValueFields) {
  const std::string file = "n,v,k\r\na,5,x\r\na,7,x\r\nb,9,y\r\n";
  const auto c = Lines(Cross(file, 1, 1, 1, 0));
  EXPECT_EQ("a,2,0,0,2", c[1]);
  EXPECT_EQ("Total,2,1,0,3", c[3]);
  // Two value fields: each entry twice, the second headed with "$".
  const auto two = Lines(Cross("n,v,w,k\r\na,1,10,x\r\na,2,20,y\r\n", 1, 1, 0, 2));
  EXPECT_EQ("n,x,x$,y,y$,Other,Other$,Total,Total$", two[0]);
  EXPECT_EQ("a,1,10,2,20,0,0,3,30", two[1]);
  const auto three = Lines(Cross("n,v,w,z,k\r\na,1,10,100,x\r\n", 1, 1, 0, 3));
  EXPECT_EQ("n,x,x$,x$$,Other,Other$,Other$$,Total,Total$,Total$$", three[0]);
  EXPECT_EQ("a,1,10,100,0,0,0,1,10,100", three[1]);
}

TEST(CsvCrossTabulate, ProductAndExplicitLists) {
  const std::string file = "n,v,o,i\r\na,1,A,x\r\na,2,A,z\r\nb,4,B,x\r\nc,8,C,x\r\n";
  const auto p = Lines(Cross(file, 1, 2, 0, 0, "A,B^x,y"));
  EXPECT_EQ("n,x,y,other,total,x,y,other,total,-,-", p[0]);
  EXPECT_EQ("a,1,0,2,3,0,0,0,0,0,3", p[1]);
  EXPECT_EQ("b,0,0,0,0,4,0,0,4,0,4", p[2]);
  EXPECT_EQ("c,0,0,0,0,0,0,0,0,8,8", p[3]);
  const auto e = Lines(Cross(file, 1, 2, 0, 0, "A|x,other|x,A|total"));
  EXPECT_EQ("n,x,x,total,-,-", e[0]);
  EXPECT_EQ("a,1,0,3,2,3", e[1]);
  EXPECT_EQ("b,0,4,0,0,4", e[2]);
}

TEST(CsvCrossTabulate, FiveHundredKeysWithThreeValueFields) {
  std::string file = "n,v,w,z,k\r\n";
  for (int k = 0; k < 500; ++k) file += "r,1,2,3,k" + std::to_string(1000 + k) + "\r\n";
  const auto lines = Lines(Cross(file, 1, 1, 0, 3, "N500", 500));
  ASSERT_EQ(3u, lines.size());
  EXPECT_EQ(1u + 3 * 502, Fields(lines[0]));
  EXPECT_EQ(1u + 3 * 502, Fields(lines[1]));
  EXPECT_EQ("500,1000,1500", lines[1].substr(lines[1].size() - 13));
}

TEST(CsvGroupSummary, OneTwoAndThreeKeyFields) {
  EXPECT_EQ("k,v,Total\r\na,3,3\r\nb,4,4\r\nTotal,7,7", Cross("k,v\r\na,1\r\na,2\r\nb,4\r\n", 1, 0, 0, 0));
  EXPECT_EQ("o,i,v,Total\r\nA,x,3,3\r\nA,y,4,4\r\nA,--total--,7,7\r\nB,x,8,8\r\nB,--total--,8,8\r\nTotal,*,15,15",
            Cross("o,i,v\r\nA,x,1\r\nA,x,2\r\nA,y,4\r\nB,x,8\r\n", 2, 0, 0, 0));
  EXPECT_EQ("o,i,v,Total\r\nA,x,3,3\r\nA,y,4,4\r\nA,--total--,7,7\r\nB,x,8,8\r\nTotal,*,15,15",
            Cross("o,i,v\r\nA,x,1\r\nA,x,2\r\nA,y,4\r\nB,x,8\r\n", 12, 0, 0, 0));
  const std::string three = "o,m,i,v\r\nA,p,x,1\r\nA,p,y,2\r\nA,q,x,4\r\nB,p,x,8\r\n";
  EXPECT_EQ("o,m,i,v,Total\r\nA,p,x,1,1\r\nA,p,y,2,2\r\nA,p,--sum--,3,3\r\nA,q,x,4,4\r\nA,q,--sum--,4,4\r\n"
            "A,--total--,--------,7,7\r\nB,p,x,8,8\r\nB,p,--sum--,8,8\r\nB,--total--,--------,8,8\r\nTotal,*,*,15,15",
            Cross(three, 3, 0, 0, 0));
  EXPECT_EQ("o,m,i,v,Total\r\nA,p,x,1,1\r\nA,p,y,2,2\r\nA,p,--sum--,3,3\r\nA,q,x,4,4\r\n"
            "A,--total--,--------,7,7\r\nB,p,x,8,8\r\nTotal,*,*,15,15",
            Cross(three, 13, 0, 0, 0));
  EXPECT_EQ("o,i,v,Total\r\nA,--sum---,3,3\r\nA,--total--,3,3\r\nTotal,*,3,3",
            Cross("o,i,v\r\nA,x,1\r\nA,x,2\r\n", 2, 0, 0, 1));
  // No data rows: one empty row is summed.
  EXPECT_EQ("k,v,Total\r\n,0,0\r\nTotal,0,0", Cross("k,v\r\n", 1, 0, 0, 0));
}

TEST(CsvCrossTabulate, HeadLinesStayAndTheTitleLineIsKept) {
  auto t = MakeTable("head\r\nk,v\r\na,1\r\n~note\r\n");
  t->m_nCurLine = 2;
  Recorder rec;
  ASSERT_EQ(0, csv::CsvCrossTabulate(*t, 1, 0, 0, 0, "", 0, &rec));
  EXPECT_EQ("head\r\nk,v,Total\r\na,1,1\r\nTotal,1,1\r\n~note\r\n", Text(*t));
  EXPECT_EQ(2u, t->m_nCurLine);
  csvtest::ExpectIndexesAgain(*t);
}

TEST(CsvCrossTabulate, QuotedLineBreaksStayInTheirCells) {
  // A multi-line key is one key, told from its first line; a number stops
  // at the break code; the label keeps its codes.
  const std::string file = "k,v\r\n\"a\r\nb\",1\r\n\"a\r\nb\",2\r\n\"a\",\"4\r\n5\"\r\n";
  const auto lines = Lines(Cross(file, 1, 0, 0, 0));
  ASSERT_EQ(4u, lines.size());
  EXPECT_EQ("\"a\x7f\x0e" "b\",3,3", lines[1]);
  EXPECT_EQ("\"a\",4,4", lines[2]);
  auto t = MakeTable(file);
  Recorder rec;
  ASSERT_EQ(0, csv::CsvTotals(*t, 1, 1, "", &rec));
  const auto totals = Lines(Text(*t));
  ASSERT_EQ(7u, totals.size());
  EXPECT_EQ("\"a\x7f\x0e" "b\",2,2", totals[2]);
  EXPECT_EQ("total,3,3", totals[3]);
  EXPECT_EQ("\"a\",\"4\x7f\x0e" "5\",4", totals[4]);
}

TEST(CsvGroupSummary, ASummaryLargerThanItsTableComesOutWhole) {
  // Three key fields, every row its own outer group: three lines a row,
  // far past the table's length + 150,000 bytes.
  std::string file = "o,m,i,v\r\n";
  for (int r = 0; r < 20000; ++r) file += "o" + std::to_string(100000 + r) + ",m,i,1\r\n";
  const auto lines = Lines(Cross(file, 3, 0, 0, 0));
  ASSERT_EQ(1u + 3 * 20000 + 1, lines.size());
  EXPECT_GT(lines.size() * 20, file.size() + 150000);
  EXPECT_EQ("o119999,--total--,--------,1,1", lines[lines.size() - 2]);
  EXPECT_EQ("Total,*,*,20000,20000", lines.back());
}

TEST(CsvCrossTabulate, MemoryFailuresLeaveTheTableUnchanged) {
  // Big enough for the summary's output to grow.
  std::string file = "h\r\nn,v,o,i\r\n";
  for (int k = 0; k < 400; ++k) file += "a" + std::to_string(k) + ",1,A,x\r\n";
  file += "~c\r\n";
  std::vector<int> seen;
  struct State {
    std::unique_ptr<csv::Table> t;
    std::string before;
    Recorder rec;
  };
  for (int levels : {0, 2}) {
    const int last = testsupport::WalkAllocationFailures(
        [&] {
          State st{MakeTable(file), "", {}};
          st.t->m_nCurLine = 2;
          st.before = csvtest::Raw(*st.t);
          return st;
        },
        [&](State& st) { return csv::CsvCrossTabulate(*st.t, 1, levels, 0, 0, "", 0, &st.rec); },
        [&](long n, int r, State& st) {
          ASSERT_NE(0, r) << n;
          ASSERT_EQ(1u, st.rec.calls.size());
          EXPECT_EQ(r, st.rec.calls[0].first);
          seen.push_back(r);
          EXPECT_EQ(st.before, csvtest::Raw(*st.t));
          EXPECT_EQ(2u, st.t->m_nCurLine);
        });
    EXPECT_EQ(0, last);
  }
  for (int code = 159; code <= 163; ++code) EXPECT_NE(seen.end(), std::find(seen.begin(), seen.end(), code)) << code;
}

}  // namespace
