// The new-row modes of the new-row statements (3, 5, 6 and the raw forms)
// and the cell list of a table.
#include <gtest/gtest.h>

#include <string>

#include "csv/csv_dumpcells.h"
#include "csv/csv_rowinsert.h"
#include "csv_test_util.h"
#include "fw/alloc.h"

namespace {

using csvtest::ExpectIndexesAgain;
using csvtest::MakeTable;
using csvtest::Text;

std::string Value(int n) {
  if (n == 21) return "";
  if (n == 22) return "NULL";
  return "v" + std::to_string(n);
}

struct ModeCase {
  const char* what;
  const char* file;
  int mode, row, count;
  const char* operand;
  std::uint32_t curLine;
  const char* expected;
};

TEST(CsvRowModes, NewRowsByMode) {
  const char* kFile = "t,u\r\n1,2\r\n3,4\r\n";
  const ModeCase cases[] = {
      {"newmax: to five rows", kFile, 3, -1, 5, "x,y", 1, "t,u\r\n1,2\r\n3,4\r\nx,y\r\nx,y\r\n"},
      {"newmax: already that many", kFile, 3, -1, 2, "x,y", 1, "t,u\r\n1,2\r\n3,4\r\n"},
      {"newmax raw", kFile, 13, 0, 4, "x,y", 1, "t,u\r\n1,2\r\n3,4\r\n\"x,y\"\r\n"},
      {"newvar: slots 20-22", kFile, 5, 20, 3, "", 1, "t,u\r\n1,2\r\n3,4\r\nv20,,\r\n"},
      {"newvar raw: one row per value", kFile, 15, 20, 2, "", 1, "t,u\r\n1,2\r\n3,4\r\nv20\r\n\r\n"},
      {"newvar: the slots end at 5180", kFile, 5, 5179, 9, "", 1, "t,u\r\n1,2\r\n3,4\r\nv5179,v5180\r\n"},
      {"newfix: data row 2", kFile, 6, 2, 1, "a,b", 1, "t,u\r\n1,2\r\na,b\r\n3,4\r\n"},
      {"newfix: row 0 after the title", kFile, 6, 0, 2, "", 1, "t,u\r\n,\r\n,\r\n1,2\r\n3,4\r\n"},
      {"newfix: title on line 2", "note\r\nt,u\r\n1,2\r\n", 6, 1, 1, "a,b", 2, "note\r\nt,u\r\na,b\r\n1,2\r\n"},
      {"newfix: past the end", kFile, 6, 40, 1, "a,b", 1, "t,u\r\n1,2\r\n3,4\r\na,b\r\n"},
      {"newend raw", kFile, 11, -1, 2, "p,NULL", 1, "t,u\r\n1,2\r\n3,4\r\n\"p,NULL\"\r\n\"p,NULL\"\r\n"},
      {"newend without a row: at the end", kFile, 1, -1, 1, "e,f", 1, "t,u\r\n1,2\r\n3,4\r\ne,f\r\n"},
      {"a row is one line", kFile, 2, 1, 1, "a,b\r\nc", 1, "t,u\r\na,b\r\n1,2\r\n3,4\r\n"},
  };
  for (const ModeCase& c : cases) {
    SCOPED_TRACE(c.what);
    auto t = MakeTable(c.file);
    t->m_nCurLine = c.curLine;
    const int last = csv::CsvRowInsertOrList(c.mode, *t, c.row, c.count, c.operand, 0, Value, nullptr);
    EXPECT_EQ(t->m_nLastRow, last);
    ExpectIndexesAgain(*t);
    // The comma form of the table as it would be saved.
    EXPECT_EQ(c.expected, t->FileText(csv::CommaFormKind::kComma));
  }
}

TEST(CsvRowModes, HugeCountsFailCleanly) {
  auto t = MakeTable("t,u\r\n1,2\r\n");
  const std::string before = csvtest::Raw(*t);
  csvtest::Recorder rec;
  const std::string wide(4000, 'w');
  EXPECT_EQ(-1, csv::CsvRowInsertOrList(3, *t, 0, 2000000000, wide, 0, nullptr, &rec));
  ASSERT_EQ(1u, rec.calls.size());
  EXPECT_EQ(csv::kInsertWork, rec.calls[0].first);
  EXPECT_EQ(before, csvtest::Raw(*t));
}

TEST(CsvRowModes, NewModesFailWithoutChange) {
  for (int mode : {3, 5, 6, 11}) {
    for (long n = 1;; ++n) {
      auto t = MakeTable("a,b\r\n1,2\r\n");
      const std::string before = csvtest::Raw(*t);
      csvtest::Recorder rec;
      fw::alloctest::Reset();
      fw::alloctest::FailAt(n);
      const int rc = csv::CsvRowInsertOrList(mode, *t, 1, 4, "x", 0, Value, &rec);
      const bool reached = fw::alloctest::Count() >= n;
      fw::alloctest::Reset();
      if (!reached) break;
      EXPECT_EQ(-1, rc);
      ASSERT_EQ(1u, rec.calls.size());
      EXPECT_EQ(before, csvtest::Raw(*t));
    }
  }
}

TEST(CsvDumpCells, ThreeByThreeWithOneEmptyCell) {
  auto t = MakeTable("a,b,c\r\n1,,3\r\n4,\"5,5\",6\r\n7,8,9\r\n");
  ASSERT_EQ(0, csv::DumpCells(*t, nullptr));
  ExpectIndexesAgain(*t);
  EXPECT_EQ(8, t->m_nLastRow);  // the title row and 8 cells
  EXPECT_EQ(3u, t->m_nFieldCount);
  EXPECT_EQ(
      "line,clmn,data\r\n2,1,1\r\n2,3,3\r\n3,1,4\r\n3,2,\"5,5\"\r\n3,3,6\r\n4,1,7\r\n4,2,8\r\n4,3,9\r\n",
      Text(*t));
}

TEST(CsvDumpCells, TitleLineAndDataEnd) {
  // Block 1's title row (here the one-cell first line) is not listed; the
  // text after block 1's data ("!#" and the next block) is not either.
  auto t = MakeTable("note\r\nh1,h2\r\nx,y\r\n!#\r\nt\r\n1\r\n2\r\n");
  ASSERT_EQ(0, csv::DumpCells(*t, nullptr));
  ExpectIndexesAgain(*t);
  EXPECT_EQ("line,clmn,data\r\n2,1,h1\r\n2,2,h2\r\n3,1,x\r\n3,2,y\r\n", Text(*t));
  auto empty = MakeTable("");
  ASSERT_EQ(0, csv::DumpCells(*empty, nullptr));
  EXPECT_EQ("line,clmn,data\r\n", Text(*empty));
}

TEST(CsvDumpCells, FailuresLeaveTheTable) {
  for (long n = 1;; ++n) {
    auto t = MakeTable("a,b\r\n1,2\r\n");
    const std::string before = csvtest::Raw(*t);
    csvtest::Recorder rec;
    fw::alloctest::Reset();
    fw::alloctest::FailAt(n);
    const int rc = csv::DumpCells(*t, &rec);
    const bool reached = fw::alloctest::Count() >= n;
    fw::alloctest::Reset();
    if (!reached) break;
    EXPECT_EQ(csv::kRowOrderFailed, rc);
    ASSERT_EQ(1u, rec.calls.size());
    EXPECT_EQ(before, csvtest::Raw(*t));
  }
}

}  // namespace
