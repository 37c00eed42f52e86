// Cell mode with an upper-casing function over a three-block CP932 table,
// against Python's csv module applying the same rule to the same file with
// the block index's title rows and data ends
// (tests/macro/cell_upper_reference.py).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>

#include "csv/csv_table.h"
#include "fw/sjis.h"
#include "macro/macro_builtins.h"
#include "macro/macro_cmdfunc.h"
#include "macro/macro_state.h"
#include "support/outside_tool.h"
#include "test_host.h"

namespace fs = std::filesystem;

namespace {

// Upper-cases the ASCII letters of the field, double-byte characters kept.
void UpperSjis(macro::BuiltinScope& s, macro::BuiltinArgs& a) {
  std::string f = a.Field(s).Str();
  for (std::size_t i = 0; i < f.size(); ++i) {
    const auto c = static_cast<unsigned char>(f[i]);
    if (fw::IsSjisLeadByte(c)) {
      ++i;
    } else if (c >= 'a' && c <= 'z') {
      f[i] = static_cast<char>(c - 'a' + 'A');
    }
  }
  a.Put(f.data(), static_cast<int>(f.size()));
}

// CP932 cells: "ソース", "表示abc" (trail bytes 0x5C among them).
const char* const kCells[] = {"Tokyo", "osaka", "\"kyoto,fu\"", "\x83\x5C\x81\x5B\x83\x58", "\x95\x5C\x8E\xA6" "abc",
                              "", "\"\"", "mixed Case", "x"};

TEST(CmdFuncOracle, CellModeUpperCaseMatchesPython) {
  REQUIRE_TOOLS("python3");
  std::mt19937 rng(202);
  auto row = [&](int n) {
    std::string r;
    for (int c = 0; c < n; ++c) r += (c ? "," : "") + std::string(kCells[rng() % (sizeof kCells / sizeof kCells[0])]);
    return r + "\r\n";
  };
  // "~" lines inside and after the blocks' data.
  std::string file = "title,a,b,c\r\n";
  for (int r = 0; r < 90; ++r) {
    if (r == 28) file += "~ end of block 1\r\n";
    if (r == 30) file += "!#\r\nname,v,w\r\n";
    if (r == 58) file += "~ end of block 2\r\n";
    if (r == 60) file += "!*\r\nk1,k2,k3,k4,k5\r\n";
    if (r == 85) file += "~ footer\r\n";
    file += row(3 + static_cast<int>(rng() % 4));  // short rows would end a block's data
  }
  const fs::path dir = fs::path(TABRYE_BIN_ROOT) / "macro_cmdfunc_oracle";
  fs::create_directories(dir);
  { std::ofstream(dir / "in.csv", std::ios::binary) << file; }

  macro::ScopedBuiltin up(22, UpperSjis);
  struct Range {
    int r1, r2, c1, c2;
  };
  for (const Range& k : {Range{1, -1, 1, -1}, Range{5, 70, 2, 3}, Range{33, 33, 1, 9}, Range{60, 95, 4, -1}}) {
    auto st = std::make_unique<macro::MacroState>();
    auto table = std::make_unique<csv::Table>();
    ASSERT_TRUE(table->LoadFileText(file.data(), file.size(), 64));
    ASSERT_EQ(3u, table->BlockCount());
    std::string blocks;
    for (std::uint32_t b = 1; b <= 3; ++b) {
      blocks += (b > 1 ? "," : "") + std::to_string(table->m_aSecRow[b]) + ":" + std::to_string(table->m_aSecLine[b]) +
                ":" + std::to_string(table->m_aSecInfoA[b]);
    }
    macrotest::TestHost host;
    macro::CmdFuncScope scope{*st};
    scope.host = &host;
    scope.table = table.get();
    ASSERT_EQ(1, macro::MacroEvalCommandLineFunctions(scope, k.r1, k.r2, k.c1, k.c2, CString("#UP")));
    EXPECT_TRUE(host.reports.empty());
    { std::ofstream(dir / "out.csv", std::ios::binary) << table->FileText(csv::CommaFormKind::kComma); }
    const std::string cmd = "python3 '" TABRYE_TEST_ROOT "/tests/macro/cell_upper_reference.py' '" +
                            (dir / "in.csv").string() + "' '" + (dir / "out.csv").string() + "' " +
                            std::to_string(k.r1) + " " + std::to_string(k.r2) + " " + std::to_string(k.c1) + " " +
                            std::to_string(k.c2) + " " + blocks + " > '" + (dir / "verdict.txt").string() + "'";
    ASSERT_EQ(0, std::system(cmd.c_str())) << cmd;
    std::ifstream v(dir / "verdict.txt");
    std::stringstream verdict;
    verdict << v.rdbuf();
    EXPECT_EQ("OK\n", verdict.str()) << k.r1 << "," << k.r2 << "," << k.c1 << "," << k.c2;
  }
}

}  // namespace
