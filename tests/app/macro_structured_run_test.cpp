// A structured macro run in the program on a CP932 table: from its file, and
// as a debug run beside the table that stops at two '#' marks. The saved
// table holds what Python computes for the same steps
// (tests/macro/structured_oracle_test.cpp checks the same macro against
// Python's csv module).
#include <gtest/gtest.h>

#include <string>

#include "app/dvkdoc.h"
#include "app/mainfrm.h"
#include "macro/macro_run.h"
#include "macro/macro_state.h"
#include "macro/structured_macro_text.h"
#include "res/resource.h"
#include "macro_shell_fixture.h"
#include "support/file_bytes.h"
#include "view/dvkview.h"

namespace {

const char kTable[] =
    "名前,区分,数,メモ\r\nソース,A,1,\"a,b\"\r\n表示,B,2,\"say \"\"hi\"\"\"\r\n山田,A,3,\"line1\r\nline2\"\r\n"
    "\"佐藤, 一郎\",C,4,\r\n山田,B,7,x\r\n";
// What Python computes for the macro below.
const char kResult[] =
    "名前,区分,数,メモ\r\nソース,A,11,\"a,b\"\r\n表示,B,10,\"say \"\"hi\"\"\"\r\n山田,A,52,\"line1\r\nline2\"\r\n"
    "\"佐藤, 一郎\",C,4,\r\n山田,B,140,x\r\n";

using macrotest::StructuredMacro;

class MacroStructuredRunTest : public shelltest::MacroShellTest {
 protected:
  std::string Saved() {
    frame->SendMessage(WM_COMMAND, ID_FILE_SAVE, 0);
    return testsupport::ReadFileBytes(File("t.csv"));
  }
};

TEST_F(MacroStructuredRunTest, AMacroFileRewritesTheTableAsPythonComputes) {
  CDvkView* v = OpenTable(kTable);
  ASSERT_NE(nullptr, v);
  const std::string path = File("s.rmc");
  testsupport::WriteFileBytes(path, StructuredMacro());
  EXPECT_EQ(1, v->RunMacro(macro::kRunFile, path.c_str(), "", ""));
  EXPECT_EQ("2", std::string(v->Macro().m_strMacroVars[180].GetString()));
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(kResult, Saved());
}

// The table on the left, the macro on the right (split mode 9): Ctrl+F5 stops
// at the mark on the "do" line with the "for" loop's changes made and again
// on the loop's second pass, then at the second mark with the table as it
// was; F5 once more runs to the end.
TEST_F(MacroStructuredRunTest, ADebugRunStopsAtTheMarksWithTheChangesMadeSoFar) {
  CDvkView* table = OpenTable(kTable);
  ASSERT_NE(nullptr, table);
  frame->m_nTextSplitMode = 9;
  frame->ApplyTextLayout(0, 0);
  CDvkView* source = frame->GetTextView(0, 1);
  ASSERT_NE(nullptr, source);
  source->GetRichEditCtrl().SetWindowText(StructuredMacro("#", "#").c_str());
  source->m_nFileKind = 98;
  frame->ActivateTextPane(0, 1);

  source->SendMessage(WM_COMMAND, ID_MACRO_DEBUG, 0);
  EXPECT_EQ(6, doc->m_nMacroStopLine);
  const std::string afterLoop =
      "名前,区分,数,メモ\r\nソース,A,11,\"a,b\"\r\n表示,B,10,\"say \"\"hi\"\"\"\r\n山田,A,13,\"line1\r\nline2\"\r\n"
      "\"佐藤, 一郎\",C,4,\r\n山田,B,35,x\r\n";
  const macro::MacroState& ms = table->Macro();
  EXPECT_EQ("2", std::string(ms.m_strMacroVars[180].GetString()));
  EXPECT_EQ("", std::string(ms.m_strMacroVars[182].GetString()));
  std::string shown = table->m_table.FileText(csv::CommaFormKind::kComma);
  EXPECT_EQ(afterLoop, shown);

  // The mark on the loop's head stops on every pass.
  source->SendMessage(WM_COMMAND, ID_MACRO_RESUME, 0);
  EXPECT_EQ(6, doc->m_nMacroStopLine);
  EXPECT_EQ("1", std::string(ms.m_strMacroVars[182].GetString()));
  source->SendMessage(WM_COMMAND, ID_MACRO_RESUME, 0);
  EXPECT_EQ(11, doc->m_nMacroStopLine);
  EXPECT_EQ("2", std::string(ms.m_strMacroVars[182].GetString()));
  EXPECT_EQ(afterLoop, table->m_table.FileText(csv::CommaFormKind::kComma));

  // The run ends by "E": nothing is left to resume.
  source->SendMessage(WM_COMMAND, ID_MACRO_RESUME, 0);
  EXPECT_EQ(0, doc->m_nMacroStopPos);
  frame->ActivateTextPane(0, 0);
  EXPECT_EQ(kResult, Saved());
}

}  // namespace
