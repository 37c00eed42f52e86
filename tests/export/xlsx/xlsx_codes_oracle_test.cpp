// A table written with format codes through the whole export run; openpyxl
// reads back what the codes ask for (tests/export/xlsx_codes_oracle.py):
// page setup, margins, view, tab colour, fonts, fills, borders and their
// colours, number formats, widths and row heights. The package checker and
// xmllint judge the parts. Native tree only.
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
    "Name^C%Rb,Qty^2_iw12,Price^c#BR\r\n"
    "apple,1200,3400\r\n"
    "pear^h30%RyI,5,6000\r\n"
    "plum^12h150%RyB,7,8\r\n"
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
}

}  // namespace
