// The cell list of a random CP932 table against Python's csv module reading
// the same table (tests/csv/dumpcells_reference.py).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "csv/csv_dumpcells.h"
#include "csv_test_util.h"
#include "support/outside_tool.h"

namespace fs = std::filesystem;

namespace {

const char* const kCells[] = {"", "", "1", "abc", "東京", "\"a,b\"", "\"say \"\"hi\"\"\"", "x y", "表示", "-3.5",
                              "\"\"\"q\"\"\"", "ソース"};

TEST(DumpCellsOracle, ListMatchesPythonsReading) {
  REQUIRE_TOOLS("python3");
  std::mt19937 rng(39);
  std::string table = "c1,c2,c3,c4,c5\r\n";
  for (int r = 0; r < 200; ++r) {
    const int cells = 1 + static_cast<int>(rng() % 6);
    for (int c = 0; c < cells; ++c) table += (c ? "," : "") + std::string(kCells[rng() % std::size(kCells)]);
    table += "\r\n";
  }
  auto t = csvtest::MakeTable(table);
  ASSERT_EQ(0, csv::DumpCells(*t, nullptr));
  csvtest::ExpectIndexesAgain(*t);
  const fs::path dir = fs::path(TABRYE_BIN_ROOT) / "csv_dumpcells_oracle";
  fs::create_directories(dir);
  { std::ofstream(dir / "table.csv", std::ios::binary) << table; }
  { std::ofstream(dir / "list.csv", std::ios::binary) << t->FileText(csv::CommaFormKind::kComma); }
  const std::string cmd = "python3 '" TABRYE_TEST_ROOT "/tests/csv/dumpcells_reference.py' '" +
                          (dir / "table.csv").string() + "' '" + (dir / "list.csv").string() + "' > '" +
                          (dir / "verdict.txt").string() + "'";
  ASSERT_EQ(0, std::system(cmd.c_str())) << cmd;
  const std::string verdict = csvtest::ReadFileBytes(dir / "verdict.txt");
  EXPECT_EQ(0u, verdict.rfind("OK ", 0)) << verdict;
}

}  // namespace
