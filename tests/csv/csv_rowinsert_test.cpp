// Row insertion, the variable listing and the sections side by side.
#include <gtest/gtest.h>

#include <string>

#include "csv/csv_rowinsert.h"
#include "csv/csv_sections.h"
#include "csv/csv_select.h"
#include "csv/csv_regroup.h"
#include "csv_test_util.h"
#include "fw/alloc.h"

namespace {

using csvtest::ExpectIndexesAgain;
using csvtest::MakeTable;
using csvtest::Text;

std::string Insert(const std::string& file, int mode, int row, int count, const std::string& operand) {
  auto t = MakeTable(file);
  const int last = csv::CsvRowInsertOrList(mode, *t, row, count, operand, 0, nullptr, nullptr);
  EXPECT_EQ(t->m_nLastRow, last);
  ExpectIndexesAgain(*t);
  return Text(*t);
}

TEST(CsvRowInsert, BelowAboveAndBeforeTheLast) {
  const std::string file = "a,b,c\r\n1,2,3\r\n4,5,6\r\n";
  // Mode 2: after the first `row` rows; an empty operand gives empty cells.
  EXPECT_EQ("a,b,c\r\n1,2,3\r\n,,\r\n4,5,6\r\n", Insert(file, 2, 2, 1, ""));
  EXPECT_EQ(",,\r\na,b,c\r\n1,2,3\r\n4,5,6\r\n", Insert(file, 2, 0, 1, ""));
  EXPECT_EQ("a,b,c\r\n1,2,3\r\n4,5,6\r\n,,\r\n", Insert(file, 2, 99, 1, ""));
  // Mode 1 with row 0: above the last row.
  EXPECT_EQ("a,b,c\r\n1,2,3\r\n,,\r\n4,5,6\r\n", Insert(file, 1, 0, 1, ""));
  // Operand cells, "NULL" empty, "$$" a raw line; a count of rows.
  EXPECT_EQ("a,b,c\r\nx,,z\r\nx,,z\r\n1,2,3\r\n4,5,6\r\n", Insert(file, 2, 1, 2, "x,NULL,z"));
  EXPECT_EQ("a,b,c\r\n~raw,line\r\n1,2,3\r\n4,5,6\r\n", Insert(file, 2, 1, 1, "$$~raw,line"));
  // A last row without a row end keeps its place after the new row.
  EXPECT_EQ("a,x\r\n,\r\nb", Insert("a,x\r\nb", 2, 1, 1, ""));
}

TEST(CsvRowInsert, OperandEndsAtNul) {
  // A NUL inside the text would end the table early: the operand is cut there.
  EXPECT_EQ("3\r\nab\r\nab\r\nab\r\n4,5", Insert("3\r\n4,5", 2, 1, 3, std::string("ab\0cd", 5)));
}

TEST(CsvRowInsert, UnknownModeChangesNothing) {
  auto t = MakeTable("a,b\r\n");
  const std::string before = csvtest::Raw(*t);
  csvtest::Recorder rec;
  EXPECT_EQ(-1, csv::CsvRowInsertOrList(7, *t, 1, 1, "", 0, nullptr, &rec));
  ASSERT_EQ(1u, rec.calls.size());
  EXPECT_EQ(2, rec.calls[0].first);
  EXPECT_EQ(before, csvtest::Raw(*t));
}

TEST(CsvRowInsert, VariableListing) {
  auto t = MakeTable("a,b\r\n");
  auto value = [](int n) -> std::string {
    if (n == 12) return "";
    if (n == 13) return "$$raw line";
    return "v" + std::to_string(n);
  };
  csv::CsvRowInsertOrList(4, *t, 0, 14, "", 0, value, nullptr);
  EXPECT_EQ("\t&D11\tv11\r\n\t&D12\tNULL\r\nraw line\r\n\t&D14\tv14\r\n", Text(*t));
  ExpectIndexesAgain(*t);
  // The count from the operand's number, then 99.
  csv::CsvRowInsertOrList(14, *t, 0, 0, "12", 12, value, nullptr);
  EXPECT_EQ("\t&D11\tv11\r\n\t&D12\tNULL\r\n", Text(*t));
}

TEST(CsvRowInsert, LongValueEndsTheListingCleanly) {
  auto t = MakeTable("a\r\n");
  const std::string big(60000, 'x');
  csv::CsvRowInsertOrList(4, *t, 0, 20, "", 0, [&](int) { return big; }, nullptr);
  // One 60,000-byte line fits; the second would pass 100,000 bytes.
  EXPECT_EQ("\t&D11\t" + big + "\r\n", Text(*t));
  EXPECT_LT(t->m_nTextLen + 1, csv::kVariableListingBytes);
}

TEST(CsvRowInsert, FailuresLeaveTheTable) {
  for (int mode : {2, 4}) {
    for (long n = 1;; ++n) {
      auto t = MakeTable("a,b\r\n1,2\r\n");
      const std::string before = csvtest::Raw(*t);
      csvtest::Recorder rec;
      fw::alloctest::Reset();
      fw::alloctest::FailAt(n);
      const int rc = csv::CsvRowInsertOrList(mode, *t, 1, 1, "", 0, [](int) { return std::string("v"); }, &rec);
      const bool reached = fw::alloctest::Count() >= n;
      fw::alloctest::Reset();
      if (!reached) break;
      EXPECT_EQ(-1, rc);
      ASSERT_EQ(1u, rec.calls.size());
      EXPECT_TRUE(rec.calls[0].first >= 142 && rec.calls[0].first <= 144);
      EXPECT_EQ(before, csvtest::Raw(*t));
    }
  }
}

std::string Sections(const std::string& file, const std::string& pattern, int head, int keep, std::uint32_t* fields = nullptr) {
  auto t = MakeTable(file);
  EXPECT_EQ(0, csv::CsvOpRebuild(*t, pattern, head, keep, nullptr));
  if (fields) *fields = t->m_nFieldCount;
  return Text(*t);
}

TEST(CsvSections, SideBySide) {
  // Head row 1, sections starting at lines beginning "S", one short.
  std::uint32_t fields = 0;
  EXPECT_EQ("h,x\r\nS1,,S2,\r\na,1,b,2\r\nc,3,,\r\n",
            Sections("h,x\r\nS1,\r\na,1\r\nc,3\r\nS2,\r\nb,2\r\n", "S", 1, 0, &fields));
  EXPECT_EQ(4u, fields);
  // A short label line ends the data: the sections after it are not laid out.
  EXPECT_EQ("h,x\r\nS1,,S2,\r\na,1,,\r\nc,3,,\r\nb,2\r\n",
            Sections("h,x\r\nS1\r\na,1\r\nc,3\r\nS2\r\nb,2\r\n", "S", 1, 0));
  // keepColumns 1: the later sections leave out their first cell.
  EXPECT_EQ("h,x\r\nS1,,S2\r\nk,1,2\r\nk,3,\r\n",
            Sections("h,x\r\nS1,\r\nk,1\r\nk,3\r\nS2,\r\nk,2\r\n", "S", 1, 1, &fields));
  EXPECT_EQ(3u, fields);
  // "\%" is a literal percent; '%' alone matches any byte.
  EXPECT_EQ("a,b,%c,d\r\n", Sections("a,b\r\n%c,d\r\n", "\\%", 0, 0));
  EXPECT_EQ("a,b,c,d\r\n", Sections("a,b\r\nc,d\r\n", "%", 0, 0));
}

TEST(CsvSections, FailuresLeaveTheTable) {
  for (long n = 1;; ++n) {
    auto t = MakeTable("h,x\r\nS1\r\na,1\r\nS2\r\nb,2\r\n");
    const std::string before = csvtest::Raw(*t);
    csvtest::Recorder rec;
    fw::alloctest::Reset();
    fw::alloctest::FailAt(n);
    const int rc = csv::CsvOpRebuild(*t, "S", 1, 0, &rec);
    const bool reached = fw::alloctest::Count() >= n;
    fw::alloctest::Reset();
    if (!reached) break;
    EXPECT_TRUE(rc == 136 || rc == 137) << rc;
    EXPECT_EQ(before, csvtest::Raw(*t));
  }
}

std::string Select(const std::string& file, const std::string& operand, int keep, int column,
                   std::uint32_t* fields = nullptr) {
  auto t = MakeTable(file);
  EXPECT_EQ(0, csv::CsvOpSelectColumns(*t, operand, keep, column, nullptr));
  if (fields) *fields = t->m_nFieldCount;
  return Text(*t);
}

TEST(CsvSelect, ListsStepsAndFill) {
  const std::string file = "k,a,b,c,d\r\n1,2,3,4,5\r\n6,7,8,9,10\r\n";
  std::uint32_t fields = 0;
  // The title row kept; column 1, then 4 and 2.
  EXPECT_EQ("k,a,b,c,d\r\n1,4,2\r\n6,9,7\r\n", Select(file, "4,0,2", 1, 1, &fields));
  EXPECT_EQ(3u, fields);
  // '#' 2: every second column after column 1.
  EXPECT_EQ("k,a,c\r\n1,2,4\r\n6,7,9\r\n", Select(file, "#2", 0, 1));
  // The left part fills a column a row lacks.
  EXPECT_EQ("k,a,b,c,d\r\n1,-\r\n6,-\r\n", Select(file, "-:7", 1, 1));
}

TEST(CsvSelect, FailuresLeaveTheTable) {
  for (long n = 1;; ++n) {
    auto t = MakeTable("k,a,b\r\n1,2,3\r\n");
    const std::string before = csvtest::Raw(*t);
    csvtest::Recorder rec;
    fw::alloctest::Reset();
    fw::alloctest::FailAt(n);
    const int rc = csv::CsvOpSelectColumns(*t, "3,2", 1, 1, &rec);
    const bool reached = fw::alloctest::Count() >= n;
    fw::alloctest::Reset();
    if (!reached) break;
    EXPECT_TRUE(rc == 134 || rc == 135) << rc;
    EXPECT_EQ(before, csvtest::Raw(*t));
  }
}

std::string Regroup(const std::string& file, const std::string& operand, int k, int g, std::uint32_t* fields = nullptr) {
  auto t = MakeTable(file);
  EXPECT_EQ(0, csv::CsvOpRowsByPattern(*t, operand, k, g, 0, nullptr));
  if (fields) *fields = t->m_nFieldCount;
  return Text(*t);
}

TEST(CsvRegroup, GroupsJoinedByThePattern) {
  const std::string file = "id,y,m,d,y2,m2,d2\r\n1,2026,12,07,2027,01,02\r\n";
  std::uint32_t fields = 0;
  EXPECT_EQ("id,y,y2\r\n1,2026-12/07,2027-01/02\r\n", Regroup(file, "-|/", 1, 3, &fields));
  EXPECT_EQ(3u, fields);  // (7 - 1) / 3 + 1
  // The left part names the new columns.
  EXPECT_EQ("id,date y,date y2\r\n1,20261207,20270102\r\n", Regroup(file, "date **:", 1, 3));
  // A short last group joins what it has.
  EXPECT_EQ("id,y,m2\r\n1,202612,07\r\n", Regroup("id,y,m,m2\r\n1,2026,12,07\r\n", "", 1, 2, &fields));
  EXPECT_EQ(3u, fields);
}

TEST(CsvRegroup, FailuresLeaveTheTable) {
  for (long n = 1;; ++n) {
    auto t = MakeTable("k,a,b\r\n1,2,3\r\n");
    const std::string before = csvtest::Raw(*t);
    csvtest::Recorder rec;
    fw::alloctest::Reset();
    fw::alloctest::FailAt(n);
    const int rc = csv::CsvOpRowsByPattern(*t, "-", 1, 2, 0, &rec);
    const bool reached = fw::alloctest::Count() >= n;
    fw::alloctest::Reset();
    if (!reached) break;
    EXPECT_TRUE(rc == 167 || rc == 168) << rc;
    EXPECT_EQ(before, csvtest::Raw(*t));
  }
}

}  // namespace
