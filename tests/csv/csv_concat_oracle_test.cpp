// The column append and the vertical concatenation against Python's csv
// module (tests/csv/concat_reference.py): the script writes the CP932 files
// of each case, the result is saved in comma form, and the script reads it
// back and compares it with the rows the operation must give.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "concat_titles.h"
#include "csv/csv_appendcols.h"
#include "csv/csv_concat.h"
#include "csv/csv_otherfile.h"
#include "csv_test_util.h"
#include "support/outside_tool.h"

namespace fs = std::filesystem;

namespace {

TEST(ConcatOracle, AgreesWithPythonCsv) {
  REQUIRE_TOOLS("python3");
  const fs::path dir = fs::path(TABRYE_BIN_ROOT) / "csv_concat_oracle";
  fs::create_directories(dir);
  const std::string script = "python3 '" TABRYE_TEST_ROOT "/tests/csv/concat_reference.py' ";
  testsupport::RunCapture(script + "gen '" + dir.string() + "'");
  std::size_t ran = 0;
  for (const std::string& line : csvtest::SplitText(csvtest::ReadFileBytes(dir / "cases.txt"), "\n")) {
    if (line.empty()) continue;
    const auto f = csvtest::SplitText(line, "|");
    ASSERT_EQ(4u, f.size());
    SCOPED_TRACE(f[0]);
    const std::string table = csvtest::ReadFileBytes(dir / ("t_" + f[0] + ".csv"));
    csv::Table t;
    ASSERT_TRUE(t.LoadFileText(table.data(), table.size(), 16));
    csv::FileSource src;
    ASSERT_TRUE(src.Open((dir / ("o_" + f[0] + ".csv")).string().c_str()));
    csvtest::Recorder host;
    if (f[1] == "append") {
      ASSERT_EQ(csv::AppendResult::kDone, csv::CsvAppendColumns(t, src, &host));
    } else {
      csv::ConcatArgs args;
      args.skipLines = std::stoi(f[2]);
      args.sourceMode = std::stoi(f[3]);
      ASSERT_EQ(csv::ConcatResult::kDone,
                csv::CsvConcatVertical(t, args, src, csvtest::TitleResolver(), &host));
    }
    EXPECT_TRUE(host.calls.empty());
    csvtest::ExpectIndexesAgain(t);
    std::ofstream(dir / (f[0] + ".out.csv"), std::ios::binary) << t.FileText(csv::CommaFormKind::kComma);
    ++ran;
  }
  EXPECT_GE(ran, 9u);
  const std::string verdict = testsupport::RunCapture(script + "check '" + dir.string() + "'");
  csvtest::ExpectAllVerdictsOk(verdict, ran);
}

}  // namespace
