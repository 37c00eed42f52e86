// The text-to-table and count statements from a real macro file in the
// running program: "textauto" turns a TAB text shown in the view into a
// table, "count2" counts its second column by group.
#include <gtest/gtest.h>

#include <string>

#include "csv/csv_table.h"
#include "macro/macro_state.h"
#include "shell_fixture.h"
#include "support/file_bytes.h"
#include "view/dvkview.h"

namespace {

class TextTableRun : public shelltest::ShellFileTest {};

TEST_F(TextTableRun, TextAutoThenCountFromAMacroFile) {
  CDvkView* v = Open("data.txt",
                     "id\tgroup\tvalue\tnote\r\n1\tb\t5\tx\r\n2\ta\t7\ty, z\r\n3\tb\t1\t\r\n4\tc\t2\tw\r\n5\tb\t3\tv\r\n");
  ASSERT_NE(nullptr, v);
  frame->ActivateTextPane(0, 0);
  const std::string first = File("first.rmc");
  testsupport::WriteFileBytes(first, "\ttextauto\r\n");
  EXPECT_EQ(1, v->RunMacro(2, first.c_str(), "", ""));
  EXPECT_EQ(33u, v->m_nFileKind);
  // A field holding a comma stands in double quotes in the table.
  EXPECT_EQ("id,group,value,note\r\n1,b,5,x\r\n2,a,7,\"y, z\"\r\n3,b,1,\r\n4,c,2,w\r\n5,b,3,v\r\n",
            v->m_table.FileText(csv::CommaFormKind::kComma));
  EXPECT_EQ(5, v->m_table.m_nLastRow);

  const std::string second = File("count.rmc");
  testsupport::WriteFileBytes(second, "\tcount2\r\n");
  EXPECT_EQ(1, v->RunMacro(2, second.c_str(), "", ""));
  // One row per group with its count; the Counter of column 2 is a 1, b 3, c 1.
  EXPECT_EQ("group,id,value,note,Total\r\na,1,1,1,3\r\nb,3,3,2,8\r\nc,1,1,1,3\r\nTotal,5,5,4,14",
            v->m_table.FileText(csv::CommaFormKind::kComma));
}

}  // namespace
