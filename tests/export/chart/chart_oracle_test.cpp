// Workbooks with one chart of every kind, written by the whole export run
// from generated tables, judged by outside tools (chart_oracle.py): xmllint
// on every chart and drawing part, the package checker, and openpyxl, which
// finds each chart with its series and title; LibreOffice's ODS of each
// shows the chart class of its kind, and its PDF every title and the colours
// of the Auto-coloured bars. Native tree only (Debian's /usr/bin/python3);
// CTest label "oracle".
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

const std::string kScript = "/usr/bin/python3 '" TABRYE_TEST_ROOT "/tests/export/chart/chart_oracle.py' ";

// Writes the corpus into `dir` (emptied first) and exports every table
// through the whole run; the case names.
std::vector<std::string> ExportCorpus(const fs::path& dir) {
  fs::remove_all(dir);
  std::istringstream cases(testsupport::RunCapture(kScript + "corpus '" + dir.string() + "'"));
  std::vector<std::string> names;
  for (std::string name; cases >> name;) names.push_back(name);
  testsupport::TempProgramFolder program;
  for (const std::string& name : names) {
    const std::string csv = testsupport::ReadFileBytes(dir / (name + ".csv"));
    csv::Table table;
    EXPECT_TRUE(table.LoadFileText(csv.data(), csv.size(), 16)) << name;
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
    EXPECT_EQ(2u, run.XlsxChartSlots[1]) << name;
  }
  return names;
}

TEST(ChartOracle, EveryChartKindIsReadByTheOutsideTools) {
  if (std::system("/usr/bin/python3 -c 'import openpyxl, lxml' >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "python modules missing: openpyxl, lxml";
  REQUIRE_TOOLS("unzip", "xmllint");
  const fs::path dir = fs::path(TABRYE_BIN_ROOT) / "chart_oracle";
  EXPECT_EQ(17u, ExportCorpus(dir).size());
  EXPECT_EQ("", testsupport::RunCapture(kScript + "check '" + dir.string() + "' 2>&1"));
}

// LibreOffice reads each chart as its kind (surfaces as bar charts, having
// none of its own), with its series and its title.
TEST(ChartOracle, LibreOfficeReadsEveryChartAsItsKind) {
  REQUIRE_TOOLS("soffice");
  const fs::path dir = fs::path(TABRYE_BIN_ROOT) / "chart_oracle_ods";
  EXPECT_EQ(17u, ExportCorpus(dir).size());
  EXPECT_EQ("", testsupport::RunCapture(kScript + "odscheck '" + dir.string() + "' 2>&1"));
}

// LibreOffice prints every workbook to PDF in one run: pdftotext finds each
// title, and the page of the Auto-coloured bar chart, rasterised by
// pdftoppm, has green, blue and red bars (in that order) inside the plot
// area the chart part lays out, where a black-filled chart has none. What
// LibreOffice prints differently (surfaces, the marker radar, hollow
// markers, charts over two pages) is written down in the script.
TEST(ChartOracle, LibreOfficePrintsEveryTitleAndTheAutoColours) {
  if (std::system("/usr/bin/python3 -c 'import PIL' >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "python module missing: PIL";
  REQUIRE_TOOLS("soffice", "pdftotext", "pdftoppm");
  const fs::path dir = fs::path(TABRYE_BIN_ROOT) / "chart_oracle_pdf";
  EXPECT_EQ(17u, ExportCorpus(dir).size());
  EXPECT_EQ("", testsupport::RunCapture(kScript + "pdfcheck '" + dir.string() + "' 2>&1"));
}

}  // namespace
