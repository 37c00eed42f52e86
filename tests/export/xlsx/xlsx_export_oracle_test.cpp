// Generated tables through the whole export run into real .xlsx files,
// judged by outside tools (tests/export/xlsx_oracle.py): unzip -t, Python's
// zipfile, xmllint on every part, the package checker, openpyxl's values
// and types against the tables, LibreOffice's CSV of every sheet, and
// LibreOffice's PDF of the first package read back by pdftotext. The
// tables: one block; three blocks ordered by a "$$" line; 255 blocks; 2,000
// rows of 30 mixed cells with Japanese text and the code page's extension
// characters. Native tree only (Debian's /usr/bin/python3); CTest label
// "oracle".
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "archive/arc_state.h"
#include "archive/zip_writer.h"
#include "csv/csv_table.h"
#include "export/xlsx/xlsx_export.h"
#include "export/xlsx/xlsx_run.h"
#include "fw/path.h"
#include "support/file_bytes.h"
#include "support/outside_tool.h"
#include "export/xlsx_oracle_host.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

using xlsxtest::OracleHost;

const std::string kScript = "/usr/bin/python3 '" TABRYE_TEST_ROOT "/tests/export/xlsx_oracle.py' ";

// Writes the generated tables into `dir` (emptied first); their case names
// in the corpus's order.
std::vector<std::string> WriteCorpus(const fs::path& dir) {
  fs::remove_all(dir);
  std::istringstream cases(testsupport::RunCapture(kScript + "corpus '" + dir.string() + "'"));
  std::vector<std::string> names;
  for (std::string name; cases >> name;) names.push_back(name);
  return names;
}

// Exports `dir`/`name`.csv to `dir`/`name`.xlsx through the whole run.
void ExportCase(const fs::path& dir, const std::string& name, const testsupport::TempProgramFolder& program) {
  const std::string csv = testsupport::ReadFileBytes(dir / (name + ".csv"));
  ASSERT_FALSE(csv.empty()) << name;
  csv::Table table;
  ASSERT_TRUE(table.LoadFileText(csv.data(), csv.size(), 16)) << name;
  xlsx::XlsxRun run;
  xlsx::XlsxRunInput in;
  in.table = &table;
  in.programDir = program.Path().c_str();
  in.target = (dir / (name + ".xlsx")).string().c_str();
  OracleHost host;
  EXPECT_EQ(0, xlsx::XlsxWritePackageRun(run, in, host)) << name;
  std::string said;
  for (const std::string& m : host.messages) said += m + "\n";
  EXPECT_EQ("", said) << name;
}

TEST(XlsxExportOracle, GeneratedTablesBecomeWorkbooksOutsideToolsAccept) {
  if (std::system("/usr/bin/python3 -c 'import openpyxl, lxml' >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "python modules missing: openpyxl, lxml";
  REQUIRE_TOOLS("unzip", "xmllint", "soffice");
  const fs::path dir = fs::path(TABRYE_BIN_ROOT) / "xlsx_export_oracle";
  testsupport::TempProgramFolder program;
  const std::vector<std::string> names = WriteCorpus(dir);
  for (const std::string& name : names) ExportCase(dir, name, program);
  EXPECT_EQ(4u, names.size());
  EXPECT_EQ("", testsupport::RunCapture(kScript + "check '" + dir.string() + "' 2>&1"));
}

// The first package printed by LibreOffice: its PDF pages, read back by
// pdftotext, show every Japanese cell of the first sheet (the code page's
// extension characters included), as often as the sheet holds it.
TEST(XlsxExportOracle, LibreOfficePdfShowsTheJapaneseCellsOfTheFirstSheet) {
  REQUIRE_TOOLS("soffice", "pdftotext");
  const fs::path dir = fs::path(TABRYE_BIN_ROOT) / "xlsx_export_pdf";
  testsupport::TempProgramFolder program;
  const std::vector<std::string> names = WriteCorpus(dir);
  ASSERT_FALSE(names.empty());
  ExportCase(dir, names.front(), program);
  EXPECT_EQ("", testsupport::RunCapture("sh '" TABRYE_TEST_ROOT "/tests/export/xlsx_pdf_check.sh' '" + dir.string() +
                                        "' '" + names.front() + "' 2>&1"));
}

}  // namespace
