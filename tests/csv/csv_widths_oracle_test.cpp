// Column widths against Python's csv module over the same CP932 file
// (tests/csv/width_reference.py reads the fields and measures them).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "csv/csv_table.h"
#include "csv/csv_widths.h"
#include "support/outside_tool.h"

namespace fs = std::filesystem;

namespace {

const char* const kWords[] = {"Tokyo", "Osaka", "東京都", "大阪府港区", "表示", "x", "", "\"\"", "\"a,b\"",
                              "\" pad \"", "  sp  ", "\"京都,市\"", "1234567890", "ソース", "\"\"\"\"", "  "};

std::string Word(std::mt19937& rng) {
  std::string w = kWords[rng() % (sizeof kWords / sizeof kWords[0])];
  return w == "\"\"\"\"" ? "\"\"" : w;
}

std::string Row(std::mt19937& rng, int fields) {
  std::string row;
  for (int c = 0; c < fields; ++c) row += (c ? "," : "") + Word(rng);
  return row + "\r\n";
}

TEST(CsvWidthsOracle, WidestFieldsMatchPythonsReading) {
  REQUIRE_TOOLS("python3");
  std::mt19937 rng(205);
  std::string file = Row(rng, 6);
  for (int r = 0; r < 150; ++r) {
    if (r == 50) file += "!#\r\n~ a comment before the title\r\n" + Row(rng, 5);
    if (r == 100) file += "!*\r\n" + Row(rng, 7);
    if (r == 80) file += "~ comment: the rest of block 2 is not measured\r\n";
    if (r == 130) file += "~" + std::string(40, 'z') + "\r\n";
    file += Row(rng, 3 + static_cast<int>(rng() % 6));
  }
  const fs::path dir = fs::path(TABRYE_BIN_ROOT) / "csv_widths_oracle";
  fs::create_directories(dir);
  { std::ofstream(dir / "table.csv", std::ios::binary) << file; }

  auto table = std::make_unique<csv::Table>();
  ASSERT_TRUE(table->LoadFileText(file.data(), file.size(), 64));
  const int columns = static_cast<int>(table->m_nFieldCount);
  ASSERT_EQ(7, columns);

  struct Case {
    int c1, c2, r1, r2, mode;
  };
  const Case cases[] = {{1, 7, 1, 1, 0}, {1, 7, 1, 1, 1}, {1, 7, 1, 1, 2}, {2, 5, 3, 40, 0},
                        {3, 3, 60, 200, 1}, {1, 7, 100, 170, 2}, {-1, 4, 1, 1, 0}};
  for (const Case& k : cases) {
    std::vector<std::uint32_t> pos(csv::kColumnPositionSlots, 0);
    csv::ComputeColumnWidths(*table, 1, pos.data(), static_cast<int>(pos.size()), k.c1, k.c2, k.r1, k.r2, k.mode);
    const int c1 = k.c1 == -1 ? k.c2 : k.c1;
    const int r2 = k.r1 == k.r2 ? table->m_nLastRow + 1 : k.r2;
    const std::string out = (dir / "expected.txt").string();
    const std::string cmd = "python3 '" TABRYE_TEST_ROOT "/tests/csv/width_reference.py' '" +
                            (dir / "table.csv").string() + "' " + std::to_string(columns) + " " +
                            std::to_string(k.mode) + " " + std::to_string(k.r1 == k.r2 ? 1 : k.r1) + " " +
                            std::to_string(r2) + " " + std::to_string(c1) + " " + std::to_string(k.c2) + " > '" +
                            out + "'";
    ASSERT_EQ(0, std::system(cmd.c_str())) << cmd;
    std::ifstream expected(out);
    for (int c = 1; c <= columns; ++c) {
      std::uint32_t want = 0;
      ASSERT_TRUE(expected >> want);
      EXPECT_EQ(want, csv::ColumnWidthAt(pos.data(), static_cast<int>(pos.size()), c))
          << "column " << c << " of case " << k.c1 << "," << k.c2 << "," << k.r1 << "," << k.r2 << " mode " << k.mode;
    }
  }
}

}  // namespace
