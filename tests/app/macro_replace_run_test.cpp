// Replace macros in the running program: a ".rmc" of "rep:" statements run
// over a CSV file shown in the view changes exactly the addressed cells and
// pane 0 ends with the run's total; on plain text the statement replaces in
// the shown text and counts nothing.
#include <gtest/gtest.h>

#include <string>

#include "csv/csv_table.h"
#include "macro/macro_run.h"
#include "macro_shell_fixture.h"
#include "macro/macro_state.h"
#include "support/file_bytes.h"
#include "support/pump.h"
#include "view/dvkview.h"

namespace {

// Shift-JIS: 東京, 大阪, 都.
#define TOKYO "\x93\x8c\x8b\x9e"
#define OSAKA "\x91\xe5\x8d\xe3"
#define TO "\x93\x73"

class MacroReplaceRun : public shelltest::MacroShellTest {};

TEST_F(MacroReplaceRun, ARmcOfReplaceStatementsOverAShownCsv) {
  CDvkView* v = OpenTable("code,name,city\r\n1," TOKYO "," TOKYO TO "\r\n2," OSAKA "," TOKYO "\r\n!," TOKYO
                          ",x\r\n3,abc,ABC\r\n4,a\\bc,abcabc\r\n");
  ASSERT_NE(nullptr, v);
  const std::string rmc = File("rep.rmc");
  testsupport::WriteFileBytes(rmc, "// replace macro\r\n"
                                   "\trep:&2:" TOKYO "\t" OSAKA "\r\n"
                                   "\trep:&@1_:abc\tXYZ\r\n"
                                   "\trep:&3@2_3:" TOKYO "\tNULL\r\n"
                                   "\treplace:&1@5:3\t\\t\r\n");
  EXPECT_EQ(macro::kRunEnded, v->RunMacro(macro::kRunFile, rmc.c_str(), "", ""));
  // Column 2 from the line after the title; every line for "abc" (the "!"
  // line excepted); rows 2-3 of column 3; a TAB replacement splits a cell.
  EXPECT_EQ("code,name,city\r\n1," OSAKA "," TO "\r\n2," OSAKA ",\r\n!," TOKYO ",x\r\n,,XYZ,ABC\r\n4,a\\bc,XYZXYZ\r\n",
            v->m_table.FileText(csv::CommaFormKind::kComma));
  EXPECT_EQ("macro end   total replace = 7", Pane0());
  // The table shown again after the run leaves the total in pane 0.
  testsupport::PumpFor(300);
  EXPECT_EQ("macro end   total replace = 7", Pane0());
  EXPECT_EQ(3u, v->m_table.m_nFieldCount);  // the fields of the title line
  EXPECT_EQ(5, v->m_table.m_nLastRow);  // rows - 1
}

TEST_F(MacroReplaceRun, OnPlainTextTheShownTextIsReplacedAndNothingCounted) {
  CDvkView* v = Open("plain.txt", "abc\r\nxabc\r\n");
  ASSERT_NE(nullptr, v);
  const std::string rmc = File("rep.rmc");
  testsupport::WriteFileBytes(rmc, "\trep:&@0:abc\tQ\r\n");
  EXPECT_EQ(macro::kRunEnded, v->RunMacro(macro::kRunFile, rmc.c_str(), "", ""));
  const std::string shown = v->StreamOut(SF_TEXT | SF_USECODEPAGE | (932 << 16));
  EXPECT_NE(std::string::npos, shown.find("xQ")) << shown;
  EXPECT_EQ(std::string::npos, shown.find("abc")) << shown;
  EXPECT_EQ("macro end   total replace = 0", Pane0());
}

}  // namespace
