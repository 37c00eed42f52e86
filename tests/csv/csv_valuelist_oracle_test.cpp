// The value list's counts against collections.Counter over the same column
// of a table that Python's csv module wrote (tests/csv/valuelist_reference.py):
// quoted values, doubled quotes, empty cells and multi-line cells, at the
// full width and grouped by 6 bytes.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "csv/csv_table.h"
#include "csv/csv_valuelist.h"
#include "support/outside_tool.h"

namespace fs = std::filesystem;

namespace {

std::string Hex(const std::string& s) {
  static const char* d = "0123456789abcdef";
  std::string h;
  for (unsigned char c : s) {
    h += d[c >> 4];
    h += d[c & 15];
  }
  return h;
}

TEST(CsvValueListOracle, CountsAgreeWithPythonsCounter) {
  REQUIRE_TOOLS("python3");
  const fs::path dir = fs::path(TABRYE_BIN_ROOT) / "csv_valuelist";
  fs::create_directories(dir);
  const std::string table = (dir / "t.csv").string();
  const std::string cmd = "python3 '" TABRYE_TEST_ROOT "/tests/csv/valuelist_reference.py' '" + table + "'";
  std::string ref;
  {
    FILE* p = popen(cmd.c_str(), "r");
    ASSERT_NE(nullptr, p);
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) ref.append(buf, n);
    ASSERT_EQ(0, pclose(p));
  }
  std::map<int, std::map<std::string, int>> want;
  std::istringstream in(ref);
  int width = 0, count = 0;
  std::string hex;
  while (in >> width >> hex >> count) want[width][hex] = count;
  ASSERT_EQ(2u, want.size());
  std::ifstream f(table, std::ios::binary);
  const std::string file((std::istreambuf_iterator<char>(f)), {});
  auto t = std::make_unique<csv::Table>();
  csv::CellBreakLoad breaks;
  ASSERT_TRUE(t->LoadFileText(file.data(), file.size(), 64, &breaks));
  EXPECT_GT(breaks.codes, 0u);  // the multi-line cells stayed in their rows
  for (int w : {100, 6}) {
    csv::ValueTable v;
    v.Build(t->m_pTextBuf, t->UsedLength(), 1, w);
    std::map<std::string, int> got;
    for (int i = 0; i < v.Used(); ++i) got[Hex(v.Text(i))] = v.Count(i);
    EXPECT_EQ(want[w], got) << "width " << w;
  }
}

}  // namespace
