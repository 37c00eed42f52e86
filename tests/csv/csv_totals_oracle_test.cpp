// The totals and the cross tabulation against outside judges, in one
// generated run (tests/csv/totals_reference.py): Python's csv module writes a
// CP932 table of 20,000 rows and its decimal module computes the totals of
// modes 0-3 and the two-key group summary; sqlite3 computes the same groups
// with GROUP BY on an integer copy (imported after iconv to UTF-8) and the
// cells of a two-level pivot with SUM(CASE WHEN ...) per column. The
// multi-line labels arrive whole.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "csv/csv_crosstab.h"
#include "csv/csv_table.h"
#include "csv/csv_totals.h"
#include "csv_test_util.h"
#include "support/outside_tool.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::vector<std::string>> Rows(const csv::Table& t) {
  std::vector<std::vector<std::string>> rows;
  for (const std::string& line : csvtest::SplitText(csvtest::Raw(t), "\r\n")) rows.push_back(csvtest::SplitText(line, "\x06"));
  return rows;
}

std::string Hex(const std::string& s) {
  static const char* d = "0123456789abcdef";
  std::string h;
  for (unsigned char c : s) h += std::string(1, d[c >> 4]) + d[c & 15];
  return h;
}

// A plain decimal text times 10^6 as an integer ("-12.5" -> -12500000).
std::int64_t Micro(const std::string& s) {
  bool neg = false;
  std::int64_t whole = 0, frac = 0;
  int places = -1;
  for (char c : s) {
    if (c == '-') neg = true;
    else if (c == '.') places = 0;
    else if (places < 0) whole = whole * 10 + (c - '0');
    else if (places < 6) frac = frac * 10 + (c - '0'), ++places;
  }
  for (int k = places < 0 ? 0 : places; k < 6; ++k) frac *= 10;
  const std::int64_t v = whole * 1000000 + frac;
  return neg ? -v : v;
}

std::unique_ptr<csv::Table> Load(const fs::path& p) {
  const std::string file = csvtest::ReadFileBytes(p);
  auto t = std::make_unique<csv::Table>();
  EXPECT_TRUE(t->LoadFileText(file.data(), file.size(), 64));
  return t;
}

class TotalsOracle : public ::testing::Test {
 protected:
  void SetUp() override {
    REQUIRE_TOOLS("python3", "sqlite3", "iconv");
    // A folder per test: CTest runs the tests of this fixture at once.
    dir = fs::path(TABRYE_BIN_ROOT) / "csv_totals_oracle" /
          ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::create_directories(dir);
    const std::string cmd = "python3 '" TABRYE_TEST_ROOT "/tests/csv/totals_reference.py' '" + dir.string() + "'";
    for (const std::string& line : csvtest::SplitText(testsupport::RunCapture(cmd), "\n")) {
      if (line.empty()) continue;
      (line[0] == 'L' ? labels : line[0] == 'G' ? summary : totals).push_back(line);
    }
    ASSERT_EQ(20000u, labels.size());
  }

  std::string Sql(const std::string& csvName, const std::string& query) {
    const fs::path utf8 = dir / (csvName + ".utf8");
    testsupport::RunCapture("iconv -f CP932 -t UTF-8 '" + (dir / csvName).string() + "' > '" + utf8.string() + "'");
    std::ofstream(dir / "q.sql", std::ios::binary)
        << ".mode csv\n.import '" << utf8.string() << "' t\n.mode list\n.separator ,\n" << query;
    return testsupport::RunCapture("sqlite3 :memory: < '" + (dir / "q.sql").string() + "'");
  }

  fs::path dir;
  std::vector<std::string> totals, summary, labels;
};

TEST_F(TotalsOracle, ModesAgreeWithPythonsDecimal) {
  std::vector<std::string> want[4];
  for (const std::string& line : totals) want[line[1] - '0'].push_back(line.substr(3));
  for (int mode = 0; mode < 4; ++mode) {
    auto t = Load(dir / "t.csv");
    csvtest::Recorder rec;
    ASSERT_EQ(0, csv::CsvTotals(*t, mode, 1, "3,4", &rec));
    csvtest::ExpectIndexesAgain(*t);
    const auto rows = Rows(*t);
    ASSERT_EQ(want[mode].size() + 1, rows.size()) << mode;
    for (std::size_t r = 1; r < rows.size(); ++r) {
      const std::string& w = want[mode][r - 1];
      const auto& f = rows[r];
      const std::string got = w[0] == 'D' ? "D " + f.back() : std::string(1, w[0]) + " " + f[2] + " " + f[3] + " " + f.back();
      ASSERT_EQ(w, got) << "mode " << mode << " row " << r;
      if (mode == 0 && w[0] == 'D') ASSERT_EQ(labels[r - 1], "L " + Hex(f[4])) << r;
    }
  }
}

TEST_F(TotalsOracle, GroupSummaryAgreesWithDecimalAndSqlite) {
  auto t = Load(dir / "t.csv");
  csvtest::Recorder rec;
  ASSERT_EQ(0, csv::CsvCrossTabulate(*t, 2, 0, 0, 0, "", 0, &rec));
  csvtest::ExpectIndexesAgain(*t);
  const auto rows = Rows(*t);
  ASSERT_EQ(summary.size() + 1, rows.size());
  std::vector<std::string> groups, outers;
  for (std::size_t r = 1; r < rows.size(); ++r) {
    const auto& f = rows[r];
    ASSERT_EQ(6u, f.size());
    ASSERT_EQ(summary[r - 1], "G " + f[2] + " " + f[3] + " " + f[4] + " " + f[5]);
    const std::string ints = f[2] + "," + std::to_string(Micro(f[3]));
    if (r + 1 == rows.size()) EXPECT_EQ("Total", f[0]);
    else (f[1] == "--total--" ? outers : groups).push_back(ints);
  }
  // The counts: every group's qty cells, counted.
  auto c = Load(dir / "t.csv");
  ASSERT_EQ(0, csv::CsvCrossTabulate(*c, 2, 0, 1, 0, "", 0, &rec));
  std::vector<std::string> counts;
  for (const auto& f : Rows(*c)) {
    if (f.size() > 2 && f[1] != "--total--" && f[0] != "Total" && f[0] != "branch") counts.push_back(f[2]);
  }
  const auto sq = csvtest::SplitText(Sql("ints.csv",
                            "SELECT COUNT(*), SUM(qty), SUM(amount) FROM t GROUP BY branch, item ORDER BY MIN(rowid);\n"
                            "SELECT '-';\n"
                            "SELECT SUM(qty), SUM(amount) FROM t GROUP BY branch ORDER BY MIN(rowid);\n"
                            "SELECT '-';\n"
                            "SELECT SUM(qty), SUM(amount) FROM t;\n"),
                        "\n");
  std::size_t k = 0;
  ASSERT_EQ(groups.size() + outers.size() + 1 + 2, sq.size() - 1);  // "-" lines, then a final empty piece
  for (std::size_t g = 0; g < groups.size(); ++g, ++k) {
    const std::string& line = sq[k];
    const std::size_t comma = line.find(',');
    EXPECT_EQ(counts[g], line.substr(0, comma));
    EXPECT_EQ(groups[g], line.substr(comma + 1));
  }
  EXPECT_EQ("-", sq[k++]);
  for (const std::string& o : outers) EXPECT_EQ(o, sq[k++]);
  EXPECT_EQ("-", sq[k++]);
  const auto& last = rows.back();
  EXPECT_EQ(last[2] + "," + std::to_string(Micro(last[3])), sq[k]);
}

TEST_F(TotalsOracle, PivotCellsAgreeWithSqlite) {
  auto t = Load(dir / "pivot.csv");
  csvtest::Recorder rec;
  ASSERT_EQ(0, csv::CsvCrossTabulate(*t, 1, 2, 0, 0, "N500", 500, &rec));
  csvtest::ExpectIndexesAgain(*t);
  const auto rows = Rows(*t);
  const auto& head = rows[0];
  // The column blocks: each outer group's items, then its "total".
  std::vector<std::pair<std::size_t, std::size_t>> blocks;
  std::size_t from = 1;
  for (std::size_t c = 1; c < head.size(); ++c) {
    if (head[c] == "total") {
      blocks.push_back({from, c});
      from = c + 1;
    }
  }
  ASSERT_EQ(rows.size() - 2, blocks.size());
  ASSERT_EQ("-", head[head.size() - 1]);
  // One query, a SUM(CASE WHEN ...) column per item heading of the table.
  std::map<std::string, std::size_t> itemCol;
  std::string q = "SELECT branch, SUM(qty)";
  for (std::size_t c = 1; c < head.size(); ++c) {
    if (head[c] == "total" || head[c] == "-" || itemCol.count(head[c])) continue;
    const std::size_t at = itemCol.size();
    itemCol[head[c]] = at;
    q += ", SUM(CASE WHEN item = '" + head[c] + "' THEN qty ELSE 0 END)";
  }
  q += " FROM t GROUP BY branch ORDER BY MIN(rowid);\n";
  {
    std::ofstream(dir / "q932.sql", std::ios::binary) << q;
  }
  testsupport::RunCapture("iconv -f CP932 -t UTF-8 '" + (dir / "q932.sql").string() + "' > '" +
                          (dir / "q8.sql").string() + "'");
  const auto sq = csvtest::SplitText(Sql("pivot.csv", csvtest::ReadFileBytes(dir / "q8.sql")), "\n");
  ASSERT_EQ(blocks.size() + 1, sq.size());
  for (std::size_t g = 0; g < blocks.size(); ++g) {
    const auto& row = rows[g + 1];
    const auto want = csvtest::SplitText(sq[g], ",");
    ASSERT_EQ(head.size(), row.size());
    for (std::size_t c = 1; c < row.size(); ++c) {
      std::string expect = "0";
      if (c >= blocks[g].first && c < blocks[g].second) expect = want[2 + itemCol[head[c]]];
      else if (c == blocks[g].second || c + 1 == row.size()) expect = want[1];
      EXPECT_EQ(expect, row[c]) << g << " " << c;
    }
  }
}

}  // namespace
