// The sort and print statements of a macro file run in the program: a
// ".rmc" that sorts the table it is run on, and the print statements that
// reach the view's print path, margins and size indexes.
#include <gtest/gtest.h>

#include <string>

#include "app/dvkdoc.h"
#include "app/mainfrm.h"
#include "fw/uihooks.h"
#include "macro/macro_run.h"
#include "macro_shell_fixture.h"
#include "support/file_bytes.h"
#include "view/dvkview.h"

namespace {

class MacroTableRowsTest : public shelltest::MacroShellTest {
 protected:
  int RunFile(CDvkView* v, const std::string& text) {
    const std::string path = File("m.rmc");
    testsupport::WriteFileBytes(path, text);
    return v->RunMacro(macro::kRunFile, path.c_str(), "", "");
  }
};

TEST_F(MacroTableRowsTest, AMacroFileSortsTheTableByItsThirdColumnDescending) {
  CDvkView* v = OpenTable("id,name,n\r\n1,a,5\r\n2,b,40\r\n3,c,7\r\n4,d,40\r\n");
  ASSERT_NE(nullptr, v);
  EXPECT_EQ(1, RunFile(v, "\tsortd:3\t\r\n"));
  // Text keys, descending; equal keys come out in reverse order.
  EXPECT_EQ("id,name,n\r\n3,c,7\r\n1,a,5\r\n4,d,40\r\n2,b,40\r\n", v->m_table.FileText(csv::CommaFormKind::kComma));
  EXPECT_EQ(std::string::npos, Pane0().find("Eror")) << Pane0();
}

TEST_F(MacroTableRowsTest, PrintPreviewAndPrintReachThePrintPath) {
  CDvkView* v = OpenTable("a,b\r\n1,2\r\n");
  ASSERT_NE(nullptr, v);
  const bool printer = CDvkView::PrinterInstalled();
  if (printer) {
    fw::hooks::ExpectPrintDialog(false);  // the print dialog of "print", cancelled
  } else {
    fw::hooks::ExpectMessageBox("プリンタ", IDOK);  // preview
    fw::hooks::ExpectMessageBox("プリンタ", IDOK);  // print
  }
  EXPECT_EQ(1, RunFile(v, "\tprintpreview\t\r\n\tprint\t\r\n"));
  // The view's update took both requests.
  EXPECT_EQ(0, doc->m_nPrintRequest);
  if (!printer) {
    EXPECT_EQ(2u, fw::hooks::MessageBoxTexts().size());
  }
}

TEST_F(MacroTableRowsTest, PrintFontAndMarginsReachTheView) {
  CDvkView* v = OpenTable("a,b\r\n1,2\r\n");
  ASSERT_NE(nullptr, v);
  EXPECT_EQ(1, RunFile(v, "\tprintfont\t15\r\n\tprintset\t10,15,20,25\r\n"));
  EXPECT_EQ(11, v->m_nTblsizCopy);
  EXPECT_EQ(11, v->m_nTxtsizCopy);
  EXPECT_EQ(11, doc->m_nTblsiz);
  EXPECT_EQ(11, doc->m_nTxtsiz);
  // top, bottom, left, right
  EXPECT_EQ(1500, v->m_nPageMargin[0]);
  EXPECT_EQ(2500, v->m_nPageMargin[1]);
  EXPECT_EQ(1000, v->m_nPageMargin[2]);
  EXPECT_EQ(2000, v->m_nPageMargin[3]);
}

}  // namespace
