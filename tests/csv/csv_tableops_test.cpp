// The column rewrite and the transpose: lists, the delete flag, the row step
// of "&R:", empty columns, regions and ragged tables, and every failure.
#include <gtest/gtest.h>

#include <string>

#include "csv/csv_columns.h"
#include "csv/csv_transpose.h"
#include "csv_test_util.h"
#include "fw/alloc.h"

namespace {

using csvtest::ExpectIndexesAgain;
using csvtest::MakeTable;
using csvtest::Text;

std::string Rewrite(const std::string& file, const std::string& list, int del = 0, const std::string& cmd = "") {
  auto t = MakeTable(file);
  EXPECT_EQ(0, csv::CsvRewriteColumns(1, *t, static_cast<int>(t->m_nFieldCount), 9000, del, list, cmd, nullptr));
  ExpectIndexesAgain(*t);
  return Text(*t);
}

const char kTable[] = "a,b,c\r\n1,2,3\r\n4,5,6\r\n";

TEST(CsvColumns, ListsAndDeleteFlag) {
  EXPECT_EQ("c,a,b\r\n3,1,2\r\n6,4,5\r\n", Rewrite(kTable, "3,1,*"));
  EXPECT_EQ("c,c,b,a\r\n3,3,2,1\r\n6,6,5,4\r\n", Rewrite(kTable, "3,3,2,*"));
  EXPECT_EQ("a,c\r\n1,3\r\n4,6\r\n", Rewrite(kTable, "2", 1));
  EXPECT_EQ("b,c\r\n2,3\r\n5,6\r\n", Rewrite(kTable, "2-"));  // drops column 1
  EXPECT_EQ(kTable, Rewrite(kTable, "1-"));
  EXPECT_EQ(kTable, Rewrite(kTable, "1_"));
  // '[' is a column no row has: an empty cell.
  EXPECT_EQ("a,,b\r\n1,,2\r\n4,,5\r\n", Rewrite(kTable, "1,[new],2"));
  // A column beyond the table is an empty cell too.
  EXPECT_EQ("b,\r\n2,\r\n5,\r\n", Rewrite(kTable, "2,7"));
  // Numbered copies.
  EXPECT_EQ("01_a,02_a\r\n01_1,02_1\r\n01_4,02_4\r\n", Rewrite(kTable, "n2,1"));
}

TEST(CsvColumns, RowStepThenColumns) {
  EXPECT_EQ("c,b,a\r\n6,5,4\r\n3,2,1\r\n", Rewrite(kTable, "3,2,1", 0, "&R:rev"));
  EXPECT_EQ("c,b,a\r\n6,5,4\r\n3,2,1\r\n", Rewrite(kTable, "3,2,1", 0, "&&:rev"));
}

TEST(CsvColumns, WideRowsKeepTheirCellsUnderStar) {
  // A row wider than the title keeps its extra cells with '*'; every row
  // gets the same columns.
  EXPECT_EQ("b,a,\r\n2,1,3\r\n", Rewrite("a,b\r\n1,2,3\r\n", "2,*"));
}

TEST(CsvColumns, TextOfAnotherFile) {
  std::string text = "x\x06y\x06z\r\n1\x06" "2\x06" "3\r\n";
  ASSERT_EQ(0, csv::CsvRewriteColumnsText(text, 3, 0, 9000, "3,*", nullptr));
  EXPECT_EQ("z\x06x\x06y\r\n3\x06" "1\x06" "2\r\n", text);
}

TEST(CsvColumns, OneColumnNamedManyTimes) {
  // 9000 copies of column 1 in every row: the output grows as it must.
  std::string file = "a,b\r\n";
  for (int i = 0; i < 50; ++i) file += "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx,y\r\n";
  auto t = MakeTable(file);
  ASSERT_EQ(0, csv::CsvRewriteColumns(1, *t, 2, 9000, 0, "x9000,1", "", nullptr));
  ExpectIndexesAgain(*t);
    EXPECT_GT(t->m_nTextLen, 50u * 9000u * 40u);
}

std::string Transpose(const std::string& file, int variant = 0) {
  auto t = MakeTable(file);
  EXPECT_EQ(0, csv::CsvTransposeTable(*t, variant, nullptr));
  ExpectIndexesAgain(*t);
  return Text(*t);
}

TEST(CsvTranspose, RegionWithCommentAndTotals) {
  EXPECT_EQ("~note\r\nt,1,2,3\r\nu,a,b,c\r\nv,x,y,z\r\nw,p,q,r\r\n~sum,6\r\n",
            Transpose("~note\r\nt,u,v,w\r\n1,a,x,p\r\n2,b,y,q\r\n3,c,z,r\r\n~sum,6\r\n"));
}

TEST(CsvTranspose, OneColumnGetsTitles) {
  EXPECT_EQ("A1,A2,A3\r\nt,1,2\r\n", Transpose("t\r\n1\r\n2\r\n"));
}

TEST(CsvTranspose, RaggedTable) {
  // Every new row has one cell per old row; a row wider than the title
  // gives a further row. (A short row ends the data: the scanner's data end.)
  EXPECT_EQ("a,1,4\r\nb,2,5\r\n,3,\r\n", Transpose("a,b\r\n1,2,3\r\n4,5\r\n"));
  EXPECT_EQ("a,1\r\nb,\r\nc,\r\n4,5,6\r\n", Transpose("a,b,c\r\n1\r\n4,5,6\r\n"));
}

TEST(CsvTranspose, SecondTable) {
  EXPECT_EQ("a,b\r\n1,2\r\n!#\r\na,1\r\nb,2\r\n", Transpose("a,b\r\n1,2", 1));
}

template <typename Op>
void EveryFailure(const std::string& file, int code, Op op) {
  for (long n = 1;; ++n) {
    auto t = MakeTable(file);
    const std::string before = csvtest::Raw(*t);
    const auto lastRow = t->m_nLastRow;
    const auto fields = t->m_nFieldCount;
    csvtest::Recorder rec;
    fw::alloctest::Reset();
    fw::alloctest::FailAt(n);
    const int rc = op(*t, &rec);
    const bool reached = fw::alloctest::Count() >= n;
    fw::alloctest::Reset();
    if (!reached) {
      EXPECT_EQ(0, rc);
      break;
    }
    EXPECT_EQ(code, rc) << "allocation " << n;
    ASSERT_EQ(1u, rec.calls.size());
    EXPECT_EQ(code, rec.calls[0].first);
    EXPECT_EQ(before, csvtest::Raw(*t));
    EXPECT_EQ(lastRow, t->m_nLastRow);
    EXPECT_EQ(fields, t->m_nFieldCount);
  }
}

TEST(CsvTableOps, FailureTexts) {
  csvtest::Recorder rec;
  EXPECT_EQ(csv::kRewriteTooLarge, csv::ReportOpFailure(&rec, csv::kRewriteTooLarge));
  EXPECT_EQ(145, csv::ReportOpFailure(&rec, 145));
  ASSERT_EQ(2u, rec.calls.size());
  EXPECT_EQ(2, rec.calls[0].first);
  EXPECT_EQ("Too many row allocation", rec.calls[0].second);
  EXPECT_EQ(145, rec.calls[1].first);
  EXPECT_EQ("", rec.calls[1].second);
}

TEST(CsvTableOps, AllocationFailuresLeaveTheTable) {
  EveryFailure(kTable, 145, [](csv::Table& t, csv::OpHost* h) {
    return csv::CsvRewriteColumns(1, t, 3, 9000, 0, "3,1,*", "", h);
  });
  EveryFailure(kTable, 138, [](csv::Table& t, csv::OpHost* h) { return csv::CsvTransposeTable(t, 0, h); });
  // With a row step first: a failure of either step leaves the table whole.
  for (long n = 1;; ++n) {
    auto t = MakeTable(kTable);
    const std::string before = csvtest::Raw(*t);
    csvtest::Recorder rec;
    fw::alloctest::Reset();
    fw::alloctest::FailAt(n);
    const int rc = csv::CsvRewriteColumns(1, *t, 3, 9000, 0, "3,1,*", "&R:rev", &rec);
    const bool reached = fw::alloctest::Count() >= n;
    fw::alloctest::Reset();
    if (!reached) break;
    EXPECT_TRUE(rc == 141 || rc == 145) << rc;
    EXPECT_EQ(before, csvtest::Raw(*t)) << "allocation " << n;
  }
  EveryFailure(kTable, 138, [](csv::Table& t, csv::OpHost* h) { return csv::CsvTransposeTable(t, 1, h); });
}

}  // namespace
