// Padding short rows, column order by title, half-width katakana (against
// Python's cp932 codec and unicodedata) and the blank-aligned text.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "csv/csv_fixedwidth.h"
#include "csv/csv_katakana.h"
#include "csv/csv_pad.h"
#include "csv/csv_titleorder.h"
#include "csv/csv_widths.h"
#include "csv_test_util.h"
#include "fw/alloc.h"

namespace {

using csvtest::ExpectIndexesAgain;
using csvtest::MakeTable;
using csvtest::Text;

std::string Pad(const std::string& file, const std::string& fill, int mode) {
  auto t = MakeTable(file);
  EXPECT_EQ(0, csv::CsvPadShortRows(*t, fill, mode, 0, nullptr));
  ExpectIndexesAgain(*t);
  return Text(*t);
}

TEST(CsvPad, MenuFormAndEqualRows) {
  EXPECT_EQ("a,b,c,d\r\n1,2,3,4\r\n", Pad("a,b,c,d\r\n1,2,3,4\r\n", "\"\"", 0));
  EXPECT_EQ("a,b,c,d\r\n1,2,,\r\n5,6,7,8\r\n", Pad("a,b,c,d\r\n1,2\r\n5,6,7,8\r\n", "\"\"", 0));
  // No cells on the empty line after a final line break; a leading "~" line stays.
  EXPECT_EQ("~c\r\na,b,c\r\n1,,\r\n", Pad("~c\r\na,b,c\r\n1\r\n", "\"\"", 0));
}

TEST(CsvPad, ModesAndFills) {
  EXPECT_EQ("a,b,c,d,A5,A6\r\n1,2,3,4,x,x\r\n", Pad("a,b,c,d\r\n1,2,3,4\r\n", "\"x\"", 6));
  EXPECT_EQ("a,b,c,d,A5,A6\r\n1,2,3,4,,\r\n", Pad("a,b,c,d\r\n1,2,3,4\r\n", "NULL", 6));
  // 9998 finds the widest row; title cells stay empty. 9999 names them.
  EXPECT_EQ("a,b,,\r\n1,2,3,4\r\n5,,,\r\n", Pad("a,b\r\n1,2,3,4\r\n5\r\n", "", 9998));
  EXPECT_EQ("a,b,A3,A4\r\n1,2,3,4\r\n5,,,\r\n", Pad("a,b\r\n1,2,3,4\r\n5\r\n", "", 9999));
  // An empty title cell gets its name under the naming modes.
  EXPECT_EQ("a,A2,c\r\n1,2,3\r\n", Pad("a,,c\r\n1,2,3\r\n", "", 3));
}

TEST(CsvPad, EachBlockToItsOwnWidth) {
  EXPECT_EQ("a,b,c\r\n1,,\r\n!#\r\nx,y\r\n2,\r\n",
            Pad("a,b,c\r\n1\r\n!#\r\nx,y\r\n2\r\n", "", -1));
}

TEST(CsvPad, QuotedTabStaysInItsCell) {
  // A TAB outside quotes is a cell boundary (written as 0x06); inside, text.
  EXPECT_EQ("a,b,c\r\n\"x\ty\",,\r\n1,2,\r\n", Pad("a,b,c\r\n\"x\ty\"\r\n1\t2\r\n", "", 0));
}

TEST(CsvPad, ManyOneCellRowsComeOutComplete) {
  std::string file = "a,b,c,d,e,f,g,h,i\r\n";
  for (int i = 0; i < 100000; ++i) file += "v\r\n";
  auto t = MakeTable(file);
  ASSERT_EQ(0, csv::CsvPadShortRows(*t, "\"\"", 0, 0, nullptr));
  EXPECT_EQ(100000, t->m_nLastRow);
  EXPECT_EQ(file.size() + 100000u * 8, t->m_nTextLen);
  EXPECT_EQ(std::string("v\x06\x06\x06\x06\x06\x06\x06\x06\r\n"), csvtest::Raw(*t).substr(t->m_nTextLen - 11));
}

TEST(CsvPad, FailuresLeaveTheTable) {
  const std::string file = "a,b,c\r\n1\r\n";
  for (long n = 1;; ++n) {
    auto t = MakeTable(file);
    const std::string before = csvtest::Raw(*t);
    csvtest::Recorder rec;
    fw::alloctest::Reset();
    fw::alloctest::FailAt(n);
    const int rc = csv::CsvPadShortRows(*t, "", 0, 0, &rec);
    const bool reached = fw::alloctest::Count() >= n;
    fw::alloctest::Reset();
    if (!reached) break;
    EXPECT_TRUE(rc == 101 || rc == 102) << rc;
    ASSERT_EQ(1u, rec.calls.size());
    EXPECT_EQ(rc, rec.calls[0].first);
    EXPECT_EQ(before, csvtest::Raw(*t));
  }
}

std::string ByTitle(const std::string& file, const std::string& text) {
  auto t = MakeTable(file);
  int mode = 0, fixed = 0;
  EXPECT_TRUE(csv::TitleOrderArguments(text, &mode, &fixed));
  return csv::CsvOrderColumnsByTitle(*t, text, mode, fixed);
}

TEST(CsvTitleOrder, SortAndSearch) {
  EXPECT_EQ("2,1,3", ByTitle("b,a,c\r\n", "sortup"));
  EXPECT_EQ("3,1,2", ByTitle("b,a,c\r\n", "sortdn"));
  EXPECT_EQ("1,2,5,4,3", ByTitle("z,y,a,b,c\r\n", "sortdn2"));
  EXPECT_EQ("2,4", ByTitle("x,abc1,y,\"abc2\"\r\n", "sel:abc"));
  EXPECT_EQ("1,2,4", ByTitle("x,y,z,\"abc2\"\r\n", "sel2:abc"));
  // Equal titles keep their column order both ways.
  EXPECT_EQ("2,1,3", ByTitle("b,a,b\r\n", "sortup"));
  EXPECT_EQ("1,3,2", ByTitle("b,a,b\r\n", "sortdn"));
  // "selx": the fixed count from 'x' (72) is cut to the titles there are.
  EXPECT_EQ("1,2,3", ByTitle("p,q,r\r\n", "selx:zz"));
  auto empty = MakeTable("");
  EXPECT_EQ("Eror", csv::CsvOrderColumnsByTitle(*empty, "sortup", 0, 0));
}

TEST(CsvKatakana, EdgesAndVu) {
  EXPECT_EQ(0xDEB6, csv::KatakanaToHalfWidth(0x4B));  // ガ
  EXPECT_EQ(0xDFCA, csv::KatakanaToHalfWidth(0x70));  // パ
  EXPECT_EQ(0xDEB3, csv::KatakanaToHalfWidth(0x94));  // ヴ as ｳﾞ
  EXPECT_EQ(-1, csv::KatakanaToHalfWidth(0x3F));
  EXPECT_EQ(-1, csv::KatakanaToHalfWidth(0x97));
}

std::string Fixed(const std::string& file) {
  auto t = MakeTable(file);
  std::vector<std::uint32_t> pos(csv::kColumnPositionSlots, 0);
  EXPECT_EQ(0, csv::CsvToFixedWidthText(*t, pos.data(), static_cast<int>(pos.size()), 1, nullptr));
  return csvtest::Raw(*t);
}

TEST(CsvFixedWidth, ColumnsLineUp) {
  // Only data rows are measured (widths 1 and 3); quotes become blanks.
  EXPECT_EQ("ab x    z\r\n c yyy  w\r\n", Fixed("ab,x,z\r\n\"c\",yyy,w\r\n"));
}

TEST(CsvFixedWidth, WideFieldPushesTheNextOne) {
  auto t = MakeTable("t,u,v\r\n1,22222,3\r\n123,2,3\r\n");
  // Positions measured from the first two rows only: the third row's field is wider.
  std::vector<std::uint32_t> pos(csv::kColumnPositionSlots, 0);
  csv::ComputeColumnWidths(*t, 1, pos.data(), static_cast<int>(pos.size()), 1, -1, 1, 2, csv::kWidthFromTitle);
  ASSERT_EQ(0, csv::CsvToFixedWidthText(*t, pos.data(), static_cast<int>(pos.size()), 1, nullptr));
  // "123" overruns column 1 by two: "2" moves right and the blanks after it
  // shrink by as much (one blank at least stays between fields).
  EXPECT_EQ("t  u      v\r\n1  22222  3\r\n123 2     3\r\n", csvtest::Raw(*t));
}

TEST(CsvFixedWidth, WideCellOverManyShortRowsIsComplete) {
  // More than 8 times the table's length: every row is padded past the wide cell.
  std::string file = "a,b\r\n" + std::string(5000, 'w') + ",b\r\n";
  for (int i = 0; i < 200; ++i) file += "x,y\r\n";
  const std::string out = Fixed(file);
  EXPECT_GT(out.size(), 8 * file.size());
  EXPECT_EQ(202u * 5005u, out.size());
  EXPECT_EQ(std::string("x") + std::string(5001, ' ') + "y\r\n", out.substr(out.size() - 5005));
}

TEST(CsvFixedWidth, FailuresLeaveTheTable) {
  for (long n = 1;; ++n) {
    auto t = MakeTable("t,u\r\n1,2\r\n");
    std::vector<std::uint32_t> pos(csv::kColumnPositionSlots, 0);
    csv::ComputeColumnWidths(*t, 1, pos.data(), static_cast<int>(pos.size()), 1, -1, 1, 1, csv::kWidthTrimBlanks);
    const std::string before = csvtest::Raw(*t);
    csvtest::Recorder rec;
    fw::alloctest::Reset();
    fw::alloctest::FailAt(n);
    const int rc = csv::CsvToFixedWidthText(*t, pos.data(), static_cast<int>(pos.size()), 1, &rec);
    const bool reached = fw::alloctest::Count() >= n;
    fw::alloctest::Reset();
    if (!reached) break;
    EXPECT_TRUE(rc == 164 || rc == 165) << rc;
    ASSERT_EQ(1u, rec.calls.size());
    EXPECT_EQ(before, csvtest::Raw(*t));
  }
}

}  // namespace
