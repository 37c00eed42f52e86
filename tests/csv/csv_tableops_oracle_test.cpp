// Row order, deletion, transpose and padding against Python's csv module: a
// CP932 table with quoted commas and doubled quotes, written as a
// spreadsheet program writes it (Python's csv writer); our result, saved in
// comma form, holds the records that Python computes for the same operation
// (tests/csv/tableops_reference.py).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>

#include "csv/csv_pad.h"
#include "csv/csv_rows.h"
#include "csv/csv_table.h"
#include "csv/csv_transpose.h"
#include "support/outside_tool.h"

namespace fs = std::filesystem;

namespace {

// Writes a table through Python's csv writer (minimal quoting, CR LF).
std::string WriteWithPython(const fs::path& path, const std::string& rowsLiteral) {
  // The literals are compiled as Shift-JIS text: the script says so.
  const std::string script = "# -*- coding: cp932 -*-\nimport csv\nrows = " + rowsLiteral +
                             "\nwith open(r'" + path.string() +
                             "', 'w', newline='', encoding='cp932') as f:\n    csv.writer(f).writerows(rows)\n";
  const fs::path py = path.string() + ".py";
  { std::ofstream(py) << script; }
  testsupport::RunCapture("python3 '" + py.string() + "'");
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

void Check(const std::string& op, const fs::path& source, const std::string& file,
           const std::function<int(csv::Table&)>& apply) {
  auto t = std::make_unique<csv::Table>();
  ASSERT_TRUE(t->LoadFileText(file.data(), file.size(), 64));
  ASSERT_EQ(0, apply(*t));
  const fs::path result = source.string() + "." + op + ".csv";
  { std::ofstream(result, std::ios::binary) << t->FileText(csv::CommaFormKind::kComma); }
  const std::string verdict = testsupport::RunCapture("python3 '" TABRYE_TEST_ROOT "/tests/csv/tableops_reference.py' " + op + " '" +
                                  source.string() + "' '" + result.string() + "'");
  EXPECT_EQ("same\n", verdict) << op;
}

// "rev", deleting rows 2-3 and the transpose of one file.
void CheckRowOperations(const fs::path& source, const std::string& file) {
  Check("rev", source, file, [](csv::Table& t) { return csv::CsvReorderRows(t, "rev", 0, nullptr); });
  Check("delete23", source, file, [](csv::Table& t) { return csv::CsvDeleteListedRows(t, "2-3", nullptr); });
  Check("transpose", source, file, [](csv::Table& t) { return csv::CsvTransposeTable(t, 0, nullptr); });
}

fs::path OracleDir() {
  // A folder per test: CTest runs the tests of this file at once.
  const fs::path dir =
      fs::path(TABRYE_BIN_ROOT) / "csv_tableops_oracle" / ::testing::UnitTest::GetInstance()->current_test_info()->name();
  fs::create_directories(dir);
  return dir;
}

TEST(CsvTableOpsOracle, RecordsAsPythonsCsvModuleComputesThem) {
  REQUIRE_TOOLS("python3");
  const fs::path dir = OracleDir();
  // Titles and five records: quoted commas, doubled quotes, Shift-JIS text
  // whose second bytes are ASCII (ソ, 表, ゼ, タ).
  const fs::path uniform = dir / "uniform.csv";
  const std::string a = WriteWithPython(
      uniform,
      "[['名前', 'メモ', '値'], ['ソース', 'a,b', '1'], ['表示', 'say \"hi\"', '2'], ['ゼロ', 'x', '3'],"
      " ['タ', 'p, \"q\"', '4'], ['e', '', '5']]");
  ASSERT_FALSE(a.empty());
  CheckRowOperations(uniform, a);
  const fs::path ragged = dir / "ragged.csv";
  const std::string b = WriteWithPython(
      ragged, "[['名前', 'メモ', '値', '備考'], ['ソース', 'a,b', '1', 'z'], ['表示'], ['ゼロ', 'x,\"y\"'], ['タ', 'p', '4', 'w']]");
  ASSERT_FALSE(b.empty());
  Check("pad", ragged, b, [](csv::Table& t) { return csv::CsvPadShortRows(t, "\"\"", 0, 0, nullptr); });
}

std::string Load(const std::string& file, csv::Table& t) {
  EXPECT_TRUE(t.LoadFileText(file.data(), file.size(), 64));
  return t.FileText(csv::CommaFormKind::kComma);
}

// Cells with line breaks (CR LF, and LF alone as a spreadsheet's Alt+Enter
// writes it) stay whole: one row per record, the file back byte for byte,
// and every operation gives the records Python computes.
TEST(CsvTableOpsOracle, MultiLineCellsStayWholeThroughLoadSaveAndOperations) {
  REQUIRE_TOOLS("python3");
  const fs::path dir = OracleDir();
  const fs::path lines = dir / "multiline.csv";
  const std::string a = WriteWithPython(
      lines,
      "[['名前', 'メモ', '値'], ['ソース', '一行目\\r\\n二行目', '1'], ['表示', 'alt\\nenter, \"q\"', '2'],"
      " ['ゼロ', 'x', '3\\n4'], ['タ', 'p, \"q\"', '4'], ['e', '\\n', '5']]");
  ASSERT_FALSE(a.empty());
  auto t = std::make_unique<csv::Table>();
  EXPECT_EQ(a, Load(a, *t));
  EXPECT_EQ(5, t->m_nLastRow);  // one row per record
  CheckRowOperations(lines, a);
  const fs::path ragged = dir / "multiline-ragged.csv";
  const std::string b = WriteWithPython(
      ragged, "[['名前', 'メモ', '値', '備考'], ['ソース', 'a\\r\\nb', '1', 'z'], ['表示\\n2'], ['ゼロ', 'x,\"y\"']]");
  ASSERT_FALSE(b.empty());
  Check("pad", ragged, b, [](csv::Table& t) { return csv::CsvPadShortRows(t, "\"\"", 0, 0, nullptr); });

  // Padded and transposed, the saved file opens in a spreadsheet program
  // with every multi-line cell whole.
  if (testsupport::HaveTool("soffice")) {
    auto c = std::make_unique<csv::Table>();
    Load(b, *c);
    ASSERT_EQ(0, csv::CsvPadShortRows(*c, "\"\"", 0, 0, nullptr));
    ASSERT_EQ(0, csv::CsvTransposeTable(*c, 0, nullptr));
    const fs::path saved = dir / "calc-in.csv";
    { std::ofstream(saved, std::ios::binary) << c->FileText(csv::CommaFormKind::kComma); }
    const fs::path out = dir / "calc-out";
    fs::remove_all(out);
    testsupport::RunCapture("HOME='" + (dir / "home").string() + "' soffice --headless --infilter=CSV:44,34,64 --convert-to "
        "'csv:Text - txt - csv (StarCalc):44,34,76' --outdir '" + out.string() + "' '" + saved.string() +
        "' >/dev/null 2>&1");
    EXPECT_EQ("same\n", testsupport::RunCapture("python3 '" TABRYE_TEST_ROOT "/tests/csv/tableops_reference.py' calc '" +
                            saved.string() + "' '" + (out / "calc-in.csv").string() + "'"));
  }

  // A stray quote in an unquoted cell, and a quoted field that never closes:
  // both come back byte for byte, and neither swallows the rows after it.
  std::string stray = a;
  stray.insert(stray.find("\"\"\",4") + 5, "5\"");
  auto s = std::make_unique<csv::Table>();
  EXPECT_EQ(stray, Load(stray, *s));
  EXPECT_EQ(5, s->m_nLastRow);
  const std::string open = a + "f,\"never\r\nclosed,9\r\ng,h\r\n";
  auto o = std::make_unique<csv::Table>();
  EXPECT_EQ(open, Load(open, *o));
  EXPECT_EQ(8, o->m_nLastRow);  // the open field's line ends stay row ends
}

}  // namespace
