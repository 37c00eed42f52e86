// "#" statements over a CSV file shown in the running program: the view
// hands its check list and column positions to the function library, and
// the table saved in comma form holds the results; "LD" finds its data
// file in the program folder.
#include <gtest/gtest.h>

#include <string>

#include "csv/csv_table.h"
#include "macro/macro_run.h"
#include "macro/macro_state.h"
#include "shell_fixture.h"
#include "support/file_bytes.h"
#include "view/dvkview.h"

namespace {

class CellStatementRun : public shelltest::ShellFileTest {};

TEST_F(CellStatementRun, ChainsOverAShownTable) {
  CDvkView* v = Open("data.csv",
                     "id,name,n,q,mark,code\r\n007,abc,12,\"1,234\",,B2\r\n-08,Def,3,\"5\",,A1\r\n9,ghi,12345,x,,Z9\r\n");
  // The data file of "LD", found by its name in the program folder.
  testsupport::WriteFileBytes(File("codes.txt"), "$$ code,name\r\nA1,apple\r\nB2,bread\r\n");
  ASSERT_NE(nullptr, v);
  ASSERT_NE(nullptr, v->m_pEntryList);
  // Row 3 is checked.
  v->m_pEntryList[1] = 3;
  v->m_nEntryListPos = 2;
  EXPECT_EQ(1, v->RunMacro(4,
                           "\\t&1#CZ\\t-\\n\\t&2#UP\\t-\\n\\t&3#FS999\\t-\\n\\t&4#CQ\\t-\\n\\t&5#CK\\t-\\n"
                           "\\t&6#LD\\tcodes.txt",
                           "", ""));
  EXPECT_EQ("id,name,n,q,mark,code\r\n7,ABC,   12,1234,0,bread\r\n-8,DEF,    3,5,1,apple\r\n9,GHI,12345,x,0,\r\n",
            v->m_table.FileText(csv::CommaFormKind::kComma));
}

// A macro file of "#" statements, a defined function among them, run over a
// CSV file shown in the program and saved in comma form: the file equals what
// tests/app/cell_statement_reference.py computes from the same input with
// Python's own string and number handling.
TEST_F(CellStatementRun, AMacroFileOfCellStatementsMatchesTheReference) {
  CDvkView* v = Open("cells.csv",
                     "id,code,amount,price,group,key,n\r\n"
                     "abc,007,12,\"1,234\",A,B2,3\r\n"
                     "Def \223\214\213\236\203a\203z,000,12345,\"5\",,A1,-4\r\n"
                     "ghi,-08,3,x,,Z9,12\r\n"
                     "jkl,0012,1234567890,\"12,345,678\",B,A1,0\r\n");
  ASSERT_NE(nullptr, v);
  const std::string codes = File("codes.txt"), macroPath = File("cells.rmc");
  testsupport::WriteFileBytes(codes, "$$ code,name\r\nA1,apple\r\nB2,bread\r\n");
  testsupport::WriteFileBytes(macroPath, "\t&3#FS8\t-\r\n\t&2#CZ\t-\r\n\t&4#CQ\t-\r\n\t&5#FU\t-\r\n\t&1#UP\t-\r\n"
                                         "\tdefine#sq\t\\t@Out=#(@In*@In)\r\n\t&7#:sq\t-\r\n\t&6#LD\t" +
                                             codes + "\r\n");
  EXPECT_EQ(1, v->RunMacro(macro::kRunFile, macroPath.c_str(), "", ""));
  EXPECT_EQ(
      "id,code,amount,price,group,key,n\r\nABC,7,      12,1234,A,bread,9\r\nDEF \223\214\213\236\203a\203z,0,   "
      "12345,5,A,apple,16\r\nGHI,-8,       3,x,A,,144\r\nJKL,12,34567890,12345678,B,apple,0\r\n",
      v->m_table.FileText(csv::CommaFormKind::kComma));
}

}  // namespace
