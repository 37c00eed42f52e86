// Totals of a CSV table: the cell numbers and their exact sums, every mode
// and its edge cases, the head and the tail, overflow marks, and every
// allocation failure leaving the table as it was.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "csv/csv_cellnumber.h"
#include "csv/csv_scaled.h"
#include "csv/csv_totals.h"
#include "csv_test_util.h"
#include "fw/alloc.h"
#include "support/alloc_walk.h"

namespace {

using csvtest::MakeTable;
using csvtest::Recorder;
using csvtest::Text;

csv::CellNumber Read(const std::string& s) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(s.data());
  return csv::ReadCellNumber(p, p + s.size());
}

std::string Totals(const std::string& file, int mode, int key, const std::string& operand = "",
                   std::uint32_t curLine = 1) {
  auto t = MakeTable(file);
  t->m_nCurLine = curLine;
  Recorder rec;
  EXPECT_EQ(0, csv::CsvTotals(*t, mode, key, operand, &rec));
  EXPECT_TRUE(rec.calls.empty());
  csvtest::ExpectIndexesAgain(*t);
  EXPECT_EQ(curLine, t->m_nCurLine);
  return Text(*t);
}

TEST(CsvScaled, CellNumbersReadAsTheTotalsReadThem) {
  EXPECT_EQ(123450, Read("1,234.50").mantissa);
  EXPECT_EQ(2, Read("1,234.50").scale);
  EXPECT_EQ(1000, Read("1,000").mantissa);
  EXPECT_EQ(500, Read("\\500").mantissa);
  EXPECT_EQ(12, Read(" 12 ").mantissa);
  EXPECT_EQ(-3, Read("-3").mantissa);
  EXPECT_EQ(20240105, Read("2024/01/05").mantissa);
  EXPECT_EQ(0, Read("abc").mantissa);
  EXPECT_EQ(0, Read("\x82\x50\x82\x51").mantissa);  // full-width 12
  EXPECT_FALSE(Read("9223372036854775807").overflow);
  EXPECT_TRUE(Read("12345678901234567890").overflow);
  // An in-cell break code ends the number like any control byte.
  EXPECT_EQ(12, Read("12\x0e" "34").mantissa);
}

TEST(CsvScaled, FormatsAndAddsExactly) {
  EXPECT_EQ(CString("123.45"), csv::FormatScaledNumber(12345, 2, 0));
  EXPECT_EQ(CString("0.05"), csv::FormatScaledNumber(5, 2, 0));
  EXPECT_EQ(CString("-0.05"), csv::FormatScaledNumber(-5, 2, 0));
  EXPECT_EQ(CString("7"), csv::FormatScaledNumber(7, 0, 0));
  EXPECT_EQ(CString("7"), csv::FormatScaledNumber(7, 999, 0));
  csv::ScaledSum s;
  s.Add(15, 1);
  s.Add(225, 2);
  EXPECT_EQ("3.75", csv::ScaledSumText(s));
  // Past 2^63 - 1, and 1 + 1E-19 (10^19 does not fit): overflow, never a wrap.
  csv::ScaledSum big;
  big.Add(INT64_MAX, 0);
  EXPECT_FALSE(big.Add(1, 0));
  EXPECT_EQ("overflow", csv::ScaledSumText(big));
  csv::ScaledSum tiny;
  tiny.Add(1, 0);
  tiny.Add(1, 19);
  EXPECT_EQ("overflow", csv::ScaledSumText(tiny));
  csv::ScaledSum carried;
  carried.Add(5, 0);
  carried.Add(tiny);
  EXPECT_EQ("overflow", csv::ScaledSumText(carried));
  csv::ScaledSum neg;
  neg.Add(INT64_MIN + 1, 0);
  neg.Add(-1, 0);
  EXPECT_EQ("-9223372036854775808", csv::ScaledSumText(neg));
  EXPECT_FALSE(neg.Add(-1, 0));
  // The quick path writes what the general routine writes.
  for (std::int64_t v : std::initializer_list<std::int64_t>{0LL, 7LL, -7LL, 999999999LL, -999999999LL, 1000000000LL, 123456789012345LL, INT64_MAX,
                         INT64_MIN, -5LL, 1000000000000LL}) {
    for (int scale : {0, 1, 2, 6, 9, 12, 18, 19, 25, 100, 101, 5000}) {
      std::string a;
      csv::AppendScaledNumber(&a, v, scale);
      EXPECT_EQ(csv::FormatScaledNumber(v, scale, 0).Str(), a) << v << " " << scale;
    }
  }
}

TEST(CsvTotals, ModeZeroSumsRowsAndColumns) {
  EXPECT_EQ("k,a,b,Total\r\nx,1.5,2,3.5\r\ny,2.25,3,5.25\r\nTotal*,3.75,5,8.75",
            Totals("k,a,b\r\nx,1.5,2\r\ny,2.25,3\r\n", 0, 1));
  // A column list: only b; "--" for a.
  EXPECT_EQ("k,a,b,Total\r\nx,1.5,2,2\r\ny,2.25,3,3\r\nTotal*,--,5,5",
            Totals("k,a,b\r\nx,1.5,2\r\ny,2.25,3\r\n", 0, 1, "3"));
  // A text without a final line end still gets its last row total.
  EXPECT_EQ("k,a,Total\r\nx,1,1\r\ny,2,2\r\nTotal*,3,3", Totals("k,a\r\nx,1\r\ny,2", 0, 1));
}

TEST(CsvTotals, ModeOneWritesSubtotalsAtEachKeyChange) {
  const std::string file = "k,v\r\n\x83\x5C,1\r\n\x83\x5C,2\r\n\x95\x5C,5\r\n";
  EXPECT_EQ("k,v,Total\r\n\x83\x5C,1,1\r\n\x83\x5C,2,2\r\ntotal,3,3\r\n\x95\x5C,5,5\r\ntotal,5,5\r\nTotal*,8,8",
            Totals(file, 1, 1));
  // One key: no subtotal row.
  EXPECT_EQ("k,v,Total\r\na,1,1\r\na,2,2\r\nTotal*,3,3", Totals("k,v\r\na,1\r\na,2\r\n", 1, 1));
}

TEST(CsvTotals, ModeTwoCounts) {
  EXPECT_EQ("k,a,b,Total\r\nx,\"\",3,1\r\ny,z,,1\r\nTotal*,1,1,2", Totals("k,a,b\r\nx,\"\",3\r\ny,z,\r\n", 2, 1));
}

TEST(CsvTotals, ModeThreeMergesRuns) {
  // A run of one row stays as copied; a run of several becomes one row with
  // the run's last unsummed fields.
  EXPECT_EQ("n,k,v,Total\r\np,A,1,1\r\nr,B,5,5\r\nTotal*,--,6,6",
            Totals("n,k,v\r\np,A,1\r\nr,B,5\r\n", 3, 2, "3"));
  EXPECT_EQ("n,k,v,Total\r\nq,A,3,3\r\nr,B,5,5\r\nTotal*,--,8,8", Totals("n,k,v\r\np,A,1\r\nq,A,2\r\nr,B,5\r\n", 3, 2, "3"));
  // A single run is merged too.
  EXPECT_EQ("n,k,v,Total\r\nq,A,3,3\r\nTotal*,--,3,3", Totals("n,k,v\r\np,A,1\r\nq,A,2\r\n", 3, 2, "3"));
  // An empty operand sums every column from 2 on, the key column included.
  EXPECT_EQ("n,k,v,Total\r\nq,2,3,5\r\nTotal*,2,3,5", Totals("n,k,v\r\np,1,1\r\nq,1,2\r\n", 3, 2));
}

TEST(CsvTotals, HeadAndTailComeBackWhole) {
  std::string head;
  while (head.size() < 20000) head += "head line " + std::to_string(head.size()) + "\r\n";
  int lines = 0;
  for (char c : head) lines += c == '\n';
  std::string tail;
  for (int k = 0; k < 60; ++k) tail += "~comment " + std::to_string(k) + "\r\n";
  const std::string out = Totals(head + "k,v\r\na,1\r\nb,2\r\n" + tail, 0, 1, "", static_cast<std::uint32_t>(lines + 1));
  EXPECT_TRUE(head + "k,v,Total\r\na,1,1\r\nb,2,2\r\nTotal*,3,3\r\n" + tail == out);
}

TEST(CsvTotals, WideRowsAndOverflowMarks) {
  std::string title = "k", row = "a";
  for (int c = 2; c <= 205; ++c) {
    title += ",c" + std::to_string(c);
    row += "," + std::to_string(c);
  }
  const std::string out = Totals(title + "\r\n" + row + "\r\n", 0, 1);
  // Columns 2..200 are summed; 201..205 copied and shown as "--".
  long sum = 0;
  for (int c = 2; c <= 200; ++c) sum += c;
  EXPECT_NE(std::string::npos, out.find(row + "," + std::to_string(sum) + "\r\n"));
  EXPECT_NE(std::string::npos, out.find(",200,--,--,--,--,--," + std::to_string(sum)));
  // A 20-digit code, and a sum past 2^63 - 1: "overflow" in every sum they reach.
  EXPECT_EQ("k,a,b,Total\r\nx,12345678901234567890,1,overflow\r\ny,1,1,2\r\nTotal*,overflow,2,overflow",
            Totals("k,a,b\r\nx,12345678901234567890,1\r\ny,1,1\r\n", 0, 1));
  EXPECT_EQ("k,a,Total\r\nx,9223372036854775807,9223372036854775807\r\ny,1,1\r\nTotal*,overflow,overflow",
            Totals("k,a\r\nx,9223372036854775807\r\ny,1\r\n", 0, 1));
  EXPECT_EQ("k,a,b,Total\r\nx,1,0.0000000000000000001,overflow\r\nTotal*,1,0.0000000000000000001,overflow",
            Totals("k,a,b\r\nx,1,0.0000000000000000001\r\n", 0, 1));
}

TEST(CsvTotals, ANarrowTableWithSubtotalsComesOutComplete) {
  std::string file = "k,v\r\n";
  for (int r = 0; r < 200000; ++r) file += "k" + std::to_string(r) + ",1\r\n";
  auto t = MakeTable(file);
  Recorder rec;
  ASSERT_EQ(0, csv::CsvTotals(*t, 1, 1, "", &rec));
  EXPECT_EQ(1 + 2 * 200000 + 1 - 1, t->m_nLastRow);
  const std::string out = Text(*t);
  EXPECT_EQ("Total*,200000,200000", out.substr(out.rfind('\n') + 1));
}

TEST(CsvTotals, MemoryFailuresLeaveTheTableUnchanged) {
  const std::string file = "h\r\nk,v\r\na,1\r\na,2\r\nb,3\r\n~c\r\n";
  bool seen[3] = {};
  struct State {
    std::unique_ptr<csv::Table> t;
    std::string before;
    std::int32_t lastRow;
    Recorder rec;
  };
  const int last = testsupport::WalkAllocationFailures(
      [&] {
        State st{MakeTable(file), "", 0, {}};
        st.t->m_nCurLine = 2;
        st.before.assign(reinterpret_cast<const char*>(st.t->m_pTextBuf), st.t->m_nTextLen);
        st.lastRow = st.t->m_nLastRow;
        return st;
      },
      [&](State& st) { return csv::CsvTotals(*st.t, 1, 1, "", &st.rec); },
      [&](long n, int r, State& st) {
        ASSERT_NE(0, r) << n;
        ASSERT_EQ(1u, st.rec.calls.size());
        EXPECT_EQ(r, st.rec.calls[0].first);
        EXPECT_EQ("", st.rec.calls[0].second);
        seen[r - 157] = true;
        EXPECT_EQ(st.before, std::string(reinterpret_cast<const char*>(st.t->m_pTextBuf), st.t->m_nTextLen));
        EXPECT_EQ(st.lastRow, st.t->m_nLastRow);
        EXPECT_EQ(2u, st.t->m_nCurLine);
      });
  EXPECT_EQ(0, last);
  EXPECT_TRUE(seen[0] && seen[1] && seen[2]);
}

}  // namespace
