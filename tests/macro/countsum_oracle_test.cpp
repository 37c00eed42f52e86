// "count2" over a table against Python's collections.Counter: the group
// summary's count of every group (the key in column 1, the count beside it)
// equals the Counter over column 2 of the same file
// (tests/macro/countsum_reference.py writes both).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "macro/macro_run.h"
#include "run_fixture.h"
#include "support/outside_tool.h"

namespace fs = std::filesystem;

namespace {

const std::string kScript = TABRYE_TEST_ROOT "/tests/macro/countsum_reference.py";

std::string ReadAll(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

class CountOracle : public macrotest::RunFixture<> {
 protected:
  CountOracle() : RunFixture(33) {}
};

TEST_F(CountOracle, GroupCountsEqualPythonsCounter) {
  REQUIRE_TOOLS("python3");
  const fs::path dir = fs::path(TABRYE_BIN_ROOT) / "macro_count_oracle";
  fs::create_directories(dir);
  for (int seed : {3118, 17, 2026}) {
    const fs::path csvPath = dir / ("table_" + std::to_string(seed) + ".csv");
    const fs::path countsPath = dir / ("counts_" + std::to_string(seed) + ".txt");
    const std::string cmd = "python3 '" + kScript + "' " + std::to_string(seed) + " 3000 '" + csvPath.string() +
                            "' '" + countsPath.string() + "'";
    ASSERT_EQ(0, std::system(cmd.c_str())) << cmd;
    const std::string file = ReadAll(csvPath);
    ASSERT_TRUE(table.LoadFileText(file.data(), file.size(), 64));
    table.m_nCurLine = 1;
    host.reports.clear();
    EXPECT_EQ(macro::kRunEnded, RunDocument("\tcount2\r\n"));
    EXPECT_TRUE(host.reports.empty()) << host.reports[0];
    // The summary: a title row, one row per group, a "Total" row.
    const std::string text(reinterpret_cast<const char*>(table.m_pTextBuf), table.m_nTextLen);
    std::map<std::string, std::string> got;
    std::size_t at = text.find("\r\n");
    ASSERT_NE(std::string::npos, at);
    at += 2;
    while (at < text.size()) {
      std::size_t end = text.find("\r\n", at);
      if (end == std::string::npos) end = text.size();
      const std::string row = text.substr(at, end - at);
      at = end + 2;
      const std::size_t s1 = row.find('\x06');
      ASSERT_NE(std::string::npos, s1) << row;
      const std::size_t s2 = row.find('\x06', s1 + 1);
      const std::string key = row.substr(0, s1);
      if (key == "Total") continue;
      got[key] = row.substr(s1 + 1, s2 == std::string::npos ? std::string::npos : s2 - s1 - 1);
    }
    std::map<std::string, std::string> want;
    std::ifstream counts(countsPath);
    std::string line;
    while (std::getline(counts, line)) {
      const std::size_t tab = line.find('\t');
      want[line.substr(0, tab)] = line.substr(tab + 1);
    }
    EXPECT_EQ(want, got) << "seed " << seed;
  }
}

}  // namespace
