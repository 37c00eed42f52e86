// The blank table of a new ruled table in the CSV working buffer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "csv/csv_table.h"
#include "table/table_blank.h"

namespace {

// The index fields a scan sets.
void ExpectSameIndex(const csv::Table& a, const csv::Table& b) {
  EXPECT_EQ(a.m_nLastRow, b.m_nLastRow);
  EXPECT_EQ(a.m_nFieldCount, b.m_nFieldCount);
  EXPECT_EQ(a.m_nScanNotes, b.m_nScanNotes);
  const std::size_t n = sizeof a.m_aSecRow;
  EXPECT_EQ(std::memcmp(a.m_aSecOffset, b.m_aSecOffset, n), 0);
  EXPECT_EQ(std::memcmp(a.m_aSecLine, b.m_aSecLine, n), 0);
  EXPECT_EQ(std::memcmp(a.m_aSecRow, b.m_aSecRow, n), 0);
  EXPECT_EQ(std::memcmp(a.m_aSecScanPos, b.m_aSecScanPos, n), 0);
  EXPECT_EQ(std::memcmp(a.m_aSecInfoA, b.m_aSecInfoA, n), 0);
  EXPECT_EQ(std::memcmp(a.m_aSecInfoB, b.m_aSecInfoB, n), 0);
  EXPECT_EQ(std::memcmp(a.m_aSecFields, b.m_aSecFields, n), 0);
}

}  // namespace

TEST(TableBlank, SixRowsOfSixCells) {
  const std::string t = table::BlankTableText();
  EXPECT_EQ(t.substr(0, 10), std::string("..\x06\x06\x06\x06\x06 \r\n"));
  std::size_t rows = 0;
  for (std::size_t at = 0; at < t.size();) {
    const std::size_t end = t.find("\r\n", at);
    ASSERT_NE(end, std::string::npos);
    const std::string row = t.substr(at, end - at);
    EXPECT_EQ(row, std::string(rows == 0 ? ".." : "  ") + "\x06\x06\x06\x06\x06 ") << rows;
    ++rows;
    at = end + 2;
  }
  EXPECT_EQ(rows, 6u);
}

TEST(TableBlank, WrittenIntoAnyBufferWithAFreshIndex) {
  struct Case {
    const char* name;
    std::string before;  // the table's content before ("" = no buffer at all)
    std::uint32_t margin;
  };
  std::string big;
  for (int r = 0; r < 300; ++r) big += "*block\r\nx\x06y\x06z\x06w\x06v\x06u\x06t\x06s\r\n";
  const Case cases[] = {
      {"no buffer", "", 0},
      {"a buffer smaller than the table", "a\r\n", 0},
      {"a larger table with more blocks", big, 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    csv::Table t;
    if (!c.before.empty()) {
      ASSERT_TRUE(t.Assign(c.before.data(), c.before.size(), c.margin));
    }
    ASSERT_TRUE(table::WriteBlankTable(t));
    const std::string want = table::BlankTableText();
    ASSERT_EQ(t.m_nTextLen, want.size());
    ASSERT_LT(t.m_nTextLen, t.m_nWorkSize);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(t.m_pTextBuf), t.m_nTextLen), want);
    EXPECT_EQ(t.m_pTextBuf[t.m_nTextLen], 0);
    EXPECT_EQ(t.m_nLastRow, 5);
    EXPECT_EQ(t.m_nFieldCount, 6u);
    csv::Table fresh;
    ASSERT_TRUE(fresh.Assign(want.data(), want.size(), 0));
    ExpectSameIndex(t, fresh);
  }
}
