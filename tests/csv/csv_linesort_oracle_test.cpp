// The row sort against outside judges: GNU sort (C locale, stable) on a
// generated CP932 table of 10,000 rows, numeric on column 3 and by bytes on
// column 2; and Python's csv module with its stable sort on a table whose
// cells hold line breaks, quoted commas and doubled quotes
// (tests/csv/linesort_reference.py).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>

#include "csv/csv_linesort.h"
#include "csv/csv_test_util.h"
#include "support/outside_tool.h"

namespace fs = std::filesystem;

namespace {

fs::path Dir() {
  // A folder per test: CTest runs the tests of this file at once.
  const fs::path dir =
      fs::path(TABRYE_BIN_ROOT) / "csv_linesort" / ::testing::UnitTest::GetInstance()->current_test_info()->name();
  fs::create_directories(dir);
  return dir;
}

void WriteFile(const fs::path& p, const std::string& s) {
  std::ofstream out(p, std::ios::binary);
  out << s;
}

// id, a Shift-JIS word (second bytes 0x5C among them), a number (integers
// and decimals up to 8 places, negatives, up to 15 digits), a code, a word.
std::string Generate(int rows) {
  std::mt19937_64 rng(20261208);
  const char* words[] = {"\x83\x5C", "\x95\x5C", "\x83\x5E", "abc", "\x83\x5C\x83\x5E", "ab", "\x95\x5C" "a", "Z",
                         "\x83\x5C\x95\x5C\x83\x5C", ""};
  std::string s = "id,name,num,code,word\r\n";
  for (int r = 0; r < rows; ++r) {
    std::string num = rng() % 4 == 0 ? "-" : "";
    const int digits = static_cast<int>(rng() % 15) + 1;
    std::string whole = std::to_string(rng() % 1000000000000000ull);
    if (static_cast<int>(whole.size()) > digits) whole = whole.substr(0, static_cast<std::size_t>(digits));
    num += whole;
    if (rng() % 2) {
      std::string frac = std::to_string(rng() % 100000000ull + 100000000ull).substr(1);
      num += "." + frac.substr(0, rng() % 8 + 1);
    }
    if (rng() % 50 == 0) num = rng() % 2 ? "0" : "-0";
    s += std::to_string(r) + "," + words[rng() % 10] + words[rng() % 10] + "," + num + ",C" +
         std::to_string(rng() % 7) + "," + words[rng() % 10] + "\r\n";
  }
  return s;
}

std::string Sort(const std::string& file, int key, bool numeric) {
  auto t = csvtest::MakeTable(file);
  csv::LineSortRequest r;
  r.key = key;
  r.numeric = numeric;
  EXPECT_GT(csv::SortLines(*t, r, nullptr), 0);
  csvtest::ExpectIndexesAgain(*t);
  return t->FileText(csv::CommaFormKind::kComma);
}

std::string GnuSort(const fs::path& file, const char* keys) {
  const std::string title = csvtest::ReadFileBytes(file).substr(0, csvtest::ReadFileBytes(file).find("\r\n") + 2);
  return title + testsupport::RunCapture("tail -n +2 '" + file.string() + "' | LC_ALL=C sort -s -t, " + keys);
}

// Data rows of a comma-form text, last first, under the same title.
std::string Reversed(const std::string& s) {
  std::size_t at = s.find("\r\n") + 2;
  std::string out;
  while (at < s.size()) {
    const std::size_t e = s.find("\r\n", at) + 2;
    out = s.substr(at, e - at) + out;
    at = e;
  }
  return s.substr(0, s.find("\r\n") + 2) + out;
}

TEST(CsvLineSortOracle, AgreesWithGnuSort) {
  REQUIRE_TOOLS("sort", "tail");
  const fs::path path = Dir() / "gnu.csv";
  const std::string file = Generate(10000);
  WriteFile(path, file);
  const std::string numeric = Sort(file, 3, true);
  EXPECT_TRUE(numeric == GnuSort(path, "-k3,3n")) << "numeric sort of column 3 differs";
  const std::string text = Sort(file, 2, false);
  EXPECT_TRUE(text == GnuSort(path, "-k2,2")) << "text sort of column 2 differs";
  // Descending: the ascending order read backwards, ties reversed as well.
  EXPECT_TRUE(Sort(file, -3, true) == Reversed(numeric));
  EXPECT_TRUE(Sort(file, -2, false) == Reversed(text));
}

TEST(CsvLineSortOracle, MultiLineRecordsAgreeWithPythonsStableSort) {
  REQUIRE_TOOLS("python3");
  const fs::path dir = Dir();
  const std::string cmd = "python3 '" TABRYE_TEST_ROOT "/tests/csv/linesort_reference.py' '" + dir.string() + "'";
  ASSERT_EQ(0, std::system(cmd.c_str()));
  const std::string file = csvtest::ReadFileBytes(dir / "table.csv");
  ASSERT_NE(std::string::npos, file.find("\"\"")) << "doubled quotes in the table";
  auto t = csvtest::MakeTable(file);
  EXPECT_EQ(600, t->m_nLastRow);  // one row per record
  for (int column : {2, 3}) {
    const std::string want = csvtest::ReadFileBytes(dir / ("sorted" + std::to_string(column) + ".csv"));
    ASSERT_FALSE(want.empty());
    EXPECT_TRUE(Sort(file, column, false) == want) << "column " << column;
  }
}

}  // namespace
