// Where the cell separators of a ruled line stand.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "table/table_cells.h"

namespace {

const std::uint8_t* U(const std::string& s) { return reinterpret_cast<const std::uint8_t*>(s.data()); }

int Count(const std::string& s, int dottedFrom) {
  return static_cast<int>(table::CellSeparators(U(s), s.size(), s.size(), dottedFrom).size());
}

TEST(TableCells, TabsSeparateAndTheRuleGlyphAfterATabIsNoSeparator) {
  EXPECT_EQ(3, Count(" \t_a\t_b\tc", 0));
  // "__ " right after a TAB is its rule glyph, read as a blank.
  EXPECT_EQ(1, Count("\t__ x", 1));
  EXPECT_EQ(2, table::CellIndexAt(U("a\tb\tcd"), 6, 5, 0, false));
  // A double-byte character whose second byte is '_' or '.' is a character.
  EXPECT_EQ(0, Count("\x83\x5f\x83\x5f ", 1));
}

TEST(TableCells, DottedSeparatorsCountOnlyFromTheirColumnOn) {
  std::string wide;
  for (int i = 0; i < 20; ++i) wide += "\tx";
  wide += "__ y .. z";  // the 21st separator and one more
  EXPECT_EQ(20, Count(wide, 0));
  EXPECT_EQ(22, Count(wide, table::kDottedFromCaret));
  EXPECT_EQ(20, Count(wide, table::kDottedFromSelector));
  // A trailing "__ " before the caret is the rule of the cell just entered.
  const std::string line = "a\tb__ ";
  EXPECT_EQ(2, table::CellIndexAt(U(line), line.size(), line.size(), 2, false));
  EXPECT_EQ(1, table::CellIndexAt(U(line), line.size(), line.size(), 2, true));
}

TEST(TableCells, TheCaretOffsetOfACell) {
  const std::string line = "a\tbb\tc";
  EXPECT_EQ(0, table::CaretOffsetOfCell(U(line), line.size(), 0, 0));
  EXPECT_EQ(2, table::CaretOffsetOfCell(U(line), line.size(), 1, 0));
  EXPECT_EQ(5, table::CaretOffsetOfCell(U(line), line.size(), 2, 0));
  EXPECT_EQ(-1, table::CaretOffsetOfCell(U(line), line.size(), 3, 0));
  // A line longer than the operations read is cut, not overrun.
  const std::string longLine(table::kCellLineBytes + 50, '\t');
  EXPECT_EQ(static_cast<int>(table::kCellLineBytes), Count(longLine, 0));
}

}  // namespace

namespace {

TEST(RewriteBlock, FromTheShortLineAboveToTheFirstLineWithoutATab) {
  // Lines: a title (0 TABs), four rows of 5, a row of 0 (the end), more text.
  const std::vector<int> tabs = {0, 5, 5, 5, 5, 0, 7};
  auto of = [&](int l) { return tabs[static_cast<std::size_t>(l)]; };
  const table::RewriteBlock b = table::FindRewriteBlock(2, 7, of);
  EXPECT_EQ(0, b.first);
  EXPECT_EQ(5, b.last);
  EXPECT_EQ(20, b.tabs);
  // A caret on a line of fewer than 3 TABs starts the block there.
  const std::vector<int> t2 = {9, 9, 2, 9, 9};
  auto of2 = [&](int l) { return t2[static_cast<std::size_t>(l)]; };
  EXPECT_EQ(2, table::FindRewriteBlock(2, 5, of2).first);
  EXPECT_EQ(4, table::FindRewriteBlock(2, 5, of2).last);
}

TEST(RewriteBlock, AShortRowIsRememberedUntilAWideOneFollows) {
  const std::vector<int> tabs = {12, 12, 3, 12, 3, 3, 0};
  auto of = [&](int l) { return tabs[static_cast<std::size_t>(l)]; };
  EXPECT_EQ(4, table::FindRewriteBlock(0, 7, of).shortLine);  // line 2 was forgotten at line 3
  const std::vector<int> t2 = {12, 12, 3, 3};
  auto of2 = [&](int l) { return t2[static_cast<std::size_t>(l)]; };
  EXPECT_EQ(2, table::FindRewriteBlock(0, 4, of2).shortLine);
}

}  // namespace
