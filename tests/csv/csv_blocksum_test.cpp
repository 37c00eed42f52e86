// The exact block total behind the column commands' total boxes.
#include <gtest/gtest.h>

#include <string>

#include "csv/csv_blocksum.h"
#include "csv/csv_table.h"

namespace {

void Load(csv::Table* t, const std::string& file) { ASSERT_TRUE(t->LoadFileText(file.data(), file.size(), 100)); }

TEST(CsvBlockSum, SumsTheBlockExactlyAndOnlyTheCheckedRows) {
  csv::Table t;
  Load(&t, "k,v,w\r\na,0.1,\"1,000\"\r\nb,0.2,x\r\nc,-0.35,2\n\"d\nd\",10,3\r");
  // Column 2, data rows 2..5: 0.1 + 0.2 - 0.35 + 10, decimal places kept.
  EXPECT_EQ("9.95", csv::ScaledSumText(csv::BlockSum(t, 2, 2, 2, 5)));
  // Columns 2..3 of rows 2..3: the quoted "1,000" reads as 1000, "x" as 0.
  EXPECT_EQ("1000.3", csv::ScaledSumText(csv::BlockSum(t, 2, 3, 2, 3)));
  // Rows past the table and an empty range.
  EXPECT_EQ("9.95", csv::ScaledSumText(csv::BlockSum(t, 2, 2, 2, 99)));
  EXPECT_EQ("0", csv::ScaledSumText(csv::BlockSum(t, 3, 2, 1, 5)));
  // Checked rows 3 and 5 (1-based), entry 0 empty.
  std::uint32_t entries[4] = {0, 3, 5, 0};
  csv::CheckList checks;
  checks.m_pEntryList = entries;
  checks.m_nEntryListCount = 4;
  checks.m_nEntryListPos = 3;
  EXPECT_EQ("10.2", csv::ScaledSumText(csv::BlockSum(t, 2, 2, 1, 5, &checks)));
  checks.m_pEntryList = nullptr;
}

TEST(CsvBlockSum, ASumBeyondSixtyFourBitsIsOverflowNeverWrapped) {
  csv::Table t;
  Load(&t, "v\r\n9000000000000000000\r\n9000000000000000000\r\n");
  EXPECT_EQ("overflow", csv::ScaledSumText(csv::BlockSum(t, 1, 1, 2, 3)));
  EXPECT_EQ("9000000000000000000", csv::ScaledSumText(csv::BlockSum(t, 1, 1, 2, 2)));
  // A cell whose digits do not fit 63 bits.
  Load(&t, "v\r\n123456789012345678901234\r\n");
  EXPECT_TRUE(csv::BlockSum(t, 1, 1, 2, 2).overflow);
}

}  // namespace
