// The list grammar: the index list, its capacity, '[' and Shift-JIS trail
// bytes, parentheses, saturation and ranges that run backwards, and the
// row-order list with its repeats.
#include "csv/csv_lists.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "csv/csv_rows.h"

namespace {

std::vector<std::uint32_t> Index(const std::string& spec, std::uint32_t max, std::uint32_t cap = 100) {
  std::vector<std::uint32_t> out(cap + 1, 0xDEAD);
  const int n = csv::CsvParseIndexList(spec, max, cap, out.data());
  EXPECT_EQ(0u, out[static_cast<std::size_t>(n)]);
  out.resize(static_cast<std::size_t>(n));
  return out;
}

using V = std::vector<std::uint32_t>;

TEST(CsvLists, IndexListForms) {
  EXPECT_EQ((V{2, 5, 6, 7}), Index("2,5-7", 10));
  EXPECT_EQ((V{3, 4, 5, 6, 7, 8, 9, 10}), Index("3-", 10));
  EXPECT_EQ((V{4, 1, 2, 3, 5, 6, 7, 8, 9, 10}), Index("4,*", 10));
  EXPECT_EQ((V{8}), Index("(10-2)", 10));
  EXPECT_EQ((V{5}), Index("(2+3)", 10));
  EXPECT_EQ((V{2, 3}), Index("2_3", 10));
  EXPECT_EQ((V{1, 2, 3}), Index("-3", 10));  // a missing start is 1
  // Characters outside the grammar are skipped: a deletion's "#del" is nothing.
  EXPECT_EQ((V{3}), Index("3#del", 10));
  EXPECT_EQ((V{}), Index("", 10));
}

TEST(CsvLists, CapacityCutsListsAndRanges) {
  EXPECT_EQ((V{1, 2, 3}), Index("1-10", 10, 3));
  EXPECT_EQ((V{9, 1, 2}), Index("9,*", 10, 3));
  EXPECT_EQ((V{2, 3, 4}), Index("2,3,4,5,6", 10, 3));
  // A range end past the capacity is cut there, even far past the table.
  EXPECT_EQ((V{4, 5}), Index("4-4000000000", 10, 5));
}

TEST(CsvLists, BracketAddsNoColumnAndTrailBytesAreNoBracket) {
  EXPECT_EQ((V{2, csv::kNoColumn, 3}), Index("2,[title],3", 10));
  // ゼ is 0x83 0x5B: its second byte is no '['; the item reads as 4.
  EXPECT_EQ((V{4}), Index("\x83\x5B" "4", 10));
  // Nor is the second byte of a character a digit or separator of the grammar.
  EXPECT_EQ((V{1, 2}), Index("1,\x83\x5C,2", 10));
  // With a range open, '[' is skipped.
  EXPECT_EQ((V{2, 3, 4}), Index("2-[4", 10));
}

TEST(CsvLists, NumbersSaturateAndOutOfRangeNamesNothing) {
  // A long digit run saturates instead of wrapping.
  EXPECT_EQ((V{csv::kListNumberCap}), Index("99999999999999999999999", 10));
  // "(2-10)" is below 1: it names nothing.
  EXPECT_EQ((V{}), Index("(2-10)", 10));
  EXPECT_EQ((V{}), Index("0", 10));
  // A range whose end lies below its start names nothing, in every reader.
  EXPECT_EQ((V{}), Index("7-3", 10));
  std::vector<csv::OrderEntry> order;
  ASSERT_TRUE(csv::BuildOrderList("7-3", 10, 0, &order));
  EXPECT_TRUE(order.empty());
  csv::ListScanner del("7-3", csv::ListReader::kDelete, 10);
  csv::ListItem item;
  ASSERT_TRUE(del.Next(&item));
  EXPECT_TRUE(item.Empty());
  // Row readers cut a range to the rows there are; a single row past them is nothing.
  ASSERT_TRUE(csv::BuildOrderList("4-99,50", 5, 0, &order));
  ASSERT_EQ(2u, order.size());
  EXPECT_EQ(4u, order[0].row);
  EXPECT_EQ(5u, order[1].row);
}

std::string Order(const std::string& spec, std::uint32_t rows) {
  std::vector<csv::OrderEntry> order;
  EXPECT_TRUE(csv::BuildOrderList(spec, rows, 0, &order));
  std::string s;
  for (const auto& e : order) {
    if (!s.empty()) s += ' ';
    s += std::to_string(e.row);
    if (e.number) s += "#" + std::to_string(e.number);
  }
  return s;
}

TEST(CsvLists, OrderListRepeatsAndGroups) {
  EXPECT_EQ("3 1 2 4 5", Order("3,1,*", 5));
  // A prefix persists to the later items; "x1" ends it.
  EXPECT_EQ("1 1 2 2 3", Order("x2,1-2,x1,3", 5));
  // ':' or 'A' makes the item's whole range one group.
  EXPECT_EQ("1 2 3 1 2 3", Order("x2:1-3", 5));
  EXPECT_EQ("1 2 3 1 2 3", Order("x2A1-3", 5));
  // "/g:" sets the group size.
  EXPECT_EQ("1 2 1 2 3 4 3 4", Order("x2/2:1-4", 5));
  // Numbered copies count from 1 in every item.
  EXPECT_EQ("2#1 2#2 4#1 4#2", Order("n2,2,4", 5));
  // A bare prefix at the end takes the rows not listed yet.
  EXPECT_EQ("1 1 2 2 3 3", Order("x2", 3));
  EXPECT_EQ("2 1#1 1#2 3#1 3#2", Order("2,n2", 3));
  // '[' skips to ']' and cancels an open range unless the flag is 1.
  EXPECT_EQ("4", Order("2-[x]4", 5));
  std::vector<csv::OrderEntry> kept;
  ASSERT_TRUE(csv::BuildOrderList("2-[x]4", 5, 1, &kept));
  EXPECT_EQ(3u, kept.size());
  // Explicit items stop at the order list's size.
  std::vector<csv::OrderEntry> order;
  ASSERT_TRUE(csv::BuildOrderList("x9000,1-5", 5, 0, &order));
  EXPECT_EQ(csv::kOrderListMax, order.size());
}

}  // namespace
