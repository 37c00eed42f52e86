// Column widths of the fixed-width display: the edge cases, the bounds of
// the position table, and allocation failure.
#include "csv/csv_widths.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "csv/csv_table.h"
#include "fw/alloc.h"

namespace {

struct Widths {
  std::unique_ptr<csv::Table> table = std::make_unique<csv::Table>();
  std::vector<std::uint32_t> pos = std::vector<std::uint32_t>(csv::kColumnPositionSlots, 0);

  explicit Widths(const std::string& file) { EXPECT_TRUE(table->LoadFileText(file.data(), file.size(), 16)); }
  void Run(int c1, int c2, int r1, int r2, int mode, std::uint32_t title = 1) {
    EXPECT_EQ(0, csv::ComputeColumnWidths(*table, title, pos.data(), static_cast<int>(pos.size()), c1, c2, r1, r2,
                                          mode));
  }
  std::uint32_t W(int col) const { return csv::ColumnWidthAt(pos.data(), static_cast<int>(pos.size()), col); }
};

TEST(CsvWidths, QuotedEmptyColumnGetsWidthZeroAndTheNextStartsTwoOn) {
  Widths w("id,empty,name\r\n1,\"\",Tokyo\r\n22,\"\",\"Osaka\"\r\n");
  w.Run(1, 3, 1, 1, 0);
  EXPECT_EQ(3u, w.pos[0]);
  EXPECT_EQ(0u, w.pos[1]);
  EXPECT_EQ(2u, w.W(1));
  EXPECT_EQ(0u, w.W(2));
  EXPECT_EQ(w.pos[2] + 2, w.pos[3]);
  EXPECT_EQ(5u, w.W(3));  // the quotes of "Osaka" do not count; the title row is not measured
}

TEST(CsvWidths, ColumnsOutsideTheRangeKeepTheirSpacing) {
  Widths w("a,b,c,d\r\nxxxxxx,yy,zzz,w\r\n1,2,3,4\r\n");
  w.Run(1, 4, 1, 1, 0);
  ASSERT_EQ(6u, w.W(1));
  // Columns 1, 3 and 4 are made wider by hand; only column 2 is measured.
  w.pos[2] += 5;
  w.pos[3] += 5;
  w.pos[4] += 7;
  w.pos[5] += 8;
  const std::uint32_t w1 = w.W(1), w3 = w.W(3), w4 = w.W(4);
  w.Run(2, 2, 1, 1, 0);
  EXPECT_EQ(w1, w.W(1));
  EXPECT_EQ(2u, w.W(2));
  EXPECT_EQ(w3, w.W(3));
  EXPECT_EQ(w4, w.W(4));
  // firstCol -1 means lastCol.
  w.Run(-1, 1, 1, 1, 0);
  EXPECT_EQ(6u, w.W(1));
  EXPECT_EQ(w3, w.W(3));
}

TEST(CsvWidths, CommentLinesNeverCountAndEndTheMeasuring) {
  Widths w("t1,t2\r\nab,c\r\n~very long comment line\r\nabcdefgh,x\r\n");
  w.Run(1, 2, 1, 1, 0);
  EXPECT_EQ(2u, w.W(1));  // neither the comment nor the row after it
  EXPECT_EQ(1u, w.W(2));
}

TEST(CsvWidths, ModesTrimBlanksAndMeasureTheTitleRow) {
  Widths w("a long title,t\r\n  ab  ,\" c \"\r\n");
  w.Run(1, 2, 1, 1, 0);
  EXPECT_EQ(6u, w.W(1));
  EXPECT_EQ(3u, w.W(2));
  w.Run(1, 2, 1, 1, 1);
  EXPECT_EQ(2u, w.W(1));
  EXPECT_EQ(1u, w.W(2));
  w.Run(1, 2, 1, 1, 2);
  EXPECT_EQ(12u, w.W(1));
}

TEST(CsvWidths, RowRangeAndBlocks) {
  // Block 2's title row ("x,y") is not measured; its data rows are.
  Widths w("h1,h2\r\na,b\r\naaaa,bb\r\n!#\r\nlong title x,long title y\r\nccc,d\r\n");
  w.Run(1, 2, 2, 2, 0);  // equal rows: every row
  EXPECT_EQ(4u, w.W(1));
  EXPECT_EQ(2u, w.W(2));
  w.Run(1, 2, 1, 2, 0);  // lines 1-2: the title and "a,b"
  EXPECT_EQ(1u, w.W(1));
  w.Run(1, 2, 5, 6, 0);
  EXPECT_EQ(3u, w.W(1));
  EXPECT_EQ(1u, w.W(2));
}

TEST(CsvWidths, ARangePastTheTableMeasuresNothingBeyondIt) {
  std::string row;
  for (int c = 0; c < 9100; ++c) row += (c ? "," : "") + std::string(c % 7 + 1, 'x');
  Widths w(row + "\r\n" + row + "\r\n");
  ASSERT_GT(w.table->m_nFieldCount, 9000u);
  // The table is exactly its slots long on the heap: a write past it fails
  // under AddressSanitizer.
  w.Run(8000, 9999, 1, 1, 0);
  EXPECT_EQ(static_cast<std::uint32_t>(csv::kMaxPositionColumns), w.pos[0]);
  EXPECT_EQ(static_cast<std::uint32_t>(8997 % 7 + 1), w.W(8998));
  EXPECT_EQ(0u, w.W(8999));
  EXPECT_EQ(0u, w.W(1));  // never measured, the table had no width for it
}

TEST(CsvWidths, FewerThanTwoColumnsOrNoMemoryLeaveTheTable) {
  Widths one("only\r\nabc\r\n");
  one.pos[1] = 77;
  one.Run(1, 1, 1, 1, 0);
  EXPECT_EQ(0u, one.pos[0]);
  EXPECT_EQ(77u, one.pos[1]);

  Widths w("a,b\r\nabc,d\r\n");
  fw::alloctest::Reset();
  fw::alloctest::FailAt(1);
  w.Run(1, 2, 1, 1, 0);
  EXPECT_EQ(1, fw::alloctest::Failed());
  fw::alloctest::Reset();
  EXPECT_EQ(0u, w.pos[0]);
  w.Run(1, 2, 1, 1, 0);
  EXPECT_EQ(3u, w.W(1));
}

}  // namespace
