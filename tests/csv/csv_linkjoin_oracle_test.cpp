// The link join against sqlite3 (tests/csv/linkjoin_reference.py): Python's
// csv module writes the CP932 files of each case, the join's result is saved
// in comma form, and the script reads it back with the csv module and
// compares it with the rows sqlite3 gives for the same join: the last other
// row of each key, "s", "b", "e", the longest prefix and its "nbk" count,
// range keys, L = 2, the column selection with "!" and "#".
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "csv/csv_linkjoin.h"
#include "csv/csv_otherfile.h"
#include "csv/csv_table.h"
#include "csv_test_util.h"
#include "support/outside_tool.h"

namespace fs = std::filesystem;

namespace {

struct NoEsc : csvtest::Recorder, csv::LinkJoinHost {
  int ReportMessage(int code, const CString& text) override { return csvtest::Recorder::ReportMessage(code, text); }
  bool PollEscape(const std::string&) override { return false; }
};

TEST(LinkJoinOracle, AgreesWithSqlite) {
  REQUIRE_TOOLS("python3");
  const fs::path dir = fs::path(TABRYE_BIN_ROOT) / "csv_linkjoin_oracle";
  fs::create_directories(dir);
  const std::string script = "python3 '" TABRYE_TEST_ROOT "/tests/csv/linkjoin_reference.py' ";
  testsupport::RunCapture(script + "gen '" + dir.string() + "'");
  const std::vector<std::string> cases = csvtest::SplitText(csvtest::ReadFileBytes(dir / "cases.txt"), "\n");
  ASSERT_GE(cases.size(), 14u);
  std::size_t ran = 0;
  for (const std::string& line : cases) {
    if (line.empty()) continue;
    const auto f = csvtest::SplitText(line, "|");
    ASSERT_EQ(7u, f.size());
    SCOPED_TRACE(f[0]);
    const std::string table = csvtest::ReadFileBytes(dir / ("t_" + f[0] + ".csv"));
    csv::Table t;
    ASSERT_TRUE(t.LoadFileText(table.data(), table.size(), 16));
    csv::LinkJoinArgs args;
    args.option1 = f[1].empty() ? 0 : f[1][0];
    args.option2 = f[2].empty() ? 0 : f[2][0];
    args.otherColumns = f[3];
    args.keyColumn = std::stoi(f[4]);
    args.otherKeyColumn = std::stoi(f[5]);
    args.insertBefore = std::stoi(f[6]);
    csv::FileSource src;
    ASSERT_TRUE(src.Open((dir / ("o_" + f[0] + ".csv")).string().c_str()));
    NoEsc host;
    ASSERT_EQ(0, csv::CsvLinkJoin(t, src, args, &host));
    EXPECT_TRUE(host.calls.empty());
    csvtest::ExpectIndexesAgain(t);
    std::ofstream(dir / (f[0] + ".out.csv"), std::ios::binary) << t.FileText(csv::CommaFormKind::kComma);
    ++ran;
  }
  const std::string verdict = testsupport::RunCapture(script + "check '" + dir.string() + "'");
  csvtest::ExpectAllVerdictsOk(verdict, ran);
}

}  // namespace
