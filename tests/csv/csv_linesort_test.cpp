// The row sort on tables built in code: key order (numbers, text, bracket
// skip, ties), the rows that stay, the check list, capacity and memory. Cells
// hold Shift-JIS characters with ASCII second bytes (ソ 83 5C, 表 95 5C,
// タ 83 5E). Every result indexes again.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "csv/csv_checklist.h"
#include "csv/csv_linesort.h"
#include "csv/csv_test_util.h"
#include "fw/alloc.h"

namespace {

using csvtest::ExpectIndexesAgain;
using csvtest::MakeTable;
using csvtest::Text;

const std::string kSo = "\x83\x5C", kHyo = "\x95\x5C", kTa = "\x83\x5E";

csv::LineSortRequest Req(int key, bool numeric, int block = 0, int firstRow = 0, bool bracket = false) {
  csv::LineSortRequest r;
  r.key = key;
  r.numeric = numeric;
  r.block = block;
  r.firstRow = firstRow;
  r.skipBracket = bracket;
  return r;
}

// The table text after the sort, with ',' for the separator.
std::string Sorted(const std::string& file, const csv::LineSortRequest& r, csv::CheckList* checks = nullptr) {
  auto t = MakeTable(file);
  const std::int64_t len = csv::SortLines(*t, r, checks);
  EXPECT_EQ(static_cast<std::int64_t>(t->m_nTextLen), len == 0 ? t->m_nTextLen : len);
  ExpectIndexesAgain(*t);
  return Text(*t);
}

// A table of one key column under a title, rows "v<i>,<cell>".
std::string Column(const std::vector<std::string>& cells) {
  std::string s = "id,key\r\n";
  for (std::size_t i = 0; i < cells.size(); ++i) s += "r" + std::to_string(i) + "," + cells[i] + "\r\n";
  return s;
}

// The first cells of the data rows after sorting `cells` by column 2.
std::string Order(const std::vector<std::string>& cells, int key, bool numeric, bool bracket = false) {
  const std::string out = Sorted(Column(cells), Req(key, numeric, 0, 0, bracket));
  std::string ids;
  std::size_t at = out.find("\r\n") + 2;
  while (at < out.size()) {
    const std::size_t comma = out.find(',', at);
    ids += out.substr(at + 1, comma - at - 1) + " ";
    at = out.find("\r\n", at) + 2;
  }
  return ids;
}

TEST(CsvLineSort, NumbersInNumericOrder) {
  EXPECT_EQ("1 0 2 ", Order({"10", "9", "100"}, 2, true));
  EXPECT_EQ("2 0 1 ", Order({"10", "9", "100"}, -2, true));
  // The empty cell first; -5.25 below -5; negatives below positives.
  EXPECT_EQ("3 2 1 5 4 0 ", Order({"3", "-5", "-5.25", "", "0.5", "-0.5"}, 2, true));
  // Integers past 32 bits and up to 18 digits keep their order; a 25-digit
  // run is held at the largest key (no wrap).
  EXPECT_EQ("2 1 0 4 3 5 ",
            Order({"3000000000", "2147483648", "5", "123456789012345678", "123456789012345677",
                   "9999999999999999999999999"},
                  2, true));
  // As the cells read: "1,000" (quoted), "\500", " 12 ", a quoted "12", "２".
  EXPECT_EQ("4 2 3 1 0 ", Order({"\"1,000\"", "\\500", " 12 ", "\"12\"", "\x82\x51"}, 2, true));
  // The bracket skip before a number: "(a)" would end the number at 'a'.
  EXPECT_EQ("1 0 ", Order({"(a)30", "(b) 4"}, 2, true, true));
  EXPECT_EQ("0 1 ", Order({"(a)30", "(b) 4"}, 2, true, false));
  // Decimals up to 8 places; the ninth is not part of the key (a tie).
  EXPECT_EQ("1 0 2 3 ", Order({"1.00000002", "1.00000001", "1.000000021", "1.1"}, 2, true));
}

TEST(CsvLineSort, TextKeysInByteOrder) {
  EXPECT_EQ("0 2 1 ", Order({"ab", "abc", "ab!"}, 2, false));
  // One leading double quote is not part of the key.
  EXPECT_EQ("1 0 2 ", Order({"\"b\"", "a", "c"}, 2, false));
  // Shift-JIS by bytes: ソ (83 5C) < タ (83 5E) < 表 (95 5C).
  EXPECT_EQ("1 2 0 ", Order({kHyo, kSo, kTa}, 2, false));
  EXPECT_EQ("0 2 1 ", Order({kHyo, kSo, kTa}, -2, false));
  // The bracket skip drops "(注)" and "（注）　" and sorts by what follows.
  const std::string note = "\x92\x8D";
  const std::vector<std::string> bracketed = {"(" + note + ")c", "\x81\x69" + note + "\x81\x6A\x81\x40" "a", "b"};
  EXPECT_EQ("1 2 0 ", Order(bracketed, 2, false, true));
  EXPECT_EQ("0 2 1 ", Order(bracketed, 2, false, false));
}

TEST(CsvLineSort, TiesKeepTheirOrderAscendingAndComeReversedDescending) {
  EXPECT_EQ("0 2 1 3 ", Order({"a", "b", "a", "b"}, 2, false));
  EXPECT_EQ("3 1 2 0 ", Order({"a", "b", "a", "b"}, -2, false));
  EXPECT_EQ("0 2 1 ", Order({"7", "8", "7.0"}, 2, true));
  EXPECT_EQ("1 2 0 ", Order({"7", "8", "7.0"}, -2, true));
  // Keys that agree in their first 130 bytes tie (122 bytes are compared).
  const std::string x(130, 'x');
  EXPECT_EQ("0 1 2 ", Order({x + "b", x + "a", x + "c"}, 2, false));
  EXPECT_EQ("2 1 0 ", Order({x + "b", x + "a", x + "c"}, -2, false));
  // Keys longer than 8 bytes that differ past the eighth byte.
  EXPECT_EQ("1 0 ", Order({"abcdefghij", "abcdefghi"}, 2, false));
}

// Six data rows, a totals line after the data end, a comment, a second
// block with its own title.
const std::string kTwoBlocks =
    "name,val,x\r\nf,6,x\r\ne,5,x\r\nd,4,x\r\nc,3,x\r\nb,2,x\r\na,1,x\r\nTotal*,21\r\n~comment\r\n"
    "!#\r\nname,val,x\r\nz,4,x\r\ny,3,x\r\n";

TEST(CsvLineSort, RowsOutsideTheDataStay) {
  EXPECT_EQ(
      "name,val,x\r\na,1,x\r\nb,2,x\r\nc,3,x\r\nd,4,x\r\ne,5,x\r\nf,6,x\r\nTotal*,21\r\n~comment\r\n"
      "!#\r\nname,val,x\r\nz,4,x\r\ny,3,x\r\n",
      Sorted(kTwoBlocks, Req(2, true, 1)));
  // Block 2 alone.
  EXPECT_EQ(
      "name,val,x\r\nf,6,x\r\ne,5,x\r\nd,4,x\r\nc,3,x\r\nb,2,x\r\na,1,x\r\nTotal*,21\r\n~comment\r\n"
      "!#\r\nname,val,x\r\ny,3,x\r\nz,4,x\r\n",
      Sorted(kTwoBlocks, Req(1, false, 2)));
  // firstRow 2 leaves the first two data rows where they are.
  EXPECT_EQ(
      "name,val,x\r\nf,6,x\r\ne,5,x\r\na,1,x\r\nb,2,x\r\nc,3,x\r\nd,4,x\r\nTotal*,21\r\n~comment\r\n"
      "!#\r\nname,val,x\r\nz,4,x\r\ny,3,x\r\n",
      Sorted(kTwoBlocks, Req(2, true, 0, 2)));
  // A block that does not exist changes nothing.
  auto t = MakeTable(kTwoBlocks);
  EXPECT_EQ(0, csv::SortLines(*t, Req(2, true, 3), nullptr));
  EXPECT_EQ(kTwoBlocks, Text(*t));
}

TEST(CsvLineSort, NegativeBlockStopsAtMarkLines) {
  const std::string head = "c,3\r\nb,2\r\na,1\r\n";
  for (const char* stop : {"!#\r\nz,0\r\n", "~note\r\nz,0\r\n", "XX\r\nz,0\r\n", "!$\r\nz,0\r\n", "X\r\nz,0\r\n"}) {
    const std::string file = "k,v\r\n" + head + stop;
    EXPECT_EQ("k,v\r\na,1\r\nb,2\r\nc,3\r\n" + std::string(stop), Sorted(file, Req(1, false, -1))) << stop;
  }
  // "XL" (a page directive line) is a data row.
  EXPECT_EQ("k,v\r\nXL,9\r\na,1\r\nb,2\r\nc,3\r\n", Sorted("k,v\r\n" + head + "XL,9\r\n", Req(1, false, -1)));
  EXPECT_EQ("k,v\r\nc,3\r\nb,2\r\na,1\r\nXL,9\r\n", Sorted("k,v\r\n" + head + "XL,9\r\n", Req(-1, false, -1)));
  // The title line is m_nCurLine; the rows above it stay.
  auto t = MakeTable("top\r\nk,v\r\n" + head);
  t->m_nCurLine = 2;
  ASSERT_GT(csv::SortLines(*t, Req(1, false, -1), nullptr), 0);
  EXPECT_EQ("top\r\nk,v\r\na,1\r\nb,2\r\nc,3\r\n", Text(*t));
  ExpectIndexesAgain(*t);
}

TEST(CsvLineSort, EveryRowEndsWithCrLfAndMultiLineRecordsMoveWhole) {
  // Lone LF and lone CR row ends, and a last row without one.
  EXPECT_EQ("k,v\r\na,1\r\nb,2\r\nc,3\r\n", Sorted("k,v\r\nc,3\nb,2\ra,1", Req(1, false)));
  // A quoted cell with CR LF and LF inside is one row and keeps its codes.
  const std::string file = "k,v\r\nb,\"x\r\ny\"\r\na,\"p\nq\"\r\nc,z\r\n";
  auto t = MakeTable(file);
  ASSERT_EQ(3, t->m_nLastRow);
  ASSERT_GT(csv::SortLines(*t, Req(1, false), nullptr), 0);
  ExpectIndexesAgain(*t);
  EXPECT_EQ(3, t->m_nLastRow);
  EXPECT_EQ("k,v\r\na,\"p\nq\"\r\nb,\"x\r\ny\"\r\nc,z\r\n", t->FileText(csv::CommaFormKind::kComma));
}

TEST(CsvLineSort, NothingToSort) {
  auto t = MakeTable("title only\r\n");
  EXPECT_EQ(0, csv::SortLines(*t, Req(1, false), nullptr));
  csv::Table empty;
  EXPECT_EQ(0, csv::SortLines(empty, Req(1, false), nullptr));
}

struct List {
  csv::CheckList list;
  explicit List(std::vector<std::uint32_t> rows, std::uint32_t capacity = 16) {
    EXPECT_TRUE(list.Reset(capacity));
    for (std::uint32_t i = 0; i < rows.size(); ++i) list.Set(i + 1, rows[i]);
    list.m_nEntryListPos = static_cast<std::uint32_t>(rows.size()) + 1;
    list.m_nEntryListMode = 1;
  }
  ~List() { list.Release(); }
  std::vector<std::uint32_t> Entries() const {
    std::vector<std::uint32_t> v;
    for (std::uint32_t i = 1; i < list.UsedEnd(); ++i) v.push_back(list.Entry(i));
    return v;
  }
};

TEST(CsvLineSort, CheckedRowsFollowTheirRows) {
  // Rows are 1-based lines: "e" is line 3, "b" line 6.
  {
    List l({3, 6});
    const std::string out = Sorted(kTwoBlocks, Req(1, false, 1), &l.list);
    EXPECT_EQ(std::vector<std::uint32_t>({3, 6}), l.Entries());  // b is line 3 now, e line 6
    EXPECT_EQ(0u, out.find("name,val,x\r\na,1,x\r\nb,2,x\r\nc,3,x\r\nd,4,x\r\ne,5,x\r\nf,6,x\r\n"));
  }
  {
    List l({6, 2});  // b, f
    Sorted(kTwoBlocks, Req(-2, true, 1), &l.list);  // f e d c b a
    EXPECT_EQ(std::vector<std::uint32_t>({2, 6}), l.Entries());
  }
  // The title, the totals line, a second-block row and a row past the end
  // keep their entries; the sorted row in between is renumbered.
  {
    List l({1, 8, 2, 14, 500});
    Sorted(kTwoBlocks, Req(1, false, 1), &l.list);
    EXPECT_EQ(std::vector<std::uint32_t>({1, 8, 7, 14, 500}), l.Entries());
  }
  // A row named twice is named once; the slot left over becomes 0.
  {
    List l({2, 2});
    Sorted(kTwoBlocks, Req(1, false, 1), &l.list);
    EXPECT_EQ(std::vector<std::uint32_t>({7, 0}), l.Entries());
  }
  // A list not in use is not touched.
  {
    List l({2});
    l.list.m_nEntryListMode = 0;
    Sorted(kTwoBlocks, Req(1, false, 1), &l.list);
    EXPECT_EQ(std::vector<std::uint32_t>({2}), l.Entries());
  }
}

TEST(CsvLineSort, ListPositionPastItsCapacityIsReadSafely) {
  List l({2, 3, 4, 5}, 4);  // entries 1-3 lie inside; the position says 5
  ASSERT_EQ(5u, l.list.m_nEntryListPos);
  Sorted(kTwoBlocks, Req(1, false, 1), &l.list);
  EXPECT_EQ(std::vector<std::uint32_t>({5, 6, 7}), l.Entries());
  EXPECT_EQ(5u, l.list.m_nEntryListPos);
}

TEST(CsvLineSort, LastRowWithoutLineEndGrowsAFullBuffer) {
  const std::string file = "k,v\r\nc,3\r\nb,2\r\na,1";
  csv::Table tight;
  ASSERT_TRUE(tight.LoadFileText(file.data(), file.size(), 0));
  ASSERT_EQ(tight.m_nTextLen + 1, tight.m_nWorkSize);  // no room left
  const std::int64_t len = csv::SortLines(tight, Req(1, false), nullptr);
  ASSERT_EQ(static_cast<std::int64_t>(file.size()) + 2, len);
  ExpectIndexesAgain(tight);
  auto roomy = MakeTable(file);
  csv::SortLines(*roomy, Req(1, false), nullptr);
  EXPECT_EQ(Text(*roomy), Text(tight));
  EXPECT_EQ("k,v\r\na,1\r\nb,2\r\nc,3\r\n", Text(tight));
}

TEST(CsvLineSort, MemoryShortLeavesTheTableAsItWas) {
  const std::string file = "k,v\r\nc,3\r\nb,2\r\na,1";
  int failures = 0;
  for (long n = 1;; ++n) {
    csv::Table t;
    ASSERT_TRUE(t.LoadFileText(file.data(), file.size(), 0));
    List l({3, 4});
    const std::string before(reinterpret_cast<const char*>(t.m_pTextBuf), t.m_nWorkSize);
    const csv::TableFields fields = t;
    fw::alloctest::Reset();
    fw::alloctest::FailAt(n);
    const std::int64_t rc = csv::SortLines(t, Req(-2, true), &l.list);
    const bool reached = fw::alloctest::Count() >= n;
    fw::alloctest::Reset();
    if (!reached) {
      EXPECT_GT(rc, 0);
      break;
    }
    ++failures;
    EXPECT_EQ(-1, rc) << n;
    EXPECT_EQ(before, std::string(reinterpret_cast<const char*>(t.m_pTextBuf), t.m_nWorkSize)) << n;
    EXPECT_TRUE(csv::SameBlockIndex(fields, t)) << n;
    EXPECT_EQ(fields.m_pTextBuf, t.m_pTextBuf) << n;
    EXPECT_EQ(fields.m_nWorkSize, t.m_nWorkSize) << n;
    EXPECT_EQ(fields.m_nTextLen, t.m_nTextLen) << n;
    EXPECT_EQ(std::vector<std::uint32_t>({3, 4}), l.Entries()) << n;
  }
  EXPECT_GE(failures, 3);
}

}  // namespace
