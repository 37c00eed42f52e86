// Charts in the spreadsheet export of the running program: "savexls" of a
// sales table with a bar chart block and a pie chart block writes both chart
// parts, one drawing with two anchors and their relationships; a data line
// naming a sheet that does not exist shows "No exist sheet 'x'" once in the
// run, however often it is named.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>

#include "archive/arc_state.h"
#include "archive/extract_target.h"
#include "archive/zip_extract.h"
#include "fw/uihooks.h"
#include "macro/macro_run.h"
#include "macro_shell_fixture.h"
#include "package_members.h"
#include "support/file_bytes.h"
#include "view/dvkview.h"

namespace {

// 売上 by month (月) for 東 and 西; a clustered bar chart with a title
// (売上推移), a legend and two series, then a pie of the first column with
// percent labels.
const std::string kSales =
    "\x8C\x8E,\x93\x8C,\x90\xBC\r\n"
    "1,10,20\r\n"
    "2,12,18\r\n"
    "3,15,22\r\n"
    "4,11,25\r\n";
const std::string kCharts =
    "!$\r\n"
    "graph,Bar,,10,120,400,300\r\n"
    "title,12,\x94\x84\x8F\xE3\x90\x84\x88\xDA\r\n"
    "zname,\x93\x8C^\x90\xBC\r\n"
    "sampl,1\r\n"
    "data,B2:B5\r\n"
    "data,C2:C5\r\n"
    "!$\r\n"
    "graph,Pie,,420,120,300,300\r\n"
    "title,12,East\r\n"
    "zlabel,YP\r\n"
    "data,B2:B5\r\n";

class ChartExportRunTest : public shelltest::MacroShellTest {
 protected:
  int RunFile(CDvkView* v, const std::string& text) {
    const std::string path = File("m.rmc");
    testsupport::WriteFileBytes(path, text);
    return v->RunMacro(macro::kRunFile, path.c_str(), "", "");
  }
  static std::map<std::string, std::string> Members(const std::string& path) { return shelltest::PackageMembers(path); }
};

TEST_F(ChartExportRunTest, SaveXlsWritesBothChartsIntoOneDrawing) {
  CDvkView* v = OpenTable(kSales + kCharts, "sales.csv");
  ASSERT_NE(nullptr, v);
  EXPECT_EQ(1, RunFile(v, "\tsavexls\t" + File("sales.xlsx") + "\r\n"));
  EXPECT_TRUE(fw::hooks::Unexpected().empty());
  std::map<std::string, std::string> m = Members(File("sales.xlsx"));
  ASSERT_FALSE(m.empty());
  const std::string bar = m["xl/charts/chart1.xml"], pie = m["xl/charts/chart2.xml"];
  EXPECT_NE(std::string::npos, bar.find("<c:barChart>")) << bar.substr(0, 400);
  EXPECT_NE(std::string::npos, bar.find("\xE5\xA3\xB2\xE4\xB8\x8A"));  // 売上 as UTF-8
  EXPECT_NE(std::string::npos, pie.find("<c:pieChart>")) << pie.substr(0, 400);
  const std::string drawing = m["xl/drawings/drawing1.xml"];
  EXPECT_NE(std::string::npos, drawing.find("r:id=\"rId1\""));
  EXPECT_NE(std::string::npos, drawing.find("r:id=\"rId2\""));
  EXPECT_NE(std::string::npos, m["xl/drawings/_rels/drawing1.xml.rels"].find("../charts/chart2.xml"));
  EXPECT_NE(std::string::npos, m["[Content_Types].xml"].find("/xl/charts/chart2.xml"));
  EXPECT_NE(std::string::npos, m["xl/worksheets/sheet1.xml"].find("<drawing r:id=\"rId2\"/>"));
}

TEST_F(ChartExportRunTest, AMissingSheetIsReportedOnce) {
  const std::string charts =
      "!$\r\ngraph,Bar,,10,120,400,300\r\ndata,!x.B2:B5\r\ndata,!x.C2:C5\r\n"
      "!$\r\ngraph,Line,,420,120,300,300\r\ndata,!x.B2:B5\r\n";
  CDvkView* v = OpenTable(kSales + charts, "missing.csv");
  ASSERT_NE(nullptr, v);
  fw::hooks::ExpectMessageBox("No exist sheet 'x'", IDOK);
  EXPECT_EQ(1, RunFile(v, "\tsavexls\t" + File("missing.xlsx") + "\r\n"));
  EXPECT_TRUE(fw::hooks::Unused().empty());
  EXPECT_TRUE(fw::hooks::Unexpected().empty()) << fw::hooks::Unexpected().front();
  std::map<std::string, std::string> m = Members(File("missing.xlsx"));
  EXPECT_FALSE(m["xl/charts/chart1.xml"].empty());
  EXPECT_FALSE(m["xl/charts/chart2.xml"].empty());
}

}  // namespace
