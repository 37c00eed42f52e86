// Row deletion and row order: the marks kept beside the text, every row end,
// the index after the deletion, "rev", repeats and numbering, the last row
// without a row end, and every allocation failure.
#include "csv/csv_rows.h"
#include "csv/csv_index.h"

#include <gtest/gtest.h>

#include <string>

#include "csv_test_util.h"
#include "fw/alloc.h"

namespace {

using csvtest::ExpectIndexesAgain;
using csvtest::MakeTable;
using csvtest::Text;

TEST(CsvRows, DeleteRangeRebuildsTheIndex) {
  auto t = MakeTable("r1\r\nr2\r\nr3\r\nr4\r\nr5\r\n");
  ASSERT_EQ(0, csv::CsvDeleteListedRows(*t, "2-3", nullptr));
  EXPECT_EQ("r1\r\nr4\r\nr5\r\n", Text(*t));
  EXPECT_EQ(2, t->m_nLastRow);  // three rows remain
  ExpectIndexesAgain(*t);
}

TEST(CsvRows, DeleteEmptyRowOfLfOnlyText) {
  // The mark is not written over the row's first byte (here its line end).
  auto t = MakeTable("a\nb\n\nd\ne\n");
  ASSERT_EQ(0, csv::CsvDeleteListedRows(*t, "3", nullptr));
  EXPECT_EQ("a\nb\nd\ne\n", Text(*t));
  ExpectIndexesAgain(*t);
}

TEST(CsvRows, DeleteInCrOnlyText) {
  auto t = MakeTable("a\rb\rc\rd");
  ASSERT_EQ(0, csv::CsvDeleteListedRows(*t, "2", nullptr));
  EXPECT_EQ("a\rc\rd", Text(*t));
}

TEST(CsvRows, RowStartingWithMarkByteStays) {
  auto t = MakeTable("a\r\n\x0F" "b\r\nc\r\nd\r\n");
  ASSERT_EQ(0, csv::CsvDeleteListedRows(*t, "3", nullptr));
  EXPECT_EQ("a\r\n\x0F" "b\r\nd\r\n", Text(*t));
}

TEST(CsvRows, DeletionListForms) {
  auto t = MakeTable("1\r\n2\r\n3\r\n4\r\n5\r\n");
  // "-2" is the single row 2, ']' a start past the last row, "#del" nothing.
  ASSERT_EQ(0, csv::CsvDeleteListedRows(*t, "-2,]-,5#del", nullptr));
  EXPECT_EQ("1\r\n3\r\n4\r\n", Text(*t));
  ASSERT_EQ(0, csv::CsvDeleteListedRows(*t, "99,0,(1-5)", nullptr));
  EXPECT_EQ("1\r\n3\r\n4\r\n", Text(*t));
}

TEST(CsvRows, ReorderNoChangeForms) {
  const std::string file = "t,u\r\n1,a\r\n2,b\r\n";
  auto t = MakeTable(file);
  const std::string before = csvtest::Raw(*t);
  ASSERT_EQ(0, csv::CsvReorderRows(*t, "1-", 0, nullptr));
  EXPECT_EQ(before, csvtest::Raw(*t));
}

TEST(CsvRows, RevKeepsTitleAndTotals) {
  // Title, four data rows, a "~" totals line after the data end.
  auto t = MakeTable("t,u,v,w\r\n1,a,x,y\r\n2,b,x,y\r\n3,c,x,y\r\n4,d,x,y\r\n~total,10,,\r\n");
  ASSERT_EQ(0, csv::CsvReorderRows(*t, "rev", 0, nullptr));
  EXPECT_EQ("t,u,v,w\r\n4,d,x,y\r\n3,c,x,y\r\n2,b,x,y\r\n1,a,x,y\r\n~total,10,,\r\n", Text(*t));
  ExpectIndexesAgain(*t);
}

TEST(CsvRows, OrderRepeatAndNumbering) {
  auto t = MakeTable("t\r\n\"q\"\r\nz\r\n");
  ASSERT_EQ(0, csv::CsvReorderRows(*t, "3,1,*", 0, nullptr));
  EXPECT_EQ("z\r\nt\r\n\"q\"\r\n", Text(*t));
  auto u = MakeTable("t\r\n\"q\"\r\nz\r\n");
  ASSERT_EQ(0, csv::CsvReorderRows(*u, "1,n2,2-3", 0, nullptr));
  EXPECT_EQ("t\r\n\"01_q\"\r\n\"02_q\"\r\n01_z\r\n02_z\r\n", Text(*u));
  ExpectIndexesAgain(*u);
  auto w = MakeTable("a\r\nb\r\n");
  ASSERT_EQ(0, csv::CsvReorderRows(*w, "x2", 0, nullptr));
  EXPECT_EQ("a\r\na\r\nb\r\nb\r\n", Text(*w));
}

TEST(CsvRows, LastRowWithoutRowEndMovedToTheMiddle) {
  auto t = MakeTable("a\r\nb\r\nc");
  ASSERT_EQ(0, csv::CsvReorderRows(*t, "3,1,2", 0, nullptr));
  EXPECT_EQ("c\r\na\r\nb\r\n", Text(*t));
  EXPECT_EQ(2, t->m_nLastRow);
}

TEST(CsvRows, CopyRowRangeSizesNumberedCopies) {
  const std::string text = "ab\r\n\"c\r\nd";
  std::vector<csv::RowSpan> rows;
  ASSERT_TRUE(csv::SplitRows(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), &rows));
  ASSERT_EQ(3u, rows.size());
  csv::OutWriter out;
  const auto* t = reinterpret_cast<const std::uint8_t*>(text.data());
  // The size pass counts the "%02d_" prefix, the quote kept before it and the added CR LF.
  for (int number : {0, 7, 123}) {
    csv::OutWriter w;
    const std::uint64_t size = csv::CsvCopyRowRange(t, rows, 1, 3, nullptr, number);
    EXPECT_EQ(size, csv::CsvCopyRowRange(t, rows, 1, 3, &w, number));
    EXPECT_EQ(size, w.Length());
  }
  csv::CsvCopyRowRange(t, rows, 2, 3, &out, 7);
  EXPECT_EQ("\"07_c\r\n07_d\r\n", std::string(reinterpret_cast<const char*>(out.Data()), out.Length()));
}

TEST(CsvRows, InstallWithoutTheCopyEqualsTheCopyingInstall) {
  for (const char* file : {"t,u\r\n1,2\r\n3,4\r\n", "a\nb\n\nc", "x,y,z,w\r\n1,2,3,4\r\n5", "\"q\",a\r\n1,2\r\n"}) {
    auto t = MakeTable(file);
    auto u = MakeTable(file);
    csv::OutWriter w1, w2;
    w1.Put(t->m_pTextBuf, t->m_nTextLen);
    w2.Put(t->m_pTextBuf, t->m_nTextLen);
    ASSERT_TRUE(csv::InstallResult(*t, w1, 0));
    ASSERT_TRUE(csv::InstallByScanCopy(*u, w2.Data(), w2.Length(), 0));
    EXPECT_EQ(csvtest::Raw(*u), csvtest::Raw(*t)) << file;
    EXPECT_TRUE(csv::SameBlockIndex(*t, *u)) << file;
    EXPECT_EQ(u->m_nFieldCount, t->m_nFieldCount);
  }
}

// Every allocation of `op` fails in turn: each failure is reported with
// `code` and leaves the table byte-identical with the same counts.
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

TEST(CsvRows, AllocationFailuresLeaveTheTable) {
  const std::string file = "t,u\r\n1,a\r\n2,b\r\n3,c\r\n";
  EveryFailure(file, 141, [](csv::Table& t, csv::OpHost* h) { return csv::CsvReorderRows(t, "rev", 0, h); });
  EveryFailure(file, 141, [](csv::Table& t, csv::OpHost* h) { return csv::CsvReorderRows(t, "n2,3,1,*", 0, h); });
  EveryFailure(file, 141, [](csv::Table& t, csv::OpHost* h) { return csv::CsvDeleteListedRows(t, "2", h); });
}

}  // namespace
