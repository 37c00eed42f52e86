// A table written with format codes through the whole export run; openpyxl
// reads back what the codes ask for (tests/export/xlsx_codes_oracle.py):
// page setup, margins, view, tab colour, fonts, fills, borders and their
// colours, number formats, widths, row heights, hidden and outlined columns
// and page breaks. The package checker and xmllint judge the parts. Native tree only.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "csv/csv_table.h"
#include "export/xlsx/xlsx_export.h"
#include "export/xlsx/xlsx_run.h"
#include "export/xlsx_oracle_host.h"
#include "support/outside_tool.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

const char kTable[] =
    "XLxA4H%80L20R25#A_R%5$vB3$C4:Sales\r\n"
    "Name^C%Rb,Qty^2_iw12,Price^c#BRP,Note^E,Group^Z2\r\n"
    "apple,1200,3400,n1,g1\r\n"
    "pear^h30%RyI,5,6000,n2,g2\r\n"
    "plum^12h150%RyB,7,8,n3,g3\r\n"
    "kiwi^P%GbUS8,9,10,n4,g4\r\n"
    "!*Stock^S^\r\n"
    "Item,Count\r\n"
    "x,3\r\n";

TEST(XlsxCodesOracle, OpenpyxlReadsWhatTheCodesAskFor) {
  if (std::system("/usr/bin/python3 -c 'import openpyxl' >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "python module missing: openpyxl";
  testsupport::TempProgramFolder program;
  const fs::path book = fs::path(program.Path()) / "codes.xlsx";
  csv::Table table;
  ASSERT_TRUE(table.LoadFileText(kTable, sizeof kTable - 1, 16));
  xlsx::XlsxRun run;
  xlsx::XlsxRunInput in;
  in.table = &table;
  in.programDir = program.Path().c_str();
  in.target = book.string().c_str();
  xlsxtest::OracleHost host;
  ASSERT_EQ(0, xlsx::XlsxWritePackageRun(run, in, host));
  EXPECT_TRUE(host.messages.empty());
  ASSERT_TRUE(fs::exists(book));
  EXPECT_EQ("", testsupport::RunCapture("/usr/bin/python3 '" TABRYE_TEST_ROOT "/tests/export/xlsx_codes_oracle.py' '" +
                                        book.string() + "' 2>&1"));
  EXPECT_EQ("", testsupport::RunCapture("/usr/bin/python3 '" TABRYE_TEST_ROOT "/tests/export/xlsx_check.py' '" +
                                        book.string() + "' 2>&1"));
  if (std::system("command -v xmllint >/dev/null 2>&1 && command -v unzip >/dev/null 2>&1") == 0) {
    for (const char* part : {"xl/worksheets/sheet1.xml", "xl/worksheets/sheet2.xml", "xl/styles.xml"})
      EXPECT_EQ("", testsupport::RunCapture("unzip -p '" + book.string() + "' " + part + " | xmllint --noout - 2>&1"))
          << part;
  }
}

}  // namespace
