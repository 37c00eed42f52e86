// "#" statements over a CSV file shown in the running program: the view
// hands its check list and column positions to the function library, and
// the table saved in comma form holds the results; "LD" finds its data
// file in the program folder.
#include <gtest/gtest.h>

#include <string>

#include "csv/csv_table.h"
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

}  // namespace
