// The parts of the row sort: reading a number from a cell, the numeric key's
// byte order, the bracket skip, the numbers-or-text decision, the page steps
// and SortUInt32Array.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "csv/csv_cellnumber.h"
#include "csv/csv_linesort.h"
#include "csv/csv_pagestep.h"
#include "csv/csv_sortkey.h"
#include "csv/csv_test_util.h"
#include "fw/alloc.h"

namespace {

csv::CellNumber Read(const std::string& s) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(s.data());
  return csv::ReadCellNumber(p, p + s.size());
}

TEST(CsvCellNumber, ReadsAsTheTotalsDo) {
  struct Case {
    const char* text;
    std::int64_t mantissa;
    int scale;
    std::int64_t integer;
    std::int32_t fraction8;
    bool empty;
  } cases[] = {
      {"1,234.50", 123450, 2, 1234, 50000000, false},
      {"-3", -3, 0, -3, 0, false},
      {"2024/01/05", 20240105, 0, 20240105, 0, false},
      {"abc", 0, 0, 0, 0, false},
      {"\\500", 500, 0, 500, 0, false},
      {" 12 ", 12, 0, 12, 0, false},
      {"\"12\"", 12, 0, 12, 0, false},
      {"\x82\x51", 0, 0, 0, 0, false},  // full-width digit: ends the number
      {"-5.25", -525, 2, -5, -25000000, false},
      {"1.2.3", 123, 1, 12, 30000000, false},  // a second point starts the decimals again
      {"5-3", 53, 0, 53, 0, false},            // '-' after a digit is passed over
      {"0.123456789", 123456789, 9, 0, 12345678, false},
      {"", 0, 0, 0, 0, true},
      {"\"\"", 0, 0, 0, 0, true},
      {"  ", 0, 0, 0, 0, true},
      {"12\x06" "99", 12, 0, 12, 0, false},    // the separator ends the field
      {"\x83\x5C" "5", 0, 0, 0, 0, false},     // ソ's second byte 0x5C is never reached
  };
  for (const Case& c : cases) {
    const csv::CellNumber n = Read(c.text);
    EXPECT_EQ(c.mantissa, n.mantissa) << c.text;
    EXPECT_EQ(c.scale, n.scale) << c.text;
    EXPECT_EQ(c.integer, n.integer) << c.text;
    EXPECT_EQ(c.fraction8, n.fraction8) << c.text;
    EXPECT_EQ(c.empty, n.empty) << c.text;
  }
  EXPECT_TRUE(Read("-0.5").negative);
}

TEST(CsvCellNumber, LongDigitRunsSaturate) {
  const csv::CellNumber big = Read(std::string(25, '9'));
  EXPECT_EQ(INT64_MAX, big.integer);
  EXPECT_EQ(INT64_MAX, big.mantissa);
  const csv::CellNumber neg = Read("-" + std::string(40, '8') + ".5");
  EXPECT_EQ(-INT64_MAX, neg.integer);
  EXPECT_EQ(-50000000, neg.fraction8);
  EXPECT_EQ(999999999999999999ll, Read("999999999999999999").integer);
  const csv::CellNumber places = Read("1." + std::string(5000, '1'));
  EXPECT_EQ(1, places.integer);
  EXPECT_EQ(11111111, places.fraction8);
}

std::string KeyBytes(const std::string& s) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(s.data());
  std::uint8_t b[12];
  csv::NumericKeyBytes(csv::MakeNumericKey(p, p + s.size()), b);
  return std::string(reinterpret_cast<const char*>(b), 12);
}

// Keys compare as bytes in the order of the numbers (long double holds
// these values closely enough to order them).
TEST(CsvSortKey, NumericKeyBytesFollowTheNumbers) {
  std::mt19937 rng(24);
  std::vector<std::string> cells = {"0", "-0", "5", "-5", "-5.25", "3000000000", "2147483648", "-2147483649",
                                    "123456789012345678", "-123456789012345678", "0.00000001", "-0.00000001"};
  for (int i = 0; i < 400; ++i) {
    std::string s = rng() % 3 == 0 ? "-" : "";
    s += std::to_string(rng() % 100000000ull * (rng() % 4 == 0 ? 100000000ull : 1ull));
    if (rng() % 2) s += "." + std::to_string(rng() % 100000000 + 100000000).substr(1, rng() % 8 + 1);
    cells.push_back(s);
  }
  for (const std::string& a : cells)
    for (std::size_t j = 0; j < cells.size(); j += 7) {
      const std::string& b = cells[j];
      const long double x = std::stold(a), y = std::stold(b);
      const int want = x < y ? -1 : x > y ? 1 : 0;
      const int c = KeyBytes(a).compare(KeyBytes(b));
      EXPECT_EQ(want, (c > 0) - (c < 0)) << a << " vs " << b;
    }
  EXPECT_EQ(std::string(12, '\0'), KeyBytes(""));
  EXPECT_LT(KeyBytes(""), KeyBytes("-" + std::string(30, '9')));
  EXPECT_EQ(KeyBytes(std::string(19, '9')), KeyBytes(std::string(25, '9')));  // both held at the top
}

TEST(CsvSortKey, TextKeyEndsAndPrefix) {
  auto key = [](const std::string& s) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(s.data());
    const csv::TextKey k = csv::MakeTextKey(p, p + s.size());
    return std::string(reinterpret_cast<const char*>(k.bytes), k.length);
  };
  EXPECT_EQ("ab\"", key("\"ab\""));
  EXPECT_EQ("ab", key("ab\rcd"));
  EXPECT_EQ(std::string(122, 'x'), key(std::string(200, 'x')));
  EXPECT_EQ("a\x7F\x0E" "b", key("a\x7F\x0E" "b"));  // in-cell break codes are key bytes
  // A control byte below 0x06 sorts below the end of a key, the break codes
  // above it.
  const std::string ab = "ab", ab1 = "ab\x01", abLf = "ab\x0E";
  auto cmp = [](const std::string& a, const std::string& b) {
    return csv::CompareTextKeys({reinterpret_cast<const std::uint8_t*>(a.data()), static_cast<std::uint32_t>(a.size())},
                                {reinterpret_cast<const std::uint8_t*>(b.data()), static_cast<std::uint32_t>(b.size())});
  };
  EXPECT_GT(cmp(ab, ab1), 0);
  EXPECT_LT(cmp(ab, abLf), 0);
  const auto pre = [](const std::string& s) {
    return csv::TextKeyPrefix({reinterpret_cast<const std::uint8_t*>(s.data()), static_cast<std::uint32_t>(s.size())});
  };
  EXPECT_GT(pre(ab), pre(ab1));
  EXPECT_LT(pre(ab), pre(abLf));
  EXPECT_EQ(0x6162060000000000ull, pre(ab));
}

TEST(CsvSortKey, BracketSkip) {
  auto skip = [](const std::string& s) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(s.data());
    return std::string(reinterpret_cast<const char*>(csv::SkipBracketGroup(p, p + s.size())),
                       reinterpret_cast<const char*>(p + s.size()));
  };
  EXPECT_EQ("abc", skip("(x) abc"));
  EXPECT_EQ("abc", skip("\"(x)abc"));
  EXPECT_EQ("abc", skip("\x81\x69\x92\x8D\x81\x6A\x81\x40 abc"));  // （注）, full-width and ASCII blanks
  EXPECT_EQ("(0123456789012345678)abc", skip("(0123456789012345678)abc"));  // a group of 21 bytes stays
  EXPECT_EQ("abc", skip("(012345678901234567)abc"));                        // 20 bytes
  EXPECT_EQ("(no end", skip("(no end"));
  // 0x81 0x6A read across a character (0x88 0x81) and a letter is no "）".
  EXPECT_EQ("k", skip("(\x88\x81\x6A)k"));
  EXPECT_EQ("\x81\x69\x88\x81\x6A", skip("\x81\x69\x88\x81\x6A"));
  EXPECT_EQ("x(y)", skip("x(y)"));
}

// A table of 40+ rows whose column 2 holds `cells`.
std::unique_ptr<csv::Table> Column(const std::vector<std::string>& cells, const std::string& title = "id,val\r\n") {
  std::string s = title;
  for (std::size_t i = 0; i < cells.size(); ++i) s += std::to_string(i) + "," + cells[i] + "\r\n";
  return csvtest::MakeTable(s);
}

TEST(CsvSortChoice, NumbersOrText) {
  std::vector<std::string> cells(45, "12.5");
  cells[3] = cells[9] = "abcd";
  EXPECT_TRUE(csv::ColumnLooksNumeric(*Column(cells), 1));
  cells[20] = "word";
  EXPECT_FALSE(csv::ColumnLooksNumeric(*Column(cells), 1));
  cells[20] = "abc";  // three significant bytes
  EXPECT_TRUE(csv::ColumnLooksNumeric(*Column(cells), 1));
  cells[20] = "\"  \"abc";  // quotes and blanks before it are not significant
  EXPECT_TRUE(csv::ColumnLooksNumeric(*Column(cells), 1));
  cells[20] = "12-34";  // a '-' after the first significant byte is a text sign
  EXPECT_FALSE(csv::ColumnLooksNumeric(*Column(cells), 1));
  cells[20] = "-1234";  // a leading '-' is not
  EXPECT_TRUE(csv::ColumnLooksNumeric(*Column(cells), 1));
  cells[20] = "2024/01/05";
  EXPECT_FALSE(csv::ColumnLooksNumeric(*Column(cells), 1));
  cells[20] = "$1,234.5+";
  EXPECT_TRUE(csv::ColumnLooksNumeric(*Column(cells), 1));
  cells[20] = "\\1234@";  // yen sign and '@' are no text signs
  EXPECT_TRUE(csv::ColumnLooksNumeric(*Column(cells), 1));
  // Only the first 40 rows after the title count.
  cells[20] = "12";
  cells[40] = cells[41] = cells[42] = "text";
  EXPECT_TRUE(csv::ColumnLooksNumeric(*Column(cells), 1));
  // The title line is m_nCurLine: the rows above it do not count.
  auto t = Column(std::vector<std::string>(40, "7"), "x,aaaa\r\nx,bbbb\r\nx,cccc\r\nx,dddd\r\nid,val\r\n");
  EXPECT_FALSE(csv::ColumnLooksNumeric(*t, 1));
  t->m_nCurLine = 5;
  EXPECT_TRUE(csv::ColumnLooksNumeric(*t, 1));
  // Rows without the field, and multi-line cells, count once each.
  auto m = csvtest::MakeTable("id,val\r\n1,\"ab\r\ncd\"\r\n2,\"ef\r\ngh\"\r\n3\r\n4,\"ij\nkl\"\r\n");
  EXPECT_FALSE(csv::ColumnLooksNumeric(*m, 1));
  auto m2 = csvtest::MakeTable("id,val\r\n1,\"ab\r\ncd\"\r\n2,\"ef\r\ngh\"\r\n3\r\n4,5\r\n");
  EXPECT_TRUE(csv::ColumnLooksNumeric(*m2, 1));
}

TEST(CsvSortChoice, ShiftForcesNumbersCtrlForcesTextAndWins) {
  auto words = Column(std::vector<std::string>(10, "word"));
  auto numbers = Column(std::vector<std::string>(10, "42"));
  EXPECT_FALSE(csv::SortKeysNumeric(*words, 1, 0, false));
  EXPECT_TRUE(csv::SortKeysNumeric(*words, 1, 1, false));
  EXPECT_FALSE(csv::SortKeysNumeric(*words, 1, 2, false));  // 2: Shift with Ctrl, no force
  EXPECT_TRUE(csv::SortKeysNumeric(*numbers, 1, 0, false));
  EXPECT_FALSE(csv::SortKeysNumeric(*numbers, 1, 0, true));
  EXPECT_FALSE(csv::SortKeysNumeric(*numbers, 1, 1, true));
}

TEST(CsvPageStep, Table) {
  struct Row {
    std::uint32_t top;
    std::int64_t lastRow;
    std::uint32_t size;
    bool byLines;
    std::int64_t lines, caret;
    std::uint32_t next, previous;
    bool onLast;
  } rows[] = {
      // A 2,500-row table, 1,000 rows a page: 0 -> 1000 -> 2000 -> 0; back from 0 to 2000.
      {0, 2499, 1000, false, 0, 0, 1000, 2000, false},
      {1000, 2499, 1000, false, 0, 0, 2000, 0, false},
      {2000, 2499, 1000, false, 0, 0, 0, 1000, true},
      // The last row alone on the last page is still shown by "next".
      {1000, 2000, 1000, false, 0, 0, 2000, 0, false},
      {2000, 2000, 1000, false, 0, 0, 0, 1000, true},
      // Smaller than one page: both stay on the first.
      {0, 300, 1000, false, 0, 0, 0, 0, true},
      // A result below 5 becomes 0.
      {3, 2499, 1000, false, 0, 0, 1003, 0, false},
      {0, 1003, 1000, false, 0, 0, 1000, 1000, false},
      // Ctrl: by the lines shown less the caret's distance less 1.
      {100, 2499, 1000, true, 30, 10, 119, 81, false},
      {100, 2499, 1000, true, 30, 40, 100, 100, false},  // the step is at least 0
      {10, 2499, 1000, true, 30, 0, 39, 0, false},       // 10 - 29 < 5
      {2490, 2499, 1000, true, 30, 0, 2499, 2461, true},  // never past the last row
      // A page size of 0 counts as 1.
      {7, 9, 0, false, 0, 0, 8, 6, false},
  };
  for (const Row& r : rows) {
    csv::PageStep s;
    s.pageTop = r.top;
    s.lastRow = r.lastRow;
    s.pageSize = r.size;
    s.byLines = r.byLines;
    s.pageLines = r.lines;
    s.caretDistance = r.caret;
    EXPECT_EQ(r.next, csv::NextPageTop(s)) << r.top << "/" << r.lastRow;
    EXPECT_EQ(r.previous, csv::PreviousPageTop(s)) << r.top << "/" << r.lastRow;
    EXPECT_EQ(r.onLast, csv::OnLastPage(s)) << r.top << "/" << r.lastRow;
  }
}

TEST(CsvUIntSort, SortsByTheLeadingNumber) {
  std::vector<std::uint32_t> v = {5, 0xFFFFFFFFu, 0, 3000000000u, 7, 5};
  EXPECT_EQ(0, csv::SortUInt32Array(v.data(), v.size(), 4));
  EXPECT_EQ(std::vector<std::uint32_t>({0, 5, 5, 7, 3000000000u, 0xFFFFFFFFu}), v);
  // Records of 12 bytes at an odd address; the same with no memory to spare.
  std::mt19937 rng(3);
  std::vector<std::uint8_t> recs(1 + 12 * 300);
  for (auto& b : recs) b = static_cast<std::uint8_t>(rng() % 4);
  std::vector<std::uint8_t> again = recs;
  EXPECT_EQ(0, csv::SortUInt32Array(recs.data() + 1, 300, 12));
  fw::alloctest::Reset();
  fw::alloctest::FailFrom(1);
  EXPECT_EQ(0, csv::SortUInt32Array(again.data() + 1, 300, 12));
  fw::alloctest::Reset();
  EXPECT_EQ(recs, again);
  for (int i = 1; i < 300; ++i) {
    std::uint32_t a, b;
    std::memcpy(&a, recs.data() + 1 + 12 * (i - 1), 4);
    std::memcpy(&b, recs.data() + 1 + 12 * i, 4);
    EXPECT_LE(a, b);
  }
  EXPECT_EQ(0, csv::SortUInt32Array(nullptr, 5, 4));
  EXPECT_EQ(0, csv::SortUInt32Array(v.data(), v.size(), 2));  // too small: left alone
}

}  // namespace
