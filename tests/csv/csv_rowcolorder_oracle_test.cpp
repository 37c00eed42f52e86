// The row and column orders against Python's csv module: a CP932 table with
// quoted commas, doubled quotes and a multi-line cell, written by Python's
// csv writer; "3,1,*" with "rev", saved in comma form, holds the records
// Python computes (tests/csv/rowcol_reference.py).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "csv/csv_rowcolorder.h"
#include "csv/csv_table.h"
#include "support/outside_tool.h"

namespace fs = std::filesystem;

namespace {

TEST(RowColOrdersOracle, ColumnsThenReversedRowsAsPythonComputesThem) {
  REQUIRE_TOOLS("python3");
  const fs::path dir = fs::path(TABRYE_BIN_ROOT) / "csv_rowcolorder_oracle";
  fs::create_directories(dir);
  const fs::path source = dir / "source.csv";
  const fs::path script = dir / "write.py";
  {
    std::ofstream(script) << "# -*- coding: cp932 -*-\nimport csv\n"
                             "rows = [['名前', 'メモ', '値', '区分'], ['ソース', 'a,b', '1', 'x'],"
                             " ['表示', 'say \"hi\"', '2', 'y'], ['ゼロ', 'line1\\r\\nline2', '3', 'z'],"
                             " ['タ', 'p, \"q\"', '4', 'w'], ['e', '', '5', '']]\n"
                             "with open(r'"
                          << source.string()
                          << "', 'w', newline='', encoding='cp932') as f:\n    csv.writer(f).writerows(rows)\n";
  }
  testsupport::RunCapture("python3 '" + script.string() + "'");
  std::ifstream in(source, std::ios::binary);
  const std::string file((std::istreambuf_iterator<char>(in)), {});
  ASSERT_FALSE(file.empty());
  auto t = std::make_unique<csv::Table>();
  ASSERT_TRUE(t->LoadFileText(file.data(), file.size(), 64));
  ASSERT_EQ(0, csv::ApplyRowColOrders(*t, "3,1,*", "rev", nullptr));
  const fs::path result = dir / "result.csv";
  { std::ofstream(result, std::ios::binary) << t->FileText(csv::CommaFormKind::kComma); }
  EXPECT_EQ("same\n", testsupport::RunCapture("python3 '" TABRYE_TEST_ROOT "/tests/csv/rowcol_reference.py' '" +
                                              source.string() + "' '" + result.string() + "'"));
}

}  // namespace
