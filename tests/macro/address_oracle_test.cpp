// Row and column keys of the address rewriter against Python's csv module
// over the same CP932 file (tests/macro/key_reference.py turns the key's
// wildcards into a regular expression of its own).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "csv/csv_table.h"
#include "macro/macro_address.h"
#include "macro/macro_state.h"
#include "support/outside_tool.h"
#include "test_host.h"

namespace fs = std::filesystem;

namespace {

const char* const kWords[] = {"Tokyo", "Osaka", "Kyoto", "東京", "大阪", "表示", "50%", "a&b", "Tok", "Tokyo^x",
                              "ソース", "x\\y", "Sendai", "Tokyo", "Osaka"};

TEST(AddressOracle, RowAndColumnKeysMatchPythonsReading) {
  REQUIRE_TOOLS("python3");
  std::mt19937 rng(17);
  auto word = [&] { return std::string(kWords[rng() % (sizeof kWords / sizeof kWords[0])]); };
  std::string table;
  for (int c = 0; c < 8; ++c) table += (c ? "," : "") + word() + std::to_string(c % 3 ? c : 0).substr(0, c % 3 ? 1 : 0);
  table += "\r\n";
  // Three blocks of 100 rows; each later block starts at a "!#" or "!*" line
  // followed by its own title.
  for (int r = 0; r < 300; ++r) {
    if (r == 100 || r == 200) table += std::string(r == 100 ? "!#" : "!*") + "\r\nPlace,Sum\r\n";
    std::string first = word();
    if (rng() % 5 == 0) first = "\"" + first + "\"";
    table += first + "," + std::to_string(r) + ",x\r\n";
  }
  std::vector<std::string> keys = {"Tokyo", "Tokyo!", "Tok%o", "To&o", "T&", "50\\%", "a\\&b", "東京", "東%%",
                                   "表示", "&京", "大阪!", "Tok", "x\\\\y", "Sendai", "nowhere", "%", "&",
                                   "Tokyo0", "Osaka1", "ソ&ス"};
  for (int k = 0; k < 60; ++k) {
    std::string key = word();
    if (rng() % 3 == 0 && key.size() > 2 && static_cast<unsigned char>(key[0]) < 0x80) key[1] = '%';
    if (rng() % 3 == 0) key += "^P" + std::to_string(1 + rng() % 3);
    if (rng() % 4 == 0) key += "!";
    keys.push_back(key);
  }

  const fs::path dir = fs::path(TABRYE_BIN_ROOT) / "macro_address_oracle";
  fs::create_directories(dir);
  { std::ofstream(dir / "table.csv", std::ios::binary) << table; }
  {
    std::ofstream f(dir / "keys.txt", std::ios::binary);
    for (const auto& k : keys) f << k << "\n";
  }
  const std::string cmd = "python3 '" TABRYE_TEST_ROOT "/tests/macro/key_reference.py' '" + (dir / "table.csv").string() +
                          "' '" + (dir / "keys.txt").string() + "' > '" + (dir / "expected.txt").string() + "'";
  ASSERT_EQ(0, std::system(cmd.c_str())) << cmd;
  std::ifstream expected(dir / "expected.txt");

  auto st = std::make_unique<macro::MacroState>();
  auto tbl = std::make_unique<csv::Table>();
  ASSERT_TRUE(tbl->LoadFileText(table.data(), table.size(), 64));
  macrotest::TestHost host;
  macro::AddressScope sc{*st};
  sc.host = &host;
  sc.table = tbl.get();
  sc.text = tbl->m_pTextBuf;
  sc.length = tbl->m_nTextLen;
  for (const auto& key : keys) {
    long row = -1, col = -1;
    ASSERT_TRUE(expected >> row >> col) << key;
    const bool run = key.back() == '!';
    const std::string ref = run ? "[" + key.substr(0, key.size() - 1) + "]!" : "[" + key + "]";
    const std::string rowOut = macro::MacroParseRowData(sc, CString("&1@" + ref), 0).Str();
    EXPECT_EQ("&1@" + std::to_string(row ? row : macro::kAddressRowNotFound), rowOut) << key;
    if (run || key.find("^P") != std::string::npos) continue;
    host.answer = 1;
    const std::string colOut = macro::MacroParseRowData(sc, CString("&[" + key + "]"), 0).Str();
    EXPECT_EQ(col ? "&" + std::to_string(col) : std::string("&"), colOut) << key;
  }
}

}  // namespace
